// Conversions between the stored decimal number and text, integers, double
// and long double; conversions into the decimal type go through text.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "number/decimal.h"

namespace {

// Limits of the text a number may be read from: the work buffer holds 39
// characters, and a leading 'e' (which gains a "1") allows 30.
constexpr size_t zqm_number_text_max = 39;
constexpr size_t zqm_e_text_max = 30;

// A value too large for the fixed-point text of a binary conversion would
// lose integer digits when that text is cut, so it is read from exponent form.
zq_double_64 zqm_read_exponent_form(long double v) {
  constexpr size_t zqm_exponent_text_size = 56;  // sign, 41 digits, exponent
  char text[zqm_exponent_text_size];
  snprintf(text, sizeof text, "%.40Le", v);
  return zqm_zq_double_64_from_text(text);
}

// A text too long for the work buffer is treated as no number at all.
zq_double_64 zqm_refuse_text() {
  decContextSetStatus(&zqm_ctx, DEC_Conversion_syntax);
  return zqm_zq_double_64_from_text("NaN");
}

// The scientific text for libc's readers, which know no signalling NaN and
// would read "sNaN" as 0: it goes as "NaN", sign kept.
void zqm_binary_text(char (&text)[zqm_string_size], zq_double_64 value) {
  zqm_string_from_zq_double_64(text, sizeof text, value);
  char* start = text + (text[0] == '-');
  if (*start == 's') memmove(start, start + 1, strlen(start));
}

}  // namespace

zq_double_64 zqm_zq_double_64_from_text(const char* text) {
  decDouble d;
  decDoubleFromString(&d, text, &zqm_ctx);
  zqm_check_status();
  return zqm_zq_double_64_from_dec(d);
}

zq_double_64 zqm_zq_double_64_from_string(char* text, size_t size, uint32_t radix_point) {
  size_t len = strnlen(text, size);
  if (len == size) return zqm_refuse_text();  // not terminated inside its buffer

  bool add_one = text[0] == 'e';
  if (add_one && len > zqm_e_text_max) return zqm_refuse_text();
  if (add_one && len + 2 <= size) {
    // The caller sees the text as read ("e5" becomes "1e5").
    memmove(text + 1, text, len + 1);
    text[0] = '1';
    ++len;
    add_one = false;
  }
  if (radix_point == 0) {
    for (size_t i = 0; i < len; ++i)
      if (text[i] == ',') text[i] = '.';
  }

  char work[zqm_number_text_max + 1];
  size_t n = 0;
  if (add_one) work[n++] = '1';
  for (size_t i = 0; i < len; ++i) {
    if (text[i] == ',') continue;  // digit-group separator
    if (n == zqm_number_text_max) return zqm_refuse_text();
    work[n++] = text[i];
  }
  work[n] = '\0';
  return zqm_zq_double_64_from_text(work);
}

void zqm_plain_string_from_zq_double_64(char* out, size_t size, zq_double_64 value) {
  static_assert(zqm_string_size == DECDOUBLE_String);
  char text[DECDOUBLE_String];
  const decDouble d = zqm_dec_from_zq_double_64(value);
  decDoubleToString(&d, text);
  snprintf(out, size, "%s", text);
}

bool zqm_coefficient_digits_of(zq_double_64 value, uint8_t (&digits)[zqm_coefficient_digits],
                               int32_t& exponent) {
  const decDouble d = zqm_dec_from_zq_double_64(value);
  return decDoubleToBCD(&d, &exponent, digits) != 0;
}

void zqm_string_from_zq_double_64(char* out, size_t size, zq_double_64 value) {
  zqm_plain_string_from_zq_double_64(out, size, value);
  // Maps what an earlier unmapped call (a 32-bit conversion) left behind.
  zqm_check_status();
}

zq_double_64 zqm_zq_double_64_from_int(int32_t n) {
  decDouble d;
  decDoubleFromInt32(&d, n);
  zqm_check_status();
  return zqm_zq_double_64_from_dec(d);
}

