// The parser state machine: classes of words by state, operands, refusals,
// comments, shortcuts, the number test and the small text helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "interp/command_table.h"
#include "interp/executor.h"
#include "interp/labels.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "interp/words.h"
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

class ParserTest : public zq_test::FreshTest {
 protected:
  ParserTest() : FreshTest(MODE_RECORD) {}

  static std::string output_of(const std::vector<const char*>& lines) {
    testing::internal::CaptureStdout();
    for (const char* line : lines) parse_line(line);
    return testing::internal::GetCapturedStdout();
  }

  static zq_instr step(int64_t address) { return zq_instr_unpack(zq_prog[address]); }
  static std::string step_name(int64_t address) {
    char name[zq_step_name_size + 1];
    zq_step_name(address, name);
    return name;
  }
};

struct decode_case {
  std::vector<const char*> lines;
  const char* row;
  uint8_t opt;
  uint16_t add;
  const char* name;  // the name words of the recorded step, or nullptr
};

// Recorded steps show what the parser completed.
TEST_F(ParserTest, CompletesCommandsWithTheirOperands) {
  const std::vector<decode_case> cases = {
      {{"sto 05"}, "sto", OPT_NUM, 5, nullptr},
      {{"STO 05"}, "sto", OPT_NUM, 5, nullptr},
      {{"rcl ind x"}, "rcl", OPT_IND | OPT_STACK, CELL_X, nullptr},
      {{"sto st y"}, "sto", OPT_STACK, CELL_Y, nullptr},
      {{"sto IND ST t"}, "sto", OPT_IND | OPT_STACK, CELL_T, nullptr},
      {{"sto", "05"}, "sto", OPT_NUM, 5, nullptr},
      {{"sf", "ind", "12"}, "sf", OPT_IND | OPT_NUM, 12, nullptr},
      {{"lbl a"}, "lbl", OPT_CHAR, 'a', nullptr},
      {{"lbl A"}, "lbl", OPT_CHAR, 'A', nullptr},
      {{"lbl x"}, "lbl", OPT_STR, 0, "x"},
      {{"lbl \"abc\""}, "lbl", OPT_STR, 0, "abc"},
      {{"lbl 12"}, "lbl", OPT_NUM, 12, nullptr},
      {{"lbl sin"}, "lbl", OPT_STR, 0, "sin"},
      {{"lbl ABCDEFGHIJ"}, "lbl", OPT_STR, 0, "ABCDEFGH"},
      {{"gto x"}, "gto", OPT_STR, 0, "x"},
      {{"gto ind 05"}, "gto", OPT_IND | OPT_NUM, 5, nullptr},
      {{"xeq \"A\"B"}, "xeq", OPT_STR, 0, "AB"},
      {{"wrts \"NAME\""}, "wrts", OPT_STR, 0, "NAME"},
      {{"wrts NAME"}, "wrts", OPT_STR, 0, "NAME"},
      {{"wrts ind"}, "wrts", OPT_STR, 0, "ind"},
      {{"wrts b"}, "wrts", OPT_CHAR, 'b', nullptr},
      {{"alpha 5"}, "alpha", OPT_NUM, 5, nullptr},
      {{"sto 70000"}, "sto", OPT_NUM, 65535, nullptr},
      {{"sto -1"}, "sto", OPT_NUM, 65535, nullptr},
      {{"sto -2.9"}, "sto", OPT_NUM, 65534, nullptr},
      {{"sto 12.9"}, "sto", OPT_NUM, 12, nullptr},
      {{"sto 1e20"}, "sto", OPT_NUM, 0, nullptr},
      {{"sto e2"}, "sto", OPT_NUM, 100, nullptr},
      {{".abc"}, "xeq", OPT_STR, 0, "abc"},
      {{".a"}, "xeq", OPT_CHAR, 'a', nullptr},
      {{".A.B"}, "xeq", OPT_STR, 0, "AB"},
      {{"RD"}, "rdn", 0, 0, nullptr},
      {{"-"}, "-", 0, 0, nullptr},
  };
  for (const decode_case& c : cases) {
    SCOPED_TRACE(c.lines.front());
    reset(MODE_RECORD);
    output_of(c.lines);
    const zq_instr first = step(1);
    EXPECT_EQ(first.cmd, row_of(c.row));
    EXPECT_EQ(first.opt, c.opt);
    EXPECT_EQ(first.add, c.add);
    if (c.name != nullptr) {
      const int64_t words = zq_commands[first.cmd].cmd_type == CMD_TYPE_GTO_XEQ ? 2 : 1;
      EXPECT_EQ(step_name(1 + words), c.name);
    }
    EXPECT_EQ(zq_final_end, 1 + zq_pc_inc(1)) << "exactly one step";
    EXPECT_EQ(zq_parse_state, EX_CMD_NUM);
  }
}

