// Statistics handlers: the six sums and their exponents, mean and sdev, the
// failures that change no cell, and sreg's accepted and refused bases.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "commands/stats.h"
#include "number/number.h"
#include "state/errors.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/registers.h"
#include "state/stack_display.h"
#include "state/stats.h"

#include "number_test_support.h"
#include "state_test_support.h"

namespace {

using namespace zq_test;

// The texts of the six block cells from `base`.
std::vector<std::string> block_texts(zq_cell_index base) {
  std::vector<std::string> texts;
  for (zq_cell_index i = 0; i < zq_stat_register_count; ++i) texts.push_back(cell_text(base + i));
  return texts;
}

// Every cell, value and tag, to show that a command changed none.
struct zq_file_image {
  uint64_t values[zq_cell_count];
  uint8_t tags[zq_cell_count];
  zq_file_image() {
    std::memcpy(values, zq_regs, sizeof values);
    std::memcpy(tags, zq_reg_types, sizeof tags);
  }
  bool operator==(const zq_file_image& other) const {
    return std::memcmp(values, other.values, sizeof values) == 0 &&
           std::memcmp(tags, other.tags, sizeof tags) == 0;
  }
};

class CommandsStats : public FreshTest {
 protected:
  static void point(const char* y, const char* x) {
    zq_reg_set_number(CELL_Y, num(y));
    zq_reg_set_number(CELL_X, num(x));
    zqm_take_error();
  }

  // The handler must print output, record DATA ERROR and change no cell.
  static void expect_refused(const char* name, void (*handler)(), const char* output) {
    zq_last_error = 0;
    const zq_file_image before;
    testing::internal::CaptureStdout();
    handler();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), output) << name;
    EXPECT_EQ(zq_last_error, ERR_DATA) << name;
    EXPECT_TRUE(zq_file_image() == before) << name;
  }
};

constexpr zq_cell_index r11 = CELL_R00 + 11;

TEST_F(CommandsStats, SumsOfTwoPointsThenMeanAndDeviation) {
  zq_reg_set_number(CELL_Z, num("9"));
  point("3", "2");
  zq_cmd_s_plus();
  // 0.0 plus each term: the sums keep exponent -1.
  EXPECT_EQ(block_texts(r11), (std::vector<std::string>{"2.0", "4.0", "3.0", "9.0", "6.0", "1.0"}));
  EXPECT_EQ(cell_text(CELL_X), "1.0");
  EXPECT_EQ(cell_text(CELL_L), "2");
  EXPECT_EQ(cell_text(CELL_Y), "3");
  EXPECT_EQ(cell_text(CELL_Z), "9");  // no lift

  point("5", "4");
  zq_cmd_s_plus();
  EXPECT_EQ(block_texts(r11), (std::vector<std::string>{"6.0", "20.0", "8.0", "34.0", "26.0", "2.0"}));
  EXPECT_EQ(cell_text(CELL_X), "2.0");

  zq_cmd_mean();
  EXPECT_EQ(cell_text(CELL_X), "3");
  EXPECT_EQ(cell_text(CELL_Y), "4");
  EXPECT_EQ(cell_text(CELL_L), "2.0");
  EXPECT_EQ(cell_text(CELL_Z), "9");

  zq_cmd_sdev();
  EXPECT_EQ(cell_text(CELL_X), "1.414213562373095");
  EXPECT_EQ(cell_text(CELL_Y), "1.414213562373095");
  EXPECT_EQ(cell_text(CELL_L), "3");
  EXPECT_EQ(zq_last_error, 0);

  // Taking (4, 5) out again gives the sums of the first point back in value.
  point("5", "4");
  zq_cmd_s_minus();
  const char* const first[] = {"2", "4", "3", "9", "6", "1"};
  for (zq_cell_index i = 0; i < zq_stat_register_count; ++i) {
    EXPECT_TRUE(zqm_compare(zq_regs[r11 + i], num(first[i]), CMP_EQ)) << i << ": " << cell_text(r11 + i);
    EXPECT_EQ(zq_reg_types[r11 + i], REG_NUMBER);
  }
  // n counts down by -1.0 itself, not by a product with -1.0.
  EXPECT_EQ(cell_text(r11 + STAT_COUNT), "1.0");
  EXPECT_EQ(cell_text(CELL_X), "1.0");
  EXPECT_EQ(cell_text(CELL_L), "4");
}

