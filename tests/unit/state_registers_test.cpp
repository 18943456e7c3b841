// The register file: cells and tags, the index check, the stack lift,
// operand resolution through numbers, stack letters and ind, and cell names.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "number/number.h"
#include "state/execution.h"
#include "state/instr.h"
#include "state/registers.h"

#include "number_test_support.h"

namespace {

using namespace zq_test;

class StateRegisters : public FreshTest {};

TEST_F(StateRegisters, CellsHoldValueAndTag) {
  EXPECT_EQ(zq_cell_count, 1006);
  EXPECT_EQ(CELL_R00, 6);
  EXPECT_EQ(CELL_LAST, 1005);
  EXPECT_EQ(zq_regs[CELL_LAST], zqm_k_0);
  EXPECT_EQ(zq_reg_types[CELL_LAST], REG_NUMBER);

  zq_reg_set(CELL_R00 + 10, 0x4241, REG_ALPHA);
  zq_reg_copy(CELL_R00 + 10, CELL_X);
  EXPECT_EQ(zq_regs[CELL_X], 0x4241u);
  EXPECT_EQ(zq_reg_types[CELL_X], REG_ALPHA);
  zq_reg_clear(CELL_R00 + 10);
  EXPECT_EQ(zq_regs[CELL_R00 + 10], zqm_k_0);
  EXPECT_EQ(zq_reg_types[CELL_R00 + 10], REG_NUMBER);
  zq_reg_set(CELL_Y, 7, REG_FLAGS);
  zq_reg_set_number(CELL_Y, zqm_k_pi);
  EXPECT_EQ(zq_regs[CELL_Y], zqm_k_pi);
  EXPECT_EQ(zq_reg_types[CELL_Y], REG_NUMBER);

  zq_reg_save_temp(CELL_X);
  zq_reg_restore_temp(CELL_T);
  EXPECT_EQ(zq_regs[CELL_T], 0x4241u);
  EXPECT_EQ(zq_reg_types[CELL_T], REG_ALPHA);
}

TEST_F(StateRegisters, TagTests) {
  struct Case {
    uint8_t tag;
    int number, flags, alpha;
  };
  const Case cases[] = {
      {REG_NUMBER, 1, 0, 0}, {REG_HMS, 1, 0, 0}, {REG_ALPHA, 0, 0, 1}, {REG_FLAGS, 0, 1, 0}, {0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    zq_reg_set(CELL_Z, 0, c.tag);
    EXPECT_EQ(zq_reg_is_number(CELL_Z), c.number) << int{c.tag};
    EXPECT_EQ(zq_reg_is_flags(CELL_Z), c.flags) << int{c.tag};
    EXPECT_EQ(zq_reg_is_alpha(CELL_Z), c.alpha) << int{c.tag};
  }
}

TEST_F(StateRegisters, IndexCheck) {
  struct Case {
    zq_cell_index index, result;
  };
  const Case cases[] = {
      {1, 1}, {1005, 1005}, {0, zq_no_cell}, {1006, zq_no_cell}, {-1, zq_no_cell}, {INT64_MIN, zq_no_cell},
  };
  for (const Case& c : cases) {
    const bool missing = c.result == zq_no_cell;
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_reg_check_index(c.index), c.result);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), missing ? "NONEXISTENT\n" : "") << c.index;
    if (!missing) continue;
    // A missing cell, -1 included, fails every tag test after the same message.
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_reg_is_number(c.index) + zq_reg_is_flags(c.index) + zq_reg_is_alpha(c.index), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\nNONEXISTENT\nNONEXISTENT\n");
  }
}

TEST_F(StateRegisters, StackLift) {
  zq_reg_set_number(CELL_X, 1);
  zq_reg_set_number(CELL_Y, 2);
  zq_reg_set(CELL_Z, 3, REG_ALPHA);
  zq_reg_set(CELL_T, 4, REG_FLAGS);
  zq_stack_lift();
  const uint64_t lifted[] = {1, 1, 2, 3};
  const uint8_t tags[] = {REG_NUMBER, REG_NUMBER, REG_NUMBER, REG_ALPHA};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(zq_regs[CELL_X + i], lifted[i]) << i;
    EXPECT_EQ(zq_reg_types[CELL_X + i], tags[i]) << i;
  }

  // After clx the next lift only switches the lift back on.
  zq_lift = 0;
  zq_stack_lift();
  EXPECT_EQ(zq_lift, 1);
  EXPECT_EQ(zq_regs[CELL_Y], 1u);
  EXPECT_EQ(zq_regs[CELL_T], 3u);
  zq_reg_set_number(CELL_X, 9);
  zq_stack_lift();
  EXPECT_EQ(zq_regs[CELL_Y], 9u);
  EXPECT_EQ(zq_regs[CELL_T], 2u);
}

