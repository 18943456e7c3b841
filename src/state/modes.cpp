// The mode variables, holding the values that initialisation gives them, so
// that nothing reads a mode of 0 before it runs.
#include "state/modes.h"

uint8_t zq_angle = ANGLE_DEG;
uint8_t zq_disp_format = FMT_FIX;
uint8_t zq_digits = 4;
uint8_t zq_clock_mode = 0;
