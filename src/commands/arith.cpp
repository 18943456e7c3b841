// Arithmetic and mathematical functions. Each command clears the pending
// number error, computes, and stores its result only when the number layer
// reports no error afterwards; a failure leaves every cell as it was.
#include "commands/arith.h"

#include "commands/stack.h"
#include "number/number.h"
#include "state/conversions.h"
#include "state/errors.h"
#include "state/registers.h"

namespace {

// Percentages keep their base in Y: LASTX := X, X := f(X, Y), nothing drops.
void zq_percent(zq_fn_of_x_y f) {
  zqm_take_error();
  const zq_double_64 x = zq_regs[CELL_X];
  const zq_double_64 y = zq_regs[CELL_Y];
  const zq_double_64 r = f(x, y);
  if (zq_number_failed_for({x, y}, {r})) return;
  zq_reg_copy(CELL_X, CELL_L);
  zq_reg_set(CELL_X, r, zq_reg_types[CELL_X]);
}

}  // namespace

// X is the second operand, so the lambdas name the operands in the order
// of the computation: 7 enter 2 - gives 5.

void zq_cmd_plus() { zq_stack_two(zqm_add, STORE_TAGGED); }
void zq_cmd_minus() {
  zq_stack_two([](zq_double_64 x, zq_double_64 y) { return zqm_sub(y, x); }, STORE_TAGGED);
}
void zq_cmd_mul() { zq_stack_two(zqm_mul, STORE_TAGGED); }
void zq_cmd_div() {
  zq_stack_two([](zq_double_64 x, zq_double_64 y) { return zqm_div(y, x); }, STORE_TAGGED);
}
void zq_cmd_mod() {
  zq_stack_two([](zq_double_64 x, zq_double_64 y) { return zqm_mod(y, x); }, STORE_RAW);
}
void zq_cmd_y_pow_x() {
  zq_stack_two([](zq_double_64 x, zq_double_64 y) { return zqm_pow(y, x); }, STORE_RAW);
}

// Divides 1.0, not 1, so the quotient's exponent follows from that operand.
void zq_cmd_1_div_x() {
  zq_stack_one([](zq_double_64 x) { return zqm_div(zqm_k_1, x); }, STORE_TAGGED);
}

void zq_cmd_x_pow_2() {
  zq_stack_one([](zq_double_64 x) { return zqm_mul(x, x); }, STORE_RAW);
}
void zq_cmd_sqrt() { zq_stack_one(zqm_sqrt, STORE_RAW); }
void zq_cmd_abs() { zq_stack_one(zqm_abs, STORE_RAW); }
void zq_cmd_int() { zq_stack_one(zqm_int, STORE_RAW); }
void zq_cmd_frc() { zq_stack_one(zqm_frc, STORE_RAW); }
void zq_cmd_fact() { zq_stack_one(zqm_fact, STORE_RAW); }
void zq_cmd_log() { zq_stack_one(zqm_log10, STORE_RAW); }
void zq_cmd_ln() { zq_stack_one(zqm_ln, STORE_RAW); }
void zq_cmd_ln1_plus_x() { zq_stack_one(zqm_ln1px, STORE_RAW); }
void zq_cmd_e_pow_x() { zq_stack_one(zqm_exp, STORE_RAW); }
void zq_cmd_e_pow_x_minus_1() { zq_stack_one(zqm_expm1, STORE_RAW); }
void zq_cmd_10_pow_x() {
  zq_stack_one([](zq_double_64 x) { return zqm_pow(zqm_k_10, x); }, STORE_RAW);
}

// The trigonometric functions work in radians; the angle mode is converted
// on the way in (sin, cos, tan) or on the way out (asin, acos, atan).
void zq_cmd_sin() {
  zq_stack_one([](zq_double_64 x) { return zqm_sin(zq_to_radians(x)); }, STORE_RAW);
}
void zq_cmd_cos() {
  zq_stack_one([](zq_double_64 x) { return zqm_cos(zq_to_radians(x)); }, STORE_RAW);
}
void zq_cmd_tan() {
  zq_stack_one([](zq_double_64 x) { return zqm_tan(zq_to_radians(x)); }, STORE_RAW);
}
void zq_cmd_asin() {
  zq_stack_one([](zq_double_64 x) { return zq_from_radians(zqm_asin(x)); }, STORE_RAW);
}
void zq_cmd_acos() {
  zq_stack_one([](zq_double_64 x) { return zq_from_radians(zqm_acos(x)); }, STORE_RAW);
}
void zq_cmd_atan() {
  zq_stack_one([](zq_double_64 x) { return zq_from_radians(zqm_atan(x)); }, STORE_RAW);
}

// X percent of Y.
void zq_cmd_percent() {
  zq_percent([](zq_double_64 x, zq_double_64 y) { return zqm_mul(zqm_div(x, zqm_k_100), y); });
}

// The change from Y to X in percent of Y.
void zq_cmd_percent_ch() {
  zq_percent([](zq_double_64 x, zq_double_64 y) { return zqm_mul(zqm_k_100, zqm_div(zqm_sub(x, y), y)); });
}

// Works on any tag: text gives 0.0, a number or flag data the sign of the
// top bit (for flag data that is flag 63). It cannot fail.
void zq_cmd_sign() {
  zq_reg_copy(CELL_X, CELL_L);
  if (zq_tag_is_alpha(zq_reg_types[CELL_X])) {
    zq_reg_set_number(CELL_X, zqm_k_0);
    return;
  }
  zqm_take_error();
  zq_reg_set_number(CELL_X, zqm_sign(zq_regs[CELL_X]));
}
