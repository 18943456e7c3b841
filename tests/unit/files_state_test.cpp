// File names and the state file: name composition, the byte layout of both
// kinds of file, round trips, and refusal of files no state could come from.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "commands/program.h"
#include "files/paths.h"
#include "files/state_file.h"
#include "interp/labels.h"
#include "interp/program.h"
#include "interp_test_support.h"
#include "state/execution.h"
#include "state/instr.h"
#include "state/modes.h"
#include "state/path_prefix.h"
#include "state/registers.h"
#include "state/stats.h"
#include "state/watch.h"

namespace {

namespace fs = std::filesystem;
using zq_test::parse_line;
using bytes = std::vector<uint8_t>;

zq_double_64 number(const char* text) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s", text);
  return zqm_zq_double_64_from_string(buffer, sizeof buffer, 1);
}

// A text cell built by hand: first character in the lowest byte.
uint64_t text_cell(const char* text) {
  uint64_t value = 0;
  for (int i = 0; text[i] != '\0'; ++i) value |= uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
  return value;
}

// Instruction words built by hand: cmd in bits 0-8, opt in 9-15, add in 16-31.
constexpr uint32_t word(uint32_t cmd, uint32_t opt, uint32_t add) { return cmd | opt << 9 | add << 16; }
constexpr uint32_t row_lbl = 110, row_nbr = 12, row_rtn = 145, row_run = 146, row_end = 77;

// The state that the committed fixture files hold: a FIX 2 status with USER
// mode and flag 59 clear, text in T, R05 and alpha, and one program
//   1 lbl "SV"   4 nbr 42   7 rtn   8 final END
// already linked (the label heads the chain, the final END links to it).
struct fixture {
  static constexpr int flag_numbers[] = {26, 27, 28, 29, 37, 40, 63};
  static constexpr int64_t stat_base = 23;
  static constexpr char alpha[] = "SAVED STATE";
  static constexpr int64_t final_end = 8;

  static uint64_t flags() {
    uint64_t f = 0;
    for (const int n : flag_numbers) f |= uint64_t{1} << n;
    return f;
  }
  // LASTX, X, Y, Z, T.
  static std::vector<std::pair<uint64_t, uint8_t>> stack() {
    return {{number("0.5"), REG_NUMBER},
            {number("1.5"), REG_NUMBER},
            {number("2"), REG_NUMBER},
            {number("3"), REG_NUMBER},
            {text_cell("ABC"), REG_ALPHA}};
  }
  static std::pair<uint64_t, uint8_t> data_register(int n) {
    if (n == 0) return {number("7"), REG_NUMBER};
    if (n == 5) return {text_cell("TXT"), REG_ALPHA};
    if (n == 999) return {number("9.25"), REG_NUMBER};
    return {number("0"), REG_NUMBER};
  }
  static std::vector<uint32_t> program() {
    const zq_double_64 v = number("42");
    return {word(row_lbl, OPT_STR | OPT_CHAIN_HEAD, 1),
            'S' | 'V' << 8,
            0,
            word(row_nbr, 0, 0),
            static_cast<uint32_t>(v),
            static_cast<uint32_t>(v >> 32),
            word(row_rtn, 0, 0),
            word(row_end, OPT_FINAL_END, 1)};
  }
};

