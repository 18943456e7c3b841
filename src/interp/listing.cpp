// The text of one program step, built in one place for every listing, trace,
// catalogue line and program file, and the listing of lines from pc.
#include "interp/listing.h"

#include "interp/command_table.h"
#include "interp/navigation.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/flags.h"
#include "state/registers.h"

namespace {

// Room for the longest line: a line number, a command, "ind " and a quoted
// name of 8 characters, or a text of 16 characters in its quotes.
constexpr size_t zq_listing_line_size = 64;
// Room for one formatted number: a line number or a register operand.
constexpr size_t zq_listing_number_size = 24;
constexpr int zq_name_word_chars = 4;

// One line of text, every write bounded by the buffer.
class zq_listing_text {
 public:
  void put(const char* part) {
    while (*part != '\0') put(*part++);
  }
  void put(char c) {
    if (c != '\0' && used_ + 1 < zq_listing_line_size) text_[used_++] = c;
  }
  void put_number(const char* format, long long value) {
    char number[zq_listing_number_size];
    snprintf(number, sizeof number, format, value);
    put(number);
  }
  const char* c_str() {
    text_[used_] = '\0';
    return text_;
  }

 private:
  char text_[zq_listing_line_size] = "";
  size_t used_ = 0;
};

// Only steps of memory in use are read and looked up in the table.
int64_t zq_listed_address(int64_t address) {
  return address >= 1 && address <= zq_final_end ? address : zq_final_end;
}

// The name of a step's two name words from address, at most 4 characters
// from each, each word ending at its first NUL.
void zq_put_name(zq_listing_text& text, int64_t address) {
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

void zq_put_step(zq_listing_text& text, int64_t address, int mode) {
  const zq_instr in = zq_step_at(address);
  if (in.cmd == zq_idx_nbr) {
    char number[zqm_string_size];
    zqm_string_from_zq_double_64(number, sizeof number, zq_step_number(address + 1));
    text.put(number);
    return;
  }
  if (in.cmd == zq_idx_alpha || in.cmd == zq_idx_append) {
    char step_text[zq_step_text_size + 1];
    zq_step_text(address + 1, step_text);
    text.put(in.cmd == zq_idx_alpha ? "\"" : ">\"");
    text.put(step_text);
    text.put('"');
    return;
  }
  const bool end = in.cmd == zq_idx_end;
  if (end && (in.opt & OPT_FINAL_END)) {
    text.put(".end.");
  } else if (mode == LIST_CATALOG) {
    if (end) text.put(" end");
  } else {
    // Only a damaged state file brings a word that names no row.
    text.put(zq_row_exists(in.cmd) ? zq_commands[in.cmd].name : "???");
  }
  text.put(' ');
  if (in.opt & OPT_IND) text.put("ind ");
  if (in.opt & OPT_STACK) {
    text.put(zq_get_stack_string(in.add));
  } else if (in.opt & OPT_NUM) {
    text.put_number("%.2lld", in.add);
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
  zq_listing_text text;
  if (line >= 0 && !zq_flag_test(FLAG_NO_LINE_NUMBERS)) text.put_number("%.2lld ", line);
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
