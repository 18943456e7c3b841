// The word splitter. Words are found in the line first and copied after, so
// closing an open text never depends on how much of it the buffer holds.
#include "interp/words.h"

#include <cstring>
#include <string_view>

#include "state/text_builder.h"

namespace {

constexpr char zq_quote = '"';

// TAB, CR, LF and bytes from 0x80 up end a word even inside quotes, so a
// multi-byte character always splits words.
bool zq_hard_stop(unsigned char c) { return c == '\t' || c == '\r' || c == '\n' || c >= 0x80; }

bool zq_is_separator(unsigned char c) { return c == ' ' || zq_hard_stop(c); }

// The closing test on the first length bytes of text.
bool zq_closed(const char* text, size_t length) {
  if (length == 0 || text[length - 1] != zq_quote) return false;
  const std::string_view word(text, length);
  return word != "|-\"" && word != "+\"";
}

}  // namespace

int zq_get_string_prefix_len(const char* word) {
  // The prefix bytes are never separators, so the test may also run on a
  // word that still stands inside its line.
  if (word[0] == '|' && word[1] == '-' && word[2] == zq_quote) return 3;
  if ((word[0] == '+' || word[0] == '>') && word[1] == zq_quote) return 2;
  if (word[0] == zq_quote) return 1;
  return 0;
}

int zq_is_string_token_closed(const char* word) { return zq_closed(word, std::strlen(word)) ? 1 : 0; }

void zq_next_word(const char* line, char* word, size_t size, int64_t& position) {
  const auto byte = [line](int64_t i) { return static_cast<unsigned char>(line[i]); };

  int64_t start = position;
  while (byte(start) != 0 && zq_is_separator(byte(start))) ++start;

  // The word proper: blanks inside a quoted stretch belong to it.
  int64_t end = start;
  bool quoted = false;
  while (byte(end) != 0 && !zq_hard_stop(byte(end)) && (quoted || byte(end) != ' ')) {
    if (byte(end) == zq_quote) quoted = !quoted;
    ++end;
  }

  zq_text_builder text(word, size);
  text.append(line + start, static_cast<size_t>(end - start));
  int64_t stop = end;

  // A text left open runs on, blanks included, to the next quote or hard
  // stop and is closed there; the quote that ends it is the one appended.
  if (end > start && zq_get_string_prefix_len(line + start) > 0 &&
      !zq_closed(line + start, static_cast<size_t>(end - start))) {
    while (byte(stop) != 0 && byte(stop) != zq_quote && !zq_hard_stop(byte(stop))) ++stop;
    text.append(line + end, static_cast<size_t>(stop - end));
    text.put(zq_quote);
  }

  position = byte(stop) != 0 ? stop + 1 : stop;
}