TEST_F(ParserTest, RecordsALineOfCommandsInOrder) {
  output_of({"sto 05 12 \"hi there\" end"});
  EXPECT_EQ(step(1).cmd, row_of("sto"));
  EXPECT_EQ(step(2).cmd, row_of("nbr"));
  EXPECT_EQ(zq_step_number(3), zqm_zq_double_64_from_int(12));
  EXPECT_EQ(step(5).cmd, row_of("alpha"));
  char text[zq_step_text_size + 1];
  zq_step_text(6, text);
  EXPECT_STREQ(text, "hi there");
  EXPECT_EQ(step(10).cmd, row_of("end"));
  EXPECT_EQ(step(10).opt, 0);
  EXPECT_EQ(zq_final_end, 11);
}

struct number_entry_case {
  const char* word;
  bool radix_point;
  const char* value;
};

TEST_F(ParserTest, NumberInCommandPositionIsEnteredThroughTheLiteralCell) {
  const std::vector<number_entry_case> cases = {
      {"12", true, "12"},
      {"e3", true, "1e3"},
      {"-1.5e-2", true, "-0.015"},
      {"1,5", false, "1.5"},
      {"1.5", false, "1.5"},
      {".5", true, "0.5"},
      {"12345678901234567", true, "1.234567890123457e16"},
  };
  for (const number_entry_case& c : cases) {
    SCOPED_TRACE(c.word);
    reset(MODE_RECORD);
    zq_flag_put(FLAG_RADIX_POINT, c.radix_point);
    zq_reg_types[CELL_LITERAL] = REG_ALPHA;
    char expected_text[zqm_string_size];
    std::snprintf(expected_text, sizeof expected_text, "%s", c.value);
    const zq_double_64 expected = zqm_zq_double_64_from_string(expected_text, sizeof expected_text, 1);
    output_of({c.word});
    EXPECT_EQ(step(1).cmd, row_of("nbr"));
    EXPECT_EQ(step(1).add, 0);
    EXPECT_EQ(zq_regs[CELL_LITERAL], expected);
    EXPECT_EQ(zq_step_number(2), expected);
    EXPECT_EQ(zq_reg_types[CELL_LITERAL], REG_ALPHA) << "only the value is written";
  }
}

TEST_F(ParserTest, NumberWordsAreRewrittenInPlace) {
  char word[zq_text_size] = "E3";
  zq_parse_word(word, sizeof word, 0);
  EXPECT_STREQ(word, "1e3");
  EXPECT_STREQ(zq_text, "E3") << "the text keeps the word as typed";

  zq_flag_clear(FLAG_RADIX_POINT);
  char comma[zq_text_size] = "1,5";
  zq_parse_word(comma, sizeof comma, 0);
  EXPECT_STREQ(comma, "1.5");
}

struct refusal_case {
  std::vector<const char*> lines;
  std::vector<int> results;  // of the words of the last line
  const char* output;
  uint8_t last_error;
};

