// Alpha register commands: where alpha and append take their text in a run,
// character codes in both directions, the search, rotation and anum, and
// the errors of each (recorded or not, swallowed by flag 25, stopping a run).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "commands/alpha.h"
#include "interp/executor.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/registers.h"

#include "interp_test_support.h"
#include "number_test_support.h"

namespace {

using namespace zq_test;

void set_x_text(const char* text) {
  zq_reg_set(CELL_X, zq_cell_pack_text(text, static_cast<int64_t>(std::strlen(text))), REG_ALPHA);
}

std::string x_text() { return layer_text(zq_regs[CELL_X]); }

void set_text_operand(const char* text) {
  std::memset(zq_text, 0, sizeof zq_text);
  std::strncpy(zq_text, text, sizeof zq_text - 1);
}

class CommandsAlpha : public FreshTest {};

TEST_F(CommandsAlpha, TypedTextsComeFromTheParser) {
  set_alpha("OLD");
  set_text_operand("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  zq_cmd_alpha();
  EXPECT_EQ(alpha_text(), "ABCDEFGHIJKLMNOPQRSTUVWX");
  set_text_operand("");
  zq_cmd_alpha();
  EXPECT_EQ(alpha_text(), "");

  set_alpha("ABC");
  set_text_operand("DEF");
  zq_cmd_append();
  EXPECT_EQ(alpha_text(), "ABCDEF");
  // A text of more than 24 characters: its first 24 fill the register.
  set_text_operand("abcdefghijklmnopqrstuvwxyz0123");
  zq_cmd_append();
  EXPECT_EQ(alpha_text(), "abcdefghijklmnopqrstuvwx");
}

TEST_F(CommandsAlpha, StepsReadTheirTextField) {
  record("\"ABCDEFGHIJKLMNOPQRST\" >\"0123456789ABCDEF\" aleng", MODE_RUN);
  set_alpha("ZZZZZZZZZZZZZZZZZZZZZZZZ");
  set_text_operand("not this");

  zq_execute();  // alpha: the first 16 characters, the rest of the register NUL
  EXPECT_EQ(alpha_text(), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(pc, 6);
  zq_execute();  // append of exactly 16 stored characters, and nothing of the next step
  EXPECT_EQ(alpha_text(), "IJKLMNOP0123456789ABCDEF");
  zq_execute();
  EXPECT_EQ(x_text(), "24");
  EXPECT_EQ(zq_mode, MODE_RUN);
}

TEST_F(CommandsAlpha, InsideAnXailLineTheParsersTextCounts) {
  record("\"STEPTEXT\" >\"MORE\"", MODE_RUN);
  zq_xail = 1;
  set_text_operand("HI");
  zq_cmd_alpha();
  EXPECT_EQ(alpha_text(), "HI");
  set_text_operand("!");
  zq_cmd_append();
  EXPECT_EQ(alpha_text(), "HI!");
}

TEST_F(CommandsAlpha, ClearShiftAndCld) {
  const struct {
    void (*handler)();
    const char* before;
    const char* after;
  } cases[] = {
      {zq_cmd_cla, "ABCDEFGHIJKLMNOPQRSTUVWX", ""},
      {zq_cmd_ashf, "ABCDEFGHIJ", "GHIJ"},
      {zq_cmd_ashf, "ABCDEF", ""},
      {zq_cmd_ashf, "ABC", ""},
      {zq_cmd_ashfl, "ABCDEFGHIJ", "IJ"},
      {zq_cmd_ashfl, "ABCDEFGH", ""},
      {zq_cmd_cld, "ABC", "ABC"},
  };
  for (const auto& c : cases) {
    set_alpha(c.before);
    c.handler();
    EXPECT_EQ(alpha_text(), c.after) << c.before;
  }
  // The emptied register takes new text from position 0.
  set_alpha("ABCD");
  zq_cmd_ashf();
  set_text_operand("X");
  zq_cmd_append();
  EXPECT_EQ(alpha_text(), "X");
}

TEST_F(CommandsAlpha, Rotate) {
  const struct {
    const char* before;
    const char* x;
    const char* after;
  } cases[] = {
      {"ABCDE", "1", "BCDEA"},
      {"ABCDE", "-1", "EABCD"},
      {"ABCDE", "7", "CDEAB"},
      {"ABCDE", "2.9", "CDEAB"},
      {"ABCDE", "-2.9", "DEABC"},
      {"ABCDE", "255", "ABCDE"},
      {"ABCDE", "0", "ABCDE"},
      {"A", "3", "A"},
      {"", "-3", ""},
  };
  for (const auto& c : cases) {
    set_alpha(c.before);
    zq_reg_set_number(CELL_X, quiet_num(c.x));
    zq_reg_set_number(CELL_L, zqm_k_12);
    EXPECT_EQ(output_of(zq_cmd_arot), "");
    EXPECT_EQ(alpha_text(), c.after) << c.before << " by " << c.x;
    EXPECT_EQ(x_text(), c.x);  // the stack and LASTX stay
    EXPECT_EQ(zq_regs[CELL_L], zqm_k_12);
  }
}

TEST_F(CommandsAlpha, RotateBeyond255IsARecordedError) {
  for (const char* x : {"256", "-256", "1E300"}) {
    set_alpha("ABCDE");
    zq_last_error = 0;
    zq_reg_set_number(CELL_X, quiet_num(x));
    EXPECT_EQ(output_of(zq_cmd_arot), "DATA ERROR\n") << x;
    EXPECT_EQ(alpha_text(), "ABCDE");
    EXPECT_EQ(zq_last_error, ERR_DATA);
  }
}

TEST_F(CommandsAlpha, AlphaToX) {
  set_alpha("ABC");
  zq_reg_set_number(CELL_X, zqm_k_10);
  zq_cmd_atox();
  EXPECT_EQ(x_text(), "65");
  EXPECT_EQ(zq_regs[CELL_Y], zqm_k_10);  // lifted
  EXPECT_EQ(alpha_text(), "BC");

  set_alpha("\xc8Z");  // a byte from 0x80 up reads as a signed char
  zq_cmd_atox();
  EXPECT_EQ(x_text(), "-56");
  EXPECT_EQ(alpha_text(), "Z");
  zq_cmd_atox();
  EXPECT_EQ(alpha_text(), "");

  zq_cmd_atox();
  EXPECT_EQ(x_text(), "0");
  EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
  EXPECT_EQ(alpha_text(), "");
}

TEST_F(CommandsAlpha, XToAlpha) {
  const struct {
    const char* x;
    const char* appended;
  } cases[] = {
      {"65", "A"}, {"65.9", "A"}, {"-65", "A"}, {"-65.9", "A"}, {"255", "\xff"}, {"-255", "\xff"},
  };
  for (const auto& c : cases) {
    set_alpha("<");
    zq_reg_set_number(CELL_X, quiet_num(c.x));
    EXPECT_EQ(output_of(zq_cmd_xtoa), "");
    EXPECT_EQ(alpha_text(), std::string("<") + c.appended) << c.x;
    EXPECT_EQ(x_text(), c.x);
  }

  // Code 0 appends a NUL byte, which leaves the text as it was.
  set_alpha("AB");
  zq_reg_set_number(CELL_X, zqm_k_0);
  zq_cmd_xtoa();
  EXPECT_EQ(alpha_text(), "AB");

  set_x_text("ABCDEFGH");
  zq_cmd_xtoa();
  EXPECT_EQ(alpha_text(), "ABABCDEFGH");
  set_x_text("");
  zq_cmd_xtoa();
  EXPECT_EQ(alpha_text(), "ABABCDEFGH");
  zq_reg_set(CELL_X, 0x41, REG_FLAGS);  // a copy of the flag word appends nothing
  zq_cmd_xtoa();
  EXPECT_EQ(alpha_text(), "ABABCDEFGH");
}

TEST_F(CommandsAlpha, XToAlphaErrorsAreNotRecorded) {
  for (const char* x : {"256", "-300", "1E10", "sNaN"}) {
    set_alpha("AB");
    zq_reg_set_number(CELL_X, quiet_num(x));
    EXPECT_EQ(output_of(zq_cmd_xtoa), "DATA ERROR\n") << x;
    EXPECT_EQ(alpha_text(), "AB");
    EXPECT_EQ(zq_last_error, 0);
  }
  // Flag 25 swallows the error once.
  zq_flag_set(FLAG_IGNORE_ERROR);
  zq_reg_set_number(CELL_X, quiet_num("256"));
  EXPECT_EQ(output_of(zq_cmd_xtoa), "");
  EXPECT_FALSE(zq_flag_test(FLAG_IGNORE_ERROR));
  EXPECT_EQ(output_of(zq_cmd_xtoa), "DATA ERROR\n");
}

TEST_F(CommandsAlpha, PositionInAlpha) {
  const struct {
    const char* alpha;
    const char* number;  // nullptr: X holds the text
    const char* text;
    const char* position;
  } cases[] = {
      {"ABCABC", "67", nullptr, "2"},  {"ABCABC", "-67.5", nullptr, "2"},
      {"ABCABC", nullptr, "C", "2"},   {"ABCABC", nullptr, "BC", "1"},
      {"ABCABC", nullptr, "CX", "-1"}, {"ABCABC", nullptr, "ABCABC", "0"},
      {"ABCDE", nullptr, "DEF", "-1"},  // the match would run past the text
      {"ABCDE", nullptr, "", "-1"},    {"ABCDE", "0", nullptr, "-1"},
      {"ABCDE", "90", nullptr, "-1"},  {"AB\xc8", "200", nullptr, "2"},
      {"", nullptr, "A", "-1"},        {"ABCDE", "NaN", nullptr, "-1"},  // truncates to code 0
  };
  for (const auto& c : cases) {
    set_alpha(c.alpha);
    zq_reg_set_number(CELL_Y, zqm_k_10);
    zq_reg_set_number(CELL_L, zqm_k_12);
    if (c.number != nullptr) {
      zq_reg_set_number(CELL_X, quiet_num(c.number));
    } else {
      set_x_text(c.text);
    }
    EXPECT_EQ(output_of(zq_cmd_posa), "");
    EXPECT_EQ(x_text(), c.position) << c.alpha << " " << (c.number ? c.number : c.text);
    EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
    EXPECT_EQ(zq_regs[CELL_Y], zqm_k_10);  // no lift
    EXPECT_EQ(zq_regs[CELL_L], zqm_k_12);
    EXPECT_EQ(alpha_text(), c.alpha);
  }

  // A copy of the flag word: nothing happens.
  zq_reg_set(CELL_X, 0x41, REG_FLAGS);
  zq_cmd_posa();
  EXPECT_EQ(zq_regs[CELL_X], 0x41u);
  EXPECT_EQ(zq_reg_types[CELL_X], REG_FLAGS);
}

TEST_F(CommandsAlpha, PositionErrors) {
  set_alpha("ABC");
  // Beyond 255: shown but not recorded, and X := -1.
  zq_reg_set_number(CELL_X, quiet_num("300"));
  EXPECT_EQ(output_of(zq_cmd_posa), "DATA ERROR\n");
  EXPECT_EQ(x_text(), "-1");
  EXPECT_EQ(zq_last_error, 0);
  // A failure while |X| is taken: recorded, X left as it is.
  const zq_double_64 signalling = quiet_num("sNaN");
  zq_reg_set_number(CELL_X, signalling);
  EXPECT_EQ(output_of(zq_cmd_posa), "DATA ERROR\n");
  EXPECT_EQ(zq_regs[CELL_X], signalling);
  EXPECT_EQ(zq_last_error, ERR_DATA);
}

TEST_F(CommandsAlpha, ErrorsStopARunningProgram) {
  for (void (*handler)() : {zq_cmd_arot, zq_cmd_xtoa, zq_cmd_posa}) {
    zq_mode = MODE_RUN;
    zq_advance = ADV_NEXT;
    zq_reg_set_number(CELL_X, quiet_num("256"));
    EXPECT_EQ(output_of(handler), "DATA ERROR\n");
    EXPECT_EQ(zq_mode, MODE_ERROR_STOP);
    EXPECT_EQ(zq_advance, ADV_HOLD);
  }
}

TEST_F(CommandsAlpha, LengthAndNumber) {
  set_alpha("ABCDEFGHIJKLMNOPQRSTUVWX");
  zq_reg_set_number(CELL_X, zqm_k_10);
  zq_cmd_aleng();
  EXPECT_EQ(x_text(), "24");
  EXPECT_EQ(zq_regs[CELL_Y], zqm_k_10);

  set_alpha("ABC");
  zq_reg_set_number(CELL_X, zqm_k_10);
  EXPECT_EQ(output_of(zq_cmd_anum), "");
  EXPECT_EQ(zq_regs[CELL_X], zqm_k_10);
  EXPECT_FALSE(zq_flag_test(FLAG_NUM_INPUT));

  set_alpha("X=12.5");
  zq_cmd_anum();
  EXPECT_TRUE(zqm_compare(zq_regs[CELL_X], quiet_num("12.5"), CMP_EQ));
  EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
  EXPECT_EQ(zq_regs[CELL_Y], zqm_k_10);
  EXPECT_TRUE(zq_flag_test(FLAG_NUM_INPUT));
  EXPECT_EQ(alpha_text(), "X=12.5");

  // The radix mark follows flag 28.
  zq_flag_clear(FLAG_RADIX_POINT);
  set_alpha("-3,5 V");
  zq_cmd_anum();
  EXPECT_TRUE(zqm_compare(zq_regs[CELL_X], quiet_num("-3.5"), CMP_EQ));
  EXPECT_EQ(zqm_take_error(), ERR_NONE);  // nothing left pending
}

}  // namespace
