// Conversion handlers: the exponents their results keep, the raw stores that
// leave X's tag alone, the refusals of dec and oct (which record no code for
// errno), and the angle mode that d-r and r-d leave as they found it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "commands/convert.h"
#include "number/number.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/modes.h"
#include "state/registers.h"

#include "number_test_support.h"
#include "state_test_support.h"

namespace {

using namespace zq_test;

// The stack cells L, X, Y, Z, T with their tags.
struct zq_stack_image {
  uint64_t values[CELL_T + 1];
  uint8_t tags[CELL_T + 1];
  zq_stack_image() {
    std::memcpy(values, zq_regs, sizeof values);
    std::memcpy(tags, zq_reg_types, sizeof tags);
  }
  bool operator==(const zq_stack_image& other) const {
    return std::memcmp(values + CELL_L, other.values + CELL_L, CELL_T * sizeof values[0]) == 0 &&
           std::memcmp(tags + CELL_L, other.tags + CELL_L, CELL_T) == 0;
  }
};

class CommandsConvert : public FreshTest {
 protected:
  static void stack(const char* y, const char* x) {
    zq_reg_set_number(CELL_Z, num("7"));
    zq_reg_set_number(CELL_Y, num(y));
    zq_reg_set_number(CELL_X, num(x));
    zqm_take_error();
  }
};

// Results and exponents: 17 dec is 15 times 1.0, hence 15.0.
TEST_F(CommandsConvert, ResultsCarryTheExponentsOfTheirComputation) {
  struct Case {
    const char* name;
    void (*handler)();
    const char* y;
    const char* x;
    const char* want_x;
    const char* want_y;  // Y afterwards: unchanged unless the command writes it
  };
  const Case cases[] = {
      {"dec", zq_cmd_dec, "1", "17", "15.0", "1"},
      {"dec", zq_cmd_dec, "1", "-17", "-15.0", "1"},
      {"dec", zq_cmd_dec, "1", "7777777777777777", "281474976710655.0", "1"},
      {"dec", zq_cmd_dec, "1", "0", "0.0", "1"},
      {"dec", zq_cmd_dec, "1", "1e3", "512.0", "1"},  // an integer with exponent 3
      {"oct", zq_cmd_oct, "1", "15", "17.0", "1"},
      {"oct", zq_cmd_oct, "1", "-8", "-10.0", "1"},
      {"oct", zq_cmd_oct, "1", "8.0", "10.0", "1"},
      // 7777777777777777.0 has 17 digits: rounded back to 16, exponent 0.
      {"oct", zq_cmd_oct, "1", "281474976710655", "7777777777777777", "1"},
      {"r-p", zq_cmd_r_to_p, "4", "3", "5", "53.13010235415598"},
      {"r-p", zq_cmd_r_to_p, "5", "0", "5", "90.00000000000004"},
      {"d-r", zq_cmd_d_to_r, "1", "180", "3.141592653589793", "1"},
  };
  for (const Case& c : cases) {
    stack(c.y, c.x);
    const zq_double_64 old_x = zq_regs[CELL_X];
    c.handler();
    EXPECT_EQ(cell_text(CELL_X), c.want_x) << c.name << " " << c.x;
    EXPECT_EQ(cell_text(CELL_Y), c.want_y) << c.name << " " << c.x;
    EXPECT_EQ(zq_regs[CELL_L], old_x) << c.name << " " << c.x;
    EXPECT_EQ(cell_text(CELL_Z), "7") << c.name << " " << c.x;
    EXPECT_EQ(zqm_take_error(), ERR_NONE) << c.name << " " << c.x;
  }
}

TEST_F(CommandsConvert, RoundingReadsBackTheDisplayedText) {
  struct Case {
    uint8_t format;
    uint8_t digits;
    bool radix_point;  // flag 28
    bool grouping;     // flag 29
    const char* x;
    const char* want;
  };
  const Case cases[] = {
      {FMT_FIX, 2, true, false, "0.6666666666666667", "0.67"},
      {FMT_FIX, 4, true, false, "2", "2.0000"},  // coefficient 20000, exponent -4
      {FMT_SCI, 2, true, false, "1256789.0", "1.26E+6"},
      {FMT_FIX, 4, true, true, "1234.5", "1234.5000"},
      {FMT_FIX, 2, false, true, "1234.5", "1234.50"},  // shown as 1.234,50
      {FMT_FIX, 0, true, false, "3.7", "4"},
      {FMT_FIX, 0, true, true, "1234567", "1234567"},       // shown as 1,234,567.
      {FMT_FIX, 4, true, false, "0.00001", "0.000010000"},  // shown as 1.0000e-5
      {FMT_ENG, 1, true, false, "123456.0", "1.20E+5"},     // shown as 120.e+3
      {FMT_FIX, 4, true, false, "-Infinity", "-Infinity"},
  };
  for (const Case& c : cases) {
    zq_disp_format = c.format;
    zq_digits = c.digits;
    zq_flag_put(FLAG_RADIX_POINT, c.radix_point);
    zq_flag_put(FLAG_GROUPING, c.grouping);
    stack("1", c.x);
    zq_cmd_rnd();
    EXPECT_EQ(cell_text(CELL_X), c.want) << c.x;
    EXPECT_EQ(zq_last_error, 0) << c.x;
  }
}

// The integer parts inside the H.MMSS conversions keep 16 digits, so the
// results do too; r-d divides 180 times pi by pi.
TEST_F(CommandsConvert, HmsArithmetic) {
  struct Case {
    const char* name;
    void (*handler)();
    const char* y;
    const char* x;
    const char* want_x;
    const char* want_y;
  };
  const Case cases[] = {
      {"hms", zq_cmd_hms, "1", "1.5", "1.300000000000000", "1"},
      {"hms", zq_cmd_hms, "1", "0.1", "0.06000000000000", "1"},
      {"hms", zq_cmd_hms, "1", "12.345678", "12.20444408000000", "1"},
      {"hr", zq_cmd_hr, "1", "1.3", "1.500000000000000", "1"},
      {"hr", zq_cmd_hr, "1", "-1.30", "-1.500000000000000", "1"},
      {"hr", zq_cmd_hr, "1", "1.75", "2.250000000000000", "1"},  // minutes are not range-checked
      {"hr", zq_cmd_hr, "1", "12.345678", "12.58243888888889", "1"},
      {"hms+", zq_cmd_hms_plus, "1.45", "0.3", "2.150000000000000", "7"},  // the stack drops
      {"hms-", zq_cmd_hms_minus, "2.15", "0.3", "1.450000000000000", "7"},
      {"r-d", zq_cmd_r_to_d, "1", "3.141592653589793", "180.0000000000000", "1"},
  };
  for (const Case& c : cases) {
    stack(c.y, c.x);
    const zq_double_64 old_x = zq_regs[CELL_X];
    c.handler();
    EXPECT_EQ(cell_text(CELL_X), c.want_x) << c.name << " " << c.x;
    EXPECT_EQ(cell_text(CELL_Y), c.want_y) << c.name << " " << c.x;
    EXPECT_EQ(zq_regs[CELL_L], old_x) << c.name;
    EXPECT_EQ(zq_last_error, 0) << c.name;
  }
}

TEST_F(CommandsConvert, PolarToRectangularOfAQuarterTurn) {
  stack("90", "2");
  zq_reg_set_number(CELL_T, num("8"));
  zq_cmd_p_to_r();
  EXPECT_EQ(cell_text(CELL_Y), "2.000000000000000");
  // Twice the cosine of the 16-digit quarter turn 1.570796326794897.
  EXPECT_EQ(cell_text(CELL_X), "-7.615937715299450E-16");
  EXPECT_EQ(cell_text(CELL_L), "2");
  EXPECT_EQ(cell_text(CELL_Z), "7");
  EXPECT_EQ(cell_text(CELL_T), "8");
}

// A point with negative X gets the angle of its own quadrant: half a turn
// is added to the arc tangent for Y >= 0 and taken off for Y < 0. X = 0 and
// X > 0 keep the arc tangent alone; X = -0 lies on the Y axis as X = 0 does.
TEST_F(CommandsConvert, RectangularToPolarGivesTheAngleOfThePointsQuadrant) {
  struct Case {
    uint8_t mode;
    const char* y;
    const char* x;
    const char* angle;
    const char* radius;
  };
  const Case cases[] = {
      {ANGLE_DEG, "0", "-1", "180.0000000000000", "1"},
      {ANGLE_DEG, "-0", "-1", "180.0000000000000", "1"},
      {ANGLE_DEG, "1", "-1", "135.0000000000000", "1.414213562373095"},
      {ANGLE_DEG, "-1", "-1", "-135.0000000000000", "1.414213562373095"},
      {ANGLE_DEG, "4", "3", "53.13010235415598", "5"},
      {ANGLE_DEG, "5", "0", "90.00000000000004", "5"},
      {ANGLE_DEG, "-5", "0", "-90.00000000000004", "5"},
      {ANGLE_DEG, "5", "-0", "90.00000000000004", "5"},
      {ANGLE_DEG, "-5", "-0", "-90.00000000000004", "5"},
      {ANGLE_RAD, "0", "-1", "3.141592653589793", "1"},
      {ANGLE_RAD, "-1", "-1", "-2.356194490192345", "1.414213562373095"},
      {ANGLE_RAD, "-5", "0", "-1.570796326794897", "5"},
      {ANGLE_RAD, "5", "-0", "1.570796326794897", "5"},
      {ANGLE_RAD, "-5", "-0", "-1.570796326794897", "5"},
      {ANGLE_GRAD, "5", "-0", "100.0000000000000", "5"},
      {ANGLE_GRAD, "-5", "-0", "-100.0000000000000", "5"},
      {ANGLE_GRAD, "1", "-1", "150", "1.414213562373095"},
      {ANGLE_GRAD, "-1", "-1", "-150", "1.414213562373095"},
  };
  for (const Case& c : cases) {
    zq_angle = c.mode;
    stack(c.y, c.x);
    zq_cmd_r_to_p();
    EXPECT_EQ(cell_text(CELL_Y), c.angle) << c.y << " " << c.x;
    EXPECT_EQ(cell_text(CELL_X), c.radius) << c.y << " " << c.x;
    EXPECT_EQ(zq_last_error, 0) << c.y << " " << c.x;
  }
}

TEST_F(CommandsConvert, RawStoresKeepTheTagsOfXAndY) {
  void (*const one[])() = {zq_cmd_dec, zq_cmd_oct,    zq_cmd_rnd,   zq_cmd_hms,
                           zq_cmd_hr,  zq_cmd_d_to_r, zq_cmd_r_to_d};
  for (auto handler : one) {
    zq_reg_set(CELL_X, num("5"), REG_HMS);
    handler();
    EXPECT_EQ(zq_reg_types[CELL_X], REG_HMS);
    EXPECT_EQ(zq_reg_types[CELL_L], REG_HMS);
  }
  void (*const pair[])() = {zq_cmd_p_to_r, zq_cmd_r_to_p};
  for (auto handler : pair) {
    zq_reg_set(CELL_X, num("3"), REG_NUMBER);
    zq_reg_set(CELL_Y, num("4"), REG_HMS);
    handler();
    EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
    EXPECT_EQ(zq_reg_types[CELL_Y], REG_HMS);
  }
  // After the drop X has the old Y's tag.
  void (*const drop[])() = {zq_cmd_hms_plus, zq_cmd_hms_minus};
  for (auto handler : drop) {
    zq_reg_set(CELL_X, num("1"), REG_NUMBER);
    zq_reg_set(CELL_Y, num("2"), REG_HMS);
    handler();
    EXPECT_EQ(zq_reg_types[CELL_X], REG_HMS);
    EXPECT_EQ(zq_reg_types[CELL_L], REG_NUMBER);
  }
}

// dec and oct refuse through the narrower reporter: DATA ERROR, flag 25
// honoured, but the code of the error before stays for errno.
TEST_F(CommandsConvert, OctalRefusalsRecordNoCode) {
  struct Case {
    void (*handler)();
    const char* x;
  };
  const Case cases[] = {
      {zq_cmd_dec, "18"},    {zq_cmd_dec, "-19"},
      {zq_cmd_dec, "1.5"},   {zq_cmd_dec, "10000000000000000"},
      {zq_cmd_dec, "1e300"}, {zq_cmd_dec, "Infinity"},
      {zq_cmd_dec, "NaN"},   {zq_cmd_oct, "281474976710656"},
      {zq_cmd_oct, "0.5"},   {zq_cmd_oct, "-Infinity"},
      {zq_cmd_oct, "NaN"},
  };
  for (const Case& c : cases) {
    stack("1", c.x);
    zq_last_error = ERR_OUT_OF_RANGE;
    const zq_stack_image before;
    testing::internal::CaptureStdout();
    c.handler();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DATA ERROR\n") << c.x;
    EXPECT_EQ(zq_last_error, ERR_OUT_OF_RANGE) << c.x;
    EXPECT_TRUE(zq_stack_image() == before) << c.x;

    zq_flag_set(FLAG_IGNORE_ERROR);
    testing::internal::CaptureStdout();
    c.handler();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.x;
    EXPECT_FALSE(zq_flag_test(FLAG_IGNORE_ERROR)) << c.x;
    EXPECT_TRUE(zq_stack_image() == before) << c.x;
  }

  // A running program stops on the step.
  stack("1", "8");
  zq_mode = MODE_RUN;
  testing::internal::CaptureStdout();
  zq_cmd_dec();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(zq_mode, MODE_ERROR_STOP);
}

TEST_F(CommandsConvert, OctalRoundTripsGiveBackTheInteger) {
  for (const char* x : {"0", "1", "8", "511", "123456789", "281474976710655", "-4095"}) {
    stack("1", x);
    zq_cmd_oct();
    zq_cmd_dec();
    EXPECT_TRUE(zqm_compare(zq_regs[CELL_X], num(x), CMP_EQ)) << x << ": " << cell_text(CELL_X);
  }
}

TEST_F(CommandsConvert, FailuresChangeNothingAndReportDataError) {
  struct Case {
    const char* name;
    void (*handler)();
    const char* y;
    const char* x;
    const char* output;
  };
  const Case cases[] = {
      {"r-p", zq_cmd_r_to_p, "0", "0", "NE_NAN\nDATA ERROR\n"},
      {"r-p", zq_cmd_r_to_p, "1e300", "1e300", "DATA ERROR\n"},  // the squares overflow
      // X x X overflows; Y x Y, computed after it, only rounds.
      {"r-p", zq_cmd_r_to_p, "0.3333333333333333", "1e200", "DATA ERROR\n"},
      {"r-p", zq_cmd_r_to_p, "0.3333333333333333", "-1e200", "DATA ERROR\n"},
      {"p-r", zq_cmd_p_to_r, "9e384", "1", "NE_NAN\nNE_NAN\nDATA ERROR\n"},  // an infinite angle
      {"d-r", zq_cmd_d_to_r, "1", "9e384", "DATA ERROR\n"},
      {"r-d", zq_cmd_r_to_d, "1", "9e384", "DATA ERROR\n"},
      {"hms", zq_cmd_hms, "1", "9e384", "DATA ERROR\n"},
      {"hms+", zq_cmd_hms_plus, "9e384", "9e384", "DATA ERROR\n"},
  };
  for (const Case& c : cases) {
    stack(c.y, c.x);
    zq_last_error = 0;
    const zq_stack_image before;
    testing::internal::CaptureStdout();
    c.handler();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output) << c.name;
    EXPECT_EQ(zq_last_error, ERR_DATA) << c.name;
    EXPECT_TRUE(zq_stack_image() == before) << c.name;
  }
}

TEST_F(CommandsConvert, DegreeConversionsIgnoreAndKeepTheAngleMode) {
  for (uint8_t mode : {ANGLE_DEG, ANGLE_RAD, ANGLE_GRAD}) {
    zq_angle = mode;
    stack("1", "180");
    zq_cmd_d_to_r();
    EXPECT_EQ(cell_text(CELL_X), "3.141592653589793");
    zq_cmd_r_to_d();
    EXPECT_TRUE(zqm_compare(zq_regs[CELL_X], num("180"), CMP_EQ)) << cell_text(CELL_X);
    EXPECT_EQ(zq_angle, mode);

    stack("1", "9e384");
    testing::internal::CaptureStdout();
    zq_cmd_d_to_r();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DATA ERROR\n");
    EXPECT_EQ(zq_angle, mode);
  }
}

}  // namespace
