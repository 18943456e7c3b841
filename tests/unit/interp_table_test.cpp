// The command table: row order, the columns of every row, aliases and lookup.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "interp/command_table.h"
#include "interp/parser.h"

#include "interp_test_support.h"

namespace {

const char* const kRowNames[zq_command_count] = {
    "0",       "1",     "2",       "3",       "4",       "5",       "6",     "7",       "8",      "9",
    ".",       "e",     "nbr",     "alpha",   "append",  "b",       "s",     "cool",    "+",      "-",
    "*",       "/",     "1/x",     "10^x",    "about",   "abs",     "acos",  "adate",   "aleng",  "anum",
    "arcl",    "arcll", "arot",    "ashf",    "ashfl",   "asin",    "asto",  "astol",   "atime",  "atime24",
    "atan",    "atox",  "aview",   "beep",    "bst",     "cat",     "cf",    "changes", "chs",    "cla",
    "clall",   "cld",   "clerr",   "clk12",   "clk24",   "clkt",    "clktd", "clock",   "clp",    "clrg",
    "clrgx",   "cls",   "clst",    "clwatch", "clx",     "cos",     "d-r",   "date",    "date+",  "ddays",
    "dec",     "deg",   "dow",     "dmy",     "drop",    "dropl",   "dse",   "end",     "eng",    "enter",
    "emdir",   "errno", "xail",    "exeq",    "e^x",     "e^x-1",   "exit",  "fact",    "fc?",    "fc?c",
    "fix",     "frc",   "fs?",     "fs?c",    "fview",   "getp",    "getr",  "getrx",   "getsub", "grad",
    "gto",     "gto.",  "gto..",   "hms",     "hms+",    "hms-",    "hr",    "int",     "isg",    "lastx",
    "lbl",     "list",  "ln",      "ln1+x",   "log",     "mean",    "mdy",   "mod",     "oct",    "off",
    "p-r",     "path",  "path+",   "path?",   "pdir",    "%",       "%ch",   "pi",      "pclps",  "posa",
    "prompt",  "prstk", "pse",     "psize",   "r-d",     "r-p",     "rad",   "reada",   "reads",  "regmove",
    "regswap", "rcl",   "rclflag", "rdn",     "rnd",     "rtn",     "run",   "rup",     "savep",  "saver",
    "saverx",  "sci",   "sdev",    "sf",      "sin",     "sign",    "size",  "size?",   "sqrt",   "sst",
    "st+",     "st-",   "st*",     "st/",     "sto",     "stoflag", "stop",  "s+",      "s-",     "sreg",
    "sreg?",   "tan",   "time",    "trace",   "unwatch", "usage",   "user",  "view",    "watch",  "wrts",
    "wrta",    "x=0?",  "x<>0?",   "x<0?",    "x<=0?",   "x>0?",    "x=y?",  "x<>y?",   "x<y?",   "x<=y?",
    "x>y?",    "x<>",   "x<>f",    "x<>y",    "xeq",     "xtoa",    "x^2",   "y^x",     "\n",
};

using namespace zq_test;

int find(const std::string& word) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%s", word.c_str());
  return zq_find_command(buffer);
}

TEST(CommandTable, RowsInTheirOrder) {
  for (int row = 0; row < zq_command_count; ++row) {
    EXPECT_STREQ(zq_commands[row].name, kRowNames[row]) << "row " << row;
  }
  EXPECT_EQ(zq_end_row, 198);
}

TEST(CommandTable, CommandTypes) {
  struct Case {
    uint8_t type;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {CMD_TYPE_FNL1,
       {"arcl", "arcll", "asto", "astol", "dse", "isg", "rcl", "st+", "st-", "st*", "st/", "sto", "unwatch",
        "view", "watch", "x<>"}},
      {CMD_TYPE_FNL2, {"cat", "cf", "eng", "fc?", "fc?c", "fix", "fs?", "fs?c", "sci", "sf", "sreg"}},
      {CMD_TYPE_LBL, {"lbl"}},
      {CMD_TYPE_GTO_XEQ, {"gto", "xeq"}},
      {CMD_TYPE_PLS_STR, {"reada", "reads", "wrts", "wrta"}},
      {CMD_TYPE_LINE_NO, {"gto.", "list", "size"}},
      {CMD_TYPE_ALPHA, {"alpha", "append"}},
      {CMD_TYPE_OPT_ALPHA, {"clp"}},
  };
  std::set<int> typed;
  for (const Case& c : cases) {
    for (const std::string& name : c.names) {
      const int row = row_of(name);
      ASSERT_GE(row, 0) << name;
      EXPECT_EQ(zq_commands[row].cmd_type, c.type) << name;
      typed.insert(row);
    }
  }
  int fn_rows = 0;
  for (int row = 0; row < zq_command_count; ++row) {
    if (typed.count(row)) continue;
    const bool keyboard = row < 12 || row == zq_end_row;
    EXPECT_EQ(zq_commands[row].cmd_type, keyboard ? CMD_TYPE_KEYBD : CMD_TYPE_FN) << "row " << row;
    fn_rows += zq_commands[row].cmd_type == CMD_TYPE_FN;
  }
  EXPECT_EQ(fn_rows, 146);
}

