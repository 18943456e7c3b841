// Catalogs of labels and commands, directory listings, the path prefix and
// the shell command.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "commands/catalog.h"
#include "interp/command_table.h"
#include "number/number.h"
#include "state/alpha.h"
#include "state/errors.h"
#include "state/execution.h"
#include "state/flags.h"
#include "state/instr.h"
#include "state/path_prefix.h"
#include "state/registers.h"
#include "state/stack_display.h"

#include "interp_test_support.h"

namespace {

using namespace zq_test;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class CatalogTest : public FreshTest {};

// A fresh directory holding the named empty files.
class TempDir {
 public:
  explicit TempDir(std::initializer_list<const char*> files) {
    char name[] = "/tmp/zq-catalog-XXXXXX";
    path_ = mkdtemp(name);
    for (const char* file : files) std::fclose(std::fopen((path_ + "/" + file).c_str(), "w"));
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The entries of a listing after its first line, in sorted order: the
// directory gives them in an order of its own.
std::vector<std::string> sorted_entries(const std::vector<std::string>& lines) {
  std::vector<std::string> entries(lines.begin() + 1, lines.end());
  std::sort(entries.begin(), entries.end());
  return entries;
}

TEST_F(CatalogTest, CommandNamesOnOneLine) {
  const std::string out = typed("cat 3");
  EXPECT_EQ(out.rfind(" +, -, *, /, 1/x, 10^x, about,", 0), 0u);
  ASSERT_EQ(lines_of(out).size(), 1u);
  EXPECT_EQ(out.back(), '\n');
  EXPECT_EQ(std::count(out.begin(), out.end(), ','), 180);
  EXPECT_EQ(out.find(" cool,"), std::string::npos);
  EXPECT_EQ(out.find(" nbr,"), std::string::npos);
  EXPECT_NE(out.find(" x<>y,"), std::string::npos);
  EXPECT_EQ(zq_suppress_display, 1);
}

TEST_F(CatalogTest, ProgrammableNamesOneToALine) {
  const std::string out = typed("cat 9");
  const std::vector<std::string> lines = lines_of(out);
  ASSERT_EQ(lines.size(), 162u);  // 161 names, then the empty line
  EXPECT_EQ(lines.front(), " +");
  EXPECT_EQ(lines.back(), "");
  for (const char* absent : {" about", " cat", " savep", " run", " cool", " nbr"}) {
    EXPECT_EQ(std::count(lines.begin(), lines.end(), absent), 0) << absent;
  }
  EXPECT_EQ(std::count(lines.begin(), lines.end(), " xail"), 1);
  EXPECT_EQ(zq_suppress_display, 1);
}

TEST_F(CatalogTest, UnknownCatalogues) {
  EXPECT_EQ(typed("cat 7"), "Catalog number 7 is not implemented.\n");
  EXPECT_EQ(zq_suppress_display, 1);
  // The low 16 bits of the value: -1 is 65535, 65537 is 1.
  zq_reg_set_number(CELL_R00 + 1, zqm_zq_double_64_from_int(-1));
  EXPECT_EQ(typed("cat ind 01"), "Catalog number 65535 is not implemented.\n");
  zq_reg_set_number(CELL_R00 + 1, zqm_zq_double_64_from_int(65537));
  zq_suppress_display = 0;
  EXPECT_EQ(typed("cat ind 01"), " .end.\n");
  EXPECT_EQ(zq_suppress_display, 0);
  // Without a 32-bit integer the number is 0.
  zq_reg_set_number(CELL_R00 + 1, zqm_zq_double_64_from_lint(int64_t{1} << 40));
  EXPECT_EQ(typed("cat ind 01"), "Catalog number 0 is not implemented.\n");
}

TEST_F(CatalogTest, MissingRegisterListsNothing) {
  zq_decoded = zq_instr{};
  zq_decoded.cmd = row_of("cat");
  zq_decoded.opt = OPT_IND | OPT_NUM;
  zq_decoded.add = 1000;
  testing::internal::CaptureStdout();
  zq_cmd_cat();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "NONEXISTENT\n");
  EXPECT_EQ(zq_suppress_display, 0);
}

TEST_F(CatalogTest, UserCatalogueNeedsUserMode) {
  load({"lbl \"AB\" end"});
  EXPECT_EQ(typed("cat 6"), "User mode not enabled, nothing to list.\n");
  EXPECT_EQ(zq_suppress_display, 0);
  zq_flag_set(FLAG_USER);
  EXPECT_EQ(typed("cat 6"), " \"AB\"\n end \n .end.\n");
}

TEST_F(CatalogTest, LabelCatalogueListsGlobalLabelsAndEnds) {
  // Numeric and one-letter labels are not listed.
  load({"lbl \"MAIN\" lbl 01 lbl a 1 end", "lbl \"SUB\" 2"});
  EXPECT_EQ(typed("cat 1"), " \"MAIN\"\n end \n \"SUB\"\n .end.\n");
  EXPECT_EQ(zq_suppress_display, 0);
}

TEST_F(CatalogTest, LabelCatalogueOfEmptyMemory) { EXPECT_EQ(typed("cat 1"), " .end.\n"); }

TEST_F(CatalogTest, PdirListsThePathPrefix) {
  TempDir dir({"alpha.txt", "beta"});
  std::snprintf(zq_path, sizeof zq_path, "%s/", dir.path().c_str());
  zq_reg_set_number(CELL_X, zqm_zq_double_64_from_int(5));
  const std::vector<std::string> lines = lines_of(typed("pdir"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), dir.path() + "/");
  EXPECT_EQ(sorted_entries(lines), (std::vector<std::string>{".", "..", "alpha.txt", "beta"}));
  // The stack is not touched.
  EXPECT_TRUE(zqm_compare(zq_regs[CELL_X], zqm_zq_double_64_from_int(5), CMP_EQ));
  EXPECT_TRUE(zqm_compare(zq_regs[CELL_Y], zqm_zq_double_64_from_int(0), CMP_EQ));
}

TEST_F(CatalogTest, PdirWithoutPrefixListsTheCurrentDirectory) {
  char cwd[zq_path_size];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  const std::vector<std::string> lines = lines_of(typed("pdir"));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front(), cwd);
}

TEST_F(CatalogTest, PdirOfAnInvalidPath) {
  std::snprintf(zq_path, sizeof zq_path, "/nonexistent-zq17/");
  EXPECT_EQ(typed("pdir"), "Invalid directory path /nonexistent-zq17/.\n");
  EXPECT_EQ(zq_last_error, 0);
}

TEST_F(CatalogTest, EmdirListsTheCurrentDirectoryAndPushes600) {
  TempDir dir({"gamma"});
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  // The path prefix plays no part.
  std::snprintf(zq_path, sizeof zq_path, "/nonexistent-zq17/");
  zq_reg_set_number(CELL_X, zqm_zq_double_64_from_int(5));
  zq_reg_set_number(CELL_L, zqm_zq_double_64_from_int(9));
  for (const char* line : {"emdir", "cat 4"}) {
    SCOPED_TRACE(line);
    const std::vector<std::string> lines = lines_of(typed(line));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), std::filesystem::current_path().string());
    EXPECT_EQ(sorted_entries(lines), (std::vector<std::string>{".", "..", "gamma"}));
    EXPECT_EQ(zq_reg_types[CELL_X], REG_NUMBER);
    EXPECT_TRUE(zqm_compare(zq_regs[CELL_X], zqm_k_600, CMP_EQ));
    EXPECT_TRUE(zqm_compare(zq_regs[CELL_L], zqm_zq_double_64_from_int(9), CMP_EQ));
  }
  EXPECT_TRUE(zqm_compare(zq_regs[CELL_Y], zqm_k_600, CMP_EQ));
  EXPECT_TRUE(zqm_compare(zq_regs[CELL_Z], zqm_zq_double_64_from_int(5), CMP_EQ));
  EXPECT_EQ(zq_suppress_display, 0);
  std::filesystem::current_path(before);
}

