// Angle, H.MMSS, date and time conversions. Each decimal step is one call of
// the number layer in a fixed order, so that results round exactly alike.
#include "state/conversions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "state/alpha.h"
#include "state/errors.h"
#include "state/modes.h"

namespace {

// Beyond this magnitude the day-number arithmetic would overflow 64 bits.
constexpr int64_t zq_day_number_limit = int64_t{1} << 60;

// Buffers of today's date text ("03.152024") and of the time texts.
constexpr int zq_today_text_size = 12;
constexpr int zq_time_number_size = 16;
constexpr int zq_time_text_size = 24;

// Characters of "HH:MM:SS.hh" that each display digit count keeps: the
// hours alone at 0 digits, then a group more for every two digits; the last
// entry stands for 5 digits and more.
constexpr int zq_time_chars_by_digits[] = {2, 5, 5, 8, 8, 11};
constexpr int zq_time_digits_top = static_cast<int>(std::size(zq_time_chars_by_digits)) - 1;

// 180 made from a binary double (180.000000): equal in value to zqm_k_180,
// its exponent shows only in exact quotients such as the radians of 0.
zq_double_64 zq_d180() { return zqm_zq_double_64_from_double(180.0); }

}  // namespace

// The number-layer calls below run in a fixed order, one statement each:
// the condition of the last one that raised any is what the caller sees.
zq_double_64 zq_to_radians(zq_double_64 x) {
  switch (zq_angle) {
    case ANGLE_DEG: {
      const zq_double_64 product = zqm_mul(zqm_k_pi, x);
      return zqm_div(product, zq_d180());
    }
    case ANGLE_RAD: return x;
    case ANGLE_GRAD: return zqm_div(zqm_mul(zqm_mul(x, zqm_k_0_9), zqm_k_pi), zqm_k_180);
    default: return zqm_k_0;
  }
}

zq_double_64 zq_from_radians(zq_double_64 x) {
  switch (zq_angle) {
    case ANGLE_DEG: return zqm_div(zqm_mul(x, zqm_k_180), zqm_k_pi);
    case ANGLE_RAD: return x;
    case ANGLE_GRAD: {
      const zq_double_64 dividend = zqm_mul(x, zqm_k_180);
      const zq_double_64 divisor = zqm_mul(zqm_k_pi, zqm_k_0_9);
      return zqm_div(dividend, divisor);
    }
    default: return zqm_k_0;
  }
}

zq_double_64 zq_hms_to_hours(zq_double_64 x) {
  const zq_double_64 h = zqm_int(x);
  const zq_double_64 f = zqm_sub(x, h);
  const zq_double_64 m = zqm_int(zqm_mul(f, zqm_k_100));
  const zq_double_64 s = zqm_mul(zqm_sub(f, zqm_div(m, zqm_k_100)), zqm_k_10000);
  const zq_double_64 minutes = zqm_div(m, zqm_k_60);
  const zq_double_64 seconds = zqm_div(s, zqm_k_3600);
  return zqm_add(h, zqm_add(minutes, seconds));
}

zq_double_64 zq_hours_to_hms(zq_double_64 x) {
  const zq_double_64 t = zqm_mul(zqm_k_3600, x);
  const zq_double_64 s = zqm_int(t);
  const zq_double_64 r = zqm_sub(t, s);  // fraction of a second
  const zq_double_64 hh = zqm_int(zqm_div(s, zqm_k_3600));
  const zq_double_64 rest = zqm_sub(s, zqm_mul(hh, zqm_k_3600));
  const zq_double_64 mm = zqm_int(zqm_div(rest, zqm_k_60));
  const zq_double_64 sec = zqm_add(zqm_sub(rest, zqm_mul(mm, zqm_k_60)), r);
  const zq_double_64 minutes = zqm_div(mm, zqm_k_100);
  const zq_double_64 seconds = zqm_div(sec, zqm_k_10000);
  return zqm_add(hh, zqm_add(minutes, seconds));
}

void zq_date_to_tm(std::tm& record, zq_double_64 v) {
  record.tm_sec = 0;
  record.tm_min = 0;
  record.tm_hour = 0;
  // Outside the 32-bit range this gives 0 and leaves the invalid operation
  // in the context status for the caller's next checked operation.
  const int64_t n = zqm_int_from_zq_double_64(zqm_mul(v, zqm_k_1e6));
  const int64_t p = n / 1000000;
  const int64_t q = n % 1000000 / 10000;
  record.tm_year = static_cast<int>(n % 1000000 % 10000);
  record.tm_mday = static_cast<int>(zq_dmy() ? p : q);
  record.tm_mon = static_cast<int>(zq_dmy() ? q : p);
}

