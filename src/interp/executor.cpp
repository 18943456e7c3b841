// The executor: every complete command passes here to be recorded, executed
// at once or run as a program step, after its operand-type checks.
#include "interp/executor.h"

#include <cstdio>

#include "interp/command_table.h"
#include "interp/listing.h"
#include "interp/navigation.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/registers.h"
#include "state/stats.h"
#include "state/text_builder.h"

uint8_t zq_quit = 0;
uint8_t zq_trace = 0;
int64_t zq_xail = 0;
int64_t zq_skip_pending = 0;
int64_t zq_ret[zq_ret_size];
int64_t zq_ret_depth = 0;

namespace {

constexpr int64_t zq_last_word = zq_prog_size - 1;

// A missing cell (after the index check) counts as not numeric, unread.
bool zq_cell_numeric(zq_cell_index cell) {
  return cell != zq_no_cell && zq_tag_is_numeric(zq_reg_types[cell]);
}

// The register operand, and with "ind" the register it points to. Inlined
// into the quick checks that most steps pass.
[[gnu::always_inline]] inline bool zq_reg_operand_numeric(const zq_command& row) {
  const bool indirect = (zq_decoded.opt & OPT_IND) != 0;
  if (row.cmd_type == CMD_TYPE_FNL2) {
    // A digit count or catalogue number given directly needs no test. With
    // "ind" the handler takes the named register's own value as its count,
    // so that register is the one that must hold a number.
    return !indirect || zq_cell_numeric(zq_operand_cell());
  }
  if (!zq_cell_numeric(zq_operand_cell())) return false;
  return !indirect || zq_cell_numeric(zq_operand_target());
}

// Whether the checks of a row pass, for the rows and operands of most
// steps: X and Y numeric, a register operand numeric, no pointer to follow.
// Otherwise zq_check_operands decides (and finds the failure to report).
bool zq_plain_checks_pass(const zq_command& row) {
  const uint8_t mask = row.check_mask;
  if (mask == 0) return true;
  if ((zq_decoded.opt & OPT_IND) || (mask & (CHK_STAT_NUMERIC | CHK_X_FLAGS))) return false;
  if ((mask & CHK_X_NUMERIC) && !zq_tag_is_numeric(zq_reg_types[CELL_X])) return false;
  if ((mask & CHK_Y_NUMERIC) && !zq_tag_is_numeric(zq_reg_types[CELL_Y])) return false;
  // Without ind, CHK_IND_NUMERIC asks for nothing.
  return !(mask & CHK_REG_NUMERIC) || zq_reg_operand_numeric(row);
}

const char* zq_type_word(uint8_t tag) {
  switch (tag) {
    case REG_NUMBER: return "Number";
    case REG_HMS: return "HMS";
    case REG_FLAGS: return "Flags";
    default: return "Alpha";
  }
}

// The full checks, for the steps the quick ones do not pass: false, with
// the failure reported, when they fail too. Out of line, so that a step
// keeps no room for the failure's tags.
[[gnu::noinline]] bool zq_all_checks_pass() {
  uint8_t found = 0;
  uint8_t expected = 0;
  if (zq_check_operands(found, expected)) return true;
  zq_type_error(found, expected);
  return false;
}

// Ends a run; no return stays pending.
void zq_stop_run() {
  zq_mode = MODE_IMMEDIATE;
  zq_ret_depth = 0;
}

// Calls the handler of the decoded command's row when the operand checks
// it asks for pass; otherwise reports the failure and returns false.
// The check and the handler share one resolution of the operand; a
// handler that runs commands of its own (run, xail, a load) is the command
// being executed again afterwards. Inlined into the step of a run, where
// every step passes.
[[gnu::always_inline]] inline bool zq_check_and_call() {
  const zq_command& row = zq_commands[zq_decoded.cmd];
  const uint64_t outer = zq_operand_begin();
  const bool passed = zq_plain_checks_pass(row) || zq_all_checks_pass();
  if (passed) row.handler();
  zq_operand_end(outer);
  return passed;
}

void zq_execute_immediate() {
  if (!zq_row_exists(zq_decoded.cmd)) return;
  if (zq_trace) zq_trace_command();
  zq_check_and_call();
}

}  // namespace

void zq_stop_program() {
  zq_mode = MODE_IMMEDIATE;
  zq_xail = 0;
}

void zq_execute_step() {
  // Only memory in use holds steps: past the final END lie stale words.
  if (pc < 1 || pc > zq_final_end || pc >= zq_prog_size) {
    zq_stop_run();
    return;
  }
  if (zq_trace) zq_print_program_line(zq_address_to_line(pc), pc, LIST_NORMAL, nullptr);
  if (!zq_xail) {
    const zq_instr word = zq_instr_unpack(zq_prog[pc]);
    zq_decoded.cmd = word.cmd;
    zq_decoded.opt = word.opt;
    zq_decoded.add = word.add;
  }
  // A word naming no row (only a damaged state file brings one) is a step
  // without effect and is never looked up in the table; the step length
  // reports it and stops the run.
  if (zq_row_exists(zq_decoded.cmd) && !zq_check_and_call()) zq_quit = 1;
  if (zq_advance != ADV_HOLD) pc += zq_pc_inc(pc);
  if (zq_quit) {
    zq_stop_run();
    zq_quit = 0;
  }
}

