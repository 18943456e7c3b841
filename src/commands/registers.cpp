// Register commands and number entry. Values move with their tags; what is
// computed, pushed or cleared is a number, and asto/astol write text.
#include "commands/registers.h"

#include <algorithm>
#include <optional>

#include "commands/stack.h"
#include "interp/executor.h"
#include "interp/init.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/control.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/registers.h"

namespace {

constexpr int64_t zq_last_register = zq_data_register_count - 1;  // R999
constexpr int64_t zq_asto_chars = 6;
constexpr int64_t zq_astol_chars = 8;

using zq_fn_of_r_x = zq_double_64 (*)(zq_double_64 r, zq_double_64 x);

// The register operand := f(register, X) as a number; X, the stack and
// LASTX stay. The first take drops a stale code, so the second sees only
// what the resolution and f left. One resolution serves the read and the
// write: a missing register ends the command before either.
void zq_store_arith(zq_fn_of_r_x f) {
  zqm_take_error();
  const zq_cell_index cell = zq_get_operand_reg();
  if (cell == zq_no_cell) return;
  const zq_double_64 v = f(zq_regs[cell], zq_regs[CELL_X]);
  if (zq_number_failed()) return;
  zq_reg_set_number(cell, v);
}

// The first register of a block: a negative one is R00; one beyond R999
// leaves nothing to work on and is refused with DATA ERROR.
bool zq_block_start(int64_t& first) {
  if (first < 0) first = 0;
  if (first <= zq_last_register) return true;
  zq_report_error(ERR_DATA);
  return false;
}

// The cells of a move or swap: count pairs from source and destination on.
struct zq_block {
  zq_cell_index source;
  zq_cell_index destination;
  int64_t count;
};

// X as sss.dddnnn. A count below 1 is 1, and both blocks end at R999 at the
// latest, so nothing outside the register file is touched.
std::optional<zq_block> zq_move_block() {
  int64_t source = 0;
  int64_t destination = 0;
  int64_t count = 0;
  if (!zq_decode_x_move_control(&source, &destination, &count)) {
    zq_report_error(ERR_DATA);
    return std::nullopt;
  }
  if (!zq_block_start(source)) return std::nullopt;
  count = std::max<int64_t>(count, 1);
  count = std::min({count, zq_data_register_count - destination, zq_data_register_count - source});
  return zq_block{source + CELL_R00, destination + CELL_R00, count};
}

}  // namespace

void zq_cmd_sto() {
  const zq_cell_index cell = zq_get_operand_reg();
  if (cell != zq_no_cell) zq_reg_copy(CELL_X, cell);
}

void zq_cmd_st_plus() {
  zq_store_arith([](zq_double_64 r, zq_double_64 x) { return zqm_add(x, r); });
}
void zq_cmd_st_minus() { zq_store_arith(zqm_sub); }
void zq_cmd_st_mul() { zq_store_arith(zqm_mul); }
void zq_cmd_st_div() { zq_store_arith(zqm_div); }

// The operand is read before the lift, so rcl y brings back the old Y.
void zq_cmd_rcl() {
  const zq_cell_index cell = zq_get_operand_reg();
  if (cell == zq_no_cell) return;
  zq_reg_save_temp(cell);
  zq_stack_lift();
  zq_reg_restore_temp(CELL_X);
}

void zq_cmd_x_swap() {
  const zq_cell_index cell = zq_get_operand_reg();
  if (cell == zq_no_cell) return;
  zq_reg_save_temp(cell);
  zq_reg_copy(CELL_X, cell);
  zq_reg_restore_temp(CELL_X);
}

void zq_cmd_asto() { zq_alpha_to_reg(zq_asto_chars); }
void zq_cmd_astol() { zq_alpha_to_reg(zq_astol_chars); }

// The destination receives the source block as it was before the move, as
// if copied through a temporary: a destination above an overlapping source
// is filled from the top down, one below it from the bottom up, so that no
// register is read after it has been overwritten.
void zq_cmd_regmove() {
  const std::optional<zq_block> block = zq_move_block();
  if (!block) return;
  if (block->destination < block->source) {
    for (int64_t i = 0; i < block->count; ++i) zq_reg_copy(block->source + i, block->destination + i);
  } else {
    for (int64_t i = block->count - 1; i >= 0; --i) zq_reg_copy(block->source + i, block->destination + i);
  }
}

void zq_cmd_regswap() {
  const std::optional<zq_block> block = zq_move_block();
  if (!block) return;
  for (int64_t i = 0; i < block->count; ++i) {
    zq_reg_save_temp(block->destination + i);
    zq_reg_copy(block->source + i, block->destination + i);
    zq_reg_restore_temp(block->source + i);
  }
}

void zq_cmd_clst() { zq_reg_clear_stack(); }

void zq_cmd_clrg() { zq_reg_clear_data(); }

void zq_cmd_clall() { zq_init(); }

// X as bbb.eeeii. The first register is cleared even beyond the last; the
// step counts from the register after it: 10.02003 clears R10, R11, R14,
// R17 and R20.
void zq_cmd_clrgx() {
  int64_t first = 0;
  int64_t last = 0;
  int64_t step = 0;
  if (!zq_decode_x_control(&first, &last, &step)) {
    zq_report_error(ERR_DATA);
    return;
  }
  if (!zq_block_start(first)) return;
  step = std::max<int64_t>(step, 1);
  zq_reg_clear(first + CELL_R00);
  for (int64_t r = first + 1; r <= last; r += step) zq_reg_clear(r + CELL_R00);
}

// LASTX receives X after the lift, that is the old X.
void zq_cmd_errno() {
  zq_stack_lift();
  zq_reg_copy(CELL_X, CELL_L);
  zq_reg_set_number(CELL_X, zqm_zq_double_64_from_int(zq_last_error));
}

void zq_cmd_clerr() { zq_last_error = ERR_NONE; }

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

namespace {

// Command codes of the digit rows "0" to "9", ".", "e".
constexpr int zq_digit_code_0 = 16;

// The digit rows pass their command code here; it is deliberately ignored.
void zq_digit_sink(int64_t) {}

}  // namespace

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
