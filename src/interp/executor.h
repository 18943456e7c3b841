// The executor: records, executes or runs each complete command by the
// global mode, after the operand checks its command row asks for.
#pragma once

#include <cstdint>

// The quit request; in a running program it only stops the run.
extern uint8_t zq_quit;
// Trace switch, 0 or 1: each command or step is shown before it runs, and the
// stack display follows every command instead of every line.
extern uint8_t zq_trace;
// 1 while xail runs a command line: commands come from the parser, skips wait.
extern int64_t zq_xail;
// A skip asked for while xail ran, made after its line.
extern int64_t zq_skip_pending;

// The return stack of xeq, rtn and END: slots 1 to 63 hold the addresses of
// the calling steps.
constexpr int64_t zq_ret_size = 64;
extern int64_t zq_ret[zq_ret_size];
extern int64_t zq_ret_depth;

// Drops the pending returns from the first one whose calling step lies at or
// above address: memory from there on has been moved, cut or replaced, so
// those steps no longer stand where the returns point.
void zq_drop_returns_from(int64_t address);

// The stop of stop, prompt and an interrupt: the running program stops after
// its step with its returns pending, so that run goes on from there; an xail
// line ends too.
void zq_stop_program();

void zq_execute();
// What zq_execute does in MODE_RUN: the step at pc, then pc moves on. The run
// loop calls it directly, as it runs while that mode lasts.
void zq_execute_step();
int zq_check_operands(uint8_t& found, uint8_t& expected);
void zq_type_error(uint8_t found, uint8_t expected);
void zq_show_type_error(uint8_t found, uint8_t expected);
void zq_trace_command();
int zq_stat_regs_numeric();
void zq_skip_next_step();
