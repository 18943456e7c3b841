// The display formatter: rounds the decimal digits of a stored value to what
// the display format shows and lays them out as text.
#include "state/display.h"

#include <cstring>

#include "number/number.h"
#include "state/flags.h"
#include "state/modes.h"
#include "state/registers.h"
#include "state/text_builder.h"

// The number layer gives exactly this many digits.
static_assert(zq_bcd_digits == zqm_coefficient_digits);

namespace {

// The longest number text ("-1,234,567,890,123,456." or
// "-1.000000000000000e-398") has 23 characters.
constexpr int zq_number_text_size = 24;

// Copies text into out, cut to fit size bytes, always terminated.
void zq_copy_text(char* out, int64_t size, const char* text) {
  if (size <= 0) {
    return;
  }
  const size_t limit = static_cast<size_t>(size) - 1;
  const size_t length = strnlen(text, limit);
  std::memcpy(out, text, length);
  out[length] = '\0';
}

// Index of the first non-zero digit, zq_bcd_digits when all are zero.
int zq_bcd_lead(const zq_bcd& digits) {
  int lead = 0;
  while (lead < zq_bcd_digits && digits[lead] == 0) {
    ++lead;
  }
  return lead;
}

// The number text of a decimal64 value.
void zq_format_number(char* out, int64_t size, zq_double_64 value) {
  if (!zqm_is_finite(value)) {
    char text[zqm_string_size];
    zqm_plain_string_from_zq_double_64(text, sizeof text, value);
    zq_copy_text(out, size, text);
    return;
  }

  zq_bcd digits;
  int32_t q = 0;
  // The sign bit alone decides, so a negative zero shows its '-'.
  const bool negative = zqm_coefficient_digits_of(value, digits, q);

  const int format = zq_disp_format;
  const int d = zq_display_digits();
  zq_bcd_round(digits, q, format, d);
  zq_bcd norm;
  int32_t e = zq_bcd_normalize(norm, digits, q);

  int32_t i = 1;
  int32_t f = d;
  int32_t z = 0;
  int32_t x = 0;
  if (format == FMT_FIX) {
    if (e < 0 && -e - 1 < d) {
      i = 0;
      z = -e - 1;
      f = d - z;
    } else if (e >= 0 && e < zq_bcd_digits) {
      i = e + 1;
      f = (i + d <= zq_bcd_digits) ? d : zq_bcd_digits - i;
    } else {
      // Too large or too small for d fraction digits: the scientific
      // form, rounded to its own d digits. The FIX rounding above never
      // touches such a value, so the digits are still the stored ones.
      zq_bcd_round(digits, q, FMT_SCI, d);
      e = zq_bcd_normalize(norm, digits, q);
      x = e;
    }
  } else if (format == FMT_ENG) {
    const int32_t m = ((e % 3) + 3) % 3;
    x = e - m;
    i = m + 1;
    f = (m > d) ? 0 : d - m;
  } else {
    x = e;
  }
  zq_format_digits(out, size, norm, x, negative, i, f, z, d);
}

}  // namespace

int zq_display_digits() {
  return zq_flag_test(FLAG_ALL_DIGITS) ? zq_bcd_digits : static_cast<int>(zq_digits);
}

void zq_bcd_shift_right(zq_bcd& digits) {
  std::memmove(&digits[1], &digits[0], zq_bcd_digits - 1);
  digits[0] = 0;
}

