// Program memory: one flat array of 32-bit words holding the steps of all
// programs from word 1 to the final END, and the recorder that writes them.
#pragma once

#include <array>
#include <cstdint>

#include "interp/command_table.h"
#include "number/number.h"
#include "state/instr.h"

constexpr int64_t zq_prog_size = 65536;

// The last word a step may begin at: the longest step, 5 words, then ends at
// 65533 and the final END still fits.
constexpr int64_t zq_last_step_start = 65529;

// Names in steps (labels, jump targets, file names) keep 8 characters in two
// words; texts of alpha and append keep 16 in four.
constexpr int zq_step_name_size = 8;
constexpr int zq_step_text_size = 16;

extern uint32_t zq_prog[zq_prog_size];
// The current step; while recording, the insertion point.
extern int64_t pc;
extern int64_t zq_final_end;

// Step layouts, after the instruction word:
//   number (nbr)             low 32 bits, high 32 bits of the value      3 words
//   alpha, append            16 text bytes, NUL-padded                   5 words
//   lbl with a name          two name words                              3 words
//   gto, xeq with a name     dest_adr, two name words                    4 words
//   gto, xeq otherwise       dest_adr                                    2 words
//   file command, a name     two name words                              3 words
//   file command otherwise   one word 0                                  2 words
//   every other command      none; the operand is in opt and add         1 word
// Text bytes go four to a word, the first in the lowest byte.

// The word at address, and the instruction word there; outside memory each
// reads as word 0.
inline uint32_t zq_word_at(int64_t address) {
  return address >= 0 && address < zq_prog_size ? zq_prog[address] : 0;
}
inline zq_instr zq_step_at(int64_t address) { return zq_instr_unpack(zq_word_at(address)); }
// The name kept in the two name words from address, NUL-terminated.
void zq_step_name(int64_t address, char (&name)[zq_step_name_size + 1]);
// A name (at most 8 characters) as the two name words of a step, and back.
void zq_pack_name(const char* name, uint32_t& word0, uint32_t& word1);
void zq_unpack_name(uint32_t word0, uint32_t word1, char (&name)[zq_step_name_size + 1]);
// The text kept in the four text words from address, NUL-terminated.
void zq_step_text(int64_t address, char (&text)[zq_step_text_size + 1]);
// The number kept in the two number words from address.
inline zq_double_64 zq_step_number(int64_t address) {
  return static_cast<zq_double_64>(zq_word_at(address)) |
         (static_cast<zq_double_64>(zq_word_at(address + 1)) << 32);
}
// Whether the step at address is an END.
bool zq_is_end_at(int64_t address);

// All words 0 and pc 1; zq_final_end is left for zq_put_final_end.
void zq_clear_program_memory();
void zq_put_final_end(int64_t address);

// Records zq_decoded (with zq_text and the literal cell) as one step at pc.
void zq_calc_load_program();

// Words of a step of command cmd, of a row of type cmd_type, with the option
// bits opt, as recorded (the layouts above); 0 for a type without a step
// layout. An END counts 1 here.
constexpr int64_t zq_step_words_of(int32_t cmd, int cmd_type, uint8_t opt) {
  const bool named = opt & OPT_STR;
  switch (cmd_type) {
    case CMD_TYPE_FN: return cmd == zq_idx_nbr ? 3 : 1;
    case CMD_TYPE_FNL1:
    case CMD_TYPE_FNL2: return 1;
    case CMD_TYPE_ALPHA: return 5;
    case CMD_TYPE_GTO_XEQ: return named ? 4 : 2;
    case CMD_TYPE_LBL:
      if (named) return 3;
      return (opt & (OPT_NUM | OPT_CHAR)) ? 1 : 2;
    case CMD_TYPE_PLS_STR: return named ? 3 : 2;
    default: return 0;
  }
}

// The length of a step follows from its row (the cmd field's nine bits)
// and, for labels, jumps and file commands, from whether it has a name and
// whether a number or letter. Two tables that the command table's unit
// makes from its rows at compile time give it: one by those bits, and one by
// row for the rows that decide it alone, as most do.
constexpr uint32_t zq_length_key(uint32_t word) {
  const uint32_t opt = word >> zq_instr_opt_shift;
  return (word & zq_instr_cmd_mask) << 2 | ((opt & OPT_STR) ? 2 : 0) | ((opt & (OPT_NUM | OPT_CHAR)) ? 1 : 0);
}
using zq_length_table = std::array<uint8_t, (zq_instr_cmd_mask + 1) << 2>;
// In the table: a cmd field that names no row with a step layout.
constexpr uint8_t zq_no_layout = 0xff;

// The lengths by key for the steps of these rows; the table itself is
// zq_step_lengths.
constexpr zq_length_table zq_make_length_table(const zq_command (&rows)[zq_command_count]) {
  zq_length_table words{};
  words.fill(zq_no_layout);
  for (int32_t cmd = 0; cmd < zq_command_count; ++cmd) {
    for (const int opt : {0, int{OPT_NUM}, int{OPT_STR}, OPT_STR | OPT_NUM}) {
      const uint8_t bits = static_cast<uint8_t>(opt);
      const int64_t length = cmd == zq_idx_end ? 0 : zq_step_words_of(cmd, rows[cmd].cmd_type, bits);
      if (cmd == zq_idx_end || length > 0)
        words[zq_length_key(zq_instr_pack({cmd, bits, 0}))] = static_cast<uint8_t>(length);
    }
  }
  return words;
}
extern const zq_length_table zq_step_lengths;

// By row: a row's one length, or zq_length_varies where its options decide.
using zq_row_length_table = std::array<uint8_t, zq_instr_cmd_mask + 1>;
constexpr uint8_t zq_length_varies = 0xfe;
constexpr zq_row_length_table zq_make_row_length_table(const zq_length_table& by_key) {
  zq_row_length_table words{};
  for (uint32_t cmd = 0; cmd <= zq_instr_cmd_mask; ++cmd) {
    const uint8_t first = by_key[cmd << 2];
    bool same = true;
    for (uint32_t k = 1; k < 4; ++k) same = same && by_key[(cmd << 2) | k] == first;
    words[cmd] = same ? first : zq_length_varies;
  }
  return words;
}
extern const zq_row_length_table zq_row_step_lengths;

// Reports a step of no known layout and stops the run; gives 1.
int64_t zq_unknown_step_length(int64_t address);

// Length in words of the step at address, 0 for every END. Inline: every
// step of a run advances through it.
inline int64_t zq_pc_inc(int64_t address) {
  const uint32_t word = zq_word_at(address);
  uint8_t words = zq_row_step_lengths[word & zq_instr_cmd_mask];
  if (words == zq_length_varies) words = zq_step_lengths[zq_length_key(word)];
  return words != zq_no_layout ? words : zq_unknown_step_length(address);
}
// Length for walkers: an ordinary END counts 1, the final END 0.
int64_t zq_get_step_length(int64_t address);
// Whether the step at address has a layout, so that zq_pc_inc gives its
// length without a complaint; an END has one.
bool zq_step_has_layout(int64_t address);
