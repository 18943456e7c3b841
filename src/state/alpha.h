// The alpha register: 24 characters of text, NUL-padded and without a
// terminator when full, and the operations the alpha commands are made of.
#pragma once

#include <cstdint>

constexpr int zq_alpha_size = 24;
extern char zq_alpha[zq_alpha_size];

// Buffers of zq_alpha_copy_24 and zq_alpha_split_label_file.
constexpr int zq_alpha_copy_size = zq_alpha_size + 1;
constexpr int zq_alpha_label_size = 9;  // 8 characters and a NUL
constexpr int zq_alpha_file_size = 24;  // 23 characters and a NUL

// Empties the register: all 24 bytes NUL.
void zq_alpha_clear();
// Number of characters before the first NUL, 0 to 24.
int64_t zq_alpha_length();
// Appends the first min(count, 24) bytes of text; the oldest characters fall
// out on the left when the register would overflow.
void zq_alpha_append(const char* text, int64_t count);
// Drops the first count characters (all of them when count >= the length).
void zq_alpha_shift_left(int64_t count);
// The first character moves to the end of the text (texts of 2 or more).
void zq_alpha_rotate_left();
// The last character of the text moves to the front (texts of 2 or more).
void zq_alpha_rotate_right();
// The decoded command's register operand := the first n characters as text.
void zq_alpha_to_reg(int64_t n);
// Appends the decoded command's register operand: at most n characters of a
// text cell, else the cell's display text.
void zq_alpha_append_reg(int64_t n);
// The 24 bytes, then a NUL.
void zq_alpha_copy_24(char (&out)[zq_alpha_copy_size]);
// Splits the text at its comma: label (at most 8 characters) and file name.
void zq_alpha_split_label_file(char (&label)[zq_alpha_label_size], char (&file)[zq_alpha_file_size]);
