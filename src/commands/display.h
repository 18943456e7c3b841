// The stack display shown after every line, with the watched registers
// before it, the watch commands, and the commands that show or announce
// something.
#pragma once

#include <cstdint>

// 1: the next stack display shows only its watch block, then clears this.
extern int64_t zq_suppress_display;

void zq_cmd_prstk();
void zq_cmd_watch();
void zq_cmd_unwatch();
void zq_cmd_clwatch();
void zq_cmd_view();
void zq_cmd_aview();
void zq_cmd_prompt();
void zq_cmd_beep();
void zq_cmd_cool();
void zq_cmd_pse();
