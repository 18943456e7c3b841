// The command-line options.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

#include "app/main_loop.h"
#include "interp/program.h"
#include "state/alpha.h"
#include "state/execution.h"

#include "start_test_support.h"

namespace {

// Applies the options as main does, after the program name.
void apply(std::initializer_list<const char*> args) {
  static char storage[8][64];
  char* argv[9];
  int argc = 0;
  argv[argc++] = std::strcpy(storage[0], "zq17");
  for (const char* arg : args) {
    argv[argc] = std::strcpy(storage[argc], arg);
    ++argc;
  }
  argv[argc] = nullptr;
  zq_apply_options(argc, argv);
}

class MainLoopOptions : public zq_test::FreshTest {};

TEST_F(MainLoopOptions, FilesAreTakenInTheirOrder) {
  zq_alpha[0] = 'A';
  pc = 7;
  apply({"name", "-R", "state.mem", "-Ixyz", "-lrest", "prog.txt"});
  EXPECT_EQ(zq_restored, 1) << "-r counts as a restore whatever its read gave";
  EXPECT_EQ(zq_autorun, 0);
  EXPECT_STREQ(zq_text, "prog.txt");
  EXPECT_EQ(pc, 1);
  for (const char c : zq_alpha) EXPECT_EQ(c, '\0');
}

TEST_F(MainLoopOptions, AutorunSkipsTheWelcome) {
  apply({"-X", "prog.txt"});
  EXPECT_EQ(zq_autorun, 1);
  EXPECT_EQ(zq_restored, 0);
  testing::internal::CaptureStdout();
  zq_welcome();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
