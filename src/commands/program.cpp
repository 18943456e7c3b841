// Program control: the run loop, single and back step, jumps and calls with
// their destination cache, returns, stops, and the deletion of programs.
// These handlers call back into the executor to run steps.
#include "commands/program.h"

#include "interp/command_table.h"
#include "interp/executor.h"
#include "interp/interrupt.h"
#include "interp/labels.h"
#include "interp/listing.h"
#include "interp/navigation.h"
#include "interp/program.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/instr.h"
#include "state/stack_display.h"

namespace {

// Slots 1 to 63 of the return stack hold calls.
constexpr int64_t zq_ret_max_depth = zq_ret_size - 1;

// Whether the cached destination of the jump step at pc still holds the
// label that the step names. Every search result passes; a cache left by
// rearranged or damaged memory that names any other word is not trusted, so
// a jump never lands inside a step.
bool zq_cache_names_the_label(int64_t target) {
  const zq_instr label = zq_step_at(target);
  const uint8_t opt = zq_decoded.opt;
  if (label.cmd != zq_idx_lbl || (opt & OPT_IND)) return false;
  if (opt & OPT_STR) {
    return (label.opt & OPT_STR) && zq_word_at(target + 1) == zq_word_at(pc + 2) &&
           zq_word_at(target + 2) == zq_word_at(pc + 3);
  }
  const uint8_t kind = opt & (OPT_NUM | OPT_CHAR);
  return kind != 0 && (label.opt & kind) && label.add == zq_decoded.add;
}

void zq_print_line_at_pc() { zq_print_program_line(zq_address_to_line(pc), pc, LIST_NORMAL, nullptr); }

}  // namespace

int zq_goto_label() {
  // Only a step taken from program memory has a destination cache.
  const bool from_step = zq_mode == MODE_RUN && !zq_xail;
  const uint32_t cache = zq_word_at(pc + 1);
  int result = 1;
  if (from_step && cache != 0 && cache < zq_final_end && zq_cache_names_the_label(cache)) {
    pc = cache;
  } else {
    const int64_t target = zq_find_branch_target();
    if (target < 1) {
      zq_report_missing_target();
      result = 0;
    } else {
      if (from_step && !(zq_decoded.opt & OPT_IND) && pc + 1 < zq_prog_size) {
        zq_prog[pc + 1] = static_cast<uint32_t>(target);
      }
      pc = target;
    }
  }
  if (zq_trace == 1) zq_print_line_at_pc();
  return result;
}

void zq_cmd_run() {
  // As a step of a run (only a damaged state file stores one; recording
  // refuses it) it would run itself again without end.
  if (zq_mode == MODE_RUN) return;
  if (zq_is_end_at(pc)) pc = zq_line_to_address(1);
  zq_mode = MODE_RUN;
  zq_xail = 0;
  zq_advance = ADV_NEXT;
  zq_sigint_install();
  while (zq_mode == MODE_RUN) {
    zq_execute_step();
    if (zq_trace == 1) zq_print_stack_display();
    // An interrupt ends the run after its step; an error stop made by that
    // step is left for the executor to recover from.
    if (zq_sigint_take() && zq_mode == MODE_RUN) zq_stop_program();
  }
  zq_sigint_restore();
}

void zq_cmd_sst() {
  // Inside an xail line the executor would take this sst again in place of
  // the step at pc; it is refused like the rows an xail line may not hold.
  if (zq_xail) {
    zq_report_error(ERR_XAIL);
    return;
  }
  // Likewise as a step of a run, which damaged memory alone can hold.
  if (zq_mode == MODE_RUN) return;
  const uint8_t trace = zq_trace;
  zq_mode = MODE_RUN;
  zq_advance = ADV_STEP;
  zq_trace = 1;
  zq_execute();
  zq_mode = MODE_IMMEDIATE;
  zq_trace = trace;
  zq_advance = ADV_NEXT;
}

void zq_cmd_bst() {
  zq_advance = ADV_STEP;
  // A pc left past a shorter memory steps back from the final END.
  if (pc < 1 || pc > zq_final_end) pc = zq_final_end;
  int64_t line = zq_address_to_line(pc);
  if (line <= 1) {
    // From line 1 the back step wraps to the program's END.
    while (!zq_is_end_at(pc) && pc < zq_final_end) {
      pc += zq_pc_inc(pc);
      ++line;
    }
  } else {
    --line;
    pc = zq_line_to_address(line);
  }
  zq_print_program_line(line, pc, LIST_NORMAL, nullptr);
  zq_advance = ADV_NEXT;
}

void zq_cmd_gto() { zq_goto_label(); }

void zq_cmd_xeq() {
  if (zq_mode == MODE_IMMEDIATE) {
    zq_ret_depth = 0;
    if (zq_goto_label()) zq_cmd_run();
    return;
  }
  if (!zq_xeq_push) {
    zq_goto_label();
  } else if (zq_ret_depth < zq_ret_max_depth) {
    // The return names the calling step; the advance after the returning
    // step carries pc past it. It is pushed only once the target is found:
    // a run that goes on past a missing one (flag 25) must not have a later
    // END come back here.
    const int64_t caller = pc;
    if (zq_goto_label()) zq_ret[++zq_ret_depth] = caller;
  } else {
    puts("Error stack overrun.");
  }
}

void zq_cmd_end() {
  if (zq_mode == MODE_RUN && zq_advance == ADV_NEXT) {
    zq_cmd_rtn();
    return;
  }
  pc = zq_line_to_address(1);
  zq_advance = ADV_HOLD;
}

void zq_cmd_rtn() {
  if (zq_ret_depth > 0) {
    pc = zq_ret[zq_ret_depth--];
  } else {
    zq_mode = MODE_IMMEDIATE;
  }
}

void zq_cmd_stop() { zq_stop_program(); }

void zq_cmd_gto_dot() { pc = zq_line_to_address(zq_decoded.add); }

void zq_cmd_gto_dot_dot() {
  zq_close_last_program();
  zq_link_labels();
  pc = zq_final_end;
}

void zq_cmd_lbl() {}

void zq_cmd_clp() {
  int64_t address = pc;
  if (zq_decoded.opt == OPT_STR) {
    address = zq_find_global_label(zq_text);
    if (address == 0) return;
  } else if (pc < 1 || pc >= zq_final_end) {
    // Nothing to delete on the final END (nor past it).
    zq_report_error(ERR_NONEXISTENT);
    return;
  }
  int64_t first = 0;
  int64_t last = 0;
  zq_get_program_bounds(address, first, last);
  zq_delete_steps(first, last);
  if (last >= first) {
    // The programs after the deleted one moved down.
    zq_clear_jump_caches();
    zq_drop_returns_from(first);
  }
  pc = zq_final_end;
}

void zq_cmd_pclps() {
  if (zq_final_end == 1) return;
  const int64_t kept_pc = pc;
  int64_t address = pc < zq_final_end ? pc : zq_final_end;
  if (zq_alpha[0] != '\0') {
    // The first 8 characters of the alpha register, which need not end in a NUL.
    char name[zq_step_name_size + 1] = {};
    for (int i = 0; i < zq_step_name_size && zq_alpha[i] != '\0'; ++i) name[i] = zq_alpha[i];
    address = zq_find_global_label(name);
    if (address == 0) return;
  }
  int64_t first = 0;
  int64_t last = 0;
  zq_get_program_bounds(address, first, last);
  zq_put_final_end(first);
  zq_link_labels();
  zq_clear_jump_caches();
  zq_drop_returns_from(first);
  pc = first < kept_pc ? first : kept_pc;
}
