// A program text file: the input is the file, loaded as the option -x loads
// it and run from its line 1; then every program is listed and the first
// global labels are called. The state must keep its invariants throughout.
#include <cstdio>
#include <cstring>

#include "commands/alpha.h"
#include "files/program_file.h"
#include "fuzz_support.h"
#include "interp/program.h"
#include "state/execution.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zq_fuzz::setup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zq_fuzz::begin_input(data, size, zq_fuzz::offer::AS_FILE);
  std::snprintf(zq_text, zq_text_size, "%s", zq_fuzz::input_file_name);
  const bool lived = zq_fuzz::run_process([] {
    zq_load_program_file(1);
    zq_fuzz::check_invariants();
    pc = 1;
    zq_cmd_cla();
    zq_fuzz::exercise_memory();
  });
  if (lived) zq_fuzz::check_invariants();
  zq_fuzz::end_input();
  return 0;
}