TEST(CommandTable, CheckMasks) {
  struct Case {
    uint8_t mask;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {0x01,
       {"1/x",   "10^x", "abs",   "acos",  "adate", "arot",  "asin",    "atime",   "atime24", "atan",   "chs",
        "clrgx", "cos",  "d-r",   "dec",   "e^x",   "e^x-1", "fact",    "frc",     "getrx",   "hms",    "hr",
        "int",   "ln",   "ln1+x", "log",   "oct",   "r-d",   "regmove", "regswap", "rnd",     "saverx", "sin",
        "sqrt",  "tan",  "x=0?",  "x<>0?", "x<0?",  "x<=0?", "x>0?",    "x<>f",    "x^2"}},
      {0x03,
       {"+", "-", "*", "/", "ddays", "hms+", "hms-", "mod", "p-r", "%", "%ch", "r-p", "x<y?", "x<=y?", "x>y?",
        "y^x"}},
      {0x04, {"mean", "sdev"}},
      {0x07, {"s+", "s-"}},
      {0x08, {"cat", "dse", "eng", "fix", "isg", "sci"}},
      {0x09, {"st+", "st-", "st*", "st/"}},
      {0x10, {"cf", "fc?", "fc?c", "fs?", "fs?c", "rcl", "sf", "sto", "unwatch", "view", "watch", "x<>"}},
      {0x20, {"stoflag"}},
  };
  std::set<int> masked;
  for (const Case& c : cases) {
    for (const std::string& name : c.names) {
      const int row = row_of(name);
      ASSERT_GE(row, 0) << name;
      EXPECT_EQ(zq_commands[row].check_mask, c.mask) << name;
      masked.insert(row);
    }
  }
  int x_only = 0;
  for (int row = 0; row < zq_command_count; ++row) {
    if (!masked.count(row)) {
      EXPECT_EQ(zq_commands[row].check_mask, 0) << "row " << row;
    }
    x_only += zq_commands[row].check_mask == CHK_X_NUMERIC;
  }
  EXPECT_EQ(x_only, 42);
  EXPECT_EQ(zq_commands[row_of("x=y?")].check_mask, 0);
  EXPECT_EQ(zq_commands[row_of("x<>y?")].check_mask, 0);
}

TEST(CommandTable, ProgrammableRows) {
  const std::set<std::string> immediate = {
      "0",     "1",    "2",   "3",     "4",     "5",     "6",    "7",       "8",     "9",     ".",    "e",
      "\n",    "b",    "s",   "cool",  "about", "bst",   "cat",  "changes", "clall", "clp",   "exit", "gto.",
      "gto..", "list", "off", "reada", "run",   "savep", "size", "sst",     "trace", "usage", "wrta",
  };
  ASSERT_EQ(immediate.size(), 35u);
  int programmable = 0;
  for (int row = 0; row < zq_command_count; ++row) {
    const bool expected = !immediate.count(zq_commands[row].name);
    EXPECT_EQ(zq_commands[row].programmable, expected ? 1 : 0) << zq_commands[row].name;
    programmable += zq_commands[row].programmable;
  }
  EXPECT_EQ(programmable, 164);
}

TEST(CommandTable, KeywordRows) {
  const struct {
    int index;
    const char* name;
    int row;
  } cases[] = {
      {zq_idx_lbl, "lbl", 110},      {zq_idx_end, "end", 77},        {zq_idx_nbr, "nbr", 12},
      {zq_idx_gto, "gto", 100},      {zq_idx_xeq, "xeq", 194},       {zq_idx_alpha, "alpha", 13},
      {zq_idx_append, "append", 14}, {zq_idx_xail, "xail", 82},      {zq_idx_stop, "stop", 166},
      {zq_idx_pse, "pse", 132},      {zq_idx_prompt, "prompt", 130}, {zq_idx_rtn, "rtn", 145},
      {zq_idx_exeq, "exeq", 83},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.index, c.row) << c.name;
    EXPECT_EQ(find(c.name), c.row) << c.name;
  }
  EXPECT_EQ(find("sto"), 164);
}

