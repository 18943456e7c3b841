// The stack display command, the watch commands, and the commands that show
// or announce something.
#pragma once

void zq_cmd_prstk();
void zq_cmd_watch();
void zq_cmd_unwatch();
void zq_cmd_clwatch();
void zq_cmd_view();
void zq_cmd_aview();
void zq_cmd_prompt();
void zq_cmd_beep();
void zq_cmd_cool();
void zq_cmd_pse();
