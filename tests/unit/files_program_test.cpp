// Program text files: the calculator-symbol mapper, the tokenizer with its
// line ends, open strings and line numbers, the loader and its failures, the
// writer, and the program-file commands with the pc they leave.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "commands/files.h"
#include "files/program_file.h"
#include "interp/executor.h"
#include "interp/labels.h"
#include "interp/listing.h"
#include "interp/navigation.h"
#include "interp/parser.h"
#include "interp/program.h"
#include "interp_test_support.h"
#include "state/execution.h"
#include "state/path_prefix.h"
#include "state/registers.h"

namespace {

namespace fs = std::filesystem;
using zq_test::parse_line;
using zq_test::set_alpha;

class ProgramFileTest : public zq_test::FreshTest {
 protected:
  void SetUp() override {
    FreshTest::SetUp();
    char pattern[] = "/tmp/zq-progfile-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    // Names go behind the path prefix, so short names reach the directory.
    std::snprintf(zq_path, zq_path_size, "%s/", dir_.c_str());
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path_of(const std::string& name) const { return dir_ + "/" + name; }

  void write_file(const std::string& name, const std::string& content) const {
    std::ofstream(path_of(name), std::ios::binary) << content;
  }
  std::string read_file(const std::string& name) const {
    std::ifstream in(path_of(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // Loads content from a file at address as -l does; returns what standard
  // output got after the loading notice.
  std::string load(const std::string& content, int64_t address = 1) {
    write_file("prog.txt", content);
    std::snprintf(zq_text, zq_text_size, "%s", path_of("prog.txt").c_str());
    testing::internal::CaptureStdout();
    zq_load_program_file(address);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string notice = "Loading program into memory from: " + path_of("prog.txt") + "\n";
    EXPECT_EQ(out.substr(0, notice.size()), notice);
    return out.substr(std::min(notice.size(), out.size()));
  }

  // The listing texts of memory in use, without line numbers, final END included.
  static std::vector<std::string> steps() {
    std::vector<std::string> lines;
    for (int64_t a = 1;; a = zq_walk_next(a)) {
      char* text = nullptr;
      size_t size = 0;
      FILE* out = open_memstream(&text, &size);
      zq_print_program_line(-1, a, LIST_NORMAL, out);
      std::fclose(out);
      lines.emplace_back(text, size - 1);
      std::free(text);
      if (a >= zq_final_end) break;
    }
    return lines;
  }

 private:
  std::string dir_;
};

using Steps = std::vector<std::string>;

TEST(ProgramFileDigits, AllDigitsTest) {
  const struct {
    const char* text;
    int expected;
  } cases[] = {{"0", 1},  {"0123456789", 1}, {"", 1},      {"12a", 0},
               {"-1", 0}, {"1.5", 0},        {"vrask", 0}, {" 1", 0}};
  for (const auto& c : cases) EXPECT_EQ(zq_is_all_digits(c.text), c.expected) << c.text;
}

// Feeds bytes through the mapper; returns the bytes it lets through.
std::string mapped(std::initializer_list<unsigned char> bytes) {
  std::string out;
  for (unsigned char b : bytes) {
    if (zq_map_utf8_char(&b)) out += static_cast<char>(b);
  }
  return out;
}

// The mapper keeps a sequence's bytes between calls: each test starts idle.
class ProgramFileSymbols : public zq_test::FreshTest {};

TEST_F(ProgramFileSymbols, TheElevenSymbolsBecomeAscii) {
  const struct {
    std::initializer_list<unsigned char> bytes;
    const char* ascii;
  } cases[] = {
      {{0xE2, 0x94, 0x9C}, ">"},
      {{0xE2, 0x96, 0xB8}, " "},
      {{0xE2, 0x86, 0x92}, "-"},
      {{0xE2, 0x86, 0x93}, "d"},
      {{0xC3, 0x97}, "*"},
      {{0xC3, 0xB7}, "/"},
      {{0xE1, 0xB4, 0x87}, "e"},
      {{0xE2, 0x89, 0xA4}, "l"},
      {{0xE2, 0x89, 0xA5}, "g"},
      {{0xCE, 0xA3}, "s"},
      {{0xE2, 0x89, 0xA0}, "n"},
      // The lead byte of a three-byte sequence is never compared.
      {{0xE1, 0x86, 0x92}, "-"},
  };
  for (const auto& c : cases) EXPECT_EQ(mapped(c.bytes), c.ascii);
  EXPECT_EQ(mapped({'a', 0xC3, 0x97, 'b'}), "a*b") << "ASCII passes unchanged";
}

TEST_F(ProgramFileSymbols, UnknownSequencesAreReportedAndDropped) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(mapped({0xE2, 0x82, 0xAC}), "");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Unknown input characters: E2 82 AC");
  testing::internal::CaptureStdout();
  EXPECT_EQ(mapped({0xC3, 0xA9}), "");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Unknown input characters: C3 A9");
  // Bytes that start no sequence vanish without a message.
  testing::internal::CaptureStdout();
  EXPECT_EQ(mapped({0x80, 0xBF, 0xFF, 0xC0, 'x'}), "x");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(ProgramFileTest, WordsLineEndsAndComments) {
  const std::string out = load("lbl \"AB\"\tsto 05\r\n\nrcl ind x @ comment sin\nsin ; more\n  +  \n");
  EXPECT_EQ(out, " \n");
  EXPECT_EQ(steps(), (Steps{"lbl \"AB\"", "sto 05", "rcl ind x", "sin ", "+ ", ".end. "}));
}

TEST_F(ProgramFileTest, TheTokenizerCountsTheBytesTakenStraightIntoWords) {
  const struct {
    std::string text;
    int64_t taken;
  } cases[] = {
      {"sin cos\n", 6}, {"\"AB\nCD\n", 3}, {"  \n\r\n", 0}, {std::string(300, 'a'), zq_token_size - 1}};
  for (const auto& c : cases) {
    std::string text = c.text;
    FILE* file = fmemopen(text.data(), text.size(), "r");
    zq_mode = MODE_RECORD;
    pc = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(zq_read_program_file_text(file), c.taken) << c.text;
    testing::internal::GetCapturedStdout();
    std::fclose(file);
    zq_put_final_end(pc);
    zq_mode = MODE_IMMEDIATE;
  }
}

TEST_F(ProgramFileTest, SymbolsGiveTheirCommands) {
  // x times y, the arrow before HMS, sigma plus, R down, not equal, x<=y.
  load(
      "\xC3\x97 \xE2\x86\x92hms \xCE\xA3+ r\xE2\x86\x93 x\xE2\x89\xA0y? x\xE2\x89\xA4y?\n"
      "1\xE1\xB4\x87"
      "3 \xE2\x94\x9C\"AB\" \"A\xE2\x96\xB8"
      "B\"\n");
  EXPECT_EQ(steps(),
            (Steps{"* ", "hms ", "s+ ", "rdn ", "x<>y? ", "x<=y? ", "1E+3", ">\"AB\"", "\"A B\"", ".end. "}));
}

TEST_F(ProgramFileTest, SavedLineNumbersAreRemovedOnce) {
  const std::string out = load("01 lbl \"AB\"\n02 \"A B\"\n03 sto 05\n04 end \n");
  EXPECT_EQ(out, " \nRemoving line numbers detected in input program.\n\n");
  EXPECT_EQ(steps(), (Steps{"lbl \"AB\"", "\"A B\"", "sto 05", "end ", ".end. "}));
}

TEST_F(ProgramFileTest, AFirstIntegerWordIsTakenForALineNumber) {
  const std::string out = load("5\nsin\n12\n");
  EXPECT_EQ(out,
            " \nRemoving line numbers detected in input program.\n\n"
            "Line number expected but found something else.\n");
  EXPECT_EQ(steps(), (Steps{"sin ", ".end. "})) << "5 and 12 stand first on their lines";
}

TEST_F(ProgramFileTest, CrLfWithLineNumbersComplainsOncePerLine) {
  const std::string out = load("01 sin\r\n02 cos\r\n");
  EXPECT_EQ(out,
            " \nRemoving line numbers detected in input program.\n\n"
            "Line number expected but found something else.\n"
            "Line number expected but found something else.\n");
  EXPECT_EQ(steps(), (Steps{"sin ", "cos ", ".end. "}));
}

TEST_F(ProgramFileTest, NoRemovalAfterAnEmptyFirstLineOrComment) {
  load("\n01 sin\n");
  EXPECT_EQ(steps(), (Steps{"1", "sin ", ".end. "}));
  load("@ numbered\n01 sin\n");
  EXPECT_EQ(steps(), (Steps{"1", "sin ", ".end. "}));
}

TEST_F(ProgramFileTest, AnOpenStringRunsOnIntoTheNextLine) {
  load("\"AB CD\nEF GH\nsin\n");
  EXPECT_EQ(steps(), (Steps{"\"AB CD EF GH\"", "sin ", ".end. "}));
  // Closed at a quote; a symbol ends the closing and is lost without a message.
  EXPECT_EQ(load("\"ab\"cd ef\"sin\n\"x\tz\xE2\x86\x92 sin\n"), " \n");
  EXPECT_EQ(steps(), (Steps{"\"ab\"cd ef\"", "sin ", "\"x z\"", "sin ", ".end. "}));
}

TEST_F(ProgramFileTest, LastLineWithoutLineEnd) {
  load("sin\nsto 05");
  EXPECT_EQ(steps(), (Steps{"sin ", "sto 05", ".end. "}));
  // At the end of the file an open string ends in a blank and its quote.
  load("sin\n\"AB");
  EXPECT_EQ(steps(), (Steps{"sin ", "\"AB \"", ".end. "}));
}

TEST_F(ProgramFileTest, RefusedWordsAreReported) {
  const std::string out = load("FOO\nsto bar\nsin\n");
  EXPECT_EQ(out, " \nNONEXISTENT\nbad: foo\nUnknown Command. bar\nbad: bar\n");
  EXPECT_EQ(steps(), (Steps{"sin ", ".end. "}));
}

TEST_F(ProgramFileTest, OverlongWordsAreRefusedWhole) {
  const std::string long_word(300, 'a');
  const std::string cut(zq_token_size - 1, 'a');
  EXPECT_EQ(load(long_word + " sin\n"), " \nbad: " + cut + "\n");
  EXPECT_EQ(steps(), (Steps{"sin ", ".end. "}));
  // The command waiting for its operand is dropped with it: the next line's
  // number is a step of its own, not the register of sto.
  load("sin\nsto " + long_word + "\n5\n");
  EXPECT_EQ(steps(), (Steps{"sin ", "5", ".end. "}));
  // Within a comment the word is comment text, and so is the rest of its line.
  load("sin\n@ " + long_word + " sto 05\ncos\n");
  EXPECT_EQ(steps(), (Steps{"sin ", "cos ", ".end. "}));
  // An open string whose closing overflows the buffer is refused too; its
  // line end still ends a line.
  const std::string open = "\"" + std::string(250, 'b');
  const std::string out = load(open + "\n" + std::string(40, 'c') + "\n05 sin\n");
  EXPECT_EQ(out.rfind(" \nbad: \"", 0), 0u);
  EXPECT_EQ(steps(), (Steps{"5", "sin ", ".end. "}));
}

TEST_F(ProgramFileTest, NulBytesAndBinaryJunk) {
  load(std::string("s\0in\0\n", 6) + "cos\n");
  EXPECT_EQ(steps(), (Steps{"sin ", "cos ", ".end. "}));
  std::string junk;
  for (int b = 0x80; b < 0x100; ++b) junk += static_cast<char>(b);
  load(junk + "\ntan\n");
  EXPECT_EQ(steps().end()[-2], "tan ");
}

TEST_F(ProgramFileTest, TheFinalEndLineOfASavedFileIsPassedOver) {
  const std::string out = load("01 lbl \"AB\"\n02 sin \n03 .end. \n");
  EXPECT_EQ(out, " \nRemoving line numbers detected in input program.\n\n");
  EXPECT_EQ(steps(), (Steps{"lbl \"AB\"", "sin ", ".end. "}));
}

TEST_F(ProgramFileTest, JumpsAreResolvedDuringTheLoad) {
  const std::string out = load("lbl 10 gto 10 xeq 10 xeq ind 05 gto 99\n");
  EXPECT_EQ(out, " \nNumeric Label 99 not found.\nNONEXISTENT\n");
  EXPECT_EQ(zq_prog[3], 1u) << "gto 10";
  EXPECT_EQ(zq_prog[5], 1u) << "xeq 10";
  EXPECT_EQ(zq_prog[7], 0u) << "xeq ind 05";
  EXPECT_EQ(zq_ret_depth, 0);
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
}

TEST_F(ProgramFileTest, PendingParserStateDoesNotOutliveTheLoad) {
  load("sin\nsto");
  EXPECT_EQ(zq_parse_state, EX_CMD_NUM);
  EXPECT_EQ(steps(), (Steps{"sin ", ".end. "}));
  // A typed word after the load is not taken as the file's operand.
  zq_regs[CELL_X] = zqm_zq_double_64_from_int(7);
  parse_line("05");
  EXPECT_EQ(zq_reg_types[CELL_R00 + 5], REG_NUMBER);
  EXPECT_FALSE(zqm_compare(zq_regs[CELL_R00 + 5], zqm_zq_double_64_from_int(7), CMP_EQ));
}

TEST_F(ProgramFileTest, AnXailLineThatLoadsRecordsEveryRow) {
  zq_xail = 1;
  load("lbl 01 gto 01 rtn\n");
  EXPECT_EQ(zq_xail, 1);
  EXPECT_EQ(steps(), (Steps{"lbl 01", "gto 01", "rtn ", ".end. "}));
  zq_xail = 0;
}

TEST_F(ProgramFileTest, AFileThatCannotBeOpenedChangesNothing) {
  load("sin cos\n");
  const uint32_t before[] = {zq_prog[1], zq_prog[2], zq_prog[3]};
  for (const char* name : {"missing.txt", ""}) {
    // The directory itself opens but cannot be read.
    const std::string full = std::string(zq_path) + name;
    std::snprintf(zq_text, zq_text_size, "%s", full.c_str());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    zq_load_program_file(1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "getp: cannot open " + full + "\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Loading program into memory from: " + full + "\n");
    EXPECT_EQ(zq_quit, 0);
  }
  EXPECT_EQ(zq_final_end, 3);
  EXPECT_EQ((std::vector<uint32_t>{zq_prog[1], zq_prog[2], zq_prog[3]}),
            (std::vector<uint32_t>(before, before + 3)));

  // From a running program: no notice, and the run is asked to stop.
  zq_mode = MODE_RUN;
  std::snprintf(zq_text, zq_text_size, "%s", path_of("missing.txt").c_str());
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  zq_load_program_file(1);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(zq_quit, 1);
  EXPECT_EQ(zq_mode, MODE_RUN);
  zq_quit = 0;
  zq_mode = MODE_IMMEDIATE;
}

TEST_F(ProgramFileTest, SavepWritesTheLabelledProgramAndItReadsBack) {
  load("lbl \"ONE\" sin end lbl \"MAIN\" \"HI THERE\" >\"X\" 1.50 sto ind x lbl a gto a xeq \"ONE\"\n");
  const Steps loaded = steps();
  pc = 1;
  set_alpha("MAIN,main.txt");
  testing::internal::CaptureStdout();
  zq_cmd_savep();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Writing file: " + path_of("main.txt") + "\n\n");
  EXPECT_EQ(pc, 1) << "pc is given back";
  EXPECT_EQ(read_file("main.txt"),
            "01 lbl \"MAIN\"\n02 \"HI THERE\"\n03 >\"X\"\n04 1.50\n05 sto ind x\n06 lbl a\n07 gto a\n"
            "08 xeq \"ONE\"\n09 .end. \n");

  // The same program read back after the first one is the same program.
  set_alpha("main.txt");
  pc = 1;
  testing::internal::CaptureStdout();
  zq_cmd_getp();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(steps(), loaded);
  EXPECT_EQ(pc, 1);
}

TEST_F(ProgramFileTest, SavepNamesAndLabels) {
  load("lbl \"LONGLABE\" sin end lbl \"BB\" cos end\n");
  testing::internal::CaptureStdout();
  // A label part of more than 8 characters: searched and named by its first 8.
  set_alpha("LONGLABEL1,F.TXT");
  zq_cmd_savep();
  // The program that holds pc, when the label is empty.
  pc = zq_find_global_label("BB") + 3;
  set_alpha(",x.txt");
  zq_cmd_savep();
  // A label that no program holds: nothing is written.
  set_alpha("NONE,none.txt");
  zq_cmd_savep();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(read_file("LONGLABE"), "01 lbl \"LONGLABE\"\n02 sin \n03 end \n");
  EXPECT_FALSE(fs::exists(path_of("F.TXT")));
  EXPECT_EQ(read_file("x.txt"), "01 lbl \"BB\"\n02 cos \n03 end \n");
  EXPECT_FALSE(fs::exists(path_of("none.txt")));
  EXPECT_NE(out.find("NONEXISTENT: String Label NONE not found.\n"), std::string::npos);

  // With flag 58 the file has no line numbers.
  zq_flag_set(FLAG_NO_LINE_NUMBERS);
  set_alpha("BB,plain.txt");
  testing::internal::CaptureStdout();
  zq_cmd_savep();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(read_file("plain.txt"), "lbl \"BB\"\ncos \nend \n");
}

TEST_F(ProgramFileTest, SavepOnEmptyMemoryWritesNothing) {
  set_alpha("MAIN");
  testing::internal::CaptureStdout();
  zq_cmd_savep();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\n");
  EXPECT_FALSE(fs::exists(path_of("MAIN")));
  EXPECT_EQ(pc, 1);
}

TEST_F(ProgramFileTest, GetpReplacesTheLastProgram) {
  write_file("new.txt", "lbl \"NEW\" tan\n");
  load("lbl \"AA\" sin end lbl \"BB\" cos end lbl \"CC\" sqrt\n");
  set_alpha("new.txt");
  // pc inside the first program stays.
  pc = 4;
  testing::internal::CaptureStdout();
  zq_cmd_getp();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(pc, 4);
  EXPECT_EQ(steps(), (Steps{"lbl \"AA\"", "sin ", "end ", "lbl \"BB\"", "cos ", "end ", "lbl \"NEW\"", "tan ",
                            ".end. "}));
  testing::internal::CaptureStdout();
  EXPECT_EQ(zq_find_global_label("CC"), 0) << "the old last program is gone";
  testing::internal::GetCapturedStdout();
  // pc inside the last program moves to the start of the new one.
  const int64_t start = zq_get_last_program_start();
  pc = start + 3;
  testing::internal::CaptureStdout();
  zq_cmd_getp();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(pc, start);
}

TEST_F(ProgramFileTest, GetpDropsReturnsAndCachesIntoTheReplacedProgram) {
  write_file("new.txt", "lbl \"NEW\" tan\n");
  load("lbl \"AA\" xeq \"BB\" end lbl \"BB\" cos\n");
  const int64_t start = zq_get_last_program_start();
  EXPECT_EQ(zq_prog[5], static_cast<uint32_t>(start)) << "resolved into the last program";
  zq_ret_depth = 2;
  zq_ret[1] = 4;
  zq_ret[2] = start + 3;
  set_alpha("new.txt");
  pc = 1;
  testing::internal::CaptureStdout();
  zq_cmd_getp();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(zq_ret_depth, 1);
  EXPECT_EQ(zq_prog[5], 0u) << "the label it named is gone";
}

TEST_F(ProgramFileTest, GetsubAppendsAndKeepsPc) {
  write_file("sub.txt", "lbl \"SUB\" tan\n");
  load("lbl \"AA\" sin\n");
  set_alpha("sub.txt");
  pc = 4;
  testing::internal::CaptureStdout();
  zq_cmd_getsub();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(pc, 4);
  EXPECT_EQ(steps(), (Steps{"lbl \"AA\"", "sin ", "end ", "lbl \"SUB\"", "tan ", ".end. "}));
}

}  // namespace
