// Arithmetic and mathematical functions. Each handler clears the pending
// number error, computes, and stores its result only when the number layer
// reports no error afterwards; a failure leaves every cell as it was.
#include "commands/arith.h"

#include "commands/stack.h"
#include "number/number.h"
#include "state/conversions.h"
#include "state/errors.h"
#include "state/registers.h"

namespace {

// Tagged results become REG_NUMBER; raw ones keep the tag X has when the
// result is written (the old X's, or after a drop the old Y's).
enum zq_store : int {
  STORE_TAGGED,
  STORE_RAW,
};

zq_double_64 zq_x_value() { return zq_regs[CELL_X]; }
zq_double_64 zq_y_value() { return zq_regs[CELL_Y]; }

void zq_store_x(zq_double_64 r, zq_store store) {
  if (store == STORE_TAGGED)
    zq_reg_set_number(CELL_X, r);
  else
    zq_reg_set(CELL_X, r, zq_reg_types[CELL_X]);
}

// The verdict of the number layer on the computation just made; an
// out-of-range failure is reported as DATA ERROR like any other.
bool zq_computation_failed() {
  if (zqm_take_error() == ERR_NONE) return false;
  zq_report_error(ERR_DATA);
  return true;
}

// One operand: LASTX := X, X := r.
void zq_finish_one(zq_double_64 r, zq_store store) {
  if (zq_computation_failed()) return;
  zq_reg_copy(CELL_X, CELL_L);
  zq_store_x(r, store);
}

// Two operands: the drop saves X in LASTX, then X := r.
void zq_finish_two(zq_double_64 r, zq_store store) {
  if (zq_computation_failed()) return;
  zq_stack_drop_lastx();
  zq_store_x(r, store);
}

// Percentages keep their base in Y: LASTX := X, X := r, nothing drops.
void zq_finish_percent(zq_double_64 r) { zq_finish_one(r, STORE_RAW); }

}  // namespace

// Each handler below starts with zqm_take_error to drop a stale code before
// its own calls; the zq_finish_ function takes the code they leave.

void zq_cmd_plus() {
  zqm_take_error();
  zq_finish_two(zqm_add(zq_x_value(), zq_y_value()), STORE_TAGGED);
}

void zq_cmd_minus() {
  zqm_take_error();
  zq_finish_two(zqm_sub(zq_y_value(), zq_x_value()), STORE_TAGGED);
}

void zq_cmd_mul() {
  zqm_take_error();
  zq_finish_two(zqm_mul(zq_x_value(), zq_y_value()), STORE_TAGGED);
}

void zq_cmd_div() {
  zqm_take_error();
  zq_finish_two(zqm_div(zq_y_value(), zq_x_value()), STORE_TAGGED);
}

void zq_cmd_mod() {
  zqm_take_error();
  zq_finish_two(zqm_mod(zq_y_value(), zq_x_value()), STORE_RAW);
}

void zq_cmd_y_pow_x() {
  zqm_take_error();
  zq_finish_two(zqm_pow(zq_y_value(), zq_x_value()), STORE_RAW);
}

// Divides 1.0, not 1, so the quotient's exponent follows from that operand.
void zq_cmd_1_div_x() {
  zqm_take_error();
  zq_finish_one(zqm_div(zqm_k_1, zq_x_value()), STORE_TAGGED);
}

void zq_cmd_x_pow_2() {
  zqm_take_error();
  zq_finish_one(zqm_mul(zq_x_value(), zq_x_value()), STORE_RAW);
}

void zq_cmd_sqrt() {
  zqm_take_error();
  zq_finish_one(zqm_sqrt(zq_x_value()), STORE_RAW);
}

void zq_cmd_abs() {
  zqm_take_error();
  zq_finish_one(zqm_abs(zq_x_value()), STORE_RAW);
}

void zq_cmd_int() {
  zqm_take_error();
  zq_finish_one(zqm_int(zq_x_value()), STORE_RAW);
}

void zq_cmd_frc() {
  zqm_take_error();
  zq_finish_one(zqm_frc(zq_x_value()), STORE_RAW);
}

void zq_cmd_fact() {
  zqm_take_error();
  zq_finish_one(zqm_fact(zq_x_value()), STORE_RAW);
}

void zq_cmd_log() {
  zqm_take_error();
  zq_finish_one(zqm_log10(zq_x_value()), STORE_RAW);
}

void zq_cmd_ln() {
  zqm_take_error();
  zq_finish_one(zqm_ln(zq_x_value()), STORE_RAW);
}

void zq_cmd_ln1_plus_x() {
  zqm_take_error();
  zq_finish_one(zqm_ln1px(zq_x_value()), STORE_RAW);
}

void zq_cmd_e_pow_x() {
  zqm_take_error();
  zq_finish_one(zqm_exp(zq_x_value()), STORE_RAW);
}

void zq_cmd_e_pow_x_minus_1() {
  zqm_take_error();
  zq_finish_one(zqm_expm1(zq_x_value()), STORE_RAW);
}

void zq_cmd_10_pow_x() {
  zqm_take_error();
  zq_finish_one(zqm_pow(zqm_k_10, zq_x_value()), STORE_RAW);
}

// The trigonometric functions work in radians; the angle mode is converted
// on the way in (sin, cos, tan) or on the way out (asin, acos, atan).

void zq_cmd_sin() {
  zqm_take_error();
  zq_finish_one(zqm_sin(zq_to_radians(zq_x_value())), STORE_RAW);
}

void zq_cmd_cos() {
  zqm_take_error();
  zq_finish_one(zqm_cos(zq_to_radians(zq_x_value())), STORE_RAW);
}

void zq_cmd_tan() {
  zqm_take_error();
  zq_finish_one(zqm_tan(zq_to_radians(zq_x_value())), STORE_RAW);
}

void zq_cmd_asin() {
  zqm_take_error();
  zq_finish_one(zq_from_radians(zqm_asin(zq_x_value())), STORE_RAW);
}

void zq_cmd_acos() {
  zqm_take_error();
  zq_finish_one(zq_from_radians(zqm_acos(zq_x_value())), STORE_RAW);
}

void zq_cmd_atan() {
  zqm_take_error();
  zq_finish_one(zq_from_radians(zqm_atan(zq_x_value())), STORE_RAW);
}

// X percent of Y.
void zq_cmd_percent() {
  zqm_take_error();
  zq_finish_percent(zqm_mul(zqm_div(zq_x_value(), zqm_k_100), zq_y_value()));
}

// The change from Y to X in percent of Y.
void zq_cmd_percent_ch() {
  zqm_take_error();
  zq_finish_percent(zqm_mul(zqm_k_100, zqm_div(zqm_sub(zq_x_value(), zq_y_value()), zq_y_value())));
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
  zq_reg_set_number(CELL_X, zqm_sign(zq_x_value()));
}
