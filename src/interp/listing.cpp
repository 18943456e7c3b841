// The text of one program step, built in one place for every listing, trace,
// catalogue line and program file, and the listing of lines from pc.
#include "interp/listing.h"

#include "interp/command_table.h"
#include "interp/navigation.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/registers.h"
#include "state/text_builder.h"

namespace {

// Room for the longest line: a line number, a command, "ind " and a quoted
// name of 8 characters, or a text of 16 characters in its quotes.
constexpr size_t zq_listing_line_size = 64;
constexpr int zq_name_word_chars = 4;

// Only steps of memory in use are read and looked up in the table.
int64_t zq_listed_address(int64_t address) {
  return address >= 1 && address <= zq_final_end ? address : zq_final_end;
}

// The name of a step's two name words from address, at most 4 characters
// from each, each word ending at its first NUL.
void zq_put_name(zq_text_builder& text, int64_t address) {
  char name[zq_step_name_size + 1];
  zq_step_name(address, name);
  for (int word = 0; word < 2; ++word) {
    for (int i = 0; i < zq_name_word_chars; ++i) {
      const char c = name[word * zq_name_word_chars + i];
      if (c == '\0') break;
      text.put(c);
    }
  }
}

void zq_put_step(zq_text_builder& text, int64_t address, int mode) {
  const zq_instr in = zq_step_at(address);
  if (in.cmd == zq_idx_nbr) {
    char number[zqm_string_size];
    zqm_string_from_zq_double_64(number, sizeof number, zq_step_number(address + 1));
    text.append(number);
    return;
  }
  if (in.cmd == zq_idx_alpha || in.cmd == zq_idx_append) {
    char step_text[zq_step_text_size + 1];
    zq_step_text(address + 1, step_text);
    text.append(in.cmd == zq_idx_alpha ? "\"" : ">\"");
    text.append(step_text);
    text.put('"');
    return;
  }
  const bool end = in.cmd == zq_idx_end;
  if (end && (in.opt & OPT_FINAL_END)) {
    text.append(".end.");
  } else if (mode == LIST_CATALOG) {
    if (end) text.append(" end");
  } else {
    // Only a damaged state file brings a word that names no row.
    text.append(zq_row_exists(in.cmd) ? zq_commands[in.cmd].name : "???");
  }
  text.put(' ');
  if (in.opt & OPT_IND) text.append("ind ");
  if (in.opt & OPT_STACK) {
    text.append(zq_get_stack_string(in.add));
  } else if (in.opt & OPT_NUM) {
    text.append_format("%.2lld", static_cast<long long>(in.add));
  }
  if (in.opt & OPT_STR) {
    const bool jump = zq_row_exists(in.cmd) && zq_commands[in.cmd].cmd_type == CMD_TYPE_GTO_XEQ;
    text.put('"');
    zq_put_name(text, address + (jump ? 2 : 1));
    text.put('"');
  }
  if (in.opt & OPT_CHAR) text.put(static_cast<char>(in.add & 0xff));
}

}  // namespace

void zq_print_program_line(int64_t line, int64_t address, int mode, FILE* file) {
  char buffer[zq_listing_line_size];
  zq_text_builder text(buffer);
  if (line >= 0 && !zq_flag_test(FLAG_NO_LINE_NUMBERS))
    text.append_format("%.2lld ", static_cast<long long>(line));
  zq_put_step(text, zq_listed_address(address), mode);
  if (file != nullptr) {
    fprintf(file, "%s\n", text.c_str());
  } else {
    puts(text.c_str());
  }
}

void zq_list_program(FILE* file) {
  const int64_t count = zq_decoded.add;
  int64_t address = zq_listed_address(pc);
  int64_t line = zq_address_to_line(pc);
  zq_print_program_line(line, address, LIST_NORMAL, file);
  if (count == 1) return;
  if (!zq_is_end_at(address)) {
    for (int64_t written = 1; count == 0 || written < count; ++written) {
      address += zq_pc_inc(address);
      // Damaged memory could jump past the final END.
      if (address > zq_final_end) break;
      ++line;
      zq_print_program_line(line, address, LIST_NORMAL, file);
      if (zq_is_end_at(address)) break;
    }
  }
  putchar('\n');
}
