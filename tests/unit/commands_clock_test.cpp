// Clock and calendar commands: the printed texts for a fixed local time, the
// shape of what the real clock gives, calendar arithmetic and its failures,
// the date and time texts in alpha, and the clock mode bits.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "commands/clock.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/modes.h"
#include "state/registers.h"

#include "number_test_support.h"
#include "state_test_support.h"

namespace {

using namespace zq_test;

// Thursday 25 December 2025, 15:45:07, as localtime gives it.
std::tm christmas_2025() {
  std::tm t{};
  t.tm_year = 2025 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 25;
  t.tm_wday = 4;
  t.tm_yday = 358;
  t.tm_hour = 15;
  t.tm_min = 45;
  t.tm_sec = 7;
  return t;
}

bool same_value(zq_double_64 a, const char* b) { return zqm_compare(a, quiet_num(b), CMP_EQ) == 1; }

// Whether text has the form of shape: '9' stands for a digit, 'A' for an
// upper-case letter, any other character for itself.
bool has_shape(const std::string& text, const std::string& shape) {
  if (text.size() != shape.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool fits = shape[i] == '9'   ? std::isdigit(c) != 0
                      : shape[i] == 'A' ? std::isupper(c) != 0
                                        : c == shape[i];
    if (!fits) return false;
  }
  return true;
}

// The register up to its first NUL, padding unchecked.
std::string alpha_up_to_nul() { return std::string(zq_alpha, strnlen(zq_alpha, zq_alpha_size)); }

class CommandsClock : public FreshTest {
 protected:
  void stack(const char* y, const char* x) {
    zq_reg_set_number(CELL_Y, quiet_num(y));
    zq_reg_set_number(CELL_X, quiet_num(x));
  }
};

TEST_F(CommandsClock, DateTimeAndWeekdayTexts) {
  const std::tm now = christmas_2025();
  char date[zq_date_line_size];
  zq_format_date_line(now, date);
  EXPECT_STREQ(date, "12/25/2025 THU");
  zq_flag_set(FLAG_DMY);  // only mirrors the date order
  zq_format_date_line(now, date);
  EXPECT_STREQ(date, "12/25/2025 THU");
  zq_clock_mode = CLK_DMY;
  zq_format_date_line(now, date);
  EXPECT_STREQ(date, "25.12.2025 THU");

  std::tm morning = now;
  morning.tm_hour = 9;
  morning.tm_min = 5;
  morning.tm_sec = 3;
  char time[zq_time_line_size];
  zq_format_time_line(morning, time);
  EXPECT_STREQ(time, "9:05:03");

  char day[zq_weekday_size];
  zq_format_weekday(now, day);
  EXPECT_STREQ(day, "THU");
  EXPECT_TRUE(same_value(zq_weekday_value(now), "4"));
  std::tm sunday = now;
  sunday.tm_mday = 28;
  sunday.tm_wday = 0;
  zq_format_weekday(sunday, day);
  EXPECT_STREQ(day, "SUN");
  EXPECT_TRUE(same_value(zq_weekday_value(sunday), "7"));
}

TEST_F(CommandsClock, ClockTextFollowsTheClockMode) {
  const struct {
    uint8_t mode;
    const char* text;
  } cases[] = {
      {0, "15:45  12/25"},         {CLK_12H, "03:45PM  12/25"}, {CLK_12H | CLK_TIME_ONLY, "03:45:07 PM"},
      {CLK_TIME_ONLY, "15:45:07"}, {CLK_DMY, "15:45  25.12"},   {CLK_DMY | CLK_TIME_ONLY, "15:45:07"},
  };
  for (const auto& c : cases) {
    zq_clock_mode = c.mode;
    char line[zq_clock_line_size];
    zq_format_clock_line(christmas_2025(), line);
    EXPECT_STREQ(line, c.text) << "mode " << int{c.mode};
  }
}

// What the real clock gives can only be checked for its form.
TEST_F(CommandsClock, ClockReadingsHaveTheirShape) {
  EXPECT_TRUE(has_shape(output_of(zq_cmd_date), "99/99/9999 AAA\n"));
  const double date = zqm_double_from_zq_double_64(zq_regs[CELL_X]);
  EXPECT_TRUE(date >= 1.01 && date < 12.32) << date;
  EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);

  const zq_double_64 today = zq_regs[CELL_X];
  const std::string time_line = output_of(zq_cmd_time);
  EXPECT_TRUE(has_shape(time_line, "9:99:99\n") || has_shape(time_line, "99:99:99\n")) << time_line;
  const double time = zqm_double_from_zq_double_64(zq_regs[CELL_X]);
  EXPECT_TRUE(time >= 0.0 && time < 24.0) << time;
  EXPECT_EQ(zq_regs[CELL_Y], today);