// Refusals drop the waiting command and leave the parser in command
// position; only an unknown word there is an error code.
TEST_F(ParserTest, RefusesWordsThatDoNotFitTheState) {
  const std::vector<refusal_case> cases = {
      {{"reads 5"}, {1, 0}, "Error Number Not Expected.\n", 0},
      {{"sto foo"}, {1, 0}, "Unknown Command. foo\n", 0},
      {{"sto FOO"}, {1, 0}, "Unknown Command. FOO\n", 0},
      {{"sto sin"}, {1, 0}, "Unknown Command. sin\n", 0},
      {{"sto a"}, {1, 0}, "Unknown Command. a\n", 0},
      {{"sto \"r5\""}, {1, 0}, "Unknown Command. \"r5\"\n", 0},
      {{"fix x"}, {1, 0}, "Unknown Command. x\n", 0},
      {{"gto ind foo"}, {1, 1, 0}, "Unknown Command. foo\n", 0},
      {{"sto ind ind"}, {1, 1, 0}, "Unknown Command. ind\n", 0},
      {{"alpha abc"}, {1, 0}, "Unknown Command. abc\n", 0},
      {{"alpha \"abc\""}, {1, 0}, "Unknown Command. \"abc\"\n", 0},
      {{"size abc"}, {1, 0}, "Unknown Command. abc\n", 0},
      {{"foo"}, {0}, "NONEXISTENT\n", ERR_NONEXISTENT},
      {{"e"}, {0}, "NONEXISTENT\n", ERR_NONEXISTENT},
      {{"."}, {0}, "NONEXISTENT\n", ERR_NONEXISTENT},
      {{"ind"}, {0}, "NONEXISTENT\n", ERR_NONEXISTENT},
      {{"x"}, {0}, "NONEXISTENT\n", ERR_NONEXISTENT},
      {{"b1"}, {0}, "NONEXISTENT\n", ERR_NONEXISTENT},
  };
  for (const refusal_case& c : cases) {
    SCOPED_TRACE(c.lines.back());
    reset(MODE_IMMEDIATE);
    testing::internal::CaptureStdout();
    std::vector<int> results;
    for (const char* line : c.lines) results = parse_line(line);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
    EXPECT_EQ(results, c.results);
    EXPECT_EQ(zq_last_error, c.last_error);
    EXPECT_EQ(zq_parse_state, EX_CMD_NUM);
  }
}

TEST_F(ParserTest, RefusedCommandIsNotRecorded) {
  output_of({"sto foo 7"});
  EXPECT_EQ(step(1).cmd, row_of("nbr")) << "7 starts afresh in command position";
  EXPECT_EQ(zq_final_end, 4);
}

TEST_F(ParserTest, CommaMakesNoNumberWhileTheRadixMarkIsThePoint) {
  zq_mode = MODE_IMMEDIATE;
  EXPECT_EQ(output_of({"1,5"}), "NONEXISTENT\n");
  zq_flag_clear(FLAG_RADIX_POINT);
  EXPECT_EQ(output_of({"1,5"}), "");
}

TEST_F(ParserTest, UnknownWordInsideXailIsRefusedQuietly) {
  zq_mode = MODE_IMMEDIATE;
  zq_xail = 1;
  zq_last_error = 0;
  testing::internal::CaptureStdout();
  EXPECT_EQ(parse_line("foo"), std::vector<int>{0});
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(zq_last_error, 0);
}