int64_t zq_tm_to_julian_day(const std::tm& record) {
  // Fliegel and Van Flandern; every division truncates, products come first.
  const int64_t year = record.tm_year;
  const int64_t month = record.tm_mon;
  const int64_t day = record.tm_mday;
  const int64_t a = (month - 14) / 12;
  return 1461 * (year + 4800 + a) / 4 + 367 * (month - 2 - 12 * a) / 12 - 3 * ((year + 4900 + a) / 100) / 4 +
         day - 32075;
}

zq_double_64 zq_julian_day_to_date(zq_double_64 v) {
  const int64_t j = zqm_lint_from_zq_double_64(v);
  // The infinities and NaN have no integer part; their 0 would give a date.
  if (!std::isfinite(zqm_double_from_zq_double_64(v)) || j > zq_day_number_limit ||
      j < -zq_day_number_limit) {
    zqm_set_error(ERR_DATA);
    return zqm_k_0;
  }
  // Richards' algorithm; every division truncates toward zero.
  const int64_t f = j + 1401 + (((4 * j + 274277) / 146097) * 3) / 4 - 38;
  const int64_t e = 4 * f + 3;
  const int64_t g = (e % 1461) / 4;
  const int64_t h = 5 * g + 2;
  const int64_t day = (h % 153) / 5 + 1;
  const int64_t month = ((h / 153 + 2) % 12) + 1;
  const int64_t year = e / 1461 - 4716 + (12 + 2 - month) / 12;
  const double first = static_cast<double>(zq_dmy() ? day : month);
  const double second = static_cast<double>(zq_dmy() ? month : day);
  const double packed = first * 1000000.0 + 10000.0 * second + static_cast<double>(year);
  return zqm_div(zqm_zq_double_64_from_lint(static_cast<int64_t>(packed)), zqm_k_1e6);
}

zq_double_64 zq_tm_to_time_value(const std::tm& record, int64_t ms) {
  double u = record.tm_hour * 1e7 + 100000.0 * record.tm_min + 1000.0 * record.tm_sec;
  u += static_cast<double>(ms);
  return zqm_div(zqm_zq_double_64_from_double(u), zqm_k_1e7);
}

zq_double_64 zq_get_today_value() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  char text[zq_today_text_size] = "";
  // Without a local time, or when the text does not fit, the empty text
  // converts to NaN and leaves ERR_DATA pending.
  if (local == nullptr || std::strftime(text, sizeof text, zq_dmy() ? "%d.%m%Y" : "%m.%d%Y", local) == 0) {
    text[0] = '\0';
  }
  return zqm_zq_double_64_from_string(text, sizeof text, 1);
}

void zq_alpha_append_time(zq_double_64 v, int64_t twelve) {
  zqm_take_error();
  double t = zqm_double_from_zq_double_64(zqm_abs(v));
  // Written so that a NaN fails too.
  if (!(t < 100.0 && zqm_error == ERR_NONE)) {
    zq_show_message(MSG_TEXT, "DATA ERROR", nullptr);
    return;
  }
  const char* suffix = "";
  if (twelve == 1) {
    const bool afternoon = t > 12.0 && t < 24.0;  // noon counts as AM
    suffix = afternoon ? " PM" : " AM";
    if (afternoon) t -= 12.0;
  }
  // Hours, then two digits each of minutes, seconds and hundredths, taken as
  // they stand: the six-decimal rounding is not carried (23:59:60).
  char number[zq_time_number_size];
  std::snprintf(number, sizeof number, "%.*f", 6, t);
  const char* point = std::strchr(number, '.');
  char text[zq_time_text_size];
  std::snprintf(text, sizeof text, "%2.*s:%.2s:%.2s.%.2s", static_cast<int>(point - number), number,
                point + 1, point + 3, point + 5);
  const int kept = zq_time_chars_kept();
  char line[zq_time_text_size];
  const int length = std::snprintf(line, sizeof line, "%.*s%s", kept, text, suffix);
  zq_alpha_append(line, length);
}

int zq_time_chars_kept() { return zq_time_chars_by_digits[std::min<int>(zq_digits, zq_time_digits_top)]; }

int64_t zq_is_octal_digits(int64_t n) {
  // Digit by digit with the remainder's magnitude, so INT64_MIN needs no negation.
  for (; n != 0; n /= 10) {
    const int64_t digit = n % 10 < 0 ? -(n % 10) : n % 10;
    if (digit > 7) return 0;
  }
  return 1;
}
