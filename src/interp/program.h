// Program memory: one flat array of 32-bit words holding the steps of all
// programs from word 1 to the final END, and the recorder that writes them.
#pragma once

#include <cstdint>

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

// The instruction word at address; outside memory it reads as word 0.
zq_instr zq_step_at(int64_t address);
// The name kept in the two name words from address, NUL-terminated.
void zq_step_name(int64_t address, char (&name)[zq_step_name_size + 1]);
// A name (at most 8 characters) as the two name words of a step, and back.
void zq_pack_name(const char* name, uint32_t& word0, uint32_t& word1);
void zq_unpack_name(uint32_t word0, uint32_t word1, char (&name)[zq_step_name_size + 1]);
// The text kept in the four text words from address, NUL-terminated.
void zq_step_text(int64_t address, char (&text)[zq_step_text_size + 1]);
// The number kept in the two number words from address.
zq_double_64 zq_step_number(int64_t address);
// Whether the step at address is an END.
bool zq_is_end_at(int64_t address);

// All words 0 and pc 1; zq_final_end is left for zq_put_final_end.
void zq_clear_program_memory();
void zq_put_final_end(int64_t address);

// Records zq_decoded (with zq_text and the literal cell) as one step at pc.
void zq_calc_load_program();

// Length in words of the step at address, 0 for every END.
int64_t zq_pc_inc(int64_t address);
// Length for walkers: an ordinary END counts 1, the final END 0.
int64_t zq_get_step_length(int64_t address);
// Whether the step at address has a layout, so that zq_pc_inc gives its
// length without a complaint; an END has one.
bool zq_step_has_layout(int64_t address);
