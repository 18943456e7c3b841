// What the tests of the state and of the command handlers share: the output
// of an action, the alpha register set and read back, a cell's text, and the
// operand a handler reads.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "state/alpha.h"
#include "state/execution.h"
#include "state/instr.h"
#include "state/registers.h"

#include "number_test_support.h"

namespace zq_test {

// Runs action (a handler or any callable) and returns what it printed.
template <typename Action>
std::string output_of(Action action) {
  testing::internal::CaptureStdout();
  action();
  return testing::internal::GetCapturedStdout();
}

// The alpha register := text, cut to its size, NUL-padded.
inline void set_alpha(std::string_view text) {
  std::memset(zq_alpha, 0, sizeof zq_alpha);
  std::memcpy(zq_alpha, text.data(), std::min(text.size(), sizeof zq_alpha));
}

// The text, checked to be followed by NUL padding only.
inline std::string alpha_text() {
  const int64_t length = zq_alpha_length();
  for (int64_t i = length; i < zq_alpha_size; ++i) EXPECT_EQ(zq_alpha[i], '\0') << "position " << i;
  return std::string(zq_alpha, static_cast<size_t>(length));
}

inline std::string cell_text(zq_cell_index cell) { return layer_text(zq_regs[cell]); }

// The decoded operand a handler reads, on an otherwise cleared instruction.
inline void operand(uint8_t opt, uint16_t add) {
  zq_decoded = zq_instr{};
  zq_decoded.opt = opt;
  zq_decoded.add = add;
}

}  // namespace zq_test