TEST_F(CatalogTest, ExeqRunsPrefixAndAlphaText) {
  set_alpha("echo a\\b");
  EXPECT_EQ(typed("exeq"), "Executing: echo a/b\na/b\n");
  // The prefix makes the alpha text a name inside the prefix directory.
  std::snprintf(zq_path, sizeof zq_path, "/bin/");
  set_alpha("echo x");
  EXPECT_EQ(typed("exeq"), "Executing: /bin/echo x\nx\n");
}

TEST_F(CatalogTest, ExeqOfTheLongestCommand) {
  // 230 characters of prefix and 24 of alpha text: 254 characters.
  const std::string prefix = "echo " + std::string(225, 'y');
  std::snprintf(zq_path, sizeof zq_path, "%s", prefix.c_str());
  set_alpha("zzzzzzzzzzzzzzzzzzzzzzzz");
  const std::string word = std::string(225, 'y') + std::string(24, 'z');
  EXPECT_EQ(typed("exeq"), "Executing: echo " + word + "\n" + word + "\n");
}

TEST_F(CatalogTest, ExeqWithEmptyAlpha) {
  EXPECT_EQ(typed("exeq"), "Alpha register empty.\n\n");
  EXPECT_EQ(zq_last_error, 0);
}

TEST_F(CatalogTest, PathSetsThePrefix) {
  set_alpha("/tmp");
  EXPECT_EQ(typed("path"), "Warning, Path has no trailing slash.\n");
  EXPECT_STREQ(zq_path, "/tmp");
  set_alpha("dir/");
  EXPECT_EQ(typed("path"), "");
  EXPECT_STREQ(zq_path, "dir/");
  set_alpha("C:\\DATA\\");
  EXPECT_EQ(typed("path"), "");
  EXPECT_STREQ(zq_path, "C:\\DATA\\");
  set_alpha("");
  EXPECT_EQ(typed("path"), "");
  EXPECT_STREQ(zq_path, "");
}

