// Stack and arithmetic handlers, and nbr: the exponents their results keep,
// the tag each store leaves in X (H.MMSS values come only from state files,
// so no transcript can show it), and a number step run from program memory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "commands/arith.h"
#include "commands/registers.h"
#include "commands/stack.h"
#include "interp/executor.h"
#include "interp/program.h"
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

class CommandsArith : public FreshTest {
 protected:
  // X and Y := the numbers, with tags.
  void stack(const char* y, uint8_t y_tag, const char* x, uint8_t x_tag) {
    zq_reg_set(CELL_Y, num(y), y_tag);
    zq_reg_set(CELL_X, num(x), x_tag);
  }
};

TEST_F(CommandsArith, ResultsKeepTheExponentsOfTheirOperands) {
  zq_reg_set_number(CELL_X, num("5"));
  zq_cmd_chs();  // times -1.0: one exponent step down
  EXPECT_EQ(cell_text(CELL_X), "-5.0");
  zq_cmd_chs();
  EXPECT_EQ(cell_text(CELL_X), "5.00");

  zq_reg_set_number(CELL_X, num("4"));
  zq_cmd_1_div_x();  // divides 1.0
  EXPECT_EQ(cell_text(CELL_X), "0.25");

  zq_reg_set_number(CELL_X, num("2"));
  zq_cmd_10_pow_x();  // 10.0 squared
  EXPECT_EQ(cell_text(CELL_X), "100.00");

  zq_reg_set_number(CELL_X, num("2.5"));
  zq_cmd_int();
  EXPECT_EQ(cell_text(CELL_X), "2.000000000000000");

  stack("50", REG_NUMBER, "10", REG_NUMBER);
  zq_cmd_percent();  // 10 / 100.0 is 0.1, times 50
  EXPECT_EQ(cell_text(CELL_X), "5.0");

  zq_reg_set_number(CELL_X, num("-0"));
  zq_cmd_sign();
  EXPECT_EQ(cell_text(CELL_X), "-1.0");
}

TEST_F(CommandsArith, ClxStoresTheAllZeroWordAndStopsTheNextLift) {
  zq_reg_set_number(CELL_Y, num("2"));
  zq_reg_set_number(CELL_X, num("3"));
  zq_cmd_clx();
  EXPECT_EQ(zq_regs[CELL_X], 0u);
  EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
  EXPECT_EQ(cell_text(CELL_X), "0E-398");
  EXPECT_EQ(zq_lift, 0);
  zq_stack_push(num("7"));
  EXPECT_EQ(cell_text(CELL_X), "7");
  EXPECT_EQ(cell_text(CELL_Y), "2");
  EXPECT_EQ(zq_lift, 1);
}

TEST_F(CommandsArith, StackMovesCarryEveryTag) {
  const uint64_t text = zq_cell_pack_text("ABC", 3);
  const uint64_t flags = uint64_t{1} << 63;
  auto load = [&] {
    zq_reg_set(CELL_X, text, REG_ALPHA);
    zq_reg_set(CELL_Y, flags, REG_FLAGS);
    zq_reg_set(CELL_Z, num("3"), REG_HMS);
    zq_reg_set(CELL_T, num("4"), REG_NUMBER);
  };
  auto expect = [](const uint8_t(&tags)[4]) {
    for (zq_cell_index i = 0; i < 4; ++i)
      EXPECT_EQ(zq_reg_types[CELL_X + i], tags[i]) << "cell " << CELL_X + i;
  };

  load();
  zq_cmd_rup();
  expect({REG_NUMBER, REG_ALPHA, REG_FLAGS, REG_HMS});
  EXPECT_EQ(zq_regs[CELL_Y], text);
  zq_cmd_rdn();
  expect({REG_ALPHA, REG_FLAGS, REG_HMS, REG_NUMBER});
  zq_cmd_rdn();
  expect({REG_FLAGS, REG_HMS, REG_NUMBER, REG_ALPHA});
  EXPECT_EQ(zq_regs[CELL_T], text);
  zq_cmd_rup();
  zq_cmd_x_swap_y();
  expect({REG_FLAGS, REG_ALPHA, REG_HMS, REG_NUMBER});
  EXPECT_EQ(zq_regs[CELL_X], flags);

  // lastx pushes LASTX with its tag; only dropl of the moves writes LASTX.
  load();
  zq_reg_set_number(CELL_L, num("9"));
  zq_cmd_drop();
  EXPECT_EQ(cell_text(CELL_L), "9");
  expect({REG_FLAGS, REG_HMS, REG_NUMBER, REG_NUMBER});
  load();
  zq_cmd_dropl();
  EXPECT_EQ(zq_regs[CELL_L], text);
  EXPECT_EQ(zq_reg_types[CELL_L], REG_ALPHA);
  zq_cmd_lastx();
  expect({REG_ALPHA, REG_FLAGS, REG_HMS, REG_NUMBER});
  EXPECT_EQ(zq_regs[CELL_X], text);
}

