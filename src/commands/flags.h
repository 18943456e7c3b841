// Tests, flags and loop counters: the comparisons of X with 0 or with Y, the
// commands on the 64 flags of the flag word, and the counters isg and dse.
#pragma once

#include <cstdint>

#include "number/number.h"

// Every test ends here. Typed, it answers "yes" or "no" on the message line;
// in a run (a single step too) a false outcome skips the next program step.
void zq_test_compare_outcome(zq_double_64 a, zq_double_64 b, zq_relation relation);
void zq_test_flag_outcome(int64_t truth);
// n limited to 0..63; each bound passed prints "Flag out of range.".
int64_t zq_flag_number_check(int64_t n);

void zq_cmd_x_eq_0();
void zq_cmd_x_ne_0();
void zq_cmd_x_lt_0();
void zq_cmd_x_le_0();
void zq_cmd_x_gt_0();
void zq_cmd_x_eq_y();
void zq_cmd_x_ne_y();
void zq_cmd_x_lt_y();
void zq_cmd_x_le_y();
void zq_cmd_x_gt_y();

void zq_cmd_sf();
void zq_cmd_cf();
void zq_cmd_fs_q();
void zq_cmd_fc_q();
void zq_cmd_fs_qc();
void zq_cmd_fc_qc();
void zq_cmd_x_swap_f();
void zq_cmd_rclflag();
void zq_cmd_stoflag();
void zq_cmd_fview();

void zq_cmd_isg();
void zq_cmd_dse();
