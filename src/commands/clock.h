// Clock and calendar commands: today's date, the time and the weekday from
// the system clock, calendar arithmetic on date values, the clock mode.
#pragma once

#include <ctime>

#include "number/number.h"

// Buffers of the printed texts, each with its NUL.
constexpr int zq_date_line_size = 32;   // "12/25/2025 THU"
constexpr int zq_time_line_size = 16;   // "9:05:03"
constexpr int zq_clock_line_size = 19;  // at most 18 characters: "03:45PM  12/25"
constexpr int zq_weekday_size = 8;      // "THU"

// The texts that date, time, clock and dow print for a local time record
// (the platform's own record, months from 0), by the clock mode.
void zq_format_date_line(const std::tm& now, char (&out)[zq_date_line_size]);
void zq_format_time_line(const std::tm& now, char (&out)[zq_time_line_size]);
void zq_format_clock_line(const std::tm& now, char (&out)[zq_clock_line_size]);
void zq_format_weekday(const std::tm& now, char (&out)[zq_weekday_size]);
// The weekday number that dow pushes, 1 for Monday to 7 for Sunday.
zq_double_64 zq_weekday_value(const std::tm& now);

void zq_cmd_date();
void zq_cmd_time();
void zq_cmd_clock();
void zq_cmd_dow();
void zq_cmd_date_plus();
void zq_cmd_ddays();
void zq_cmd_adate();
void zq_cmd_atime();
void zq_cmd_atime24();
void zq_cmd_mdy();
void zq_cmd_dmy();
void zq_cmd_clk12();
void zq_cmd_clk24();
void zq_cmd_clkt();
void zq_cmd_clktd();
