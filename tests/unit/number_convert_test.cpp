// Conversions of the decimal number to and from text, integers, double and
// long double.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "number/decimal.h"

#include "number_test_support.h"

namespace {

using namespace zq_test;

class NumberConvert : public zq_test::FreshTest {};

TEST_F(NumberConvert, TextTable) {
  struct Case {
    const char* in;
    uint32_t radix_point;
    const char* value;
    zq_error_code code;
    const char* buffer_after;
  };
  const Case cases[] = {
      {"e5", 1, "1E+5", ERR_NONE, "1e5"},
      {"e5", 0, "1E+5", ERR_NONE, "1e5"},
      {"e-2", 1, "0.01", ERR_NONE, "1e-2"},
      {"E5", 1, "NaN", ERR_DATA, "E5"},  // only a lower-case 'e' gains the 1
      {"1,5", 0, "1.5", ERR_NONE, "1.5"},
      {"1.5", 0, "1.5", ERR_NONE, "1.5"},
      {"1.234,5", 0, "NaN", ERR_DATA, "1.234.5"},
      {"1,234.5", 1, "1234.5", ERR_NONE, "1,234.5"},
      {"1,5", 1, "15", ERR_NONE, "1,5"},
      {"12345678901234567", 1, "1.234567890123457E+16", ERR_NONE, "12345678901234567"},
      {"12345678901234565", 1, "1.234567890123456E+16", ERR_NONE, "12345678901234565"},
      {"12345678901234575", 1, "1.234567890123458E+16", ERR_NONE, "12345678901234575"},
      {"abc", 1, "NaN", ERR_DATA, "abc"},
      {"1.50", 1, "1.50", ERR_NONE, "1.50"},
      {"-inf", 1, "-Infinity", ERR_NONE, "-inf"},
      {"sNaN", 1, "sNaN", ERR_NONE, "sNaN"},
      {"1e400", 1, "Infinity", ERR_OUT_OF_RANGE, "1e400"},
      // Exact subnormal and folded-down texts are read without a condition.
      {"1e-390", 1, "1E-390", ERR_NONE, "1e-390"},
      {"1e370", 1, "1.0E+370", ERR_NONE, "1e370"},
      // Too small even for a subnormal: underflow to zero, refused.
      {"1e-400", 1, "0E-398", ERR_OUT_OF_RANGE, "1e-400"},
  };
  for (const Case& c : cases) {
    char buf[48];
    snprintf(buf, sizeof buf, "%s", c.in);
    testing::internal::CaptureStdout();
    const zq_double_64 v = zqm_zq_double_64_from_string(buf, sizeof buf, c.radix_point);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.in;
    EXPECT_EQ(text_of(v), c.value) << c.in;
    EXPECT_EQ(zqm_take_error(), c.code) << c.in;
    EXPECT_STREQ(buf, c.buffer_after) << c.in;
  }
}

TEST_F(NumberConvert, LeadingEIsCoefficientOne) {
  const zq_double_64 v = num("e5");
  EXPECT_EQ(exponent_of(v), 5);
  const decDouble d = zqm_dec_from_zq_double_64(v);
  uint8_t bcd[16];
  int32_t exponent;
  decDoubleToBCD(&d, &exponent, bcd);
  EXPECT_EQ(bcd[15], 1);
}

// The 16-digit format reports Inexact when it drops a non-zero digit, but no
// condition at all when it drops only zeros: the pending code then stays.
TEST_F(NumberConvert, RoundingAwayZerosRaisesNothing) {
  zqm_set_error(ERR_OUT_OF_RANGE);
  EXPECT_EQ(text_of(num("7777777777777777.0")), "7777777777777777");
  EXPECT_EQ(zqm_error, ERR_OUT_OF_RANGE);
  EXPECT_EQ(text_of(num("12345678901234567")), "1.234567890123457E+16");
  EXPECT_EQ(zqm_error, ERR_NONE);
}

TEST_F(NumberConvert, MinusZeroIsNegativeZero) { EXPECT_TRUE(is_negative_zero(num("-0"))); }

// Without room for the added '1' the caller's text stays as it was, and the
// number is still read as 1e5.
TEST_F(NumberConvert, LeadingEWithoutRoomLeavesTheBuffer) {
  char buf[3] = "e5";
  EXPECT_EQ(text_of(zqm_zq_double_64_from_string(buf, sizeof buf, 1)), "1E+5");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
  EXPECT_STREQ(buf, "e5");
}

TEST_F(NumberConvert, UnterminatedBufferIsNoNumber) {
  char buf[4] = {'1', '2', '3', '4'};
  EXPECT_EQ(text_of(zqm_zq_double_64_from_string(buf, sizeof buf, 1)), "NaN");
  EXPECT_EQ(zqm_take_error(), ERR_DATA);
  EXPECT_EQ(memcmp(buf, "1234", 4), 0);
}

TEST_F(NumberConvert, TextLengthLimits) {
  struct Case {
    std::string in;
    const char* value;
  };
  const std::string zeros37(37, '0');
  const std::string zeros28(28, '0');
  const Case cases[] = {
      {"1" + zeros37 + "1", "1.000000000000000E+38"},  // 39 characters
      {"1" + zeros37 + "10", "NaN"},                   // 40 characters
      {"1,000,000,000,000,000,000,000,000,000,000,000,001", "1.000000000000000E+36"},
      {"e" + zeros28 + "1", "1E+1"},  // 30 characters
      {"e" + zeros28 + "01", "NaN"},  // 31 characters
  };
  for (const Case& c : cases) {
    char buf[80];
    snprintf(buf, sizeof buf, "%s", c.in.c_str());
    EXPECT_EQ(text_of(zqm_zq_double_64_from_string(buf, sizeof buf, 1)), c.value) << c.in;
    EXPECT_EQ(zqm_take_error(), std::string(c.value) == "NaN" ? ERR_DATA : ERR_NONE) << c.in;
  }
}

TEST_F(NumberConvert, ScientificText) {
  struct Case {
    zq_double_64 v;
    const char* text;
  };
  const Case cases[] = {
      {zqm_k_0, "0.0"},
      {num("1e3"), "1E+3"},
      {num("0E-70"), "0E-70"},
      {num("123.45"), "123.45"},
      {num("0.000001"), "0.000001"},
      {num("0.0000001"), "1E-7"},
      {num("-2.000000000000000"), "-2.000000000000000"},
      {num("-inf"), "-Infinity"},
      {num("nan"), "NaN"},
  };
  for (const Case& c : cases) {
    char out[zqm_string_size];
    zqm_string_from_zq_double_64(out, sizeof out, c.v);
    EXPECT_STREQ(out, c.text);
  }
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

TEST_F(NumberConvert, ScientificTextIsCutToTheBuffer) {
  char out[6] = "xxxxx";
  zqm_string_from_zq_double_64(out, 4, num("-123.45"));
  EXPECT_STREQ(out, "-12");
  EXPECT_EQ(out[4], 'x');
}

TEST_F(NumberConvert, FromInt) {
  EXPECT_EQ(text_of(zqm_zq_double_64_from_int(-5)), "-5");
  EXPECT_EQ(exponent_of(zqm_zq_double_64_from_int(-5)), 0);
  EXPECT_EQ(text_of(zqm_zq_double_64_from_int(INT32_MIN)), "-2147483648");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

TEST_F(NumberConvert, FromLint) {
  EXPECT_EQ(text_of(zqm_zq_double_64_from_lint(12345678901234567)), "1.234567890123457E+16");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
  EXPECT_EQ(text_of(zqm_zq_double_64_from_lint(-5)), "-5");
  EXPECT_EQ(exponent_of(zqm_zq_double_64_from_lint(-5)), 0);
  EXPECT_EQ(text_of(zqm_zq_double_64_from_lint(INT64_MIN)), "-9.223372036854776E+18");
  EXPECT_EQ(text_of(zqm_zq_double_64_from_lint(9876543210123456)), "9876543210123456");
}

TEST_F(NumberConvert, IntTruncatesToThirtyTwoBits) {
  struct Case {
    const char* in;
    int64_t out;
  };
  const Case cases[] = {
      {"2.9", 2},  {"-2.9", -2},   {"2147483647", 2147483647}, {"-2147483648", -2147483648LL},
      {"-0.5", 0}, {"1E+3", 1000},
  };
  for (const Case& c : cases) EXPECT_EQ(zqm_int_from_zq_double_64(num(c.in)), c.out) << c.in;
  EXPECT_EQ(decContextGetStatus(&zqm_ctx) & DEC_Invalid_operation, 0u);
}

// Out of range: 0, and the condition waits for the next mapped call.
TEST_F(NumberConvert, IntOutOfRangeLeavesInvalidOperation) {
  for (const char* in : {"2147483648", "-2147483649", "Infinity", "NaN"}) {
    const zq_double_64 v = num(in);
    zqm_take_error();
    EXPECT_EQ(zqm_int_from_zq_double_64(v), 0) << in;
    EXPECT_EQ(zqm_error, ERR_NONE) << in;
    EXPECT_NE(decContextGetStatus(&zqm_ctx) & DEC_Invalid_operation, 0u) << in;
    char out[zqm_string_size];
    zqm_string_from_zq_double_64(out, sizeof out, zqm_k_1);
    EXPECT_EQ(zqm_take_error(), ERR_DATA) << in;
  }
}

TEST_F(NumberConvert, LintTruncates) {
  struct Case {
    const char* in;
    int64_t out;
  };
  const Case cases[] = {
      {"1e3", 1000},
      {"2.000000000000000", 2},
      {"-0.5", 0},
      {"-123.45", -123},
      {"0.000001", 0},
      {"1.234567890123457E+16", 12345678901234570},
      {"1E-7", 0},
      {"-9.223372036854775E+18", -9223372036854775000LL},
      {"9.223372036854775E+18", 9223372036854775000LL},
      {"NaN", 0},
      {"sNaN", 0},
      {"Infinity", 0},
      {"-Infinity", 0},
      // Beyond 64 bits the result saturates.
      {"9.223372036854776E+18", INT64_MAX},
      {"-9.223372036854776E+18", INT64_MIN},
      {"-9.223372036854777E+18", INT64_MIN},
      {"9.999999999999999E+384", INT64_MAX},
      {"-1E+30", INT64_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(zqm_lint_from_zq_double_64(num(c.in)), c.out) << c.in;
}

TEST_F(NumberConvert, LintRoundTripOfTheSelfTestValue) {
  EXPECT_EQ(zqm_lint_from_zq_double_64(zqm_zq_double_64_from_lint(9876543210123456)), 9876543210123456);
}

TEST_F(NumberConvert, FromDoubleKeepsSixDecimals) {
  const zq_double_64 v = zqm_zq_double_64_from_double(180.0);
  EXPECT_EQ(text_of(v), "180.000000");
  EXPECT_EQ(exponent_of(v), -6);
  EXPECT_EQ(text_of(zqm_zq_double_64_from_double(1E-7)), "0.000000");
  EXPECT_EQ(text_of(zqm_zq_double_64_from_double(-2.5)), "-2.500000");
  EXPECT_EQ(text_of(zqm_zq_double_64_from_double(0.1234567)), "0.123457");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

// Where the six-decimal text does not fit its buffer the value keeps its
// magnitude; cutting only decimals would have given the same 16 digits.
TEST_F(NumberConvert, FromLargeDouble) {
  EXPECT_EQ(text_of(zqm_zq_double_64_from_double(-123456789012345678.0)), "-1.234567890123457E+17");
  EXPECT_EQ(text_of(zqm_zq_double_64_from_double(1E+30)), "1.000000000000000E+30");
  EXPECT_EQ(text_of(zqm_zq_double_64_from_double(-1E+300)), "-1.000000000000000E+300");
  EXPECT_EQ(text_of(zqm_zq_double_64_from_double(HUGE_VAL)), "Infinity");
  EXPECT_EQ(text_of(zqm_zq_double_64_from_double(std::nan(""))), "NaN");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

TEST_F(NumberConvert, ToDoubleIsTheNearest) {
  EXPECT_EQ(zqm_double_from_zq_double_64(num("0.1")), 0.1);
  EXPECT_EQ(zqm_double_from_zq_double_64(num("1.234567890123457E+16")), 1.234567890123457E+16);
  EXPECT_TRUE(std::isinf(zqm_double_from_zq_double_64(num("1E+384"))));
  EXPECT_EQ(zqm_double_from_zq_double_64(num("1E-383")), 0.0);
  EXPECT_TRUE(std::isnan(zqm_double_from_zq_double_64(num("NaN"))));
}

// libc reads no signalling NaN; as the text "sNaN" it would come back as 0.
TEST_F(NumberConvert, SignallingNaNBecomesABinaryNaN) {
  for (const char* in : {"sNaN", "-sNaN", "sNaN123"}) {
    const double d = zqm_double_from_zq_double_64(num(in));
    const long double ld = zqm_ldouble_from_zq_double_64(num(in));
    EXPECT_TRUE(std::isnan(d)) << in;
    EXPECT_TRUE(std::isnan(ld)) << in;
    EXPECT_EQ(std::signbit(d), in[0] == '-') << in;
    EXPECT_EQ(std::signbit(ld), in[0] == '-') << in;
  }
}

TEST_F(NumberConvert, FromLongDoubleWithSeventyDecimals) {
  const zq_double_64 half = zqm_zq_double_64_from_ldouble(0.5L);
  EXPECT_EQ(text_of(half), "0.5000000000000000");
  EXPECT_EQ(exponent_of(half), -16);
  EXPECT_EQ(zqm_take_error(), ERR_NONE);

  const zq_double_64 tiny = zqm_zq_double_64_from_ldouble(1E-80L);
  EXPECT_EQ(text_of(tiny), "0E-70");
  EXPECT_TRUE(is_negative_zero(zqm_zq_double_64_from_ldouble(-1E-80L)));
  // Below 1E-55 fewer than 16 digits survive the 70 decimals.
  EXPECT_EQ(text_of(zqm_zq_double_64_from_ldouble(1.25E-68L)), "1.25E-68");
  EXPECT_EQ(text_of(zqm_zq_double_64_from_ldouble(-1.0L / 3.0L)), "-0.3333333333333333");
  EXPECT_EQ(text_of(zqm_zq_double_64_from_ldouble(zqm_ld_inf)), "Infinity");
  EXPECT_EQ(text_of(zqm_zq_double_64_from_ldouble(-zqm_ld_inf)), "-Infinity");
  EXPECT_EQ(text_of(zqm_zq_double_64_from_ldouble(std::nanl(""))), "NaN");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

// A value whose fixed-point text does not fit keeps its magnitude.
TEST_F(NumberConvert, FromHugeLongDouble) {
  EXPECT_EQ(text_of(zqm_zq_double_64_from_ldouble(1E+100L)), "1.000000000000000E+100");
  EXPECT_EQ(text_of(zqm_zq_double_64_from_ldouble(-2E+63L)), "-2.000000000000000E+63");
}

// The text read back is exactly what strtold makes of the scientific text.
TEST_F(NumberConvert, ToLongDoubleThroughStrtold) {
  for (const char* in : {"0.1", "3.141592653589793", "-1.234567890123457E-300", "1E+384"}) {
    EXPECT_EQ(zqm_ldouble_from_zq_double_64(num(in)), strtold(in, nullptr)) << in;
  }
  EXPECT_TRUE(std::isinf(zqm_ldouble_from_zq_double_64(num("-Infinity"))));
  EXPECT_TRUE(std::isnan(zqm_ldouble_from_zq_double_64(num("NaN"))));
}

// %3.70Lf and back: 16 digits survive both ways for values of moderate size.
TEST_F(NumberConvert, LongDoubleRoundTrip) {
  for (const char* in :
       {"0.1", "3.141592653589793", "-1234567.890123456", "9.999999999999999E+20", "1.000000000000000E-40"}) {
    const zq_double_64 back = zqm_zq_double_64_from_ldouble(zqm_ldouble_from_zq_double_64(num(in)));
    EXPECT_EQ(zqm_compare(back, num(in), CMP_EQ), 1) << in << " came back as " << text_of(back);
  }
}

}  // namespace
