// Stack commands: they rearrange X, Y, Z, T and LASTX, moving every value
// with its tag, so text and flag data travel like numbers.
#include "commands/stack.h"

#include "state/errors.h"
#include "state/registers.h"

void zq_stack_push(zq_double_64 value) {
  zq_stack_lift();
  zq_reg_set_number(CELL_X, value);
}

void zq_stack_drop_lastx() {
  zq_reg_copy(CELL_X, CELL_L);
  zq_cmd_drop();
}

namespace {

void zq_store_x(zq_double_64 r, zq_store store) {
  if (store == STORE_TAGGED)
    zq_reg_set_number(CELL_X, r);
  else
    zq_reg_set(CELL_X, r, zq_reg_types[CELL_X]);
}

}  // namespace

// The first take drops a stale code, so the verdict sees only what f left.
void zq_stack_one(zq_fn_of_x f, zq_store store) {
  zqm_take_error();
  const zq_double_64 x = zq_regs[CELL_X];
  const zq_double_64 r = f(x);
  if (zq_number_failed_for({x}, {r})) return;
  zq_reg_copy(CELL_X, CELL_L);
  zq_store_x(r, store);
}

void zq_stack_two(zq_fn_of_x_y f, zq_store store) {
  zqm_take_error();
  const zq_double_64 x = zq_regs[CELL_X];
  const zq_double_64 y = zq_regs[CELL_Y];
  const zq_double_64 r = f(x, y);
  if (zq_number_failed_for({x, y}, {r})) return;
  zq_stack_drop_lastx();
  zq_store_x(r, store);
}

void zq_cmd_enter() { zq_stack_lift(); }

void zq_cmd_x_swap_y() {
  zq_reg_save_temp(CELL_Y);
  zq_reg_copy(CELL_X, CELL_Y);
  zq_reg_restore_temp(CELL_X);
}

void zq_cmd_rup() {
  zq_reg_save_temp(CELL_T);
  zq_reg_copy(CELL_Z, CELL_T);
  zq_reg_copy(CELL_Y, CELL_Z);
  zq_reg_copy(CELL_X, CELL_Y);
  zq_reg_restore_temp(CELL_X);
}

void zq_cmd_rdn() {
  zq_reg_save_temp(CELL_X);
  zq_reg_copy(CELL_Y, CELL_X);
  zq_reg_copy(CELL_Z, CELL_Y);
  zq_reg_copy(CELL_T, CELL_Z);
  zq_reg_restore_temp(CELL_T);
}

// T is kept, so Z and T hold the same afterwards.
void zq_cmd_drop() {
  zq_reg_copy(CELL_Y, CELL_X);
  zq_reg_copy(CELL_Z, CELL_Y);
  zq_reg_copy(CELL_T, CELL_Z);
}

void zq_cmd_dropl() { zq_stack_drop_lastx(); }

void zq_cmd_lastx() {
  zq_stack_lift();
  zq_reg_copy(CELL_L, CELL_X);
}

// The all-zero word (exponent -398), not the 0.0 of a cleared register; the
// next push overwrites it instead of lifting.
void zq_cmd_clx() {
  zq_reg_set(CELL_X, 0, REG_NUMBER);
  zq_lift = 0;
}

void zq_cmd_pi() { zq_stack_push(zqm_k_pi); }

// A product with -1.0 rather than a sign flip, so the result is rounded and
// its exponent moves like any product's (5 becomes -5.0).
void zq_cmd_chs() {
  zqm_take_error();
  const zq_double_64 r = zqm_mul(zqm_k_minus_1, zq_regs[CELL_X]);
  if (zq_number_failed()) return;
  zq_reg_set_number(CELL_X, r);
}