TEST_F(CatalogTest, PathTakesTheWholeFullRegister) {
  set_alpha("abcdefghijklmnopqrstuvw/");
  typed("path");
  EXPECT_STREQ(zq_path, "abcdefghijklmnopqrstuvw/");
  // Every byte after the text is NUL.
  EXPECT_TRUE(std::all_of(zq_path + 24, zq_path + zq_path_size, [](char c) { return c == '\0'; }));
}

TEST_F(CatalogTest, PathPlusAppends) {
  std::snprintf(zq_path, sizeof zq_path, "/tmp");
  set_alpha("");
  EXPECT_EQ(typed("path+"), "");
  EXPECT_STREQ(zq_path, "/tmp");
  set_alpha("/sub");
  EXPECT_EQ(typed("path+"), "Warning, Path has no trailing slash.\n");
  set_alpha("/");
  EXPECT_EQ(typed("path+"), "");
  EXPECT_STREQ(zq_path, "/tmp/sub/");
}

TEST_F(CatalogTest, PathPlusNeverPassesTheLimit) {
  set_alpha("aaaaaaaaaaaaaaaaaaaaaaa/");
  for (int i = 0; i < 9; ++i) typed("path+");  // 216 characters
  set_alpha("bbbbbbbbbbbbb/");
  EXPECT_EQ(typed("path+"), "");  // 230
  const std::string full(zq_path);
  ASSERT_EQ(full.size(), 230u);
  set_alpha("c");
  EXPECT_EQ(typed("path+"), "Warning, Path too long, not changed.\n");
  EXPECT_EQ(std::string(zq_path), full);
}

TEST_F(CatalogTest, PathQShowsThePrefix) {
  EXPECT_EQ(typed("path?"), "\n");
  std::snprintf(zq_path, sizeof zq_path, "/tmp/");
  EXPECT_EQ(typed("path?"), "/tmp/\n");
  // The message line shows 63 characters.
  const std::string long_path(100, 'p');
  std::snprintf(zq_path, sizeof zq_path, "%s", long_path.c_str());
  EXPECT_EQ(typed("path?"), long_path.substr(0, 63) + "\n");
}

TEST_F(CatalogTest, PathCommandsRunOnAnXailLine) {
  set_alpha("path? pdir");
  std::snprintf(zq_path, sizeof zq_path, "/nonexistent-zq17/");
  EXPECT_EQ(typed("xail"), "/nonexistent-zq17/\nInvalid directory path /nonexistent-zq17/.\n");
}

}  // namespace
