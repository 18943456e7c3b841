// The display formatter (FIX, SCI, ENG, radix mark, grouping, all digits) and
// the stack display with its watch list and the display commands.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "commands/display.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/display.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/modes.h"
#include "state/registers.h"
#include "state/watch.h"

#include "number_test_support.h"

namespace {

constexpr uint64_t bit(int flag) { return uint64_t{1} << flag; }

constexpr zq_cell_index R(int n) { return CELL_R00 + n; }

using namespace zq_test;

uint64_t text_cell(const char* text) { return zq_cell_pack_text(text, static_cast<int64_t>(strlen(text))); }

class Display : public FreshTest {
 protected:
  static std::string show(zq_cell_index cell) {
    char out[zq_value_text_size];
    std::memset(out, '#', sizeof out);
    zq_reg_format_value(cell, out, sizeof out);
    return out;
  }

  static std::string show_number(zq_double_64 value) {
    zq_reg_set_number(R(0), value);
    return show(R(0));
  }

  static std::string prstk() {
    testing::internal::CaptureStdout();
    zq_cmd_prstk();
    return testing::internal::GetCapturedStdout();
  }

  // The decoded command's register operand: a number, a stack cell, or ind.
  static void operand_register(int n) { zq_decoded = zq_instr{0, OPT_NUM, static_cast<uint16_t>(n)}; }
  static void operand_stack(zq_cell_index cell) {
    zq_decoded = zq_instr{0, OPT_STACK, static_cast<uint16_t>(cell)};
  }
  static void operand_ind(int n) { zq_decoded = zq_instr{0, OPT_NUM | OPT_IND, static_cast<uint16_t>(n)}; }
};

struct NumberCase {
  const char* value;  // coefficient and exponent as stored
  uint8_t format;
  int digits;
  uint64_t flags_set;
  uint64_t flags_clear;
  const char* text;
};

constexpr uint64_t ALL = bit(FLAG_ALL_DIGITS);
constexpr uint64_t RADIX = bit(FLAG_RADIX_POINT);
constexpr uint64_t GROUP = bit(FLAG_GROUPING);

// Each case changes the flags that the test started with.
void expect_cases(const NumberCase* cases, size_t count) {
  const uint64_t initial_flags = zq_flags;
  for (size_t k = 0; k < count; ++k) {
    const NumberCase& c = cases[k];
    zq_flags = (initial_flags | c.flags_set) & ~c.flags_clear;
    zq_disp_format = c.format;
    zq_digits = static_cast<uint8_t>(c.digits);
    zq_reg_set_number(R(0), quiet_num(c.value));
    char out[zq_value_text_size];
    zq_reg_format_value(R(0), out, sizeof out);
    EXPECT_STREQ(out, c.text) << c.value << " format " << int{c.format} << " digits " << c.digits;
  }
}

TEST_F(Display, WorkedExamples) {
  const NumberCase cases[] = {
      {"6666666666666667E-16", FMT_FIX, 4, 0, 0, "0.6667"},
      {"6666666666666667E-16", FMT_SCI, 4, 0, 0, "6.6667e-1"},
      {"6666666666666667E-16", FMT_FIX, 4, ALL, 0, "0.6666666666666667"},
      {"6666666666666667E-16", FMT_SCI, 4, ALL, 0, "6.666666666666667e-1"},
      {"1234.5", FMT_FIX, 4, 0, 0, "1,234.5000"},
      {"1234.5", FMT_FIX, 4, ALL, 0, "1,234.500000000000"},
      {"1234.5", FMT_FIX, 2, 0, RADIX, "1.234,50"},
      {"3.141592653589793", FMT_FIX, 4, 0, 0, "3.1416"},
      {"3.141592653589793", FMT_SCI, 0, 0, 0, "3."},
      {"3.141592653589793", FMT_FIX, 0, 0, GROUP, "3"},
      {"123", FMT_FIX, 0, 0, 0, "123."},
      {"1E-4", FMT_FIX, 4, 0, 0, "0.0001"},
      {"1E-5", FMT_FIX, 4, 0, 0, "1.0000e-5"},
      {"96E-5", FMT_FIX, 4, 0, 0, "0.0010"},
      {"49E-4", FMT_FIX, 2, 0, 0, "4.90e-3"},
      {"15E-3", FMT_FIX, 2, 0, 0, "0.02"},
      {"9.99995", FMT_FIX, 4, 0, 0, "10.0000"},
      {"999999999999999.9", FMT_FIX, 0, 0, 0, "1,000,000,000,000,000."},
      {"1234567890123456", FMT_FIX, 4, 0, 0, "1,234,567,890,123,456."},
      {"5", FMT_SCI, 4, 0, 0, "5.0000"},
      {"12567890E-1", FMT_SCI, 1, 0, 0, "1.3e+6"},
      {"9.999999999999999", FMT_SCI, 2, 0, 0, "1.00e+1"},
      {"0.5", FMT_ENG, 3, 0, 0, "500.0e-3"},
      {"5E3", FMT_ENG, 3, 0, 0, "5.000e+3"},
      {"5000", FMT_ENG, 3, 0, 0, "5.000e+3"},
      {"123E-1", FMT_ENG, 0, 0, 0, "10."},
      {"1234560E-1", FMT_ENG, 1, 0, 0, "120.e+3"},
      {"-0", FMT_FIX, 4, 0, 0, "-0.0000"},
  };
  expect_cases(cases, std::size(cases));
}

// SCI and ENG round an integer stored with exponent 0 like any other value,
// and the scientific form that FIX falls back to rounds to its digits.
TEST_F(Display, RoundsConsistentlyWhateverTheStoredExponent) {
  const NumberCase cases[] = {
      {"1256789", FMT_SCI, 1, 0, 0, "1.3e+6"},
      {"123456", FMT_ENG, 1, 0, 0, "120.e+3"},
      {"123456789E12", FMT_FIX, 4, 0, 0, "1.2346e+20"},
      {"12345678E-12", FMT_FIX, 4, 0, 0, "1.2346e-5"},
      {"0.00004", FMT_FIX, 4, 0, 0, "4.0000e-5"},
      // Rounding the scientific form can carry into the next power of ten.
      {"999995E-10", FMT_FIX, 4, 0, 0, "1.0000e-4"},
      {"0.96", FMT_FIX, 0, 0, 0, "1."},
      {"0.5", FMT_FIX, 0, 0, 0, "5.e-1"},
      {"1234567890123456E5", FMT_FIX, 4, ALL, 0, "1.234567890123456e+20"},
  };
  expect_cases(cases, std::size(cases));
}

TEST_F(Display, EveryDigitCount) {
  const NumberCase cases[] = {
      {"666.6666666666667", FMT_FIX, 0, 0, 0, "667."},
      {"666.6666666666667", FMT_FIX, 1, 0, 0, "666.7"},
      {"666.6666666666667", FMT_FIX, 2, 0, 0, "666.67"},
      {"666.6666666666667", FMT_FIX, 3, 0, 0, "666.667"},
      {"666.6666666666667", FMT_FIX, 4, 0, 0, "666.6667"},
      {"666.6666666666667", FMT_FIX, 5, 0, 0, "666.66667"},
      {"666.6666666666667", FMT_FIX, 6, 0, 0, "666.666667"},
      {"666.6666666666667", FMT_FIX, 7, 0, 0, "666.6666667"},
      {"666.6666666666667", FMT_FIX, 8, 0, 0, "666.66666667"},
      {"666.6666666666667", FMT_FIX, 9, 0, 0, "666.666666667"},
      {"666.6666666666667", FMT_FIX, 10, 0, 0, "666.6666666667"},
      {"666.6666666666667", FMT_FIX, 11, 0, 0, "666.66666666667"},
      {"666.6666666666667", FMT_FIX, 12, 0, 0, "666.666666666667"},
      {"666.6666666666667", FMT_FIX, 13, 0, 0, "666.6666666666667"},
      // Never more than 16 digits: FIX 14 and 15 show 13 fraction digits here.
      {"666.6666666666667", FMT_FIX, 14, 0, 0, "666.6666666666667"},
      {"666.6666666666667", FMT_FIX, 15, 0, 0, "666.6666666666667"},
      {"314159.2653589793", FMT_SCI, 0, 0, 0, "3.e+5"},
      {"314159.2653589793", FMT_SCI, 1, 0, 0, "3.1e+5"},
      {"314159.2653589793", FMT_SCI, 2, 0, 0, "3.14e+5"},
      {"314159.2653589793", FMT_SCI, 3, 0, 0, "3.142e+5"},
      {"314159.2653589793", FMT_SCI, 4, 0, 0, "3.1416e+5"},
      {"314159.2653589793", FMT_SCI, 5, 0, 0, "3.14159e+5"},
      {"314159.2653589793", FMT_SCI, 6, 0, 0, "3.141593e+5"},
      {"314159.2653589793", FMT_SCI, 7, 0, 0, "3.1415927e+5"},
      {"314159.2653589793", FMT_SCI, 8, 0, 0, "3.14159265e+5"},
      {"314159.2653589793", FMT_SCI, 9, 0, 0, "3.141592654e+5"},
      {"314159.2653589793", FMT_SCI, 10, 0, 0, "3.1415926536e+5"},
      {"314159.2653589793", FMT_SCI, 11, 0, 0, "3.14159265359e+5"},
      {"314159.2653589793", FMT_SCI, 12, 0, 0, "3.141592653590e+5"},
      {"314159.2653589793", FMT_SCI, 13, 0, 0, "3.1415926535898e+5"},
      {"314159.2653589793", FMT_SCI, 14, 0, 0, "3.14159265358979e+5"},
      {"314159.2653589793", FMT_SCI, 15, 0, 0, "3.141592653589793e+5"},
      {"314159.2653589793", FMT_ENG, 0, 0, 0, "300.e+3"},
      {"314159.2653589793", FMT_ENG, 1, 0, 0, "310.e+3"},
      {"314159.2653589793", FMT_ENG, 2, 0, 0, "314.e+3"},
      {"314159.2653589793", FMT_ENG, 3, 0, 0, "314.2e+3"},
      {"314159.2653589793", FMT_ENG, 4, 0, 0, "314.16e+3"},
      {"314159.2653589793", FMT_ENG, 5, 0, 0, "314.159e+3"},
      {"314159.2653589793", FMT_ENG, 6, 0, 0, "314.1593e+3"},
      {"314159.2653589793", FMT_ENG, 7, 0, 0, "314.15927e+3"},
      {"314159.2653589793", FMT_ENG, 8, 0, 0, "314.159265e+3"},
      {"314159.2653589793", FMT_ENG, 9, 0, 0, "314.1592654e+3"},
      {"314159.2653589793", FMT_ENG, 10, 0, 0, "314.15926536e+3"},
      {"314159.2653589793", FMT_ENG, 11, 0, 0, "314.159265359e+3"},
      {"314159.2653589793", FMT_ENG, 12, 0, 0, "314.1592653590e+3"},
      {"314159.2653589793", FMT_ENG, 13, 0, 0, "314.15926535898e+3"},
      {"314159.2653589793", FMT_ENG, 14, 0, 0, "314.159265358979e+3"},
      {"314159.2653589793", FMT_ENG, 15, 0, 0, "314.1592653589793e+3"},
      {"-0.0001234567890123456", FMT_ENG, 0, 0, 0, "-100.e-6"},
      {"-0.0001234567890123456", FMT_ENG, 1, 0, 0, "-120.e-6"},
      {"-0.0001234567890123456", FMT_ENG, 2, 0, 0, "-123.e-6"},
      {"-0.0001234567890123456", FMT_ENG, 3, 0, 0, "-123.5e-6"},
      {"-0.0001234567890123456", FMT_ENG, 8, 0, 0, "-123.456789e-6"},
      {"-0.0001234567890123456", FMT_ENG, 9, 0, 0, "-123.4567890e-6"},
      {"-0.0001234567890123456", FMT_ENG, 14, 0, 0, "-123.456789012346e-6"},
      {"-0.0001234567890123456", FMT_ENG, 15, 0, 0, "-123.4567890123456e-6"},
  };
  expect_cases(cases, std::size(cases));
}

TEST_F(Display, AllDigitsFlag) {
  const NumberCase cases[] = {
      {"6666666666666667E-13", FMT_FIX, 2, ALL, 0, "666.6666666666667"},
      {"6666666666666667E-16", FMT_ENG, 2, ALL, 0, "666.6666666666667e-3"},
      {"314159.2653589793", FMT_SCI, 0, ALL, 0, "3.141592653589793e+5"},
      {"2", FMT_FIX, 0, ALL, 0, "2.000000000000000"},
      {"1E-16", FMT_FIX, 0, ALL, 0, "0.0000000000000001"},
      {"1E-17", FMT_FIX, 0, ALL, 0, "1.000000000000000e-17"},
  };
  expect_cases(cases, std::size(cases));
}

TEST_F(Display, RadixMarkAndGrouping) {
  const NumberCase cases[] = {
      {"1234567.891", FMT_FIX, 2, 0, RADIX, "1.234.567,89"},
      {"1234567.891", FMT_FIX, 2, 0, RADIX | GROUP, "1234567,89"},
      {"1234567.891", FMT_FIX, 0, 0, GROUP, "1234568"},
      {"1234567.891", FMT_FIX, 0, 0, RADIX, "1.234.568,"},
      {"123", FMT_FIX, 2, 0, 0, "123.00"},
      {"1000", FMT_FIX, 2, 0, 0, "1,000.00"},
      {"123456", FMT_FIX, 2, 0, 0, "123,456.00"},
      {"1234567", FMT_FIX, 2, 0, 0, "1,234,567.00"},
      {"1234567890123456", FMT_FIX, 4, 0, GROUP, "1234567890123456."},
      {"314159.2653589793", FMT_SCI, 0, 0, GROUP, "3e+5"},
      {"314159.2653589793", FMT_SCI, 2, 0, RADIX, "3,14e+5"},
      {"123E-1", FMT_ENG, 0, 0, GROUP, "10"},
      // The mark follows d, not F: ENG 1 of 500 shows no fraction digit but the mark.
      {"500", FMT_ENG, 1, 0, GROUP, "500."},
  };
  expect_cases(cases, std::size(cases));
}

TEST_F(Display, NegativeNumbersAndTies) {
  const NumberCase cases[] = {
      {"-6666666666666667E-16", FMT_FIX, 4, 0, 0, "-0.6667"},
      {"-1234.5", FMT_ENG, 2, 0, 0, "-1.23e+3"},
      {"-0.125", FMT_FIX, 2, 0, 0, "-0.13"},
      {"0.125", FMT_FIX, 2, 0, 0, "0.13"},
      {"2.5", FMT_FIX, 0, 0, 0, "3."},
      {"0.000123", FMT_ENG, 3, 0, 0, "123.0e-6"},
      {"0.0123", FMT_ENG, 2, 0, 0, "12.3e-3"},
      {"-1234567890123456", FMT_FIX, 4, 0, 0, "-1,234,567,890,123,456."},
  };
  expect_cases(cases, std::size(cases));
}

TEST_F(Display, ZerosOfAnyExponent) {
  const NumberCase cases[] = {
      {"0.0", FMT_FIX, 4, 0, 0, "0.0000"}, {"0E-70", FMT_FIX, 4, 0, 0, "0.0000"},
      {"0E+20", FMT_SCI, 2, 0, 0, "0.00"}, {"0E5", FMT_ENG, 3, 0, 0, "0.000"},
      {"-0E-3", FMT_SCI, 1, 0, 0, "-0.0"}, {"0", FMT_FIX, 0, 0, GROUP, "0"},
  };
  expect_cases(cases, std::size(cases));
  // The all-zero word that clx stores is a zero with exponent -398.
  zq_disp_format = FMT_FIX;
  zq_digits = 4;
  EXPECT_EQ(show_number(0), "0.0000");
}

TEST_F(Display, LongestTexts) {
  zq_disp_format = FMT_SCI;
  zq_digits = 15;
  // -1 E-398, the smallest negative subnormal.
  EXPECT_EQ(show_number(0x8000000000000001u), "-1.000000000000000e-398");
  zq_flags |= ALL;
  zq_disp_format = FMT_ENG;
  EXPECT_EQ(show_number(0x8000000000000001u), "-10.00000000000000e-399");
}

TEST_F(Display, ValuesThatAreNotFinite) {
  const NumberCase cases[] = {
      {"Infinity", FMT_FIX, 4, 0, 0, "Infinity"}, {"-Infinity", FMT_SCI, 2, 0, 0, "-Infinity"},
      {"NaN", FMT_ENG, 3, 0, 0, "NaN"},           {"-NaN", FMT_FIX, 4, 0, 0, "-NaN"},
      {"sNaN", FMT_FIX, 4, 0, 0, "sNaN"},         {"NaN123", FMT_FIX, 4, 0, 0, "NaN123"},
  };
  expect_cases(cases, std::size(cases));
}

TEST_F(Display, TextFlagAndOtherCells) {
  zq_reg_set(R(1), text_cell("HELLO"), REG_ALPHA);
  EXPECT_EQ(show(R(1)), "HELLO");
  zq_reg_set(R(2), text_cell("ABCDEFGH"), REG_ALPHA);
  EXPECT_EQ(show(R(2)), "ABCDEFGH");
  zq_reg_set(R(3), zq_flags, REG_FLAGS);
  EXPECT_EQ(show(R(3)), "Flag Data");
  // H.MMSS values show as the numbers they are.
  zq_reg_set(CELL_T, quiet_num("1.3045"), REG_HMS);
  EXPECT_EQ(show(CELL_T), "1.3045");
  // Only a damaged state file leaves another tag: the text is empty.
  zq_reg_set(R(4), quiet_num("1"), 2);
  EXPECT_EQ(show(R(4)), "");
  zq_reg_set(CELL_L, quiet_num("7"), REG_NUMBER);
  EXPECT_EQ(show(CELL_L), "7.0000");
  EXPECT_EQ(show(CELL_LAST), "0.0000");
}

TEST_F(Display, MissingRegisterShowsNonexistent) {
  for (const zq_cell_index cell : {zq_cell_index{0}, zq_cell_index{-1}, zq_cell_count}) {
    testing::internal::CaptureStdout();
    const std::string text = show(cell);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\n") << cell;
    EXPECT_EQ(text, "") << cell;
  }
}

TEST_F(Display, TextIsCutToTheBuffer) {
  zq_reg_set_number(R(0), quiet_num("1234.5"));
  char out[8];
  std::memset(out, '#', sizeof out);
  zq_reg_format_value(R(0), out, 5);
  EXPECT_STREQ(out, "1,23");
  EXPECT_EQ(out[5], '#');
  zq_reg_format_value(R(0), out, 1);
  EXPECT_STREQ(out, "");
  out[0] = '#';
  zq_reg_format_value(R(0), out, 0);
  EXPECT_EQ(out[0], '#');
  zq_reg_set(R(1), text_cell("ABCDEFGH"), REG_ALPHA);
  zq_reg_format_value(R(1), out, 4);
  EXPECT_STREQ(out, "ABC");
}

TEST_F(Display, RoundingSteps) {
  // 9999999999999999 E-1 rounded in FIX 0: the carry adds a digit in front.
  zq_bcd digits = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
  int32_t q = -1;
  zq_bcd_round(digits, q, FMT_FIX, 0);
  const zq_bcd one = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(std::memcmp(digits, one, sizeof one), 0);
  EXPECT_EQ(q, 15);
  zq_bcd norm;
  EXPECT_EQ(zq_bcd_normalize(norm, digits, q), 15);
  EXPECT_EQ(norm[0], 1);
  // A zero loses its exponent.
  zq_bcd zero = {};
  q = -70;
  zq_bcd_round(zero, q, FMT_SCI, 3);
  EXPECT_EQ(q, 0);
  EXPECT_EQ(zq_bcd_normalize(norm, zero, q), 0);
}

// ---- the stack display, the watch list and the display commands ----

TEST_F(Display, StackLineWithAlpha) {
  zq_reg_set_number(CELL_X, quiet_num("1"));
  zq_reg_set_number(CELL_Y, quiet_num("2"));
  std::memcpy(zq_alpha, "HELLO", 5);
  EXPECT_EQ(prstk(), "x: 1.0000 y:2.0000 z:0.0000 t:0.0000 l:0.0000 a: HELLO\n");
}

TEST_F(Display, StackLineOrderAndFullAlpha) {
  zq_reg_set_number(CELL_X, quiet_num("1"));
  zq_reg_set_number(CELL_Y, quiet_num("2"));
  zq_reg_set_number(CELL_Z, quiet_num("3"));
  zq_reg_set_number(CELL_T, quiet_num("4"));
  zq_reg_set_number(CELL_L, quiet_num("5"));
  std::memcpy(zq_alpha, "ABCDEFGHIJKLMNOPQRSTUVWX", zq_alpha_size);
  EXPECT_EQ(prstk(), "x: 1.0000 y:2.0000 z:3.0000 t:4.0000 l:5.0000 a: ABCDEFGHIJKLMNOPQRSTUVWX\n");
}

TEST_F(Display, FlagsChooseWhatIsShown) {
  zq_reg_set_number(CELL_X, quiet_num("1.5"));
  zq_flag_set(FLAG_SHOW_X);
  EXPECT_EQ(prstk(), "x: 1.5000 y:0.0000 z:0.0000 t:0.0000 l:0.0000 a: \n\n1.5000\n");
  zq_flag_clear(FLAG_SHOW_STACK);
  EXPECT_EQ(prstk(), "1.5000\n");
  zq_flag_clear(FLAG_SHOW_X);
  EXPECT_EQ(prstk(), "");
}

TEST_F(Display, StackLineShowsTextAndFlagCells) {
  zq_reg_set(CELL_X, text_cell("ABC"), REG_ALPHA);
  zq_reg_set(CELL_Y, zq_flags, REG_FLAGS);
  EXPECT_EQ(prstk(), "x: ABC y:Flag Data z:0.0000 t:0.0000 l:0.0000 a: \n");
}

TEST_F(Display, WatchBlockComesFirst) {
  zq_reg_set_number(CELL_X, quiet_num("1"));
  zq_reg_set_number(R(5), quiet_num("3"));
  operand_stack(CELL_X);
  zq_cmd_watch();
  operand_register(5);
  zq_cmd_watch();
  EXPECT_EQ(prstk(), "x: 1.0000 5: 3.0000 \nx: 1.0000 y:0.0000 z:0.0000 t:0.0000 l:0.0000 a: \n");
  zq_flag_clear(FLAG_SHOW_STACK);
  EXPECT_EQ(prstk(), "x: 1.0000 5: 3.0000 \n");
}

TEST_F(Display, WatchBlockHoldsFiveToALine) {
  zq_flag_clear(FLAG_SHOW_STACK);
  for (int n = 0; n < 5; ++n) {
    operand_register(n);
    zq_cmd_watch();
  }
  EXPECT_EQ(prstk(), "0: 0.0000 1: 0.0000 2: 0.0000 3: 0.0000 4: 0.0000 \n");
  operand_register(999);
  zq_cmd_watch();
  operand_stack(CELL_L);
  zq_cmd_watch();
  EXPECT_EQ(prstk(),
            "0: 0.0000 1: 0.0000 2: 0.0000 3: 0.0000 4: 0.0000 \n"
            "999: 0.0000 l: 0.0000 \n");
}

TEST_F(Display, WatchListHasRoomForTwentyFive) {
  for (int n = 0; n < 25; ++n) {
    operand_register(n);
    zq_cmd_watch();
  }
  EXPECT_EQ(zq_watch_count, 25);
  operand_register(99);
  testing::internal::CaptureStdout();
  zq_cmd_watch();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(zq_watch_count, 25);
  EXPECT_EQ(zq_watch[24], R(24));
}

TEST_F(Display, UnwatchRemovesEveryCopyAndKeepsTheOrder) {
  operand_register(5);
  zq_cmd_watch();
  zq_cmd_watch();
  zq_cmd_unwatch();
  EXPECT_EQ(zq_watch_count, 0);

  for (const int n : {1, 5, 5, 2, 5, 3}) {
    operand_register(n);
    zq_cmd_watch();
  }
  operand_register(5);
  zq_cmd_unwatch();
  ASSERT_EQ(zq_watch_count, 3);
  EXPECT_EQ(zq_watch[0], R(1));
  EXPECT_EQ(zq_watch[1], R(2));
  EXPECT_EQ(zq_watch[2], R(3));
  // A cell not on the list changes nothing.
  operand_stack(CELL_X);
  testing::internal::CaptureStdout();
  zq_cmd_unwatch();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(zq_watch_count, 3);
  zq_cmd_clwatch();
  EXPECT_EQ(zq_watch_count, 0);
}

TEST_F(Display, WatchIndirectKeepsTheCellFound) {
  zq_reg_set_number(R(5), quiet_num("7"));
  zq_reg_set_number(R(7), quiet_num("42"));
  operand_ind(5);
  zq_cmd_watch();
  ASSERT_EQ(zq_watch_count, 1);
  EXPECT_EQ(zq_watch[0], R(7));
  zq_reg_set_number(R(5), quiet_num("9"));
  zq_flag_clear(FLAG_SHOW_STACK);
  EXPECT_EQ(prstk(), "7: 42.0000 \n");
}

TEST_F(Display, WatchOfAMissingRegisterAddsNothing) {
  zq_reg_set_number(R(5), quiet_num("2000"));
  operand_ind(5);
  testing::internal::CaptureStdout();
  zq_cmd_watch();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\n");
  EXPECT_EQ(zq_watch_count, 0);
}

TEST_F(Display, PromptHidesTheNextStackPartOnce) {
  operand_register(1);
  zq_cmd_watch();
  std::memcpy(zq_alpha, "READY", 5);
  testing::internal::CaptureStdout();
  zq_cmd_prompt();
  zq_cmd_prompt();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "READY\nREADY\n");
  EXPECT_EQ(prstk(), "1: 0.0000 \n");
  EXPECT_EQ(prstk(), "1: 0.0000 \nx: 0.0000 y:0.0000 z:0.0000 t:0.0000 l:0.0000 a: READY\n");
}

