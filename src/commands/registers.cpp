// Register commands and number entry.
#include "commands/registers.h"

#include "commands/info.h"
#include "commands/stack.h"
#include "interp/executor.h"
#include "interp/program.h"
#include "state/flags.h"
#include "state/registers.h"

// Typed, the parser has left the number in the literal cell. In a run the
// number step holds it in the words after its instruction word; inside an
// xail line the parser has put it in the literal cell.
void zq_cmd_nbr() {
  if (zq_mode == MODE_IMMEDIATE) {
    zq_stack_push(zq_regs[CELL_LITERAL]);
    zq_flag_set(FLAG_NUM_INPUT);
    return;
  }
  if (zq_mode != MODE_RUN) return;
  if (!zq_xail) zq_regs[CELL_LITERAL] = zq_step_number(pc + 1);
  zq_stack_push(zq_regs[CELL_LITERAL]);
}

// Command codes of the digit rows "0" to "9", ".", "e".
constexpr int zq_digit_code_0 = 16;

void zq_cmd_digit_0() { zq_digit_sink(zq_digit_code_0); }
void zq_cmd_digit_1() { zq_digit_sink(zq_digit_code_0 + 1); }
void zq_cmd_digit_2() { zq_digit_sink(zq_digit_code_0 + 2); }
void zq_cmd_digit_3() { zq_digit_sink(zq_digit_code_0 + 3); }
void zq_cmd_digit_4() { zq_digit_sink(zq_digit_code_0 + 4); }
void zq_cmd_digit_5() { zq_digit_sink(zq_digit_code_0 + 5); }
void zq_cmd_digit_6() { zq_digit_sink(zq_digit_code_0 + 6); }
void zq_cmd_digit_7() { zq_digit_sink(zq_digit_code_0 + 7); }
void zq_cmd_digit_8() { zq_digit_sink(zq_digit_code_0 + 8); }
void zq_cmd_digit_9() { zq_digit_sink(zq_digit_code_0 + 9); }
void zq_cmd_digit_dot() { zq_digit_sink(zq_digit_code_0 + 10); }
void zq_cmd_digit_e() { zq_digit_sink(zq_digit_code_0 + 11); }
