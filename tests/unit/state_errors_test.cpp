// The error reporter, the DATA ERROR check and the message line.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "number/number.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"

#include "number_test_support.h"

namespace {

class StateErrors : public zq_test::FreshTest {};

std::string report(zq_error_code code) {
  testing::internal::CaptureStdout();
  zq_report_error(code);
  return testing::internal::GetCapturedStdout();
}

TEST_F(StateErrors, EachCodeShowsItsMessage) {
  struct Case {
    zq_error_code code;
    const char* message;
    uint8_t recorded;
  };
  const Case cases[] = {
      {ERR_DATA, "DATA ERROR", 1},
      {ERR_OUT_OF_RANGE, "OUT OF RANGE", 2},
      {ERR_NONEXISTENT, "NONEXISTENT", 3},
      {ERR_ALPHA_DATA, "ALPHA DATA", 4},
      {ERR_FLAG_DATA, "FLAG DATA", 5},
      {ERR_MEMORY_LOST, "MEMORY LOST", 6},
      {ERR_XAIL, "XAIL ERROR", 7},
      {ERR_NONE, "UNKNOWN", 99},
      {8, "UNKNOWN", 99},
      {ERR_UNKNOWN, "UNKNOWN", 99},
      {256 + ERR_DATA, "DATA ERROR", 1},  // the reporter takes the low 8 bits
  };
  for (const Case& c : cases) {
    EXPECT_EQ(report(c.code), std::string(c.message) + "\n") << c.code;
    EXPECT_EQ(zq_last_error, c.recorded) << c.code;
    // At the prompt neither the mode nor the advance changes.
    EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
    EXPECT_EQ(zq_advance, ADV_NEXT);
  }
}

TEST_F(StateErrors, ErrorStopsRunningProgram) {
  zq_mode = MODE_RUN;
  EXPECT_EQ(report(ERR_DATA), "DATA ERROR\n");
  EXPECT_EQ(zq_mode, MODE_ERROR_STOP);
  EXPECT_EQ(zq_advance, ADV_HOLD);
}

TEST_F(StateErrors, Flag25SwallowsOneError) {
  zq_mode = MODE_RUN;
  zq_flag_set(FLAG_IGNORE_ERROR);
  EXPECT_EQ(report(ERR_NONEXISTENT), "");
  EXPECT_FALSE(zq_flag_test(FLAG_IGNORE_ERROR));
  EXPECT_EQ(zq_last_error, ERR_NONEXISTENT);
  EXPECT_EQ(zq_mode, MODE_RUN);
  EXPECT_EQ(zq_advance, ADV_NEXT);
  EXPECT_EQ(report(ERR_ALPHA_DATA), "ALPHA DATA\n");
  EXPECT_EQ(zq_mode, MODE_ERROR_STOP);
}

TEST_F(StateErrors, CheckDataError) {
  struct Case {
    zq_error_code code;
    bool flag25, run;
    const char* output;
    bool flag25_after;
    uint32_t mode_after;
  };
  const Case cases[] = {
      {ERR_DATA, false, false, "DATA ERROR\n", false, MODE_IMMEDIATE},
      {ERR_DATA, false, true, "DATA ERROR\n", false, MODE_ERROR_STOP},
      {ERR_DATA, true, true, "", false, MODE_RUN},
      {ERR_NONEXISTENT, true, true, "", true, MODE_RUN},
      {ERR_OUT_OF_RANGE, false, true, "", false, MODE_RUN},
      {ERR_NONE, false, false, "", false, MODE_IMMEDIATE},
  };
  for (const Case& c : cases) {
    SetUp();
    zq_last_error = ERR_XAIL;
    zq_flag_put(FLAG_IGNORE_ERROR, c.flag25);
    if (c.run) zq_mode = MODE_RUN;
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_check_data_error(c.code), c.code);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output) << c.code;
    EXPECT_EQ(zq_flag_test(FLAG_IGNORE_ERROR), c.flag25_after) << c.code;
    EXPECT_EQ(zq_mode, c.mode_after) << c.code;
    EXPECT_EQ(zq_advance, c.mode_after == MODE_ERROR_STOP ? ADV_HOLD : ADV_NEXT);
    EXPECT_EQ(zq_last_error, ERR_XAIL);  // never recorded
  }
}

// Overflow of a first call hidden by a second that only rounds.
zq_double_64 zq_hidden_overflow() {
  zqm_take_error();
  const zq_double_64 r = zqm_mul(zq_test::num("9e384"), zq_test::num("10"));
  zqm_add(zq_test::num("1"), zq_test::num("1E-20"));
  return r;
}

TEST_F(StateErrors, NumberVerdicts) {
  zqm_init();
  const zq_double_64 one = zq_test::num("1");
  const zq_double_64 inf = zq_test::num("Infinity");
  struct Case {
    const char* name;
    bool (*verdict)();
    bool failed;
  };
  const Case cases[] = {
      {"last call only", [] { return zq_number_failed(); }, false},
      {"anywhere", [] { return zq_number_failed_anywhere(); }, true},
  };
  for (const Case& c : cases) {
    zq_hidden_overflow();
    zq_last_error = ERR_NONE;
    testing::internal::CaptureStdout();
    EXPECT_EQ(c.verdict(), c.failed) << c.name;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.failed ? "DATA ERROR\n" : "") << c.name;
    EXPECT_EQ(zqm_first_error(), ERR_NONE) << c.name << ": taken";
  }

  // For a result: only an infinity or NaN from finite operands fails.
  struct ResultCase {
    zq_double_64 operand;
    zq_double_64 result;
    bool failed;
  };
  const ResultCase results[] = {
      {one, inf, true},
      {one, one, false},  // the hidden failure stands: the result is finite
      {inf, inf, false},  // the operand was no number to begin with
  };
  for (const ResultCase& c : results) {
    zq_hidden_overflow();
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_number_failed_for({c.operand}, {one, c.result}), c.failed);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.failed ? "DATA ERROR\n" : "");
  }
  zqm_take_error();
  EXPECT_FALSE(zq_number_failed_for({one}, {inf})) << "no failure at all: an exact infinity stands";
}

TEST_F(StateErrors, MessageLine) {
  const char letter = 'b';
  const int64_t number = -42;
  const std::string long_text(100, 'p');
  struct Case {
    int kind;
    const char* text;
    const void* argument;
    std::string output;
  };
  const Case cases[] = {
      {MSG_TEXT, "No program resident in memory.", nullptr, "No program resident in memory.\n"},
      {MSG_TEXT, "Alpha register empty.\n", nullptr, "Alpha register empty.\n\n"},
      {MSG_CHAR, "NONEXISTENT: Character Label not found.", &letter,
       "NONEXISTENT: Character Label not found. b\n"},
      {MSG_STRING, "Path:", "/tmp/x", "Path: /tmp/x\n"},
      {MSG_LONG, "Count", &number, "Count -42\n"},
      {7, "never shown", nullptr, "\n"},
      // Cut at 63 characters, then the line feed.
      {MSG_TEXT, long_text.c_str(), nullptr, long_text.substr(0, 63) + "\n"},
      {MSG_STRING, "Path:", long_text.c_str(), "Path: " + long_text.substr(0, 57) + "\n"},
      // A text is never taken as a format.
      {MSG_TEXT, "100% %s %n done", nullptr, "100% %s %n done\n"},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStdout();
    zq_show_message(c.kind, c.text, c.argument);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
  }
}

}  // namespace
