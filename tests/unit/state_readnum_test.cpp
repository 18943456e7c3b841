// The number scanner of anum: where the number starts, which signs, radix
// marks and separators count, the exponent, and the punctuation tests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "number/number.h"
#include "state/flags.h"
#include "state/readnum.h"

#include "number_test_support.h"

namespace {

using namespace zq_test;

// Flags 28 (radix point) and 29 (grouping) as a case asks for them.
void set_marks(bool radix_point, bool grouping) {
  zq_flags = 0;
  zq_flag_put(FLAG_RADIX_POINT, radix_point);
  zq_flag_put(FLAG_GROUPING, grouping);
}

class StateReadnum : public FreshTest {};

struct scan_case {
  const char* text;
  bool radix_point;
  bool grouping;
  const char* expected;  // nullptr: no number
};

TEST_F(StateReadnum, FindsTheFirstNumber) {
  const scan_case cases[] = {
      {"ABC", true, false, nullptr},
      {"", true, false, nullptr},
      {"X=-12.5", true, false, "-12.5"},  // '=' ends the look-back
      {"- 5", true, false, "5"},          // the blank cuts the sign off
      {"-.5", true, false, "-0.5"},
      {".5", true, false, "0.5"},
      {"+-+5", true, false, "-5"},  // the whole run of marks counts
      {"E5", true, false, "5"},     // a letter is no mark
      {"ABC12DEF", true, false, "12"},
      {"5-3", true, false, "-53"},
      {"5+3", true, false, "53"},
      {"--5", true, false, "5"},
      {"1.2.3", true, false, "1.23"},
      {"1,234.5", true, false, "1"},
      {"1,234.5", true, true, "1234.5"},
      {"3,5", false, false, "3.5"},
      {"1.234,5", false, false, "1"},
      {"1.234,5", false, true, "1234.5"},
      {"1.5E3", true, false, "1500"},
      {"1.5E-3", true, false, "0.0015"},
      {"1.5E+03", true, false, "1500"},
      {"-1E-5", true, false, "-0.00001"},
      {"1E5-", true, false, "0.00001"},     // a '-' after the digits still counts
      {"2E123", true, false, "2E+12"},      // the third exponent digit ends the scan
      {"1.5E3.7", true, false, "1.5E+37"},  // marks inside the exponent are skipped
      {"1.5E3,7", true, false, "1500"},     // the separator without grouping is no mark
      {"7E", true, false, "7"},             // a bare 'E' is dropped
      {"7E-", true, false, "7"},
      {"1.5e3", true, false, "1.5"},  // only an upper-case 'E'
      {"5 E3", true, false, "5"},     // the exponent must follow directly
      {"0012", true, false, "12"},
  };
  for (const scan_case& c : cases) {
    set_marks(c.radix_point, c.grouping);
    zq_double_64 value = zqm_k_10;
    const int found = zq_parse_number_text(c.text, static_cast<int64_t>(std::strlen(c.text)), value);
    SCOPED_TRACE(c.text);
    if (c.expected == nullptr) {
      EXPECT_EQ(found, 0);
      EXPECT_EQ(value, zqm_k_10);  // untouched
      continue;
    }
    EXPECT_EQ(found, 1);
    EXPECT_TRUE(zqm_compare(value, num(c.expected), CMP_EQ)) << text_of(value);
  }
}

TEST_F(StateReadnum, RoundsTo16DigitsAndKeepsTheSignOfZero) {
  set_marks(true, false);
  zq_double_64 value = 0;
  ASSERT_EQ(zq_parse_number_text("12345678901234567", 17, value), 1);
  EXPECT_EQ(text_of(value), "1.234567890123457E+16");
  ASSERT_EQ(zq_parse_number_text("-0", 2, value), 1);
  EXPECT_TRUE(is_negative_zero(value));
  ASSERT_EQ(zq_parse_number_text("0", 1, value), 1);
  EXPECT_FALSE(is_negative(value));
}

TEST_F(StateReadnum, ReadsOnlyTheGivenLength) {
  set_marks(true, false);
  zq_double_64 value = 0;
  ASSERT_EQ(zq_parse_number_text("12345", 2, value), 1);
  EXPECT_EQ(text_of(value), "12");
  EXPECT_EQ(zq_parse_number_text("AB5", 2, value), 0);
  // An 'E' just past the length starts no exponent.
  ASSERT_EQ(zq_parse_number_text("7E2", 2, value), 1);
  EXPECT_EQ(text_of(value), "7");
  EXPECT_EQ(zq_parse_number_text("5", 0, value), 0);
  EXPECT_EQ(zq_parse_number_text("5", -3, value), 0);
}

TEST_F(StateReadnum, LongTextsStayInsideTheScanLimit) {
  set_marks(true, false);
  zq_double_64 value = zqm_k_10;
  // A digit beyond the limit is not seen.
  std::string text(static_cast<size_t>(zq_number_scan_limit), 'A');
  text += "5";
  EXPECT_EQ(zq_parse_number_text(text.c_str(), static_cast<int64_t>(text.size()), value), 0);
  // Digits up to the limit are collected without overrunning anything; a
  // text that long is no number to the conversion, which gives a NaN.
  const std::string digits(static_cast<size_t>(zq_number_scan_limit) + 20, '7');
  ASSERT_EQ(zq_parse_number_text((digits + "E-12").c_str(), static_cast<int64_t>(digits.size()) + 4, value),
            1);
  EXPECT_EQ(text_of(value), "NaN");
}

TEST_F(StateReadnum, NumberPunctuation) {
  struct Case {
    bool radix_point;
    bool grouping;
    const char* marks;      // pass the test
    const char* not_marks;  // fail it
  };
  const Case cases[] = {
      {true, false, "-+.", ",E 0"},
      {true, true, "-+.,", "E 0"},
      {false, false, "-+,", ".E 0"},
      {false, true, "-+,.", "E 0"},
  };
  for (const Case& c : cases) {
    set_marks(c.radix_point, c.grouping);
    for (const char* p = c.marks; *p != '\0'; ++p) EXPECT_EQ(zq_is_number_punct(*p), 1) << *p;
    for (const char* p = c.not_marks; *p != '\0'; ++p) EXPECT_EQ(zq_is_number_punct(*p), 0) << *p;
  }
}

TEST_F(StateReadnum, InsertsTheExponentMinus) {
  struct Case {
    const char* before;
    int64_t length;
    int inserted;
    const char* after;
  };
  const Case cases[] = {
      {"1E5", 3, 1, "1E-5"}, {"1.5e12", 6, 1, "1.5e-12"}, {"2E3E4", 5, 1, "2E-3E4"},  // the first 'E' only
      {"15", 2, 0, "15"},    {"12E3", 2, 0, "12E3"},  // the 'E' lies beyond the length
  };
  for (const Case& c : cases) {
    char text[16] = {};
    std::strcpy(text, c.before);
    EXPECT_EQ(zq_insert_exponent_minus(text, sizeof text, c.length), c.inserted) << c.before;
    EXPECT_STREQ(text, c.after);
  }
  // No room for one more character: nothing is moved.
  char full[4] = {'1', 'E', '5', '\0'};
  EXPECT_EQ(zq_insert_exponent_minus(full, sizeof full, 3), 0);
  EXPECT_STREQ(full, "1E5");
}

}  // namespace
