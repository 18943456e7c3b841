// The alpha register: append with overflow on the left, shift, rotate, moving
// text to and from register cells, the terminated copy and the savep split.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "number/number.h"
#include "state/alpha.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/modes.h"
#include "state/registers.h"

#include "state_test_support.h"

namespace {

using zq_test::alpha_text;
using zq_test::set_alpha;

const char* const alphabet24 = "ABCDEFGHIJKLMNOPQRSTUVWX";

class StateAlpha : public zq_test::FreshTest {
 protected:
  void SetUp() override {
    zq_test::FreshTest::SetUp();
    zq_decoded.opt = OPT_NUM;
    zq_decoded.add = 5;  // register R05
  }
};

TEST_F(StateAlpha, Append) {
  struct Case {
    const char* before;
    const char* text;
    int64_t count;
    const char* after;
  };
  const Case cases[] = {
      {"ABC", "DEF", 3, "ABCDEF"},
      {alphabet24, "YZ", 2, "CDEFGHIJKLMNOPQRSTUVWXYZ"},
      {"AB", "abcdefghijklmnopqrstuvwxyz0123", 30, "abcdefghijklmnopqrstuvwx"},
      {"AB", "CDE", 0, "AB"},
      {"AB", "CDE", -3, "AB"},
      {"ABCDEFGHIJKLMNOPQRSTUV", "123", 3, "BCDEFGHIJKLMNOPQRSTUV123"},
  };
  for (const Case& c : cases) {
    set_alpha(c.before);
    zq_alpha_append(c.text, c.count);
    EXPECT_EQ(alpha_text(), c.after) << c.before << " + " << c.text;
  }
}

TEST_F(StateAlpha, FullRegisterHasNoTerminator) {
  zq_alpha_append(alphabet24, 24);
  EXPECT_EQ(zq_alpha_length(), 24);
  EXPECT_EQ(std::memchr(zq_alpha, '\0', sizeof zq_alpha), nullptr);
  char copy[zq_alpha_copy_size];
  std::memset(copy, 'z', sizeof copy);
  zq_alpha_copy_24(copy);
  EXPECT_EQ(copy[zq_alpha_size], '\0');
  EXPECT_STREQ(copy, alphabet24);
}

TEST_F(StateAlpha, ShiftLeft) {
  struct Case {
    const char* before;
    int64_t count;
    const char* after;
  };
  const Case cases[] = {
      {"ABCDEFGH", 6, "GH"},
      {"ABCD", 6, ""},
      {"A", 1, ""},
      {"ABCD", 4, ""},
      {alphabet24, 8, "IJKLMNOPQRSTUVWX"},
      {"ABC", 0, "ABC"},
  };
  for (const Case& c : cases) {
    set_alpha(c.before);
    zq_alpha_shift_left(c.count);
    EXPECT_EQ(alpha_text(), c.after) << c.before << " << " << c.count;
  }
  // An emptied register takes new text from position 0.
  set_alpha("ABCD");
  zq_alpha_shift_left(6);
  zq_alpha_append("X", 1);
  EXPECT_EQ(alpha_text(), "X");
}

TEST_F(StateAlpha, Rotate) {
  struct Case {
    const char* before;
    const char* left;
    const char* right;
  };
  const Case cases[] = {{"", "", ""},
                        {"A", "A", "A"},
                        {"ABC", "BCA", "CAB"},
                        {alphabet24, "BCDEFGHIJKLMNOPQRSTUVWXA", "XABCDEFGHIJKLMNOPQRSTUVW"}};
  for (const Case& c : cases) {
    set_alpha(c.before);
    zq_alpha_rotate_left();
    EXPECT_EQ(alpha_text(), c.left);
    set_alpha(c.before);
    zq_alpha_rotate_right();
    EXPECT_EQ(alpha_text(), c.right);
  }
}

TEST_F(StateAlpha, ToRegister) {
  struct Case {
    const char* alpha;
    int64_t n;
    const char* stored;
  };
  const Case cases[] = {{"ABCDEFGH", 6, "ABCDEF"}, {"ABCDEFGH", 8, "ABCDEFGH"}, {"AB", 8, "AB"}, {"", 6, ""}};
  for (const Case& c : cases) {
    set_alpha(c.alpha);
    zq_alpha_to_reg(c.n);
    EXPECT_EQ(zq_regs[CELL_R00 + 5],
              zq_cell_pack_text(c.stored, static_cast<int64_t>(std::strlen(c.stored))));
    EXPECT_EQ(zq_reg_types[CELL_R00 + 5], REG_ALPHA);
    EXPECT_EQ(alpha_text(), c.alpha);
  }
  // A missing register: the message, and nothing is written, not even R00.
  zq_reg_set_number(CELL_R00, zqm_k_1);
  zq_decoded.add = 1000;
  testing::internal::CaptureStdout();
  zq_alpha_to_reg(6);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\n");
  EXPECT_EQ(zq_regs[CELL_R00], zqm_k_1);
  EXPECT_EQ(zq_reg_types[CELL_R00], REG_NUMBER);
}

TEST_F(StateAlpha, AppendRegister) {
  const uint64_t text8 = zq_cell_pack_text("ABCDEFGH", 8);
  char two_thirds_text[] = "0.6666666666666667";
  const zq_double_64 two_thirds = zqm_zq_double_64_from_string(two_thirds_text, sizeof two_thirds_text, 1);
  zq_disp_format = FMT_FIX;
  zq_digits = 4;
  zq_flags = 0;
  zq_flag_set(FLAG_RADIX_POINT);
  zq_flag_set(FLAG_GROUPING);
  struct Case {
    uint64_t value;
    uint8_t tag;
    int64_t n;
    const char* appended;
  };
  const Case cases[] = {
      {text8, REG_ALPHA, 6, "ABCDEF"},
      {text8, REG_ALPHA, 8, "ABCDEFGH"},
      {zq_cell_pack_text("XY", 2), REG_ALPHA, 6, "XY"},
      {two_thirds, REG_NUMBER, 6, "0.6667"},
      {0, REG_FLAGS, 8, "Flag Data"},
      {0, 0, 8, ""},  // a tag of no type shows nothing
  };
  for (const Case& c : cases) {
    set_alpha(">");
    zq_reg_set(CELL_R00 + 5, c.value, c.tag);
    zq_alpha_append_reg(c.n);
    EXPECT_EQ(alpha_text(), std::string(">") + c.appended);
  }
  set_alpha(">");
  zq_decoded.add = 1000;
  testing::internal::CaptureStdout();
  zq_alpha_append_reg(8);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\n");
  EXPECT_EQ(alpha_text(), ">");
}

TEST_F(StateAlpha, SplitLabelAndFile) {
  struct Case {
    const char* alpha;
    const char* label;
    const char* file;
  };
  const Case cases[] = {
      {"PROG,FILE", "PROG", "FILE"},
      {",FILE", "", "FILE"},
      {"PROG", "PROG", ""},
      {"ABCDEFGHIJ,F", "ABCDEFGH", ""},
      {"A,B,C", "A", "B,C"},
      {"ABCDEFGH,123456789012345", "ABCDEFGH", "123456789012345"},
      {",12345678901234567890123", "", "12345678901234567890123"},  // the longest file part
  };
  for (const Case& c : cases) {
    set_alpha(c.alpha);
    char label[zq_alpha_label_size];
    char file[zq_alpha_file_size];
    zq_alpha_split_label_file(label, file);
    EXPECT_STREQ(label, c.label) << c.alpha;
    EXPECT_STREQ(file, c.file) << c.alpha;
  }
}

}  // namespace
