// Program control: runs and their ends, single and back steps, calls and
// the return stack, the destination cache, stops, interrupts, go-to-line
// and the commands that delete programs.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <thread>

#include "commands/program.h"
#include "interp/command_table.h"
#include "interp/executor.h"
#include "interp/interrupt.h"
#include "interp/labels.h"
#include "interp/navigation.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/registers.h"
#include "state/stack_display.h"

#include "interp_test_support.h"

namespace {

using namespace zq_test;

class ProgramTest : public zq_test::FreshTest {
 protected:
  static zq_double_64 x() { return zq_regs[CELL_X]; }
  static zq_double_64 y() { return zq_regs[CELL_Y]; }
};

TEST_F(ProgramTest, RunOnEmptyMemoryEndsAtOnce) {
  EXPECT_EQ(typed("run"), "");
  EXPECT_EQ(pc, 1);
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
}

TEST_F(ProgramTest, RunEndsOnTheEndAndStartsAgainFromLineOne) {
  load({"1 + end"});  // 1-3 the number, 4 +, 5 END
  EXPECT_EQ(typed("run"), "");
  EXPECT_TRUE(holds(x(), 1));
  EXPECT_EQ(pc, 5) << "the END at depth 0 keeps pc";
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  typed("run");
  EXPECT_TRUE(holds(x(), 2));
  EXPECT_EQ(pc, 5);

  // A typed end goes to line 1 and holds pc there; run still advances.
  pc = 4;
  typed("end");
  EXPECT_EQ(pc, 1);
  EXPECT_EQ(zq_advance, ADV_HOLD);
  typed("run");
  EXPECT_TRUE(holds(x(), 3));
  EXPECT_EQ(pc, 5);
}

TEST_F(ProgramTest, StopEndsTheRunPastItself) {
  load({"1 stop 2 end"});
  typed("run");
  EXPECT_TRUE(holds(x(), 1));
  EXPECT_EQ(pc, 5);
  typed("run");
  EXPECT_TRUE(holds(x(), 2));
  EXPECT_TRUE(holds(y(), 1));
  EXPECT_EQ(pc, 8);
}

TEST_F(ProgramTest, PromptStopsTheRun) {
  load({"prompt 1 end"});
  EXPECT_EQ(typed("run"), "\n") << "the empty alpha register";
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  EXPECT_EQ(pc, 2);
  EXPECT_TRUE(holds(x(), 0)) << "the step after prompt did not run";
  EXPECT_EQ(zq_suppress_display, 1);
}

TEST_F(ProgramTest, RunTraceShowsEachStepBeforeItRuns) {
  load({"1 end"});
  zq_trace = 1;
  const std::string out = typed("run");
  zq_trace = 0;
  ASSERT_EQ(out.substr(0, 10), "run \n01 1\n") << "the typed command, then its first step";
  EXPECT_NE(out.find("\n02 end \n"), std::string::npos) << out;
}

TEST_F(ProgramTest, SingleSteps) {
  // 1-3 the number 1, 4-5 xeq 02, 6 stop, 7 lbl 02, 8-10 the number 2,
  // 11 rtn, 12 END.
  load({"1 xeq 02 stop lbl 02 2 rtn end"});
  const struct {
    const char* output;
    int64_t pc_after;
    int64_t depth_after;
  } steps[] = {
      {"01 1\n", 4, 0},     {"02 xeq 02\n04 lbl 02\n", 8, 1},  // the jump traces its destination
      {"05 2\n", 11, 1},    {"06 rtn \n", 6, 0},               // back past the calling step
      {"03 stop \n", 7, 0},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.output);
    EXPECT_EQ(typed("sst"), s.output);
    EXPECT_EQ(pc, s.pc_after);
    EXPECT_EQ(zq_ret_depth, s.depth_after);
    EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
    EXPECT_EQ(zq_trace, 0);
    EXPECT_EQ(zq_advance, ADV_NEXT);
  }
  EXPECT_EQ(zq_ret[1], 4);
  EXPECT_TRUE(holds(x(), 2));

  // Through an END a single step goes to line 1 instead of returning.
  pc = 12;
  zq_ret_depth = 1;
  EXPECT_EQ(typed("s"), "07 end \n");
  EXPECT_EQ(pc, 1);
  EXPECT_EQ(zq_ret_depth, 1);
}

