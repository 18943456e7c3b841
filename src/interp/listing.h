// The text form of one program step, the one format of listings, traces,
// the label catalogue and program files, and the listing of lines from pc.
#pragma once

#include <cstdint>
#include <cstdio>

enum zq_list_mode : int {
  LIST_NORMAL = 0,   // line number, command and operand
  LIST_CATALOG = 3,  // only the name of a global label, " end" for an END
};

// Writes the step at address as one line to file, or to standard output for
// nullptr; a negative line number (or flag 58) writes no number. An address
// outside memory in use is shown as the final END, whose line number the
// line numbering gives it.
void zq_print_program_line(int64_t line, int64_t address, int mode, FILE* file);
// Lists from pc as many lines as the add field of the decoded command says
// (0: through the program's END), then one empty line on standard output.
void zq_list_program(FILE* file);
