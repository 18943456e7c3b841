// The alpha register and its primitive operations: length, append with the
// oldest characters falling out, shift, rotate, and moving text to and from cells.
#include "state/alpha.h"

#include <algorithm>
#include <cstring>

#include "state/display.h"
#include "state/registers.h"

char zq_alpha[zq_alpha_size];

void zq_alpha_clear() { std::memset(zq_alpha, 0, sizeof zq_alpha); }

int64_t zq_alpha_length() {
  int64_t length = 0;
  while (length < zq_alpha_size && zq_alpha[length] != '\0') ++length;
  return length;
}

void zq_alpha_append(const char* text, int64_t count) {
  const int64_t m = std::clamp<int64_t>(count, 0, zq_alpha_size);
  if (m == 0) return;
  int64_t length = zq_alpha_length();
  if (length + m > zq_alpha_size) {
    zq_alpha_shift_left(length + m - zq_alpha_size);
    length = zq_alpha_size - m;
  }
  std::memcpy(zq_alpha + length, text, static_cast<size_t>(m));
}

void zq_alpha_shift_left(int64_t count) {
  if (count < 1) return;
  if (count < zq_alpha_length()) {
    const size_t kept = static_cast<size_t>(zq_alpha_size - count);
    std::memmove(zq_alpha, zq_alpha + count, kept);
    std::memset(zq_alpha + kept, 0, static_cast<size_t>(count));
  } else {
    std::memset(zq_alpha, 0, sizeof zq_alpha);
  }
}

void zq_alpha_rotate_left() {
  const int64_t length = zq_alpha_length();
  if (length < 2) return;
  const char first = zq_alpha[0];
  std::memmove(zq_alpha, zq_alpha + 1, static_cast<size_t>(length - 1));
  zq_alpha[length - 1] = first;
}

void zq_alpha_rotate_right() {
  const int64_t length = zq_alpha_length();
  if (length < 2) return;
  const char last = zq_alpha[length - 1];
  std::memmove(zq_alpha + 1, zq_alpha, static_cast<size_t>(length - 1));
  zq_alpha[0] = last;
}

void zq_alpha_to_reg(int64_t n) {
  const zq_cell_index cell = zq_get_operand_reg();
  if (cell == zq_no_cell) return;
  zq_reg_set(cell, zq_cell_pack_text(zq_alpha, std::min(zq_alpha_length(), n)), REG_ALPHA);
}

void zq_alpha_append_reg(int64_t n) {
  const zq_cell_index cell = zq_get_operand_reg();
  if (cell == zq_no_cell) return;
  if (zq_reg_types[cell] == REG_ALPHA) {
    char text[zq_cell_text_size];
    zq_alpha_append(text, zq_cell_unpack_text(zq_regs[cell], n, text));
    return;
  }
  // A cell of unknown type leaves the text empty.
  char text[zq_value_text_size] = "";
  zq_reg_format_value(cell, text, sizeof text);
  zq_alpha_append(text, static_cast<int64_t>(strnlen(text, sizeof text)));
}

void zq_alpha_copy_24(char (&out)[zq_alpha_copy_size]) {
  std::memcpy(out, zq_alpha, sizeof zq_alpha);
  out[zq_alpha_size] = '\0';
}

void zq_alpha_split_label_file(char (&label)[zq_alpha_label_size], char (&file)[zq_alpha_file_size]) {
  // The NUL padding is copied like characters, so the label ends at the
  // first NUL, the first comma or after 8 characters.
  int64_t i = 0;
  while (i < zq_alpha_label_size - 1 && zq_alpha[i] != ',') {
    label[i] = zq_alpha[i];
    ++i;
  }
  label[i] = '\0';
  int64_t length = 0;
  if (zq_alpha[i] == ',') {
    for (int64_t from = i + 1; from < zq_alpha_size && zq_alpha[from] != '\0'; ++from) {
      file[length++] = zq_alpha[from];
    }
  }
  file[length] = '\0';
}
