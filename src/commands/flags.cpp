// Tests, flags and loop counters. Tests answer at the prompt and skip in a
// run; the flag commands read their flag number from the operand.
#include "commands/flags.h"

#include <cstdio>
#include <optional>

#include "interp/executor.h"
#include "state/control.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/registers.h"

namespace {

constexpr int64_t zq_first_flag = 0;
constexpr int64_t zq_last_flag = 63;
// Flags 0 to 7, which x<>f exchanges with X.
constexpr uint64_t zq_low_flags_mask = 0xff;

// The operand's integer part as a 32-bit value (0, with the failure left in
// the context status, when it has none); empty when it names no cell.
std::optional<int64_t> zq_flag_operand() {
  const std::optional<zq_double_64> value = zq_get_operand_value();
  if (!value) return std::nullopt;
  return zqm_int_from_zq_double_64(*value);
}

// sf and cf refuse an operand without a 32-bit integer part.
void zq_put_operand_flag(bool on) {
  zqm_take_error();
  const std::optional<int64_t> n = zq_flag_operand();
  if (!n) return;
  // The conversion leaves its failure in the status only: map it first.
  zqm_check_status();
  if (zq_number_failed()) return;
  zq_flag_put(static_cast<int>(zq_flag_number_check(*n)), on);
}

// The flag that a test reads. Tests do not check the conversion: an operand
// without a 32-bit integer part tests flag 0, and its leftover status is
// dropped unreported.
std::optional<int> zq_tested_flag() {
  const std::optional<int64_t> n = zq_flag_operand();
  zqm_take_error();
  if (!n) return std::nullopt;
  return static_cast<int>(zq_flag_number_check(*n));
}

enum zq_flag_condition : int {
  FLAG_IS_SET,
  FLAG_IS_CLEAR,
};

void zq_test_operand_flag(zq_flag_condition condition, bool clear_after) {
  const std::optional<int> n = zq_tested_flag();
  if (!n) return;
  const bool set = zq_flag_test(*n);
  zq_test_flag_outcome(condition == FLAG_IS_SET ? set : !set);
  if (!clear_after) return;
  // The operand is read and limited once more, so an out-of-range number is
  // announced twice.
  const std::optional<int> again = zq_tested_flag();
  if (again) zq_flag_clear(*again);
}

enum zq_count_direction : int {
  COUNT_UP,    // isg: skip once the counter is greater than the final value
  COUNT_DOWN,  // dse: skip when it equals the final value
};

// The counter moved and written back, with its new count and final value;
// false when it cannot be decoded or written back (reported).
bool zq_move_counter(zq_count_direction direction, int64_t& count, int64_t& final) {
  if (zq_step_small_operand_counter(direction == COUNT_UP ? 1 : -1, count)) return true;
  int64_t step = 0;
  if (!zq_decode_operand_control(&count, &final, &step)) {
    zq_report_error(ERR_DATA);
    return false;
  }
  // An increment of 00 counts by one but is stored back as 00.
  const int64_t by = step > 0 ? step : 1;
  count = direction == COUNT_UP ? count + by : count - by;
  // A counter too large to be written back is refused before any skip, so
  // the register holds either the new counter or its old value.
  if (!zq_store_operand_control(count, final, step)) {
    zq_report_error(ERR_DATA);
    return false;
  }
  return true;
}

void zq_count(zq_count_direction direction) {
  int64_t count = 0;
  int64_t final = 0;
  if (!zq_move_counter(direction, count, final)) return;
  const bool skip = direction == COUNT_UP ? count > final : count == final;
  if (skip && zq_mode == MODE_RUN) zq_skip_next_step();
}

}  // namespace

void zq_test_compare_outcome(zq_double_64 a, zq_double_64 b, zq_relation relation) {
  zq_test_flag_outcome(zqm_compare(a, b, relation));
}

void zq_test_flag_outcome(int64_t truth) {
  if (zq_mode == MODE_IMMEDIATE) {
    // The message line adds a line feed of its own: an empty line follows.
    zq_show_message(MSG_TEXT, truth ? "yes\n" : "no\n", nullptr);
  } else if (zq_mode == MODE_RUN && !truth) {
    zq_skip_next_step();
  }
}