TEST_F(Display, ViewShowsOneRegister) {
  zq_reg_set(R(10), text_cell("NAME"), REG_ALPHA);
  zq_reg_set(R(11), zq_flags, REG_FLAGS);
  zq_reg_set_number(CELL_Z, quiet_num("-2.5"));
  testing::internal::CaptureStdout();
  operand_register(10);
  zq_cmd_view();
  operand_register(11);
  zq_cmd_view();
  operand_stack(CELL_Z);
  zq_cmd_view();
  zq_reg_set_number(R(0), quiet_num("-1"));
  operand_ind(0);
  zq_cmd_view();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NAME\nFlag Data\n-2.5000\n0.0000\n");
}

TEST_F(Display, AviewShowsTheAlphaRegister) {
  testing::internal::CaptureStdout();
  zq_cmd_aview();
  std::memcpy(zq_alpha, "ABCDEFGHIJKLMNOPQRSTUVWX", zq_alpha_size);
  zq_cmd_aview();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nABCDEFGHIJKLMNOPQRSTUVWX\n");
}

TEST_F(Display, BeepAndCool) {
  testing::internal::CaptureStdout();
  zq_cmd_beep();
  zq_flag_clear(FLAG_AUDIO);
  zq_cmd_beep();
  zq_cmd_cool();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "BEEP!\nYes, very cool! :)\n");
}

}  // namespace
