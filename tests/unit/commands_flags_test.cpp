// Tests, flags and loop counters: typed tests answer, tests in a run skip the
// next step, the flag commands with their clamp, and isg and dse.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "commands/flags.h"
#include "interp/executor.h"
#include "interp/init.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/registers.h"

#include "interp_test_support.h"
#include "number_test_support.h"

namespace {

using namespace zq_test;

constexpr zq_cell_index R05 = CELL_R00 + 5;
constexpr zq_cell_index R07 = CELL_R00 + 7;
constexpr const char* out_of_range = "Flag out of range.\n";

class FlagsTest : public FreshTest {
 protected:
  static void set_stack(const char* x, const char* y) {
    zq_reg_set_number(CELL_X, quiet_num(x));
    zq_reg_set_number(CELL_Y, quiet_num(y));
  }
};

struct compare_case {
  const char* command;
  const char* x;
  const char* y;
  bool holds;
};

const std::vector<compare_case> compare_cases = {
    {"x=0?", "0", "5", true},   {"x=0?", "1", "0", false},       {"x=0?", "-0", "1", true},
    {"x<>0?", "0", "1", false}, {"x<>0?", "-2", "0", true},      {"x#0?", "3", "0", true},
    {"x!=0?", "0", "0", false}, {"x<0?", "-1", "0", true},       {"x<0?", "0", "0", false},
    {"x<=0?", "0", "0", true},  {"x<=0?", "1E-300", "0", false}, {"x>0?", "0", "0", false},
    {"x>0?", "2", "0", true},   {"x=y?", "2", "2.000", true},    {"x=y?", "2", "3", false},
    {"x<>y?", "2", "3", true},  {"xny?", "2", "2", false},       {"x#y?", "1", "2", true},
    {"x!=y?", "1", "1", false}, {"x<y?", "1", "2", true},        {"x<y?", "3", "2", false},
    {"x<y?", "2", "2", false},  {"x<=y?", "2", "2", true},       {"xly?", "3", "2", false},
    {"x>y?", "3", "2", true},   {"x>y?", "-3", "2", false},
};

TEST_F(FlagsTest, TypedComparisonsAnswerAndChangeNothing) {
  for (const compare_case& c : compare_cases) {
    SCOPED_TRACE(std::string(c.command) + " x=" + c.x + " y=" + c.y);
    reset(MODE_IMMEDIATE);
    set_stack(c.x, c.y);
    zq_reg_set_number(CELL_L, quiet_num("9"));
    const uint64_t x = zq_regs[CELL_X];
    const uint64_t y = zq_regs[CELL_Y];
    pc = 7;
    EXPECT_EQ(typed(c.command), c.holds ? "yes\n\n" : "no\n\n");
    EXPECT_EQ(pc, 7) << "typed tests never skip";
    EXPECT_EQ(zq_regs[CELL_X], x);
    EXPECT_EQ(zq_regs[CELL_Y], y);
    EXPECT_EQ(zq_regs[CELL_L], quiet_num("9")) << "not even LASTX changes";
    EXPECT_EQ(zq_last_error, 0);
  }
}

TEST_F(FlagsTest, ComparisonsInARunSkipOnlyWhenFalse) {
  for (const compare_case& c : compare_cases) {
    SCOPED_TRACE(std::string(c.command) + " x=" + c.x + " y=" + c.y);
    reset(MODE_IMMEDIATE);
    record((std::string(c.command) + " clx clx").c_str(), MODE_IMMEDIATE);
    set_stack(c.x, c.y);
    EXPECT_EQ(run_one_step(), "") << "a run shows no answer";
    EXPECT_EQ(pc, c.holds ? 2 : 3);
    EXPECT_EQ(zq_mode, MODE_RUN);
  }
}

TEST_F(FlagsTest, EqualityTestsCompareAnyTags) {
  zq_reg_set(CELL_X, 0x4241, REG_ALPHA);
  zq_reg_set(CELL_Y, 0x4241, REG_ALPHA);
  EXPECT_EQ(typed("x=y?"), "yes\n\n") << "no operand check";
  EXPECT_EQ(typed("x<>y?"), "no\n\n");
  EXPECT_EQ(typed("x<y?"), "Expecting Number Found Alpha data.\n\nALPHA DATA\n");
}

struct skip_case {
  const char* program;
  const char* x;
  int64_t pc_after;
};

TEST_F(FlagsTest, AFalseTestPassesOverOneWholeStepButNeverAnEnd) {
  const std::vector<skip_case> cases = {
      {"x=0? 12 clx", "1", 5},                                    // a three-word number step
      {"x=0? gto \"AB\" clx", "1", 6},                            // a four-word jump step
      {"x=0? \"abc\" clx", "1", 7},                               // a five-word alpha step
      {"x=0? 12 clx", "0", 2},         {"x=0? end clx", "1", 2},  // lands on the END
  };
  for (const skip_case& c : cases) {
    SCOPED_TRACE(c.program);
    reset(MODE_IMMEDIATE);
    record(c.program, MODE_IMMEDIATE);
    zq_reg_set_number(CELL_X, quiet_num(c.x));
    run_one_step();
    EXPECT_EQ(pc, c.pc_after);
  }
}

TEST_F(FlagsTest, SkipInsideAnXailLineWaitsForTheLine) {
  zq_mode = MODE_RUN;
  zq_xail = 1;
  pc = 4;
  zq_reg_set_number(CELL_X, quiet_num("1"));
  zq_cmd_x_eq_0();
  EXPECT_EQ(pc, 4);
  EXPECT_EQ(zq_skip_pending, 1);
}

TEST_F(FlagsTest, OutcomeOutsideRunAndPromptDoesNothing) {
  for (const uint32_t mode : {MODE_RECORD, MODE_ERROR_STOP}) {
    zq_mode = mode;
    pc = 4;
    testing::internal::CaptureStdout();
    zq_test_flag_outcome(0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(pc, 4);
  }
}

TEST_F(FlagsTest, FlagNumberClamp) {
  struct clamp_case {
    int64_t n;
    int64_t result;
    const char* output;
  };
  const std::vector<clamp_case> cases = {
      {0, 0, ""},
      {63, 63, ""},
      {64, 63, out_of_range},
      {-1, 0, out_of_range},
      {INT64_MAX, 63, out_of_range},
      {INT64_MIN, 0, out_of_range},
  };
  for (const clamp_case& c : cases) {
    SCOPED_TRACE(c.n);
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_flag_number_check(c.n), c.result);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
  }
}

struct set_clear_case {
  const char* line;
  const char* x;
  uint64_t flags_before;
  uint64_t flags_after;
  const char* output;
};

TEST_F(FlagsTest, SetAndClearFlags) {
  // All flags but 25, which would swallow the errors.
  const uint64_t all = ~(uint64_t{1} << FLAG_IGNORE_ERROR);
  const std::vector<set_clear_case> cases = {
      {"sf 05", "0", 0, uint64_t{1} << 5, ""},
      {"sf 00", "0", 0, 1, ""},
      {"sf 63", "0", 0, uint64_t{1} << 63, ""},
      {"cf 05", "0", all, all & ~(uint64_t{1} << 5), ""},
      {"sf 70", "0", 0, uint64_t{1} << 63, out_of_range},
      // -1 is stored in the 16-bit argument as 65535.
      {"cf -1", "0", all, all & ~(uint64_t{1} << 63), out_of_range},
      {"cf ind x", "-1", all, all & ~uint64_t{1}, out_of_range},
      {"sf ind x", "12.9", 0, uint64_t{1} << 12, ""},
      {"sf ind x", "-12.9", 0, 1, out_of_range},
      // Without a 32-bit integer part the flag number is refused.
      {"sf ind x", "1E10", 0, 0, "DATA ERROR\n"},
      {"cf ind x", "NaN", all, all, "DATA ERROR\n"},
  };
  for (const set_clear_case& c : cases) {
    SCOPED_TRACE(c.line);
    reset(MODE_IMMEDIATE);
    zq_reg_set_number(CELL_X, quiet_num(c.x));
    zq_flags = c.flags_before;
    EXPECT_EQ(typed(c.line), c.output);
    EXPECT_EQ(zq_flags, c.flags_after);
  }
}

TEST_F(FlagsTest, SetFlagThroughARegister) {
  zq_reg_set_number(R05, quiet_num("12"));
  const uint64_t before = zq_flags;
  typed("sf ind 05");
  EXPECT_EQ(zq_flags, before | (uint64_t{1} << 12));
}

TEST_F(FlagsTest, RefusedFlagNumberIsSwallowedByFlag25) {
  zq_reg_set_number(CELL_X, quiet_num("-3E12"));
  const uint64_t before = zq_flags;
  zq_flag_set(FLAG_IGNORE_ERROR);
  EXPECT_EQ(typed("sf ind x"), "");
  EXPECT_EQ(zq_last_error, ERR_DATA);
  EXPECT_EQ(zq_flags, before) << "flag 25 cleared, no flag set";
}

struct flag_test_case {
  const char* line;
  uint64_t flags_before;
  const char* output;
  uint64_t flags_after;
};

TEST_F(FlagsTest, TypedFlagTestsAnswer) {
  const uint64_t f5 = uint64_t{1} << 5;
  const uint64_t f63 = uint64_t{1} << 63;
  const std::vector<flag_test_case> cases = {
      {"fs? 05", 0, "no\n\n", 0},
      {"fs? 05", f5, "yes\n\n", f5},
      {"fc? 05", 0, "yes\n\n", 0},
      {"fc? 05", f5, "no\n\n", f5},
      {"fs?c 05", f5, "yes\n\n", 0},
      {"fs?c 05", 0, "no\n\n", 0},
      {"fc?c 05", f5, "no\n\n", 0},
      {"fc?c 05", 0, "yes\n\n", 0},
      {"fs? 70", f63, "Flag out of range.\nyes\n\n", f63},
      {"fs?c 70", f63, "Flag out of range.\nyes\n\nFlag out of range.\n", 0},
  };
  for (const flag_test_case& c : cases) {
    SCOPED_TRACE(c.line);
    reset(MODE_IMMEDIATE);
    zq_flags = c.flags_before;
    pc = 9;
    EXPECT_EQ(typed(c.line), c.output);
    EXPECT_EQ(zq_flags, c.flags_after);
    EXPECT_EQ(pc, 9);
  }
}

TEST_F(FlagsTest, FlagTestDoesNotCheckTheConversion) {
  // No 32-bit integer part: flag 0 is tested, and nothing is reported.
  zq_reg_set_number(CELL_X, quiet_num("1E10"));
  zq_flags = 1;
  EXPECT_EQ(typed("fs? ind x"), "yes\n\n");
  EXPECT_EQ(zq_last_error, 0);
  EXPECT_EQ(zqm_take_error(), ERR_NONE) << "no status is left behind";
}

TEST_F(FlagsTest, FlagTestsInARunSkipWhenTheConditionFails) {
  const uint64_t f5 = uint64_t{1} << 5;
  const uint64_t f63 = uint64_t{1} << 63;
  struct run_case {
    const char* program;
    uint64_t flags_before;
    int64_t pc_after;
    uint64_t flags_after;
    const char* output;
  };
  const std::vector<run_case> cases = {
      {"fs? 05 clx clx", f5, 2, f5, ""},
      {"fs? 05 clx clx", 0, 3, 0, ""},
      {"fc? 05 clx clx", 0, 2, 0, ""},
      {"fc? 05 clx clx", f5, 3, f5, ""},
      {"fs?c 05 clx clx", f5, 2, 0, ""},
      {"fc?c 05 clx clx", f5, 3, 0, ""},
      {"fs?c 70 clx clx", f63, 2, 0, "Flag out of range.\nFlag out of range.\n"},
      {"fs?c 70 clx clx", 0, 3, 0, "Flag out of range.\nFlag out of range.\n"},
  };
  for (const run_case& c : cases) {
    SCOPED_TRACE(c.program);
    reset(MODE_IMMEDIATE);
    record(c.program, MODE_IMMEDIATE);
    zq_flags = c.flags_before;
    EXPECT_EQ(run_one_step(), c.output);
    EXPECT_EQ(pc, c.pc_after);
    EXPECT_EQ(zq_flags, c.flags_after);
  }
}

TEST_F(FlagsTest, ExchangeLowFlagsWithX) {
  struct swap_case {
    const char* x;
    uint64_t flags_before;
    uint64_t flags_after;
    const char* x_after;
  };
  const uint64_t high = uint64_t{0xabc} << 8;
  const std::vector<swap_case> cases = {
      {"5", 0, 0x05, "0"},
      {"-5", 0, 0x05, "0"},
      {"5.9", high | 0xa0, high | 0x05, "160"},
      {"255", 0x5a, 0xff, "90"},
      {"0", high | 0xff, high, "255"},
  };
  for (const swap_case& c : cases) {
    SCOPED_TRACE(c.x);
    reset(MODE_IMMEDIATE);
    zq_reg_set(CELL_X, quiet_num(c.x), REG_HMS);
    zq_reg_set_number(CELL_L, quiet_num("7"));
    zq_flags = c.flags_before;
    EXPECT_EQ(typed("x<>f"), "");
    EXPECT_EQ(zq_flags, c.flags_after);
    EXPECT_TRUE(zqm_compare(zq_regs[CELL_X], quiet_num(c.x_after), CMP_EQ));
    EXPECT_EQ(zq_reg_types[CELL_X], REG_HMS) << "X keeps its tag";
    EXPECT_EQ(zq_regs[CELL_L], quiet_num("7")) << "LASTX unchanged";
  }

  for (const char* refused : {"256", "-255.5", "1E300"}) {
    SCOPED_TRACE(refused);
    reset(MODE_IMMEDIATE);
    zq_reg_set_number(CELL_X, quiet_num(refused));
    zq_flags = 0x33;
    EXPECT_EQ(typed("x<>f"), "DATA ERROR\n");
    EXPECT_EQ(zq_flags, 0x33u);
    EXPECT_EQ(zq_regs[CELL_X], quiet_num(refused));
  }
}

TEST_F(FlagsTest, RecallAndStoreTheFlagWord) {
  const uint64_t word = 0x8800014034000025;
  zq_flags = word;
  zq_reg_set_number(CELL_X, quiet_num("3"));
  zq_reg_set_number(CELL_L, quiet_num("4"));
  typed("rclflag");
  EXPECT_EQ(zq_regs[CELL_X], word);
  EXPECT_EQ(zq_reg_types[CELL_X], REG_FLAGS);
  EXPECT_EQ(zq_regs[CELL_Y], quiet_num("3")) << "the stack was lifted";
  EXPECT_EQ(zq_regs[CELL_L], quiet_num("4"));

  zq_flags = 0;
  EXPECT_EQ(typed("stoflag"), "");
  EXPECT_EQ(zq_flags, word);
  EXPECT_EQ(zq_regs[CELL_X], word) << "the stack is unchanged";

  zq_reg_set_number(CELL_X, quiet_num("1"));
  EXPECT_EQ(typed("stoflag"), "Expecting Flags Found Number data.\n\nDATA ERROR\n");
  EXPECT_EQ(zq_flags, word);
}

TEST_F(FlagsTest, RecallAfterClxOverwritesX) {
  zq_reg_set_number(CELL_Y, quiet_num("2"));
  typed("clx rclflag");
  EXPECT_EQ(zq_reg_types[CELL_X], REG_FLAGS);
  EXPECT_EQ(zq_regs[CELL_Y], quiet_num("2"));
}

TEST_F(FlagsTest, ViewTheFlagWord) {
  zq_flags = 0;
  EXPECT_EQ(typed("fview"), "0x0\n");
  zq_init();
  EXPECT_EQ(typed("fview"), "0x8800014034000000\n") << "flags 26 28 29 38 40 59 63";
  zq_flags = ~uint64_t{0};
  EXPECT_EQ(typed("fview"), "0xFFFFFFFFFFFFFFFF\n");
}

struct counter_case {
  const char* line;
  const char* before;
  const char* after;  // the exact decimal stored, exponent and all
  bool skips;
};

const std::vector<counter_case> counter_cases = {
    {"isg 05", "1.00501", "2.00501", false},
    {"isg 05", "5.00501", "6.00501", true},
    {"isg 05", "1.00503", "4.00503", false},
    {"isg 05", "0.00501", "1.00501", false},
    {"isg 05", "7", "8", true},           // final 0, step 1
    {"isg 05", "1.005", "2.005", false},  // step 00 counts by one, stays 00
    {"isg 05", "-3.01002", "-1.01002", false},
    {"isg 05", "-0.00501", "1.00501", false},    // the sign of a zero counter is lost
    {"isg 05", "30000.005", "30001.005", true},  // beyond 32 bits once scaled
    {"isg 05", "99999.99999", "100098.99999", true},
    {"dse 05", "3.002", "2.002", true},
    {"dse 05", "3.001", "2.001", false},
    {"dse 05", "10.00502", "8.00502", false},
    {"dse 05", "6.00502", "4.00502", false},  // steps past 5 without meeting it
    {"dse 05", "1", "0", true},
    {"dse 05", "0.00001", "-1.00001", false},
    {"dse 05", "-30000.00001", "-30001.00001", false},
};

TEST_F(FlagsTest, TypedCountersUpdateTheirRegisterOnly) {
  for (const counter_case& c : counter_cases) {
    SCOPED_TRACE(std::string(c.line) + " " + c.before);
    reset(MODE_IMMEDIATE);
    zq_reg_set_number(R05, quiet_num(c.before));
    pc = 3;
    EXPECT_EQ(typed(c.line), "");
    EXPECT_EQ(text_of(zq_regs[R05]), text_of(quiet_num(c.after)));
    EXPECT_EQ(pc, 3);
  }
}

TEST_F(FlagsTest, CountersInARunSkip) {
  for (const counter_case& c : counter_cases) {
    SCOPED_TRACE(std::string(c.line) + " " + c.before);
    reset(MODE_IMMEDIATE);
    record((std::string(c.line) + " clx clx").c_str(), MODE_IMMEDIATE);
    zq_reg_set_number(R05, quiet_num(c.before));
    EXPECT_EQ(run_one_step(), "");
    EXPECT_EQ(text_of(zq_regs[R05]), text_of(quiet_num(c.after)));
    EXPECT_EQ(pc, c.skips ? 3 : 2);
  }
}

TEST_F(FlagsTest, DseRunsPastAMissedFinalValue) {
  record("dse 05 clx clx", MODE_IMMEDIATE);
  zq_reg_set_number(R05, quiet_num("10.00502"));
  for (const char* expected : {"8.00502", "6.00502", "4.00502", "2.00502", "0.00502", "-2.00502"}) {
    pc = 1;
    run_one_step();
    EXPECT_EQ(text_of(zq_regs[R05]), text_of(quiet_num(expected)));
    EXPECT_EQ(pc, 2) << "never skips";
  }
}

// A register named directly takes the quick route for whole counters where
// it can; through a pointer the same counter goes the general route. Both
// leave the same register, skip and output.
TEST_F(FlagsTest, CountersNamedDirectlyStepAsThroughAPointer) {
  constexpr zq_cell_index R06 = CELL_R00 + 6;
  for (const char* command : {"isg", "dse"}) {
    for (const char* value : {"0", "1", "2", "999", "1000", "1001", "20000", "999999998", "999999999",
                              "1000000000", "-1", "-0", "0E-1", "1E+1", "10.0", "3.002", "5.00501"}) {
      SCOPED_TRACE(std::string(command) + " " + value);
      const auto step = [&](const std::string& line) {
        reset(MODE_IMMEDIATE);
        record((line + " clx clx").c_str(), MODE_IMMEDIATE);
        zq_reg_set_number(R05, quiet_num(value));
        zq_reg_set_number(R06, quiet_num("5"));
        const std::string output = run_one_step();
        return output + " " + std::to_string(zq_regs[R05]) + " " + std::to_string(pc) + " " +
               std::to_string(zq_mode);
      };
      EXPECT_EQ(step(std::string(command) + " 05"), step(std::string(command) + " ind 06"));
    }
  }
}

TEST_F(FlagsTest, CounterThroughIndAndKeepingItsTag) {
  zq_reg_set_number(R05, quiet_num("7"));
  zq_reg_set(R07, quiet_num("1.00501"), REG_HMS);
  typed("isg ind 05");
  EXPECT_EQ(text_of(zq_regs[R07]), "2.00501");
  EXPECT_EQ(zq_reg_types[R07], REG_HMS);
  EXPECT_EQ(zq_regs[R05], quiet_num("7"));

  zq_reg_set_number(CELL_Z, quiet_num("4.003"));
  typed("dse z");
  EXPECT_EQ(text_of(zq_regs[CELL_Z]), "3.003");
}

TEST_F(FlagsTest, CountersRefuseWhatTheyCannotDecodeOrStore) {
  struct refused_case {
    const char* line;
    const char* value;
  };
  const std::vector<refused_case> cases = {
      {"isg 05", "NaN"},         {"dse 05", "NaN"},
      {"isg 05", "1E19"},        {"dse 05", "-1E19"},         // no 64-bit integer part
      {"isg 05", "1E18"},        {"dse 05", "-1E18"},         // too large to write back
      {"isg 05", "99999999999"}, {"dse 05", "-99999999999"},  // 17 digits once counted
  };
  for (const refused_case& c : cases) {
    SCOPED_TRACE(std::string(c.line) + " " + c.value);
    reset(MODE_IMMEDIATE);
    record((std::string(c.line) + " clx clx").c_str(), MODE_IMMEDIATE);
    const zq_double_64 before = quiet_num(c.value);
    zq_reg_set_number(R05, before);
    EXPECT_EQ(run_one_step(), "DATA ERROR\n");
    EXPECT_EQ(zq_regs[R05], before) << "nothing is written";
    EXPECT_EQ(zq_mode, MODE_ERROR_STOP);
    EXPECT_EQ(pc, 1) << "the run stops on the step, without a skip";
  }
}

}  // namespace
