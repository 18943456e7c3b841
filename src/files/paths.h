// File names: the small routines that build a file name in zq_text from the
// path prefix and an operand, a program step or the alpha register.
#pragma once

#include <cstdint>

#include "state/alpha.h"

// At most this many characters of a name go behind the path prefix.
constexpr int zq_file_name_part = 24;

// zq_text := the file-name operand of the step at pc (a name kept in its two
// name words, up to its first NUL, or the one character of an OPT_CHAR step).
void zq_file_name_from_program();
// zq_text := the first 231 characters of zq_path followed by the first 24 of
// the old zq_text; the rest of zq_text is NUL.
void zq_prefix_path();
// zq_text := the alpha register's text (at most 24 characters) and a NUL; the
// cut and the prefix come later, from the state-file writer and reader.
void zq_file_name_from_alpha();
// zq_text := the path prefix followed by the alpha register's text.
void zq_file_path_from_alpha();
// Every backslash in the NUL-terminated text becomes '/', in place.
void zq_fix_path_separators(char* text);
// Warns on the message line when a non-empty prefix ends in no separator.
void zq_check_path_slash();
// destination := min(n, 24) bytes of the alpha register, stopping at its first
// NUL and NUL-filled up to that count; for n > 24 byte 24 becomes NUL too, so
// 25 gives a terminated copy of the whole register.
void zq_alpha_copy_n(char (&destination)[zq_alpha_copy_size], int64_t n);
