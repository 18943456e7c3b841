// Program control: the run loop, single and back step, jumps and calls with
// their destination cache, returns, stops, and the deletion of programs.
#pragma once

#include <cstdint>

// The jump of gto and xeq: 1 when pc now holds the destination (the lbl step
// itself), 0 when the target is missing.
int zq_goto_label();

void zq_cmd_run();
void zq_cmd_sst();
void zq_cmd_bst();
void zq_cmd_gto();
void zq_cmd_xeq();
void zq_cmd_end();
void zq_cmd_rtn();
void zq_cmd_stop();
void zq_cmd_gto_dot();
void zq_cmd_gto_dot_dot();
void zq_cmd_lbl();
void zq_cmd_clp();
void zq_cmd_pclps();
