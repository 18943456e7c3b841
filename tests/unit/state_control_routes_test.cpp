// Control numbers: the decoder that reads the groups from the decimal's own
// digits gives what the "%f" text route gives, the counter write-back
// built from coefficient and exponent is the decimal division, bit for bit,
// and the quick step of whole counters is the general one. Every counter of
// a dense grid, millions of random numbers of every size and the
// hand-picked edge cases.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "number/number.h"
#include "number/parts.h"
#include "state/control.h"

#include "number_test_support.h"
#include "start_test_support.h"
#include "state_test_support.h"

namespace {

using namespace zq_test;

constexpr int64_t zq_grid_counts = 99999;

class ControlRoutes : public zq_test::FreshTest {};

// Both routes on x in one layout; the failure names x.
testing::AssertionResult same_groups(int mode, zq_double_64 x) {
  int64_t a = -1, b = -1, c = -1;
  int64_t ta = -2, tb = -2, tc = -2;
  const int valid = zq_decode_control(mode, x, &a, &b, &c);
  const int text_valid = zq_decode_control_text(mode, x, &ta, &tb, &tc);
  if (valid == text_valid && a == ta && b == tb && c == tc && zqm_error == ERR_NONE) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << text_of(x) << " mode " << mode << ": " << valid << " " << a << " "
                                     << b << " " << c << ", text route " << text_valid << " " << ta << " "
                                     << tb << " " << tc;
}

testing::AssertionResult same_groups_both_layouts(zq_double_64 x) {
  testing::AssertionResult counter = same_groups(CONTROL_COUNTER, x);
  if (!counter) return counter;
  return same_groups(CONTROL_MOVE, x);
}

// The write-back as the decimal division n / 100000 that it stands for.
zq_double_64 divided_counter(int64_t count, int64_t final, int64_t step) {
  const int64_t magnitude = (count < 0 ? -count : count) * 100000 + final * 100 + step;
  return zqm_div(zqm_zq_double_64_from_lint(count < 0 ? -magnitude : magnitude),
                 zqm_zq_double_64_from_int(100000));
}

testing::AssertionResult same_counter(int64_t count, int64_t final, int64_t step) {
  const zq_double_64 built = zq_counter_value(count, final, step);
  const zq_double_64 divided = divided_counter(count, final, step);
  if (built == divided && zqm_take_error() == ERR_NONE) return testing::AssertionSuccess();
  return testing::AssertionFailure() << count << " " << final << " " << step << ": " << text_of(built)
                                     << ", division " << text_of(divided);
}

// A spread of final values and steps for each count: every final and every
// step turns up, with and without trailing zeros.
int64_t final_for(int64_t count) { return (count < 0 ? -count : count) * 7919 % 1000; }
int64_t step_for(int64_t count) { return (count < 0 ? -count : count) * 31 % 100; }

TEST_F(ControlRoutes, EveryGridCounterDecodesAlikeInBothLayouts) {
  for (int64_t count = -zq_grid_counts; count <= zq_grid_counts; ++count) {
    const zq_double_64 stored = zq_counter_value(count, final_for(count), step_for(count));
    ASSERT_TRUE(same_groups_both_layouts(stored));
  }
}

TEST_F(ControlRoutes, EveryGridCounterIsTheDivision) {
  for (int64_t count = -zq_grid_counts; count <= zq_grid_counts; ++count) {
    ASSERT_TRUE(same_counter(count, final_for(count), step_for(count)));
    ASSERT_TRUE(same_counter(count, 0, 0));
  }
  for (int64_t final = 0; final <= 999; ++final) {
    for (int64_t step = 0; step <= 99; ++step) {
      ASSERT_TRUE(same_counter(final % 17, final, step));
      ASSERT_TRUE(same_counter(-(final % 13) - 1, final, step));
    }
  }
}

TEST_F(ControlRoutes, CountersDecodeToWhatWasWritten) {
  for (int64_t count = -zq_grid_counts; count <= zq_grid_counts; count += 7) {
    const int64_t final = final_for(count);
    const int64_t step = step_for(count);
    int64_t a = 0, b = 0, c = 0;
    ASSERT_EQ(zq_decode_control(CONTROL_COUNTER, zq_counter_value(count, final, step), &a, &b, &c), 1);
    ASSERT_EQ(std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c),
              std::to_string(count) + " " + std::to_string(final) + " " + std::to_string(step));
  }
}

