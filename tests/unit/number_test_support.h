// Helpers the unit tests share to build decimal numbers from text or integers,
// to read and compare them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "number/decimal.h"

#include "start_test_support.h"

namespace zq_test {

// The number a literal reads as, through the layer's own reader
// (which may rewrite its buffer, so the literal is copied first).
inline zq_double_64 num(const char* text) {
  char buf[64];
  snprintf(buf, sizeof buf, "%s", text);
  return zqm_zq_double_64_from_string(buf, sizeof buf, 1);
}

// num for tests that only set up state: what the reading raised is dropped,
// so it cannot show up in the check that follows.
inline zq_double_64 quiet_num(const char* text) {
  const zq_double_64 value = num(text);
  zqm_take_error();
  return value;
}

// The library's own text, without touching the status.
inline std::string text_of(zq_double_64 v) {
  const decDouble d = zqm_dec_from_zq_double_64(v);
  char buf[DECDOUBLE_String];
  decDoubleToString(&d, buf);
  return buf;
}

// The layer's text, as the calculator gets it (maps any status left behind).
inline std::string layer_text(zq_double_64 v) {
  char buf[zqm_string_size];
  zqm_string_from_zq_double_64(buf, sizeof buf, v);
  return buf;
}

inline int32_t exponent_of(zq_double_64 v) {
  const decDouble d = zqm_dec_from_zq_double_64(v);
  return decDoubleGetExponent(&d);
}

inline bool is_negative(zq_double_64 v) {
  const decDouble d = zqm_dec_from_zq_double_64(v);
  return decDoubleIsSigned(&d);
}

inline bool is_negative_zero(zq_double_64 v) {
  const decDouble d = zqm_dec_from_zq_double_64(v);
  return decDoubleIsZero(&d) && decDoubleIsSigned(&d);
}

// The sanitizers make generated-input proofs about ten times slower: they
// run this share of their random cases there (their grids stay whole).
#ifdef __SANITIZE_ADDRESS__
constexpr int zq_random_share = 10;
#else
constexpr int zq_random_share = 1;
#endif

// The integer n as a number.
inline zq_double_64 number(int n) { return zqm_zq_double_64_from_int(n); }

// Equal in value to n; on failure shows the value as the layer writes it.
inline testing::AssertionResult holds(zq_double_64 value, int n) {
  if (zqm_compare(value, number(n), CMP_EQ)) return testing::AssertionSuccess();
  char text[zqm_string_size];
  zqm_string_from_zq_double_64(text, sizeof text, value);
  return testing::AssertionFailure() << text << " is not " << n;
}

}  // namespace zq_test
