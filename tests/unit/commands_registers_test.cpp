// Register commands: what the prompt cannot show. Tags written and kept
// (H.MMSS comes only from state files), a missing operand register leaving
// every cell alone, the blocks kept inside R00..R999, and errno after an
// error that flag 25 swallowed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "commands/registers.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/registers.h"

#include "number_test_support.h"
#include "state_test_support.h"

namespace {

using namespace zq_test;

constexpr zq_cell_index reg(int n) { return CELL_R00 + n; }
// The same cell's place in the list cells() returns.
constexpr size_t reg_at(int n) { return static_cast<size_t>(reg(n)); }

// Each cell starts holding its own index.
class CommandsRegisters : public FreshTest {
 protected:
  void SetUp() override {
    FreshTest::SetUp();
    for (zq_cell_index i = CELL_L; i <= CELL_LAST; ++i)
      zq_reg_set_number(i, quiet_num(std::to_string(i).c_str()));
  }

  // Value and tag of every cell.
  using Cells = std::vector<std::pair<uint64_t, uint8_t>>;
  static Cells cells() {
    Cells out;
    for (zq_cell_index i = 0; i < zq_cell_count; ++i) out.emplace_back(zq_regs[i], zq_reg_types[i]);
    return out;
  }
};

TEST_F(CommandsRegisters, StoreArithmeticWritesANumberAndKeepsTheStack) {
  struct Case {
    void (*handler)();
    const char *r, *x, *result;
  };
  const Case cases[] = {
      {zq_cmd_st_plus, "10", "3", "13"},   {zq_cmd_st_minus, "10", "3", "7"},
      {zq_cmd_st_mul, "2.5", "4", "10.0"}, {zq_cmd_st_div, "1", "3", "0.3333333333333333"},
      {zq_cmd_st_div, "10", "0", nullptr}, {zq_cmd_st_mul, "1E+300", "1E+300", nullptr},
  };
  operand(OPT_NUM, 5);
  for (const Case& c : cases) {
    zq_reg_set(reg(5), quiet_num(c.r), REG_HMS);
    zq_reg_set(CELL_X, quiet_num(c.x), REG_HMS);
    const zq_double_64 l = zq_regs[CELL_L];
    // A code left over from before does not count.
    zqm_set_error(ERR_DATA);
    EXPECT_EQ(output_of(c.handler), c.result ? "" : "DATA ERROR\n") << c.r << " " << c.x;
    EXPECT_EQ(text_of(zq_regs[reg(5)]), c.result ? c.result : c.r);
    EXPECT_EQ(zq_reg_types[reg(5)], c.result ? REG_NUMBER : REG_HMS);
    EXPECT_EQ(text_of(zq_regs[CELL_X]), c.x);
    EXPECT_EQ(zq_reg_types[CELL_X], REG_HMS);
    EXPECT_EQ(zq_regs[CELL_L], l);
  }
}

TEST_F(CommandsRegisters, MovesCarryTheTagOfTheirSource) {
  operand(OPT_NUM, 9);
  zq_reg_set(CELL_X, 0x4142, REG_ALPHA);
  zq_cmd_sto();
  EXPECT_EQ(zq_regs[reg(9)], 0x4142u);
  EXPECT_EQ(zq_reg_types[reg(9)], REG_ALPHA);

  zq_reg_set(reg(9), 0xff, REG_FLAGS);
  zq_cmd_rcl();
  EXPECT_EQ(zq_reg_types[CELL_X], REG_FLAGS);
  EXPECT_EQ(zq_reg_types[CELL_Y], REG_ALPHA);

  zq_reg_set(reg(9), quiet_num("1.3"), REG_HMS);
  zq_cmd_x_swap();
  EXPECT_EQ(zq_reg_types[CELL_X], REG_HMS);
  EXPECT_EQ(zq_regs[reg(9)], 0xffu);
  EXPECT_EQ(zq_reg_types[reg(9)], REG_FLAGS);
}

// The pointer R04 names register 1000: "NONEXISTENT", and no cell changes,
// R00 included; rcl does not even lift the stack.
TEST_F(CommandsRegisters, AMissingOperandRegisterChangesNothing) {
  std::strcpy(zq_alpha, "ABC");
  zq_reg_set_number(reg(4), quiet_num("1000"));
  void (*handlers[])() = {zq_cmd_sto, zq_cmd_st_plus, zq_cmd_st_minus, zq_cmd_st_mul, zq_cmd_st_div,
                          zq_cmd_rcl, zq_cmd_x_swap,  zq_cmd_asto,     zq_cmd_astol};
  for (auto* handler : handlers) {
    operand(OPT_NUM | OPT_IND, 4);
    const Cells before = cells();
    EXPECT_EQ(output_of(handler), "NONEXISTENT\n");
    EXPECT_EQ(cells(), before);
  }
}

TEST_F(CommandsRegisters, BlocksStayInsideTheRegisterFile) {
  struct Case {
    void (*handler)();
    const char* x;
    // Register to[i] receives the old content of register from[i].
    std::vector<int> from, to;
    bool refused;
  };
  const Case cases[] = {
      {zq_cmd_regmove, "1.002003", {1, 2, 3}, {2, 3, 4}, false},
      // Destination below an overlapping source: the block arrives intact.
      {zq_cmd_regmove, "2.001002", {2, 3}, {1, 2}, false},
      {zq_cmd_regmove, "3.001004", {3, 4, 5, 6}, {1, 2, 3, 4}, false},
      {zq_cmd_regmove, "1.998005", {1, 2}, {998, 999}, false},
      // A source block running past R999 is cut there like a destination.
      {zq_cmd_regmove, "997.010005", {997, 998, 999}, {10, 11, 12}, false},
      {zq_cmd_regmove, "-4.020000", {0}, {20}, false},  // count 0 is 1, source R00
      {zq_cmd_regswap, "1.005002", {5, 6, 1, 2}, {1, 2, 5, 6}, false},
      {zq_cmd_regswap, "998.000009", {0, 1, 998, 999}, {998, 999, 0, 1}, false},
      {zq_cmd_regmove, "1000.001001", {}, {}, true},  // no source register at all
      {zq_cmd_regswap, "1E19", {}, {}, true},
      {zq_cmd_regmove, "Inf", {}, {}, true},
  };
  for (const Case& c : cases) {
    SetUp();
    zq_reg_set_number(CELL_X, quiet_num(c.x));
    zq_reg_set(reg(999), 0x5a, REG_ALPHA);  // tags move with the values
    const Cells before = cells();
    Cells expected = before;
    for (size_t i = 0; i < c.to.size(); ++i) expected[reg_at(c.to[i])] = before[reg_at(c.from[i])];
    EXPECT_EQ(output_of(c.handler), c.refused ? "DATA ERROR\n" : "") << c.x;
    EXPECT_EQ(cells(), expected) << c.x;
  }
}

TEST_F(CommandsRegisters, ClearXClearsTheFirstThenStepsFromTheNext) {
  struct Case {
    const char* x;
    std::vector<int> cleared;
    bool refused;
  };
  const Case cases[] = {
      {"10.02003", {10, 11, 14, 17, 20}, false}, {"5.00300", {5}, false}, {"-3.00101", {0, 1}, false},
      {"995.99902", {995, 996, 998}, false},     {"1000.001", {}, true},  {"NaN", {}, true},
  };
  for (const Case& c : cases) {
    SetUp();
    zq_reg_set_number(CELL_X, quiet_num(c.x));
    Cells expected = cells();
    for (const int r : c.cleared) expected[reg_at(r)] = {zqm_k_0, REG_NUMBER};
    EXPECT_EQ(output_of(zq_cmd_clrgx), c.refused ? "DATA ERROR\n" : "") << c.x;
    EXPECT_EQ(cells(), expected) << c.x;
  }
}

TEST_F(CommandsRegisters, ClearStackAndRegistersSpareLastxAndTheLiteral) {
  zq_regs[CELL_LITERAL] = 77;
  zq_cmd_clst();
  zq_cmd_clrg();
  EXPECT_EQ(zq_regs[CELL_LITERAL], 77u);
  EXPECT_EQ(text_of(zq_regs[CELL_L]), "1");
  for (zq_cell_index i = CELL_X; i <= CELL_LAST; ++i) {
    EXPECT_EQ(zq_regs[i], zqm_k_0) << i;
    EXPECT_EQ(zq_reg_types[i], REG_NUMBER) << i;
  }
}

TEST_F(CommandsRegisters, ErrnoPushesTheLastCodeEvenASwallowedOne) {
  zq_flag_set(FLAG_IGNORE_ERROR);
  EXPECT_EQ(output_of([] { zq_report_error(ERR_FLAG_DATA); }), "");
  zq_reg_set(CELL_X, 0x41, REG_ALPHA);
  zq_cmd_errno();
  EXPECT_EQ(text_of(zq_regs[CELL_X]), "5");
  EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
  EXPECT_EQ(zq_regs[CELL_L], 0x41u);  // the old X, with its tag
  EXPECT_EQ(zq_reg_types[CELL_L], REG_ALPHA);
  EXPECT_EQ(zq_reg_types[CELL_Y], REG_ALPHA);

  EXPECT_EQ(output_of([] { zq_report_error(42); }), "UNKNOWN\n");
  zq_cmd_errno();
  EXPECT_EQ(text_of(zq_regs[CELL_X]), "99");
  zq_cmd_clerr();
  zq_cmd_errno();
  EXPECT_EQ(text_of(zq_regs[CELL_X]), "0");
}

}  // namespace
