// The executor: records, executes or runs each complete command by the
// global mode, after the operand checks its command row asks for.
#pragma once

#include <cstdint>

enum zq_exec_mode : uint32_t {
  MODE_RECORD = 0,
  MODE_RUN = 1,
  MODE_IMMEDIATE = 2,
  MODE_ERROR_STOP = 3,
};

enum zq_advance_ctl : uint8_t {
  ADV_NEXT = 0,
  ADV_STEP = 1,
  ADV_HOLD = 2,
};

extern uint32_t zq_mode;
extern uint8_t zq_advance;
// The quit request; in a running program it only stops the run.
extern uint8_t zq_quit;
// 1 while xail runs a command line: commands come from the parser, skips wait.
extern int64_t zq_xail;
// A skip asked for while xail ran, made after its line.
extern int64_t zq_skip_pending;

// The return stack of xeq, rtn and END: slots 1 to 63 hold the addresses of
// the calling steps.
constexpr int64_t zq_ret_size = 64;
extern int64_t zq_ret[zq_ret_size];
extern int64_t zq_ret_depth;

void zq_execute();
int zq_check_operands(uint8_t& found, uint8_t& expected);
void zq_type_error(uint8_t found, uint8_t expected);
void zq_show_type_error(uint8_t found, uint8_t expected);
void zq_trace_command();
int zq_stat_regs_numeric();
void zq_skip_next_step();
