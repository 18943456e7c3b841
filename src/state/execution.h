// What the interpreter is executing: the decoded command with its operand
// text, the executor's mode and its step advance. The parser and the executor
// write them; handlers, the operand resolution and the error reporter, which
// stops a running program, work on them too.
#pragma once

#include <cstdint>

#include "state/instr.h"

// The command being completed or executed; valid while a handler runs.
extern zq_instr zq_decoded;

// Operand text of the decoded command, as typed (names, alpha texts).
constexpr int zq_text_size = 256;
extern char zq_text[zq_text_size];

// How the executor takes each complete command.
enum zq_exec_mode : uint32_t {
  MODE_RECORD = 0,
  MODE_RUN = 1,
  MODE_IMMEDIATE = 2,
  MODE_ERROR_STOP = 3,
};

// Whether the executor moves pc on after a step.
enum zq_advance_ctl : uint8_t {
  ADV_NEXT = 0,
  ADV_STEP = 1,
  ADV_HOLD = 2,
};

extern uint32_t zq_mode;
extern uint8_t zq_advance;
