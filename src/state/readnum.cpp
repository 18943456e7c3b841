// The number scanner of anum: finds the first number in a text, with signs
// and digit separators scattered through it, and reads it as a decimal value.
#include "state/readnum.h"

#include <algorithm>
#include <cstring>

#include "state/flags.h"

namespace {

// Every scanned character adds at most one character to the collected text;
// the exponent's '-' and the NUL need two more.
constexpr size_t zq_number_collect_size = zq_number_scan_limit + 2;

bool zq_is_digit(int character) { return character >= '0' && character <= '9'; }

char zq_radix_mark() { return zq_flag_test(FLAG_RADIX_POINT) ? '.' : ','; }

// The characters that make up the number, always NUL-terminated.
class zq_number_text {
 public:
  void add(char character) {
    if (used_ + 2 < sizeof text_) text_[used_++] = character;
  }
  void drop_last() {
    if (used_ > 0) text_[--used_] = '\0';
  }
  void insert_exponent_minus() {
    if (zq_insert_exponent_minus(text_, sizeof text_, static_cast<int64_t>(used_))) ++used_;
  }
  zq_double_64 value() { return zqm_zq_double_64_from_string(text_, sizeof text_, 1); }

 private:
  char text_[zq_number_collect_size] = {};
  size_t used_ = 0;
};

}  // namespace

int zq_is_number_punct(int character) {
  const char radix = zq_radix_mark();
  const char separator = radix == '.' ? ',' : '.';
  if (character == '-' || character == '+' || character == radix) return 1;
  return character == separator && zq_flag_test(FLAG_GROUPING) ? 1 : 0;
}

int zq_insert_exponent_minus(char* text, size_t size, int64_t length) {
  const size_t total = strnlen(text, size);
  const size_t searched = std::min(total, static_cast<size_t>(std::max<int64_t>(length, 0)));
  size_t e = 0;
  while (e < searched && text[e] != 'e' && text[e] != 'E') ++e;
  // Room for the text, the '-' and the NUL.
  if (e == searched || total + 2 > size) return 0;
  std::memmove(text + e + 2, text + e + 1, total - e);
  text[e + 1] = '-';
  return 1;
}

int zq_parse_number_text(const char* text, int64_t length, zq_double_64& value) {
  length = std::min(length, zq_number_scan_limit);
  const auto at = [text](int64_t i) { return static_cast<unsigned char>(text[i]); };

  int64_t first = 0;
  while (first < length && !zq_is_digit(at(first))) ++first;
  if (first >= length) return 0;

  const char radix = zq_radix_mark();
  zq_number_text number;
  bool negative = false;
  bool radix_taken = false;
  const auto take_radix = [&] {
    radix_taken = true;
    number.add('.');
  };

  // Only the unbroken run of marks right in front of the first digit counts.
  for (int64_t i = first - 1; i >= 0 && zq_is_number_punct(at(i)); --i) {
    if (at(i) == '-') {
      negative = !negative;
    } else if (at(i) == radix && !radix_taken) {
      take_radix();
    }
  }

  // Signs and separators inside the number are skipped; each '-' still
  // toggles the sign of the whole number.
  int64_t i = first;
  for (; i < length; ++i) {
    const int c = at(i);
    if (zq_is_digit(c)) {
      number.add(static_cast<char>(c));
    } else if (!zq_is_number_punct(c)) {
      break;
    } else if (c == '-') {
      negative = !negative;
    } else if (c == radix && !radix_taken) {
      take_radix();
    }
  }

  // Only an upper-case 'E' starts an exponent, of at most two digits.
  if (i < length && at(i) == 'E') {
    number.add('E');
    bool exponent_negative = false;
    int exponent_digits = 0;
    for (++i; i < length && exponent_digits < 2; ++i) {
      const int c = at(i);
      if (zq_is_digit(c)) {
        number.add(static_cast<char>(c));
        ++exponent_digits;
      } else if (!zq_is_number_punct(c)) {
        break;
      } else if (c == '-') {
        exponent_negative = !exponent_negative;
      }
    }
    if (exponent_digits == 0) {
      number.drop_last();
    } else if (exponent_negative) {
      number.insert_exponent_minus();
    }
  }

  zq_double_64 result = number.value();
  if (negative) result = zqm_mul(result, zqm_k_minus_1);
  value = result;
  return 1;
}
