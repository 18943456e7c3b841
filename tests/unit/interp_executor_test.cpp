// The executor: the four modes, the operand-type checks and their reports,
// the trace line of typed commands, the skip of one program step and the
// cut of the return stack.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "interp/command_table.h"
#include "interp/executor.h"
#include "interp/program.h"
#include "interp/words.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/modes.h"
#include "state/registers.h"
#include "state/stats.h"

#include "interp_test_support.h"

namespace {

using namespace zq_test;

void set_alpha_cell(zq_cell_index cell) { zq_reg_set(cell, 0x4241, REG_ALPHA); }

class ExecutorTest : public zq_test::FreshTest {};

struct check_case {
  const char* line;
  std::function<void()> setup;
  const char* output;
  uint8_t error;
};

TEST_F(ExecutorTest, FailedChecksReportTheLastFailure) {
  const std::vector<check_case> cases = {
      {"+", [] { set_alpha_cell(CELL_Y); }, "Expecting Number Found Alpha data.\n\nALPHA DATA\n",
       ERR_ALPHA_DATA},
      {"stoflag", [] {}, "Expecting Flags Found Number data.\n\nDATA ERROR\n", ERR_DATA},
      {"stoflag", [] { zq_reg_set(CELL_X, number(1), REG_HMS); },
       "Expecting Flags Found HMS data.\n\nDATA ERROR\n", ERR_DATA},
      {"sto ind 05", [] { set_alpha_cell(CELL_R00 + 5); },
       "Expecting Number Found Alpha data.\n\nALPHA DATA\n", ERR_ALPHA_DATA},
      {"sin", [] { zq_reg_set(CELL_X, zq_flags, REG_FLAGS); },
       "Expecting Number Found Flags data.\n\nFLAG DATA\n", ERR_FLAG_DATA},
      // X fails first, Y last.
      {"+",
       [] {
         zq_reg_set(CELL_X, 0, REG_FLAGS);
         set_alpha_cell(CELL_Y);
       },
       "Expecting Number Found Alpha data.\n\nALPHA DATA\n", ERR_ALPHA_DATA},
      {"+",
       [] {
         set_alpha_cell(CELL_X);
         zq_reg_set(CELL_Y, 0, REG_FLAGS);
       },
       "Expecting Number Found Flags data.\n\nFLAG DATA\n", ERR_FLAG_DATA},
      {"-", [] { zq_reg_types[CELL_Y] = 0; }, "Expecting Number Found Alpha data.\n\nALPHA DATA\n",
       ERR_ALPHA_DATA},
      {"s+", [] { set_alpha_cell(zq_stat_base); }, "Expecting Number Found Alpha data.\n\nALPHA DATA\n",
       ERR_ALPHA_DATA},
      // The statistics failure comes after that of Y.
      {"s+",
       [] {
         zq_reg_set(CELL_Y, 0, REG_FLAGS);
         set_alpha_cell(zq_stat_base + 5);
       },
       "Expecting Number Found Alpha data.\n\nALPHA DATA\n", ERR_ALPHA_DATA},
      {"mean", [] { set_alpha_cell(zq_stat_base + 5); }, "Expecting Number Found Alpha data.\n\nALPHA DATA\n",
       ERR_ALPHA_DATA},
      {"isg 05", [] { set_alpha_cell(CELL_R00 + 5); }, "Expecting Number Found Alpha data.\n\nALPHA DATA\n",
       ERR_ALPHA_DATA},
      {"isg ind 05",
       [] {
         zq_reg_set_number(CELL_R00 + 5, number(7));
         set_alpha_cell(CELL_R00 + 7);
       },
       "Expecting Number Found Alpha data.\n\nALPHA DATA\n", ERR_ALPHA_DATA},
      {"dse ind z",
       [] {
         zq_reg_set_number(CELL_Z, number(-4));
         set_alpha_cell(CELL_X);
       },
       "Expecting Number Found Alpha data.\n\nALPHA DATA\n", ERR_ALPHA_DATA},
      {"isg ind 05", [] { zq_reg_set_number(CELL_R00 + 5, number(2000)); },
       "NONEXISTENT\nExpecting Number Found Alpha data.\n\nALPHA DATA\n", ERR_ALPHA_DATA},
      {"st+ 05", [] { zq_reg_set(CELL_X, 0, REG_FLAGS); },
       "Expecting Number Found Flags data.\n\nFLAG DATA\n", ERR_FLAG_DATA},
      {"st+ 05", [] { set_alpha_cell(CELL_R00 + 5); }, "Expecting Number Found Alpha data.\n\nALPHA DATA\n",
       ERR_ALPHA_DATA},
      // fix, sci, eng and cat through "ind": the named register is the count.
      {"fix ind 05", [] { set_alpha_cell(CELL_R00 + 5); },
       "Expecting Number Found Alpha data.\n\nALPHA DATA\n", ERR_ALPHA_DATA},
      {"sci ind x", [] { zq_reg_set(CELL_X, 0, REG_FLAGS); },
       "Expecting Number Found Alpha data.\n\nALPHA DATA\n", ERR_ALPHA_DATA},
      {"eng ind 2000", [] {}, "NONEXISTENT\nExpecting Number Found Alpha data.\n\nALPHA DATA\n",
       ERR_ALPHA_DATA},
      {"sto ind 1000", [] {}, "NONEXISTENT\nExpecting Number Found Alpha data.\n\nALPHA DATA\n",
       ERR_ALPHA_DATA},
      {"sf ind 05", [] { set_alpha_cell(CELL_R00 + 5); },
       "Expecting Number Found Alpha data.\n\nALPHA DATA\n", ERR_ALPHA_DATA},
      {"view ind t", [] { zq_reg_set(CELL_T, 0, REG_FLAGS); },
       "Expecting Number Found Alpha data.\n\nALPHA DATA\n", ERR_ALPHA_DATA},
  };
  for (const check_case& c : cases) {
    SCOPED_TRACE(c.line);
    reset(MODE_IMMEDIATE);
    c.setup();
    const uint64_t x = zq_regs[CELL_X];
    const uint64_t y = zq_regs[CELL_Y];
    const uint8_t digits = zq_digits;
    EXPECT_EQ(typed(c.line), c.output);
    EXPECT_EQ(zq_last_error, c.error);
    EXPECT_EQ(zq_regs[CELL_X], x) << "the handler is not called";
    EXPECT_EQ(zq_regs[CELL_Y], y);
    EXPECT_EQ(zq_digits, digits);
    EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  }
}

TEST_F(ExecutorTest, PassingChecksCallTheHandler) {
  const std::vector<check_case> cases = {
      {"sin", [] { zq_reg_set(CELL_X, number(0), REG_HMS); }, "", 0},
      {"stoflag", [] { zq_reg_set(CELL_X, 0, REG_FLAGS); }, "", 0},
      {"sto 05", [] { set_alpha_cell(CELL_R00 + 5); }, "", 0},
      {"sf 05", [] { set_alpha_cell(CELL_X); }, "", 0},
      {"isg ind 05", [] { zq_reg_set_number(CELL_R00 + 5, number(7)); }, "", 0},
      {"sto ind x", [] { zq_reg_set_number(CELL_X, number(-3)); }, "", 0},
      // A digit count given directly is not looked at.
      {"fix 05", [] { set_alpha_cell(CELL_R00 + 5); }, "", 0},
      // Nor is the register that a count read through "ind" would name.
      {"fix ind 05",
       [] {
         zq_reg_set_number(CELL_R00 + 5, number(3));
         set_alpha_cell(CELL_R00 + 3);
       },
       "", 0},
      {"+",
       [] {
         zq_reg_set_number(CELL_X, number(2));
         zq_reg_set_number(CELL_Y, number(3));
       },
       "", 0},
  };
  for (const check_case& c : cases) {
    SCOPED_TRACE(c.line);
    reset(MODE_IMMEDIATE);
    c.setup();
    uint8_t found = 0;
    uint8_t expected = 0;
    EXPECT_EQ(typed(c.line), c.output);
    EXPECT_EQ(zq_last_error, 0);
    if (zq_commands[zq_decoded.cmd].check_mask != 0) {
      EXPECT_EQ(zq_check_operands(found, expected), 1);
    }
  }
  reset(MODE_IMMEDIATE);
  zq_reg_set_number(CELL_X, number(2));
  zq_reg_set_number(CELL_Y, number(3));
  typed("+");
  EXPECT_EQ(zq_regs[CELL_X], number(5));

  reset(MODE_IMMEDIATE);
  zq_reg_set_number(CELL_R00 + 5, number(3));
  set_alpha_cell(CELL_R00 + 3);
  zq_digits = 9;
  typed("sci ind 05");
  EXPECT_EQ(zq_digits, 3);
}

// The check and the handler share one resolution: each index check speaks
// once, and a pointer without a 32-bit integer part (R00) leaves its status
// for the handler as well.
TEST_F(ExecutorTest, OneResolutionServesTheCheckAndTheHandler) {
  zq_reg_set_number(CELL_R00 + 6, number(2000));
  EXPECT_EQ(typed("rcl ind 06"), "NONEXISTENT\n");
  EXPECT_EQ(zq_regs[CELL_X], zqm_k_0);

  zq_reg_set_number(CELL_R00 + 5, quiet_num("1E20"));
  EXPECT_EQ(typed("st+ ind 05"), "DATA ERROR\n");
  EXPECT_EQ(zq_regs[CELL_R00], zqm_k_0);

  zq_reg_set_number(CELL_R00, quiet_num("1.00501"));
  EXPECT_EQ(typed("isg ind 05"), "");
  EXPECT_EQ(text_of(zq_regs[CELL_R00]), "2.00501");

  // A handler called on its own resolves at every request.
  zq_decoded = zq_instr{zq_decoded.cmd, OPT_IND | OPT_NUM, 6};
  testing::internal::CaptureStdout();
  EXPECT_EQ(zq_get_operand_reg(), zq_no_cell);
  EXPECT_EQ(zq_get_operand_reg(), zq_no_cell);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\nNONEXISTENT\n");
}

TEST_F(ExecutorTest, FlagTwentyFiveSilencesAFailedCheck) {
  set_alpha_cell(CELL_Y);
  zq_flag_set(FLAG_IGNORE_ERROR);
  EXPECT_EQ(typed("+"), "");
  EXPECT_EQ(zq_last_error, ERR_ALPHA_DATA);
  EXPECT_FALSE(zq_flag_test(FLAG_IGNORE_ERROR));
  EXPECT_EQ(zq_reg_types[CELL_Y], REG_ALPHA);
  EXPECT_EQ(typed("+"), "Expecting Number Found Alpha data.\n\nALPHA DATA\n") << "only once";
}

TEST_F(ExecutorTest, FailedCheckInARunStopsItOnTheStep) {
  record("sin sin", MODE_IMMEDIATE);
  zq_reg_set(CELL_X, 0, REG_FLAGS);
  zq_ret_depth = 3;
  EXPECT_EQ(run_one_step(), "Expecting Number Found Flags data.\n\nFLAG DATA\n");
  EXPECT_EQ(pc, 1);
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE) << "no error stop is left";
  EXPECT_EQ(zq_quit, 0);
  EXPECT_EQ(zq_ret_depth, 0);