TEST(CommandTable, Aliases) {
  const struct {
    const char* alias;
    const char* canonical;
  } expected[zq_alias_count] = {
      {"xny?", "x<>y?"},  {"x#y?", "x<>y?"},  {"x#0?", "x<>0?"},    {"xly?", "x<=y?"}, {"sum+", "s+"},
      {"sum-", "s-"},     {"sumreg", "sreg"}, {"sumreg?", "sreg?"}, {"rd", "rdn"},     {"+/-", "chs"},
      {"r^", "rup"},      {"clsum", "cls"},   {"-dec", "dec"},      {"-rad", "d-r"},   {"enter^", "enter"},
      {"n!", "fact"},     {"fp", "frc"},      {"-hms", "hms"},      {"-hr", "hr"},     {"ip", "int"},
      {"-oct", "oct"},    {"-rec", "p-r"},    {"-deg", "r-d"},      {"-pol", "r-p"},   {"x!=y?", "x<>y?"},
      {"x!=0?", "x<>0?"}, {"pra", "aview"},
  };
  for (int i = 0; i < zq_alias_count; ++i) {
    EXPECT_STREQ(zq_aliases[i].alias, expected[i].alias);
    EXPECT_STREQ(zq_aliases[i].canonical, expected[i].canonical);
    char word[256];
    std::snprintf(word, sizeof word, "%s", expected[i].alias);
    EXPECT_EQ(zq_find_command(word), row_of(expected[i].canonical)) << expected[i].alias;
    EXPECT_STREQ(word, expected[i].canonical);  // rewritten in place
  }
}

TEST(CommandTable, Lookup) {
  const struct {
    const char* word;
    int row;
  } cases[] = {
      {"rd", 143},  {"rdn", 143}, {"sum+", 167}, {"pra", 42}, {"x!=0?", 182}, {"nbr", 12},
      {"y^x", 197}, {"0", -1},    {"5", -1},     {"9", -1},   {".", -1},      {"e", -1},
      {"\n", -1},   {"ind", -1},  {"RD", -1},    {"", -1},    {"stox", -1},   {"st", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(find(c.word), c.row) << c.word;

  char word[256] = "n!";
  zq_find_command(word);
  EXPECT_STREQ(word, "fact");
  char plain[256] = "sto";
  zq_canonical_name(plain, sizeof plain);
  EXPECT_STREQ(plain, "sto");
}

TEST(CommandTable, AliasInASmallBufferIsFoundButNotRewritten) {
  char word[3] = "rd";  // no room for "rdn"
  EXPECT_EQ(zq_find_command(word), 143);
  EXPECT_STREQ(word, "rd");
  char fits[4] = "rd";
  EXPECT_EQ(zq_find_command(fits), 143);
  EXPECT_STREQ(fits, "rdn");
}

TEST(CommandTable, IndOnlyWhereAnIndirectOperandMayFollow) {
  const uint32_t saved = zq_parse_state;
  for (uint32_t state = EX_ERR; state <= EX_COMMENT; ++state) {
    zq_parse_state = state;
    const int expected = state == EX_IND_NUM || state == EX_IND_NUM_STK || state == EX_IND_NUM_STR;
    EXPECT_EQ(zq_is_ind("ind"), expected) << "state " << state;
    EXPECT_EQ(zq_is_ind("in"), 0);
    EXPECT_EQ(zq_is_ind("indx"), 0);
  }
  zq_parse_state = saved;
}

TEST(CommandTable, CommandTypeNames) {
  const char* const names[] = {"CMD_TYPE_KEYBD", "CMD_TYPE_FN",       "CMD_TYPE_FNL1",    "CMD_TYPE_FNL2",
                               "CMD_TYPE_LBL",   "CMD_TYPE_GTO_XEQ",  "CMD_TYPE_PLS_STR", "CMD_TYPE_LINE_NO",
                               "CMD_TYPE_ALPHA", "CMD_TYPE_OPT_ALPHA"};
  for (int type = 0; type < 10; ++type) EXPECT_STREQ(zq_get_command_type(type), names[type]);
  EXPECT_STREQ(zq_get_command_type(10), "zq_get_command_type unknown");
  EXPECT_STREQ(zq_get_command_type(-1), "zq_get_command_type unknown");
}

}  // namespace
