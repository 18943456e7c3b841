// Stack commands, and the two helpers through which other commands put a
// value on the stack or take two operands off it.
#pragma once

#include "number/number.h"

// Lifts the stack, then X := value as a number. LASTX is untouched.
void zq_stack_push(zq_double_64 value);
// LASTX := X, then X := Y, Y := Z, Z := T; T keeps its value. Two-operand
// commands call it only after their result has been computed.
void zq_stack_drop_lastx();

void zq_cmd_enter();
void zq_cmd_x_swap_y();
void zq_cmd_rup();
void zq_cmd_rdn();
void zq_cmd_drop();
void zq_cmd_dropl();
void zq_cmd_lastx();
void zq_cmd_clx();
void zq_cmd_pi();
void zq_cmd_chs();
