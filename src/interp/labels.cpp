// Labels: the chain relink and catalogue, global labels found along the
// chain, local labels in one program, jump destinations and their caches.
#include "interp/labels.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "interp/command_table.h"
#include "interp/executor.h"
#include "interp/navigation.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/registers.h"

char zq_labels[zq_label_capacity][zq_label_name_size];
int64_t zq_label_count = 0;
uint8_t zq_xeq_push = 1;

namespace {

// Indirect label numbers and register numbers end here.
constexpr int64_t zq_last_register = 999;

bool zq_is_end(const zq_instr& in) { return in.cmd == zq_idx_end; }
bool zq_is_global_label(const zq_instr& in) { return in.cmd == zq_idx_lbl && (in.opt & OPT_STR); }
bool zq_is_jump(const zq_instr& in) { return in.cmd == zq_idx_gto || in.cmd == zq_idx_xeq; }

// The labels of memory, indexed once while the jumps of a load are
// resolved, so that each jump finds its destination without a walk: the
// resolution then takes time in proportion to the size of memory. An entry
// is a global label by its two name words, or a local one by its kind (the
// option bit), its program (the count of ENDs before it) and its number or
// letter; entries of one key are in memory order, so the first of a local
// key and the last of a global one answer as the searches would.
struct zq_label_entry {
  uint8_t kind;
  uint32_t program;
  uint64_t key;
  int64_t address;
};

constexpr bool zq_entry_before(const zq_label_entry& a, const zq_label_entry& b) {
  if (a.kind != b.kind) return a.kind < b.kind;
  if (a.program != b.program) return a.program < b.program;
  if (a.key != b.key) return a.key < b.key;
  return a.address < b.address;
}

// At most one label and one END per word of memory.
zq_label_entry zq_label_index[zq_prog_size];
int64_t zq_label_index_count = 0;
int64_t zq_end_index[zq_prog_size];
int64_t zq_end_index_count = 0;
bool zq_label_index_valid = false;

// Indexes memory up to the final END; false (no index) when a step there
// has no layout, whose length only the searches' own walks would report.
bool zq_index_labels() {
  zq_label_index_count = 0;
  zq_end_index_count = 0;
  for (int64_t a = 1; a < zq_final_end; a = zq_walk_next(a)) {
    if (!zq_step_has_layout(a)) return false;
    const zq_instr in = zq_step_at(a);
    const uint32_t program = static_cast<uint32_t>(zq_end_index_count);
    if (zq_is_end(in)) {
      zq_end_index[zq_end_index_count++] = a;
    } else if (in.cmd == zq_idx_lbl) {
      if (in.opt & OPT_STR) {
        const uint64_t name = zq_word_at(a + 1) | uint64_t{zq_word_at(a + 2)} << 32;
        zq_label_index[zq_label_index_count++] = {OPT_STR, 0, name, a};
      }
      for (const uint8_t kind : {OPT_NUM, OPT_CHAR}) {
        if (in.opt & kind) zq_label_index[zq_label_index_count++] = {kind, program, in.add, a};
      }
    }
  }
  std::sort(zq_label_index, zq_label_index + zq_label_index_count, zq_entry_before);
  return true;
}

// The indexed entries of one key, in memory order.
std::pair<const zq_label_entry*, const zq_label_entry*> zq_indexed(uint8_t kind, uint32_t program,
                                                                   uint64_t key) {
  const zq_label_entry probe{kind, program, key, 0};
  const zq_label_entry* first =
      std::lower_bound(zq_label_index, zq_label_index + zq_label_index_count, probe, zq_entry_before);
  const zq_label_entry* last = first;
  while (last != zq_label_index + zq_label_index_count && last->kind == kind && last->program == program &&
         last->key == key) {
    ++last;
  }
  return {first, last};
}

// The local label with the given option bit and add, in the program that
// holds pc, from its line 1 to its END; 0 when there is none.
int64_t zq_find_local_label(uint8_t kind, int64_t add) {
  if (zq_label_index_valid) {
    // The program of pc: the count of ENDs before it.
    const uint32_t program = static_cast<uint32_t>(
        std::lower_bound(zq_end_index, zq_end_index + zq_end_index_count, pc) - zq_end_index);
    const auto [first, last] = zq_indexed(kind, program, static_cast<uint64_t>(add));
    return first != last ? first->address : 0;
  }
  // The bound ends the walk also where damaged memory would jump past the final END.
  for (int64_t a = zq_line_to_address(1); a <= zq_final_end; a += zq_pc_inc(a)) {
    const zq_instr in = zq_step_at(a);
    if (zq_is_end(in)) break;
    if (in.cmd == zq_idx_lbl && (in.opt & kind) && in.add == add) return a;
  }
  return 0;
}

void zq_show_not_allowed_target() {
  zq_show_message(MSG_TEXT, "NONEXISTENT: Not allowed indirect target type or value.", nullptr);
}

// The destination named by the register that cell points through.
int64_t zq_find_indirect_target(zq_cell_index cell) {
  const uint64_t value = zq_regs[cell];
  switch (zq_reg_types[cell]) {
    case REG_NUMBER: {
      zqm_take_error();
      const int64_t n = zqm_int_from_zq_double_64(zqm_int(value));
      // An integer part outside 32 bits reads as 0; its status is dropped here.
      zqm_take_error();
      if (n > zq_last_register) {
        zq_show_not_allowed_target();
        return 0;
      }
      return zq_find_numeric_label(n);
    }
    case REG_ALPHA: {
      const int first = static_cast<unsigned char>(value);
      const int second = static_cast<unsigned char>(value >> 8);
      if (zq_is_local_label_char(first) && second == 0) return zq_find_char_label(first);
      return zq_find_string_label(static_cast<uint32_t>(value), static_cast<uint32_t>(value >> 32));
    }
    default: zq_show_not_allowed_target(); return 0;
  }
}

}  // namespace

