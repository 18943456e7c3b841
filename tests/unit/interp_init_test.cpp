// Initialisation, the digit-count flags, the prompt, and the mode and
// information commands that keep their state in step.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/main_loop.h"
#include "commands/info.h"
#include "commands/modes.h"
#include "commands/registers.h"
#include "commands/xail.h"
#include "files/program_file.h"
#include "interp/executor.h"
#include "interp/init.h"
#include "interp/labels.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/modes.h"
#include "state/registers.h"
#include "state/stack_display.h"
#include "state/stats.h"
#include "state/watch.h"

#include "number_test_support.h"

namespace {

constexpr uint64_t bit(int flag) { return uint64_t{1} << flag; }
constexpr uint64_t initial_flags = bit(26) | bit(28) | bit(29) | bit(38) | bit(40) | bit(59) | bit(63);
constexpr uint64_t mirror_flags = uint64_t{0xff} << 36;  // 36 to 43

using namespace zq_test;

// The decoded command of a typed digit count, as the parser leaves it.
void decode_count(int32_t cmd, uint16_t count, uint8_t opt = OPT_NUM) {
  zq_decoded.cmd = cmd;
  zq_decoded.opt = opt;
  zq_decoded.add = count;
}

class Init : public FreshTest {};

TEST_F(Init, LeavesTheInitialState) {
  // Disturb what initialisation must put back.
  zq_flags = ~uint64_t{0};
  zq_angle = ANGLE_RAD;
  zq_disp_format = FMT_ENG;
  zq_digits = 9;
  zq_trace = 1;
  zq_quit = 1;
  zq_lift = 0;
  zq_watch_count = 3;
  zq_stat_base = 40;
  zq_size = 5;
  zq_ret_depth = 7;
  zq_last_error = ERR_DATA;
  zq_reg_set_number(CELL_X, quiet_num("5"));
  zq_reg_set_number(CELL_L, quiet_num("6"));
  zq_reg_set_number(CELL_LAST, quiet_num("7"));
  zq_alpha[0] = 'A';
  zq_prog[5] = 0x1234;
  pc = 9;

  zq_init();

  EXPECT_EQ(zq_flags, initial_flags);
  EXPECT_EQ(zq_angle, ANGLE_DEG);
  EXPECT_EQ(zq_disp_format, FMT_FIX);
  EXPECT_EQ(zq_digits, 4);
  EXPECT_EQ(zq_trace, 0);
  EXPECT_EQ(zq_quit, 0);
  EXPECT_EQ(zq_lift, 1);
  EXPECT_EQ(zq_watch_count, 0);
  EXPECT_EQ(zq_stat_base, CELL_R00 + 11);
  EXPECT_EQ(zq_size, 1000);
  EXPECT_EQ(zq_ret_depth, 0);
  EXPECT_EQ(zq_last_error, 0);
  EXPECT_EQ(zq_advance, ADV_NEXT);
  EXPECT_EQ(zq_parse_state, EX_CMD_NUM);
  for (zq_cell_index cell = CELL_L; cell < zq_cell_count; ++cell) {
    EXPECT_EQ(zq_reg_types[cell], REG_NUMBER) << cell;
    EXPECT_EQ(zq_regs[cell], zqm_k_0) << cell;
  }
  for (const char c : zq_alpha) EXPECT_EQ(c, '\0');
  EXPECT_EQ(zq_prog[5], 0u);
  EXPECT_EQ(pc, 1);
  EXPECT_EQ(zq_final_end, 1);
  EXPECT_EQ(std::string(zq_prompt), "\n>");
  // "clall" typed at the prompt stays immediate.
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
}

// What a line, an xail line, a file load or the options leave behind.
void disturb_line_state() {
  zq_suppress_display = 1;
  zq_skip_pending = 1;
  zq_xail_failed = 1;
  std::snprintf(zq_labels[0], zq_label_name_size, "AB");
  zq_label_count = 1;
  unsigned char lead = 0xC3;  // the first byte of a symbol, its final one still awaited
  zq_map_utf8_char(&lead);
  zq_restored = 1;
  zq_autorun = 1;
}

TEST_F(Init, ClallLeavesTheRunningLineItsState) {
  disturb_line_state();
  zq_cmd_clall();
  EXPECT_EQ(zq_suppress_display, 1);
  EXPECT_EQ(zq_skip_pending, 1);
  EXPECT_EQ(zq_xail_failed, 1);
  EXPECT_EQ(zq_restored, 1);
  EXPECT_EQ(zq_autorun, 1);
}

TEST_F(Init, AtStartEverythingButProgramMemoryIsAtRest) {
  disturb_line_state();
  zq_prog[5] = 0x1234;
  zq_init_at_start();
  EXPECT_EQ(zq_suppress_display, 0);
  EXPECT_EQ(zq_skip_pending, 0);
  EXPECT_EQ(zq_xail_failed, 0);
  EXPECT_EQ(zq_label_count, 0);
  for (const char c : zq_labels[0]) EXPECT_EQ(c, '\0');
  unsigned char sigma[] = {0xCE, 0xA3};
  EXPECT_EQ(zq_map_utf8_char(&sigma[0]), 0);
  EXPECT_EQ(zq_map_utf8_char(&sigma[1]), 1) << "a new symbol, not the end of the old one";
  EXPECT_EQ(sigma[1], 's');
  EXPECT_EQ(zq_restored, 0);
  EXPECT_EQ(zq_autorun, 0);
  EXPECT_EQ(zq_prog[5], 0x1234u) << "a process starts with it empty";
  EXPECT_EQ(zq_final_end, 1);
}

TEST_F(Init, SetDigitsClampsAndMirrors) {
  struct Case {
    int64_t n;
    int64_t result;
  };
  for (const Case c : {Case{-3, 0}, Case{0, 0}, Case{9, 9}, Case{15, 15}, Case{20, 15}}) {
    zq_flags = ~uint64_t{0};
    EXPECT_EQ(zq_set_digits(c.n), c.result) << c.n;
    EXPECT_EQ((zq_flags >> 36) & 0xf, static_cast<uint64_t>(c.result)) << c.n;
    EXPECT_EQ(zq_flags | (uint64_t{0xf} << 36), ~uint64_t{0}) << "other flags kept";
  }
  zq_flags = 0;
  zq_set_digits(9);
  EXPECT_EQ(zq_flags, bit(36) | bit(39));
}

TEST_F(Init, PromptFollowsUserAndTrace) {
  zq_cmd_user();
  EXPECT_EQ(std::string(zq_prompt), "\nUSER> ");
  zq_cmd_trace();
  EXPECT_EQ(std::string(zq_prompt), "\nUSER:TRACE> ");
  zq_cmd_trace();
  EXPECT_EQ(std::string(zq_prompt), "\nUSER> ");
  zq_cmd_user();
  zq_cmd_trace();
  EXPECT_EQ(std::string(zq_prompt), "\nTRACE> ");
  // Only user and trace rebuild the prompt.
  zq_cmd_trace();
  zq_flag_set(FLAG_USER);
  EXPECT_EQ(std::string(zq_prompt), "\n>");
  for (size_t i = std::strlen(zq_prompt); i < sizeof zq_prompt; ++i) EXPECT_EQ(zq_prompt[i], '\0');
}

TEST_F(Init, ExitOnlyRequestsTheQuit) {
  const uint64_t flags = zq_flags;
  zq_cmd_exit();
  EXPECT_EQ(zq_quit, 1);
  EXPECT_EQ(zq_flags, flags);
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
}

TEST_F(Init, SizeQueryPushesTheFixedCount) {
  zq_reg_set_number(CELL_X, quiet_num("3"));
  zq_reg_set_number(CELL_L, quiet_num("4"));
  zq_size = 12;
  zq_cmd_size_q();
  EXPECT_EQ(zqm_lint_from_zq_double_64(zq_regs[CELL_X]), 1000);
  EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
  EXPECT_EQ(zq_regs[CELL_Y], quiet_num("3"));
  EXPECT_EQ(zq_regs[CELL_L], quiet_num("4"));
}

TEST_F(Init, AngleCommandsSetTheirMirrors) {
  struct Case {
    void (*command)();
    uint8_t angle;
    uint64_t flags;
  };
  for (const Case c : {Case{zq_cmd_rad, ANGLE_RAD, bit(43)}, Case{zq_cmd_grad, ANGLE_GRAD, bit(42)},
                       Case{zq_cmd_deg, ANGLE_DEG, 0}}) {
    zq_reg_set_number(CELL_X, quiet_num("90"));
    c.command();
    EXPECT_EQ(zq_angle, c.angle);
    EXPECT_EQ(zq_flags & (bit(42) | bit(43)), c.flags);
    EXPECT_EQ(zq_regs[CELL_X], quiet_num("90")) << "no value is converted";
  }
}

TEST_F(Init, DisplayCommandsSetModeDigitsAndMirrors) {
  struct Case {
    void (*command)();
    uint16_t count;
    uint8_t format;
    uint8_t digits;
    uint64_t flags;  // 36 to 43
  };
  const Case cases[] = {
      {zq_cmd_eng, 3, FMT_ENG, 3, bit(36) | bit(37) | bit(41)},
      {zq_cmd_fix, 4, FMT_FIX, 4, bit(38) | bit(40)},
      {zq_cmd_sci, 0, FMT_SCI, 0, 0},
      {zq_cmd_fix, 16, FMT_FIX, 15, (uint64_t{0xf} << 36) | bit(40)},
      {zq_cmd_sci, 99, FMT_SCI, 15, uint64_t{0xf} << 36},
      {zq_cmd_eng, 65535, FMT_ENG, 15, (uint64_t{0xf} << 36) | bit(41)},
  };
  zq_cmd_grad();
  for (const Case& c : cases) {
    decode_count(0, c.count);
    c.command();
    EXPECT_EQ(zq_disp_format, c.format) << c.count;
    EXPECT_EQ(zq_digits, c.digits) << c.count;
    // The angle mirror (grad, flag 42) is left alone.
    EXPECT_EQ(zq_flags & mirror_flags, c.flags | bit(42)) << c.count;
  }
}

TEST_F(Init, DisplayCountThroughIndTruncates) {
  struct Case {
    const char* value;
    uint8_t digits;
  };
  for (const Case c : {Case{"-2", 0}, Case{"7.9", 7}, Case{"1e20", 0}, Case{"NaN", 0}}) {
    zq_reg_set_number(CELL_R00 + 5, quiet_num(c.value));
    decode_count(0, 5, OPT_IND | OPT_NUM);
    zq_digits = 9;
    zq_cmd_sci();
    EXPECT_EQ(zq_digits, c.digits) << c.value;
    EXPECT_EQ(zq_disp_format, FMT_SCI);
    EXPECT_EQ(zqm_take_error(), ERR_NONE) << "no status left behind";
  }
}

}  // namespace
