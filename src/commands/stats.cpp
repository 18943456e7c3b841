// Statistics: s+ and s- keep the six sums, mean and sdev read them, cls
// clears them, sreg and sreg? move the block and tell where it lies. A
// failure of any number-layer call, not only of the last, is DATA ERROR and
// changes no cell, neither of the stack nor of the block: an infinity or NaN
// never reaches the sums.
#include "commands/stats.h"

#include <cinttypes>
#include <cstdio>
#include <optional>

#include "commands/stack.h"
#include "number/number.h"
#include "state/errors.h"
#include "state/registers.h"
#include "state/stack_display.h"
#include "state/stats.h"

namespace {

// The block's first cell, or zq_no_cell after "NONEXISTENT" when the base
// lies outside R00 to R993 (only a damaged state file brings one), so that
// no command works outside the register file.
zq_cell_index zq_stat_block() {
  if (zq_stat_base_valid(zq_stat_base)) return zq_stat_base;
  zq_show_message(MSG_TEXT, "NONEXISTENT", nullptr);
  return zq_no_cell;
}

zq_double_64 zq_stat(zq_cell_index block, zq_stat_slot slot) { return zq_regs[block + slot]; }

// LASTX := X, X := x_value, Y := y_value, all numbers; Z and T stay.
void zq_store_x_y(zq_double_64 x_value, zq_double_64 y_value) {
  zq_reg_copy(CELL_X, CELL_L);
  zq_reg_set_number(CELL_X, x_value);
  zq_reg_set_number(CELL_Y, y_value);
}

// Adds the point (X, Y) to the sums; with `remove` takes it out instead:
// each term is multiplied by -1.0 just before its sum, and n counts down by
// -1.0 itself (not by a product), so the count keeps the exponent of 1.0.
void zq_accumulate(bool remove) {
  const zq_cell_index block = zq_stat_block();
  if (block == zq_no_cell) return;
  zqm_take_error();
  const zq_double_64 x = zq_regs[CELL_X];
  const zq_double_64 y = zq_regs[CELL_Y];
  // A braced list is evaluated in order: x2, y2, then xy.
  const zq_double_64 terms[zq_stat_register_count] = {
      x, zqm_mul(x, x), y, zqm_mul(y, y), zqm_mul(x, y), remove ? zqm_k_minus_1 : zqm_k_1,
  };
  zq_double_64 sums[zq_stat_register_count];
  for (int64_t slot = 0; slot < zq_stat_register_count; ++slot) {
    const bool negate = remove && slot != STAT_COUNT;
    sums[slot] = zqm_add(zq_regs[block + slot], negate ? zqm_mul(zqm_k_minus_1, terms[slot]) : terms[slot]);
  }
  if (zq_number_failed_anywhere()) return;
  zq_reg_copy(CELL_X, CELL_L);
  zq_reg_set_number(CELL_X, sums[STAT_COUNT]);
  for (int64_t slot = 0; slot < zq_stat_register_count; ++slot) zq_reg_set_number(block + slot, sums[slot]);
}

}  // namespace

void zq_cmd_s_plus() { zq_accumulate(false); }
void zq_cmd_s_minus() { zq_accumulate(true); }

// A failed first quotient is announced before the failure is reported.
void zq_cmd_mean() {
  const zq_cell_index block = zq_stat_block();
  if (block == zq_no_cell) return;
  zqm_take_error();
  const zq_double_64 n = zq_stat(block, STAT_COUNT);
  const zq_double_64 mean_x = zqm_div(zq_stat(block, STAT_SUM_X), n);
  if (zqm_first_error() != ERR_NONE) puts("first calc");
  const zq_double_64 mean_y = zqm_div(zq_stat(block, STAT_SUM_Y), n);
  if (zq_number_failed_anywhere()) return;
  zq_store_x_y(mean_x, mean_y);
}

// Sample deviations (divisor n - 1).
void zq_cmd_sdev() {
  const zq_cell_index block = zq_stat_block();
  if (block == zq_no_cell) return;
  zqm_take_error();
  const zq_double_64 n = zq_stat(block, STAT_COUNT);
  const zq_double_64 sum_x = zq_stat(block, STAT_SUM_X);
  const zq_double_64 sum_y = zq_stat(block, STAT_SUM_Y);
  const zq_double_64 square_x = zqm_div(zqm_mul(sum_x, sum_x), n);
  const zq_double_64 square_y = zqm_div(zqm_mul(sum_y, sum_y), n);
  const zq_double_64 m = zqm_sub(n, zqm_k_1);
  const zq_double_64 dev_y = zqm_sqrt(zqm_div(zqm_sub(zq_stat(block, STAT_SUM_Y2), square_y), m));
  const zq_double_64 dev_x = zqm_sqrt(zqm_div(zqm_sub(zq_stat(block, STAT_SUM_X2), square_x), m));
  if (zq_number_failed_anywhere()) return;
  zq_store_x_y(dev_x, dev_y);
}

void zq_cmd_cls() {
  const zq_cell_index block = zq_stat_block();
  if (block == zq_no_cell) return;
  for (int64_t slot = 0; slot < zq_stat_register_count; ++slot) zq_reg_clear(block + slot);
}

void zq_cmd_sreg() {
  const std::optional<zq_double_64> operand = zq_get_operand_value();
  if (!operand) return;
  // A value without a 32-bit integer gives R00; its leftover status is
  // discarded, since sreg reports no error code.
  const int64_t base = zqm_int_from_zq_double_64(*operand) + CELL_R00;
  zqm_take_error();
  if (zq_stat_base_valid(base)) {
    zq_stat_base = base;
    zq_suppress_display = 0;
    return;
  }
  // The cell index, not the register number, in 64 bits so that no operand
  // near the 32-bit limit prints a wrapped number.
  printf("Error: Memory location %" PRId64 " NONEXISTENT\n", base);
  zq_suppress_display = 1;
}

void zq_cmd_sreg_q() { zq_stack_push(zqm_zq_double_64_from_lint(zq_stat_base - CELL_R00)); }
