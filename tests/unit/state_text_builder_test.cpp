// The bounded text builder: every write stops one byte short of the buffer's
// end, keeps the text terminated and marks what it had to drop.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "state/text_builder.h"

#include "start_test_support.h"

namespace {

class TextBuilder : public zq_test::FreshTest {};

constexpr size_t size = 8;  // room for 7 characters
constexpr char guard = '#';

// A buffer of `size` bytes followed by guard bytes that no write may touch.
struct guarded {
  char bytes[size + 8];
  guarded() { std::memset(bytes, guard, sizeof bytes); }
  bool guard_intact() const {
    for (size_t i = size; i < sizeof bytes; ++i) {
      if (bytes[i] != guard) return false;
    }
    return true;
  }
};

TEST_F(TextBuilder, WritesStopShortOfTheEnd) {
  const struct {
    const char* name;
    std::function<void(zq_text_builder&)> write;
    std::string text;
    bool too_long;
  } cases[] = {
      {"nothing", [](zq_text_builder&) {}, "", false},
      {"bytes that fit",
       [](zq_text_builder& t) {
         for (char c : std::string("abc")) t.put(c);
       },
       "abc", false},
      {"bytes to the last place",
       [](zq_text_builder& t) {
         for (char c : std::string("abcdefg")) t.put(c);
       },
       "abcdefg", false},
      {"one byte too many",
       [](zq_text_builder& t) {
         for (char c : std::string("abcdefgh")) t.put(c);
       },
       "abcdefg", true},
      {"a text that fits", [](zq_text_builder& t) { t.append("abcdefg"); }, "abcdefg", false},
      {"a text cut", [](zq_text_builder& t) { t.append("abcdefghij"); }, "abcdefg", true},
      {"a counted part", [](zq_text_builder& t) { t.append("abcdef", 2); }, "ab", false},
      {"texts one after another",
       [](zq_text_builder& t) {
         t.append("abcd");
         t.append("efgh");
       },
       "abcdefg", true},
      {"a format that fits", [](zq_text_builder& t) { t.append_format("%.2lld ", 7LL); }, "07 ", false},
      {"a format to the last place",
       [](zq_text_builder& t) {
         t.append("ab");
         t.append_format("e%+.0d", -398);
       },
       "abe-398", false},
      {"a format cut",
       [](zq_text_builder& t) {
         t.append("abc");
         t.append_format("e%+.0d", -398);
       },
       "abce-39", true},
      {"a format after a full text",
       [](zq_text_builder& t) {
         t.append("abcdefg");
         t.append_format("%d", 1);
       },
       "abcdefg", true},
  };
  for (const auto& c : cases) {
    guarded buffer;
    zq_text_builder text(buffer.bytes, size);
    c.write(text);
    EXPECT_EQ(std::string(text.c_str()), c.text) << c.name;
    EXPECT_EQ(text.length(), c.text.size()) << c.name;
    EXPECT_EQ(text.empty(), c.text.empty()) << c.name;
    EXPECT_EQ(text.too_long(), c.too_long) << c.name;
    EXPECT_TRUE(buffer.guard_intact()) << c.name;
  }
}

TEST_F(TextBuilder, PutTellsWhetherTheByteWasStored) {
  char buffer[3];
  zq_text_builder text(buffer);
  EXPECT_TRUE(text.put('a'));
  EXPECT_TRUE(text.put('b'));
  EXPECT_FALSE(text.put('c'));
  EXPECT_STREQ(text.c_str(), "ab");
}

TEST_F(TextBuilder, ClearStartsAnEmptyTextThatIsNotTooLong) {
  char buffer[4];
  zq_text_builder text(buffer);
  text.append("abcdef");
  ASSERT_TRUE(text.too_long());
  text.clear();
  EXPECT_STREQ(text.c_str(), "");
  EXPECT_TRUE(text.empty());
  EXPECT_FALSE(text.too_long());
  text.put('x');
  EXPECT_STREQ(text.c_str(), "x");
}

// A one-byte buffer holds only the terminator.
TEST_F(TextBuilder, AOneByteBufferStaysEmpty) {
  char buffer[1] = {'z'};
  zq_text_builder text(buffer);
  EXPECT_FALSE(text.put('a'));
  text.append("b");
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(text.too_long());
}

TEST_F(TextBuilder, WritesIntoTheCallersBuffer) {
  char buffer[size];
  zq_text_builder text(buffer);
  text.append("hi");
  EXPECT_EQ(text.data(), buffer);
  EXPECT_EQ(text.size(), size);
  EXPECT_STREQ(buffer, "hi");
}

}  // namespace
