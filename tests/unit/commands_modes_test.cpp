// Angle and display mode commands with their mirror flags, and the switches
// and memory-size commands of the information group.
#include <gtest/gtest.h>

#include <cstring>

#include "commands/info.h"
#include "commands/modes.h"
#include "interp/executor.h"
#include "interp/init.h"
#include "number/number.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/modes.h"
#include "state/registers.h"

#include "number_test_support.h"
#include "state_test_support.h"

namespace {

using namespace zq_test;

constexpr uint64_t digit_bits = uint64_t{0xf} << FLAG_DIGITS;

class CommandsModes : public FreshTest {};

TEST_F(CommandsModes, DigitCountIsClampedAndMirroredInFlags36To39) {
  struct Case {
    void (*handler)();
    uint8_t opt;
    uint16_t add;
    const char* x;  // X for an operand "ind x"
    uint8_t digits;
  };
  const Case cases[] = {
      {zq_cmd_fix, OPT_NUM, 16, "0", 15},
      {zq_cmd_fix, OPT_NUM, 99, "0", 15},
      {zq_cmd_sci, OPT_NUM, 0, "0", 0},
      {zq_cmd_fix, OPT_IND | OPT_STACK, CELL_X, "-2", 0},
      {zq_cmd_eng, OPT_IND | OPT_STACK, CELL_X, "7.9", 7},
      {zq_cmd_sci, OPT_IND | OPT_STACK, CELL_X, "1e20", 0},  // no 32-bit integer value
  };
  for (const Case& c : cases) {
    zq_digits = 9;
    zq_reg_set_number(CELL_X, num(c.x));
    zqm_take_error();
    operand(c.opt, c.add);
    c.handler();
    EXPECT_EQ(zq_digits, c.digits) << "X = " << c.x << ", add " << c.add;
    EXPECT_EQ((zq_flags & digit_bits) >> FLAG_DIGITS, c.digits);
    EXPECT_EQ(zqm_take_error(), ERR_NONE);  // these commands leave no pending error
  }
}

TEST_F(CommandsModes, FormatCommandsSetTheirMirrorFlags) {
  constexpr uint64_t format_bits = digit_bits | uint64_t{1} << FLAG_FIX | uint64_t{1} << FLAG_ENG;
  const uint64_t others = zq_flags & ~format_bits;
  operand(OPT_NUM, 3);
  zq_cmd_eng();
  EXPECT_EQ(zq_disp_format, FMT_ENG);
  EXPECT_EQ(zq_digits, 3);
  EXPECT_FALSE(zq_flag_test(FLAG_FIX));
  EXPECT_TRUE(zq_flag_test(FLAG_ENG));

  operand(OPT_NUM, 4);
  zq_cmd_fix();
  EXPECT_EQ(zq_disp_format, FMT_FIX);
  EXPECT_TRUE(zq_flag_test(FLAG_FIX));
  EXPECT_FALSE(zq_flag_test(FLAG_ENG));

  zq_cmd_sci();
  EXPECT_EQ(zq_disp_format, FMT_SCI);
  EXPECT_FALSE(zq_flag_test(FLAG_FIX));
  EXPECT_FALSE(zq_flag_test(FLAG_ENG));
  EXPECT_EQ(zq_flags & ~format_bits, others);  // no other flag touched
}

TEST_F(CommandsModes, AMissingIndirectRegisterChangesNoMode) {
  zq_flag_set(FLAG_FIX);
  operand(OPT_IND | OPT_NUM, 2000);
  testing::internal::CaptureStdout();
  zq_cmd_eng();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\n");
  EXPECT_EQ(zq_disp_format, FMT_FIX);
  EXPECT_EQ(zq_digits, 4);
  EXPECT_TRUE(zq_flag_test(FLAG_FIX));
  EXPECT_FALSE(zq_flag_test(FLAG_ENG));
}

TEST_F(CommandsModes, AngleCommandsSetFlags42And43AndConvertNothing) {
  zq_reg_set_number(CELL_X, num("90"));
  const uint64_t in_degrees = zq_flags;
  zq_cmd_rad();
  EXPECT_EQ(zq_angle, ANGLE_RAD);
  EXPECT_EQ(zq_flags, in_degrees | uint64_t{1} << FLAG_RAD);
  zq_cmd_grad();
  EXPECT_EQ(zq_angle, ANGLE_GRAD);
  EXPECT_EQ(zq_flags, in_degrees | uint64_t{1} << FLAG_GRAD);
  zq_cmd_deg();
  EXPECT_EQ(zq_angle, ANGLE_DEG);
  EXPECT_EQ(zq_flags, in_degrees);
  EXPECT_EQ(layer_text(zq_regs[CELL_X]), "90");
}

TEST_F(CommandsModes, SizeQueryLiftsAndPushesTheFixedCount) {
  zq_reg_set(CELL_X, zq_cell_pack_text("AB", 2), REG_ALPHA);
  zq_reg_set_number(CELL_L, num("9"));
  zq_cmd_size_q();
  EXPECT_EQ(layer_text(zq_regs[CELL_X]), "1000");
  EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
  EXPECT_EQ(zq_reg_types[CELL_Y], REG_ALPHA);
  EXPECT_EQ(layer_text(zq_regs[CELL_L]), "9");
}

TEST_F(CommandsModes, UserAndTraceToggleAndRebuildThePrompt) {
  zq_cmd_user();
  EXPECT_TRUE(zq_flag_test(FLAG_USER));
  EXPECT_STREQ(zq_prompt, "\nUSER> ");
  zq_cmd_trace();
  EXPECT_EQ(zq_trace, 1);
  EXPECT_STREQ(zq_prompt, "\nUSER:TRACE> ");
  zq_cmd_user();
  EXPECT_FALSE(zq_flag_test(FLAG_USER));
  EXPECT_STREQ(zq_prompt, "\nTRACE> ");
  zq_cmd_trace();
  EXPECT_EQ(zq_trace, 0);
  EXPECT_STREQ(zq_prompt, "\n>");
  EXPECT_EQ(zq_quit, 0);
  zq_cmd_exit();
  EXPECT_EQ(zq_quit, 1);
}

}  // namespace