  EXPECT_TRUE(has_shape(output_of(zq_cmd_clock), "99:99  99/99\n"));
  zq_clock_mode = CLK_DMY | CLK_TIME_ONLY;
  EXPECT_TRUE(has_shape(output_of(zq_cmd_clock), "99:99:99\n"));

  EXPECT_TRUE(has_shape(output_of(zq_cmd_dow), "AAA\n"));
  const double day = zqm_double_from_zq_double_64(zq_regs[CELL_X]);
  EXPECT_TRUE(day >= 1.0 && day <= 7.0 && day == static_cast<int>(day)) << day;

  // In a running program date and time only push; clock and dow still print.
  zq_mode = MODE_RUN;
  const zq_double_64 weekday = zq_regs[CELL_X];
  EXPECT_EQ(output_of(zq_cmd_date), "");
  EXPECT_EQ(output_of(zq_cmd_time), "");
  EXPECT_EQ(zq_regs[CELL_Z], weekday);
  EXPECT_NE(output_of(zq_cmd_clock), "");
  EXPECT_NE(output_of(zq_cmd_dow), "");
  EXPECT_EQ(zq_mode, MODE_RUN);
}

TEST_F(CommandsClock, DatePlusAddsDaysInTheDateOrder) {
  const struct {
    uint8_t mode;
    const char *y, *x, *result;
  } cases[] = {
      {0, "12.252025", "7", "1.012026"},        {0, "1.012026", "-7", "12.252025"},
      {0, "2.282024", "1.9", "2.292024"},  // a fraction of a day is cut
      {CLK_DMY, "25.122025", "10", "4.012026"}, {0, "12.252025", "10", "1.042026"},
  };
  for (const auto& c : cases) {
    zq_clock_mode = c.mode;
    stack(c.y, c.x);
    zq_reg_set_number(CELL_Z, quiet_num("5"));
    zq_cmd_date_plus();
    EXPECT_TRUE(same_value(zq_regs[CELL_X], c.result))
        << c.y << " + " << c.x << ": " << layer_text(zq_regs[CELL_X]);
    EXPECT_TRUE(same_value(zq_regs[CELL_L], c.x));
    EXPECT_TRUE(same_value(zq_regs[CELL_Y], "5"));
  }
  EXPECT_EQ(zq_last_error, 0);

  // X keeps the tag that came down from Y.
  zq_clock_mode = 0;
  zq_reg_set(CELL_Y, quiet_num("12.252025"), REG_HMS);
  zq_reg_set_number(CELL_X, quiet_num("7"));
  zq_cmd_date_plus();
  EXPECT_EQ(zq_reg_types[CELL_X], REG_HMS);

  // A text or flag tag is not kept: the date would show as its bytes.
  for (const uint8_t tag : {uint8_t{REG_ALPHA}, uint8_t{REG_FLAGS}}) {
    zq_reg_set(CELL_Y, quiet_num("12.252025"), tag);
    zq_reg_set_number(CELL_X, quiet_num("7"));
    zq_cmd_date_plus();
    EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
    EXPECT_TRUE(same_value(zq_regs[CELL_X], "1.012026"));
  }
}

TEST_F(CommandsClock, DatePlusFailuresShowNonexistentAndKeepTheStack) {
  const struct {
    const char *y, *x;
  } cases[] = {
      {"12.252025", "1e20"},           // day number beyond the calendar arithmetic
      {"3000", "1"},                   // a date without a 32-bit form
      {"3000", "0.1234567890123456"},  // its failure is not hidden by an inexact sum
  };
  for (const auto& c : cases) {
    stack(c.y, c.x);
    const zq_double_64 y = zq_regs[CELL_Y], x = zq_regs[CELL_X], l = zq_regs[CELL_L];
    zq_last_error = 0;
    EXPECT_EQ(output_of(zq_cmd_date_plus), "NONEXISTENT\n") << c.y << " + " << c.x;
    EXPECT_EQ(zq_last_error, ERR_NONEXISTENT);
    EXPECT_EQ(zq_regs[CELL_X], x);
    EXPECT_EQ(zq_regs[CELL_Y], y);
    EXPECT_EQ(zq_regs[CELL_L], l);
  }

  // Flag 25 swallows one failure.
  zq_flag_set(FLAG_IGNORE_ERROR);
  stack("3000", "1");
  EXPECT_EQ(output_of(zq_cmd_date_plus), "");
  EXPECT_FALSE(zq_flag_test(FLAG_IGNORE_ERROR));
  EXPECT_TRUE(same_value(zq_regs[CELL_X], "1"));
}

