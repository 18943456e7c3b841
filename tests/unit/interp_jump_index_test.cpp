// The jump resolution after a load finds each destination through one
// label index; the caches it fills and the messages it prints are those of
// the label searches walking memory, over many generated programs: several
// programs in memory, repeated local and global labels, letters, numbers
// and names, and destinations that exist nowhere or only in another program.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "interp/labels.h"
#include "interp/navigation.h"
#include "interp/program.h"
#include "state/execution.h"
#include "state/instr.h"

#include "interp_test_support.h"
#include "start_test_support.h"

namespace {

using namespace zq_test;

class JumpIndexTest : public zq_test::FreshTest {};

std::vector<std::string> generated_memory(std::mt19937_64& random) {
  const char* letters[] = {"a", "b", "A"};
  const char* names[] = {"\"AB\"", "\"LONGNAME\"", "\"Q\"", "\"X1\""};
  std::vector<std::string> lines;
  const int programs = 1 + static_cast<int>(random() % 4);
  for (int p = 0; p < programs; ++p) {
    const int steps = static_cast<int>(random() % 60);
    for (int s = 0; s < steps; ++s) {
      const std::string number = std::to_string(random() % 8);
      const std::string letter = letters[random() % 3];
      const std::string name = names[random() % 4];
      switch (random() % 10) {
        case 0: lines.push_back("lbl " + number); break;
        case 1: lines.push_back("lbl " + letter); break;
        case 2: lines.push_back("lbl " + name); break;
        case 3: lines.push_back((random() & 1 ? "gto " : "xeq ") + number); break;
        case 4: lines.push_back((random() & 1 ? "gto " : "xeq ") + letter); break;
        case 5: lines.push_back((random() & 1 ? "gto " : "xeq ") + name); break;
        case 6: lines.push_back("1.5"); break;
        case 7: lines.push_back("\"TEXT\""); break;
        default: lines.push_back("sin"); break;
      }
    }
    // The last program may stay without an END of its own.
    if (p + 1 < programs || random() & 1) lines.push_back("end");
  }
  return lines;
}

// What the searches give for the jump step at address, and what they print.
int64_t searched_destination(int64_t address, std::string& printed) {
  const zq_instr step = zq_step_at(address);
  pc = address;
  zq_mode = MODE_RUN;
  zq_decoded = step;
  testing::internal::CaptureStdout();
  const int64_t target = zq_find_branch_target();
  printed += testing::internal::GetCapturedStdout();
  if (target < 1) printed += "NONEXISTENT\n";
  zq_mode = MODE_IMMEDIATE;
  return target;
}

// Records lines as a load does, resolves its jumps and compares every
// cache and every message with those of the searches; returns the count of
// jump steps.
int expect_resolved_as_searched(const std::vector<std::string>& lines) {
  zq_mode = MODE_RECORD;
  pc = 1;
  for (const std::string& line : lines) parse_line(line.c_str());
  zq_put_final_end(pc);
  zq_link_labels();
  zq_mode = MODE_IMMEDIATE;
  const std::string printed = output_of(zq_resolve_jumps);
  std::string searched;
  int jumps = 0;
  for (int64_t a = 1; a < zq_final_end; a = zq_walk_next(a)) {
    const zq_instr step = zq_step_at(a);
    if (step.cmd != zq_idx_gto && step.cmd != zq_idx_xeq) continue;
    ++jumps;
    const uint32_t cache = zq_prog[a + 1];
    const int64_t target = searched_destination(a, searched);
    EXPECT_EQ(cache, static_cast<uint32_t>(target < 1 ? 0 : target)) << "jump at " << a;
  }
  EXPECT_EQ(printed, searched);
  return jumps;
}

TEST_F(JumpIndexTest, ResolutionFindsWhatTheSearchesFind) {
  std::mt19937_64 random(3109);
  for (int round = 0; round < 150; ++round) {
    SCOPED_TRACE(round);
    reset(MODE_IMMEDIATE);
    expect_resolved_as_searched(generated_memory(random));
    if (HasFailure()) return;
  }
}

// Thousands of steps in four programs: local labels repeated, global ones
// repeated across programs, every destination found as the searches find it.
TEST_F(JumpIndexTest, ResolutionOfALargeMemory) {
  std::vector<std::string> lines;
  for (int i = 0; i < 12000; ++i) {
    if (i % 10 == 5) lines.push_back("lbl " + std::to_string(1000 - i / 10 % 1000));
    if (i % 10 == 0) lines.push_back("gto " + std::to_string(i / 10 % 1100));
    if (i % 3000 == 2999) lines.push_back("end");
    if (i % 500 == 7) lines.push_back("lbl \"N" + std::to_string(i % 7) + "\"");
    if (i % 500 == 9) lines.push_back("xeq \"N" + std::to_string(i % 5) + "\"");
  }
  EXPECT_GT(expect_resolved_as_searched(lines), 1000);
}

}  // namespace
