// The angle and display mode commands; each also sets the flags that mirror
// its mode, so that programs can test the mode with the flag tests.
#pragma once

void zq_cmd_deg();
void zq_cmd_rad();
void zq_cmd_grad();
void zq_cmd_fix();
void zq_cmd_sci();
void zq_cmd_eng();
