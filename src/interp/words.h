// The word splitter: cuts a typed line (or the alpha register run by xail)
// into the words the parser takes, and the text-prefix tests it shares.
#pragma once

#include <cstddef>
#include <cstdint>

// Stores the next word of line into word (size bytes, at least 1; always
// NUL-terminated) and moves position past it; an empty word means the line
// is used up. A word longer than the buffer is cut to size - 1 bytes, and
// position still moves past the whole word.
void zq_next_word(const char* line, char* word, size_t size, int64_t& position);

template <size_t N>
void zq_next_word(const char* line, char (&word)[N], int64_t& position) {
  zq_next_word(line, word, N, position);
}

// 1 for a word beginning with a lone double quote (text for the alpha
// register), 2 for +" or >" and 3 for |-" (text appended to it), else 0.
int zq_get_string_prefix_len(const char* word);

// 1 when the word ends in a double quote, except for the bare prefixes |-"
// and +", which only open a text; else 0.
int zq_is_string_token_closed(const char* word);