TEST_F(CommandsStats, FailuresChangeNoCell) {
  struct Case {
    const char* name;
    void (*handler)();
    const char* y;
    const char* x;
    int points;  // points added before the command
    const char* output;
  };
  const Case cases[] = {
      {"mean of none", zq_cmd_mean, "1", "1", 0, "first calc\nDATA ERROR\n"},
      {"sdev of none", zq_cmd_sdev, "1", "1", 0, "DATA ERROR\n"},
      {"sdev of one", zq_cmd_sdev, "1", "1", 1, "DATA ERROR\n"},
      // The square underflows; the sums after it are exact and raise nothing.
      {"s+ underflow", zq_cmd_s_plus, "1", "1e-200", 0, "DATA ERROR\n"},
      {"s- underflow", zq_cmd_s_minus, "1e-200", "1", 0, "DATA ERROR\n"},
  };
  for (const Case& c : cases) {
    zq_cmd_cls();
    for (int i = 0; i < c.points; ++i) {
      point("1", "2");
      zq_cmd_s_plus();
    }
    point(c.y, c.x);
    expect_refused(c.name, c.handler, c.output);
  }
}

// A failure that a later call of the same command hides (the pending code
// is only the last call's) is DATA ERROR all the same: no infinity or NaN
// reaches the sums or the stack.
TEST_F(CommandsStats, HiddenFailuresChangeNoCell) {
  struct Case {
    const char* name;
    void (*handler)();
    const char* block[zq_stat_register_count];  // sums x, x2, y, y2, xy, n
    const char* y;
    const char* x;
    const char* output;
  };
  const Case cases[] = {
      // X x X overflows; Y x Y and the sums after it only round.
      {"s+ overflow",
       zq_cmd_s_plus,
       {"0", "0", "0", "0", "0", "0"},
       "0.3333333333333333",
       "5e384",
       "DATA ERROR\n"},
      {"s- overflow",
       zq_cmd_s_minus,
       {"0", "0", "0", "0", "0", "0"},
       "0.3333333333333333",
       "5e384",
       "DATA ERROR\n"},
      // The y variance is negative; the x deviation computed after it rounds.
      {"sdev of a negative variance", zq_cmd_sdev, {"1", "3", "2", "1", "0", "2"}, "7", "8", "DATA ERROR\n"},
      // The x mean overflows, the y mean is exact.
      {"mean of an overflowing x",
       zq_cmd_mean,
       {"9e384", "0", "3", "0", "0", "0.1"},
       "7",
       "8",
       "first calc\nDATA ERROR\n"},
  };
  for (const Case& c : cases) {
    for (zq_cell_index i = 0; i < zq_stat_register_count; ++i) zq_reg_set_number(r11 + i, num(c.block[i]));
    point(c.y, c.x);
    expect_refused(c.name, c.handler, c.output);
  }
}

TEST_F(CommandsStats, ClsClearsOnlyTheCurrentBlock) {
  for (zq_cell_index cell = CELL_R00; cell <= CELL_LAST; ++cell) zq_reg_set(cell, num("5"), REG_HMS);
  operand(0, 50);
  zq_cmd_sreg();
  zq_cmd_cls();
  for (zq_cell_index cell = CELL_R00; cell <= CELL_LAST; ++cell) {
    const bool in_block = cell >= CELL_R00 + 50 && cell <= CELL_R00 + 55;
    EXPECT_EQ(zq_regs[cell], in_block ? zqm_k_0 : num("5")) << cell;
    EXPECT_EQ(zq_reg_types[cell], in_block ? REG_NUMBER : REG_HMS) << cell;
  }
}

