// The one starting point of every unit test: the state that main sets up
// before its loop, in the executor mode the test needs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "app/main_loop.h"
#include "interp/program.h"
#include "state/execution.h"

namespace zq_test {

// The state of a fresh process, as main sets it up, but in `mode`. Program
// memory is cleared first: unlike a new process, this one may hold an earlier
// test's steps, and zq_init_at_start counts on it being empty.
inline void reset(uint32_t mode) {
  zq_clear_program_memory();
  zq_init_at_start();
  zq_mode = mode;
}

// The base of every fixture: each test begins at reset(mode), whatever ran
// before it. Typed commands run in MODE_IMMEDIATE, as main selects.
class FreshTest : public testing::Test {
 protected:
  explicit FreshTest(uint32_t mode = MODE_IMMEDIATE) : mode_(mode) {}
  void SetUp() override { reset(mode_); }

 private:
  const uint32_t mode_;
};

}  // namespace zq_test
