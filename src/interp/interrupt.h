// The interrupt of a running program: while a run lasts, SIGINT only sets a
// flag that the run loop polls after every step; at other times it ends the
// process as usual.
#pragma once

#include <csignal>
#include <cstdint>

// 1 when SIGINT arrived while a program ran.
extern volatile std::sig_atomic_t zq_sigint_flag;
// Steps that runs may still make before each stops as if interrupted; -1
// means no bound. Only the fuzzing harnesses bound runs.
extern int64_t zq_run_step_budget;

void zq_sigint_handler(int signal_number);
// Catches SIGINT for the run that begins, with the flag cleared.
void zq_sigint_install();
// Gives SIGINT back its default action at the end of a run.
void zq_sigint_restore();
// 1, clearing the flag, when an interrupt is pending; else 0. Inline: the
// run loop asks after every step.
inline int zq_sigint_take() {
  if (zq_run_step_budget >= 0) {
    if (zq_run_step_budget == 0) return 1;
    --zq_run_step_budget;
  }
  if (!zq_sigint_flag) return 0;
  zq_sigint_flag = 0;
  return 1;
}
