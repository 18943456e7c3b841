// The command table: one constant row per command, identified everywhere by
// its row index (program steps and state files store that index).
#pragma once

#include <cstddef>
#include <cstdint>

enum zq_command_type : uint8_t {
  CMD_TYPE_KEYBD = 0,
  CMD_TYPE_FN = 1,
  CMD_TYPE_FNL1 = 2,
  CMD_TYPE_FNL2 = 3,
  CMD_TYPE_LBL = 4,
  CMD_TYPE_GTO_XEQ = 5,
  CMD_TYPE_PLS_STR = 6,
  CMD_TYPE_LINE_NO = 7,
  CMD_TYPE_ALPHA = 8,
  CMD_TYPE_OPT_ALPHA = 9,
};

enum zq_check_bits : uint8_t {
  CHK_NONE = 0x00,
  CHK_X_NUMERIC = 0x01,
  CHK_Y_NUMERIC = 0x02,
  CHK_STAT_NUMERIC = 0x04,
  CHK_REG_NUMERIC = 0x08,
  CHK_IND_NUMERIC = 0x10,
  CHK_X_FLAGS = 0x20,
};

// The programmable byte of a row.
enum zq_programmable : uint8_t {
  IMMEDIATE_ONLY = 0,  // executed at once, never recorded as a step
  PROGRAMMABLE = 1,
};

struct zq_command {
  const char* name;
  uint8_t cmd_type;
  uint8_t check_mask;
  uint8_t programmable;
  void (*handler)();
};

constexpr int zq_command_count = 199;  // rows 0 to 197 and the end row
constexpr int zq_end_row = zq_command_count - 1;
// Rows 0 to 11 are the keyboard-entry rows "0" to "9", "." and "e".
constexpr int zq_first_named_row = 12;
// The command catalogues begin at "+": the rows before it (the keyboard-entry
// rows, nbr, alpha, append, b, s and cool) are never listed.
constexpr int zq_first_listed_row = 18;

extern const zq_command zq_commands[zq_command_count];

// Whether cmd names a row; only a damaged state file brings other values
// into program memory.
constexpr bool zq_row_exists(int64_t cmd) { return cmd >= 0 && cmd < zq_command_count; }

// Accepted spellings and the command names they stand for.
struct zq_alias {
  const char* alias;
  const char* canonical;
};

constexpr int zq_alias_count = 27;
// Room a word needs to take any canonical name in place.
constexpr size_t zq_canonical_size = 6;

extern const zq_alias zq_aliases[zq_alias_count];

// Rows that the interpreter recognises by index. command_table.cpp checks at
// compile time that each is the row its name finds.
constexpr int zq_idx_nbr = 12;
constexpr int zq_idx_alpha = 13;
constexpr int zq_idx_append = 14;
constexpr int zq_idx_end = 77;
constexpr int zq_idx_xail = 82;
constexpr int zq_idx_exeq = 83;
constexpr int zq_idx_gto = 100;
constexpr int zq_idx_lbl = 110;
constexpr int zq_idx_prompt = 130;
constexpr int zq_idx_pse = 132;
constexpr int zq_idx_rtn = 145;
constexpr int zq_idx_stop = 166;
constexpr int zq_idx_xeq = 194;

// Rewrites an alias in place to its command name; a word that is no alias,
// or whose buffer of size bytes cannot hold the name, is left alone.
void zq_canonical_name(char* word, size_t size);

// The row named by word (an alias is first rewritten in place), or -1.
// Rows 0 to 11 and the end row are never found.
int zq_find_command(char* word, size_t size);

template <size_t N>
int zq_find_command(char (&word)[N]) {
  return zq_find_command(word, N);
}

// 1 for the word "ind" while the parser waits for an operand that may be
// indirect, else 0.
int zq_is_ind(const char* word);

// The name of a cmd_type value, for messages.
const char* zq_get_command_type(int type);

// Handler of the end row; the parser never yields that row.
void zq_cmd_newline();
