// Control numbers: small integers packed into one number as an integer part
// and groups of fraction digits (isg/dse counters, clrgx and move blocks).
#pragma once

#include <cstdint>

#include "number/number.h"

// Layout of the fraction: mode 0 is aaa.bbbcc (a sixth digit is ignored),
// mode 1 is aaa.bbbccc.
enum zq_control_mode : int {
  CONTROL_COUNTER = 0,
  CONTROL_MOVE = 1,
};

// Splits x into its integer part a (signed, truncated toward zero) and the
// fraction groups b and c (never negative), as "%f" of the nearest binary
// double of x gives them. Returns 1, or 0 for a value without a 64-bit
// integer part (|x| >= 2^63, infinity, NaN); the outputs are then 0. Either
// way the pending error is dropped.
int zq_decode_control(int mode, zq_double_64 x, int64_t* a, int64_t* b, int64_t* c);
// The same through that text itself, for every value; zq_decode_control
// takes its groups from the decimal's digits where they provably agree.
int zq_decode_control_text(int mode, zq_double_64 x, int64_t* a, int64_t* b, int64_t* c);
// X as bbb.eeeii (clrgx).
int zq_decode_x_control(int64_t* a, int64_t* b, int64_t* c);
// The decoded command's register operand as ccccc.fffii (isg, dse). Also 0
// when that register does not exist ("NONEXISTENT" has been shown).
int zq_decode_operand_control(int64_t* a, int64_t* b, int64_t* c);
// X as sss.dddnnn (regmove, regswap).
int zq_decode_x_move_control(int64_t* a, int64_t* b, int64_t* c);

// The largest counter magnitude whose stored value |count|.fffii keeps all
// its digits in 16: |count|*100000 + final*100 + step below 10^16.
constexpr int64_t zq_max_counter = 99999999999;
// The value count.fffii: n / 100000 by decimal division, n = |count|*100000
// + final*100 + step, negative when count is; |count| at most zq_max_counter,
// final 0 to 999 and step 0 to 99.
zq_double_64 zq_counter_value(int64_t count, int64_t final, int64_t step);
// isg and dse on the most common counter, a whole number from 0 to
// 999,999,999 with exponent 0 (no final value, no step) in a register named
// directly: the counter moved by `by` (1 or -1) to such a number, as the
// decoding, counting and write-back give it, and the new count. Returns
// false, doing nothing, for every other counter, operand or result.
bool zq_step_small_operand_counter(int64_t by, int64_t& count);
// Writes count.fffii back into the decoded command's register operand,
// keeping the cell's tag. Returns 1, or 0 with nothing written for a counter
// beyond zq_max_counter in magnitude or a register that does not exist.
int zq_store_operand_control(int64_t count, int64_t final, int64_t step);
