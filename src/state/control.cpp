// Control numbers: one decoder splits a number into its integer part and two
// groups of fraction digits; the loop counters write theirs back.
#include "state/control.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "state/execution.h"
#include "state/registers.h"

namespace {

// Integer parts from 2^63 up have no signed 64-bit value.
constexpr double zq_control_int_limit = 9223372036854775808.0;
// The fraction in "%f" form: sign, "0." or "1." and six decimals.
constexpr size_t zq_control_text_size = 31;
constexpr size_t zq_group_size = 4;  // three digits and a NUL
constexpr int64_t zq_first_group_digits = 3;
constexpr int64_t zq_counter_group_digits = 2;
constexpr int64_t zq_move_group_digits = 3;

// The count digits at text, read as a decimal number and then as an integer.
int64_t zq_group_value(const char* text, int64_t count) {
  char group[zq_group_size] = {};
  std::memcpy(group, text, static_cast<size_t>(count));
  return zqm_int_from_zq_double_64(zqm_zq_double_64_from_string(group, sizeof group, 1));
}

int zq_decode_cell(int mode, zq_cell_index cell, int64_t* a, int64_t* b, int64_t* c) {
  return zq_decode_control(mode, zq_regs[cell], a, b, c);
}

// The text route reads "%f" of the binary double of x. For a value with at
// most six fraction digits (after its trailing zeros) and an integer part
// below 10^9, that double lies within 2^-24 of x, far closer than the half
// unit of the sixth decimal (5E-7) and than x lies to any other integer. So
// the truncation keeps x's integer part and "%f" prints exactly x's own six
// decimals: the groups come straight from the number's fixed-point parts.
// false for any other value, which the text route decodes.
bool zq_decode_digits(int mode, zq_double_64 x, int64_t* a, int64_t* b, int64_t* c) {
  zqm_fixed_point parts;
  if (!zqm_fixed_point_parts(x, parts)) return false;
  constexpr uint64_t zq_group_scale = 1000;  // decimals 1 to 3, then 4 to 6
  const int64_t whole = static_cast<int64_t>(parts.whole);
  *a = parts.negative ? -whole : whole;
  *b = static_cast<int64_t>(parts.micros / zq_group_scale);
  // The counter layout drops the sixth digit.
  *c = static_cast<int64_t>(mode == CONTROL_MOVE ? parts.micros % zq_group_scale
                                                 : parts.micros % zq_group_scale / 10);
  return true;
}

}  // namespace

int zq_decode_control(int mode, zq_double_64 x, int64_t* a, int64_t* b, int64_t* c) {
  // The text route starts and ends by dropping the pending error; the digit
  // route raises nothing in between.
  zqm_take_error();
  if (zq_decode_digits(mode, x, a, b, c)) return 1;
  return zq_decode_control_text(mode, x, a, b, c);
}

int zq_decode_control_text(int mode, zq_double_64 x, int64_t* a, int64_t* b, int64_t* c) {
  *a = *b = *c = 0;
  zqm_take_error();
  const double d = zqm_double_from_zq_double_64(x);
  // False for NaNs and infinities too.
  if (!(std::fabs(d) < zq_control_int_limit)) return 0;
  const double whole = std::trunc(d);
  // "%f" rounds the fraction to six decimals, so the text is [-]d.dddddd; one
  // that rounds up to 1 reads "1.000000" and its groups 0: the integer part
  // is not carried.
  char text[zq_control_text_size];
  std::snprintf(text, sizeof text, "%f", d - whole);
  const char* point = std::strchr(text, '.');
  *a = static_cast<int64_t>(whole);
  *b = zq_group_value(point + 1, zq_first_group_digits);
  *c = zq_group_value(point + 1 + zq_first_group_digits,
                      mode == CONTROL_MOVE ? zq_move_group_digits : zq_counter_group_digits);
  return zqm_take_error() == ERR_NONE;
}

int zq_decode_x_control(int64_t* a, int64_t* b, int64_t* c) {
  return zq_decode_cell(CONTROL_COUNTER, CELL_X, a, b, c);
}

int zq_decode_operand_control(int64_t* a, int64_t* b, int64_t* c) {
  const zq_cell_index cell = zq_get_operand_reg();
  if (cell == zq_no_cell) {
    *a = *b = *c = 0;
    return 0;
  }
  return zq_decode_cell(CONTROL_COUNTER, cell, a, b, c);
}

int zq_decode_x_move_control(int64_t* a, int64_t* b, int64_t* c) {
  return zq_decode_cell(CONTROL_MOVE, CELL_X, a, b, c);
}

zq_double_64 zq_counter_value(int64_t count, int64_t final, int64_t step) {
  constexpr int zq_count_scale_digits = 5;  // the counter is n / 100000
  constexpr uint64_t zq_count_scale = 100000;
  constexpr uint64_t zq_final_scale = 100;
  const uint64_t magnitude = count < 0 ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count);
  const uint64_t n = magnitude * zq_count_scale + static_cast<uint64_t>(final) * zq_final_scale +
                     static_cast<uint64_t>(step);
  return zqm_value_from_fixed_point(count < 0, n, zq_count_scale_digits);
}

bool zq_step_small_operand_counter(int64_t by, int64_t& count) {
  // A register named directly resolves without a message or a status of its
  // own, which the general route would show or map.
  if (zq_decoded.opt & OPT_IND) return false;
  const zq_cell_index cell = zq_operand_named_cell();
  if (!zq_cell_exists(cell)) return false;
  zq_double_64 moved;
  if (!zqm_small_whole_step(zq_regs[cell], by, moved, count)) return false;
  // What the general route leaves: its decoding drops the pending error.
  zqm_take_error();
  zq_reg_set(cell, moved, zq_reg_types[cell]);
  return true;
}

int zq_store_operand_control(int64_t count, int64_t final, int64_t step) {
  if (count > zq_max_counter || count < -zq_max_counter) return 0;
  const zq_cell_index cell = zq_get_operand_reg();
  if (cell == zq_no_cell) return 0;
  const zq_double_64 value = zq_counter_value(count, final, step);
  // The division this stands for mapped what the operand's resolution left
  // in the status (a pointer without a 32-bit value); so does the write-back.
  zqm_check_status();
  zq_reg_set(cell, value, zq_reg_types[cell]);
  return 1;
}
