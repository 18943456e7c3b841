// Reading a number out of free text: skips to the first digit, takes the signs
// and radix mark in front of it, then the digits and an optional exponent.
#pragma once

#include <cstddef>
#include <cstdint>

#include "number/number.h"

// The scan reads at most this many characters of a text; the alpha register,
// its only source, holds 24.
constexpr int64_t zq_number_scan_limit = 255;

// 1 for '-', '+' and the radix mark, and for the digit separator while digit
// grouping (flag 29) is on; the radix mark is '.' while flag 28 is set, else ','.
int zq_is_number_punct(int character);

// Inserts '-' right after the first 'e' or 'E' among the first length
// characters of the NUL-terminated text in a buffer of size bytes, moving the
// rest and its NUL one place right. Returns 1 when inserted; 0 when there is
// no such 'E' or the buffer has no room for one more character.
int zq_insert_exponent_minus(char* text, size_t size, int64_t length);

// 1 when the first length characters of text hold a decimal digit: the number
// found is then written to value. 0 without a digit, value untouched. Never
// reports an error; the conversion leaves the number layer's pending error.
int zq_parse_number_text(const char* text, int64_t length, zq_double_64& value);
