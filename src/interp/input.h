// Typed input: lines and one-character answers, read from standard input
// through the program's own buffer, so that it knows when a read will wait.
#pragma once

#include <cstddef>

// One line, as fgets reads it: at most size - 1 bytes, up to and including a
// line feed, then a NUL. Returns nullptr at end of input with nothing read.
char* zq_read_line(char* line, size_t size);

// The first character of one answer line, or 0 at end of input; the rest of
// the line is consumed.
char zq_read_answer();

// Forgets buffered input and its end, as a new process finds them.
void zq_input_reset();