TEST_F(ProgramTest, SingleStepThatFailsLeavesImmediateMode) {
  load({"sin end"});
  zq_reg_set(CELL_X, 0, REG_FLAGS);
  EXPECT_EQ(typed("sst"), "01 sin \nExpecting Number Found Flags data.\n\nFLAG DATA\n");
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  EXPECT_EQ(pc, 1);

  load({"/ end"});
  zq_reg_set_number(CELL_X, number(0));
  zq_reg_set_number(CELL_Y, number(1));
  typed("sst");
  EXPECT_NE(zq_last_error, 0);
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE) << "no error stop is left";
  EXPECT_EQ(zq_advance, ADV_NEXT);
  EXPECT_EQ(pc, 1);
}

TEST_F(ProgramTest, RunAndSingleStepAsStepsOfDamagedMemoryDoNothing) {
  // Recording refuses both commands; only a damaged state file puts them in
  // memory, where they would run the step that is running them again.
  for (const char* name : {"run", "sst"}) {
    SCOPED_TRACE(name);
    load({"clx 1 end"});  // 1 clx (replaced), 2-4 the number 1, 5 END
    zq_prog[1] = zq_instr_pack({row_of(name), 0, 0});
    zq_reg_clear(CELL_X);
    typed("run");
    EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
    EXPECT_EQ(pc, 5) << "the run went on to its END";
    EXPECT_TRUE(holds(x(), 1));
  }
}

TEST_F(ProgramTest, SingleStepIsRefusedInsideAnXailLine) {
  load({"1 end"});
  zq_xail = 1;
  EXPECT_EQ(typed("sst"), "XAIL ERROR\n");
  EXPECT_EQ(pc, 1);
  EXPECT_TRUE(holds(x(), 0));
}

TEST_F(ProgramTest, BackSteps) {
  load({"sin cos tan end", "clx end"});
  const struct {
    int64_t from;
    const char* output;
    int64_t to;
  } cases[] = {
      {1, "04 end \n", 4},  // from line 1 it wraps to the END
      {2, "01 sin \n", 1},    {4, "03 tan \n", 3},
      {6, "01 clx \n", 5},    {7, "01 .end. \n", 7},  // the empty program of the final END
      {12, "01 .end. \n", 7},                         // pc left past the final END
  };
  for (const auto& c : cases) {
    pc = c.from;
    EXPECT_EQ(typed("bst"), c.output) << c.from;
    EXPECT_EQ(pc, c.to);
    EXPECT_EQ(zq_advance, ADV_NEXT);
  }
  pc = 3;
  EXPECT_EQ(typed("b"), "02 cos \n");
}

TEST_F(ProgramTest, SixtyThreeCallsNestTheNextIsRefused) {
  load({"lbl 01 xeq 01 stop end"});  // 1 lbl 01, 2-3 xeq 01, 4 stop, 5 END
  EXPECT_EQ(typed("xeq 01"), "Error stack overrun.\n");
  EXPECT_EQ(zq_ret_depth, 63);
  for (int64_t d = 1; d <= 63; ++d) EXPECT_EQ(zq_ret[d], 2);
  EXPECT_EQ(pc, 5) << "the run went on after the refused xeq to the stop";

  // Typed rtn pops onto the calling step; nothing advances.
  typed("rtn");
  EXPECT_EQ(pc, 2);
  EXPECT_EQ(zq_ret_depth, 62);
}

TEST_F(ProgramTest, TypedXeqClearsPendingReturnsRunKeepsThem) {
  // 1-2 xeq 02, 3-5 the number 2, 6 stop, 7 lbl 02, 8-10 the number 1,
  // 11 stop, 12 rtn, 13 END.
  load({"xeq 02 2 stop lbl 02 1 stop rtn end"});
  typed("run");
  EXPECT_EQ(pc, 12);
  EXPECT_EQ(zq_ret_depth, 1);
  typed("run");
  EXPECT_EQ(pc, 7) << "rtn went back to the caller";
  EXPECT_TRUE(holds(x(), 2));
  EXPECT_EQ(zq_ret_depth, 0);

  pc = 1;
  typed("run");
  ASSERT_EQ(zq_ret_depth, 1);
  typed("xeq 02");
  EXPECT_EQ(pc, 12);
  EXPECT_EQ(zq_ret_depth, 0) << "cleared by the typed xeq";
  typed("run");
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE) << "rtn at depth 0 ends the run";
  EXPECT_EQ(pc, 13);

  zq_ret_depth = 1;
  zq_ret[1] = 1;
  typed("rtn");
  EXPECT_EQ(pc, 1);
  EXPECT_EQ(zq_ret_depth, 0);
  typed("rtn");
  EXPECT_EQ(pc, 1) << "typed at depth 0 nothing changes";
}

