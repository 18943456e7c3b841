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

#include "number/number.h"
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
