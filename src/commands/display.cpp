// The stack display, the watch list and the small commands that show the
// alpha register or a register, beep, pause or prompt.
#include "commands/display.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "commands/program.h"
#include "state/alpha.h"
#include "state/display.h"
#include "state/errors.h"
#include "state/flags.h"
#include "state/registers.h"

int64_t zq_watch[zq_watch_size];
int64_t zq_watch_count = 0;
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

class zq_stack_line {
 public:
  void append(const char* text) {
    const size_t length = std::strlen(text);
    const size_t room = sizeof buffer_ - used_;
    const size_t n = length < room ? length : room;
    std::memcpy(buffer_ + used_, text, n);
    used_ += n;
  }
  void append_value(const char* label, zq_cell_index cell) {
    append(label);
    append(zq_value_text(cell).text);
  }
  void write() const { fwrite(buffer_, 1, used_, stdout); }

 private:
  char buffer_[zq_stack_line_size];
  size_t used_ = 0;
};

}  // namespace

void zq_cmd_prstk() {
  if (zq_watch_count > 0) {
    zq_print_watch_block();
  }
  if (zq_suppress_display != 0) {
    zq_suppress_display = 0;
    return;
  }
  const bool show_stack = zq_flag_test(FLAG_SHOW_STACK);
  if (show_stack) {
    zq_stack_line line;
    line.append_value("x: ", CELL_X);
    line.append_value(" y:", CELL_Y);
    line.append_value(" z:", CELL_Z);
    line.append_value(" t:", CELL_T);
    line.append_value(" l:", CELL_L);
    char alpha[zq_alpha_copy_size];
    zq_alpha_copy_24(alpha);
    line.append(" a: ");
    line.append(alpha);
    line.append("\n");
    line.write();
  }
  if (zq_flag_test(FLAG_SHOW_X)) {
    const zq_value_text x(CELL_X);
    if (show_stack) {
      putchar('\n');
    }
    printf("%s\n", x.text);
  }
}

void zq_cmd_watch() {
  if (zq_watch_count >= zq_watch_size) {
    return;
  }
  const zq_cell_index cell = zq_get_operand_reg();
  if (cell == zq_no_cell) {
    return;
  }
  zq_watch[zq_watch_count++] = cell;
}

void zq_cmd_unwatch() {
  const zq_cell_index cell = zq_get_operand_reg();
  if (cell == zq_no_cell) {
    return;
  }
  // Keeps the order of the others; a repeat moving into a freed place goes too.
  int64_t kept = 0;
  for (int64_t i = 0; i < zq_watch_count; ++i) {
    if (zq_watch[i] != cell) {
      zq_watch[kept++] = zq_watch[i];
    }
  }
  zq_watch_count = kept;
}

void zq_cmd_clwatch() { zq_watch_count = 0; }

void zq_cmd_view() {
  const zq_cell_index cell = zq_get_operand_reg();
  if (cell == zq_no_cell) {
    return;
  }
  const zq_value_text value(cell);
  puts(value.text);
}

void zq_cmd_aview() {
  char alpha[zq_alpha_copy_size];
  zq_alpha_copy_24(alpha);
  puts(alpha);
}

void zq_cmd_prompt() {
  zq_cmd_aview();
  zq_cmd_stop();
  zq_suppress_display = 1;
}

void zq_cmd_beep() {
  if (zq_flag_test(FLAG_AUDIO)) {
    puts("BEEP!");
  }
}

void zq_cmd_cool() { zq_show_message(MSG_TEXT, "Yes, very cool! :)", nullptr); }

void zq_cmd_pse() { sleep(1); }
