// Program memory and the recorder. The length of a step follows from its
// instruction word alone, so memory is walked, never indexed.
#include "interp/program.h"

#include <cstdio>

#include "interp/command_table.h"
#include "interp/executor.h"
#include "state/execution.h"
#include "state/instr.h"
#include "state/registers.h"

uint32_t zq_prog[zq_prog_size];
int64_t pc = 1;
int64_t zq_final_end = 1;

namespace {

constexpr int zq_final_end_link = 1;  // the link of a final END with no chain before it

// The cmd_type of a row, or -1 for a cmd that names no row (damaged memory).
int zq_row_type(int32_t cmd) { return zq_row_exists(cmd) ? zq_commands[cmd].cmd_type : -1; }

int64_t zq_step_words(const zq_instr& in) { return zq_step_words_of(in.cmd, zq_row_type(in.cmd), in.opt); }

// Text bytes go four to a word, the first in the lowest byte; the first
// count bytes of text, NUL-padded after its end, fill count / 4 words.
constexpr int zq_bytes_per_word = 4;
constexpr int zq_most_text_words = zq_step_text_size / zq_bytes_per_word;

void zq_pack_bytes(const char* text, int count, uint32_t* words) {
  bool ended = false;
  for (int i = 0; i < count; ++i) {
    ended = ended || text[i] == '\0';
    const uint32_t byte = ended ? 0 : static_cast<unsigned char>(text[i]);
    uint32_t& word = words[i / zq_bytes_per_word];
    if (i % zq_bytes_per_word == 0) word = 0;
    word |= byte << (8 * (i % zq_bytes_per_word));
  }
}

void zq_unpack_bytes(const uint32_t* words, int count, char* text) {
  for (int i = 0; i < count; ++i) {
    text[i] = static_cast<char>(words[i / zq_bytes_per_word] >> (8 * (i % zq_bytes_per_word)));
  }
  text[count] = '\0';
}

void zq_store_bytes(int64_t address, const char* text, int count) {
  uint32_t words[zq_most_text_words];
  zq_pack_bytes(text, count, words);
  for (int i = 0; i < count / zq_bytes_per_word; ++i) zq_prog[address + i] = words[i];
}

void zq_load_bytes(int64_t address, char* text, int count) {
  uint32_t words[zq_most_text_words];
  for (int i = 0; i < count / zq_bytes_per_word; ++i) words[i] = zq_word_at(address + i);
  zq_unpack_bytes(words, count, text);
}

}  // namespace

void zq_pack_name(const char* name, uint32_t& word0, uint32_t& word1) {
  uint32_t words[2];
  zq_pack_bytes(name, zq_step_name_size, words);
  word0 = words[0];
  word1 = words[1];
}

void zq_unpack_name(uint32_t word0, uint32_t word1, char (&name)[zq_step_name_size + 1]) {
  const uint32_t words[2] = {word0, word1};
  zq_unpack_bytes(words, zq_step_name_size, name);
}

bool zq_is_end_at(int64_t address) { return zq_step_at(address).cmd == zq_idx_end; }

void zq_step_name(int64_t address, char (&name)[zq_step_name_size + 1]) {
  zq_load_bytes(address, name, zq_step_name_size);
}

void zq_step_text(int64_t address, char (&text)[zq_step_text_size + 1]) {
  zq_load_bytes(address, text, zq_step_text_size);
}

void zq_clear_program_memory() {
  for (uint32_t& word : zq_prog) word = 0;
  pc = 1;
}

void zq_put_final_end(int64_t address) {
  zq_prog[address] = zq_instr_pack({zq_idx_end, OPT_FINAL_END, zq_final_end_link});
  zq_final_end = address;
}

void zq_calc_load_program() {
  const zq_command& row = zq_commands[zq_decoded.cmd];
  if (row.programmable != PROGRAMMABLE) {
    std::printf("Command %s is not programmable.\n", row.name);
  } else if (pc < 1 || pc > zq_last_step_start) {
    // pc below word 1 can only come from damaged state; refusing it too
    // keeps every write inside memory.
    std::puts("Out of memory! Error 4.");
  } else {
    const int64_t length = zq_step_words(zq_decoded);
    // The word at pc, normally the final END, stays right behind the step.
    zq_prog[pc + length] = zq_prog[pc];
    zq_prog[pc] = zq_instr_pack(zq_decoded);
    // dest_adr and the word of a file command without a name are 0.
    for (int64_t i = 1; i < length; ++i) zq_prog[pc + i] = 0;
    const bool named = zq_decoded.opt & OPT_STR;
    switch (row.cmd_type) {
      case CMD_TYPE_FN:
        if (zq_decoded.cmd == zq_idx_nbr) {
          const zq_double_64 value = zq_regs[CELL_LITERAL];
          zq_prog[pc + 1] = static_cast<uint32_t>(value);
          zq_prog[pc + 2] = static_cast<uint32_t>(value >> 32);
        }
        break;
      case CMD_TYPE_ALPHA: zq_store_bytes(pc + 1, zq_text, zq_step_text_size); break;
      case CMD_TYPE_LBL:
      case CMD_TYPE_PLS_STR:
        if (named) zq_store_bytes(pc + 1, zq_text, zq_step_name_size);
        break;
      case CMD_TYPE_GTO_XEQ:
        if (named) zq_store_bytes(pc + 2, zq_text, zq_step_name_size);
        break;
      default: break;
    }
    pc += length;
  }
  // Also after a refusal, so memory in use ends where recording stands.
  zq_final_end = pc;
}

[[gnu::cold]] int64_t zq_unknown_step_length(int64_t address) {
  const zq_instr in = zq_step_at(address);
  std::printf("Unknown Command type %s at pc = %d in zq_pc_inc().\n",
              zq_get_command_type(zq_row_type(in.cmd)), static_cast<int>(address));
  // A step of unknown length ends a run as stop does; the caller moves on by
  // one word.
  zq_stop_program();
  return 1;
}

bool zq_step_has_layout(int64_t address) {
  const zq_instr in = zq_step_at(address);
  return in.cmd == zq_idx_end || zq_step_words(in) > 0;
}

int64_t zq_get_step_length(int64_t address) {
  const int64_t length = zq_pc_inc(address);
  if (length != 0) return length;
  const uint8_t opt = zq_step_at(address).opt;
  return opt == 0 || opt == OPT_CHAIN_HEAD ? 1 : 0;
}
