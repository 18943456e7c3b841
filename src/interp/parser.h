// The parser: completes one command at a time from the words it is given,
// with its operand, and hands every complete command to the executor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/instr.h"

// What the next word may be.
enum zq_expect : uint32_t {
  EX_ERR = 0,          // after "alpha" or "append": only a number
  EX_CMD_NUM = 1,      // command position: a command, a number or a text
  EX_STR = 2,          // a name (reads wrts reada wrta)
  EX_NUM_STK = 3,      // after "ind": a number or a stack letter
  EX_NUM_STR = 4,      // a number, local letter or name (lbl)
  EX_IND_NUM = 5,      // "ind" or a number
  EX_IND_NUM_STK = 6,  // "ind", a number or a stack letter
  EX_IND_NUM_STR = 7,  // "ind", a number, local letter or name (gto, xeq)
  EX_NUM_TERM = 8,     // an optional number
  EX_STR_TERM = 9,     // an optional name or number (clp)
  EX_COMMENT = 10,     // nothing: the rest of the line is a comment
};

extern uint32_t zq_parse_state;
// The cmd_type of the command that waits for its operand.
extern uint64_t zq_arg_kind;

// One level of saved parser state, for the command line that xail runs.
extern zq_instr zq_decoded_saved;
extern uint32_t zq_parse_state_saved;
extern uint64_t zq_arg_kind_saved;

// The fixed word that every caller passes, with end_of_line 1, at a line end.
constexpr char zq_end_of_line_word[] = "vrask";

// Hands one word to the parser. word is a writable buffer of size bytes that
// the parser changes in place: lower case, alias names, number text.
// Returns 1, or 0 when the word was refused.
int zq_parse_word(char* word, size_t size, int end_of_line);
// zq_parse_word with the end-of-line word.
int zq_parse_line_end();
// Tells the parser of a word refused before it could be handed over (one too
// long for the loader's word buffer): a command waiting for its operand is
// dropped, as for an operand the parser refuses itself, rather than taking
// the next word. Within a comment the word is comment text.
void zq_parse_refused_word();

void zq_reset_decoded();
void zq_parser_save();
void zq_parser_restore();
// 1 when a command line run by xail may not contain the row.
int zq_xail_refuses(int64_t row);

int zq_is_number(char* word);
void zq_lowercase(char* word);
void zq_remove_char(char* text, char character);
int zq_is_local_label_char(int character);
int zq_stack_word(const char* word);
int64_t zq_stack_cell(const char* word);
void zq_strip_string_prefix(size_t prefix_len);
int zq_is_global_label_name(const char* word);