TEST_F(ControlRoutes, RandomCountersOfEverySizeAreTheDivision) {
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 1000000 / zq_random_share; ++i) {
    // Magnitudes from 0 to the largest counter, spread over their digit counts.
    const int64_t digits = static_cast<int64_t>(random() % 12);
    int64_t count = static_cast<int64_t>(random() % 100000000000);
    for (int64_t d = digits; d < 11; ++d) count /= 10;
    if (random() & 1) count = -count;
    ASSERT_TRUE(
        same_counter(count, static_cast<int64_t>(random() % 1000), static_cast<int64_t>(random() % 100)));
  }
  ASSERT_TRUE(same_counter(zq_max_counter, 999, 99));
  ASSERT_TRUE(same_counter(-zq_max_counter, 999, 99));
}

// Coefficients of 1 to 16 digits with exponents from -22 to +8, either sign,
// in either layout: numbers of every size a register can hold as a control
// number, most of them around the limits of the digit route (six fraction
// digits, integer parts near 10^9), so that about half take that route.
TEST_F(ControlRoutes, RandomNumbersDecodeAlike) {
  std::mt19937_64 random(4108);
  for (int i = 0; i < 2000000 / zq_random_share; ++i) {
    const int digits = 1 + static_cast<int>(random() % 16);
    uint64_t coefficient = random() % 10000000000000000;
    for (int d = digits; d < 16; ++d) coefficient /= 10;
    // Trailing zeros now and then, so that exact digit counts show.
    if (random() % 4 == 0) coefficient -= coefficient % 1000;
    // Three in four between 0.1 and 10^10, the others anywhere from 1E-22 on.
    const int32_t exponent = random() % 4 == 0 ? static_cast<int32_t>(random() % 31) - 22
                                               : static_cast<int32_t>(random() % 11) - digits;
    const zq_double_64 x = zqm_pack({(random() & 1) != 0, coefficient, exponent});
    ASSERT_TRUE(same_groups(random() & 1 ? CONTROL_MOVE : CONTROL_COUNTER, x));
  }
}

TEST_F(ControlRoutes, EdgeCasesDecodeAlike) {
  const char* values[] = {
      "2.9999999",
      "-0.00501",
      "1.010059",
      "1.0100094",
      "1.0100096",
      "0.0078125",
      "-0.0078125",
      "999999999.999999",
      "999999999.9999995",
      "1000000000.000001",
      "-999999999.999999",
      "-1000000000",
      "0",
      "-0",
      "0E-20",
      "0E+20",
      "-0E-5",
      "1E-6",
      "-1E-6",
      "1E-7",
      "0.000001000000000",
      "0.0000010000000001",
      "1E+8",
      "9E+8",
      "1E+9",
      "12345678.9012345",
      "0.9999995",
      "0.9999994999999999",
      "9.223372036854775E18",
      "-9.223372036854775E18",
      "9.223372036854776E18",
      "-9.223372036854776E18",
      "9.999999999999999E18",
      "1E19",
      "1E300",
      "-1E300",
      "1E-300",
      "Inf",
      "-Inf",
      "NaN",
      "-NaN",
      "sNaN",
  };
  for (const char* x : values) ASSERT_TRUE(same_groups_both_layouts(quiet_num(x)));
}