void zq_link_labels() {
  int64_t previous = 1;
  bool first = true;
  for (int64_t a = 1; a < zq_final_end; a = zq_walk_next(a)) {
    zq_instr in = zq_step_at(a);
    if (!zq_is_end(in) && !zq_is_global_label(in)) continue;
    if (first) {
      in.add = 1;
      in.opt |= OPT_CHAIN_HEAD;
      first = false;
    } else {
      in.add = static_cast<uint16_t>(previous);
    }
    zq_prog[a] = zq_instr_pack(in);
    previous = a;
  }
  zq_instr final_end = zq_step_at(zq_final_end);
  final_end.add = static_cast<uint16_t>(previous);
  zq_prog[zq_final_end] = zq_instr_pack(final_end);

  int64_t count = 0;
  for (int64_t a = 1; a < zq_final_end && count < zq_label_capacity; a = zq_walk_next(a)) {
    if (!zq_is_global_label(zq_step_at(a))) continue;
    char name[zq_step_name_size + 1];
    zq_step_name(a + 1, name);
    std::memset(zq_labels[count], 0, zq_label_name_size);
    std::memcpy(zq_labels[count], name, std::strlen(name));
    ++count;
  }
  zq_label_count = count;
}

int64_t zq_find_string_label(uint32_t word0, uint32_t word1) {
  if (zq_final_end == 1) {
    zq_report_error(ERR_NONEXISTENT);
    return 1;
  }
  if (zq_label_index_valid) {
    const auto [first, last] = zq_indexed(OPT_STR, 0, word0 | uint64_t{word1} << 32);
    if (first != last) return (last - 1)->address;
  } else {
    for (int64_t a = zq_chain_last(); a != 0; a = zq_chain_next(a)) {
      if (zq_is_global_label(zq_step_at(a)) && zq_word_at(a + 1) == word0 && zq_word_at(a + 2) == word1)
        return a;
    }
  }
  char name[zq_step_name_size + 1];
  zq_unpack_name(word0, word1, name);
  std::printf("NONEXISTENT: String Label %s not found.\n", name);
  return 0;
}

int64_t zq_find_global_label(const char* name) {
  uint32_t word0 = 0;
  uint32_t word1 = 0;
  zq_pack_name(name, word0, word1);
  return zq_find_string_label(word0, word1);
}

