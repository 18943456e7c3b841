// Control numbers: the counter write-back built from coefficient and
// exponent is the decimal division, bit for bit, for every counter of a
// dense grid and a million random ones of every size.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "number/number.h"
#include "state/control.h"

#include "number_test_support.h"

namespace {

using namespace zq_test;

// The sanitizers make the division ten times slower: a tenth of the
// random cases there, the whole grid everywhere.
#ifdef __SANITIZE_ADDRESS__
constexpr int zq_random_share = 10;
#else
constexpr int zq_random_share = 1;
#endif

constexpr int64_t zq_grid_counts = 99999;

class ControlRoutes : public NumberTest {};

// The write-back as the decimal division n / 100000 that it stands for.
zq_double_64 divided_counter(int64_t count, int64_t final, int64_t step) {
  const int64_t magnitude = (count < 0 ? -count : count) * 100000 + final * 100 + step;
  return zqm_div(zqm_zq_double_64_from_lint(count < 0 ? -magnitude : magnitude), zqm_zq_double_64_from_int(100000));
}

testing::AssertionResult same_counter(int64_t count, int64_t final, int64_t step) {
  const zq_double_64 built = zq_counter_value(count, final, step);
  const zq_double_64 divided = divided_counter(count, final, step);
  if (built == divided && zqm_take_error() == ERR_NONE) return testing::AssertionSuccess();
  return testing::AssertionFailure() << count << " " << final << " " << step << ": " << text_of(built)
                                     << ", division " << text_of(divided);
}

// A spread of final values and steps for each count: every final and every
// step turns up, with and without trailing zeros.
int64_t final_for(int64_t count) { return (count < 0 ? -count : count) * 7919 % 1000; }
int64_t step_for(int64_t count) { return (count < 0 ? -count : count) * 31 % 100; }

TEST_F(ControlRoutes, EveryGridCounterIsTheDivision) {
  for (int64_t count = -zq_grid_counts; count <= zq_grid_counts; ++count) {
    ASSERT_TRUE(same_counter(count, final_for(count), step_for(count)));
    ASSERT_TRUE(same_counter(count, 0, 0));
  }
  for (int64_t final = 0; final <= 999; ++final) {
    for (int64_t step = 0; step <= 99; ++step) {
      ASSERT_TRUE(same_counter(final % 17, final, step));
      ASSERT_TRUE(same_counter(-(final % 13) - 1, final, step));
    }
  }
}

TEST_F(ControlRoutes, CountersDecodeToWhatWasWritten) {
  for (int64_t count = -zq_grid_counts; count <= zq_grid_counts; count += 7) {
    const int64_t final = final_for(count);
    const int64_t step = step_for(count);
    int64_t a = 0, b = 0, c = 0;
    ASSERT_EQ(zq_decode_control(CONTROL_COUNTER, zq_counter_value(count, final, step), &a, &b, &c), 1);
    ASSERT_EQ(std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c),
              std::to_string(count) + " " + std::to_string(final) + " " + std::to_string(step));
  }
}

TEST_F(ControlRoutes, RandomCountersOfEverySizeAreTheDivision) {
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 1000000 / zq_random_share; ++i) {
    // Magnitudes from 0 to the largest counter, spread over their digit counts.
    const int64_t digits = static_cast<int64_t>(random() % 12);
    int64_t count = static_cast<int64_t>(random() % 100000000000);
    for (int64_t d = digits; d < 11; ++d) count /= 10;
    if (random() & 1) count = -count;
    ASSERT_TRUE(same_counter(count, static_cast<int64_t>(random() % 1000), static_cast<int64_t>(random() % 100)));
  }
  ASSERT_TRUE(same_counter(zq_max_counter, 999, 99));
  ASSERT_TRUE(same_counter(-zq_max_counter, 999, 99));
}

}  // namespace
