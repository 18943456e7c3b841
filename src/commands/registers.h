// Register commands and number entry: nbr pushes every typed or stored
// number; the digit rows of the keyboard do nothing.
#pragma once

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
