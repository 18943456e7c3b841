// xail: the alpha register as a command line. Its words go to the parser
// like typed words, so this handler re-enters the parser from inside the
// executor; the parser's pending state is saved around the line.
#include "commands/xail.h"

#include "files/paths.h"
#include "interp/executor.h"
#include "interp/parser.h"
#include "interp/words.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/instr.h"

int64_t zq_xail_failed = 0;

namespace {

// One word of the line: at most 24 characters, a closing quote that the
// splitter may add, and the NUL.
constexpr int zq_xail_word_size = 40;

// Lines open now: a program run from a line may reach an xail step of its
// own. Each level holds frames of the C stack, so a program that keeps
// starting itself that way is refused at this depth.
constexpr int64_t zq_xail_max_depth = 16;
int64_t zq_xail_depth = 0;

// What an open line keeps while a line nested in it runs: the parser has
// one save area, and the switches below belong to one line each.
struct zq_xail_outer_line {
  zq_instr decoded_saved;
  uint32_t parse_state_saved;
  uint64_t arg_kind_saved;
  int64_t skip_pending;
  int64_t failed;
};

zq_xail_outer_line zq_xail_keep_outer() {
  return {zq_decoded_saved, zq_parse_state_saved, zq_arg_kind_saved, zq_skip_pending, zq_xail_failed};
}

void zq_xail_give_back_outer(const zq_xail_outer_line& outer) {
  zq_decoded_saved = outer.decoded_saved;
  zq_parse_state_saved = outer.parse_state_saved;
  zq_arg_kind_saved = outer.arg_kind_saved;
  zq_skip_pending = outer.skip_pending;
  zq_xail_failed = outer.failed;
}

// Passes the words of line, and then the end-of-line word, to the parser.
void zq_xail_run_line(const char* line) {
  int64_t position = 0;
  char word[zq_xail_word_size];
  for (zq_next_word(line, word, position); word[0] != '\0'; zq_next_word(line, word, position)) {
    if (zq_xail_failed) continue;
    if (!zq_parse_word(word, sizeof word, 0)) {
      zq_report_error(ERR_XAIL);
      zq_xail_failed = 1;
    }
  }
  // Ends a comment and runs a command whose operand is optional; one still
  // waiting for a required operand is dropped by the restore.
  zq_parse_line_end();
}

}  // namespace

void zq_cmd_xail() {
  if (zq_xail_depth >= zq_xail_max_depth) {
    zq_report_error(ERR_XAIL);
    // A refused line, like any other, lets a run go past its xail step.
    zq_advance = ADV_NEXT;
    return;
  }
  const zq_xail_outer_line outer = zq_xail_keep_outer();
  ++zq_xail_depth;

  zq_xail = 1;
  zq_skip_pending = 0;
  zq_xail_failed = 0;
  zq_advance = ADV_HOLD;
  zq_parser_save();

  char line[zq_alpha_copy_size];
  zq_alpha_copy_n(line, zq_alpha_copy_size);
  // An empty register passes nothing, not even the end-of-line word.
  if (line[0] != '\0') zq_xail_run_line(line);

  zq_parser_restore();
  zq_advance = ADV_NEXT;
  zq_xail = 0;
  // In a run, the executor's advance past the xail step then passes over
  // the step after it, as after a failed test.
  if (zq_skip_pending) zq_skip_next_step();

  --zq_xail_depth;
  if (zq_xail_depth > 0) zq_xail_give_back_outer(outer);
}
