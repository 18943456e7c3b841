// File commands: saving and restoring the state in state files, exchanging
// programs with program text files, and listing program lines. Each handler
// only decides where the file name comes from and what the file holds.
#pragma once

void zq_cmd_wrts();
void zq_cmd_reads();
void zq_cmd_wrta();
void zq_cmd_reada();
void zq_cmd_saver();
void zq_cmd_saverx();
void zq_cmd_getr();
void zq_cmd_getrx();
void zq_cmd_getp();
void zq_cmd_getsub();
void zq_cmd_savep();
void zq_cmd_list();