TEST_F(CommandsStats, SregAcceptsRegistersZeroTo993) {
  struct Case {
    uint8_t opt;
    uint16_t add;
    const char* pointer;  // R07's value for the ind cases
    int64_t base;         // zq_stat_base afterwards
    const char* output;
  };
  const Case cases[] = {
      {0, 0, "", CELL_R00, ""},
      {0, 993, "", 999, ""},
      {0, 994, "", 999, "Error: Memory location 1000 NONEXISTENT\n"},
      {OPT_IND | OPT_NUM, 7, "20.7", CELL_R00 + 20, ""},
      {OPT_IND | OPT_NUM, 7, "-3", CELL_R00 + 20, "Error: Memory location 3 NONEXISTENT\n"},
      // No 32-bit integer: the value counts as 0, that is R00.
      {OPT_IND | OPT_NUM, 7, "1e20", CELL_R00, ""},
      // The cell index in full, not wrapped to 32 bits.
      {OPT_IND | OPT_NUM, 7, "2147483647", CELL_R00, "Error: Memory location 2147483653 NONEXISTENT\n"},
  };
  for (const Case& c : cases) {
    if (c.opt & OPT_IND) zq_reg_set_number(CELL_R00 + 7, num(c.pointer));
    operand(c.opt, c.add);
    zq_suppress_display = 1 - (c.output[0] != '\0');
    testing::internal::CaptureStdout();
    zq_cmd_sreg();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output) << c.add << " " << c.pointer;
    EXPECT_EQ(zq_stat_base, c.base) << c.add << " " << c.pointer;
    EXPECT_EQ(zq_suppress_display, c.output[0] != '\0' ? 1 : 0) << c.add << " " << c.pointer;
    EXPECT_EQ(zqm_take_error(), ERR_NONE);
  }
  EXPECT_EQ(zq_last_error, 0);

  // sreg? pushes the register number as an integer.
  zq_reg_set_number(CELL_X, num("8"));
  zq_reg_set_number(CELL_L, num("6"));
  zq_cmd_sreg_q();
  EXPECT_EQ(cell_text(CELL_X), "0");
  EXPECT_EQ(cell_text(CELL_Y), "8");
  EXPECT_EQ(cell_text(CELL_L), "6");
}

TEST_F(CommandsStats, SregThroughAMissingPointerDoesNothing) {
  operand(OPT_IND | OPT_NUM, 1000);
  testing::internal::CaptureStdout();
  zq_cmd_sreg();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\n");
  EXPECT_EQ(zq_stat_base, zq_stat_base_initial);
  EXPECT_EQ(zq_suppress_display, 0);
}

// Only a damaged state file can bring such a base: the block commands then
// say "NONEXISTENT" and touch nothing, so no cell outside the file is used.
TEST_F(CommandsStats, ABaseOutsideTheRangeIsRefused) {
  void (*const handlers[])() = {zq_cmd_s_plus, zq_cmd_s_minus, zq_cmd_mean, zq_cmd_sdev, zq_cmd_cls};
  for (int64_t base : {int64_t{-40}, int64_t{CELL_Y}, int64_t{1000}, int64_t{1005}, int64_t{5000}}) {
    zq_stat_base = base;
    for (auto handler : handlers) {
      point("3", "2");
      const zq_file_image before;
      testing::internal::CaptureStdout();
      handler();
      EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\n") << base;
      EXPECT_TRUE(zq_file_image() == before) << base;
    }
  }
}

TEST_F(CommandsStats, BaseRange) {
  EXPECT_FALSE(zq_stat_base_valid(CELL_R00 - 1));
  EXPECT_TRUE(zq_stat_base_valid(CELL_R00));
  EXPECT_TRUE(zq_stat_base_valid(999));  // R993: the block ends at R998
  EXPECT_FALSE(zq_stat_base_valid(1000));
}

}  // namespace