TEST_F(CommandsArith, RawOneOperandRowsKeepTheTagOfX) {
  void (*const raw[])() = {zq_cmd_ln,      zq_cmd_x_pow_2, zq_cmd_int,       zq_cmd_sqrt, zq_cmd_abs,
                           zq_cmd_frc,     zq_cmd_fact,    zq_cmd_log,       zq_cmd_sin,  zq_cmd_atan,
                           zq_cmd_e_pow_x, zq_cmd_percent, zq_cmd_percent_ch};
  for (auto handler : raw) {
    stack("50", REG_NUMBER, "4", REG_HMS);
    handler();
    EXPECT_EQ(zq_reg_types[CELL_X], REG_HMS);
    EXPECT_EQ(zq_reg_types[CELL_L], REG_HMS);  // LASTX got the old X with its tag
    EXPECT_EQ(zq_reg_types[CELL_Y], REG_NUMBER);
  }
  stack("50", REG_NUMBER, "4", REG_HMS);
  zq_cmd_1_div_x();
  EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
  zq_reg_set(CELL_X, num("4"), REG_HMS);
  zq_cmd_chs();
  EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
}

TEST_F(CommandsArith, RawTwoOperandRowsTakeTheTagOfY) {
  stack("7", REG_HMS, "2", REG_NUMBER);
  zq_cmd_mod();
  EXPECT_EQ(cell_text(CELL_X), "1");
  EXPECT_EQ(zq_reg_types[CELL_X], REG_HMS);

  stack("2", REG_HMS, "3", REG_NUMBER);
  zq_cmd_y_pow_x();
  EXPECT_EQ(cell_text(CELL_X), "8");
  EXPECT_EQ(zq_reg_types[CELL_X], REG_HMS);

  void (*const tagged[])() = {zq_cmd_plus, zq_cmd_minus, zq_cmd_mul, zq_cmd_div};
  for (auto handler : tagged) {
    stack("8", REG_HMS, "2", REG_HMS);
    handler();
    EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
    EXPECT_EQ(zq_reg_types[CELL_L], REG_HMS);
  }
}

TEST_F(CommandsArith, AFailureChangesNoCell) {
  zq_reg_set_number(CELL_T, num("4"));
  zq_reg_set_number(CELL_Z, num("3"));
  stack("0", REG_NUMBER, "0", REG_HMS);
  zq_reg_set_number(CELL_L, num("9"));
  uint64_t before[CELL_T + 1];
  uint8_t types_before[CELL_T + 1];
  std::memcpy(before, zq_regs, sizeof before);
  std::memcpy(types_before, zq_reg_types, sizeof types_before);

  void (*const failing[])() = {zq_cmd_div, zq_cmd_1_div_x, zq_cmd_y_pow_x, zq_cmd_percent_ch};
  for (auto handler : failing) {
    zq_last_error = 0;
    testing::internal::CaptureStdout();
    handler();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DATA ERROR\n");
    EXPECT_EQ(zq_last_error, ERR_DATA);  // also for a division by zero
    EXPECT_EQ(std::memcmp(before + CELL_L, zq_regs + CELL_L, sizeof before - sizeof before[0]), 0);
    EXPECT_EQ(std::memcmp(types_before + CELL_L, zq_reg_types + CELL_L, CELL_T), 0);
  }
}

