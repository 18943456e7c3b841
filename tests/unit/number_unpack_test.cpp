// Sign, coefficient and exponent read straight from a value's bits, and a
// value built from them, agree with the library's own digits and encoding;
// coefficients divide by powers of ten exactly without a division.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "number_test_support.h"
#include "start_test_support.h"

namespace {

using namespace zq_test;

class NumberUnpack : public zq_test::FreshTest {};

// The library's view of a finite value, as BCD digits.
zqm_unpacked library_parts(zq_double_64 value) {
  const decDouble d = zqm_dec_from_zq_double_64(value);
  uint8_t bcd[zqm_coefficient_digits];
  int32_t exponent = 0;
  const int32_t sign = decDoubleToBCD(&d, &exponent, bcd);
  uint64_t coefficient = 0;
  for (const uint8_t digit : bcd) coefficient = coefficient * 10 + digit;
  return {sign != 0, coefficient, exponent};
}

zq_double_64 library_value(const zqm_unpacked& parts) {
  uint8_t bcd[zqm_coefficient_digits];
  uint64_t rest = parts.coefficient;
  for (int i = zqm_coefficient_digits - 1; i >= 0; --i) {
    bcd[i] = static_cast<uint8_t>(rest % 10);
    rest /= 10;
  }
  decDouble d;
  // The library takes the sign bit in a signed word.
  decDoubleFromBCD(&d, parts.exponent, bcd, parts.negative ? static_cast<int32_t>(DECFLOAT_Sign) : 0);
  return zqm_zq_double_64_from_dec(d);
}

TEST_F(NumberUnpack, RandomBitPatternsReadAsTheLibraryReadsThem) {
  std::mt19937_64 random(2104);
  for (int i = 0; i < 1000000; ++i) {
    const zq_double_64 value = random();
    const decDouble d = zqm_dec_from_zq_double_64(value);
    zqm_unpacked parts{};
    const bool finite = zqm_unpack(value, parts);
    ASSERT_EQ(finite, decDoubleIsFinite(&d) != 0) << value;
    if (!finite) continue;
    const zqm_unpacked expected = library_parts(value);
    ASSERT_EQ(parts.negative, expected.negative) << value;
    ASSERT_EQ(parts.coefficient, expected.coefficient) << value;
    ASSERT_EQ(parts.exponent, expected.exponent) << value;
  }
}

TEST_F(NumberUnpack, RandomPartsPackAsTheLibraryEncodesThem) {
  std::mt19937_64 random(2105);
  for (int i = 0; i < 1000000; ++i) {
    uint64_t coefficient = random() % zqm_coefficient_limit;
    coefficient /= uint64_t{1} << (random() % 54);  // every digit count
    const zqm_unpacked parts{
        (random() & 1) != 0, coefficient,
        static_cast<int32_t>(random() % (zqm_exponent_max - zqm_exponent_min + 1)) + zqm_exponent_min};
    const zq_double_64 value = zqm_pack(parts);
    ASSERT_EQ(value, library_value(parts)) << coefficient << "E" << parts.exponent;
    zqm_unpacked back{};
    ASSERT_TRUE(zqm_unpack(value, back));
    ASSERT_EQ(back.coefficient, coefficient);
  }
}

uint64_t power_of_ten(int n) { return zqm_powers_of_ten[static_cast<size_t>(n)]; }

TEST_F(NumberUnpack, DivisionByPowersOfTenIsExact) {
  std::mt19937_64 random(2106);
  constexpr uint64_t largest = (uint64_t{1} << 54) - 1;
  for (int i = 0; i < 1000000; ++i) {
    const uint64_t x = random() % (largest + 1) >> (random() % 54);
    const int n = static_cast<int>(random() % zqm_power_count);
    const zqm_quotient q = zqm_divide_by_power_of_ten(x, n);
    ASSERT_EQ(q.quotient, x / power_of_ten(n)) << x << " / 10^" << n;
    ASSERT_EQ(q.remainder, x % power_of_ten(n)) << x << " % 10^" << n;
  }
  for (const uint64_t x :
       {uint64_t{0}, uint64_t{1}, zqm_coefficient_limit - 1, zqm_coefficient_limit, largest}) {
    for (int n = 0; n < zqm_power_count; ++n) {
      for (const uint64_t near : {x, x - (x > 0), x + (x < largest)}) {
        EXPECT_EQ(zqm_divide_by_power_of_ten(near, n).quotient, near / power_of_ten(n)) << near << " " << n;
      }
    }
  }
  // Every multiple of a power and its neighbours.
  for (int n = 1; n < zqm_power_count; ++n) {
    for (uint64_t k = 1; k <= 1000; ++k) {
      const uint64_t multiple = k * (largest / 1000 / power_of_ten(n)) * power_of_ten(n);
      EXPECT_EQ(zqm_divide_by_power_of_ten(multiple - 1, n).quotient, (multiple - 1) / power_of_ten(n));
      EXPECT_EQ(zqm_divide_by_power_of_ten(multiple, n).quotient, multiple / power_of_ten(n));
    }
  }
}

// The wide division by every size of divisor, powers of ten among them, with
// dividends of every size that keep the quotient below 2^64.
TEST_F(NumberUnpack, WideDivisionWithA64BitQuotientIsExact) {
  std::mt19937_64 random(2107);
  const auto expect_exact = [](uint64_t high, uint64_t low, uint64_t d) {
    const zqm_wide n = zqm_wide{high} << 64 | low;
    const zqm_quotient q = zqm_divide_wide(n, d);
    if (q.quotient == static_cast<uint64_t>(n / d) && q.remainder == static_cast<uint64_t>(n % d)) {
      return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << high << ":" << low << " / " << d;
  };
  for (int i = 0; i < 1000000 / zq_random_share; ++i) {
    uint64_t d = random() >> (random() % 64);
    if (i % 4 == 0) {
      d = 1;
      for (uint64_t n = random() % 20; n > 0; --n) d *= 10;
    }
    if (d == 0) d = 1;
    const uint64_t high = (random() >> (random() % 64)) % d;
    ASSERT_TRUE(expect_exact(high, random(), d));
  }
  constexpr uint64_t most = ~uint64_t{0};
  for (const uint64_t d : {uint64_t{1}, uint64_t{10}, uint64_t{10000000000000000000u}, most - 1, most}) {
    for (const uint64_t high : {uint64_t{0}, uint64_t{1}, d / 2, d - 1}) {
      if (high >= d) continue;
      for (const uint64_t low : {uint64_t{0}, uint64_t{1}, most - 1, most})
        ASSERT_TRUE(expect_exact(high, low, d));
    }
  }
}

TEST_F(NumberUnpack, EdgeValues) {
  struct Case {
    const char* text;
    bool negative;
    uint64_t coefficient;
    int32_t exponent;
  };
  const Case cases[] = {
      {"0", false, 0, 0},         {"-0", true, 0, 0},
      {"0E-398", false, 0, -398}, {"9999999999999999E+369", false, 9999999999999999, 369},
      {"-1.234", true, 1234, -3}, {"8000000000000000", false, 8000000000000000, 0},
      {"9E+5", false, 9, 5},
  };
  for (const Case& c : cases) {
    zqm_unpacked parts{};
    ASSERT_TRUE(zqm_unpack(quiet_num(c.text), parts)) << c.text;
    EXPECT_EQ(parts.negative, c.negative) << c.text;
    EXPECT_EQ(parts.coefficient, c.coefficient) << c.text;
    EXPECT_EQ(parts.exponent, c.exponent) << c.text;
    EXPECT_EQ(zqm_pack(parts), quiet_num(c.text)) << c.text;
  }
  for (const char* special : {"Inf", "-Inf", "NaN", "sNaN"}) {
    zqm_unpacked parts{true, 7, 7};
    EXPECT_FALSE(zqm_unpack(quiet_num(special), parts)) << special;
    EXPECT_EQ(parts.coefficient, 7u) << "untouched";
  }
}

}  // namespace