TEST_F(CommandsClock, DdaysCountsFromYToX) {
  const struct {
    uint8_t mode;
    const char *y, *x, *days;
  } cases[] = {
      {0, "1.012025", "12.252025", "358"},
      {0, "12.252025", "1.012025", "-358"},
      {0, "2.282024", "3.012024", "2"},
      {CLK_DMY, "1.012025", "25.122025", "358"},
  };
  for (const auto& c : cases) {
    zq_clock_mode = c.mode;
    stack(c.y, c.x);
    zq_cmd_ddays();
    EXPECT_TRUE(same_value(zq_regs[CELL_X], c.days)) << c.y << " to " << c.x;
    EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
    EXPECT_TRUE(same_value(zq_regs[CELL_L], c.x));
  }

  zq_clock_mode = 0;
  stack("1.012025", "3000");
  const zq_double_64 x = zq_regs[CELL_X];
  EXPECT_EQ(output_of(zq_cmd_ddays), "DATA ERROR\n");
  EXPECT_EQ(zq_last_error, ERR_DATA);
  EXPECT_EQ(zq_regs[CELL_X], x);
}

TEST_F(CommandsClock, AdateAppendsAsManyCharactersAsTheDigitCountAsks) {
  const struct {
    uint8_t mode, digits;
    const char *x, *text;
  } cases[] = {
      {0, 0, "1.022025", "01"},
      {0, 1, "1.022025", "01/02"},
      {0, 2, "1.022025", "01/02"},
      {0, 3, "1.022025", "01/02/20"},
      {0, 4, "1.022025", "01/02/20"},
      {0, 5, "1.022025", "01/02/2025"},
      {0, 15, "1.022025", "01/02/2025"},
      {CLK_DMY, 6, "2.012025", "02.01.2025"},
      {0, 6, "-12.252025", "12/25/2025"},
      {0, 6, "123.456", "123/4/5600"},  // only nine characters of the conversion count
      {0, 6, "1e16", "10000/0000"},     // long conversions are cut, not overrun
      {CLK_DMY, 6, "1e300", "10000.0000"},
  };
  for (const auto& c : cases) {
    std::memset(zq_alpha, 0, sizeof zq_alpha);
    zq_clock_mode = c.mode;
    zq_digits = c.digits;
    zq_reg_set_number(CELL_X, quiet_num(c.x));
    zq_cmd_adate();
    EXPECT_EQ(alpha_up_to_nul(), c.text) << c.x << " with " << int{c.digits} << " digits";
  }
  EXPECT_EQ(zq_last_error, 0);
}

TEST_F(CommandsClock, AtimeReadsNegativeTimesAsAfternoon) {
  const struct {
    uint8_t mode;
    void (*command)();
    const char *x, *text;
  } cases[] = {
      {CLK_12H, zq_cmd_atime, "13.3045", " 1:30:45 PM"},
      {CLK_12H, zq_cmd_atime, "-3.30", " 3:30:00 PM"},  // 12 + 3.30
      {0, zq_cmd_atime, "-3.30", "15:30:00"},
      {CLK_12H, zq_cmd_atime, "-15", " 3:00:00 PM"},  // -12 and below: the magnitude
      {CLK_12H, zq_cmd_atime, "25", "25:00:00"},      // no AM or PM from 24 on
      {CLK_12H, zq_cmd_atime24, "13.3045", "13:30:45"},
  };
  for (const auto& c : cases) {
    std::memset(zq_alpha, 0, sizeof zq_alpha);
    zq_clock_mode = c.mode;
    zq_reg_set_number(CELL_X, quiet_num(c.x));
    c.command();
    EXPECT_EQ(alpha_up_to_nul(), c.text) << c.x;
  }

  std::memset(zq_alpha, 0, sizeof zq_alpha);
  zq_reg_set_number(CELL_X, quiet_num("-100"));
  EXPECT_EQ(output_of(zq_cmd_atime), "DATA ERROR\n");
  EXPECT_EQ(alpha_up_to_nul(), "");
  EXPECT_EQ(zq_last_error, 0);
}

TEST_F(CommandsClock, ModeCommandsSetOneBitEach) {
  const struct {
    void (*command)();
    uint8_t mode;
  } steps[] = {
      {zq_cmd_clk12, CLK_12H},
      {zq_cmd_clkt, CLK_12H | CLK_TIME_ONLY},
      {zq_cmd_dmy, CLK_12H | CLK_TIME_ONLY | CLK_DMY},
      {zq_cmd_clk24, CLK_TIME_ONLY | CLK_DMY},
      {zq_cmd_clktd, CLK_DMY},
      {zq_cmd_mdy, 0},
  };
  constexpr uint64_t dmy_bit = uint64_t{1} << FLAG_DMY;
  const uint64_t others = zq_flags & ~dmy_bit;
  for (const auto& s : steps) {
    s.command();
    EXPECT_EQ(zq_clock_mode, s.mode);
    EXPECT_EQ(zq_flag_test(FLAG_DMY), (s.mode & CLK_DMY) != 0);
  }
  EXPECT_EQ(zq_flags & ~dmy_bit, others);
}

}  // namespace
