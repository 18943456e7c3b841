// The parser state machine: classifies each word by what the pending command
// may take next, completes commands with their operands and executes them.
#include "interp/parser.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "interp/command_table.h"
#include "interp/executor.h"
#include "interp/labels.h"
#include "interp/words.h"
#include "number/number.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/registers.h"
#include "state/stack_display.h"

uint32_t zq_parse_state = EX_CMD_NUM;
uint64_t zq_arg_kind = 0;

zq_instr zq_decoded_saved;
uint32_t zq_parse_state_saved = EX_CMD_NUM;
uint64_t zq_arg_kind_saved = 0;

namespace {

constexpr int zq_command_type_count = CMD_TYPE_OPT_ALPHA + 1;

// The state after a command that wants an operand, by its cmd_type; the
// types without an operand never wait.
constexpr uint32_t zq_expect_after_command[zq_command_type_count] = {
    EX_CMD_NUM,      // CMD_TYPE_KEYBD
    EX_CMD_NUM,      // CMD_TYPE_FN
    EX_IND_NUM_STK,  // CMD_TYPE_FNL1
    EX_IND_NUM,      // CMD_TYPE_FNL2
    EX_NUM_STR,      // CMD_TYPE_LBL
    EX_IND_NUM_STR,  // CMD_TYPE_GTO_XEQ
    EX_STR,          // CMD_TYPE_PLS_STR
    EX_NUM_TERM,     // CMD_TYPE_LINE_NO
    EX_ERR,          // CMD_TYPE_ALPHA
    EX_STR_TERM,     // CMD_TYPE_OPT_ALPHA
};

// The state after "ind"; only the three types whose states accept "ind"
// are ever looked up.
constexpr uint32_t zq_expect_after_ind[zq_command_type_count] = {
    EX_CMD_NUM,  // CMD_TYPE_KEYBD
    EX_CMD_NUM,  // CMD_TYPE_FN
    EX_NUM_STK,  // CMD_TYPE_FNL1
    EX_NUM_STK,  // CMD_TYPE_FNL2
    EX_CMD_NUM,  // CMD_TYPE_LBL
    EX_NUM_STK,  // CMD_TYPE_GTO_XEQ
    EX_CMD_NUM,  // CMD_TYPE_PLS_STR
    EX_CMD_NUM,  // CMD_TYPE_LINE_NO
    EX_CMD_NUM,  // CMD_TYPE_ALPHA
    EX_CMD_NUM,  // CMD_TYPE_OPT_ALPHA
};

// The rows that a command line run by xail may not contain.
constexpr int zq_xail_refused_rows[] = {
    zq_idx_lbl,  zq_idx_gto, zq_idx_xeq,    zq_idx_exeq, zq_idx_rtn,
    zq_idx_stop, zq_idx_pse, zq_idx_prompt, zq_idx_end,  zq_idx_xail,
};

// The number test converts at most this many characters, an added "1"
// included; the number layer reads a word with a leading 'e' only up to
// zq_e_word_limit characters.
constexpr size_t zq_number_text_limit = 39;
constexpr size_t zq_e_word_limit = 30;

enum class zq_word_class { command, number, ind, stack_letter, stack_st, text };

// Completes the decoded command and hands it to the executor.
void zq_parse_execute() {
  zq_parse_state = EX_CMD_NUM;
  zq_execute();
}

// A refusal: the waiting command is dropped.
int zq_parse_refuse() {
  zq_parse_state = EX_CMD_NUM;
  return 0;
}

bool zq_state_takes_names(uint32_t state) {
  return state == EX_STR || state == EX_NUM_STR || state == EX_IND_NUM_STR || state == EX_STR_TERM;
}

bool zq_state_refuses_text(uint32_t state) {
  return state == EX_ERR || state == EX_NUM_STK || state == EX_IND_NUM || state == EX_IND_NUM_STK ||
         state == EX_NUM_TERM;
}

// A number word as the operand of a waiting command: its integer part cut to
// 16 bits (a negative value keeps its low bits, so -1 gives 65535).
uint16_t zq_operand_number(char* word, size_t size) {
  constexpr int64_t zq_add_max = 65535;
  int64_t value = zqm_int_from_zq_double_64(zqm_zq_double_64_from_string(word, size, 1));
  if (value > zq_add_max) value = zq_add_max;
  return static_cast<uint16_t>(value);
}

// A text word: an alpha text, a local label letter or a name operand.
// Returns 0 for an unknown word in command position.
int zq_parse_text() {
  if (zq_state_takes_names(zq_parse_state)) zq_remove_char(zq_text, '"');
  const size_t prefix = static_cast<size_t>(zq_get_string_prefix_len(zq_text));
  if (prefix > 0) {
    zq_strip_string_prefix(prefix);
    zq_decoded.cmd = prefix == 1 ? zq_idx_alpha : zq_idx_append;
  } else if (zq_parse_state != EX_CMD_NUM && zq_text[0] != '\0' && zq_text[1] == '\0' &&
             zq_is_local_label_char(static_cast<unsigned char>(zq_text[0]))) {
    zq_decoded.opt = OPT_CHAR;
    zq_decoded.add = static_cast<unsigned char>(zq_text[0]);
  } else if (zq_parse_state == EX_CMD_NUM) {
    if (!zq_xail) zq_report_error(ERR_NONEXISTENT);
    return 0;
  } else {
    zq_decoded.opt = OPT_STR;
  }
  zq_parse_execute();
  return 1;
}

// Classifies a word by the first class that fits it and acts on it.
int zq_parse_classified(char* word, size_t size, int64_t row) {
  zq_word_class kind = zq_word_class::text;
  if (row >= 0) {
    kind = zq_word_class::command;
  } else if (zq_is_number(word)) {
    kind = zq_word_class::number;
  } else if (zq_is_ind(word)) {
    kind = zq_word_class::ind;
  } else if (const int stack = zq_stack_word(word); stack != 0) {
    kind = stack == 1 ? zq_word_class::stack_letter : zq_word_class::stack_st;
  } else if (zq_parse_state == EX_CMD_NUM && zq_text[0] == '.' && zq_text[1] != '\0') {
    // A period and a name: xeq of that name.
    zq_decoded.cmd = zq_idx_xeq;
    zq_decoded.opt = OPT_STR;
    zq_parse_state = EX_STR;
    zq_remove_char(zq_text, '.');
  }

  if (kind == zq_word_class::number && zq_parse_state == EX_STR) {
    puts("Error Number Not Expected.");
    return zq_parse_refuse();
  }
  if (kind == zq_word_class::text && zq_state_refuses_text(zq_parse_state)) {
    printf("Unknown Command. %s\n", zq_text);
    return zq_parse_refuse();
  }

  switch (kind) {
    case zq_word_class::command: {
      const uint8_t type = zq_commands[row].cmd_type;
      zq_decoded.cmd = static_cast<int32_t>(row);
      if (type == CMD_TYPE_FN) {
        zq_parse_execute();
      } else {
        zq_arg_kind = type;
        zq_parse_state = type < zq_command_type_count ? zq_expect_after_command[type] : EX_CMD_NUM;
      }
      return 1;
    }
    case zq_word_class::number:
      if (zq_parse_state == EX_CMD_NUM) {
        // Only the value: the literal cell's tag is never written.
        zq_regs[CELL_LITERAL] =
            zqm_zq_double_64_from_string(word, size, zq_flag_test(FLAG_RADIX_POINT) ? 1 : 0);
        zq_decoded.cmd = zq_idx_nbr;
        zq_decoded.add = 0;
      } else {
        zq_decoded.add = zq_operand_number(word, size);
        zq_decoded.opt |= OPT_NUM;
      }
      zq_parse_execute();
      return 1;
    case zq_word_class::ind:
      zq_decoded.opt |= OPT_IND;
      zq_parse_state = zq_arg_kind < zq_command_type_count ? zq_expect_after_ind[zq_arg_kind] : EX_CMD_NUM;
      return 1;
    case zq_word_class::stack_letter:
      zq_decoded.opt |= OPT_STACK;
      zq_decoded.add = static_cast<uint16_t>(zq_stack_cell(word));
      zq_parse_execute();
      return 1;
    case zq_word_class::stack_st:
      // "sto st x" is "sto x".
      return 1;
    case zq_word_class::text: break;
  }
  return zq_parse_text();
}

}  // namespace

