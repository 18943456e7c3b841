// File commands: state files named by an operand, a program step or the alpha
// register; program files named by the path prefix and the alpha register;
// and the listing of program lines.
#include "commands/files.h"

#include "commands/program.h"
#include "files/paths.h"
#include "files/program_file.h"
#include "files/state_file.h"
#include "interp/executor.h"
#include "interp/labels.h"
#include "interp/listing.h"
#include "interp/navigation.h"
#include "interp/program.h"
#include "state/alpha.h"
#include "state/execution.h"

namespace {

// A step taken from program memory keeps its file name in its name words;
// typed, or on a command line that xail runs, the parser left it in zq_text.
void zq_take_step_file_name() {
  if (zq_mode == MODE_RUN && !zq_xail) zq_file_name_from_program();
}

void zq_write_all_to_alpha_name() {
  zq_file_name_from_alpha();
  zq_write_state_file(MEM_ALL);
}

void zq_read_all_from_alpha_name() {
  zq_file_name_from_alpha();
  zq_read_state_file(MEM_ALL);
}

}  // namespace

void zq_cmd_wrts() {
  zq_take_step_file_name();
  zq_write_state_file(MEM_STATUS);
}

void zq_cmd_reads() {
  zq_take_step_file_name();
  zq_read_state_file(MEM_STATUS);
}

void zq_cmd_wrta() { zq_write_state_file(MEM_ALL); }

void zq_cmd_reada() { zq_read_state_file(MEM_ALL); }

void zq_cmd_saver() { zq_write_all_to_alpha_name(); }

// The row's check refuses it unless X holds a number; otherwise it is saver.
void zq_cmd_saverx() { zq_write_all_to_alpha_name(); }

void zq_cmd_getr() { zq_read_all_from_alpha_name(); }

// The row's check refuses it unless X holds a number; otherwise it is getr.
void zq_cmd_getrx() { zq_read_all_from_alpha_name(); }

void zq_cmd_getp() {
  const int64_t kept_pc = pc;
  const int64_t start = zq_get_last_program_start();
  zq_file_path_from_alpha();
  zq_load_program_file(start);
  // pc inside an earlier program stays; inside the replaced one it goes to
  // the start of the new program.
  pc = kept_pc < start ? kept_pc : start;
}

void zq_cmd_getsub() {
  const int64_t kept_pc = pc;
  zq_cmd_gto_dot_dot();
  const int64_t start = zq_final_end;
  zq_file_path_from_alpha();
  zq_load_program_file(start);
  pc = kept_pc;
}

void zq_cmd_savep() {
  char label[zq_alpha_label_size] = {};
  char file[zq_alpha_file_size] = {};
  zq_alpha_split_label_file(label, file);
  const int64_t kept_pc = pc;
  const char* name = file[0] != '\0' ? file : label;
  if (label[0] != '\0') {
    // On empty memory the search reports NONEXISTENT and gives word 1; no
    // program holds the label then, so nothing is written.
    const bool empty_memory = zq_final_end == 1;
    pc = zq_find_global_label(label);
    if (empty_memory) pc = 0;
  }
  if (pc > 0) {
    pc = zq_line_to_address(1);
    zq_write_program_file(name);
  }
  pc = kept_pc;
}

void zq_cmd_list() { zq_list_program(nullptr); }
