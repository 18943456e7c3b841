// Clock and calendar commands. The clock is read in local time and its texts
// come from strftime in the default locale (Thu, PM); date values are
// MM.DDYYYY, or DD.MMYYYY in day-month mode.
#include "commands/clock.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "commands/stack.h"
#include "state/alpha.h"
#include "state/conversions.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/modes.h"
#include "state/registers.h"

namespace {

// The adate text is made from the first nine characters of its conversion
// and one inserted '.'; a long conversion (|X| of 1E16 and more) is cut here.
constexpr int zq_adate_number_size = 10;
constexpr int zq_adate_text_size = 11;
// Buffer of the "%u" weekday digit.
constexpr int zq_weekday_digit_size = 4;

// The local calendar fields of a moment; a moment the platform cannot break
// down reports DATA ERROR instead of handing on a null record.
bool zq_read_local_time(std::time_t moment, std::tm& out) {
  const std::tm* local = std::localtime(&moment);
  if (local == nullptr) {
    zq_report_error(ERR_DATA);
    return false;
  }
  out = *local;
  return true;
}

// The clock texts are printed one to a line.
void zq_print_line(const char* text) { std::printf("%s\n", text); }

void zq_to_upper(char* text) {
  for (; *text != '\0'; ++text) *text = static_cast<char>(std::toupper(static_cast<unsigned char>(*text)));
}

// The day number of a date value. A value without a 32-bit form leaves its
// invalid operation in the context, for the caller's next checked call.
int64_t zq_day_number(zq_double_64 date) {
  std::tm record{};
  zq_date_to_tm(record, date);
  return zq_tm_to_julian_day(record);
}

void zq_put_clock_bit(zq_clock_bits bit, bool on) {
  zq_clock_mode = static_cast<uint8_t>(on ? zq_clock_mode | bit : zq_clock_mode & ~bit);
}

}  // namespace

void zq_format_date_line(const std::tm& now, char (&out)[zq_date_line_size]) {
  if (std::strftime(out, sizeof out, zq_dmy() ? "%d.%m.%Y %a" : "%m/%d/%Y %a", &now) == 0) out[0] = '\0';
  zq_to_upper(out);
}

void zq_format_time_line(const std::tm& now, char (&out)[zq_time_line_size]) {
  std::snprintf(out, sizeof out, "%d:%02d:%02d", now.tm_hour, now.tm_min, now.tm_sec);
}

void zq_format_clock_line(const std::tm& now, char (&out)[zq_clock_line_size]) {
  const bool twelve = zq_clock_mode & CLK_12H;
  const bool time_only = zq_clock_mode & CLK_TIME_ONLY;
  const char* time_format =
      twelve ? (time_only ? "%I:%M:%S %p" : "%I:%M%p") : (time_only ? "%H:%M:%S" : "%H:%M");
  // A strftime text that does not fit leaves its buffer undefined, so each
  // part is terminated by hand.
  const size_t length = std::strftime(out, sizeof out, time_format, &now);
  out[length] = '\0';
  if (!time_only &&
      std::strftime(out + length, sizeof out - length, zq_dmy() ? "  %d.%m" : "  %m/%d", &now) == 0) {
    out[length] = '\0';
  }
}

void zq_format_weekday(const std::tm& now, char (&out)[zq_weekday_size]) {
  if (std::strftime(out, sizeof out, "%a", &now) == 0) out[0] = '\0';
  zq_to_upper(out);
}

zq_double_64 zq_weekday_value(const std::tm& now) {
  // Without its digit the empty text reads as NaN with ERR_DATA pending.
  char digit[zq_weekday_digit_size];
  if (std::strftime(digit, sizeof digit, "%u", &now) == 0) digit[0] = '\0';
  return zqm_zq_double_64_from_string(digit, sizeof digit, 1);
}

// Typed, the date is shown as well; a program only gets the value.
void zq_cmd_date() {
  std::tm now;
  if (!zq_read_local_time(std::time(nullptr), now)) return;
  if (zq_mode == MODE_IMMEDIATE) {
    char line[zq_date_line_size];
    zq_format_date_line(now, line);
    zq_print_line(line);
  }
  zqm_take_error();
  const zq_double_64 today = zq_get_today_value();
  if (zq_number_failed(ERR_DATA)) return;
  zq_stack_push(today);
}

// HH.MMSSmmm with the milliseconds of the real-time clock.
void zq_cmd_time() {
  std::timespec reading;
  clock_gettime(CLOCK_REALTIME, &reading);
  std::tm now;
  if (!zq_read_local_time(reading.tv_sec, now)) return;
  if (zq_mode == MODE_IMMEDIATE) {
    char line[zq_time_line_size];
    zq_format_time_line(now, line);
    zq_print_line(line);
  }
  zqm_take_error();
  const zq_double_64 value = zq_tm_to_time_value(now, reading.tv_nsec / 1000000);
  if (zq_number_failed(ERR_DATA)) return;
  zq_stack_push(value);
}

