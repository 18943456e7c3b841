// The SIGINT handler of a run and the flag it sets.
#include "interp/interrupt.h"

volatile std::sig_atomic_t zq_sigint_flag = 0;
int64_t zq_run_step_budget = -1;

void zq_sigint_handler(int) { zq_sigint_flag = 1; }

void zq_sigint_install() {
  // Cleared first, so that an interrupt arriving just after the handler is
  // in place is not lost.
  zq_sigint_flag = 0;
  // Without SA_RESTART: an interrupt also ends a read or an open that a
  // step waits on, such as a load from a FIFO that gives nothing.
  struct sigaction action {};
  action.sa_handler = zq_sigint_handler;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

void zq_sigint_restore() {
  signal(SIGINT, SIG_DFL);
  zq_sigint_flag = 0;
}