void put(bytes& image, size_t offset, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) image[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The fixture's file, byte by byte from the layout table's offsets.
bytes expected_image(uint64_t mask) {
  bytes image(mask == MEM_ALL ? 271257 : 109, 0);
  put(image, 0, 2, 8);
  put(image, 8, mask, 8);
  put(image, 16, fixture::flags(), 8);
  put(image, 24, fixture::stat_base, 8);
  std::memcpy(&image[32], fixture::alpha, std::strlen(fixture::alpha));
  const auto stack = fixture::stack();
  for (size_t i = 0; i < stack.size(); ++i) {
    put(image, 56 + 9 * i, stack[i].first, 8);
    put(image, 64 + 9 * i, stack[i].second, 1);
  }
  put(image, 101, 1000, 8);
  if (mask == MEM_STATUS) return image;
  for (int n = 0; n < 1000; ++n) {
    const size_t at = static_cast<size_t>(n);
    put(image, 109 + 8 * at, fixture::data_register(n).first, 8);
    put(image, 8109 + at, fixture::data_register(n).second, 1);
  }
  put(image, 9109, fixture::final_end, 8);
  const auto program = fixture::program();
  for (size_t w = 0; w < program.size(); ++w) put(image, 9117 + 4 * w, program[w], 4);
  return image;
}

void set_fixture_state() {
  zq_flags = fixture::flags();
  zq_stat_base = fixture::stat_base;
  std::memset(zq_alpha, 0, sizeof zq_alpha);
  std::memcpy(zq_alpha, fixture::alpha, std::strlen(fixture::alpha));
  const auto stack = fixture::stack();
  zq_cell_index cell = CELL_L;
  for (const auto& [value, type] : stack) zq_reg_set(cell++, value, type);
  for (int n = 0; n < 1000; ++n)
    zq_reg_set(CELL_R00 + n, fixture::data_register(n).first, fixture::data_register(n).second);
  zq_clear_program_memory();
  const auto program = fixture::program();
  for (size_t w = 0; w < program.size(); ++w) zq_prog[1 + w] = program[w];
  zq_final_end = fixture::final_end;
}

bytes read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The offset of the first byte where two files differ (the shorter one's
// length when one is a prefix of the other), or -1 when they are equal.
int64_t first_difference(const bytes& actual, const bytes& expected) {
  const auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  return a == actual.end() && e == expected.end() ? -1 : a - actual.begin();
}

void write_file(const fs::path& path, const bytes& content) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
}

void set_text(const std::string& text) { std::snprintf(zq_text, zq_text_size, "%s", text.c_str()); }

std::string write_state(const std::string& name, uint64_t mask) {
  set_text(name);
  testing::internal::CaptureStdout();
  zq_write_state_file(mask);
  return testing::internal::GetCapturedStdout();
}

std::string read_state(const std::string& name, uint64_t mask, int64_t& result) {
  set_text(name);
  testing::internal::CaptureStdout();
  result = zq_read_state_file(mask);
  return testing::internal::GetCapturedStdout();
}

// Everything a read may change, to show that a refused read changed nothing.
struct snapshot {
  uint64_t flags;
  int64_t stat_base, size, final_end, label_count;
  std::string alpha;
  std::vector<uint64_t> values;
  std::vector<uint8_t> tags;
  std::vector<uint32_t> words;

  static snapshot take() {
    return {zq_flags,
            zq_stat_base,
            zq_size,
            zq_final_end,
            zq_label_count,
            std::string(zq_alpha, sizeof zq_alpha),
            std::vector<uint64_t>(std::begin(zq_regs), std::end(zq_regs)),
            std::vector<uint8_t>(std::begin(zq_reg_types), std::end(zq_reg_types)),
            std::vector<uint32_t>(std::begin(zq_prog), std::end(zq_prog))};
  }
  bool operator==(const snapshot&) const = default;
};

// Each test works in a fresh directory that the path prefix names.
class FilesTest : public zq_test::FreshTest {
 protected:
  void SetUp() override {
    FreshTest::SetUp();
    char name[] = "/tmp/zq_files_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
    set_path(dir_.string() + "/");
  }
  void TearDown() override { fs::remove_all(dir_); }
  static void set_path(const std::string& path) {
    std::memset(zq_path, 0, sizeof zq_path);
    std::memcpy(zq_path, path.data(), std::min(path.size(), sizeof zq_path));
  }
  std::string in_dir(const std::string& name) const { return (dir_ / name).string(); }

  fs::path dir_;
};

// ---- names ----

using FilesNames = FilesTest;

TEST_F(FilesNames, PrefixPathPutsThePrefixBeforeTheFirst24Characters) {
  struct Case {
    std::string path, name, composed;
  };
  const std::string long_path(230, 'p');
  const Case cases[] = {
      {"", "prog", "prog"},
      {"dir/", "prog", "dir/prog"},
      {"dir", "prog", "dirprog"},  // no separator is inserted
      {"", std::string(30, 'n'), std::string(24, 'n')},
      {long_path, std::string(30, 'n'), long_path + std::string(24, 'n')},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    set_path(c.path);
    std::memset(zq_text, 'x', sizeof zq_text);
    std::memcpy(zq_text, c.name.c_str(), c.name.size() + 1);
    zq_prefix_path();
    EXPECT_EQ(std::string(zq_text), c.composed) << c.path << "+" << c.name;
    for (size_t i = c.composed.size(); i < sizeof zq_text; ++i) ASSERT_EQ(zq_text[i], '\0') << i;
  }
  // A prefix that fills all 231 bytes without a terminator still fits.
  std::memset(zq_path, 'q', sizeof zq_path);
  set_text(std::string(30, 'n'));
  zq_prefix_path();
  EXPECT_EQ(std::string(zq_text), std::string(231, 'q') + std::string(24, 'n'));
}

TEST_F(FilesNames, BackslashesBecomeSlashes) {
  char text[] = "C:\\DATA\\dir\\prog/x";
  zq_fix_path_separators(text);
  EXPECT_STREQ(text, "C:/DATA/dir/prog/x");
}

TEST_F(FilesNames, PathWithoutTrailingSeparatorWarns) {
  const struct {
    const char* path;
    const char* output;
  } cases[] = {
      {"dir", "Warning, Path has no trailing slash.\n"},
      {"/tmp", "Warning, Path has no trailing slash.\n"},
      {"dir/", ""},
      {"C:\\DATA\\", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    set_path(c.path);
    testing::internal::CaptureStdout();
    zq_check_path_slash();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output) << c.path;
    EXPECT_STREQ(zq_path, c.path);
  }
}

TEST_F(FilesNames, AlphaCopyStopsAtNulAndFillsToTheCount) {
  struct Case {
    const char* alpha;
    int64_t n;
    const char* expected;  // the 25 destination bytes, '#' for untouched
  };
  const Case cases[] = {
      {"AB", 5, "AB\0\0\0####################"},
      {"ABCDEF", 3, "ABC######################"},
      {"ABCDEFGHIJKLMNOPQRSTUVWX", 25, "ABCDEFGHIJKLMNOPQRSTUVWX\0"},
      {"ABCDEFGHIJKLMNOPQRSTUVWX", 1000, "ABCDEFGHIJKLMNOPQRSTUVWX\0"},
      {"ABCDEFGHIJKLMNOPQRSTUVWX", 24, "ABCDEFGHIJKLMNOPQRSTUVWX#"},
      {"AB", -1, "#########################"},
      {"", 25, "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"},
  };
  for (const Case& c : cases) {
    std::memset(zq_alpha, 0, sizeof zq_alpha);
    std::memcpy(zq_alpha, c.alpha, std::strlen(c.alpha));
    char destination[zq_alpha_copy_size];
    std::memset(destination, '#', sizeof destination);
    zq_alpha_copy_n(destination, c.n);
    EXPECT_EQ(std::string(destination, sizeof destination), std::string(c.expected, sizeof destination))
        << c.alpha << " " << c.n;
  }
}

TEST_F(FilesNames, NamesFromTheAlphaRegister) {
  set_path("dir/");
  const struct {
    const char* alpha;
    const char* name;
    const char* path_name;
  } cases[] = {
      {"backup.mem", "backup.mem", "dir/backup.mem"},
      {"", "", "dir/"},
      {"ABCDEFGHIJKLMNOPQRSTUVWX", "ABCDEFGHIJKLMNOPQRSTUVWX", "dir/ABCDEFGHIJKLMNOPQRSTUVWX"},
  };
  for (const auto& c : cases) {
    std::memset(zq_alpha, 0, sizeof zq_alpha);
    std::memcpy(zq_alpha, c.alpha, std::strlen(c.alpha));
    set_text(std::string(40, 'z'));  // a longer old name must not show through
    zq_file_name_from_alpha();
    EXPECT_STREQ(zq_text, c.name);
    set_text(std::string(40, 'z'));
    zq_file_path_from_alpha();
    EXPECT_STREQ(zq_text, c.path_name);
  }
}

TEST_F(FilesNames, NameFromAProgramStep) {
  const int32_t wrts = zq_test::row_of("wrts");
  uint32_t w0 = 0, w1 = 0;
  zq_pack_name("ABCDEFGH", w0, w1);
  zq_prog[10] = zq_instr_pack({wrts, OPT_STR, 0});
  zq_prog[11] = w0;
  zq_prog[12] = w1;
  pc = 10;
  zq_file_name_from_program();
  EXPECT_STREQ(zq_text, "ABCDEFGH");

  zq_pack_name("AB", w0, w1);
  zq_prog[11] = w0;
  zq_prog[12] = w1;
  zq_file_name_from_program();
  EXPECT_STREQ(zq_text, "AB");

  zq_prog[20] = zq_instr_pack({wrts, OPT_CHAR, 'a'});
  zq_prog[21] = 0;
  pc = 20;
  zq_file_name_from_program();
  EXPECT_STREQ(zq_text, "a");

  // Without a name the step has one zero word; the next step is no name.
  zq_prog[30] = zq_instr_pack({wrts, OPT_STACK, CELL_X});
  zq_prog[31] = 0;
  zq_prog[32] = static_cast<uint32_t>(text_cell("XYZ"));
  pc = 30;
  zq_file_name_from_program();
  EXPECT_STREQ(zq_text, "");
}

// ---- layout ----

using FilesLayout = FilesTest;

TEST_F(FilesLayout, WriterLaysOutBothKindsOfFile) {
  set_fixture_state();
  for (const uint64_t mask : {uint64_t{MEM_ALL}, uint64_t{MEM_STATUS}}) {
    const std::string name = mask == MEM_ALL ? "all.mem" : "status.mem";
    EXPECT_EQ(write_state(name, mask), "Writing " + in_dir(name) + "\n");
    EXPECT_EQ(first_difference(read_file(in_dir(name)), expected_image(mask)), -1) << name;
  }
  EXPECT_EQ(zq_state_status_file_size, 109);
  EXPECT_EQ(zq_state_all_file_size, 271257);
}

TEST_F(FilesLayout, WriteAllFileHasOneSizeWhateverMemoryHolds) {
  EXPECT_EQ(write_state("empty.mem", MEM_ALL), "Writing " + in_dir("empty.mem") + "\n");
  for (int64_t a = 1; a < 60000; ++a) zq_prog[a] = word(row_rtn, 0, 0);
  zq_put_final_end(60000);
  write_state("full.mem", MEM_ALL);
  EXPECT_EQ(fs::file_size(in_dir("empty.mem")), 271257u);
  EXPECT_EQ(fs::file_size(in_dir("full.mem")), 271257u);
}

// The binary files that the transcript cases start from, each the fixture
// state's file or a prefix of it.
TEST_F(FilesLayout, CommittedFixturesFollowTheLayout) {
  const fs::path transcripts = fs::path(__FILE__).parent_path().parent_path() / "transcripts";
  const bytes all = expected_image(MEM_ALL);
  const struct {
    const char* file;
    bytes expected;
  } cases[] = {
      {"startup_restore_read.files/zq17.mem", all},
      {"options_r_name.files/sub/state-with-a-very-lo", all},
      {"startup_restore_status_file.files/zq17.mem", expected_image(MEM_STATUS)},
      {"options_r_status_file.files/status.mem", expected_image(MEM_STATUS)},
      {"startup_restore_short.files/zq17.mem", bytes(all.begin(), all.begin() + 9109)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(first_difference(read_file(transcripts / c.file), c.expected), -1) << c.file;
}

// ---- reading ----

using FilesRead = FilesTest;

TEST_F(FilesRead, WriteAllRoundTripsAndRelinksLabels) {
  set_fixture_state();
  write_state("all.mem", MEM_ALL);
  const snapshot saved = snapshot::take();

  zq_test::reset(MODE_IMMEDIATE);
  set_path(dir_.string() + "/");
  // Not in the file: these must survive the read.
  zq_disp_format = FMT_SCI;
  zq_digits = 5;
  zq_angle = ANGLE_RAD;
  zq_clock_mode = CLK_12H;
  pc = 3;
  zq_watch_count = 2;
  zq_regs[CELL_LITERAL] = number("77");
  zq_last_error = ERR_DATA;

  int64_t result = 0;
  EXPECT_EQ(read_state("all.mem", MEM_ALL, result), "Reading " + in_dir("all.mem") + "\n");
  EXPECT_EQ(result, 1);
  snapshot restored = snapshot::take();
  EXPECT_EQ(restored.values[CELL_LITERAL], number("77"));
  restored.values[CELL_LITERAL] = saved.values[CELL_LITERAL];
  restored.tags[CELL_LITERAL] = saved.tags[CELL_LITERAL];
  restored.label_count = saved.label_count;
  EXPECT_TRUE(restored == saved);
  EXPECT_EQ(zq_label_count, 1);
  EXPECT_STREQ(zq_labels[0], "SV");
  EXPECT_EQ(zq_disp_format, FMT_SCI);
  EXPECT_EQ(zq_digits, 5);
  EXPECT_EQ(zq_angle, ANGLE_RAD);
  EXPECT_EQ(zq_clock_mode, CLK_12H);
  EXPECT_EQ(pc, 3);
  EXPECT_EQ(zq_watch_count, 2);
  EXPECT_EQ(zq_last_error, ERR_DATA);
}

// Every step layout, ENDs between programs and a label heading the chain:
// what the recorder lays out must read back whole.
TEST_F(FilesRead, RecordedProgramsOfEveryLayoutReadBack) {
  zq_mode = MODE_RECORD;
  pc = 1;
  for (const char* line :
       {"lbl \"MAIN\"", "lbl 01", "lbl a", "1.5", "\"a text\"", ">\"more\"", "xeq \"SUB\"", "gto 01",
        "wrts \"ST\"", "reads x", "sto 05", "fs? 12", "end", "lbl \"SUB\"", "rtn"}) {
    parse_line(line);
  }
  zq_put_final_end(pc);
  zq_mode = MODE_IMMEDIATE;
  zq_link_labels();
  zq_resolve_jumps();
  testing::internal::CaptureStdout();
  zq_cmd_gto_dot_dot();
  testing::internal::GetCapturedStdout();
  ASSERT_GT(zq_final_end, 20);
  write_state("programs.mem", MEM_ALL);
  const snapshot saved = snapshot::take();

  zq_clear_program_memory();
  zq_put_final_end(1);
  zq_link_labels();
  int64_t result = 0;
  EXPECT_EQ(read_state("programs.mem", MEM_ALL, result), "Reading " + in_dir("programs.mem") + "\n");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(snapshot::take().words, saved.words);
  EXPECT_EQ(zq_final_end, saved.final_end);
  EXPECT_EQ(zq_label_count, 2);
}

TEST_F(FilesRead, StatusFileRestoresOnlyTheStatus) {
  set_fixture_state();
  write_state("status.mem", MEM_STATUS);
  zq_test::reset(MODE_IMMEDIATE);
  set_path(dir_.string() + "/");
  zq_reg_set_number(CELL_R00 + 1, number("11"));
  const snapshot before = snapshot::take();

  int64_t result = 0;
  EXPECT_EQ(read_state("status.mem", MEM_STATUS, result), "Reading " + in_dir("status.mem") + "\n");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(zq_flags, fixture::flags());
  EXPECT_EQ(zq_stat_base, fixture::stat_base);
  EXPECT_STREQ(std::string(zq_alpha, sizeof zq_alpha).c_str(), fixture::alpha);
  const auto stack = fixture::stack();
  for (size_t i = 0; i < stack.size(); ++i) {
    EXPECT_EQ(zq_regs[CELL_L + i], stack[i].first) << i;
    EXPECT_EQ(zq_reg_types[CELL_L + i], stack[i].second) << i;
  }
  const snapshot after = snapshot::take();
  EXPECT_TRUE(
      std::equal(before.values.begin() + CELL_R00, before.values.end(), after.values.begin() + CELL_R00));
  EXPECT_EQ(before.words, after.words);
  EXPECT_EQ(before.final_end, after.final_end);
}

TEST_F(FilesRead, RefusedFilesChangeNothing) {
  const bytes all = expected_image(MEM_ALL);
  const bytes status = expected_image(MEM_STATUS);
  auto with = [](bytes image, size_t offset, uint64_t value, size_t width) {
    put(image, offset, value, width);
    return image;
  };
  auto cut = [](const bytes& image, size_t length) { return bytes(image.data(), image.data() + length); };
  const std::string version_error = "File format version error. Expected 2, read ";
  const std::string damaged = " is damaged.\n";
  struct Case {
    const char* what;
    bytes content;
    uint64_t mask;
    std::string message;  // after "Reading NAME\n"; NAME stands for the file
  };
  const Case cases[] = {
      {"empty file", {}, MEM_ALL, version_error + "0.\n"},
      {"version cut", {2, 0, 0, 0, 0}, MEM_ALL, version_error + "0.\n"},
      {"version 3", with(all, 0, 3, 8), MEM_ALL, version_error + "3.\n"},
      {"version low bits", with(all, 0, 0x100000005ull, 8), MEM_ALL, version_error + "5.\n"},
      {"version -1", with(all, 0, 0xffffffffull, 8), MEM_ALL, version_error + "-1.\n"},
      {"header only", {2, 0, 0, 0, 0, 0, 0, 0}, MEM_ALL, "Reading from unknown file type.\n"},
      {"status for all", status, MEM_ALL, "Can't read data/program registers from write status file.\n"},
      {"all for status", all, MEM_STATUS, "Can't read status from write all file.\n"},
      {"mask 3", with(all, 8, 3, 8), MEM_ALL, "Reading from unknown file type.\n"},
      {"mask 15 asked 15", with(all, 8, 15, 8), 15, "Reading from unknown file type.\n"},
      {"all cut by one", cut(all, all.size() - 1), MEM_ALL, "Read file: NAME is too short.\n"},
      {"all without program", cut(all, 9109), MEM_ALL, "Read file: NAME is too short.\n"},
      {"status cut by one", cut(status, 108), MEM_STATUS, "Read file: NAME is too short.\n"},
      {"stack tag 0", with(all, 64, 0, 1), MEM_ALL, "Read file: NAME" + damaged},
      {"stack tag 2", with(status, 64 + 9 * 4, 2, 1), MEM_STATUS, "Read file: NAME" + damaged},
      {"register tag 255", with(all, 8109 + 999, 255, 1), MEM_ALL, "Read file: NAME" + damaged},
      {"statistics base 5", with(all, 24, 5, 8), MEM_ALL, "Read file: NAME" + damaged},
      {"statistics base 1000", with(status, 24, 1000, 8), MEM_STATUS, "Read file: NAME" + damaged},
      {"SIZE 999", with(all, 101, 999, 8), MEM_ALL, "Read file: NAME" + damaged},
      {"final END 0", with(all, 9109, 0, 8), MEM_ALL, "Read file: NAME" + damaged},
      {"final END 65536", with(all, 9109, 65536, 8), MEM_ALL, "Read file: NAME" + damaged},
      {"final END -1", with(all, 9109, ~uint64_t{0}, 8), MEM_ALL, "Read file: NAME" + damaged},
      {"final END on a step", with(all, 9109, 7, 8), MEM_ALL, "Read file: NAME" + damaged},
      {"END not marked final", with(all, 9117 + 4 * 7, word(row_end, 0, 1), 4), MEM_ALL,
       "Read file: NAME" + damaged},
      // Word 7 (the rtn) replaced: memory the recorder could never have laid out.
      {"step of a typed-only row", with(all, 9117 + 4 * 6, word(row_run, 0, 0), 4), MEM_ALL,
       "Read file: NAME" + damaged},
      {"row beyond the table", with(all, 9117 + 4 * 6, word(250, 0, 0), 4), MEM_ALL,
       "Read file: NAME" + damaged},
      {"step over the final END", with(all, 9117 + 4 * 6, word(row_nbr, 0, 0), 4), MEM_ALL,
       "Read file: NAME" + damaged},
      {"END of no walkable form", with(all, 9117 + 4 * 6, word(row_end, OPT_STR, 0), 4), MEM_ALL,
       "Read file: NAME" + damaged},
  };
  zq_reg_set_number(CELL_X, number("5"));
  zq_flag_set(FLAG_NO_SAVE);
  const snapshot before = snapshot::take();
  for (const Case& c : cases) {
    write_file(in_dir("bad.mem"), c.content);
    const std::string name = in_dir("bad.mem");
    std::string message = c.message;
    if (const size_t at = message.find("NAME"); at != std::string::npos) message.replace(at, 4, name);
    int64_t result = 1;
    EXPECT_EQ(read_state("bad.mem", c.mask, result), "Reading " + name + "\n" + message) << c.what;
    EXPECT_EQ(result, 0) << c.what;
    EXPECT_TRUE(snapshot::take() == before) << c.what;
  }
  // Not opened: a missing file, and the prefix alone behind an empty name.
  for (const std::string name : {"missing.mem", ""}) {
    int64_t result = 1;
    EXPECT_EQ(read_state(name, MEM_ALL, result),
              "Read file: cannot open " + dir_.string() + "/" + name + "\n");
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(snapshot::take() == before);
  }
}

TEST_F(FilesRead, BytesAfterTheLastSectionAreIgnored) {
  bytes longer = expected_image(MEM_STATUS);
  longer.insert(longer.end(), {1, 2, 3});
  write_file(in_dir("long.mem"), longer);
  int64_t result = 0;
  read_state("long.mem", MEM_STATUS, result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(zq_flags, fixture::flags());
}

TEST_F(FilesRead, QuietFlagSilencesOnlyTheProgressLines) {
  zq_flag_set(FLAG_QUIET_FILES);
  EXPECT_EQ(write_state("status.mem", MEM_STATUS), "");
  int64_t result = 0;
  EXPECT_EQ(read_state("status.mem", MEM_STATUS, result), "");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(read_state("status.mem", MEM_ALL, result),
            "Can't read data/program registers from write status file.\n");
  EXPECT_EQ(read_state("missing.mem", MEM_ALL, result),
            "Read file: cannot open " + in_dir("missing.mem") + "\n");
}

// ---- names of state files ----

TEST_F(FilesRead, StateFileNamesLoseQuotesAndBackslashesAndAreCut) {
  fs::create_directory(dir_ / "sub");
  EXPECT_EQ(write_state("\"sub\\na\"me\"", MEM_STATUS), "Writing " + in_dir("sub/name") + "\n");
  EXPECT_EQ(fs::file_size(dir_ / "sub" / "name"), 109u);
  const std::string long_name(30, 'n');
  EXPECT_EQ(write_state(long_name, MEM_STATUS), "Writing " + in_dir(std::string(24, 'n')) + "\n");
  EXPECT_TRUE(fs::exists(dir_ / std::string(24, 'n')));
  int64_t result = 0;
  EXPECT_EQ(read_state(long_name + "xyz", MEM_STATUS, result),
            "Reading " + in_dir(std::string(24, 'n')) + "\n");
  EXPECT_EQ(result, 1);
}

TEST_F(FilesRead, WriteFailuresAreReported) {
  EXPECT_EQ(write_state("nodir/x.mem", MEM_ALL), "Write file: cannot open " + in_dir("nodir/x.mem") + "\n");
  EXPECT_EQ(write_state("", MEM_ALL), "Write file: cannot open " + dir_.string() + "/\n");
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  set_path("");
  EXPECT_EQ(write_state("/dev/full", MEM_ALL), "Writing /dev/full\nWrite file: cannot write /dev/full\n");
}

}  // namespace