void zq_execute() {
  switch (zq_mode) {
    case MODE_RECORD: zq_calc_load_program(); break;
    case MODE_IMMEDIATE: zq_execute_immediate(); break;
    case MODE_ERROR_STOP:
      // The command that arrives only ends the error stop: row 0 runs in its
      // place, without effect.
      zq_mode = MODE_IMMEDIATE;
      zq_advance = ADV_NEXT;
      zq_ret_depth = 0;
      zq_reset_decoded();
      zq_xail = 0;
      zq_execute_immediate();
      break;
    case MODE_RUN: zq_execute_step(); break;
    default: break;
  }
}

int zq_check_operands(uint8_t& found, uint8_t& expected) {
  const zq_command& row = zq_commands[zq_decoded.cmd];
  const uint8_t mask = row.check_mask;
  int result = 1;
  // Each failure overwrites the last, so the last one is reported.
  auto fail = [&](uint8_t found_tag, uint8_t expected_tag) {
    result = 0;
    found = found_tag;
    expected = expected_tag;
  };
  const uint8_t x_tag = zq_reg_types[CELL_X];
  if ((mask & CHK_X_NUMERIC) && !zq_tag_is_numeric(x_tag)) fail(x_tag, REG_NUMBER);
  if ((mask & CHK_Y_NUMERIC) && !zq_tag_is_numeric(zq_reg_types[CELL_Y]))
    fail(zq_reg_types[CELL_Y], REG_NUMBER);
  if ((mask & CHK_X_FLAGS) && !zq_tag_is_flags(x_tag)) fail(x_tag, REG_FLAGS);
  if ((mask & CHK_STAT_NUMERIC) && !zq_stat_regs_numeric()) fail(REG_ALPHA, REG_NUMBER);
  if ((mask & CHK_REG_NUMERIC) && !zq_reg_operand_numeric(row)) fail(REG_ALPHA, REG_NUMBER);
  if ((mask & CHK_IND_NUMERIC) && (zq_decoded.opt & OPT_IND) && !zq_cell_numeric(zq_operand_cell())) {
    fail(REG_ALPHA, REG_NUMBER);
  }
  return result;
}

// Kept out of the executor's step path, which it would otherwise weigh down.
[[gnu::cold]] void zq_type_error(uint8_t found, uint8_t expected) {
  if (!zq_flag_test(FLAG_IGNORE_ERROR)) zq_show_type_error(found, expected);
  zq_error_code code = ERR_ALPHA_DATA;
  if (found == REG_NUMBER || found == REG_HMS) {
    code = ERR_DATA;
  } else if (found == REG_FLAGS) {
    code = ERR_FLAG_DATA;
  }
  zq_report_error(code);
}

void zq_show_type_error(uint8_t found, uint8_t expected) {
  char text[zq_message_size];
  snprintf(text, sizeof text, "Expecting %s Found %s data.\n", zq_type_word(expected), zq_type_word(found));
  zq_show_message(MSG_TEXT, text, nullptr);
}

void zq_trace_command() {
  // A text shows at most what the alpha register holds, a name what a step keeps.
  constexpr int zq_trace_alpha_chars = zq_alpha_size;
  constexpr int zq_trace_name_chars = zq_step_name_size;
  constexpr size_t zq_trace_line_size = 64;
  char line[zq_trace_line_size];
  const int32_t cmd = zq_decoded.cmd;
  if (cmd == zq_idx_nbr) {
    zqm_string_from_zq_double_64(line, sizeof line, zq_regs[CELL_LITERAL]);
  } else if (cmd == zq_idx_alpha || cmd == zq_idx_append) {
    snprintf(line, sizeof line, "%s%.*s\"", cmd == zq_idx_alpha ? "\"" : ">\"", zq_trace_alpha_chars,
             zq_text);
  } else {
    const uint8_t opt = zq_decoded.opt;
    zq_text_builder text(line);
    text.append_format("%s %s", zq_commands[cmd].name, (opt & OPT_IND) ? "ind " : "");
    if (opt & OPT_STACK) {
      text.append(zq_get_stack_string(zq_decoded.add));
    } else if (opt & OPT_NUM) {
      text.append_format("%d", zq_decoded.add);
    }
    if (opt & OPT_STR) text.append_format("%.*s", zq_trace_name_chars, zq_text);
  }
  puts(line);
}

int zq_stat_regs_numeric() {
  for (int i = 0; i < zq_stat_register_count; ++i) {
    if (!zq_reg_is_number(zq_stat_base + i)) return 0;
  }
  return 1;
}

void zq_drop_returns_from(int64_t address) {
  int64_t depth = 0;
  while (depth < zq_ret_depth && zq_ret[depth + 1] < address) ++depth;
  zq_ret_depth = depth;
}

void zq_skip_next_step() {
  if (zq_xail) {
    zq_skip_pending = 1;
  } else if (pc < zq_last_word) {
    // The executor then adds the length of the step now at pc, so that whole
    // step is passed over; an END has length 0 and is never passed.
    pc += 1;
  }
}
