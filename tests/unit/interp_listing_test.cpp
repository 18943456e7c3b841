// The text of one program step in every form it is listed in, and the
// listing of lines from pc to standard output or a file.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>

#include "interp/command_table.h"
#include "interp/listing.h"
#include "interp/navigation.h"
#include "interp/program.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"

#include "interp_test_support.h"

namespace {

using namespace zq_test;

class ListingTest : public zq_test::FreshTest {
 protected:
  static std::string line_of(int64_t line, int64_t address, int mode = LIST_NORMAL) {
    testing::internal::CaptureStdout();
    zq_print_program_line(line, address, mode, nullptr);
    return testing::internal::GetCapturedStdout();
  }

  // The listing of count lines from pc to standard output.
  static std::string listing(int64_t from, uint16_t count) {
    pc = from;
    zq_decoded.add = count;
    testing::internal::CaptureStdout();
    zq_list_program(nullptr);
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(ListingTest, LineTextsOfEveryKindOfStep) {
  load({"sto 05 rcl ind x fix 4 sin lbl \"AB\" lbl 10 lbl a",
        "gto \"AB\" xeq 10 gto a gto ind 05 wrts \"NAME\" \"HELLO\" >\"WORLD\" 1.5 end"});
  const char* const expected[] = {
      "01 sto 05\n",     "02 rcl ind x\n",     "03 fix 04\n",     "04 sin \n",       "05 lbl \"AB\"\n",
      "06 lbl 10\n",     "07 lbl a\n",         "08 gto \"AB\"\n", "09 xeq 10\n",     "10 gto a\n",
      "11 gto ind 05\n", "12 wrts \"NAME\"\n", "13 \"HELLO\"\n",  "14 >\"WORLD\"\n", "15 1.5\n",
      "16 end \n",       "17 .end. \n",
  };
  int64_t address = 1;
  for (int64_t line = 1; line <= 17; ++line) {
    EXPECT_EQ(line_of(line, address), expected[line - 1]);
    address = zq_walk_next(address);
  }

  zq_flag_set(FLAG_NO_LINE_NUMBERS);
  EXPECT_EQ(line_of(1, 1), "sto 05\n");
  EXPECT_EQ(line_of(4, 4), "sin \n");
  zq_flag_clear(FLAG_NO_LINE_NUMBERS);
  EXPECT_EQ(line_of(-1, 1), "sto 05\n") << "a negative line writes no number";
  EXPECT_EQ(line_of(123, 1), "123 sto 05\n");
}

TEST_F(ListingTest, CatalogueLines) {
  load({"lbl \"AB\" sin end"});
  EXPECT_EQ(line_of(-1, 1, LIST_CATALOG), " \"AB\"\n");
  EXPECT_EQ(line_of(-1, 5, LIST_CATALOG), " end \n");
  EXPECT_EQ(line_of(-1, 6, LIST_CATALOG), ".end. \n") << "the final END reads the same in either mode";
  EXPECT_EQ(line_of(-1, 4, LIST_CATALOG), " \n") << "no other step shows its command";
}

TEST_F(ListingTest, TextsNamesAndNumbersKeepTheirForm) {
  load({"\"ABCDEFGHIJKLMNOP\" \"ABCDEFGHIJKLMNOPQRST\" lbl \"ABCDEFGH\" gto \"ABCDEFGH\"",
        "1.50 1e3 -0.0 e-3"});
  EXPECT_EQ(line_of(1, 1), "01 \"ABCDEFGHIJKLMNOP\"\n");
  EXPECT_EQ(line_of(2, 6), "02 \"ABCDEFGHIJKLMNOP\"\n") << "16 characters are kept";
  EXPECT_EQ(line_of(3, 11), "03 lbl \"ABCDEFGH\"\n");
  EXPECT_EQ(line_of(4, 14), "04 gto \"ABCDEFGH\"\n");
  EXPECT_EQ(line_of(5, 18), "05 1.50\n");
  EXPECT_EQ(line_of(6, 21), "06 1E+3\n");
  EXPECT_EQ(line_of(7, 24), "07 -0.0\n");
  EXPECT_EQ(line_of(8, 27), "08 0.001\n");

  // Each name word ends at its own first NUL.
  zq_prog[12] = 'A';
  zq_prog[13] = 'B' | 'C' << 8;
  EXPECT_EQ(line_of(3, 11), "03 lbl \"ABC\"\n");
}

TEST_F(ListingTest, ListingFromPc) {
  load({"sin cos tan end", "clx end"});
  EXPECT_EQ(listing(1, 0), "01 sin \n02 cos \n03 tan \n04 end \n\n");
  EXPECT_EQ(listing(2, 0), "02 cos \n03 tan \n04 end \n\n");
  EXPECT_EQ(listing(1, 1), "01 sin \n") << "the current line only, no empty line";
  EXPECT_EQ(listing(3, 2), "03 tan \n04 end \n\n");
  EXPECT_EQ(listing(1, 2), "01 sin \n02 cos \n\n");
  EXPECT_EQ(listing(1, 9), "01 sin \n02 cos \n03 tan \n04 end \n\n") << "the END stops it";
  EXPECT_EQ(listing(4, 0), "04 end \n\n");
  EXPECT_EQ(listing(4, 3), "04 end \n\n");
  EXPECT_EQ(listing(7, 0), "01 .end. \n\n");
  EXPECT_EQ(pc, 7) << "pc does not move";
}

TEST_F(ListingTest, UnterminatedLastProgramEndsWithTheFinalEnd) {
  load({"sin cos"});
  EXPECT_EQ(listing(1, 0), "01 sin \n02 cos \n03 .end. \n\n");
}

TEST_F(ListingTest, ListingToAFile) {
  load({"sto 05 end"});
  FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  pc = 1;
  zq_decoded.add = 0;
  testing::internal::CaptureStdout();
  zq_list_program(file);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n") << "the empty line goes to standard output";
  std::rewind(file);
  char text[64] = {};
  const size_t read = std::fread(text, 1, sizeof text - 1, file);
  std::fclose(file);
  EXPECT_EQ(std::string(text, read), "01 sto 05\n02 end \n");
}

TEST_F(ListingTest, OnlyMemoryInUseIsListed) {
  load({"sin end"});
  // Left over behind the final END, as after reading a shorter memory.
  zq_prog[4] = zq_instr_pack({row_of("cos"), 0, 0});
  EXPECT_EQ(line_of(zq_address_to_line(4), 4), "01 .end. \n");
  EXPECT_EQ(listing(4, 0), "01 .end. \n\n");
  // A word naming no row is never looked up in the table.
  zq_prog[1] = zq_instr_pack({250, OPT_NUM, 7});
  EXPECT_EQ(line_of(1, 1), "01 ??? 07\n");
}

}  // namespace