  // The next run starts on the failing step and goes on once it passes.
  zq_advance = ADV_NEXT;
  zq_reg_set_number(CELL_X, number(0));
  EXPECT_EQ(run_one_step(), "");
  EXPECT_EQ(pc, 2);
  EXPECT_EQ(zq_mode, MODE_RUN);

  // Swallowed by flag 25, the run still stops, past the step.
  zq_reg_set(CELL_X, 0, REG_FLAGS);
  zq_flag_set(FLAG_IGNORE_ERROR);
  EXPECT_EQ(run_one_step(), "");
  EXPECT_EQ(pc, 3);
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
}

TEST_F(ExecutorTest, RunAdvancesByTheLengthOfEachStep) {
  record("clx 12 \"abc\" lbl \"AB\" lbl 01 sto 05 end", MODE_IMMEDIATE);
  for (const int64_t next : {2, 5, 10, 13, 14, 15, 15}) {
    SCOPED_TRACE(next);
    run_one_step();
    EXPECT_EQ(pc, next);
    if (zq_mode != MODE_RUN) break;  // the END may act as rtn at depth 0
  }
  EXPECT_EQ(pc, 15) << "an END has length 0";
}

TEST_F(ExecutorTest, HeldAdvanceKeepsThePc) {
  record("clx clx", MODE_IMMEDIATE);
  zq_advance = ADV_HOLD;
  run_one_step();
  EXPECT_EQ(pc, 1);
}