// The decoder's digit route at each place where it decides (the list beside
// zqm_fixed_point_parts): for exponents 0 to 8, coefficients at and around
// k * 2^64 / 10^e, where the integer part wraps 64 bits, and around
// 10^(9 - e), where it reaches 10^9; 2^63 and 10^9 from both sides; the
// exponents around -16 and -6 and the largest counter, 99,999,999,999.
TEST_F(ControlRoutes, DecoderEdgesDecodeAlike) {
  const auto both_signs = [](uint64_t coefficient, int32_t exponent) {
    for (const bool negative : {false, true}) {
      const zq_double_64 x = zqm_pack({negative, coefficient, exponent});
      testing::AssertionResult same = same_groups_both_layouts(x);
      if (!same) return same;
    }
    return testing::AssertionSuccess();
  };
  const auto around = [&](zqm_wide centre, int32_t exponent) {
    for (int d = -3; d <= 3; ++d) {
      const zqm_wide c = centre + static_cast<zqm_wide>(static_cast<zqm_signed_wide>(d));
      if (c >= zqm_coefficient_limit) continue;
      testing::AssertionResult same = both_signs(static_cast<uint64_t>(c), exponent);
      if (!same) return same;
    }
    return testing::AssertionSuccess();
  };
  const zqm_wide two_64 = zqm_wide{1} << 64;
  for (int32_t e = 0; e <= 8; ++e) {
    const uint64_t scale = zqm_powers_of_ten[static_cast<size_t>(e)];
    for (const uint64_t k : {1u, 2u, 3u, 7u, 10u, 100u, 541u, 1000u, 5000u, 54210u}) {
      const zqm_wide centre = k * two_64 / scale;
      if (centre > zqm_coefficient_limit) continue;
      ASSERT_TRUE(around(centre, e)) << "k " << k << " e " << e;
      ASSERT_TRUE(around(centre + 1, e)) << "k " << k << " e " << e;
    }
    // The largest k for this exponent, its band just below 10^16.
    const zqm_wide top = (zqm_wide{zqm_coefficient_limit} * scale - 1) / two_64;
    ASSERT_TRUE(around(top * two_64 / scale + 1, e)) << "top e " << e;
    ASSERT_TRUE(around(zqm_powers_of_ten[static_cast<size_t>(9 - e)], e)) << "10^9 e " << e;
    ASSERT_TRUE(both_signs(zqm_coefficient_limit - 1, e));
  }
  // Exponents 9 and 10, where any non-zero coefficient is 10^9 or more.
  for (int32_t e = 9; e <= 10; ++e) {
    for (const uint64_t c : {uint64_t{0}, uint64_t{1}, uint64_t{9}, uint64_t{1844674407370956}})
      ASSERT_TRUE(both_signs(c, e));
  }
  // Fraction digits: 15 to 18 (the reciprocals' end), 5 to 7 (the sixth
  // decimal), and integer parts at 10^9 with fractions.
  for (int32_t e = -18; e <= -1; ++e) {
    const uint64_t scale = -e < zqm_power_count ? zqm_powers_of_ten[static_cast<size_t>(-e)] : 0;
    for (const uint64_t c :
         {uint64_t{0}, uint64_t{1}, uint64_t{10}, zqm_coefficient_limit - 1, zqm_coefficient_limit / 10,
          uint64_t{999999999} * (scale ? scale : 1) % zqm_coefficient_limit,
          uint64_t{1000000000} * (scale ? scale : 1) % zqm_coefficient_limit}) {
      ASSERT_TRUE(around(c, e)) << c << "E" << e;
    }
  }
  const char* values[] = {
      "9223372036854775807",    "9223372036854775808", "9223372036854775809", "-9223372036854775808",
      "922337203685477.5808E4", "999999999",           "1000000000",          "1000000001",
      "999999999.000001",       "999999999.0000001",   "1000000000.000001",   "99999999999",
      "100000000000",           "99999999998",         "99999999999.99999",   "-99999999999.99999",
      "99999999999E-5",         "9999999999999999E-5",
  };
  for (const char* x : values) ASSERT_TRUE(same_groups_both_layouts(quiet_num(x))) << x;
}

