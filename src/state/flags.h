// The flag word: 64 user flags in one 64-bit word, and the numbers of the
// flags that have a meaning of their own.
#pragma once

#include <cstdint>

extern uint64_t zq_flags;

constexpr int FLAG_NUM_INPUT = 22;
constexpr int FLAG_IGNORE_ERROR = 25;
constexpr int FLAG_AUDIO = 26;
constexpr int FLAG_USER = 27;
constexpr int FLAG_RADIX_POINT = 28;
constexpr int FLAG_GROUPING = 29;
constexpr int FLAG_DMY = 31;
constexpr int FLAG_DIGITS = 36;  // 36 to 39, the digit count, bit 36 lowest
constexpr int FLAG_FIX = 40;
constexpr int FLAG_ENG = 41;
constexpr int FLAG_GRAD = 42;
constexpr int FLAG_RAD = 43;
constexpr int FLAG_NO_LINE_NUMBERS = 58;
constexpr int FLAG_NO_SAVE = 59;
constexpr int FLAG_ALL_DIGITS = 60;
constexpr int FLAG_QUIET_FILES = 61;
constexpr int FLAG_SHOW_X = 62;
constexpr int FLAG_SHOW_STACK = 63;

inline bool zq_flag_test(int n) { return (zq_flags >> n) & 1u; }
inline void zq_flag_set(int n) { zq_flags |= uint64_t{1} << n; }
inline void zq_flag_clear(int n) { zq_flags &= ~(uint64_t{1} << n); }
inline void zq_flag_put(int n, bool on) { on ? zq_flag_set(n) : zq_flag_clear(n); }