TEST_F(StateRegisters, OperandRegister) {
  struct Case {
    uint8_t opt;
    uint16_t add;
    const char* pointer;  // value of the ind pointer cell, if any
    zq_cell_index cell;
    const char* output;
  };
  const uint8_t ind_num = OPT_IND | OPT_NUM;
  const Case cases[] = {
      {OPT_NUM, 12, nullptr, 18, ""},
      {OPT_STACK, 4, nullptr, CELL_Z, ""},
      {ind_num, 12, "7.9", 13, ""},
      {ind_num, 12, "-5", CELL_L, ""},
      {ind_num, 12, "-4", CELL_X, ""},
      {ind_num, 12, "-3", CELL_Y, ""},
      {ind_num, 12, "-2", CELL_Z, ""},
      {ind_num, 12, "-1", CELL_T, ""},
      {ind_num, 12, "-6", zq_no_cell, "NONEXISTENT\n"},
      {ind_num, 12, "12.9", 18, ""},
      {ind_num, 12, "-0.5", CELL_R00, ""},
      {ind_num, 12, "2000", zq_no_cell, "NONEXISTENT\n"},
      {ind_num, 12, "1e20", CELL_R00, ""},  // no 32-bit value: R00
      {OPT_IND | OPT_STACK, CELL_Y, "3", 9, ""},
      {OPT_NUM, 1000, nullptr, zq_no_cell, "NONEXISTENT\n"},
      {ind_num, 1000, nullptr, zq_no_cell, "NONEXISTENT\n"},  // the pointer itself is missing
  };
  for (const Case& c : cases) {
    SetUp();
    zq_decoded.opt = c.opt;
    zq_decoded.add = c.add;
    if (c.pointer != nullptr) {
      const zq_cell_index pointer = (c.opt & OPT_STACK) ? c.add : c.add + CELL_R00;
      zq_reg_set_number(pointer, num(c.pointer));
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_get_operand_reg(), c.cell) << c.add << " " << (c.pointer ? c.pointer : "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
  }
}

TEST_F(StateRegisters, OperandValue) {
  zq_reg_set_number(CELL_X, num("7.5"));
  zq_reg_set_number(CELL_R00 + 5, num("12"));
  zq_reg_set(CELL_Y, 0x41, REG_ALPHA);
  struct Case {
    uint8_t opt;
    uint16_t add;
    std::optional<uint64_t> value;
  };
  const Case cases[] = {
      {OPT_NUM, 5, zqm_zq_double_64_from_int(5)},
      {0, 0, zqm_zq_double_64_from_int(0)},
      {OPT_STACK, CELL_X, zq_regs[CELL_X]},
      {OPT_IND | OPT_NUM, 5, zq_regs[CELL_R00 + 5]},  // the pointer's own content
      {OPT_IND | OPT_STACK, CELL_Y, 0x41},            // whatever its tag
      {OPT_IND | OPT_NUM, 1000, std::nullopt},
      {OPT_STACK, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    zq_decoded.opt = c.opt;
    zq_decoded.add = c.add;
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_get_operand_value(), c.value) << int{c.opt} << " " << c.add;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.value ? "" : "NONEXISTENT\n");
  }
}

TEST_F(StateRegisters, CellNamesAndStackLetters) {
  struct Case {
    zq_cell_index index;
    const char* name;
  };
  const Case cases[] = {
      {CELL_L, "l:"}, {CELL_X, "x:"},   {CELL_Y, "y:"},           {CELL_Z, "z:"},
      {CELL_T, "t:"}, {CELL_R00, "0:"}, {CELL_R00 + 123, "123:"}, {CELL_LAST, "999:"},
  };
  for (const Case& c : cases) {
    char name[zq_cell_name_size];
    zq_reg_format_name(c.index, name);
    EXPECT_STREQ(name, c.name);
  }
  const char* letters[] = {"l", "x", "y", "z", "t"};
  for (zq_cell_index i = CELL_L; i <= CELL_T; ++i) EXPECT_STREQ(zq_get_stack_string(i), letters[i - 1]);
  for (zq_cell_index bad : {zq_cell_index{0}, CELL_R00}) {
    testing::internal::CaptureStdout();
    EXPECT_STREQ(zq_get_stack_string(bad), " ");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Incorrect stack address in zq_get_stack_string.");
  }
}

TEST_F(StateRegisters, CellText) {
  // First character in the lowest byte.
  EXPECT_EQ(zq_cell_pack_text("AB", 2), 0x4241u);
  EXPECT_EQ(zq_cell_pack_text("ABCDEFGHIJ", 10), zq_cell_pack_text("ABCDEFGH", 8));
  char text[zq_cell_text_size];
  const uint64_t value = zq_cell_pack_text("ABCDEFGH", 8);
  EXPECT_EQ(zq_cell_unpack_text(value, 6, text), 6);
  EXPECT_STREQ(text, "ABCDEF");
  EXPECT_EQ(zq_cell_unpack_text(value, 99, text), 8);
  EXPECT_STREQ(text, "ABCDEFGH");
  EXPECT_EQ(zq_cell_unpack_text(zq_cell_pack_text("XY", 2), 8, text), 2);
  EXPECT_STREQ(text, "XY");
}

}  // namespace