TEST_F(ProgramTest, TypedXeqWithAMissingTargetStartsNoRun) {
  load({"1 end"});
  EXPECT_EQ(typed("xeq 05"), "Numeric Label 5 not found.\nNONEXISTENT\n");
  EXPECT_TRUE(holds(x(), 0));
  EXPECT_EQ(pc, 1);
}

TEST_F(ProgramTest, MissingTargetInARun) {
  load({"gto 09 1 end"});
  zq_ret_depth = 2;
  EXPECT_EQ(typed("run"), "Numeric Label 9 not found.\nNONEXISTENT\n");
  EXPECT_EQ(pc, 1) << "the run ends on the jump";
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  EXPECT_EQ(zq_ret_depth, 0);
  EXPECT_TRUE(holds(x(), 0));

  zq_flag_set(FLAG_IGNORE_ERROR);
  EXPECT_EQ(typed("run"), "");
  EXPECT_TRUE(holds(x(), 1)) << "with flag 25 the run goes on after the jump";
  EXPECT_EQ(pc, 6);
  EXPECT_FALSE(zq_flag_test(FLAG_IGNORE_ERROR));
}

// With flag 25 the run goes on past a missing target; no return was pushed,
// so the END ends the run instead of coming back to the xeq.
TEST_F(ProgramTest, RunningXeqPushesItsReturnOnlyForAFoundTarget) {
  load({"xeq 09 2 end"});
  zq_flag_set(FLAG_IGNORE_ERROR);
  EXPECT_EQ(typed("run"), "");
  EXPECT_EQ(zq_ret_depth, 0);
  EXPECT_TRUE(holds(x(), 2));
  EXPECT_TRUE(holds(y(), 0)) << "the steps after the xeq ran once";
  EXPECT_EQ(zq_last_error, ERR_NONEXISTENT);

  load({"xeq 01 lbl 01 rtn end"});
  pc = 1;
  zq_decoded = zq_instr{zq_idx_xeq, OPT_NUM, 1};
  zq_mode = MODE_RUN;
  zq_cmd_xeq();
  zq_mode = MODE_IMMEDIATE;
  EXPECT_EQ(zq_ret_depth, 1);
  EXPECT_EQ(zq_ret[1], 1) << "the return names the calling step";
}

TEST_F(ProgramTest, RunningJumpsCacheTheirDestination) {
  load({"gto 02 lbl 02 1 end"});  // dest_adr in word 2, lbl 02 in word 3
  typed("run");
  EXPECT_EQ(zq_prog[2], 3u);
  EXPECT_TRUE(holds(x(), 1));

  load({"gto ind 05 lbl 02 1 end"});
  zq_reg_set_number(CELL_R00 + 5, number(2));
  typed("run");
  typed("run");
  EXPECT_EQ(zq_prog[2], 0u) << "an indirect jump searches on every run";
  EXPECT_TRUE(holds(x(), 1));
  EXPECT_TRUE(holds(y(), 1));

  // Typed jumps neither read nor write a cache.
  load({"gto 02 lbl 02 end"});
  zq_prog[2] = 2;
  typed("gto 02");
  EXPECT_EQ(pc, 3);
  EXPECT_EQ(zq_prog[2], 2u);
}

