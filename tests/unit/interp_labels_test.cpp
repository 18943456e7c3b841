// Programs in memory and their labels: the chain and catalogue, lines and
// addresses, program bounds and deletion, the label searches, jump
// destinations, closing the last program and the jump resolution after a load.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "interp/command_table.h"
#include "interp/executor.h"
#include "interp/labels.h"
#include "interp/navigation.h"
#include "interp/program.h"
#include "number/number.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/registers.h"

#include "interp_test_support.h"
#include "number_test_support.h"

namespace {

using namespace zq_test;

class LabelsTest : public zq_test::FreshTest {
 protected:
  // Records the lines from word 1 as a program-file load does, then places
  // the final END and relinks; back in MODE_IMMEDIATE with pc 1.
  static void load(std::initializer_list<const char*> lines) {
    EXPECT_EQ(output_of([lines] { zq_test::load(lines); }), "") << "recording is silent";
  }

  // Words 1-3 lbl "AB", 4 sto 05, 5 END, 6 lbl 01, 7 rcl 05, 8 END, 9 the final END.
  static void load_two_programs() { load({"lbl \"AB\" sto 05 end", "lbl 01 rcl 05 end"}); }

  static zq_instr step(int64_t address) { return zq_instr_unpack(zq_prog[address]); }
};

TEST_F(LabelsTest, RelinkChainsEndsAndGlobalLabels) {
  load_two_programs();
  ASSERT_EQ(zq_final_end, 9);
  EXPECT_EQ(step(1).add, 1);
  EXPECT_EQ(step(1).opt, OPT_STR | OPT_CHAIN_HEAD);
  EXPECT_EQ(step(5).add, 1);
  EXPECT_EQ(step(5).opt, 0) << "only the first member is the head";
  EXPECT_EQ(step(6).add, 1) << "a local label is no member";
  EXPECT_EQ(step(8).add, 5);
  EXPECT_EQ(step(9).add, 8);
  EXPECT_EQ(step(9).opt, OPT_FINAL_END);
  EXPECT_EQ(zq_label_count, 1);
  EXPECT_STREQ(zq_labels[0], "AB");
}

TEST_F(LabelsTest, AddressesToLines) {
  load_two_programs();
  const struct {
    int64_t address;
    int64_t line;
  } cases[] = {{0, 1}, {1, 1}, {4, 2}, {5, 3}, {6, 1},
               {7, 2}, {8, 3}, {9, 1}, {12, 1}};  // past the final END: the final END's line
  for (const auto& c : cases) EXPECT_EQ(zq_address_to_line(c.address), c.line) << c.address;
}

TEST_F(LabelsTest, LinesToAddressesInTheProgramOfPc) {
  load_two_programs();
  const struct {
    int64_t pc;
    int64_t line;
    int64_t address;
  } cases[] = {
      {5, 1, 1},               // on an END: the program it closes
      {8, 1, 6},  {9, 1, 9},   // the final END forms an empty program
      {4, 5, 7},               // counting runs on past the END
      {4, 20, 9},              // and stays on the final END
      {4, 0, 1},  {4, -3, 1},  // below 1 counts as 1
      {12, 1, 9},              // pc past the final END
  };
  for (const auto& c : cases) {
    pc = c.pc;
    EXPECT_EQ(zq_line_to_address(c.line), c.address) << "pc " << c.pc << " line " << c.line;
  }
}

TEST_F(LabelsTest, LastProgramStartAndBounds) {
  load_two_programs();
  EXPECT_EQ(zq_get_last_program_start(), 9);
  const struct {
    int64_t address, first, last;
  } cases[] = {{1, 1, 5}, {4, 1, 5}, {5, 1, 5}, {7, 6, 8}, {9, 9, 8}};
  for (const auto& c : cases) {
    int64_t first = 0;
    int64_t last = 0;
    zq_get_program_bounds(c.address, first, last);
    EXPECT_EQ(first, c.first) << c.address;
    EXPECT_EQ(last, c.last) << c.address;
  }

  // Without an END of its own the last program ends before the final END.
  load({"lbl 01 sto 05 end clx"});
  int64_t first = 0;
  int64_t last = 0;
  zq_get_program_bounds(4, first, last);
  EXPECT_EQ(first, 4);
  EXPECT_EQ(last, 4);
  EXPECT_EQ(zq_get_last_program_start(), 4);
}

TEST_F(LabelsTest, DeletingTheFirstProgramRelinks) {
  load_two_programs();
  zq_delete_steps(1, 5);
  ASSERT_EQ(zq_final_end, 4);
  EXPECT_EQ(step(1).cmd, zq_idx_lbl);
  EXPECT_EQ(step(1).opt, OPT_NUM);
  EXPECT_EQ(step(2).cmd, row_of("rcl"));
  EXPECT_EQ(step(3).cmd, zq_idx_end);
  EXPECT_EQ(step(3).add, 1);
  EXPECT_EQ(step(3).opt, OPT_CHAIN_HEAD);
  EXPECT_EQ(step(4).opt, OPT_FINAL_END);
  EXPECT_EQ(step(4).add, 3);
  EXPECT_EQ(zq_label_count, 0);

  // An empty range only relinks; bounds outside memory in use change nothing.
  zq_delete_steps(4, 3);
  zq_delete_steps(0, 2);
  zq_delete_steps(2, 4);
  EXPECT_EQ(zq_final_end, 4);
}

TEST_F(LabelsTest, EndInWordOneFormsAnEmptyFirstProgram) {
  load({"end sto 05"});
  pc = 2;
  EXPECT_EQ(zq_line_to_address(1), 2);
  EXPECT_EQ(zq_get_last_program_start(), 2);
  EXPECT_EQ(zq_address_to_line(2), 1);
  EXPECT_EQ(zq_address_to_line(1), 1);
}

TEST_F(LabelsTest, EmptyMemory) {
  zq_link_labels();
  for (const int64_t line : {-1, 0, 1, 2, 100}) EXPECT_EQ(zq_line_to_address(line), 1);
  EXPECT_EQ(zq_address_to_line(1), 1);
  EXPECT_EQ(zq_get_last_program_start(), 1);
  EXPECT_EQ(step(1).add, 1);
  EXPECT_EQ(zq_chain_last(), 0);
}

TEST_F(LabelsTest, CatalogueEntriesAreClearedBeforeReuse) {
  load({"lbl ABCDEFGH end"});
  EXPECT_STREQ(zq_labels[0], "ABCDEFGH");
  load({"lbl AB end"});
  const char expected[zq_label_name_size] = "AB";
  EXPECT_EQ(std::memcmp(zq_labels[0], expected, zq_label_name_size), 0);
}

TEST_F(LabelsTest, CatalogueKeepsTheFirst128LabelsTheChainAll) {
  zq_mode = MODE_RECORD;
  pc = 1;
  for (int i = 0; i < 130; ++i) parse_line(("lbl L" + std::to_string(i)).c_str());
  zq_put_final_end(pc);
  zq_link_labels();
  zq_mode = MODE_IMMEDIATE;
  EXPECT_EQ(zq_label_count, 128);
  EXPECT_STREQ(zq_labels[127], "L127");
  EXPECT_EQ(zq_find_global_label("L128"), 1 + 128 * 3);
  EXPECT_EQ(zq_find_global_label("L129"), 1 + 129 * 3);
}

TEST_F(LabelsTest, DamagedLinksEndEveryWalk) {
  load_two_programs();
  // Links that do not go down, as a damaged state file may hold: an END
  // linking to itself and a final END linking to itself.
  zq_prog[8] = zq_instr_pack({zq_idx_end, 0, 8});
  zq_prog[9] = zq_instr_pack({zq_idx_end, OPT_FINAL_END, 9});
  EXPECT_EQ(zq_chain_last(), 0);
  EXPECT_EQ(zq_address_to_line(7), 5) << "counted from word 1, over the END at 5";
  pc = 7;
  EXPECT_EQ(zq_line_to_address(1), 1);
  EXPECT_EQ(output_of([] { zq_find_global_label("AB"); }), "NONEXISTENT: String Label AB not found.\n");
  zq_prog[9] = zq_instr_pack({zq_idx_end, OPT_FINAL_END, 8});
  EXPECT_EQ(zq_address_to_line(8), 6) << "the walk ends at the END linking to itself";

  // A final-END word before the final END has length 0: walks still move on.
  zq_prog[5] = zq_instr_pack({zq_idx_end, OPT_FINAL_END, 1});
  zq_link_labels();
  EXPECT_EQ(step(8).add, 5);
  EXPECT_EQ(step(9).add, 8);
  EXPECT_EQ(zq_address_to_line(8), 3);
}

TEST_F(LabelsTest, GlobalLabelTheLastInMemoryWins) {
  load({"lbl \"AB\" end", "lbl \"AB\" end"});
  EXPECT_EQ(zq_find_global_label("AB"), 5);
  EXPECT_EQ(output_of([] { EXPECT_EQ(zq_find_global_label("ab"), 0); }),
            "NONEXISTENT: String Label ab not found.\n")
      << "names are case-sensitive";
  EXPECT_EQ(zq_last_error, 0) << "the caller reports the missing destination";
  load({"lbl ABCDEFGH end"});
  EXPECT_EQ(zq_find_global_label("ABCDEFGHIJ"), 1) << "a name counts by its first 8 characters";
}

TEST_F(LabelsTest, LocalLabelsTheFirstInTheCurrentProgramWins) {
  load({"lbl 01 clx lbl 01 lbl a lbl A end", "lbl 02 lbl b end"});
  pc = 2;
  EXPECT_EQ(zq_find_numeric_label(1), 1);
  EXPECT_EQ(zq_find_char_label('a'), 4);
  EXPECT_EQ(zq_find_char_label('A'), 5);
  EXPECT_EQ(output_of([] { EXPECT_EQ(zq_find_numeric_label(2), 0); }), "Numeric Label 2 not found.\n");
  EXPECT_EQ(output_of([] { EXPECT_EQ(zq_find_char_label('b'), 0); }),
            "NONEXISTENT: Character Label not found. b\n");
  pc = 7;
  EXPECT_EQ(zq_find_numeric_label(2), 7);
  EXPECT_EQ(zq_last_error, 0);
}

struct target_case {
  const char* line;
  const char* output;
  int64_t pc;  // after the typed jump
};

TEST_F(LabelsTest, TypedJumpsToTheirDestinations) {
  load({"lbl \"AB\" lbl 01 clx lbl 01 lbl 12 lbl a end", "lbl 02 end"});
  const target_case cases[] = {
      {"gto \"AB\"", "", 1},
      {"gto 01", "", 4},
      {"gto 12", "", 7},
      {"gto a", "", 8},
      {"gto 02", "Numeric Label 2 not found.\nNONEXISTENT\n", 5},
      {"gto b", "NONEXISTENT: Character Label not found. b\nNONEXISTENT\n", 5},
      {"gto XY", "NONEXISTENT: String Label XY not found.\nNONEXISTENT\n", 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    pc = 5;
    zq_ret_depth = 2;
    zq_last_error = 0;
    EXPECT_EQ(typed(c.line), c.output);
    EXPECT_EQ(pc, c.pc);
    EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
    const bool missing = c.output[0] != '\0';
    EXPECT_EQ(zq_ret_depth, missing ? 0 : 2);
    EXPECT_EQ(zq_last_error, missing ? ERR_NONEXISTENT : 0);
  }
}

TEST_F(LabelsTest, FlagTwentyFiveSilencesOnlyTheNumericSearch) {
  load({"lbl 01 end", "clx end"});
  pc = 4;
  zq_ret_depth = 2;
  zq_flag_set(FLAG_IGNORE_ERROR);
  EXPECT_EQ(typed("gto 01"), "");
  EXPECT_FALSE(zq_flag_test(FLAG_IGNORE_ERROR));
  EXPECT_EQ(zq_last_error, ERR_NONEXISTENT);
  EXPECT_EQ(zq_ret_depth, 2) << "nothing stops";
  EXPECT_EQ(pc, 4);

  zq_flag_set(FLAG_IGNORE_ERROR);
  EXPECT_EQ(typed("gto XY"), "NONEXISTENT: String Label XY not found.\n");
  EXPECT_FALSE(zq_flag_test(FLAG_IGNORE_ERROR));
  zq_flag_set(FLAG_IGNORE_ERROR);
  EXPECT_EQ(typed("gto b"), "NONEXISTENT: Character Label not found. b\n");
}

TEST_F(LabelsTest, IndirectDestinations) {
  load({"lbl \"AB\" lbl 12 lbl a clx end"});
  const zq_cell_index r05 = CELL_R00 + 5;
  const char* const not_allowed = "NONEXISTENT: Not allowed indirect target type or value.\nNONEXISTENT\n";
  const struct {
    uint64_t value;
    uint8_t tag;
    const char* output;
    int64_t pc;
  } cases[] = {
      {quiet_num("12.7"), REG_NUMBER, "", 4},
      {quiet_num("-12.7"), REG_NUMBER, "Numeric Label -12 not found.\nNONEXISTENT\n", 6},
      {quiet_num("1000"), REG_NUMBER, not_allowed, 6},
      {zq_cell_pack_text("a", 1), REG_ALPHA, "", 5},
      {zq_cell_pack_text("AB", 2), REG_ALPHA, "", 1},
      {zq_cell_pack_text("x", 1), REG_ALPHA, "NONEXISTENT: String Label x not found.\nNONEXISTENT\n", 6},
      {0, REG_FLAGS, not_allowed, 6},
      {quiet_num("12"), REG_HMS, not_allowed, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    pc = 6;
    zq_reg_set(r05, c.value, c.tag);
    EXPECT_EQ(typed("gto ind 05"), c.output);
    EXPECT_EQ(pc, c.pc);
  }
  pc = 6;
  zq_reg_set(CELL_Y, zq_cell_pack_text("a", 1), REG_ALPHA);
  EXPECT_EQ(typed("gto ind y"), "");
  EXPECT_EQ(pc, 5);
  pc = 6;
  EXPECT_EQ(typed("gto ind 1000"), "NONEXISTENT: Not allowed indirect value.\nNONEXISTENT\n");
  EXPECT_EQ(pc, 6);
}

TEST_F(LabelsTest, SearchesOnEmptyMemory) {
  EXPECT_EQ(typed("gto 01"), "No program resident in memory.\nNONEXISTENT\n");
  EXPECT_EQ(pc, 1);
  zq_last_error = 0;
  EXPECT_EQ(typed("gto AB"), "NONEXISTENT\n");
  EXPECT_EQ(zq_last_error, ERR_NONEXISTENT);
  zq_last_error = 0;
  EXPECT_EQ(typed("gto a"), "NONEXISTENT: No program resident in memory.\n");
  EXPECT_EQ(zq_last_error, 0) << "no error code";
  zq_flag_set(FLAG_IGNORE_ERROR);
  EXPECT_EQ(typed("gto 01"), "");
  EXPECT_EQ(zq_last_error, ERR_NONEXISTENT);
  EXPECT_EQ(pc, 1);
}

TEST_F(LabelsTest, ClosingTheLastProgram) {
  load({"lbl 01 sto 05"});
  ASSERT_EQ(zq_final_end, 3);
  EXPECT_EQ(output_of(zq_close_last_program), "");
  EXPECT_EQ(zq_final_end, 4);
  EXPECT_EQ(step(3).cmd, zq_idx_end);
  EXPECT_EQ(step(3).opt, 0);
  EXPECT_EQ(step(4).opt, OPT_FINAL_END);
  zq_link_labels();
  EXPECT_EQ(output_of(zq_close_last_program), "line_no is zero\n");
  EXPECT_EQ(zq_final_end, 4);

  zq_clear_program_memory();
  zq_put_final_end(1);
  EXPECT_EQ(output_of(zq_close_last_program), "") << "empty memory: nothing";
  EXPECT_EQ(zq_final_end, 1);

  // Only a damaged state file has the final END on the last word.
  for (int64_t a = 1; a < zq_prog_size - 1; ++a) zq_prog[a] = zq_instr_pack({row_of("clx"), 0, 0});
  zq_put_final_end(zq_prog_size - 1);
  EXPECT_EQ(output_of(zq_close_last_program), "Out of memory! Error 4.\n");
  EXPECT_EQ(zq_final_end, zq_prog_size - 1);
}

TEST_F(LabelsTest, ResolutionFillsTheCachesOfDirectJumps) {
  load({"lbl 10 gto 10 xeq 10 xeq ind 05 gto \"AB\" lbl \"AB\" end"});
  zq_trace = 1;
  zq_ret_depth = 2;
  EXPECT_EQ(output_of(zq_resolve_jumps), "");
  EXPECT_EQ(zq_prog[3], 1u) << "gto 10";
  EXPECT_EQ(zq_prog[5], 1u) << "xeq 10";
  EXPECT_EQ(zq_prog[7], 0u) << "xeq ind 05";
  EXPECT_EQ(zq_prog[9], 12u) << "gto AB";
  EXPECT_EQ(zq_ret_depth, 2) << "nothing pushed, nothing dropped";
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  EXPECT_EQ(zq_xeq_push, 1);
  EXPECT_EQ(zq_trace, 1);
}

TEST_F(LabelsTest, ResolutionReportsMissingLabelsAndGoesOn) {
  load({"gto 99 gto 01 lbl 01 end"});
  EXPECT_EQ(output_of(zq_resolve_jumps), "Numeric Label 99 not found.\nNONEXISTENT\n");
  EXPECT_EQ(zq_prog[2], 0u);
  EXPECT_EQ(zq_prog[4], 5u);
  EXPECT_EQ(zq_mode, MODE_IMMEDIATE);
  EXPECT_EQ(zq_advance, ADV_NEXT);
}

TEST_F(LabelsTest, ResolutionRunsTheStepsAlsoFromAnXailLine) {
  load({"gto 01 lbl 01 end"});
  zq_xail = 1;
  zq_advance = ADV_HOLD;
  zq_decoded = {row_of("clx"), 0, 0};
  zq_resolve_jumps();
  EXPECT_EQ(zq_prog[2], 3u);
  EXPECT_EQ(zq_xail, 1);
  EXPECT_EQ(zq_advance, ADV_HOLD);
}

TEST_F(LabelsTest, EveryCacheIsClearedAndNothingElse) {
  load({"lbl 01 gto 01 gto 02 lbl 02 end"});
  zq_resolve_jumps();
  ASSERT_EQ(zq_prog[3], 1u);
  ASSERT_EQ(zq_prog[5], 6u);
  std::vector<uint32_t> expected(zq_prog, zq_prog + zq_final_end + 1);
  expected[3] = 0;
  expected[5] = 0;
  zq_clear_jump_caches();
  EXPECT_EQ(std::vector<uint32_t>(zq_prog, zq_prog + zq_final_end + 1), expected);
}

}  // namespace
