// A typed session: the input is what the user types, line after line, read
// by the main loop itself and taken through its word splitter, the parser
// and the executor, answers to questions included, until exit or its end.
// Then the state left must keep its invariants and survive its files.
#include "app/main_loop.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zq_fuzz::setup();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zq_fuzz::begin_input(data, size, zq_fuzz::offer::AS_TYPED);
  if (zq_fuzz::run_process([] { zq_main_loop(); })) {
    zq_fuzz::check_invariants();
    zq_fuzz::check_round_trips();
  }
  zq_fuzz::end_input();
  return 0;
}