int zq_parse_word(char* word, size_t size, int end_of_line) {
  if (zq_parse_state == EX_COMMENT) {
    if (end_of_line) zq_parse_state = EX_CMD_NUM;
    return 1;
  }
  if (end_of_line) {
    // An optional operand is given up at the line end; a required one is
    // still awaited on the next line.
    if (zq_parse_state == EX_NUM_TERM || zq_parse_state == EX_STR_TERM) {
      zq_execute();
      zq_parse_state = EX_CMD_NUM;
    }
    return 1;
  }
  if (zq_parse_state == EX_CMD_NUM) zq_decoded = zq_instr{};

  memset(zq_text, 0, sizeof zq_text);
  memcpy(zq_text, word, strnlen(word, sizeof zq_text - 1));
  zq_lowercase(word);

  if (word[0] == '@' || word[0] == '{' || word[0] == ';') {
    zq_parse_state = EX_COMMENT;
    return 1;
  }

  int64_t row = -1;
  if (zq_parse_state == EX_CMD_NUM) {
    row = zq_find_command(word, size);
    if (zq_xail && zq_xail_refuses(row)) return 0;
    // USER mode: a global label's name typed as a word runs it.
    if (row < 0 && zq_mode == MODE_IMMEDIATE && zq_flag_test(FLAG_USER) && strlen(word) > 1 &&
        zq_is_global_label_name(zq_text)) {
      zq_decoded.cmd = zq_idx_xeq;
      zq_decoded.opt = OPT_STR;
      zq_parse_execute();
      return 1;
    }
  }

  const int result = zq_parse_classified(word, size, row);
  // Trace shows the stack after every command.
  if (zq_trace && zq_parse_state == EX_CMD_NUM && zq_mode != MODE_RECORD) zq_print_stack_display();
  return result;
}

