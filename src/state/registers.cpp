// The register file and its primitives: setting, copying and testing cells,
// the stack lift, the temporary, and resolving a command's register operand.
#include "state/registers.h"

#include <cstdio>

#include "state/errors.h"
#include "state/execution.h"
#include "state/instr.h"

uint64_t zq_regs[zq_cell_count];
uint8_t zq_reg_types[zq_cell_count];
uint64_t zq_temp;
uint8_t zq_temp_type;
uint8_t zq_lift = 1;
int64_t zq_size = zq_data_register_count;

namespace {

// Letters of the cells 0 to 5 in cell names; cell 0 has none.
constexpr char zq_stack_letters[] = "?lxyzt";
constexpr const char* zq_stack_strings[] = {"l", "x", "y", "z", "t"};

}  // namespace

void zq_reg_clear(zq_cell_index index) { zq_reg_set(index, zqm_k_0, REG_NUMBER); }

void zq_reg_clear_stack() {
  for (zq_cell_index cell = CELL_X; cell <= CELL_T; ++cell) zq_reg_clear(cell);
}

void zq_reg_clear_data() {
  for (zq_cell_index cell = CELL_R00; cell <= CELL_LAST; ++cell) zq_reg_clear(cell);
}

zq_cell_index zq_reg_check_index(zq_cell_index index) {
  if (zq_cell_exists(index)) return index;
  zq_show_message(MSG_TEXT, "NONEXISTENT", nullptr);
  return zq_no_cell;
}

int zq_reg_is_number(zq_cell_index index) {
  return zq_reg_check_index(index) != zq_no_cell && zq_tag_is_numeric(zq_reg_types[index]);
}

int zq_reg_is_flags(zq_cell_index index) {
  return zq_reg_check_index(index) != zq_no_cell && zq_tag_is_flags(zq_reg_types[index]);
}

int zq_reg_is_alpha(zq_cell_index index) {
  return zq_reg_check_index(index) != zq_no_cell && zq_tag_is_alpha(zq_reg_types[index]);
}

zq_operand zq_operand_now;
uint64_t zq_operand_command = 0;
uint64_t zq_operand_serial = 0;

namespace {

// The memo of the command being executed, started anew for a new command.
zq_operand* zq_operand_memo() {
  if (zq_operand_command == 0) return nullptr;
  if (zq_operand_now.command != zq_operand_command) zq_operand_now = zq_operand{zq_operand_command};
  return &zq_operand_now;
}

}  // namespace

zq_cell_index zq_operand_missing_cell(zq_cell_index cell) {
  zq_operand* const memo = zq_operand_memo();
  if (memo && memo->has_cell) return memo->cell;
  const zq_cell_index checked = zq_reg_check_index(cell);
  if (memo) {
    memo->has_cell = true;
    memo->cell = checked;
  }
  return checked;
}

zq_cell_index zq_operand_target() {
  const zq_cell_index pointer = zq_operand_cell();
  if (pointer == zq_no_cell) return zq_no_cell;
  // A pointer without a 32-bit integer value converts to 0, that is R00.
  // The conversion runs at every request: the status it leaves is the
  // caller's to see, also after the caller dropped what came before.
  const int64_t n = zqm_int_from_zq_double_64(zq_regs[pointer]);
  zq_operand* const memo = zq_operand_memo();
  if (memo && memo->has_target) return memo->target;
  const zq_cell_index target = zq_reg_check_index(n + CELL_R00);
  if (memo) {
    memo->has_target = true;
    memo->target = target;
  }
  return target;
}

std::optional<zq_double_64> zq_get_operand_value() {
  if (!(zq_decoded.opt & (OPT_IND | OPT_STACK))) return zqm_zq_double_64_from_int(zq_decoded.add);
  // With ind the value is the pointer register's own content, whatever its tag.
  const zq_cell_index cell = zq_operand_cell();
  if (cell == zq_no_cell) return std::nullopt;
  return zq_regs[cell];
}

void zq_reg_format_name(zq_cell_index index, char (&out)[zq_cell_name_size]) {
  if (index >= CELL_R00 && index <= CELL_LAST) {
    std::snprintf(out, sizeof out, "%d:", static_cast<int>(index - CELL_R00));
  } else {
    // Cell 0 and indexes of no cell get the '?' of cell 0.
    std::snprintf(out, sizeof out,
                  "%c:", index >= CELL_L && index < CELL_R00 ? zq_stack_letters[index] : '?');
  }
}

const char* zq_get_stack_string(zq_cell_index index) {
  if (index >= CELL_L && index <= CELL_T) return zq_stack_strings[index - CELL_L];
  // Only a program word that the parser did not make (a damaged state file) gets here.
  std::fputs("Incorrect stack address in zq_get_stack_string.", stdout);
  return " ";
}

uint64_t zq_cell_pack_text(const char* text, int64_t count) {
  uint64_t value = 0;
  for (int64_t i = 0; i < count && i < zq_cell_text_chars; ++i) {
    value |= uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
  }
  return value;
}

int64_t zq_cell_unpack_text(uint64_t value, int64_t limit, char (&out)[zq_cell_text_size]) {
  int64_t count = 0;
  while (count < limit && count < zq_cell_text_chars) {
    const char c = static_cast<char>((value >> (8 * count)) & 0xffu);
    if (c == '\0') break;
    out[count++] = c;
  }
  out[count] = '\0';
  return count;
}
