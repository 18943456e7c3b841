// Trigonometric functions through long double: results, the fixed-point
// round trip and the NaN and infinity checks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "number/decimal.h"

#include "number_test_support.h"

namespace {

using namespace zq_test;

class NumberTrig : public zq_test::FreshTest {};

using Decimal = zq_double_64 (*)(zq_double_64);
using LongDouble = long double (*)(long double);

struct Function {
  const char* name;
  Decimal decimal;
  LongDouble libm;
};

const Function functions[] = {
    {"sin", zqm_sin, sinl},    {"cos", zqm_cos, cosl},    {"tan", zqm_tan, tanl},
    {"asin", zqm_asin, asinl}, {"acos", zqm_acos, acosl}, {"atan", zqm_atan, atanl},
};

// The way the layer is to take: text read by strtold, the long double
// function, "%3.70Lf", and that text read back by the library.
std::string through_long_double(LongDouble fn, const char* text) {
  char fixed[160];
  snprintf(fixed, sizeof fixed, "%3.70Lf", fn(strtold(text, nullptr)));
  decContext ctx;
  decContextDefault(&ctx, DEC_INIT_DECIMAL64);
  decDouble d;
  decDoubleFromString(&d, fixed, &ctx);
  char out[DECDOUBLE_String];
  decDoubleToString(&d, out);
  return out;
}

TEST_F(NumberTrig, FollowsTheLongDoubleWay) {
  const char* operands[] = {"0.5",
                            "-0.5",
                            "1",
                            "0.1",
                            "0.9999999999999999",
                            "1E-20",
                            "-0.3333333333333333",
                            "1.234567890123456E-30"};
  for (const Function& f : functions) {
    for (const char* x : operands) {
      testing::internal::CaptureStdout();
      const zq_double_64 r = f.decimal(num(x));
      EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << f.name << " " << x;
      EXPECT_EQ(text_of(r), through_long_double(f.libm, x)) << f.name << " " << x;
      EXPECT_EQ(zqm_take_error(), ERR_NONE) << f.name << " " << x;
    }
  }
}

// Values known to more than 16 digits, rounded half even.
TEST_F(NumberTrig, KnownValues) {
  struct Case {
    Decimal fn;
    const char* x;
    const char* result;
  };
  const Case cases[] = {
      {zqm_sin, "1", "0.8414709848078965"},        {zqm_cos, "1", "0.5403023058681397"},
      {zqm_tan, "1", "1.557407724654902"},         {zqm_asin, "0.5", "0.5235987755982989"},
      {zqm_acos, "0.5", "1.047197551196598"},      {zqm_atan, "1", "0.7853981633974483"},
      {zqm_atan, "2", "1.107148717794091"},        {zqm_sin, "-0.5", "-0.4794255386042030"},
      {zqm_cos, "3", "-0.9899924966004455"},       {zqm_cos, "0", "1.000000000000000"},
      {zqm_atan, "Infinity", "1.570796326794897"}, {zqm_atan, "-Infinity", "-1.570796326794897"},
  };
  for (const Case& c : cases) EXPECT_EQ(text_of(c.fn(num(c.x))), c.result) << c.x;
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

TEST_F(NumberTrig, TinyResultsBecomeZerosOfExponentMinus70) {
  const zq_double_64 zero = zqm_sin(num("0"));
  EXPECT_EQ(text_of(zero), "0E-70");
  EXPECT_EQ(text_of(zqm_sin(num("1E-80"))), "0E-70");
  const zq_double_64 negative = zqm_sin(num("-1E-80"));
  EXPECT_EQ(text_of(negative), "-0E-70");
  EXPECT_EQ(exponent_of(negative), -70);
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

// sin of the 16-digit pi is pi minus that value (about 2.3846E-16), give or
// take the long double rounding of the operand.
TEST_F(NumberTrig, SineOfSixteenDigitPi) {
  const zq_double_64 r = zqm_sin(zqm_k_pi);
  EXPECT_EQ(zqm_compare(r, num("2.3835E-16"), CMP_GT), 1) << text_of(r);
  EXPECT_EQ(zqm_compare(r, num("2.3857E-16"), CMP_LT), 1) << text_of(r);
  EXPECT_EQ(text_of(r), through_long_double(sinl, "3.141592653589793"));
}

TEST_F(NumberTrig, NaNResultsPrintAndLeaveDataError) {
  struct Case {
    Decimal fn;
    const char* x;
  };
  const Case cases[] = {
      {zqm_asin, "2"},       {zqm_acos, "-1.000000000000001"}, {zqm_sin, "Infinity"},  {zqm_cos, "-Infinity"},
      {zqm_tan, "Infinity"}, {zqm_asin, "Infinity"},           {zqm_acos, "Infinity"},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStdout();
    const zq_double_64 r = c.fn(num(c.x));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "NE_NAN\n") << c.x;
    const decDouble d = zqm_dec_from_zq_double_64(r);
    EXPECT_TRUE(decDoubleIsNaN(&d)) << c.x;
    EXPECT_EQ(zqm_take_error(), ERR_DATA) << c.x;
  }
  for (const Function& f : functions) {
    for (const char* nan : {"NaN", "-NaN", "sNaN"}) {
      const zq_double_64 x = num(nan);
      zqm_take_error();
      testing::internal::CaptureStdout();
      const decDouble r = zqm_dec_from_zq_double_64(f.decimal(x));
      EXPECT_EQ(testing::internal::GetCapturedStdout(), "NE_NAN\n") << f.name << " " << nan;
      EXPECT_TRUE(decDoubleIsNaN(&r)) << f.name << " " << nan;
      EXPECT_EQ(zqm_take_error(), ERR_DATA) << f.name << " " << nan;
    }
  }
}

TEST_F(NumberTrig, BadLongDoubles) {
  struct Case {
    long double v;
    int64_t bad;
    const char* printed;
  };
  const Case cases[] = {
      {zqm_ld_inf, 1, "LD_INF\n"},
      {std::nanl(""), 1, "NE_NAN\n"},
      {-zqm_ld_inf, 0, ""},  // negative infinity is not tested
      {0.5L, 0, ""},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(zqm_ld_is_bad(c.v), c.bad);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
  }
}

}  // namespace
