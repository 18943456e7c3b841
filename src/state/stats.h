// The statistics block: where the six registers of the two-variable sums lie
// in the register file, and the order of the sums in it.
#pragma once

#include <cstdint>

#include "state/registers.h"

// The block: six consecutive cells from zq_stat_base, in this order.
enum zq_stat_slot : int64_t {
  STAT_SUM_X = 0,
  STAT_SUM_X2 = 1,
  STAT_SUM_Y = 2,
  STAT_SUM_Y2 = 3,
  STAT_SUM_XY = 4,
  STAT_COUNT = 5,
};
constexpr int64_t zq_stat_register_count = 6;

// R11 at initialisation.
constexpr int64_t zq_stat_base_initial = 17;
// Bases from R00 to R993 keep the block inside R00 to R998.
constexpr int64_t zq_stat_base_min = CELL_R00;
constexpr int64_t zq_stat_base_max = 999;

// Cell of the first of the six statistics registers, which the operand check
// of the statistics commands reads too.
extern int64_t zq_stat_base;

// Whether a base puts the block where the statistics commands may work; a
// state file with another one is damaged.
inline bool zq_stat_base_valid(int64_t base) { return base >= zq_stat_base_min && base <= zq_stat_base_max; }
