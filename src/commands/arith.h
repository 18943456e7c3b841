// Arithmetic and mathematical functions of X, or of X and Y, computed by the
// decimal number layer with the result left in X.
#pragma once

void zq_cmd_plus();
void zq_cmd_minus();
void zq_cmd_mul();
void zq_cmd_div();
void zq_cmd_mod();
void zq_cmd_y_pow_x();
void zq_cmd_1_div_x();
void zq_cmd_x_pow_2();
void zq_cmd_sqrt();
void zq_cmd_abs();
void zq_cmd_int();
void zq_cmd_frc();
void zq_cmd_fact();
void zq_cmd_log();
void zq_cmd_ln();
void zq_cmd_ln1_plus_x();
void zq_cmd_e_pow_x();
void zq_cmd_e_pow_x_minus_1();
void zq_cmd_10_pow_x();
void zq_cmd_sin();
void zq_cmd_cos();
void zq_cmd_tan();
void zq_cmd_asin();
void zq_cmd_acos();
void zq_cmd_atan();
void zq_cmd_percent();
void zq_cmd_percent_ch();
void zq_cmd_sign();
