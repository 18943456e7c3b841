// The display formatter: the text that the calculator shows for the value of
// one register cell, in the current display format (FIX, SCI or ENG).
#pragma once

#include <cstdint>

// Capacity of every buffer that takes a cell's display text (the stack
// display, view, rnd, arcl); the longest text of a number has 23 characters,
// that of an alpha cell 8.
constexpr int64_t zq_value_text_size = 32;

// The coefficient as decimal digits, most significant first.
constexpr int zq_bcd_digits = 16;
using zq_bcd = uint8_t[zq_bcd_digits];

// Digits shown: zq_digits, or all 16 while flag 60 is set.
int zq_display_digits();

// Moves every digit one place to the right; a 0 enters in front.
void zq_bcd_shift_right(zq_bcd& digits);

// Rounds half up, in place, to what `format` (FMT_*) shows with d digits;
// q is the exponent of the last digit and follows the digits.
void zq_bcd_round(zq_bcd& digits, int32_t& q, int format, int d);

// Left-justifies the digits into out; returns the exponent of the leading
// digit (0 for a zero).
int32_t zq_bcd_normalize(zq_bcd& out, const zq_bcd& digits, int32_t q);

// Writes the normalised digits as text: i integer digits (or "0"), the radix
// mark, z zeros, f fraction digits, and the exponent x unless it is 0.
void zq_format_digits(char* out, int64_t size, const zq_bcd& digits, int32_t x, bool negative, int32_t i,
                      int32_t f, int32_t z, int d);

// Writes the display text of cell `index` into out (size bytes, always
// NUL-terminated, cut to fit). A missing register shows "NONEXISTENT"; it
// and a cell of unknown type (a damaged state file) give the empty text.
void zq_reg_format_value(int64_t index, char* out, int64_t size);