TEST_F(ExecutorTest, QuitRequestInARunOnlyStopsIt) {
  zq_prog[1] = zq_instr_pack({row_of("exit"), 0, 0});
  zq_prog[2] = zq_instr_pack({row_of("clx"), 0, 0});
  zq_ret_depth = 2;
  run_one_step();
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  EXPECT_EQ(zq_quit, 0);
  EXPECT_EQ(zq_ret_depth, 0);
  EXPECT_EQ(pc, 2) << "past the step";
}

TEST_F(ExecutorTest, XailLineCommandIsExecutedInPlaceOfTheStep) {
  record("sin", MODE_IMMEDIATE);
  zq_reg_set(CELL_X, 0, REG_FLAGS);
  zq_xail = 1;
  zq_advance = ADV_HOLD;
  zq_decoded = {row_of("clx"), 0, 0};
  EXPECT_EQ(run_one_step(), "") << "the sin step with its failing check is not decoded";
  EXPECT_EQ(zq_decoded.cmd, row_of("clx"));
  EXPECT_EQ(pc, 1);
  EXPECT_EQ(zq_mode, MODE_RUN);
}

TEST_F(ExecutorTest, WordNamingNoRowIsNeverDispatched) {
  // cmd -1 in its 9 bits: only a damaged state file holds such a word.
  zq_prog[1] = zq_instr_pack({-1, OPT_NUM, 5});
  zq_prog[2] = zq_instr_pack({row_of("clx"), 0, 0});
  zq_reg_set_number(CELL_X, number(7));
  run_one_step();
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE) << "the run stops";
  EXPECT_EQ(pc, 2);
  EXPECT_EQ(zq_regs[CELL_X], number(7));

  for (const int64_t outside : {int64_t{0}, zq_prog_size}) {
    pc = outside;
    run_one_step();
    EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
    EXPECT_EQ(pc, outside);
  }
}

