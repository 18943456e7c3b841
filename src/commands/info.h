// Commands that tell about the calculator and switch the way it works:
// about, changes, usage, user, trace, exit/off and the memory-size commands.
#pragma once

void zq_print_input_help();

void zq_cmd_about();
void zq_cmd_changes();
void zq_cmd_usage();
void zq_cmd_user();
void zq_cmd_trace();
void zq_cmd_exit();
void zq_cmd_size();
void zq_cmd_psize();
void zq_cmd_size_q();
