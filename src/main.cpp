// ZQ17: an RPN calculator for the text terminal.
#include "interp/executor.h"
#include "interp/init.h"
#include "interp/main_loop.h"

int main(int argc, char** argv) {
  zq_init_at_start();
  // Typed commands are always executed at once, whatever the options load.
  zq_mode = MODE_IMMEDIATE;
  zq_apply_options(argc, argv);
  zq_welcome();
  return zq_main_loop();
}
