// Catalogs, the path prefix, directory listings and the shell command: the
// commands that look outward from the calculator.
#pragma once

void zq_cmd_cat();
void zq_cmd_pdir();
void zq_cmd_emdir();
void zq_cmd_exeq();
void zq_cmd_path();
void zq_cmd_path_plus();
void zq_cmd_path_q();
