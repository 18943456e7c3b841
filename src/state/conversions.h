// Angles, H.MMSS times and dates kept in ordinary decimal numbers: the
// conversions between those layouts, radians, hours, day numbers and text.
#pragma once

#include <cstdint>
#include <ctime>

#include "number/number.h"

// A date record uses only tm_mday (1 to 31), tm_mon (1 to 12, not 0 to 11)
// and tm_year (the full year, not years since 1900); the time fields are 0.

// An angle in the current angle mode, to radians and back.
zq_double_64 zq_to_radians(zq_double_64 x);
zq_double_64 zq_from_radians(zq_double_64 x);
// H.MMSSss to decimal hours and back; minutes and seconds are not range-checked.
zq_double_64 zq_hms_to_hours(zq_double_64 x);
zq_double_64 zq_hours_to_hms(zq_double_64 x);
// A date value (MM.DDYYYY, or DD.MMYYYY with CLK_DMY) into a date record.
void zq_date_to_tm(std::tm& record, zq_double_64 v);
// The Julian day number of a date record, proleptic Gregorian calendar.
int64_t zq_tm_to_julian_day(const std::tm& record);
// A day number back to a date value in the current date order. A day number
// beyond the 64-bit arithmetic's reach, an infinity or a NaN leaves ERR_DATA
// pending.
zq_double_64 zq_julian_day_to_date(zq_double_64 v);
// HH.MMSSmmm of a local time record and its milliseconds.
zq_double_64 zq_tm_to_time_value(const std::tm& record, int64_t ms);
// Today's date value in the current date order.
zq_double_64 zq_get_today_value();
// Appends HH:MM:SS.hh, cut by zq_digits, to the alpha register; with twelve
// set, also " AM" or " PM". Values of 100 hours or more show "DATA ERROR".
void zq_alpha_append_time(zq_double_64 v, int64_t twelve);
// How many characters of a time text "HH:MM:SS.hh" the display digit count
// shows: 2, 5, 8 or all 11. A date text "MM/DD/YYYY" is cut alike.
int zq_time_chars_kept();
// 1 when no decimal digit of n is 8 or 9, else 0.
int64_t zq_is_octal_digits(int64_t n);