TEST_F(ExecutorTest, WordsPastTheFinalEndAreNeverRun) {
  record("clx", MODE_IMMEDIATE);                      // the final END at word 2
  zq_prog[3] = zq_instr_pack({row_of("sin"), 0, 0});  // left over from a longer program
  zq_reg_set(CELL_X, 0, REG_FLAGS);
  pc = 3;
  EXPECT_EQ(run_one_step(), "") << "sin and its check do not run";
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  EXPECT_EQ(pc, 3);
  EXPECT_EQ(zq_reg_types[CELL_X], REG_FLAGS);
}

TEST_F(ExecutorTest, ErrorStopDiscardsTheNextCommand) {
  zq_mode = MODE_ERROR_STOP;
  zq_advance = ADV_HOLD;
  zq_ret_depth = 5;
  zq_xail = 1;
  zq_trace = 1;
  zq_flag_clear(FLAG_SHOW_STACK);  // the stack display would follow each trace line
  EXPECT_EQ(typed("12"), "0 \n");
  EXPECT_EQ(zq_regs[CELL_X], zqm_k_0) << "12 was not pushed";
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  EXPECT_EQ(zq_advance, ADV_NEXT);
  EXPECT_EQ(zq_ret_depth, 0);
  EXPECT_EQ(zq_xail, 0);
  EXPECT_EQ(zq_decoded.cmd, 0);
  EXPECT_EQ(typed("12"), "12\n");
  EXPECT_EQ(zq_regs[CELL_X], number(12));
}

TEST_F(ExecutorTest, RecordModeRecordsWithoutTraceOrChecks) {
  zq_mode = MODE_RECORD;
  zq_trace = 1;
  zq_reg_set(CELL_X, 0, REG_FLAGS);
  EXPECT_EQ(typed("sin"), "");
  EXPECT_EQ(zq_instr_unpack(zq_prog[1]).cmd, row_of("sin"));
  EXPECT_EQ(zq_final_end, 2);
}

struct trace_case {
  const char* row;
  uint8_t opt;
  uint16_t add;
  const char* text;
  const char* line;
};

