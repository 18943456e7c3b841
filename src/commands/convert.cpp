// Conversion commands. Every result is stored raw: only the value is written
// and the cell keeps the numeric tag it has. All but dec and oct compute
// between two takes of the pending number error and change nothing when the
// second take finds one.
#include "commands/convert.h"

#include <cmath>
#include <cstdint>

#include "commands/stack.h"
#include "interp/parser.h"
#include "number/number.h"
#include "state/conversions.h"
#include "state/display.h"
#include "state/errors.h"
#include "state/flags.h"
#include "state/modes.h"
#include "state/registers.h"

namespace {

void zq_set_raw(zq_cell_index cell, zq_double_64 value) { zq_reg_set(cell, value, zq_reg_types[cell]); }

// LASTX := X, then X := r.
void zq_replace_x(zq_double_64 r) {
  zq_reg_copy(CELL_X, CELL_L);
  zq_set_raw(CELL_X, r);
}

// Coordinate pairs: LASTX := X, Y := new_y, X := new_x; Z and T stay.
void zq_replace_pair(zq_double_64 new_x, zq_double_64 new_y) {
  zq_reg_copy(CELL_X, CELL_L);
  zq_set_raw(CELL_Y, new_y);
  zq_set_raw(CELL_X, new_x);
}

// f in the degree branch whatever the angle mode, which is restored at once.
zq_double_64 zq_in_degrees(zq_fn_of_x f, zq_double_64 x) {
  const uint8_t saved = zq_angle;
  zq_angle = ANGLE_DEG;
  const zq_double_64 r = f(x);
  zq_angle = saved;
  return r;
}

zq_double_64 zq_y_minus_x(zq_double_64 x, zq_double_64 y) { return zqm_sub(y, x); }

// f of X and Y in decimal hours, X converted first, back to H.MMSS.
zq_double_64 zq_in_hours(zq_fn_of_x_y f, zq_double_64 x, zq_double_64 y) {
  const zq_double_64 hours_x = zq_hms_to_hours(x);
  const zq_double_64 hours_y = zq_hms_to_hours(y);
  return zq_hours_to_hms(f(hours_x, hours_y));
}

// Half a turn in the angle mode.
zq_double_64 zq_half_turn() {
  constexpr int32_t zq_grads_per_half_turn = 200;
  switch (zq_angle) {
    case ANGLE_RAD: return zqm_k_pi;
    case ANGLE_GRAD: return zqm_zq_double_64_from_int(zq_grads_per_half_turn);
    default: return zqm_k_180;
  }
}

// Only integers have octal digits. The fraction of a NaN or an infinity is a
// NaN, which compares equal to zero, so it is refused apart: a NaN would
// otherwise pass every test and convert to 0.
bool zq_is_integer(zq_double_64 x) {
  const zq_double_64 fraction = zqm_frc(x);
  return zqm_compare(fraction, zqm_k_0, CMP_EQ) && !std::isnan(zqm_double_from_zq_double_64(fraction));
}

// Refuses a bad octal argument without recording a code for errno; a good
// one drops what the tests left pending. True when the command may go on.
bool zq_octal_argument_ok(bool bad) {
  if (zq_check_data_error(bad ? ERR_DATA : ERR_NONE) != ERR_NONE) return false;
  zqm_take_error();
  return true;
}

// The sum times the sign 1.0 or -1.0, so the result carries exponent -1
// (rounded back to 16 digits when the sum has 16). Exact: it cannot fail.
void zq_store_octal_result(int64_t sum, zq_double_64 sign) {
  zq_replace_x(zqm_mul(zqm_zq_double_64_from_lint(sum), sign));
}

}  // namespace

// Every power of 8 and 10 used below (up to the 15th) is exact in binary.

void zq_cmd_dec() {
  const zq_double_64 x = zq_regs[CELL_X];
  const zq_double_64 magnitude = zqm_abs(x);
  int64_t n = zqm_lint_from_zq_double_64(magnitude);
  const bool bad =
      !zq_is_integer(x) || !zq_is_octal_digits(n) || !zqm_compare(magnitude, zqm_k_oct_max, CMP_LE);
  if (!zq_octal_argument_ok(bad)) return;
  const zq_double_64 sign = zqm_sign(x);
  int64_t sum = 0;
  for (int i = 0; n != 0; ++i, n /= 10) sum += n % 10 * static_cast<int64_t>(std::pow(8.0, i));
  zq_store_octal_result(sum, sign);
}

