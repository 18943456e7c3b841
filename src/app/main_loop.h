// The outermost layer: command-line options, the welcome sequence with the
// restore offer, the loop over typed lines and the exit save.
#pragma once

#include <cstdint>

// 1 when a state was restored at start (or -r was given): no MEMORY LOST.
extern int32_t zq_restored;
// Set by -x: no welcome sequence, and "run" is the first input line.
extern uint8_t zq_autorun;

// zq_init for the process start, when program memory is known to be empty;
// it also puts to rest what clall leaves to the running line, so that it
// gives the state of a fresh process from any state but program memory.
void zq_init_at_start();

// Applies the options in their order; a file named by one is read or loaded
// at once. An unknown option, or one that lacks its file, ends the process
// with status 1 after the usage text.
void zq_apply_options(int argc, char** argv);
// Unless -x runs a program at once: the welcome text, the restore offer,
// MEMORY LOST when nothing was restored, and the stack display.
void zq_welcome();
// Reads and executes typed lines until the quit request or end of input;
// returns the process status.
int zq_main_loop();

void zq_exit_save();
void zq_startup_restore();
