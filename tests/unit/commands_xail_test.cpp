// xail: the alpha register run as a command line, typed and as a program
// step, its refusals, its deferred skip and lines nested through a run.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "commands/xail.h"
#include "interp/command_table.h"
#include "interp/executor.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/registers.h"

#include "interp_test_support.h"

namespace {

using namespace zq_test;

class XailTest : public FreshTest {
 protected:
  // Sets the alpha register to text and types xail.
  static std::string xail(const char* text) {
    set_alpha(text);
    return typed("xail");
  }

  // The word address of the first step of row cmd.
  static int64_t address_of(int cmd) {
    for (int64_t a = 1; a < zq_final_end; a += zq_get_step_length(a)) {
      if (zq_step_at(a).cmd == cmd) return a;
    }
    return 0;
  }
};

TEST_F(XailTest, RunsTheLineAsTyped) {
  EXPECT_EQ(xail("1 2 +"), "");
  EXPECT_TRUE(holds(zq_regs[CELL_X], 3));
  EXPECT_TRUE(holds(zq_regs[CELL_L], 2));
  EXPECT_EQ(zq_xail, 0);
  EXPECT_EQ(zq_advance, ADV_NEXT);
}

TEST_F(XailTest, ParserStateComesBack) {
  // The typed line goes on after xail in the state it had before it.
  set_alpha("4");
  EXPECT_EQ(typed("xail 5 +"), "");
  EXPECT_TRUE(holds(zq_regs[CELL_X], 9));
  EXPECT_EQ(zq_parse_state, EX_CMD_NUM);
}

TEST_F(XailTest, RefusedWordStopsTheRestOfTheLine) {
  zq_reg_set_number(CELL_X, zqm_zq_double_64_from_int(4));
  // foo names nothing: refused without a parser message of its own.
  EXPECT_EQ(xail("sto 05 foo 7"), "XAIL ERROR\n");
  EXPECT_TRUE(holds(zq_regs[CELL_R00 + 5], 4));
  EXPECT_TRUE(holds(zq_regs[CELL_X], 4));
  EXPECT_TRUE(holds(zq_regs[CELL_Y], 0));
  EXPECT_EQ(zq_xail_failed, 1);
  EXPECT_EQ(zq_last_error, ERR_XAIL);
}

TEST_F(XailTest, OperandTheCommandCannotTake) {
  EXPECT_EQ(xail("sto foo"), "Unknown Command. foo\nXAIL ERROR\n");
  EXPECT_EQ(xail("reads 5"), "Error Number Not Expected.\nXAIL ERROR\n");
}

TEST_F(XailTest, RefusedRowsNeverRun) {
  // exeq would print its command, prompt the alpha register, end jump.
  for (const char* line :
       {"lbl 01", "gto 10", "xeq 10", "exeq", "rtn", "stop", "pse", "prompt", "end", "xail"}) {
    SCOPED_TRACE(line);
    const int64_t pc_before = pc;
    EXPECT_EQ(xail(line), "XAIL ERROR\n");
    EXPECT_EQ(pc, pc_before);
    EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  }
}

TEST_F(XailTest, ImmediateOnlyRowsRunWhenTyped) {
  // Only a run refuses the rows that cannot be recorded.
  EXPECT_EQ(xail("cat 7"), "Catalog number 7 is not implemented.\n");
}

TEST_F(XailTest, WaitingCommandIsDroppedAtTheEnd) {
  EXPECT_EQ(xail("sto"), "");
  EXPECT_EQ(zq_parse_state, EX_CMD_NUM);
  // The next typed word is a new command, not sto's register.
  typed("7");
  EXPECT_TRUE(holds(zq_regs[CELL_X], 7));
  EXPECT_TRUE(holds(zq_regs[CELL_R00 + 7], 0));
}

TEST_F(XailTest, OptionalOperandRunsAtTheLineEnd) {
  zq_flag_set(FLAG_NO_LINE_NUMBERS);
  load({"1 end"});
  // Through the program's END; a step without operand ends in a blank.
  EXPECT_EQ(xail("list"), "1\nend \n\n");
}

TEST_F(XailTest, FullRegisterRunsItsLastWord) {
  // 24 characters: nothing after the register is read.
  EXPECT_EQ(xail("cla 11 22 33 44 55 66 77"), "");
  EXPECT_TRUE(holds(zq_regs[CELL_X], 77));
  EXPECT_TRUE(holds(zq_regs[CELL_Y], 66));
  EXPECT_TRUE(holds(zq_regs[CELL_T], 44));
}

TEST_F(XailTest, EmptyRegisterDoesNothing) {
  zq_parse_state = EX_CMD_NUM;
  EXPECT_EQ(xail(""), "");
  EXPECT_TRUE(holds(zq_regs[CELL_X], 0));
  EXPECT_EQ(zq_last_error, 0);
  EXPECT_EQ(zq_decoded.cmd, zq_idx_xail);
}

TEST_F(XailTest, IgnoredErrorFlagSwallowsTheRefusal) {
  zq_flag_set(FLAG_IGNORE_ERROR);
  EXPECT_EQ(xail("gto 10"), "");
  EXPECT_FALSE(zq_flag_test(FLAG_IGNORE_ERROR));
  EXPECT_EQ(zq_last_error, ERR_XAIL);
}

TEST_F(XailTest, TypedTestsNeverSkip) {
  zq_reg_set_number(CELL_X, zqm_zq_double_64_from_int(1));
  EXPECT_EQ(xail("x=0? 5"), "no\n\n");
  EXPECT_TRUE(holds(zq_regs[CELL_X], 5));
  EXPECT_EQ(pc, 1);
}

TEST_F(XailTest, SkipInARunIsMadeAfterTheLine) {
  load({"lbl \"A\" \"x=0? 5\" xail 10 20 end"});
  zq_reg_set_number(CELL_X, zqm_zq_double_64_from_int(1));
  EXPECT_EQ(typed(".A"), "");
  // 10, the step after xail, was skipped.
  EXPECT_TRUE(holds(zq_regs[CELL_X], 20));
  EXPECT_TRUE(holds(zq_regs[CELL_Y], 5));
  EXPECT_TRUE(holds(zq_regs[CELL_Z], 1));
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
}

TEST_F(XailTest, PassedTestInARunSkipsNothing) {
  load({"lbl \"A\" \"x=0? 5\" xail 10 20 end"});
  EXPECT_EQ(typed(".A"), "");
  EXPECT_TRUE(holds(zq_regs[CELL_X], 20));
  EXPECT_TRUE(holds(zq_regs[CELL_Y], 10));
  EXPECT_TRUE(holds(zq_regs[CELL_Z], 5));
}

TEST_F(XailTest, TextOfTheLineInARunComesFromTheLine) {
  // The alpha command of the line must not read the words after xail.
  load({"lbl \"A\" xail stop \"WRONG\" end"});
  set_alpha("\"HI\"");
  EXPECT_EQ(typed(".A"), "");
  EXPECT_STREQ(zq_alpha, "HI");
}

TEST_F(XailTest, RefusedLineInARunStopsAfterTheXailStep) {
  load({"lbl \"A\" \"gto 10\" xail 1 end"});
  const int64_t after_xail = address_of(zq_idx_xail) + 1;
  EXPECT_EQ(typed(".A"), "XAIL ERROR\n");
  EXPECT_EQ(pc, after_xail);
  EXPECT_TRUE(holds(zq_regs[CELL_X], 0));
  EXPECT_EQ(zq_mode, MODE_ERROR_STOP);
}

TEST_F(XailTest, ErrorInARunLetsTheRestRunAsTyped) {
  load({"lbl \"A\" \"1/x 5 6\" xail 1 end"});
  const int64_t after_xail = address_of(zq_idx_xail) + 1;
  typed(".A");
  // 5 only ended the error stop; 6 ran as a typed command; the run ended.
  EXPECT_TRUE(holds(zq_regs[CELL_X], 6));
  EXPECT_TRUE(holds(zq_regs[CELL_Y], 0));
  EXPECT_EQ(pc, after_xail);
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  EXPECT_EQ(zq_xail, 0);
}

TEST_F(XailTest, LineNestedThroughARunKeepsTheOuterLine) {
  // The program's own line is refused; the typed line's later words still
  // run (5 ends the error stop, 6 is pushed), and the typed line's parser
  // state comes back.
  load({"lbl \"A\" \"gto 10\" xail end"});
  zq_arg_kind = CMD_TYPE_FNL1;
  EXPECT_EQ(xail(".A 5 6"), "XAIL ERROR\n");
  EXPECT_TRUE(holds(zq_regs[CELL_X], 6));
  EXPECT_EQ(zq_decoded.cmd, zq_idx_xail);
  EXPECT_EQ(zq_arg_kind, CMD_TYPE_FNL1);
  EXPECT_EQ(zq_xail_failed, 0);
}

TEST_F(XailTest, SkipOfANestedLineStaysItsOwn) {
  load({"lbl \"A\" \"x=0? 5\" xail 10 20 rtn end"});
  zq_reg_set_number(CELL_X, zqm_zq_double_64_from_int(1));
  EXPECT_EQ(xail(".A 30"), "");
  EXPECT_TRUE(holds(zq_regs[CELL_X], 30));
  EXPECT_TRUE(holds(zq_regs[CELL_Y], 20));
  EXPECT_TRUE(holds(zq_regs[CELL_Z], 5));
  EXPECT_EQ(zq_skip_pending, 0);
}

TEST_F(XailTest, ProgramRestartingItselfFromItsLineIsStopped) {
  // Each 1/x fails; the next word only ends the error stop and run starts
  // the xail step again, one level deeper each time, until the depth limit
  // refuses the line.
  load({"lbl \"A\" \"1/x 0 run\" xail end"});
  const std::string out = typed(".A");
  size_t refusals = 0;
  for (size_t at = out.find("XAIL ERROR"); at != std::string::npos; at = out.find("XAIL ERROR", at + 1))
    ++refusals;
  EXPECT_EQ(refusals, 1u);
  EXPECT_EQ(zq_last_error, ERR_XAIL);
  EXPECT_EQ(zq_xail, 0);
}

}  // namespace