void zq_bcd_round(zq_bcd& digits, int32_t& q, int format, int d) {
  const int lead = zq_bcd_lead(digits);
  if (lead == zq_bcd_digits) {
    q = 0;  // zero has no rounding, whatever its exponent
    return;
  }
  // First digit that is not shown: in FIX the one of weight 10^-(d+1),
  // otherwise the one after d + 1 significant digits.
  int32_t cut = (format == FMT_FIX) ? q + d + zq_bcd_digits : lead + 1 + d;
  if (cut <= lead || cut > zq_bcd_digits - 1) {
    return;
  }
  if (digits[cut] >= 5) {
    int carry = 1;
    for (int k = cut - 1; k >= lead && carry; --k) {
      digits[k] = static_cast<uint8_t>(digits[k] + 1);
      carry = 0;
      if (digits[k] == 10) {
        digits[k] = 0;
        carry = 1;
      }
    }
    if (carry) {
      if (lead > 0) {
        digits[lead - 1] = 1;
      } else {
        zq_bcd_shift_right(digits);
        digits[0] = 1;
        ++q;
        ++cut;
      }
    }
  }
  for (int k = cut; k < zq_bcd_digits; ++k) {
    digits[k] = 0;
  }
  // A non-zero digit always remains, so this ends.
  while (digits[zq_bcd_digits - 1] == 0) {
    zq_bcd_shift_right(digits);
    ++q;
  }
}

int32_t zq_bcd_normalize(zq_bcd& out, const zq_bcd& digits, int32_t q) {
  const int lz = zq_bcd_lead(digits);
  std::memset(out, 0, sizeof out);
  if (lz == zq_bcd_digits) {
    return 0;
  }
  std::memcpy(out, &digits[lz], static_cast<size_t>(zq_bcd_digits - lz));
  return q + (zq_bcd_digits - 1) - lz;
}

void zq_format_digits(char* out, int64_t size, const zq_bcd& digits, int32_t x, bool negative, int32_t i,
                      int32_t f, int32_t z, int d) {
  const bool radix_point = zq_flag_test(FLAG_RADIX_POINT);
  const bool grouping = zq_flag_test(FLAG_GROUPING);
  const char radix_mark = radix_point ? '.' : ',';
  const char separator = radix_point ? ',' : '.';

  if (zq_flag_test(FLAG_ALL_DIGITS) && i + f > zq_bcd_digits) {
    f = zq_bcd_digits - i;
  }

  // No layout needs more than 23 characters.
  char buffer[zq_number_text_size];
  zq_text_builder text(buffer);
  if (negative) {
    text.put('-');
  }
  // Every layout asks for at most the 16 digits there are; the bound on
  // `next` only keeps a read inside the array.
  int next = 0;
  if (i > 0) {
    for (; next < i && next < zq_bcd_digits; ++next) {
      text.put(static_cast<char>('0' + digits[next]));
      const int32_t remaining = i - 1 - next;
      if (grouping && i >= 4 && remaining > 0 && remaining % 3 == 0) {
        text.put(separator);
      }
    }
  } else {
    text.put('0');
  }
  if (grouping || d > 0) {
    text.put(radix_mark);
  }
  for (int32_t k = 0; k < z; ++k) {
    text.put('0');
  }
  for (int32_t k = 0; k < f && next < zq_bcd_digits; ++k, ++next) {
    text.put(static_cast<char>('0' + digits[next]));
  }
  if (x != 0) {
    text.append_format("e%+.0d", x);
  }
  zq_copy_text(out, size, text.c_str());
}

void zq_reg_format_value(int64_t index, char* out, int64_t size) {
  const zq_cell_index cell = zq_reg_check_index(index);
  if (cell == zq_no_cell) {
    zq_copy_text(out, size, "");
    return;
  }
  const uint64_t value = zq_regs[cell];
  switch (zq_reg_types[cell]) {
    case REG_NUMBER:
    case REG_HMS: zq_format_number(out, size, value); break;
    case REG_ALPHA: {
      char text[zq_cell_text_size];
      zq_cell_unpack_text(value, zq_cell_text_chars, text);
      zq_copy_text(out, size, text);
      break;
    }
    case REG_FLAGS: zq_copy_text(out, size, "Flag Data"); break;
    default:
      // Only a damaged state file leaves such a tag; show nothing for it.
      zq_copy_text(out, size, "");
      break;
  }
}
