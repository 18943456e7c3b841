// The register file: the number being entered, LASTX, the stack X Y Z T and
// the data registers R00 to R999, each a 64-bit value with a type tag.
#pragma once

#include <cstdint>
#include <optional>

#include "number/number.h"
#include "state/execution.h"

using zq_cell_index = int64_t;

constexpr zq_cell_index CELL_LITERAL = 0;
constexpr zq_cell_index CELL_L = 1;
constexpr zq_cell_index CELL_X = 2;
constexpr zq_cell_index CELL_Y = 3;
constexpr zq_cell_index CELL_Z = 4;
constexpr zq_cell_index CELL_T = 5;
constexpr zq_cell_index CELL_R00 = 6;
constexpr zq_cell_index zq_data_register_count = 1000;
constexpr zq_cell_index zq_cell_count = CELL_R00 + zq_data_register_count;  // 1006
constexpr zq_cell_index CELL_LAST = zq_cell_count - 1;                      // R999
// The number of data registers is fixed; zq_size keeps it for the state
// file only, and nothing reads it.
extern int64_t zq_size;
// What the index check and the operand resolution give for a register that
// does not exist: the command is then not carried out.
constexpr zq_cell_index zq_no_cell = -1;

enum zq_cell_type : uint8_t {
  REG_NUMBER = 1,
  REG_HMS = 3,
  REG_ALPHA = 4,
  REG_FLAGS = 8,
};

extern uint64_t zq_regs[zq_cell_count];
extern uint8_t zq_reg_types[zq_cell_count];

// One-cell temporary of the exchange and rotate commands and rcl.
extern uint64_t zq_temp;
extern uint8_t zq_temp_type;

// 1: the next lift moves the stack; 0 (after clx): it only sets this back to 1.
extern uint8_t zq_lift;

// Buffer that zq_reg_format_name needs: the longest name, "999:", and its NUL.
constexpr int zq_cell_name_size = 6;

// Text in a cell: up to 8 characters, first in the lowest byte, NUL-padded.
constexpr int zq_cell_text_chars = 8;
// Buffer that zq_cell_unpack_text needs: 8 characters and a NUL.
constexpr int zq_cell_text_size = zq_cell_text_chars + 1;

inline bool zq_tag_is_numeric(uint8_t tag) { return tag & 1u; }
inline bool zq_tag_is_flags(uint8_t tag) { return tag & 8u; }
inline bool zq_tag_is_alpha(uint8_t tag) { return tag == REG_ALPHA; }

// Value and tag always go together. Inline: every step moves cells.
inline void zq_reg_set(zq_cell_index index, uint64_t value, uint8_t tag) {
  zq_regs[index] = value;
  zq_reg_types[index] = tag;
}
inline void zq_reg_set_number(zq_cell_index index, zq_double_64 value) {
  zq_reg_set(index, value, REG_NUMBER);
}
void zq_reg_clear(zq_cell_index index);
// X, Y, Z and T := 0.0; LASTX is kept.
void zq_reg_clear_stack();
// R00 to R999 := 0.0.
void zq_reg_clear_data();
inline void zq_reg_copy(zq_cell_index source, zq_cell_index destination) {
  zq_reg_set(destination, zq_regs[source], zq_reg_types[source]);
}
// The index itself when it lies in 1 to 1005; else shows "NONEXISTENT" and
// gives zq_no_cell. The tag tests give 0 for such an index.
zq_cell_index zq_reg_check_index(zq_cell_index index);
int zq_reg_is_number(zq_cell_index index);
int zq_reg_is_flags(zq_cell_index index);
int zq_reg_is_alpha(zq_cell_index index);
// Inline: every push of a run lifts.
inline void zq_stack_lift() {
  if (zq_lift != 1) {
    zq_lift = 1;
    return;
  }
  zq_reg_copy(CELL_Z, CELL_T);
  zq_reg_copy(CELL_Y, CELL_Z);
  zq_reg_copy(CELL_X, CELL_Y);
}
inline void zq_reg_save_temp(zq_cell_index index) {
  zq_temp = zq_regs[index];
  zq_temp_type = zq_reg_types[index];
}
inline void zq_reg_restore_temp(zq_cell_index index) { zq_reg_set(index, zq_temp, zq_temp_type); }
// The decoded command's operand. The cell it names is register add with
// OPT_NUM, else the stack cell add (a stack letter wins over a number); with
// OPT_IND that cell is the pointer, and the register its value names is the
// target. Each is index-checked, "NONEXISTENT" included, once per command.

