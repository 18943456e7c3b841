// The SIGINT handler of a run and the flag it sets.
#include "interp/interrupt.h"

volatile std::sig_atomic_t zq_sigint_flag = 0;

void zq_sigint_handler(int) { zq_sigint_flag = 1; }

void zq_sigint_install() {
  // Cleared first, so that an interrupt arriving just after the handler is
  // in place is not lost.
  zq_sigint_flag = 0;
  signal(SIGINT, zq_sigint_handler);
}

void zq_sigint_restore() {
  signal(SIGINT, SIG_DFL);
  zq_sigint_flag = 0;
}

int zq_sigint_take() {
  if (!zq_sigint_flag) return 0;
  zq_sigint_flag = 0;
  return 1;
}
