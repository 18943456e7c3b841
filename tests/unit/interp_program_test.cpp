// Program memory: the instruction word, step layouts and lengths, recording.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "interp/command_table.h"
#include "interp/executor.h"
#include "interp/program.h"
#include "state/execution.h"
#include "state/instr.h"
#include "state/registers.h"

#include "start_test_support.h"

namespace {

constexpr int kSto = 164;
constexpr int kRun = 146;
constexpr int kReads = 138;
constexpr int kList = 111;

uint32_t word_of(int32_t cmd, uint8_t opt, uint16_t add) { return zq_instr_pack({cmd, opt, add}); }

uint32_t chars(const char* four) {  // four bytes of a text word, first in the lowest byte
  uint32_t word = 0;
  for (int i = 0; i < 4 && four[i] != '\0'; ++i)
    word |= static_cast<uint32_t>(static_cast<unsigned char>(four[i])) << (8 * i);
  return word;
}

class Program : public zq_test::FreshTest {
 protected:
  // Records one decoded command as the parser would hand it over.
  static std::string record(int32_t cmd, uint8_t opt = 0, uint16_t add = 0, const char* text = "") {
    zq_decoded = {cmd, opt, add};
    std::memset(zq_text, 0, sizeof zq_text);
    std::snprintf(zq_text, sizeof zq_text, "%s", text);
    testing::internal::CaptureStdout();
    zq_calc_load_program();
    return testing::internal::GetCapturedStdout();
  }