int64_t zq_flag_number_check(int64_t n) {
  if (n > zq_last_flag) {
    std::puts("Flag out of range.");
    n = zq_last_flag;
  }
  if (n < zq_first_flag) {
    std::puts("Flag out of range.");
    n = zq_first_flag;
  }
  return n;
}

// The tests compare values whatever their tags; those that need numbers get
// them checked by the executor before they run.
void zq_cmd_x_eq_0() { zq_test_compare_outcome(zq_regs[CELL_X], zqm_k_0, CMP_EQ); }
void zq_cmd_x_ne_0() { zq_test_compare_outcome(zq_regs[CELL_X], zqm_k_0, CMP_NE); }
void zq_cmd_x_lt_0() { zq_test_compare_outcome(zq_regs[CELL_X], zqm_k_0, CMP_LT); }
void zq_cmd_x_le_0() { zq_test_compare_outcome(zq_regs[CELL_X], zqm_k_0, CMP_LE); }
void zq_cmd_x_gt_0() { zq_test_compare_outcome(zq_regs[CELL_X], zqm_k_0, CMP_GT); }
void zq_cmd_x_eq_y() { zq_test_compare_outcome(zq_regs[CELL_X], zq_regs[CELL_Y], CMP_EQ); }
void zq_cmd_x_ne_y() { zq_test_compare_outcome(zq_regs[CELL_X], zq_regs[CELL_Y], CMP_NE); }
void zq_cmd_x_lt_y() { zq_test_compare_outcome(zq_regs[CELL_X], zq_regs[CELL_Y], CMP_LT); }
void zq_cmd_x_le_y() { zq_test_compare_outcome(zq_regs[CELL_X], zq_regs[CELL_Y], CMP_LE); }
void zq_cmd_x_gt_y() { zq_test_compare_outcome(zq_regs[CELL_X], zq_regs[CELL_Y], CMP_GT); }

void zq_cmd_sf() { zq_put_operand_flag(true); }
void zq_cmd_cf() { zq_put_operand_flag(false); }

void zq_cmd_fs_q() { zq_test_operand_flag(FLAG_IS_SET, false); }
void zq_cmd_fc_q() { zq_test_operand_flag(FLAG_IS_CLEAR, false); }
void zq_cmd_fs_qc() { zq_test_operand_flag(FLAG_IS_SET, true); }
void zq_cmd_fc_qc() { zq_test_operand_flag(FLAG_IS_CLEAR, true); }

// Flag i (0 to 7) becomes bit i of the integer |X|, and X receives the number
// whose bit i was flag i; X keeps its tag.
void zq_cmd_x_swap_f() {
  const zq_double_64 magnitude = zqm_abs(zq_regs[CELL_X]);
  if (zqm_compare(magnitude, zqm_k_255, CMP_GT)) {
    zq_report_error(ERR_DATA);
    return;
  }
  zqm_take_error();
  const uint64_t bits = static_cast<uint64_t>(zqm_lint_from_zq_double_64(magnitude)) & zq_low_flags_mask;
  const zq_double_64 old = zqm_zq_double_64_from_lint(static_cast<int64_t>(zq_flags & zq_low_flags_mask));
  if (zq_number_failed()) return;
  zq_flags = (zq_flags & ~zq_low_flags_mask) | bits;
  zq_regs[CELL_X] = old;
}

void zq_cmd_rclflag() {
  zq_stack_lift();
  zq_reg_set(CELL_X, zq_flags, REG_FLAGS);
}

// The operand check has made sure that X holds flag data.
void zq_cmd_stoflag() { zq_flags = zq_regs[CELL_X]; }

void zq_cmd_fview() { std::printf("0x%llX\n", static_cast<unsigned long long>(zq_flags)); }

void zq_cmd_isg() { zq_count(COUNT_UP); }
void zq_cmd_dse() { zq_count(COUNT_DOWN); }