TEST_F(ExecutorTest, TraceLineOfATypedCommand) {
  const std::vector<trace_case> cases = {
      {"sto", OPT_NUM, 5, "", "sto 5\n"},
      {"sto", OPT_NUM, 65535, "", "sto 65535\n"},
      {"rcl", OPT_IND | OPT_STACK, CELL_X, "", "rcl ind x\n"},
      {"sto", OPT_STACK, CELL_L, "", "sto l\n"},
      {"gto", OPT_IND | OPT_NUM, 5, "", "gto ind 5\n"},
      {"xeq", OPT_STR, 0, "AB", "xeq AB\n"},
      {"lbl", OPT_STR, 0, "ABCDEFGHIJ", "lbl ABCDEFGH\n"},
      {"lbl", OPT_CHAR, 'a', "a", "lbl \n"},
      {"clx", 0, 0, "clx", "clx \n"},
      {"0", 0, 0, "", "0 \n"},
      {"alpha", 0, 0, "hello", "\"hello\"\n"},
      {"append", 0, 0, "abc", ">\"abc\"\n"},
      {"alpha", 0, 0, "abcdefghijklmnopqrstuvwxyz", "\"abcdefghijklmnopqrstuvwx\"\n"},
  };
  for (const trace_case& c : cases) {
    SCOPED_TRACE(c.line);
    zq_decoded = {row_of(c.row), c.opt, c.add};
    std::memset(zq_text, 0, sizeof zq_text);
    std::snprintf(zq_text, sizeof zq_text, "%s", c.text);
    testing::internal::CaptureStdout();
    zq_trace_command();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
  }

  struct number_case {
    const char* text;
    const char* line;
  };
  for (const number_case& c :
       std::vector<number_case>{{"12", "12\n"}, {"1e3", "1E+3\n"}, {"-0.5", "-0.5\n"}}) {
    char text[zqm_string_size];
    std::snprintf(text, sizeof text, "%s", c.text);
    zq_regs[CELL_LITERAL] = zqm_zq_double_64_from_string(text, sizeof text, 1);
    zq_decoded = {row_of("nbr"), 0, 0};
    testing::internal::CaptureStdout();
    zq_trace_command();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
  }
}

TEST_F(ExecutorTest, TypedCommandsAreTracedBeforeTheyRun) {
  zq_trace = 1;
  zq_flag_clear(FLAG_SHOW_STACK);  // the stack display would follow the trace line
  set_alpha_cell(CELL_Y);
  EXPECT_EQ(typed("+"), "+ \nExpecting Number Found Alpha data.\n\nALPHA DATA\n");
}

TEST_F(ExecutorTest, SkipMovesOneWordOrWaitsForXail) {
  pc = 10;
  zq_skip_next_step();
  EXPECT_EQ(pc, 11);
  pc = zq_prog_size - 1;
  zq_skip_next_step();
  EXPECT_EQ(pc, zq_prog_size - 1) << "never past the last word";

  pc = 10;
  zq_xail = 1;
  zq_skip_next_step();
  EXPECT_EQ(pc, 10);
  EXPECT_EQ(zq_skip_pending, 1);
}

// A test step asks for the skip; the executor then adds the length of the
// step at the new pc.
TEST_F(ExecutorTest, SkipPassesOneWholeStepButNeverAnEnd) {
  record("x=0? gto \"AB\" clx x=0? end", MODE_IMMEDIATE);
  pc = 1;
  zq_skip_next_step();
  pc += zq_pc_inc(pc);
  EXPECT_EQ(pc, 6) << "the four-word gto is passed over";
  pc = 7;
  zq_skip_next_step();
  pc += zq_pc_inc(pc);
  EXPECT_EQ(pc, 8) << "the END is the next step";
  EXPECT_EQ(zq_instr_unpack(zq_prog[8]).cmd, zq_idx_end);
}

TEST_F(ExecutorTest, StatisticsRegistersNumeric) {
  EXPECT_EQ(zq_stat_regs_numeric(), 1);
  zq_reg_set(zq_stat_base + 5, 0, REG_HMS);
  EXPECT_EQ(zq_stat_regs_numeric(), 1);
  set_alpha_cell(zq_stat_base + 6);
  EXPECT_EQ(zq_stat_regs_numeric(), 1) << "only six registers count";
  zq_reg_set(zq_stat_base + 2, 0, REG_FLAGS);
  EXPECT_EQ(zq_stat_regs_numeric(), 0);
}

TEST_F(ExecutorTest, ReturnsAreDroppedFromAnAddressOn) {
  zq_ret_depth = 3;
  zq_ret[1] = 5;
  zq_ret[2] = 20;
  zq_ret[3] = 3;
  zq_drop_returns_from(10);
  EXPECT_EQ(zq_ret_depth, 1);
  zq_drop_returns_from(6);
  EXPECT_EQ(zq_ret_depth, 1);
  zq_drop_returns_from(5);
  EXPECT_EQ(zq_ret_depth, 0);
}

}  // namespace