zq_double_64 zqm_zq_double_64_from_lint(int64_t n) {
  constexpr size_t zqm_lint_text_size = 24;
  char text[zqm_lint_text_size];
  snprintf(text, sizeof text, "%" PRId64, n);
  return zqm_zq_double_64_from_text(text);
}

int64_t zqm_int_from_zq_double_64(zq_double_64 value) {
  // Out of range gives 0 and leaves DEC_Invalid_operation in the status on
  // purpose: the next mapped call reports it.
  const decDouble d = zqm_dec_from_zq_double_64(value);
  return decDoubleToInt32(&d, &zqm_ctx, DEC_ROUND_DOWN);
}

// Integer parts beyond 64 bits saturate to INT64_MAX or INT64_MIN.
int64_t zqm_lint_from_zq_double_64(zq_double_64 value) {
  char text[zqm_string_size];
  zqm_string_from_zq_double_64(text, sizeof text, value);

  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  if (*p < '0' || *p > '9') return 0;  // NaN, sNaN, the infinities

  // Collect the coefficient digits and the exponent of the last one.
  char digits[zqm_string_size];
  size_t count = 0;
  int64_t exponent = 0;
  bool after_point = false;
  for (; (*p >= '0' && *p <= '9') || *p == '.'; ++p) {
    if (*p == '.') {
      after_point = true;
      continue;
    }
    digits[count++] = *p;
    if (after_point) --exponent;
  }
  if (*p == 'E') exponent += strtol(p + 1, nullptr, 10);

  // Keep the digits left of the point: count + exponent of them.
  const int64_t kept = static_cast<int64_t>(count) + exponent;
  constexpr uint64_t zqm_magnitude_max = static_cast<uint64_t>(INT64_MAX);
  const uint64_t limit = negative ? zqm_magnitude_max + 1 : zqm_magnitude_max;
  uint64_t magnitude = 0;
  for (int64_t i = 0; i < kept; ++i) {
    const unsigned digit = i < static_cast<int64_t>(count) ? static_cast<unsigned>(digits[i] - '0') : 0;
    if (magnitude > (limit - digit) / 10) return negative ? INT64_MIN : INT64_MAX;
    magnitude = magnitude * 10 + digit;
  }
  if (!negative) return static_cast<int64_t>(magnitude);
  return magnitude == limit ? INT64_MIN : -static_cast<int64_t>(magnitude);
}

zq_double_64 zqm_zq_double_64_from_double(double d) {
  // Six decimals: digits below 1E-6 are lost.
  constexpr size_t zqm_double_text_size = 25;
  char text[zqm_double_text_size];
  const int len = snprintf(text, sizeof text, "%f", d);
  if (len < 0 || static_cast<size_t>(len) >= sizeof text) return zqm_read_exponent_form(d);
  return zqm_zq_double_64_from_text(text);
}

double zqm_double_from_zq_double_64(zq_double_64 value) {
  char text[zqm_string_size];
  zqm_binary_text(text, value);
  return atof(text);
}

zq_double_64 zqm_zq_double_64_from_ldouble(long double ld) {
  // 70 decimals in fixed point: tiny results become a zero with exponent -70.
  constexpr size_t zqm_ldouble_text_size = 136;
  char text[zqm_ldouble_text_size];
  const int len = snprintf(text, sizeof text, "%3.70Lf", ld);
  if (len < 0 || static_cast<size_t>(len) >= sizeof text) return zqm_read_exponent_form(ld);
  return zqm_zq_double_64_from_text(text);
}

long double zqm_ldouble_from_zq_double_64(zq_double_64 value) {
  char text[zqm_string_size];
  zqm_binary_text(text, value);
  return strtold(text, nullptr);
}

bool zqm_unpack(zq_double_64 value, zqm_unpacked& parts) { return zqm_unpack_inline(value, parts); }

zq_double_64 zqm_pack(const zqm_unpacked& parts) { return zqm_pack_inline(parts); }
