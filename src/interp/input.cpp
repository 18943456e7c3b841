// Typed input through one buffer of our own: what was printed is flushed
// exactly when the buffer is empty and the next read may have to wait, so
// that whoever answers has seen the question (or the prompt), at a terminal
// and at a pipe alike, while input that is already buffered is read without
// a write per line.
#include "interp/input.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t zq_input_buffer_size = 8192;
char zq_input_buffer[zq_input_buffer_size];
size_t zq_input_next = 0;
size_t zq_input_end = 0;
// End of input (or a read error) is final, as it is for a stdio stream: a
// terminal's end-of-file key is not read past.
bool zq_input_ended = false;

bool zq_input_available() {
  if (zq_input_next < zq_input_end) return true;
  if (zq_input_ended) return false;
  fflush(stdout);
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, zq_input_buffer, sizeof zq_input_buffer);
    if (got > 0) {
      zq_input_next = 0;
      zq_input_end = static_cast<size_t>(got);
      return true;
    }
    if (got < 0 && errno == EINTR) continue;
    zq_input_ended = true;
    return false;
  }
}

int zq_input_byte() {
  if (!zq_input_available()) return EOF;
  return static_cast<unsigned char>(zq_input_buffer[zq_input_next++]);
}

}  // namespace

char* zq_read_line(char* line, size_t size) {
  size_t used = 0;
  while (used + 1 < size && zq_input_available()) {
    const char* from = zq_input_buffer + zq_input_next;
    size_t count = std::min(zq_input_end - zq_input_next, size - 1 - used);
    if (const void* feed = std::memchr(from, '\n', count)) {
      count = static_cast<size_t>(static_cast<const char*>(feed) - from) + 1;
    }
    std::memcpy(line + used, from, count);
    zq_input_next += count;
    used += count;
    if (line[used - 1] == '\n') break;
  }
  if (used == 0) return nullptr;
  line[used] = '\0';
  return line;
}

// The whole line is consumed byte by byte, so neither its rest nor, after a
// NUL byte in it, the next line is ever taken for a typed line.
char zq_read_answer() {
  const int first = zq_input_byte();
  for (int c = first; c != EOF && c != '\n';) c = zq_input_byte();
  return first == EOF ? 0 : static_cast<char>(first);
}

void zq_input_reset() {
  zq_input_next = 0;
  zq_input_end = 0;
  zq_input_ended = false;
}
