// The word splitter and its text-prefix tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interp/words.h"

namespace {

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> words;
  int64_t position = 0;
  char word[256];
  for (;;) {
    zq_next_word(line.c_str(), word, position);
    if (word[0] == '\0') break;
    words.push_back(word);
  }
  EXPECT_EQ(position, static_cast<int64_t>(line.size()));  // left on the NUL
  return words;
}

TEST(Words, LinesToWords) {
  const struct {
    std::string line;
    std::vector<std::string> words;
  } cases[] = {
      {"", {}},
      {"   \t ", {}},
      {"5 6", {"5", "6"}},
      {"  5   6  ", {"5", "6"}},
      {"1\t2\r3\n4", {"1", "2", "3", "4"}},
      {"\"a b\" sto 05", {"\"a b\"", "sto", "05"}},
      {"ab\"c d\"e", {"ab\"c d\"e"}},
      {"\"hello world", {"\"hello world\""}},
      {">\"abc", {">\"abc\""}},
      {"|-\"", {"|-\"\""}},
      {"+\"", {"+\"\""}},
      {">\"", {">\""}},
      {"\"", {"\""}},
      {"\"ab\"cd ef\"gh", {"\"ab\"cd ef\"", "gh"}},
      {"\"a\tb", {"\"a\"", "b"}},
      {"\"ab cd\tef", {"\"ab cd\"", "ef"}},  // an open quote does not cross a TAB
      {"+\" abc", {"+\" abc\""}},
      {"x\xc3\xa9y", {"x", "y"}},  // bytes from 0x80 up separate words
      {"\"\xc3\xa9", {"\""}},      // a lone quote counts as closed
      {"sto \"ab", {"sto", "\"ab\""}},
  };
  for (const auto& c : cases) EXPECT_EQ(split(c.line), c.words) << c.line;
}

TEST(Words, EmptyLineGivesAnEmptyWordAtOnce) {
  int64_t position = 0;
  char word[8] = "junk";
  zq_next_word("", word, position);
  EXPECT_STREQ(word, "");
  EXPECT_EQ(position, 0);
}

TEST(Words, PositionMovesPastTheStoppingByte) {
  int64_t position = 0;
  char word[16];
  zq_next_word("ab  cd", word, position);
  EXPECT_STREQ(word, "ab");
  EXPECT_EQ(position, 3);
  zq_next_word("\"ab\"cd ef\"gh", word, position = 0);
  EXPECT_EQ(position, 10);  // past the quote that closed the text
}

TEST(Words, LongWordIsCutToTheBuffer) {
  // Guard bytes around a small buffer show that nothing past it is written.
  struct {
    char before[4] = {'#', '#', '#', '#'};
    char word[6];
    char after[4] = {'#', '#', '#', '#'};
  } frame;
  const char* line = "abcdefghij k";
  int64_t position = 0;
  zq_next_word(line, frame.word, position);
  EXPECT_STREQ(frame.word, "abcde");
  EXPECT_EQ(position, 11);  // the whole word is passed over
  zq_next_word(line, frame.word, position);
  EXPECT_STREQ(frame.word, "k");

  position = 0;
  zq_next_word("\"abcdefgh", frame.word, position);  // the appended quote does not fit either
  EXPECT_STREQ(frame.word, "\"abcd");
  for (char c : frame.before) EXPECT_EQ(c, '#');
  for (char c : frame.after) EXPECT_EQ(c, '#');
}

TEST(Words, StringPrefixLength) {
  const struct {
    const char* word;
    int length;
  } cases[] = {
      {"\"", 1},  {"\"abc\"", 1}, {"+\"", 2}, {">\"x", 2}, {"|-\"", 3}, {"|-\"ab\"", 3}, {"", 0},
      {"abc", 0}, {"+", 0},       {"|-", 0},  {"|\"", 0},  {"-\"", 0},  {"a\"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(zq_get_string_prefix_len(c.word), c.length) << c.word;
}

TEST(Words, StringTokenClosed) {
  const struct {
    const char* word;
    int closed;
  } cases[] = {
      {"\"", 1},   {">\"", 1}, {"\"ab\"", 1}, {"+\"x\"", 1}, {"|-\"x\"", 1},
      {"|-\"", 0}, {"+\"", 0}, {"\"ab", 0},   {">\"ab", 0},  {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(zq_is_string_token_closed(c.word), c.closed) << c.word;
}

}  // namespace