int zq_parse_line_end() {
  char word[sizeof zq_end_of_line_word];
  memcpy(word, zq_end_of_line_word, sizeof word);
  return zq_parse_word(word, sizeof word, 1);
}

void zq_parse_refused_word() {
  if (zq_parse_state != EX_COMMENT) zq_parse_refuse();
}

void zq_reset_decoded() {
  zq_parse_state = EX_CMD_NUM;
  zq_decoded = zq_instr{};
}

void zq_parser_save() {
  zq_parse_state_saved = zq_parse_state;
  zq_arg_kind_saved = zq_arg_kind;
  zq_decoded_saved = zq_decoded;
  zq_reset_decoded();
}

void zq_parser_restore() {
  zq_parse_state = zq_parse_state_saved;
  zq_arg_kind = zq_arg_kind_saved;
  zq_decoded = zq_decoded_saved;
}

int zq_xail_refuses(int64_t row) {
  if (!zq_row_exists(row)) return 0;
  if (zq_mode == MODE_RUN && zq_commands[row].programmable == 0) return 1;
  for (const int refused : zq_xail_refused_rows) {
    if (refused == row) return 1;
  }
  return 0;
}

int zq_is_number(char* word) {
  // With flag 28 clear both ',' and '.' are radix marks.
  if (!zq_flag_test(FLAG_RADIX_POINT)) {
    for (char* c = word; *c != '\0'; ++c) {
      if (*c == ',') *c = '.';
    }
  }
  for (const char* c = word; *c != '\0'; ++c) {
    if (!isdigit(static_cast<unsigned char>(*c)) && *c != '.' && *c != '-' && *c != '+' && *c != 'e') {
      return 0;
    }
  }
  const size_t length = strlen(word);
  if (length == 1 && (word[0] == '-' || word[0] == '+' || word[0] == 'e')) return 0;

  // Longer words would not fit the conversion buffers: no number.
  const bool leading_e = word[0] == 'e';
  if (length > (leading_e ? zq_e_word_limit : zq_number_text_limit)) return 0;
  char text[zq_number_text_limit + 1];
  // "e3" means 1000.
  size_t used = 0;
  if (leading_e) text[used++] = '1';
  memcpy(text + used, word, length + 1);

  zqm_take_error();
  zqm_zq_double_64_from_text(text);
  return zqm_take_error() == ERR_NONE ? 1 : 0;
}

void zq_lowercase(char* word) {
  for (char* c = word; *c != '\0'; ++c) *c = static_cast<char>(tolower(static_cast<unsigned char>(*c)));
}

void zq_remove_char(char* text, char character) {
  const size_t length = strlen(text);
  size_t kept = 0;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] != character) text[kept++] = text[i];
  }
  memset(text + kept, 0, length - kept);
}

int zq_is_local_label_char(int character) {
  const int c = tolower(static_cast<unsigned char>(character));
  return c >= 'a' && c <= 'z' && c != 'x' && c != 'y' && c != 'z' && c != 't' && c != 'l';
}

int zq_stack_word(const char* word) {
  if (zq_parse_state != EX_NUM_STK && zq_parse_state != EX_IND_NUM_STK) return 0;
  if (word[0] != '\0' && word[1] == '\0' && strchr("lxyzt", word[0]) != nullptr) return 1;
  if (strcmp(word, "st") == 0) return 2;
  return 0;
}

int64_t zq_stack_cell(const char* word) {
  switch (word[0]) {
    case 'l': return CELL_L;
    case 'x': return CELL_X;
    case 'y': return CELL_Y;
    case 'z': return CELL_Z;
    case 't': return CELL_T;
    default: return 0;
  }
}

void zq_strip_string_prefix(size_t prefix_len) {
  const size_t length = strlen(zq_text);
  if (length > prefix_len + 1) {
    // The text between the prefix and the closing quote.
    const size_t kept = length - prefix_len - 1;
    memmove(zq_text, zq_text + prefix_len, kept);
    memset(zq_text + kept, 0, sizeof zq_text - kept);
  } else {
    memset(zq_text, 0, sizeof zq_text);
  }
}

int zq_is_global_label_name(const char* word) {
  constexpr size_t zq_name_length = zq_label_name_size - 1;
  if (strlen(word) > zq_name_length) return 0;
  // Compared with the NUL padding, so the beginning of a name is no match.
  char name[zq_label_name_size] = {};
  memcpy(name, word, strlen(word));
  const int64_t count = zq_label_count < zq_label_capacity ? zq_label_count : zq_label_capacity;
  for (int64_t i = 0; i < count; ++i) {
    if (memcmp(zq_labels[i], name, zq_name_length) == 0) return 1;
  }
  return 0;
}
