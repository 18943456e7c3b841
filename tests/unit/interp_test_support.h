// What the interpreter tests share: a command's row by name, a line fed as
// the main loop feeds it, lines recorded as program steps and one step run.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "interp/command_table.h"
#include "interp/executor.h"
#include "interp/labels.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "interp/words.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"

#include "state_test_support.h"

namespace zq_test {

// The row of the command called `name` in the table, or -1.
inline int row_of(std::string_view name) {
  for (int row = 0; row < zq_command_count; ++row) {
    if (name == zq_commands[row].name) return row;
  }
  return -1;
}

// Feeds one line as the main loop does; returns the result of each word.
inline std::vector<int> parse_line(const char* line) {
  std::vector<int> results;
  int64_t position = 0;
  char word[zq_text_size];
  for (;;) {
    zq_next_word(line, word, position);
    if (word[0] == '\0') break;
    results.push_back(zq_parse_word(word, sizeof word, 0));
  }
  zq_parse_line_end();
  return results;
}

// The line typed at the prompt, with what it printed.
inline std::string typed(const char* line) {
  return output_of([line] { parse_line(line); });
}

// Records a line as program steps from word 1, then stands on word 1 in
// then_mode.
inline void record(const char* line, uint32_t then_mode) {
  zq_mode = MODE_RECORD;
  pc = 1;
  typed(line);
  zq_mode = then_mode;
  pc = 1;
}

// Records the lines from word 1 as a program-file load does: the final END,
// the relink, and the jump resolution when asked; back in MODE_IMMEDIATE
// with pc 1.
inline void load(std::initializer_list<const char*> lines, bool resolve = false) {
  zq_mode = MODE_RECORD;
  pc = 1;
  for (const char* line : lines) parse_line(line);
  zq_put_final_end(pc);
  zq_link_labels();
  if (resolve) zq_resolve_jumps();
  zq_mode = MODE_IMMEDIATE;
  pc = 1;
}

// Runs the step at pc, returning what it printed.
inline std::string run_one_step() {
  zq_mode = MODE_RUN;
  return output_of(zq_execute);
}

}  // namespace zq_test