int64_t zq_find_numeric_label(int64_t n) {
  if (zq_final_end == 1) {
    if (!zq_flag_test(FLAG_IGNORE_ERROR))
      zq_show_message(MSG_TEXT, "No program resident in memory.", nullptr);
    zq_report_error(ERR_NONEXISTENT);
    return 1;
  }
  const int64_t address = zq_find_local_label(OPT_NUM, n);
  if (address == 0 && !zq_flag_test(FLAG_IGNORE_ERROR)) {
    std::printf("Numeric Label %d not found.\n", static_cast<int>(n));
  }
  return address;
}

int64_t zq_find_char_label(int c) {
  if (zq_final_end == 1) {
    zq_show_message(MSG_TEXT, "NONEXISTENT: No program resident in memory.", nullptr);
    return 1;
  }
  const int64_t address = zq_find_local_label(OPT_CHAR, c);
  if (address == 0) {
    const char character = static_cast<char>(c);
    zq_show_message(MSG_CHAR, "NONEXISTENT: Character Label not found.", &character);
  }
  return address;
}

int64_t zq_find_branch_target() {
  const uint8_t opt = zq_decoded.opt;
  const uint16_t add = zq_decoded.add;
  if (!(opt & OPT_IND)) {
    if (opt & OPT_STR) {
      // A step of a running program keeps its name after dest_adr; a typed
      // command, or one of an xail line, has it in zq_text.
      if (zq_mode == MODE_RUN && !zq_xail)
        return zq_find_string_label(zq_word_at(pc + 2), zq_word_at(pc + 3));
      return zq_find_global_label(zq_text);
    }
    if (opt & OPT_NUM) return zq_find_numeric_label(add);
    if (opt & OPT_CHAR) return zq_find_char_label(add & 0xff);
    return 0;
  }
  if (add > zq_last_register) {
    zq_show_message(MSG_TEXT, "NONEXISTENT: Not allowed indirect value.", nullptr);
    return 0;
  }
  const zq_cell_index cell = zq_reg_check_index(add + ((opt & OPT_NUM) ? CELL_R00 : 0));
  if (cell == zq_no_cell) return 0;
  return zq_find_indirect_target(cell);
}

void zq_report_missing_target() {
  const bool swallowed = zq_flag_test(FLAG_IGNORE_ERROR);
  zq_report_error(ERR_NONEXISTENT);
  if (!swallowed) {
    zq_mode = MODE_IMMEDIATE;
    zq_ret_depth = 0;
  }
}

void zq_close_last_program() {
  if (zq_final_end == 1) return;
  if (zq_address_to_line(zq_final_end) < 2) {
    std::puts("line_no is zero");
    return;
  }
  // Recorded memory ends at word 65534 at most; only a damaged state file
  // puts the final END on the last word, where no word follows it.
  if (zq_final_end >= zq_prog_size - 1) {
    std::puts("Out of memory! Error 4.");
    return;
  }
  zq_prog[zq_final_end] = zq_instr_pack({zq_idx_end, 0, 0});
  zq_put_final_end(zq_final_end + 1);
}

void zq_resolve_jumps() {
  // The pass runs each jump step itself, also when a load was started from
  // an xail line, and leaves the advance and the pending returns of a
  // running program as it found them.
  const int64_t xail = zq_xail;
  const uint8_t advance = zq_advance;
  const int64_t depth = zq_ret_depth;
  zq_xail = 0;
  // The pass only writes destination caches, so one index serves it whole.
  zq_label_index_valid = zq_index_labels();
  for (int64_t a = 1; a < zq_final_end; a = zq_walk_next(a)) {
    const zq_instr in = zq_step_at(a);
    if (!zq_is_jump(in) || (in.opt & OPT_IND)) continue;
    pc = a;
    zq_mode = MODE_RUN;
    const uint8_t trace = zq_trace;
    zq_trace = 0;
    zq_xeq_push = 0;
    zq_execute();
    zq_xeq_push = 1;
    zq_trace = trace;
    zq_mode = MODE_IMMEDIATE;
  }
  zq_label_index_valid = false;
  zq_xail = xail;
  zq_advance = advance;
  zq_ret_depth = depth;
}

void zq_clear_jump_caches() {
  for (int64_t a = 1; a < zq_final_end; a = zq_walk_next(a)) {
    if (zq_is_jump(zq_step_at(a))) zq_prog[a + 1] = 0;
  }
}
