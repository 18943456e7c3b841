// Sums, differences and products computed on the coefficients give the
// library's result bit for bit, with the same verdict of the pending error,
// also when an operand is the result they built last, and int's
// integer-part digits are those of the library's BCD digits: a million
// random operand pairs of every size for each, the exponent range's ends
// included, and hand-picked edge cases. Small whole numbers moved by one
// are the library's sums.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>

#include "number_test_support.h"
#include "start_test_support.h"

namespace {

using namespace zq_test;

class NumberExactArith : public zq_test::FreshTest {};

using zq_binary = zq_double_64 (*)(zq_double_64, zq_double_64);

// Operands of every kind: zeros, 1 to 16 digits, trailing zeros and runs of
// nines, exponents mostly near 0 but also at both ends of the range, now
// and then an infinity or a NaN.
class operand_source {
 public:
  explicit operand_source(uint64_t seed) : random_(seed) {}

  zq_double_64 any() { return with_exponent(exponent()); }

  // An operand whose exponent lies near that of x, so that sums need every
  // alignment up to and past the quick path's.
  zq_double_64 near(zq_double_64 x) {
    zqm_unpacked parts{};
    if (!zqm_unpack(x, parts)) return any();
    const int32_t exponent = parts.exponent + static_cast<int32_t>(random_() % 49) - 24;
    return with_exponent(std::max(zqm_exponent_min, std::min(zqm_exponent_max, exponent)));
  }

 private:
  int32_t exponent() {
    switch (random_() % 10) {
      case 0: return zqm_exponent_max - static_cast<int32_t>(random_() % 40);
      case 1: return zqm_exponent_min + static_cast<int32_t>(random_() % 40);
      case 2:
        return zqm_exponent_min + static_cast<int32_t>(random_() % (zqm_exponent_max - zqm_exponent_min + 1));
      default: return static_cast<int32_t>(random_() % 41) - 20;
    }
  }

  zq_double_64 with_exponent(int32_t exponent) {
    const uint64_t kind = random_() % 100;
    if (kind == 0) return quiet_num(random_() & 1 ? "Inf" : "-Inf");
    if (kind == 1) return quiet_num(random_() & 1 ? "NaN" : "sNaN");
    uint64_t coefficient = 0;
    const int digits = static_cast<int>(random_() % 17);
    if (kind < 6) {
      for (int i = 0; i < digits; ++i) coefficient = coefficient * 10 + 9;
    } else {
      for (int i = 0; i < digits; ++i) coefficient = coefficient * 10 + random_() % 10;
      if (kind < 30) coefficient -= coefficient % 10000;
    }
    return zqm_pack({(random_() & 1) != 0, coefficient, exponent});
  }

