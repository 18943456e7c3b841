// The bounded text builder: every line and word put together in a fixed
// buffer (listing lines, the stack line, number texts, typed and file words)
// goes through it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>

// Writes into a buffer it does not own. The text stays NUL-terminated after
// every write, one byte short of the end at the most; what does not fit is
// dropped and marks the text too long, so a caller that must not use a cut
// text can refuse it.
class zq_text_builder {
 public:
  // buffer holds size bytes, at least 1; the text starts empty.
  zq_text_builder(char* buffer, size_t size) : text_(buffer), size_(size) { text_[0] = '\0'; }
  template <size_t N>
  explicit zq_text_builder(char (&buffer)[N]) : zq_text_builder(buffer, N) {}

  zq_text_builder(const zq_text_builder&) = delete;
  zq_text_builder& operator=(const zq_text_builder&) = delete;

  // Stores one byte; false when there was no room.
  bool put(char c) {
    if (used_ + 1 >= size_) {
      too_long_ = true;
      return false;
    }
    text_[used_++] = c;
    text_[used_] = '\0';
    return true;
  }

  // Stores the first count bytes of from, or as many as fit.
  void append(const char* from, size_t count) {
    const size_t room = size_ - 1 - used_;
    if (count > room) {
      count = room;
      too_long_ = true;
    }
    std::memcpy(text_ + used_, from, count);
    used_ += count;
    text_[used_] = '\0';
  }
  void append(const char* text) { append(text, std::strlen(text)); }

  // snprintf into the room left: the formatted text, cut to fit. Inline, so
  // that a builder on the stack does not escape and stays in registers.
  template <typename... Args>
  void append_format(const char* format, Args... args) {
    const size_t room = size_ - used_;
    const int wanted = std::snprintf(text_ + used_, room, format, args...);
    if (wanted < 0) {
      text_[used_] = '\0';
    } else if (static_cast<size_t>(wanted) >= room) {
      used_ = size_ - 1;
      too_long_ = true;
    } else {
      used_ += static_cast<size_t>(wanted);
    }
  }

  void clear() {
    used_ = 0;
    too_long_ = false;
    text_[0] = '\0';
  }

  bool empty() const { return used_ == 0; }
  size_t length() const { return used_; }
  bool too_long() const { return too_long_; }
  const char* c_str() const { return text_; }
  // The buffer itself, for a reader that rewrites the text in place (the
  // parser does); the builder must be cleared before it writes again.
  char* data() { return text_; }
  size_t size() const { return size_; }

 private:
  char* text_;
  size_t size_;
  size_t used_ = 0;
  bool too_long_ = false;
};