// The fixed-point parts are the exact integer part and six decimals, or
// false, at the same places (skipped on the library-only build, which
// never takes them).
TEST_F(ControlRoutes, FixedPointPartsAreExact) {
  if (!zqm_quick_routes) GTEST_SKIP() << "no quick routes in this build";
  const auto exact = [](uint64_t coefficient, int32_t exponent, bool negative) {
    zqm_fixed_point parts{true, 77, 77};
    const bool taken = zqm_fixed_point_parts(zqm_pack({negative, coefficient, exponent}), parts);
    // The reference in 128 bits: value * 10^6 as an integer, when it is one.
    bool whole_micros = false;
    zqm_wide micros = 0;
    if (exponent >= -6 && exponent <= 20) {
      micros = coefficient;
      for (int32_t i = -6; i < exponent; ++i) micros *= 10;
      whole_micros = true;
    } else if (exponent < -6 && exponent >= -16) {
      const uint64_t unit = zqm_powers_of_ten[static_cast<size_t>(-6 - exponent)];
      whole_micros = coefficient % unit == 0;
      micros = coefficient / unit;
    }
    const bool expected = whole_micros && micros < zqm_wide{zqm_fixed_whole_limit} * 1000000;
    if (taken != expected)
      return testing::AssertionFailure() << coefficient << "E" << exponent << " taken " << taken;
    if (!taken) {
      if (parts.whole == 77 && parts.micros == 77) return testing::AssertionSuccess();
      return testing::AssertionFailure() << coefficient << "E" << exponent << " touched";
    }
    if (parts.negative == negative && parts.whole == static_cast<uint64_t>(micros / 1000000) &&
        parts.micros == static_cast<uint64_t>(micros % 1000000))
      return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << coefficient << "E" << exponent << ": " << parts.whole << " " << parts.micros;
  };
  const zqm_wide two_64 = zqm_wide{1} << 64;
  for (int32_t e = -18; e <= 10; ++e) {
    std::vector<uint64_t> coefficients = {0, 1, 9, 10, zqm_coefficient_limit - 1};
    for (int p = 0; p < zqm_power_count - 1; ++p) {
      for (int d = -1; d <= 1; ++d)
        coefficients.push_back(zqm_powers_of_ten[static_cast<size_t>(p)] + static_cast<uint64_t>(d));
    }
    if (e >= 0) {
      for (const uint64_t k : {1u, 2u, 3u, 1000u}) {
        const zqm_wide centre = k * two_64 / zqm_powers_of_ten[static_cast<size_t>(e)];
        for (int d = -2; d <= 2; ++d) {
          const zqm_wide c = centre + static_cast<zqm_wide>(static_cast<zqm_signed_wide>(d));
          if (c < zqm_coefficient_limit) coefficients.push_back(static_cast<uint64_t>(c));
        }
      }
    }
    for (const uint64_t c : coefficients) {
      ASSERT_TRUE(exact(c, e, false));
      ASSERT_TRUE(exact(c, e, true));
    }
  }
  EXPECT_FALSE([] {
    zqm_fixed_point parts{};
    return zqm_fixed_point_parts(quiet_num("Inf"), parts) || zqm_fixed_point_parts(quiet_num("NaN"), parts);
  }());
}

// A value made from parts is the library's division of the whole numbers at
// every scale, with and without trailing zeros, up to 10^16 - 1.
TEST_F(ControlRoutes, ValuesFromFixedPointsAreTheDivision) {
  for (int digits = 0; digits <= 15; ++digits) {
    const uint64_t scale = zqm_powers_of_ten[static_cast<size_t>(digits)];
    for (const uint64_t n : {uint64_t{0}, uint64_t{1}, uint64_t{10}, scale - 1 + (scale == 1), scale,
                             scale + 1, scale * 10, zqm_coefficient_limit - 1, zqm_coefficient_limit - scale,
                             zqm_coefficient_limit / 10, uint64_t{1234567890123450}}) {
      if (n >= zqm_coefficient_limit) continue;
      for (const bool negative : {false, true}) {
        const int64_t signed_n = negative ? -static_cast<int64_t>(n) : static_cast<int64_t>(n);
        const zq_double_64 expected = zqm_div(zqm_zq_double_64_from_lint(signed_n),
                                              zqm_zq_double_64_from_lint(static_cast<int64_t>(scale)));
        ASSERT_EQ(zqm_take_error(), ERR_NONE);
        ASSERT_EQ(text_of(zqm_value_from_fixed_point(negative, n, digits)), text_of(expected))
            << (negative ? "-" : "") << n << " / 10^" << digits;
        ASSERT_EQ(zqm_value_from_fixed_point(negative, n, digits), expected);
      }
    }
  }
}

