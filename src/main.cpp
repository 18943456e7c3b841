// ZQ17: an RPN calculator for the text terminal.
#include <unistd.h>

#include <cstdio>

#include "app/main_loop.h"
#include "state/execution.h"

namespace {

// A static buffer spares start-up the heap; standard output stays line
// buffered at a terminal, as stdio would have it. Standard input has its own
// buffer in the input unit.
char zq_stdout_buffer[BUFSIZ];

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, zq_stdout_buffer, isatty(STDOUT_FILENO) ? _IOLBF : _IOFBF, sizeof zq_stdout_buffer);
  zq_init_at_start();
  // Typed commands are always executed at once, whatever the options load.
  zq_mode = MODE_IMMEDIATE;
  zq_apply_options(argc, argv);
  zq_welcome();
  return zq_main_loop();
}
