// The stack display shown after every line, the watch list of registers
// shown before it, and the commands that show or announce something.
#pragma once

#include <cstdint>

// Room for 25 watched cells; watch adds only while fewer are in use.
constexpr int64_t zq_watch_size = 25;
// Cell indexes (1 to 1005) in the order they were added; repeats allowed.
extern int64_t zq_watch[zq_watch_size];
extern int64_t zq_watch_count;

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
