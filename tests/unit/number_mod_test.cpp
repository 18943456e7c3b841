// The floored modulo, the library remainder it builds on and the modular
// power of ten used where the exponents are far apart.
#include <gtest/gtest.h>

#include <string>

#include "number/decimal.h"

#include "number_test_support.h"

namespace {

using namespace zq_test;

class NumberMod : public zq_test::FreshTest {};

TEST_F(NumberMod, FlooredResults) {
  struct Case {
    const char* y;
    const char* x;
    const char* result;
    zq_error_code code;
  };
  const Case cases[] = {
      // The coefficient way: y's exponent above x's.
      {"1E+20", "7", "2", ERR_NONE},
      {"-1E+20", "7", "5", ERR_NONE},
      {"1E+20", "-7", "-5", ERR_NONE},
      {"-1E+20", "-7", "-2", ERR_NONE},
      {"1.5E+10", "0.7", "0.4", ERR_NONE},
      {"1E+384", "1", "0", ERR_NONE},
      // A divisor exponent below the normal range: no subnormal power of ten
      // stands between the operands and a normal (or exact subnormal) result.
      {"5.5E-383", "9.999999999999999E-383", "5.500000000000000E-383", ERR_NONE},
      {"-5.5E-383", "9.999999999999999E-383", "4.499999999999999E-383", ERR_NONE},
      {"2E-383", "-3E-398", "-1E-398", ERR_NONE},
      // The library way.
      {"7.5", "2", "1.5", ERR_NONE},
      {"7", "-3", "-2", ERR_NONE},
      {"-7", "3", "2", ERR_NONE},
      {"0", "7", "0", ERR_NONE},
      {"14", "7", "0", ERR_NONE},
      {"-14", "7", "-0", ERR_NONE},  // a zero remainder keeps the dividend's sign
      {"5", "-Infinity", "-Infinity", ERR_NONE},
      {"5", "Infinity", "5", ERR_NONE},
      {"-5", "Infinity", "Infinity", ERR_NONE},
      {"Infinity", "Infinity", "NaN", ERR_DATA},
      // Exponents too far apart, special dividends.
      {"1E+300", "1E-100", "0.0", ERR_OUT_OF_RANGE},
      {"Infinity", "5", "0.0", ERR_OUT_OF_RANGE},
      {"NaN", "5", "0.0", ERR_OUT_OF_RANGE},
      {"NaN", "Infinity", "0.0", ERR_OUT_OF_RANGE},
  };
  for (const Case& c : cases) {
    const zq_double_64 y = num(c.y);
    const zq_double_64 x = num(c.x);
    zqm_take_error();
    testing::internal::CaptureStdout();
    EXPECT_EQ(text_of(zqm_mod(y, x)), c.result) << c.y << " mod " << c.x;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.y << " mod " << c.x;
    EXPECT_EQ(zqm_take_error(), c.code) << c.y << " mod " << c.x;
  }
}

TEST_F(NumberMod, ZeroDivisorGivesTheDividend) {
  for (const char* zero : {"0", "-0", "0E+10", "-0.00"}) {
    const zq_double_64 y = num("-2.50");
    const zq_double_64 x = num(zero);
    zqm_take_error();
    EXPECT_EQ(zqm_mod(y, x), y) << zero;
    EXPECT_EQ(zqm_take_error(), ERR_NONE) << zero;
  }
  EXPECT_EQ(text_of(zqm_mod(num("5"), num("0"))), "5");
}

TEST_F(NumberMod, NaNDivisorGivesTheDividendWithDataError) {
  const zq_double_64 y = num("5");
  const zq_double_64 x = num("NaN");
  zqm_take_error();
  EXPECT_EQ(zqm_mod(y, x), y);
  EXPECT_EQ(zqm_take_error(), ERR_DATA);
}

// Divisor coefficients beyond 3037000500 make the residue products exceed 64
// bits; the expected values are exact remainders worked out independently.
TEST_F(NumberMod, WideCoefficientsStayExact) {
  struct Case {
    const char* y;
    const char* x;
    const char* result;
  };
  const Case cases[] = {
      {"1E+20", "9999999999999999", "10000"},
      {"-1E+20", "9999999999999999", "9999999999989999"},
      {"1.234567890123456E+100", "8765432109876543", "3363699934748829"},
      {"1.234567890123456E+30", "8.765432109876543", "6.153140662346919"},
      {"-7.777777777777777E+200", "-3.333333333333333E+50", "-1.111111111111111E+50"},
      {"9.999999999999999E+384", "10.00000000000001", "0.00001100000000"},
      {"-9.999999999999999E+384", "10.00000000000001", "9.99998900000001"},
  };
  for (const Case& c : cases) {
    const zq_double_64 r = zqm_mod(num(c.y), num(c.x));
    EXPECT_EQ(zqm_compare(r, num(c.result), CMP_EQ), 1) << c.y << " mod " << c.x << " gave " << text_of(r);
    EXPECT_EQ(zqm_take_error(), ERR_NONE) << c.y << " mod " << c.x;
  }
}

TEST_F(NumberMod, RemainderLeavesItsConditions) {
  EXPECT_EQ(text_of(zqm_rem(num("7"), num("-3"))), "1");
  EXPECT_EQ(text_of(zqm_rem(num("-7"), num("3"))), "-1");
  EXPECT_EQ(text_of(zqm_rem(num("1E+20"), num("7"))), "NaN");
  EXPECT_EQ(zqm_error, ERR_NONE);
  EXPECT_NE(decContextGetStatus(&zqm_ctx) & DEC_Division_impossible, 0u);
  zqm_check_status();
  EXPECT_EQ(zqm_take_error(), ERR_DATA);
}

TEST_F(NumberMod, PowerModulo) {
  EXPECT_EQ(zqm_powmod(10, 20, 7), 2);
  EXPECT_EQ(zqm_powmod(10, 10, 7), 4);
  EXPECT_EQ(zqm_powmod(10, 384, 9999999999999999), 1);  // 10^16 is 1 modulo 10^16 - 1
  EXPECT_EQ(zqm_powmod(9999999999999998, 3, 9999999999999999), 9999999999999998);
  EXPECT_EQ(zqm_powmod(10, 5, 8765432109876543), 100000);
  EXPECT_EQ(zqm_powmod(10, 17, 8765432109876543), 3580246791358027);
  EXPECT_EQ(zqm_powmod(3, 0, 5), 1);
  EXPECT_EQ(zqm_powmod(12345, 678, 1), 0);
  EXPECT_EQ(zqm_powmod(2, 10, 0), 0);
}

}  // namespace
