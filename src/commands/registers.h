// Register commands and number entry: moving values between the stack and
// the data registers, block moves, the clearing commands (clall clears
// everything), the last error code, nbr (which pushes every typed or stored
// number) and the digit rows of the keyboard, which do nothing.
#pragma once

void zq_cmd_sto();
void zq_cmd_st_plus();
void zq_cmd_st_minus();
void zq_cmd_st_mul();
void zq_cmd_st_div();
void zq_cmd_rcl();
void zq_cmd_x_swap();
void zq_cmd_asto();
void zq_cmd_astol();
void zq_cmd_regmove();
void zq_cmd_regswap();
void zq_cmd_clst();
void zq_cmd_clrg();
// Everything back to its initial state, program memory included.
void zq_cmd_clall();
void zq_cmd_clrgx();
void zq_cmd_errno();
void zq_cmd_clerr();

void zq_cmd_nbr();

void zq_cmd_digit_0();
void zq_cmd_digit_1();
void zq_cmd_digit_2();
void zq_cmd_digit_3();
void zq_cmd_digit_4();
void zq_cmd_digit_5();
void zq_cmd_digit_6();
void zq_cmd_digit_7();
void zq_cmd_digit_8();
void zq_cmd_digit_9();
void zq_cmd_digit_dot();
void zq_cmd_digit_e();
