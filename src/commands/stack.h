// Stack commands, and the helpers through which other commands put a value
// on the stack or replace their operands by a result.
#pragma once

#include "number/number.h"

// How a result goes into X: tagged as a number, or raw, keeping the tag X
// has when it is written (the old X's, or after a drop the old Y's).
enum zq_store : int {
  STORE_TAGGED,
  STORE_RAW,
};

using zq_fn_of_x = zq_double_64 (*)(zq_double_64 x);
using zq_fn_of_x_y = zq_double_64 (*)(zq_double_64 x, zq_double_64 y);

// Lifts the stack, then X := value as a number. LASTX is untouched.
void zq_stack_push(zq_double_64 value);
// LASTX := X, then X := Y, Y := Z, Z := T; T keeps its value. Two-operand
// commands call it only after their result has been computed.
void zq_stack_drop_lastx();
// The one- and two-operand commands. Each clears the pending number error,
// computes, and changes nothing when the number layer then reports one.
// One operand: LASTX := X, X := f(X).
void zq_stack_one(zq_fn_of_x f, zq_store store);
// Two operands: the drop saves X in LASTX, then X := f(X, Y).
void zq_stack_two(zq_fn_of_x_y f, zq_store store);

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