void zq_cmd_clock() {
  std::tm now;
  if (!zq_read_local_time(std::time(nullptr), now)) return;
  char line[zq_clock_line_size];
  zq_format_clock_line(now, line);
  zq_print_line(line);
}

// Today's weekday; X is no input.
void zq_cmd_dow() {
  std::tm now;
  if (!zq_read_local_time(std::time(nullptr), now)) return;
  zqm_take_error();
  char day[zq_weekday_size];
  zq_format_weekday(now, day);
  zq_print_line(day);
  const zq_double_64 number = zq_weekday_value(now);
  if (zq_number_failed(ERR_DATA)) return;
  zq_stack_push(number);
}

// The Y date plus X days. Y and X are read as numbers whatever their tags.
// Each stage is checked on its own: a later call that raises only a harmless
// condition would otherwise clear the failure of the date conversion.
void zq_cmd_date_plus() {
  zqm_take_error();
  const zq_double_64 start = zqm_zq_double_64_from_lint(zq_day_number(zq_regs[CELL_Y]));
  if (zq_number_failed(ERR_NONEXISTENT)) return;
  const zq_double_64 date = zq_julian_day_to_date(zqm_add(zq_regs[CELL_X], start));
  if (zq_number_failed(ERR_NONEXISTENT)) return;
  zq_stack_drop_lastx();
  // Keeps the numeric tag that came down from Y. date+ checks no operand
  // types, and a date written under a text or flag tag would show as bytes.
  const uint8_t tag = zq_tag_is_numeric(zq_reg_types[CELL_X]) ? zq_reg_types[CELL_X] : uint8_t{REG_NUMBER};
  zq_reg_set(CELL_X, date, tag);
}

// Days from the Y date to the X date; both day numbers are far inside 64 bits.
// Read one after the other, so that the number-layer calls keep one order.
void zq_cmd_ddays() {
  zqm_take_error();
  const int64_t to = zq_day_number(zq_regs[CELL_X]);
  const int64_t from = zq_day_number(zq_regs[CELL_Y]);
  const zq_double_64 difference = zqm_zq_double_64_from_lint(to - from);
  if (zq_number_failed(ERR_DATA)) return;
  zq_stack_drop_lastx();
  zq_reg_set_number(CELL_X, difference);
}

// MM/DD/YYYY (DD.MM.YYYY in day-month mode), as much as the digit count asks.
void zq_cmd_adate() {
  zqm_take_error();
  const double t = zqm_double_from_zq_double_64(zqm_abs(zq_regs[CELL_X]));
  if (zq_number_failed(ERR_DATA)) return;
  // Cut like a time text, whose whole 11 characters are the date's 10.
  const int kept = std::min(zq_time_chars_kept(), zq_adate_text_size - 1);
  char number[zq_adate_number_size];
  std::snprintf(number, sizeof number, "%09.6f", t);
  // "12.252025" becomes "12.25.2025": a point after the month and the day.
  char text[zq_adate_text_size] = "";
  std::snprintf(text, sizeof text, "%.5s.%s", number, number + 5);
  if (!zq_dmy()) {
    for (char& c : text) {
      if (c == '.') c = '/';
    }
  }
  zq_alpha_append(text, kept);
}

// A negative time above -12 is an afternoon time: -3.30 stands for 15.30.
// From 24 hours on there is no AM or PM.
void zq_cmd_atime() {
  const zq_double_64 x = zq_regs[CELL_X];
  const double hours = zqm_double_from_zq_double_64(x);
  zq_double_64 v = x;
  if (hours > -12.0 && hours < 0.0) v = zqm_add(zqm_k_12, zqm_abs(x));
  if (hours <= -12.0) v = zqm_abs(x);
  int64_t twelve = (zq_clock_mode & CLK_12H) ? 1 : 0;
  if (hours >= 24.0) twelve = 0;
  zq_alpha_append_time(v, twelve);
}

void zq_cmd_atime24() { zq_alpha_append_time(zq_regs[CELL_X], 0); }

// Flag 31 only mirrors the date order; nothing reads it back.
void zq_cmd_mdy() {
  zq_flag_clear(FLAG_DMY);
  zq_put_clock_bit(CLK_DMY, false);
}

void zq_cmd_dmy() {
  zq_flag_set(FLAG_DMY);
  zq_put_clock_bit(CLK_DMY, true);
}

void zq_cmd_clk12() { zq_put_clock_bit(CLK_12H, true); }
void zq_cmd_clk24() { zq_put_clock_bit(CLK_12H, false); }
void zq_cmd_clkt() { zq_put_clock_bit(CLK_TIME_ONLY, true); }
void zq_cmd_clktd() { zq_put_clock_bit(CLK_TIME_ONLY, false); }
