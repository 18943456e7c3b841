// The information texts, the USER and trace switches, the quit request and
// the memory-size commands, whose register count is fixed.
#include "commands/info.h"

#include <cstdio>

#include "interp/executor.h"
#include "interp/init.h"
#include "number/number.h"
#include "state/flags.h"
#include "state/registers.h"

namespace {

constexpr const char* zq_version = "0.45.03 Alpha";

}  // namespace

void zq_print_input_help() {
  puts("Input commands and numbers, separated by spaces, and press return.");
  puts("A space or return after a number is the same as the command 'enter'.");
  puts("Use 'exit' to quit and 'cat 3' for a list of commands.");
  putchar('\n');
}

void zq_cmd_about() {
  puts("Welcome to ZQ17");
  printf("Version %s, for information about this release use the 'changes' command.\n", zq_version);
  printf("This calculator uses the decimal arithmetic library %s.\n", zqm_get_version());
  puts(
      "This experimental software is released for the sole purpose of testing and feedback "
      "and without warranty of any kind.");
  putchar('\n');
  zq_print_input_help();
}

void zq_cmd_changes() {
  printf("Version %s.\n\n", zq_version);
  puts("Updates in this release:\n");
  puts(
      "MOD updated to work with fractional inputs.\n"
      "TRACE mode now indicated by prompt changing to \"TRACE>\".");
}

void zq_cmd_usage() {
  puts("Usage:");
  puts("Interactive mode runs by default (no arguments) or with -i or -I ");
  puts("To restore memory and calculator state from a file (reada):  -r or -R filename");
  puts("To load a program into memory from a file:  -l or -L filename");
  puts("To load a program into memory and begin running: -x or -X filename\n");
}

void zq_cmd_user() {
  zq_flag_put(FLAG_USER, !zq_flag_test(FLAG_USER));
  zq_set_prompt();
}

void zq_cmd_trace() {
  zq_trace = zq_trace ? 0 : 1;
  zq_set_prompt();
}

// Only a request: the main loop ends at its next prompt, and a running
// program is stopped by the executor instead.
void zq_cmd_exit() { zq_quit = 1; }

// The register file has a fixed size, so these accept their operand and do
// nothing.
void zq_cmd_size() {}
void zq_cmd_psize() {}

void zq_cmd_size_q() {
  zq_stack_lift();
  zq_reg_set_number(CELL_X, zqm_zq_double_64_from_int(zq_data_register_count));
}
