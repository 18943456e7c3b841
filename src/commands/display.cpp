// prstk, the watch list and the small commands that show the alpha register
// or a register, beep, pause or prompt.
#include "commands/display.h"

#include <unistd.h>

#include <cstdio>

#include "interp/executor.h"
#include "state/alpha.h"
#include "state/display.h"
#include "state/errors.h"
#include "state/flags.h"
#include "state/registers.h"
#include "state/stack_display.h"
#include "state/watch.h"

void zq_cmd_prstk() { zq_print_stack_display(); }

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
  char text[zq_value_text_size];
  zq_reg_format_value(cell, text, zq_value_text_size);
  puts(text);
}

void zq_cmd_aview() {
  char alpha[zq_alpha_copy_size];
  zq_alpha_copy_24(alpha);
  puts(alpha);
}

void zq_cmd_prompt() {
  zq_cmd_aview();
  zq_stop_program();
  zq_suppress_display = 1;
}

void zq_cmd_beep() {
  if (zq_flag_test(FLAG_AUDIO)) {
    puts("BEEP!");
  }
}

void zq_cmd_cool() { zq_show_message(MSG_TEXT, "Yes, very cool! :)", nullptr); }

void zq_cmd_pse() { sleep(1); }