  std::mt19937_64 random_;
};

// Both routes from the same pending error: the same bits and the same
// error afterwards (a condition raised clears the planted code).
testing::AssertionResult same_result(zq_binary quick, zq_binary library, zq_double_64 a, zq_double_64 b) {
  zqm_take_error();
  zqm_set_error(ERR_UNKNOWN);
  const zq_double_64 r = quick(a, b);
  const zq_error_code error = zqm_take_error();
  zqm_set_error(ERR_UNKNOWN);
  const zq_double_64 expected = library(a, b);
  const zq_error_code expected_error = zqm_take_error();
  if (r == expected && error == expected_error) return testing::AssertionSuccess();
  return testing::AssertionFailure() << text_of(a) << " and " << text_of(b) << ": " << text_of(r)
                                     << " (error " << error << "), library " << text_of(expected)
                                     << " (error " << expected_error << ")";
}

void expect_random_pairs_alike(zq_binary quick, zq_binary library, uint64_t seed) {
  operand_source source(seed);
  for (int i = 0; i < 1000000 / zq_random_share; ++i) {
    const zq_double_64 a = source.any();
    const zq_double_64 b = i % 2 ? source.near(a) : source.any();
    ASSERT_TRUE(same_result(quick, library, a, b));
  }
}

TEST_F(NumberExactArith, RandomSumsAreTheLibrarys) { expect_random_pairs_alike(zqm_add, zqm_library_add, 1); }
TEST_F(NumberExactArith, RandomDifferencesAreTheLibrarys) {
  expect_random_pairs_alike(zqm_sub, zqm_library_sub, 2);
}
TEST_F(NumberExactArith, RandomProductsAreTheLibrarys) {
  expect_random_pairs_alike(zqm_mul, zqm_library_mul, 3);
}

TEST_F(NumberExactArith, EdgeCasesAreTheLibrarys) {
  const char* values[] = {
      "0",
      "-0",
      "0E-398",
      "0E+369",
      "-0E+5",
      "1",
      "-1",
      "9999999999999999",
      "-9999999999999999",
      "5000000000000000",
      "5000000000000001",
      "4999999999999999",
      "0.5",
      "1.5",
      "2.5",
      "-2.5",
      "1E-383",
      "1E-382",
      "9.999999999999999E+384",
      "1E+369",
      "1.000000000000000E+369",
      "1E-398",
      "1.0001",
      "20000.00000000000",
      "10001500050.00000",
      "123456789012345.6",
      "1E+18",
      "1E-18",
      "Inf",
      "-Inf",
      "NaN",
      "sNaN",
  };
  for (const char* x : values) {
    for (const char* y : values) {
      ASSERT_TRUE(same_result(zqm_add, zqm_library_add, quiet_num(x), quiet_num(y)));
      ASSERT_TRUE(same_result(zqm_sub, zqm_library_sub, quiet_num(x), quiet_num(y)));
      ASSERT_TRUE(same_result(zqm_mul, zqm_library_mul, quiet_num(x), quiet_num(y)));
    }
  }
}

// Each place where the quick sums and products decide (the list beside them
// in arith.cpp), with operands on both sides of it; on the library-only
// build both routes are the library's.
TEST_F(NumberExactArith, EveryRangeCheckOfSumsAndProductsOnBothSides) {
  const std::pair<const char*, const char*> pairs[] = {
      // 1. special operands
      {"Inf", "1"},
      {"1", "-Inf"},
      {"NaN", "1"},
      {"sNaN", "1"},
      {"-NaN", "0"},
      // 2. alignment 17, 18 and 19 places, either operand the higher
      {"1234567890123456E+17", "9999999999999999"},
      {"1234567890123456E+18", "9999999999999999"},
      {"1234567890123456E+19", "9999999999999999"},
      {"-1E+18", "9999999999999999"},
      {"-1E+19", "1"},
      // the widest sum: 34 digits
      {"9999999999999999E+18", "9999999999999999"},
      {"-9999999999999999E+18", "9999999999999999"},
      // 3. the widest product: 32 digits
      {"9999999999999999", "9999999999999999"},
      {"-9999999999999999", "9999999999999999E-20"},
      // 4. 16 digits kept whole, 17 rounded
      {"9999999999999990", "9"},
      {"9999999999999990", "10"},
      {"1000000000000000E+1", "9"},
      // 5. below, at and above the half unit, for an even and an odd last digit
      {"1000000000000000E+1", "4"},
      {"1000000000000000E+1", "5"},
      {"1000000000000000E+1", "6"},
      {"1000000000000001E+1", "4"},
      {"1000000000000001E+1", "5"},
      {"1000000000000001E+1", "6"},
      {"2000000000000001", "5"},
      {"2000000000000003", "5"},
      {"1000000000000000E+2", "50"},
      {"1000000000000000E+2", "49"},
      {"1000000000000000E+2", "51"},
      {"-1000000000000000E+1", "-5"},
      // 6. a carry out of the 16 digits, and one digit short of it
      {"9999999999999999E+1", "5"},
      {"9999999999999999E+1", "4"},
      {"9999999999999999", "1"},
      {"9999999999999999", "0.5"},
      {"9999999999999999", "0.4999999999999999"},
      // 7. exponents at and beyond the ends of the normal range
      {"3E-200", "7E-183"},
      {"3E-200", "7E-184"},
      {"1E-383", "1E-383"},
      {"1E-383", "0"},
      {"1E-384", "0E-384"},
      {"9999999999999999E-200", "9999999999999999E-199"},
      {"9999999999999999E-200", "9999999999999999E-198"},
      {"1E-398", "1E-398"},
      {"1E-397", "1E-1"},
      {"9999999999999999E+369", "1"},
      {"9999999999999999E+368", "1E+1"},
      {"9999999999999999E+369", "1E+1"},
      {"9999999999999999E+354", "9999999999999999"},
      {"9999999999999999E+353", "9999999999999999"},
      {"9999999999999999E+369", "9999999999999999E+369"},
      {"5E+369", "5E+369"},
      // 8. exact zero differences and sums
      {"5E+3", "-5E+3"},
      {"50E+2", "-5E+3"},
      {"-0", "0"},
      {"0E+3", "-0E-3"},
      {"1", "-1.0"},
  };
  for (const auto& [x, y] : pairs) {
    for (const auto& [a, b] : {std::pair{x, y}, std::pair{y, x}}) {
      ASSERT_TRUE(same_result(zqm_add, zqm_library_add, quiet_num(a), quiet_num(b)));
      ASSERT_TRUE(same_result(zqm_sub, zqm_library_sub, quiet_num(a), quiet_num(b)));
      ASSERT_TRUE(same_result(zqm_mul, zqm_library_mul, quiet_num(a), quiet_num(b)));
    }
  }
}

// int as the library's BCD digits give it: the 16 digits with the leading
// zeros moved to the end, the digits below the point cleared.
zq_double_64 int_from_bcd(zq_double_64 x) {
  const decDouble d = zqm_dec_from_zq_double_64(x);
  if (decDoubleIsZero(&d)) return zqm_k_0;
  if (!decDoubleIsFinite(&d)) return x;
  uint8_t bcd[zqm_coefficient_digits];
  int32_t q = 0;
  const int32_t sign = decDoubleToBCD(&d, &q, bcd);
  int n = 0;
  while (bcd[n] == 0) ++n;
  std::memmove(bcd, bcd + n, static_cast<size_t>(zqm_coefficient_digits - n));
  std::memset(bcd + zqm_coefficient_digits - n, 0, static_cast<size_t>(n));
  q -= n;
  if (q < -(zqm_coefficient_digits - 1)) return zqm_k_0;
  if (q >= 0) return x;
  std::memset(bcd + zqm_coefficient_digits + q, 0, static_cast<size_t>(-q));
  decDouble r;
  decDoubleFromBCD(&r, q, bcd, sign);
  return zqm_zq_double_64_from_dec(r);
}

TEST_F(NumberExactArith, IntegerPartsAreTheBcdDigits) {
  operand_source source(4);
  for (int i = 0; i < 1000000 / zq_random_share; ++i) {
    const zq_double_64 x = source.any();
    ASSERT_EQ(zqm_int(x), int_from_bcd(x)) << text_of(x);
  }
  for (const char* x : {"2.5", "-2.5", "20000", "0.9999999999999999", "-0", "0E-20", "1E+15", "1E-15",
                        "-1E-16", "9999999999999999E-15", "Inf", "NaN"}) {
    EXPECT_EQ(zqm_int(quiet_num(x)), int_from_bcd(quiet_num(x))) << x;
  }
  // Both sides of int's range checks: the exponent after the move at -16,
  // -15, -1 and 0, and the widest moved coefficient.
  for (const char* x :
       {"9999999999999999E-16", "1000000000000000E-15", "1E-15", "1E-16", "9E-16", "9999999999999999E-1",
        "1000000000000000E-1", "1000000000000000E+0", "1E+0", "9999999999999999E+0", "-9999999999999999E-1",
        "12345E-4", "1E+369", "1E-398", "-1E-398", "sNaN", "-Inf"}) {
    EXPECT_EQ(zqm_int(quiet_num(x)), int_from_bcd(quiet_num(x))) << x;
    EXPECT_EQ(zqm_int(quiet_num(x)), zqm_library_int(quiet_num(x))) << x;
  }
  EXPECT_EQ(text_of(zqm_int(quiet_num("2.5"))), "2.000000000000000");
}

// The quick paths take an operand that is the value they built last from
// the parts they kept: chains of sums, differences, products and integer
// parts, each result an operand of the next, against the library.
TEST_F(NumberExactArith, ResultsTakenBackAreTheLibrarys) {
  const zq_binary quick[] = {zqm_add, zqm_sub, zqm_mul};
  const zq_binary library[] = {zqm_library_add, zqm_library_sub, zqm_library_mul};
  operand_source source(5);
  zq_double_64 last = source.any();
  for (int i = 0; i < 1000000 / zq_random_share; ++i) {
    const size_t op = static_cast<size_t>(i % 3);
    const zq_double_64 other = i % 2 ? source.near(last) : source.any();
    const bool last_first = i % 4 < 2;
    const zq_double_64 a = last_first ? last : other;
    const zq_double_64 b = last_first ? other : last;
    ASSERT_TRUE(same_result(quick[op], library[op], a, b));
    last = quick[op](a, b);
    if (i % 5 == 0) {
      ASSERT_EQ(zqm_int(last), int_from_bcd(last)) << text_of(last);
      last = zqm_int(last);
    }
    // A chain that reached an infinity, a NaN or a zero starts again.
    zqm_unpacked parts{};
    if (!zqm_unpack(last, parts) || parts.coefficient == 0) last = source.any();
  }
  zqm_take_error();
}

// Whole numbers below 10^9 with exponent 0 moved by one, as loop counters
// are: every other one below 10^6 and from 999,000,000 on (the sanitizers
// take a share), random ones between, words with their upper bits and any
// lowest declets (non-canonical ones too), and random words, which it
// refuses unless they are such numbers. A product of the result, which
// takes it unpacked, is the library's too.
TEST_F(NumberExactArith, SmallWholeStepsAreTheLibrarysSums) {
  const auto same_sum = [](zq_double_64 x, int64_t by) {
    zqm_unpacked parts{};
    const bool small =
        zqm_unpack(x, parts) && !parts.negative && parts.exponent == 0 && parts.coefficient < 1000000000;
    const int64_t expected_sum = static_cast<int64_t>(parts.coefficient) + by;
    // The library-only build takes none.
    const bool taken = zqm_quick_routes && small && expected_sum >= 0 && expected_sum < 1000000000;
    zq_double_64 r = 7;
    int64_t sum = -7;
    zqm_take_error();
    zqm_set_error(ERR_UNKNOWN);
    const bool done = zqm_small_whole_step(x, by, r, sum);
    const zq_error_code error = zqm_take_error();
    const zq_double_64 expected = done ? zqm_library_add(x, zqm_pack({by < 0, 1, 0})) : 7;
    // A product then takes the step's result as the value built last.
    const zq_double_64 factor = zqm_pack({false, 10001, -4});
    const bool kept = !done || zqm_mul(r, factor) == zqm_library_mul(r, factor);
    if (done == taken && error == ERR_UNKNOWN && r == expected && sum == (done ? expected_sum : -7) && kept &&
        zqm_take_error() == ERR_NONE) {
      return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << text_of(x) << " by " << by << ": taken " << done << ", error " << error << ", " << text_of(r)
           << " " << sum << ", library " << text_of(expected);
  };
  const auto whole = [](uint64_t n) { return zqm_pack({false, n, 0}); };
  for (uint64_t n = 0; n < 1000000; n += 2 * zq_random_share) {
    ASSERT_TRUE(same_sum(whole(n), 1));
    ASSERT_TRUE(same_sum(whole(n), -1));
    ASSERT_TRUE(same_sum(whole(999000000 + n), 1));
    ASSERT_TRUE(same_sum(whole(999000000 + n), -1));
  }
  std::mt19937_64 random(6);
  const zq_double_64 upper_bits = whole(0);
  for (int i = 0; i < 1000000 / zq_random_share; ++i) {
    const int64_t by = i % 2 ? 1 : -1;
    ASSERT_TRUE(same_sum(whole(random() % 1000000000), by));
    ASSERT_TRUE(same_sum(upper_bits | (random() & ((uint64_t{1} << 30) - 1)), by));
    ASSERT_TRUE(same_sum(random(), by));
  }
  for (const char* x :
       {"0", "-0", "1", "-1", "0E-1", "1E+1", "10", "1.0", "999999999", "1000000000", "Inf", "NaN"}) {
    ASSERT_TRUE(same_sum(quiet_num(x), 1));
    ASSERT_TRUE(same_sum(quiet_num(x), -1));
  }
}

}  // namespace