// The arc sine's NaN is followed by the grad conversion, whose divisor only
// rounds: the failure it hides is reported all the same.
TEST_F(CommandsArith, AHiddenFailureWithANaNChangesNoCell) {
  zq_angle = ANGLE_GRAD;
  for (auto handler : {zq_cmd_asin, zq_cmd_acos}) {
    stack("0", REG_NUMBER, "2", REG_NUMBER);
    zq_last_error = 0;
    testing::internal::CaptureStdout();
    handler();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "NE_NAN\nDATA ERROR\n");
    EXPECT_EQ(zq_last_error, ERR_DATA);
    EXPECT_EQ(cell_text(CELL_X), "2");
    EXPECT_EQ(cell_text(CELL_L), "0.0");
  }
}

TEST_F(CommandsArith, FlagTwentyFiveSwallowsTheReportButStillRefuses) {
  stack("1", REG_NUMBER, "0", REG_NUMBER);
  zq_reg_set_number(CELL_L, num("9"));
  zq_flag_set(FLAG_IGNORE_ERROR);
  testing::internal::CaptureStdout();
  zq_cmd_div();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(zq_flag_test(FLAG_IGNORE_ERROR));
  EXPECT_EQ(zq_last_error, ERR_DATA);
  EXPECT_EQ(cell_text(CELL_X), "0");
  EXPECT_EQ(cell_text(CELL_Y), "1");
  EXPECT_EQ(cell_text(CELL_L), "9");
}

TEST_F(CommandsArith, SignOfTextAndFlagData) {
  zq_reg_set(CELL_X, 0x434241, REG_ALPHA);
  zq_cmd_sign();
  EXPECT_EQ(zq_regs[CELL_X], zqm_k_0);
  EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
  EXPECT_EQ(zq_regs[CELL_L], 0x434241u);
  EXPECT_EQ(zq_reg_types[CELL_L], REG_ALPHA);

  zq_reg_set(CELL_X, uint64_t{1} << 63 | 1, REG_FLAGS);  // flag 63 set
  zq_cmd_sign();
  EXPECT_EQ(zq_regs[CELL_X], zqm_k_minus_1);
  zq_reg_set(CELL_X, uint64_t{1} << 62, REG_FLAGS);
  zq_cmd_sign();
  EXPECT_EQ(zq_regs[CELL_X], zqm_k_1);
  EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
}

TEST_F(CommandsArith, NumberStepPushesTheWordsAfterIt) {
  const zq_double_64 stored = num("1.50");
  zq_mode = MODE_RUN;
  pc = 10;
  zq_prog[11] = static_cast<uint32_t>(stored);
  zq_prog[12] = static_cast<uint32_t>(stored >> 32);
  zq_regs[CELL_LITERAL] = num("7");
  zq_cmd_nbr();
  EXPECT_EQ(zq_regs[CELL_X], stored);
  EXPECT_EQ(zq_regs[CELL_LITERAL], stored);
  EXPECT_FALSE(zq_flag_test(FLAG_NUM_INPUT));  // only a typed number sets it

  // Inside an xail line the parser's literal is pushed, not the step's words.
  zq_xail = 1;
  zq_regs[CELL_LITERAL] = num("7");
  zq_cmd_nbr();
  EXPECT_EQ(cell_text(CELL_X), "7");
  EXPECT_EQ(zq_regs[CELL_Y], stored);

  zq_xail = 0;
  zq_mode = MODE_RECORD;
  zq_cmd_nbr();
  EXPECT_EQ(cell_text(CELL_X), "7");
  EXPECT_EQ(zq_regs[CELL_Y], stored);

  zq_mode = MODE_IMMEDIATE;
  zq_cmd_nbr();
  EXPECT_EQ(cell_text(CELL_Y), "7");
  EXPECT_TRUE(zq_flag_test(FLAG_NUM_INPUT));
  std::memset(zq_prog + 11, 0, 2 * sizeof zq_prog[0]);

  // A step at the last word has its number words outside memory: they read
  // as 0 and nothing is read past the end.
  zq_mode = MODE_RUN;
  pc = zq_prog_size - 1;
  zq_cmd_nbr();
  EXPECT_EQ(zq_regs[CELL_X], 0u);
  pc = 1;
}

}  // namespace
