// Conversions of X (and Y) between representations: octal and decimal
// integers, polar and rectangular coordinates, H.MMSS and decimal hours,
// degrees and radians, and the rounding of X to what the display shows.
#pragma once

void zq_cmd_dec();
void zq_cmd_oct();
void zq_cmd_p_to_r();
void zq_cmd_r_to_p();
void zq_cmd_rnd();
void zq_cmd_hms();
void zq_cmd_hr();
void zq_cmd_hms_plus();
void zq_cmd_hms_minus();
void zq_cmd_d_to_r();
void zq_cmd_r_to_d();
