// A state file: the input is the file, read with the mask that its header
// names (a write-all file that stops early is taken as if zero bytes
// followed up to its full size, so that inputs stay small); then the
// restored stack, registers and programs are shown, listed and run, the
// state keeping its invariants before and after.
#include <cstdio>
#include <cstring>

#include "commands/display.h"
#include "files/state_file.h"
#include "fuzz_support.h"
#include "interp/command_table.h"
#include "number/number.h"
#include "state/execution.h"
#include "state/instr.h"
#include "state/registers.h"

namespace {

// Registers recalled after a read: those that no longer hold 0.0.
constexpr int registers_recalled = 16;
constexpr int header_size = 16;

uint64_t stored_mask(const uint8_t* data, size_t size) {
  uint64_t mask = 0;
  for (int i = 0; i < 8 && 8 + i < static_cast<int>(size); ++i) mask |= uint64_t{data[8 + i]} << (8 * i);
  return mask;
}

void recall_changed_registers() {
  char name[] = "rcl";
  const int32_t rcl = zq_find_command(name);
  int recalled = 0;
  for (int n = 0; n < zq_data_register_count && recalled < registers_recalled; ++n) {
    const zq_cell_index cell = CELL_R00 + n;
    if (zq_regs[cell] == zqm_k_0 && zq_reg_types[cell] == REG_NUMBER) continue;
    zq_fuzz::execute(rcl, OPT_NUM, static_cast<uint16_t>(n));
    zq_cmd_prstk();
    ++recalled;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zq_fuzz::setup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint64_t stored = stored_mask(data, size);
  const uint64_t mask = stored == MEM_STATUS ? MEM_STATUS : MEM_ALL;
  const size_t full = static_cast<size_t>(stored == MEM_ALL ? zq_state_all_file_size : 0);
  zq_fuzz::begin_input(data, size, zq_fuzz::offer::AS_FILE,
                       size >= header_size && size < full ? full - size : 0);
  std::snprintf(zq_text, zq_text_size, "%s", zq_fuzz::input_file_name);
  const bool read = zq_read_state_file(mask) == 1;
  zq_fuzz::check_invariants();
  if (read && zq_fuzz::run_process([] {
        zq_cmd_prstk();
        recall_changed_registers();
        zq_fuzz::exercise_memory();
      }))
    zq_fuzz::check_invariants();
  zq_fuzz::end_input();
  return 0;
}
