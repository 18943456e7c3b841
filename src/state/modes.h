// The calculator's modes: angle unit, display format and digit count, and the
// clock and date mode. The commands that set them also set their mirror flags.
#pragma once

#include <cstdint>

enum zq_angle_unit : uint8_t {
  ANGLE_DEG = 1,
  ANGLE_RAD = 2,
  ANGLE_GRAD = 3,
};

enum zq_num_format : uint8_t {
  FMT_FIX = 1,
  FMT_SCI = 2,
  FMT_ENG = 3,
};

enum zq_clock_bits : uint8_t {
  CLK_12H = 1,        // clock and atime use the 12-hour clock
  CLK_DMY = 2,        // dates are DD.MMYYYY, else MM.DDYYYY
  CLK_TIME_ONLY = 4,  // clock shows seconds and no date
};

// One of zq_angle_unit; any other value makes every angle conversion give 0.
extern uint8_t zq_angle;
// One of zq_num_format.
extern uint8_t zq_disp_format;
// Display digit count, 0 to 15.
extern uint8_t zq_digits;
// zq_clock_bits.
extern uint8_t zq_clock_mode;

// Dates in day-month order.
inline bool zq_dmy() { return zq_clock_mode & CLK_DMY; }
