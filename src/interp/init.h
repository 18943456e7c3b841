// Initialisation of the whole calculator (also the command "clall") and the
// small helpers that keep derived state in step: the digit-count flags and
// the prompt text.
#pragma once

#include <cstdint>

// The prompt text: at most 13 characters, NUL-padded.
constexpr int zq_prompt_size = 15;
extern char zq_prompt[zq_prompt_size];

void zq_init();
// zq_init, which clears program memory only when asked to.
void zq_init_state(bool clear_program_memory);
// Clamps n to 0..15, mirrors it into flags 36 to 39 and returns it.
int64_t zq_set_digits(int64_t n);
// Rebuilds zq_prompt from USER mode (flag 27) and the trace switch.
void zq_set_prompt();
