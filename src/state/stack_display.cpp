// The stack display, made of the formatter's texts: what flags 62 and 63
// ask for, after the watch block.
#include "state/stack_display.h"

#include <cstdio>

#include "state/alpha.h"
#include "state/display.h"
#include "state/flags.h"
#include "state/registers.h"
#include "state/text_builder.h"
#include "state/watch.h"

int64_t zq_suppress_display = 0;

namespace {

// Entries printed on one line of the watch block.
constexpr int64_t zq_watch_per_line = 5;

// The display text of one cell, in the buffer size every caller here uses.
struct zq_value_text {
  char text[zq_value_text_size] = "";
  explicit zq_value_text(int64_t cell) { zq_reg_format_value(cell, text, zq_value_text_size); }
};

void zq_print_watch_block() {
  for (int64_t i = 0; i < zq_watch_count; ++i) {
    char name[zq_cell_name_size];
    zq_reg_format_name(zq_watch[i], name);
    const zq_value_text value(zq_watch[i]);
    printf("%s %s ", name, value.text);
    if ((i + 1) % zq_watch_per_line == 0) {
      putchar('\n');
    }
  }
  if (zq_watch_count % zq_watch_per_line != 0) {
    putchar('\n');
  }
}

// The stack line is printed after every typed line, so it is put together
// in one buffer and written at once. Its longest form (five 23-character
// values, 24 alpha characters and the labels: 159 bytes) fits with room.
constexpr size_t zq_stack_line_size = 256;

// Inline, so that each label's length is known where it is appended.
inline void zq_append_value(zq_text_builder& line, const char* label, zq_cell_index cell) {
  line.append(label);
  line.append(zq_value_text(cell).text);
}

}  // namespace

void zq_print_stack_display() {
  if (zq_watch_count > 0) {
    zq_print_watch_block();
  }
  if (zq_suppress_display != 0) {
    zq_suppress_display = 0;
    return;
  }
  const bool show_stack = zq_flag_test(FLAG_SHOW_STACK);
  if (show_stack) {
    char buffer[zq_stack_line_size];
    zq_text_builder line(buffer);
    zq_append_value(line, "x: ", CELL_X);
    zq_append_value(line, " y:", CELL_Y);
    zq_append_value(line, " z:", CELL_Z);
    zq_append_value(line, " t:", CELL_T);
    zq_append_value(line, " l:", CELL_L);
    char alpha[zq_alpha_copy_size];
    zq_alpha_copy_24(alpha);
    line.append(" a: ");
    line.append(alpha);
    line.append("\n");
    fwrite(line.c_str(), 1, line.length(), stdout);
  }
  if (zq_flag_test(FLAG_SHOW_X)) {
    const zq_value_text x(CELL_X);
    if (show_stack) {
      putchar('\n');
    }
    printf("%s\n", x.text);
  }
}