// isg and dse's quick route for whole counters below 10^9 against the
// general one (decoding, counting by one, writing back) from the same
// register: every counter below 200,000 and near 10^9, random words with
// the upper bits of such counters, and numbers of other kinds, which the
// quick route leaves alone.
TEST_F(ControlRoutes, SmallWholeCountersStepAsTheGeneralRouteSteps) {
  constexpr zq_cell_index R05 = CELL_R00 + 5;
  const auto same_step = [](zq_double_64 x, int64_t by) {
    operand(OPT_NUM, 5);
    zq_reg_set(R05, x, REG_HMS);
    zqm_set_error(ERR_UNKNOWN);
    int64_t count = -1;
    const bool quick = zq_step_small_operand_counter(by, count);
    if (!quick) {
      if (zq_regs[R05] == x && zqm_take_error() == ERR_UNKNOWN) return testing::AssertionSuccess();
      return testing::AssertionFailure() << text_of(x) << " by " << by << " touched";
    }
    int64_t a = 0, b = 0, c = 0;
    const int decoded = zq_decode_control(CONTROL_COUNTER, x, &a, &b, &c);
    const zq_double_64 general = zq_counter_value(a + by, b, c);
    if (decoded == 1 && b == 0 && c == 0 && count == a + by && zq_regs[R05] == general &&
        zq_reg_types[R05] == REG_HMS && zqm_take_error() == ERR_NONE) {
      return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << text_of(x) << " by " << by << ": " << text_of(zq_regs[R05]) << " count " << count
           << ", general " << text_of(general) << " from " << a << " " << b << " " << c;
  };
  const auto whole = [](uint64_t n) { return zqm_pack({false, n, 0}); };
  for (uint64_t n = 0; n < 200000; n += zq_random_share) {
    ASSERT_TRUE(same_step(whole(n), 1));
    ASSERT_TRUE(same_step(whole(n), -1));
    ASSERT_TRUE(same_step(whole(999900000 + n % 100000), n % 2 ? 1 : -1));
  }
  std::mt19937_64 random(4109);
  const zq_double_64 upper_bits = whole(0);
  for (int i = 0; i < 200000 / zq_random_share; ++i) {
    ASSERT_TRUE(same_step(upper_bits | (random() & ((uint64_t{1} << 30) - 1)), i % 2 ? 1 : -1));
  }
  for (const char* x : {"-1", "-0", "0E-1", "1E+1", "10.0", "3.002", "5.00501", "1000000000", "NaN"}) {
    ASSERT_TRUE(same_step(quiet_num(x), 1));
    ASSERT_TRUE(same_step(quiet_num(x), -1));
  }
}

// Only a register named directly: a pointer or a missing register goes the
// general route, which resolves (and complains) once.
TEST_F(ControlRoutes, TheQuickCounterRouteTakesDirectRegistersOnly) {
  zq_reg_set_number(CELL_R00 + 5, zqm_pack({false, 7, 0}));
  int64_t count = 0;
  operand(OPT_NUM | OPT_IND, 5);
  EXPECT_FALSE(zq_step_small_operand_counter(-1, count));
  operand(OPT_NUM, 1000);
  EXPECT_EQ(output_of([&] { EXPECT_FALSE(zq_step_small_operand_counter(-1, count)); }), "");
  operand(OPT_STACK, static_cast<uint16_t>(CELL_X));
  zq_reg_set_number(CELL_X, zqm_pack({false, 7, 0}));
  // The library-only build takes none.
  EXPECT_EQ(zq_step_small_operand_counter(-1, count), zqm_quick_routes);
  EXPECT_EQ(count, zqm_quick_routes ? 6 : 0);
}

TEST_F(ControlRoutes, TheDigitRouteDropsAStaleError) {
  zqm_set_error(ERR_OUT_OF_RANGE);
  int64_t a = 0, b = 0, c = 0;
  EXPECT_EQ(zq_decode_control(CONTROL_COUNTER, quiet_num("3.00201"), &a, &b, &c), 1);
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

}  // namespace