// The resolution is shared by the executor's operand check and the handler
// of the command being executed: zq_operand_begin numbers that command, and
// what is resolved for it is kept under its number. With number 0 (a
// handler called on its own, and every caller outside the executor) each
// request resolves afresh; so does one of an outer handler after commands
// it ran itself.
struct zq_operand {
  uint64_t command = 0;
  bool has_cell = false;
  bool has_target = false;
  zq_cell_index cell = zq_no_cell;
  zq_cell_index target = zq_no_cell;
};
extern zq_operand zq_operand_now;
// The number of the command being executed, 0 for none, and the last number
// given.
extern uint64_t zq_operand_command;
extern uint64_t zq_operand_serial;
// Numbers a new command, whose operand is not resolved yet; returns the
// number of the command it interrupts, for zq_operand_end.
inline uint64_t zq_operand_begin() {
  const uint64_t outer = zq_operand_command;
  zq_operand_command = ++zq_operand_serial;
  return outer;
}
inline void zq_operand_end(uint64_t outer) { zq_operand_command = outer; }

// The cell the operand names before its index check.
inline zq_cell_index zq_operand_named_cell() {
  const uint8_t opt = zq_decoded.opt;
  const zq_cell_index cell = zq_decoded.add;
  return (opt & OPT_NUM) && !(opt & OPT_STACK) ? cell + CELL_R00 : cell;
}
inline bool zq_cell_exists(zq_cell_index cell) { return cell >= CELL_L && cell <= CELL_LAST; }
// The index check of a named cell that does not exist, once per command.
zq_cell_index zq_operand_missing_cell(zq_cell_index cell);
// The cell the operand names (the pointer with OPT_IND), or zq_no_cell.
// Inline: nearly every operand names a cell that exists, which passes its
// check silently, the same at every request.
inline zq_cell_index zq_operand_cell() {
  const zq_cell_index cell = zq_operand_named_cell();
  return zq_cell_exists(cell) ? cell : zq_operand_missing_cell(cell);
}
// With OPT_IND, the register the pointer names, or zq_no_cell; a pointer
// without a 32-bit integer part names R00 and leaves DEC_Invalid_operation
// in the status at every request.
zq_cell_index zq_operand_target();
// zq_no_cell / nullopt: "NONEXISTENT" was shown; the handler must then do nothing.
// The register operand: the target with OPT_IND, else the cell.
inline zq_cell_index zq_get_operand_reg() {
  return (zq_decoded.opt & OPT_IND) ? zq_operand_target() : zq_operand_cell();
}
// The operand's value: the content of the cell with OPT_IND or OPT_STACK,
// whatever its tag, else add as an integer.
std::optional<zq_double_64> zq_get_operand_value();
void zq_reg_format_name(zq_cell_index index, char (&out)[zq_cell_name_size]);
const char* zq_get_stack_string(zq_cell_index index);

// The 64 bits of a text cell holding the first min(count, 8) bytes of text.
uint64_t zq_cell_pack_text(const char* text, int64_t count);
// The characters of a text cell before its first NUL, at most min(limit, 8),
// into out with a NUL; returns their count.
int64_t zq_cell_unpack_text(uint64_t value, int64_t limit, char (&out)[zq_cell_text_size]);
