// Two-variable statistics over the block of six data registers: the sums that
// s+ and s- keep, the means and deviations drawn from them, and the commands
// that move the block or tell where it lies.
#pragma once

void zq_cmd_s_plus();
void zq_cmd_s_minus();
void zq_cmd_mean();
void zq_cmd_sdev();
void zq_cmd_cls();
void zq_cmd_sreg();
void zq_cmd_sreg_q();
