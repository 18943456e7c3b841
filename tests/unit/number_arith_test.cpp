// Comparison, sign, integer and fractional parts, factorial and the composed
// logarithm and exponential of the decimal layer.
#include <gtest/gtest.h>

#include <string>

#include "number/decimal.h"

#include "number_test_support.h"

namespace {

using namespace zq_test;

class NumberArith : public zq_test::FreshTest {};

TEST_F(NumberArith, ExponentsFollowTheStandard) {
  EXPECT_EQ(text_of(zqm_add(zqm_k_1, zqm_k_1)), "2.0");
  EXPECT_EQ(text_of(zqm_mul(num("1.50"), num("2.0"))), "3.000");
  EXPECT_EQ(text_of(zqm_abs(num("-2.50"))), "2.50");
  EXPECT_EQ(text_of(zqm_add(num("1"), num("1E-20"))), "1.000000000000000");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

TEST_F(NumberArith, CompareRelations) {
  struct Case {
    const char* a;
    const char* b;
    zq_relation relation;
    int64_t holds;
  };
  const Case cases[] = {
      {"1.0", "1", CMP_EQ, 1}, {"-0", "0", CMP_EQ, 1},  {"2", "1", CMP_GT, 1},
      {"1", "2", CMP_GT, 0},   {"1", "2", CMP_LT, 1},   {"2", "2.00", CMP_GE, 1},
      {"1", "2", CMP_GE, 0},   {"2", "1", CMP_LE, 0},   {"2", "2", CMP_LE, 1},
      {"2", "1", CMP_NE, 1},   {"2", "2.0", CMP_NE, 0}, {"-Infinity", "-1E+384", CMP_LT, 1},
      {"2", "1", 7, 0},        {"2", "1", -1, 0},       {"2", "1", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(zqm_compare(num(c.a), num(c.b), c.relation), c.holds) << c.a << " " << c.b << " " << c.relation;
  }
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

// A NaN compares equal, and leaves ERR_DATA.
TEST_F(NumberArith, CompareWithNaN) {
  const zq_relation relations[] = {CMP_EQ, CMP_GT, CMP_LT, CMP_GE, CMP_LE, CMP_NE};
  const int64_t holds[] = {1, 0, 0, 1, 1, 0};
  for (int i = 0; i < 6; ++i) {
    const zq_double_64 nan = num("NaN");
    zqm_take_error();
    EXPECT_EQ(zqm_compare(nan, zqm_k_1, relations[i]), holds[i]) << relations[i];
    EXPECT_EQ(zqm_take_error(), ERR_DATA) << relations[i];
  }
}

TEST_F(NumberArith, SignIsAConstant) {
  EXPECT_EQ(zqm_sign(num("-0")), zqm_k_minus_1);
  EXPECT_EQ(zqm_sign(num("0")), zqm_k_1);
  EXPECT_EQ(zqm_sign(num("-Infinity")), zqm_k_minus_1);
  EXPECT_EQ(zqm_sign(num("-NaN")), zqm_k_minus_1);
  EXPECT_EQ(zqm_sign(num("NaN")), zqm_k_1);
  EXPECT_EQ(zqm_sign(num("12.5")), zqm_k_1);
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

TEST_F(NumberArith, IntKeepsSixteenDigits) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"0.999", "0.0"},
      {"-0.5", "0.0"},
      {"-0", "0.0"},
      {"0E+10", "0.0"},
      {"2.5", "2.000000000000000"},
      {"5", "5.000000000000000"},
      {"-123.9", "-123.0000000000000"},
      {"204", "204.0000000000000"},
      {"123456789012345.6", "123456789012345.0"},
      {"1234567890123456", "1234567890123456"},
      {"1.5E+15", "1.5E+15"},
      {"1E+20", "1E+20"},
      {"1E-15", "0.0"},
      {"1E-398", "0.0"},
      // Nothing to truncate: infinities and NaNs stay as they are.
      {"Infinity", "Infinity"},
      {"-Infinity", "-Infinity"},
      {"NaN", "NaN"},
  };
  for (const Case& c : cases) {
    const zq_double_64 v = num(c.in);
    const zq_double_64 r = zqm_int(v);
    EXPECT_EQ(text_of(r), c.out) << c.in;
    if (std::string(c.out) == "0.0") {
      EXPECT_EQ(r, zqm_k_0) << c.in;
    }
  }
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

TEST_F(NumberArith, FrcTruncatesTowardZero) {
  EXPECT_EQ(text_of(zqm_frc(num("2.5"))), "0.5");
  EXPECT_EQ(text_of(zqm_frc(num("-2.5"))), "-0.5");
  EXPECT_EQ(text_of(zqm_frc(num("3"))), "0");
  EXPECT_EQ(text_of(zqm_frc(num("1E+20"))), "0E+20");
  EXPECT_EQ(text_of(zqm_frc(num("0.75"))), "0.75");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
  // The context comes back whole: rounding half even, no status.
  EXPECT_EQ(zqm_ctx.round, DEC_ROUND_HALF_EVEN);
  EXPECT_EQ(text_of(zqm_frc(num("Infinity"))), "NaN");
  EXPECT_EQ(zqm_take_error(), ERR_DATA);
}

TEST_F(NumberArith, Factorial) {
  struct Case {
    const char* in;
    const char* out;
    zq_error_code code;
  };
  const Case cases[] = {
      {"0", "1.0", ERR_NONE},
      {"1.9", "1.0", ERR_NONE},
      {"-3", "1.0", ERR_NONE},
      {"5", "120.0000000000000", ERR_NONE},
      {"5.5", "120.0000000000000", ERR_NONE},
      {"170", "7.257415615308006E+306", ERR_NONE},
      {"204", "1.326057243693623E+384", ERR_NONE},
      {"204.9", "1.326057243693623E+384", ERR_NONE},
      {"205", "Infinity", ERR_OUT_OF_RANGE},
      {"1E+20", "Infinity", ERR_OUT_OF_RANGE},
      {"Infinity", "Infinity", ERR_OUT_OF_RANGE},
  };
  for (const Case& c : cases) {
    const zq_double_64 v = num(c.in);
    zqm_take_error();
    EXPECT_EQ(text_of(zqm_fact(v)), c.out) << c.in;
    EXPECT_EQ(zqm_take_error(), c.code) << c.in;
  }
}

TEST_F(NumberArith, LogarithmsOfZeroSetNoCode) {
  EXPECT_EQ(text_of(zqm_ln(num("0"))), "-Infinity");
  EXPECT_EQ(text_of(zqm_log10(num("-0"))), "-Infinity");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

TEST_F(NumberArith, InvalidOperationsGiveNaN) {
  struct Case {
    zq_double_64 (*fn)(zq_double_64);
    const char* in;
  };
  const Case cases[] = {{zqm_sqrt, "-1"}, {zqm_ln, "-1"}, {zqm_log10, "-0.5"}};
  for (const Case& c : cases) {
    EXPECT_EQ(text_of(c.fn(num(c.in))), "NaN") << c.in;
    EXPECT_EQ(zqm_take_error(), ERR_DATA) << c.in;
  }
  EXPECT_EQ(text_of(zqm_pow(num("-8"), num("0.5"))), "NaN");
  EXPECT_EQ(zqm_take_error(), ERR_DATA);
  EXPECT_EQ(text_of(zqm_sub(num("Infinity"), num("Infinity"))), "NaN");
  EXPECT_EQ(zqm_take_error(), ERR_DATA);
}

TEST_F(NumberArith, QuietNaNKeepsThePendingCode) {
  const zq_double_64 nan = num("NaN");
  zqm_set_error(ERR_OUT_OF_RANGE);
  EXPECT_EQ(text_of(zqm_add(nan, zqm_k_1)), "NaN");
  EXPECT_EQ(text_of(zqm_sqrt(nan)), "NaN");
  EXPECT_EQ(zqm_take_error(), ERR_OUT_OF_RANGE);
}

// The general-number functions report subnormal and clamped results.
TEST_F(NumberArith, SubnormalAndClampedFromTheNumberFunctions) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(text_of(zqm_abs(num("-1.2345E-390"))), "1.2345E-390");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "DEC_Subnormal\n");
  EXPECT_EQ(zqm_take_error(), ERR_DATA);

  testing::internal::CaptureStdout();
  EXPECT_EQ(text_of(zqm_pow(num("1E+185"), num("2"))), "1.0E+370");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "DEC_Clamped\n");
  EXPECT_EQ(zqm_take_error(), ERR_DATA);

  // An exact power just below the clamp needs none.
  EXPECT_EQ(text_of(zqm_pow(num("1E+184"), num("2"))), "1E+368");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

// Integral exponents of more than 9 digits, which the library itself refuses
// for a negative base.
TEST_F(NumberArith, NegativeBaseToALongIntegralExponent) {
  struct Case {
    const char *base, *exponent, *result;
  };
  const Case cases[] = {
      {"-1", "1E+10", "1"},
      {"-1", "10000000001", "-1"},
      {"-1", "-10000000001", "-1"},
      {"-1", "12345678900.0", "1"},
      {"-1.000000000000001", "1E+15", "2.718281828459044"},
      {"-1.000000000000001", "1000000000000001", "-2.718281828459047"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text_of(zqm_pow(num(c.base), num(c.exponent))), c.result) << c.base << " ^ " << c.exponent;
    EXPECT_EQ(zqm_take_error(), ERR_NONE) << c.base << " ^ " << c.exponent;
  }
  // A fractional exponent of a negative number stays invalid.
  EXPECT_EQ(text_of(zqm_pow(num("-1"), num("10000000000.5"))), "NaN");
  EXPECT_EQ(zqm_take_error(), ERR_DATA);
}

TEST_F(NumberArith, PowerKeepsTheExactExponent) {
  const zq_double_64 r = zqm_pow(zqm_k_10, num("2"));
  EXPECT_EQ(text_of(r), "100.00");
  const decDouble d = zqm_dec_from_zq_double_64(r);
  EXPECT_EQ(decDoubleGetExponent(&d), -2);
}

TEST_F(NumberArith, Ln1pxRoundsTheSumFirst) {
  struct Case {
    const char* in;
    bool zero;
  };
  const Case cases[] = {
      {"1E-17", true},   {"-5E-17", true}, {"5E-16", true},
      {"-6E-17", false}, {"6E-16", false}, {"1E-10", false},
  };
  for (const Case& c : cases) {
    const decDouble d = zqm_dec_from_zq_double_64(zqm_ln1px(num(c.in)));
    EXPECT_EQ(decDoubleIsZero(&d) != 0, c.zero) << c.in;
  }
  EXPECT_EQ(text_of(zqm_ln1px(num("1.718281828459045"))), "0.9999999999999999");
  EXPECT_EQ(text_of(zqm_ln1px(num("-1"))), "-Infinity");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

TEST_F(NumberArith, Expm1KeepsOnlyTheSurvivingDigits) {
  EXPECT_EQ(text_of(zqm_expm1(num("1E-10"))), "1.00000E-10");
  EXPECT_EQ(text_of(zqm_expm1(num("0"))), "0.0");
  EXPECT_EQ(text_of(zqm_expm1(num("1"))), "1.718281828459045");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
  // The subtraction maps the exponential's overflow as well.
  EXPECT_EQ(text_of(zqm_expm1(num("1000"))), "Infinity");
  EXPECT_EQ(zqm_take_error(), ERR_OUT_OF_RANGE);
}

TEST_F(NumberArith, NegativeZeroResults) {
  EXPECT_TRUE(is_negative(zqm_mul(num("-0"), num("5"))));
  EXPECT_FALSE(is_negative(zqm_add(num("-0"), num("0"))));
}

}  // namespace