TEST_F(ProgramTest, CacheIsUsedWhileItNamesTheLabel) {
  // 1-2 gto 02, 3 lbl 02, 4-6 the number 1, 7 stop, 8 lbl 02, 9-11 the
  // number 2, 12 END, 13 the final END.
  load({"gto 02 lbl 02 1 stop lbl 02 2 end"});
  const struct {
    uint32_t cache;
    int pushed;      // the number the run pushes first
    uint32_t after;  // the cache after the run
  } cases[] = {
      {8, 2, 8},   // a cache that names lbl 02 is taken without searching
      {5, 1, 3},   // inside a number step: searched again
      {7, 1, 3},   // a step that is no label
      {13, 1, 3},  // the final END is not below the final END
      {40, 1, 3},  // past memory in use
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cache);
    zq_prog[2] = c.cache;
    pc = 1;
    zq_reg_clear(CELL_X);
    zq_reg_clear(CELL_Y);
    typed("run");
    EXPECT_TRUE(holds(x(), c.pushed));
    EXPECT_EQ(zq_prog[2], c.after);
  }

  // A name cache must hold the same name.
  // 1-4 gto "AB", 5 stop, 6-8 lbl "AB", 9-11 the number 2, 12 stop,
  // 13-15 lbl "CD", 16-18 the number 3, 19 END, 20-22 lbl "AB", 23-25 the number 4.
  load({"gto \"AB\" stop lbl \"AB\" 2 stop lbl \"CD\" 3 end", "lbl \"AB\" 4 end"});
  const struct {
    uint32_t cache;
    int pushed;
  } named[] = {{0, 4}, {6, 2}, {13, 4}};
  for (const auto& c : named) {
    SCOPED_TRACE(c.cache);
    zq_prog[2] = c.cache;
    pc = 1;
    typed("run");
    EXPECT_TRUE(holds(x(), c.pushed));
  }
}

TEST_F(ProgramTest, JumpsOfAnXailLineLeaveTheCacheAlone) {
  load({"clx lbl 01 end"});  // the clx at word 1 stands for the xail step
  zq_mode = MODE_RUN;
  zq_xail = 1;
  zq_decoded = {zq_idx_xeq, OPT_NUM, 1};
  const uint32_t next = zq_prog[2];
  zq_cmd_xeq();
  EXPECT_EQ(pc, 2);
  EXPECT_EQ(zq_ret_depth, 1);
  EXPECT_EQ(zq_ret[1], 1) << "the address of the xail step";
  EXPECT_EQ(zq_prog[2], next) << "the word after the xail step is another step";
  zq_xail = 0;
  zq_mode = MODE_IMMEDIATE;
}

TEST_F(ProgramTest, InterruptStopsTheRunAfterTheCurrentStep) {
  load({"lbl 01 gto 01"});
  // Sent once the run has put its handler in place.
  std::thread interrupter([] {
    struct sigaction current = {};
    do {
      usleep(1000);
      sigaction(SIGINT, nullptr, &current);
    } while (current.sa_handler != zq_sigint_handler);
    kill(getpid(), SIGINT);
  });
  typed("run");
  interrupter.join();
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  EXPECT_EQ(pc, 2) << "past the step: after lbl 01, or after the jump onto it";
  struct sigaction after = {};
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, SIG_DFL) << "outside a run an interrupt ends the process";
}

TEST_F(ProgramTest, GoToLine) {
  load({"sin cos tan end", "clx end"});
  pc = 2;
  typed("gto. 3");
  EXPECT_EQ(pc, 3);
  typed("gto. 0");
  EXPECT_EQ(pc, 1);
  pc = 3;
  typed("gto.");
  EXPECT_EQ(pc, 1) << "no operand: line 1";
  pc = 6;
  typed("gto. 2");
  EXPECT_EQ(pc, 6);
  typed("gto. 9");
  EXPECT_EQ(pc, 7) << "counting stays on the final END";
}

TEST_F(ProgramTest, GoToTheEndOfMemory) {
  load({"sin cos"});
  EXPECT_EQ(typed("gto.."), "");
  EXPECT_EQ(zq_final_end, 4);
  EXPECT_EQ(pc, 4);
  EXPECT_EQ(zq_instr_unpack(zq_prog[3]).cmd, zq_idx_end);
  EXPECT_EQ(zq_instr_unpack(zq_prog[4]).add, 3) << "relinked";
  EXPECT_EQ(typed("gto.."), "line_no is zero\n");
  EXPECT_EQ(zq_final_end, 4);
  EXPECT_EQ(pc, 4);
}

