// Alpha register commands: fill, cut, rotate and search the alpha register,
// and move characters, codes and numbers between it and the stack.
#pragma once

void zq_cmd_alpha();
void zq_cmd_append();
void zq_cmd_cla();
void zq_cmd_cld();
void zq_cmd_ashf();
void zq_cmd_ashfl();
void zq_cmd_arot();
void zq_cmd_atox();
void zq_cmd_xtoa();
void zq_cmd_posa();
void zq_cmd_aleng();
void zq_cmd_anum();
void zq_cmd_arcl();
void zq_cmd_arcll();
