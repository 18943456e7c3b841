// The interrupt flag that the run loop polls between steps.
#include <gtest/gtest.h>

#include <csignal>

#include "interp/interrupt.h"

namespace {

TEST(Interrupt, OnlySetsAFlagWhileInstalled) {
  zq_sigint_flag = 1;
  zq_sigint_install();
  EXPECT_EQ(zq_sigint_take(), 0) << "installing clears a stale interrupt";
  std::raise(SIGINT);
  EXPECT_EQ(zq_sigint_take(), 1);
  EXPECT_EQ(zq_sigint_take(), 0) << "taking clears it";
  std::raise(SIGINT);
  zq_sigint_restore();
  EXPECT_EQ(zq_sigint_take(), 0) << "restoring clears it too";
  struct sigaction action {};
  sigaction(SIGINT, nullptr, &action);
  EXPECT_EQ(action.sa_handler, SIG_DFL);
}

TEST(Interrupt, ASpentStepBudgetStopsEveryRun) {
  zq_run_step_budget = 2;
  EXPECT_EQ(zq_sigint_take(), 0);
  EXPECT_EQ(zq_sigint_take(), 0);
  EXPECT_EQ(zq_sigint_take(), 1);
  EXPECT_EQ(zq_sigint_take(), 1) << "and the next run after its first step";
  zq_run_step_budget = -1;
  EXPECT_EQ(zq_sigint_take(), 0);
}

}  // namespace