// Up to 2^48 - 1, whose octal form 7777777777777777 is the longest that
// 16 digits hold.
void zq_cmd_oct() {
  const zq_double_64 x = zq_regs[CELL_X];
  const zq_double_64 magnitude = zqm_abs(x);
  const bool bad = !zq_is_integer(x) || !zqm_compare(magnitude, zqm_k_oct_limit, CMP_LE);
  if (!zq_octal_argument_ok(bad)) return;
  const zq_double_64 sign = zqm_sign(x);
  int64_t n = zqm_lint_from_zq_double_64(magnitude);
  int64_t sum = 0;
  for (int i = 0; n > 0; ++i, n /= 8) sum += n % 8 * static_cast<int64_t>(std::pow(10.0, i));
  zq_store_octal_result(sum, sign);
}

// X is the radius, Y the angle in the angle mode.
void zq_cmd_p_to_r() {
  zqm_take_error();
  const zq_double_64 radius = zq_regs[CELL_X];
  const zq_double_64 angle = zq_regs[CELL_Y];
  const zq_double_64 new_y = zqm_mul(radius, zqm_sin(zq_to_radians(angle)));
  const zq_double_64 new_x = zqm_mul(radius, zqm_cos(zq_to_radians(angle)));
  if (zq_number_failed_for({radius, angle}, {new_x, new_y})) return;
  zq_replace_pair(new_x, new_y);
}

// The arc tangent of Y/X lies within a half turn, which for X < 0 is the
// angle of the opposite point: half a turn is added (Y >= 0) or taken off
// (Y < 0) so that the angle is that of the point's own quadrant. For X = 0
// the infinite quotient's code is replaced by the arc tangent's.
void zq_cmd_r_to_p() {
  const zq_double_64 x = zq_regs[CELL_X];
  const zq_double_64 y = zq_regs[CELL_Y];
  // Decided before the first take, so that the comparisons leave nothing in
  // the computation's verdict.
  const bool left_half = zqm_compare(x, zqm_k_0, CMP_LT);
  const bool upper_half = zqm_compare(y, zqm_k_0, CMP_GE);
  // A zero X of either sign lies on the Y axis: -0 would turn the quotient's
  // infinity, and so the angle, to the opposite side.
  const bool on_y_axis = zqm_compare(x, zqm_k_0, CMP_EQ);
  zqm_take_error();
  const zq_double_64 divisor = on_y_axis ? zqm_abs(x) : x;
  zq_double_64 angle = zq_from_radians(zqm_atan(zqm_div(y, divisor)));
  if (left_half) angle = upper_half ? zqm_add(angle, zq_half_turn()) : zqm_sub(angle, zq_half_turn());
  const zq_double_64 x2 = zqm_mul(x, x);
  const zq_double_64 radius = zqm_sqrt(zqm_add(zqm_mul(y, y), x2));
  if (zq_number_failed_for({x, y}, {radius, angle})) return;
  zq_replace_pair(radius, angle);
}

// Reads back the display text of X, so the result has the shown value and
// exponent; the digit separators go first, the radix mark by flag 28.
void zq_cmd_rnd() {
  zqm_take_error();
  char text[zq_value_text_size];
  zq_reg_format_value(CELL_X, text, sizeof text);
  const bool radix_point = zq_flag_test(FLAG_RADIX_POINT);
  zq_remove_char(text, radix_point ? ',' : '.');
  const zq_double_64 r = zqm_zq_double_64_from_string(text, sizeof text, radix_point ? 1 : 0);
  if (zq_number_failed()) return;
  zq_replace_x(r);
}

void zq_cmd_hms() { zq_stack_one(zq_hours_to_hms, STORE_RAW); }
void zq_cmd_hr() { zq_stack_one(zq_hms_to_hours, STORE_RAW); }

void zq_cmd_hms_plus() {
  zq_stack_two([](zq_double_64 x, zq_double_64 y) { return zq_in_hours(zqm_add, x, y); }, STORE_RAW);
}

// Y - X.
void zq_cmd_hms_minus() {
  zq_stack_two([](zq_double_64 x, zq_double_64 y) { return zq_in_hours(zq_y_minus_x, x, y); }, STORE_RAW);
}

void zq_cmd_d_to_r() {
  zq_stack_one([](zq_double_64 x) { return zq_in_degrees(zq_to_radians, x); }, STORE_RAW);
}
void zq_cmd_r_to_d() {
  zq_stack_one([](zq_double_64 x) { return zq_in_degrees(zq_from_radians, x); }, STORE_RAW);
}