TEST_F(ParserTest, XailRefusesItsRowsWithoutAMessage) {
  zq_mode = MODE_IMMEDIATE;
  zq_xail = 1;
  for (const char* name : {"lbl", "gto", "xeq", "exeq", "rtn", "stop", "pse", "prompt", "end", "xail"}) {
    SCOPED_TRACE(name);
    char word[zq_text_size];
    std::snprintf(word, sizeof word, "%s", name);
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_parse_word(word, sizeof word, 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(zq_parse_state, EX_CMD_NUM);
  }
}

struct refuses_case {
  const char* row;
  uint32_t mode;
  int refused;
};

TEST_F(ParserTest, XailRefusalTest) {
  const std::vector<refuses_case> cases = {
      {"lbl", MODE_IMMEDIATE, 1}, {"end", MODE_RUN, 1},  {"sto", MODE_IMMEDIATE, 0},
      {"sto", MODE_RUN, 0},       {"list", MODE_RUN, 1}, {"list", MODE_IMMEDIATE, 0},
  };
  for (const refuses_case& c : cases) {
    SCOPED_TRACE(c.row);
    zq_mode = c.mode;
    EXPECT_EQ(zq_xail_refuses(row_of(c.row)), c.refused);
  }
  EXPECT_EQ(zq_xail_refuses(-1), 0);
}

TEST_F(ParserTest, CommentRunsToTheEndOfTheLineInEveryState) {
  output_of({"sto @05", "05"});
  EXPECT_EQ(step(1).cmd, row_of("nbr")) << "the sto was dropped";
  reset(MODE_RECORD);
  output_of({"{ sto 05", "; rcl 05", "12 @ 13 ; 14", "ind@ 2"});
  EXPECT_EQ(zq_final_end, 1 + 3 + 3) << "12 and 2 only";
  EXPECT_EQ(zq_step_number(5), zqm_zq_double_64_from_int(2));
}

TEST_F(ParserTest, CommentStartsOnlyAtTheBeginningOfAWord) {
  zq_mode = MODE_IMMEDIATE;
  EXPECT_EQ(output_of({"sto 0@5"}), "Unknown Command. 0@5\n");
}

struct trace_line_case {
  std::vector<const char*> lines;
  const char* output;  // trace lines, in order
};

// The trace lines show which commands reached the executor and when.
TEST_F(ParserTest, TypedCommandsAreExecutedWhenComplete) {
  const std::vector<trace_line_case> cases = {
      {{"sto"}, ""},
      {{"sto", "05"}, "sto 5\n"},
      {{"size"}, "size \n"},
      {{"size 5"}, "size 5\n"},
      {{"size", "12345"}, "size \n12345\n"},
      {{"sto 5 size"}, "sto 5\nsize \n"},
      {{"fix ind st", "x"}, "fix ind x\n"},
      {{"psize cld"}, "psize \ncld \n"},
      {{"lbl", "", "a"}, "lbl \n"},
  };
  for (const trace_line_case& c : cases) {
    SCOPED_TRACE(c.lines.front());
    reset(MODE_IMMEDIATE);
    zq_trace = 1;
    zq_flag_clear(FLAG_SHOW_STACK);  // the stack display would follow each trace line
    EXPECT_EQ(output_of(c.lines), c.output);
  }
}

TEST_F(ParserTest, UserModeRunsAGlobalLabelByName) {
  zq_mode = MODE_IMMEDIATE;
  zq_trace = 1;
  std::snprintf(zq_labels[0], zq_label_name_size, "AB");
  std::snprintf(zq_labels[1], zq_label_name_size, "12");
  zq_label_count = 2;
  zq_flag_set(FLAG_USER);

  // The trace line shows the command as decoded: xeq with the name alone,
  // no number. (Afterwards xeq has run, so zq_decoded no longer holds it.)
  std::string out = output_of({"AB"});
  EXPECT_EQ(out.substr(0, 7), "xeq AB\n");

  out = output_of({"12"});
  EXPECT_EQ(out.substr(0, 7), "xeq 12\n") << "before the number test";

  zq_trace = 0;
  EXPECT_EQ(output_of({"A"}), "NONEXISTENT\n") << "one character";
  EXPECT_EQ(output_of({"ab"}), "NONEXISTENT\n") << "the case is kept";
  zq_flag_clear(FLAG_USER);
  EXPECT_EQ(output_of({"AB"}), "NONEXISTENT\n");
}

TEST_F(ParserTest, TraceShowsTheStackAfterEachCompleteCommandOnly) {
  zq_mode = MODE_IMMEDIATE;
  zq_trace = 1;
  struct display_case {
    std::vector<const char*> lines;
    bool shown;
  };
  // A pending stack-display suppression tells whether the display ran.
  const std::vector<display_case> cases = {
      {{"sto 05"}, true}, {{"sto"}, false},    {{"sto ind"}, false}, {{"sto st"}, false},
      {{"size"}, false},  {{"sto foo"}, true}, {{"foo"}, true},      {{"@ sto 05"}, false},
  };
  for (const display_case& c : cases) {
    SCOPED_TRACE(c.lines.front());
    reset(MODE_IMMEDIATE);
    zq_trace = 1;
    zq_suppress_display = 1;
    output_of(c.lines);
    EXPECT_EQ(zq_suppress_display, c.shown ? 0 : 1);
  }
  reset(MODE_RECORD);
  zq_trace = 1;
  zq_suppress_display = 1;
  output_of({"sto 05"});
  EXPECT_EQ(zq_suppress_display, 1) << "not while recording";
}

TEST_F(ParserTest, SaveAndRestoreKeepAWaitingCommand) {
  output_of({"sto"});
  zq_parser_save();
  EXPECT_EQ(zq_parse_state, EX_CMD_NUM);
  EXPECT_EQ(zq_decoded.cmd, 0);
  output_of({"12"});
  zq_parser_restore();
  EXPECT_EQ(zq_parse_state, EX_IND_NUM_STK);
  output_of({"07"});
  EXPECT_EQ(step(4).cmd, row_of("sto"));
  EXPECT_EQ(step(4).add, 7);
}

struct number_test_case {
  std::string word;
  int is_number;
};

TEST_F(ParserTest, NumberTest) {
  const std::vector<number_test_case> cases = {
      {"12", 1},
      {"-1.5", 1},
      {"+5", 1},
      {"1e5", 1},
      {"e3", 1},
      {"1e-5", 1},
      {".5", 1},
      {"5.", 1},
      {"-", 0},
      {"+", 0},
      {"e", 0},
      {".", 0},
      {"1-2", 0},
      {"--1", 0},
      {"1.2.3", 0},
      {"abc", 0},
      {"1e400", 0},
      {"1e-400", 0},
      {"x2", 0},
      {"1,5", 0},
      {"12345678901234567", 1},
      // The longest words that the conversion buffers hold, and one more.
      {std::string(39, '1'), 1},
      {std::string(40, '1'), 0},
      {"e" + std::string(28, '0') + "5", 1},
      {"e" + std::string(29, '0') + "5", 0},
  };
  for (const number_test_case& c : cases) {
    SCOPED_TRACE(c.word);
    char word[zq_text_size];
    std::snprintf(word, sizeof word, "%s", c.word.c_str());
    testing::internal::CaptureStdout();
    const int is_number = zq_is_number(word);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(is_number, c.is_number);
    EXPECT_EQ(zqm_error, ERR_NONE) << "the test leaves no pending error";
  }
}

TEST_F(ParserTest, NumberTestReadsCommasAsRadixMarksWhileFlag28IsClear) {
  zq_flag_clear(FLAG_RADIX_POINT);
  char word[zq_text_size] = "1,5";
  EXPECT_EQ(zq_is_number(word), 1);
  EXPECT_STREQ(word, "1.5");
  char both[zq_text_size] = "1.234,5";
  EXPECT_EQ(zq_is_number(both), 0);
}

TEST_F(ParserTest, TextHelpers) {
  char text[16] = "a\"b\"\"c";
  zq_remove_char(text, '"');
  EXPECT_STREQ(text, "abc");
  EXPECT_EQ(std::memcmp(text, "abc\0\0\0\0", 7), 0) << "the freed tail is cleared";

  struct strip_case {
    const char* text;
    size_t prefix;
    const char* result;
  };
  for (const strip_case& c : std::vector<strip_case>{{"\"abc\"", 1, "abc"},
                                                     {">\"abc\"", 2, "abc"},
                                                     {"|-\"x y\"", 3, "x y"},
                                                     {"\"\"", 1, ""},
                                                     {"\"", 1, ""},
                                                     {">\"", 2, ""}}) {
    SCOPED_TRACE(c.text);
    std::memset(zq_text, 'q', sizeof zq_text);
    std::snprintf(zq_text, sizeof zq_text, "%s", c.text);
    zq_strip_string_prefix(c.prefix);
    EXPECT_STREQ(zq_text, c.result);
    EXPECT_EQ(zq_text[sizeof zq_text - 1], '\0');
  }

  for (const char c : std::string("abcdefghijkmnopqrsuvwABKW")) {
    EXPECT_EQ(zq_is_local_label_char(c), 1) << c;
  }
  for (const char c : std::string("xyztlXYZTL1.\"")) EXPECT_EQ(zq_is_local_label_char(c), 0) << c;

  zq_parse_state = EX_NUM_STK;
  EXPECT_EQ(zq_stack_word("t"), 1);
  EXPECT_EQ(zq_stack_word("st"), 2);
  EXPECT_EQ(zq_stack_word("xy"), 0);
  zq_parse_state = EX_IND_NUM;
  EXPECT_EQ(zq_stack_word("x"), 0);
  EXPECT_EQ(zq_stack_cell("l"), CELL_L);
  EXPECT_EQ(zq_stack_cell("t"), CELL_T);

  char word[] = "MiXeD 1";
  zq_lowercase(word);
  EXPECT_STREQ(word, "mixed 1");
}

TEST_F(ParserTest, GlobalLabelNamesMatchWholeNamesOnly) {
  std::snprintf(zq_labels[0], zq_label_name_size, "AB");
  std::snprintf(zq_labels[1], zq_label_name_size, "ABCDEFGH");
  zq_label_count = 2;
  EXPECT_EQ(zq_is_global_label_name("AB"), 1);
  EXPECT_EQ(zq_is_global_label_name("A"), 0);
  EXPECT_EQ(zq_is_global_label_name("ABC"), 0);
  EXPECT_EQ(zq_is_global_label_name("ABCDEFGH"), 1);
  EXPECT_EQ(zq_is_global_label_name("ABCDEFGHI"), 0);
  zq_label_count = 1;
  EXPECT_EQ(zq_is_global_label_name("ABCDEFGH"), 0) << "only valid entries count";
}

}  // namespace