TEST_F(ProgramTest, LblDoesNothing) {
  load({"lbl 01 end"});
  pc = 2;
  EXPECT_EQ(typed("lbl 01"), "");
  EXPECT_EQ(pc, 2);
  EXPECT_EQ(zq_final_end, 3);
}

TEST_F(ProgramTest, ClearOneProgram) {
  // 1-3 lbl "AA", 4-6 the number 1, 7 END, 8-10 lbl "BB", 11-13 the number 2,
  // 14 END, 15-17 lbl "CC", 18-21 gto "BB", 22 END, 23 the final END.
  load({"lbl \"AA\" 1 end", "lbl \"BB\" 2 end", "lbl \"CC\" gto \"BB\" end"}, true);
  ASSERT_EQ(zq_prog[19], 8u);
  pc = 5;
  EXPECT_EQ(typed("clp XY"), "NONEXISTENT: String Label XY not found.\n");
  EXPECT_EQ(zq_final_end, 23);
  EXPECT_EQ(pc, 5);

  zq_ret_depth = 1;
  zq_ret[1] = 18;
  EXPECT_EQ(typed("clp \"AA\""), "");
  EXPECT_EQ(zq_final_end, 16);
  EXPECT_EQ(pc, 16);
  EXPECT_EQ(zq_find_global_label("BB"), 1);
  EXPECT_EQ(zq_label_count, 2);
  EXPECT_EQ(zq_prog[12], 0u) << "the moved jump searches again";
  EXPECT_EQ(zq_ret_depth, 0) << "the calling step moved";

  EXPECT_EQ(typed("clp"), "NONEXISTENT\n");
  EXPECT_EQ(zq_final_end, 16);

  pc = 4;
  EXPECT_EQ(typed("clp 5"), "") << "a number is no name: the program of pc";
  EXPECT_EQ(zq_final_end, 9);
  EXPECT_EQ(pc, 9);
  EXPECT_EQ(zq_instr_unpack(zq_prog[1]).cmd, zq_idx_lbl);
}

TEST_F(ProgramTest, ClearOnEmptyMemory) {
  EXPECT_EQ(typed("clp"), "NONEXISTENT\n");
  EXPECT_EQ(typed("clp AB"), "NONEXISTENT\n");
  EXPECT_EQ(zq_final_end, 1);
  EXPECT_EQ(pc, 1);
}

TEST_F(ProgramTest, CutMemoryFromOneProgramOn) {
  const auto load_three = [] {
    // AA at 1, BB at 8, CC at 15; the final END at 22.
    load({"lbl \"AA\" 1 end", "lbl \"BB\" 2 end", "lbl \"CC\" 3 end"});
  };
  load_three();
  pc = 11;
  EXPECT_EQ(typed("pclps"), "");
  EXPECT_EQ(zq_final_end, 8);
  EXPECT_EQ(pc, 8);
  EXPECT_EQ(zq_find_global_label("AA"), 1);
  EXPECT_EQ(zq_label_count, 1);
  testing::internal::CaptureStdout();
  EXPECT_EQ(zq_find_global_label("BB"), 0);
  testing::internal::GetCapturedStdout();

  load_three();
  std::memcpy(zq_alpha, "BB", 3);
  pc = 4;
  typed("pclps");
  EXPECT_EQ(zq_final_end, 8);
  EXPECT_EQ(pc, 4) << "the smaller of the cut and pc";

  load_three();
  std::memcpy(zq_alpha, "XY", 3);
  EXPECT_EQ(typed("pclps"), "NONEXISTENT: String Label XY not found.\n");
  EXPECT_EQ(zq_final_end, 22);

  // A full alpha register counts by its first 8 characters.
  load({"lbl \"AA\" end", "lbl ABCDEFGH end"});
  std::memcpy(zq_alpha, "ABCDEFGHIJKLMNOPQRSTUVWX", zq_alpha_size);
  typed("pclps");
  EXPECT_EQ(zq_final_end, 5);

  zq_clear_program_memory();
  zq_put_final_end(1);
  EXPECT_EQ(typed("pclps"), "") << "empty memory: nothing";
}

TEST_F(ProgramTest, ListCommand) {
  load({"sin cos end"});
  EXPECT_EQ(typed("list"), "01 sin \n02 cos \n03 end \n\n");
  EXPECT_EQ(typed("list 1"), "01 sin \n");
}

}  // namespace
