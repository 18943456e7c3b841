// Control numbers: one decoder splits a number into its integer part and two
// groups of fraction digits; the loop counters write theirs back.
#include "state/control.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

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

constexpr int zq_most_digits = 16;

constexpr uint64_t zq_power_of_ten(int n) { return n == 0 ? 1 : 10 * zq_power_of_ten(n - 1); }
constexpr std::array<uint64_t, zq_most_digits + 1> zq_powers_of_ten = [] {
  std::array<uint64_t, zq_most_digits + 1> powers{};
  for (int i = 0; i <= zq_most_digits; ++i) powers[i] = zq_power_of_ten(i);
  return powers;
}();

}  // namespace

int zq_decode_control(int mode, zq_double_64 x, int64_t* a, int64_t* b, int64_t* c) {
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
  constexpr int32_t zq_count_scale_digits = 5;  // the counter is n / 100000
  constexpr uint64_t zq_final_scale = 100;
  uint64_t n = (count < 0 ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count)) *
                   zq_powers_of_ten[zq_count_scale_digits] +
               static_cast<uint64_t>(final) * zq_final_scale + static_cast<uint64_t>(step);
  // The exact quotient of a division keeps the exponent nearest to the
  // ideal one, 0 - 0: its trailing zeros go until the exponent reaches 0.
  int32_t exponent = -zq_count_scale_digits;
  while (exponent < 0 && n % 10 == 0) {
    n /= 10;
    ++exponent;
  }
  return zqm_pack({count < 0, n, exponent});
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