  static uint32_t final_end_word() { return word_of(zq_idx_end, OPT_FINAL_END, 1); }
};

TEST(Instr, PackAndUnpack) {
  const struct {
    zq_instr in;
    uint8_t bytes[4];  // stored order, little-endian
  } cases[] = {
      {{164, OPT_NUM, 5}, {0xa4, 0x04, 0x05, 0x00}},
      {{198, OPT_CHAR, 0x1234}, {0xc6, 0x80, 0x34, 0x12}},
      {{12, OPT_STACK, 0xffff}, {0x0c, 0x02, 0xff, 0xff}},
      {{77, OPT_FINAL_END | OPT_CHAIN_HEAD, 1}, {0x4d, 0x60, 0x01, 0x00}},
      {{255, 0, 0}, {0xff, 0x00, 0x00, 0x00}},
      {{-1, 0, 0}, {0xff, 0x01, 0x00, 0x00}},  // bit 8 of cmd in the lowest bit of byte 1
      {{-256, 0x7f, 0}, {0x00, 0xff, 0x00, 0x00}},
  };
  for (const auto& c : cases) {
    const uint32_t word = zq_instr_pack(c.in);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ((word >> (8 * i)) & 0xffu, c.bytes[i]) << "cmd " << c.in.cmd << " byte " << i;
    const zq_instr back = zq_instr_unpack(word);
    EXPECT_EQ(back.cmd, c.in.cmd);  // sign-extended
    EXPECT_EQ(back.opt, c.in.opt);
    EXPECT_EQ(back.add, c.in.add);
  }
  // Only 9 bits of cmd and 7 of opt are kept; neither spills into the other fields.
  EXPECT_EQ(zq_instr_pack({0x3ff, 0, 0}), 0x1ffu);
  EXPECT_EQ(zq_instr_pack({0, 0xff, 0}), 0x7fu << 9);
  EXPECT_EQ(zq_instr_unpack(0x1ffu).cmd, -1);
  EXPECT_EQ(zq_instr_unpack(0x100u).cmd, -256);
}

TEST_F(Program, InitialisedMemory) {
  EXPECT_EQ(zq_prog[0], 0u);
  EXPECT_EQ(zq_prog[1], final_end_word());
  EXPECT_EQ(pc, 1);
  EXPECT_EQ(zq_final_end, 1);
  for (int64_t a = 2; a < zq_prog_size; ++a) ASSERT_EQ(zq_prog[a], 0u) << a;
}

TEST_F(Program, StoThenEnd) {
  EXPECT_EQ(record(kSto, OPT_NUM, 5), "");
  EXPECT_EQ(zq_final_end, 2);
  EXPECT_EQ(zq_prog[2], final_end_word());  // the final END moved along
  EXPECT_EQ(record(zq_idx_end), "");
  EXPECT_EQ(zq_prog[1], word_of(kSto, OPT_NUM, 5));
  EXPECT_EQ(zq_prog[2], word_of(zq_idx_end, 0, 0));
  EXPECT_EQ(zq_prog[3], final_end_word());
  EXPECT_EQ(pc, 3);
  EXPECT_EQ(zq_final_end, 3);
}

TEST_F(Program, StepLayouts) {
  const struct {
    const char* what;
    int32_t cmd;
    uint8_t opt;
    uint16_t add;
    const char* text;
    int64_t length;
    uint32_t extra[4];
  } cases[] = {
      {"plain", 48, 0, 0, "", 1, {}},
      {"register operand", kSto, OPT_IND | OPT_STACK, 2, "", 1, {}},
      {"text of 20 characters",
       zq_idx_alpha,
       0,
       0,
       "abcdefghijklmnopqrst",
       5,
       {chars("abcd"), chars("efgh"), chars("ijkl"), chars("mnop")}},
      {"short text", zq_idx_append, 0, 0, "Hi", 5, {chars("Hi"), 0, 0, 0}},
      {"global label of 9 characters",
       zq_idx_lbl,
       OPT_STR,
       0,
       "ABCDEFGHI",
       3,
       {chars("ABCD"), chars("EFGH")}},
      {"local label number", zq_idx_lbl, OPT_NUM, 1, "01", 1, {}},
      {"local label letter", zq_idx_lbl, OPT_CHAR, 'a', "a", 1, {}},
      {"gto a name", zq_idx_gto, OPT_STR, 0, "AB", 4, {0, chars("AB"), 0}},
      {"xeq a number", zq_idx_xeq, OPT_NUM, 12, "12", 2, {0}},
      {"gto a letter", zq_idx_gto, OPT_CHAR, 'b', "b", 2, {0}},
      {"gto ind", zq_idx_gto, OPT_IND | OPT_NUM, 3, "3", 2, {0}},
      {"file name", kReads, OPT_STR, 0, "st", 3, {chars("st"), 0}},
      {"file command without a name", kReads, OPT_CHAR, 'a', "a", 2, {0}},
  };
  for (const auto& c : cases) {
    SetUp();
    zq_prog[2] = 0xdeadbeef;  // stale words beyond memory in use are overwritten
    record(c.cmd, c.opt, c.add, c.text);
    EXPECT_EQ(pc, 1 + c.length) << c.what;
    EXPECT_EQ(zq_final_end, pc) << c.what;
    EXPECT_EQ(zq_prog[1], word_of(c.cmd, c.opt, c.add)) << c.what;
    for (int64_t i = 1; i < c.length; ++i)
      EXPECT_EQ(zq_prog[1 + i], c.extra[i - 1]) << c.what << " word " << i;
    EXPECT_EQ(zq_prog[pc], final_end_word()) << c.what;
    EXPECT_EQ(zq_pc_inc(1), c.length) << c.what;
    EXPECT_EQ(zq_get_step_length(1), c.length) << c.what;
  }
}

TEST_F(Program, NumberStep) {
  const zq_double_64 value = 0x2238000000000005ull;  // the decimal64 5
  zq_regs[CELL_LITERAL] = value;
  record(zq_idx_nbr);
  EXPECT_EQ(pc, 4);
  EXPECT_EQ(zq_prog[1], word_of(zq_idx_nbr, 0, 0));
  EXPECT_EQ(zq_prog[2], 0x00000005u);  // low half first
  EXPECT_EQ(zq_prog[3], 0x22380000u);
  EXPECT_EQ(zq_step_number(2), value);
  EXPECT_EQ(zq_pc_inc(1), 3);
}

TEST_F(Program, ReadingNamesAndTextsBack) {
  record(zq_idx_lbl, OPT_STR, 0, "ABCDEFGHI");
  record(zq_idx_gto, OPT_STR, 0, "xy");
  record(zq_idx_alpha, 0, 0, "abcdefghijklmnopqrst");
  char name[zq_step_name_size + 1];
  zq_step_name(2, name);
  EXPECT_STREQ(name, "ABCDEFGH");
  zq_step_name(6, name);
  EXPECT_STREQ(name, "xy");
  char text[zq_step_text_size + 1];
  zq_step_text(9, text);
  EXPECT_STREQ(text, "abcdefghijklmnop");
}

TEST_F(Program, RefusesARowThatIsNotProgrammable) {
  record(kSto, OPT_NUM, 1);
  EXPECT_EQ(record(kRun), "Command run is not programmable.\n");
  EXPECT_EQ(record(kList, OPT_NUM, 3), "Command list is not programmable.\n");
  EXPECT_EQ(pc, 2);
  EXPECT_EQ(zq_final_end, 2);
  EXPECT_EQ(zq_prog[2], final_end_word());
  EXPECT_EQ(zq_prog[3], 0u);
}

TEST_F(Program, OutOfMemory) {
  pc = zq_last_step_start;
  zq_put_final_end(pc);
  EXPECT_EQ(record(zq_idx_alpha, 0, 0, "longest step"), "");  // the last step that fits, whole
  EXPECT_EQ(pc, 65534);
  EXPECT_EQ(zq_final_end, 65534);
  EXPECT_EQ(zq_prog[65534], final_end_word());
  EXPECT_EQ(record(kSto, OPT_NUM, 1), "Out of memory! Error 4.\n");
  EXPECT_EQ(record(zq_idx_end), "Out of memory! Error 4.\n");
  EXPECT_EQ(pc, 65534);
  EXPECT_EQ(zq_final_end, 65534);
  EXPECT_EQ(zq_prog[65534], final_end_word());
  EXPECT_EQ(zq_prog[65535], 0u);
}

TEST_F(Program, EveryRecordedStepLeavesTheFinalEndBehindIt) {
  zq_regs[CELL_LITERAL] = 0;
  const zq_instr steps[] = {{zq_idx_lbl, OPT_STR, 0}, {zq_idx_nbr, 0, 0},   {zq_idx_gto, OPT_STR, 0},
                            {zq_idx_end, 0, 0},       {zq_idx_alpha, 0, 0}, {kRun, 0, 0},
                            {zq_idx_xeq, OPT_NUM, 4}, {zq_idx_end, 0, 0}};
  for (const zq_instr& s : steps) {
    record(s.cmd, s.opt, s.add, "NAME");
    EXPECT_EQ(zq_final_end, pc);
    EXPECT_EQ(zq_prog[zq_final_end], final_end_word()) << "after cmd " << s.cmd;
  }
  // Walking from word 1 passes every step and both ENDs and stops on the final END.
  int64_t a = 1;
  int steps_walked = 0;
  while (zq_get_step_length(a) != 0) {
    a += zq_get_step_length(a);
    ++steps_walked;
  }
  EXPECT_EQ(a, zq_final_end);
  EXPECT_EQ(steps_walked, 7);  // run was refused
}

TEST_F(Program, LengthsOfEnds) {
  const struct {
    uint8_t opt;
    int64_t walker_length;
  } cases[] = {
      {0, 1},
      {OPT_CHAIN_HEAD, 1},
      {OPT_FINAL_END, 0},
      {OPT_FINAL_END | OPT_CHAIN_HEAD, 0},
  };
  for (const auto& c : cases) {
    zq_prog[10] = word_of(zq_idx_end, c.opt, 7);
    EXPECT_EQ(zq_pc_inc(10), 0);
    EXPECT_EQ(zq_get_step_length(10), c.walker_length) << "opt " << int(c.opt);
  }
}

// A run reads most steps' lengths by row alone: for every cmd field and
// option bits with a layout, the length that the option bits' table gives.
TEST_F(Program, EveryStepLengthByRowIsTheLengthByOptionBits) {
  for (uint32_t low = 0; low <= 0xffff; ++low) {
    const uint32_t word = low | 0xa5a50000u;  // add plays no part
    const uint8_t by_option_bits = zq_step_lengths[zq_length_key(word)];
    if (by_option_bits == zq_no_layout) continue;  // reported, as below
    zq_prog[40] = word;
    ASSERT_EQ(zq_pc_inc(40), by_option_bits) << std::hex << word;
  }
}

TEST_F(Program, WordsWithoutAStepLayoutStopARun) {
  const struct {
    uint32_t word;
    const char* type;
  } cases[] = {
      {0, "CMD_TYPE_KEYBD"},  // a word 0 is row "0"
      {word_of(kList, OPT_NUM, 3), "CMD_TYPE_LINE_NO"},
      {word_of(58, 0, 0), "CMD_TYPE_OPT_ALPHA"},  // clp
      {word_of(zq_end_row, 0, 0), "CMD_TYPE_KEYBD"},
      {word_of(250, 0, 0), "zq_get_command_type unknown"},  // names no row
      {word_of(-3, 0, 0), "zq_get_command_type unknown"},
  };
  for (const auto& c : cases) {
    zq_prog[40] = c.word;
    zq_mode = MODE_RUN;
    zq_xail = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_pc_inc(40), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              std::string("Unknown Command type ") + c.type + " at pc = 40 in zq_pc_inc().\n");
    EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
    EXPECT_EQ(zq_xail, 0);
  }
  zq_mode = MODE_RECORD;
}

TEST_F(Program, OutsideMemoryReadsAsWordZero) {
  EXPECT_EQ(zq_step_at(-1).cmd, 0);
  EXPECT_EQ(zq_step_at(zq_prog_size).cmd, 0);
  EXPECT_EQ(zq_step_number(zq_prog_size - 1), 0u);
}

}  // namespace
