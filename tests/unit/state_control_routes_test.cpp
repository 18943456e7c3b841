// Control numbers: the decoder that reads the groups from the decimal's own
// digits gives what the "%f" text route gives, and the counter write-back
// built from coefficient and exponent is the decimal division, bit for bit.
// Every counter of a dense grid, millions of random numbers of every size
// and the hand-picked edge cases.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "number/number.h"
#include "state/control.h"

#include "number_test_support.h"
#include "start_test_support.h"

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

TEST_F(ControlRoutes, TheDigitRouteDropsAStaleError) {
  zqm_set_error(ERR_OUT_OF_RANGE);
  int64_t a = 0, b = 0, c = 0;
  EXPECT_EQ(zq_decode_control(CONTROL_COUNTER, quiet_num("3.00201"), &a, &b, &c), 1);
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

}  // namespace
