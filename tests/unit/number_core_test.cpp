// The decimal context, the constants, start-up and the mapping of library
// conditions to the pending number error.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "number/decimal.h"

#include "number_test_support.h"

namespace {

using namespace zq_test;

class NumberCore : public zq_test::FreshTest {};

TEST_F(NumberCore, ContextIsDecimal64WithoutTraps) {
  EXPECT_EQ(zqm_ctx.digits, 16);
  EXPECT_EQ(zqm_ctx.emax, 384);
  EXPECT_EQ(zqm_ctx.emin, -383);
  EXPECT_EQ(zqm_ctx.round, DEC_ROUND_HALF_EVEN);
  EXPECT_EQ(zqm_ctx.traps, 0u);
  EXPECT_EQ(zqm_ctx.clamp, 1);
  EXPECT_EQ(zqm_ctx.status, 0u);
}

// The first run meets a context still all zero; the self-test must pass anyway.
TEST_F(NumberCore, InitReturnsZeroAndPrintsNothing) {
  zqm_ctx = decContext{};
  testing::internal::CaptureStdout();
  const int64_t result = zqm_init();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(zqm_ctx.digits, 16);
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

TEST_F(NumberCore, InitMakesPositiveLongDoubleInfinity) {
  EXPECT_TRUE(std::isinf(zqm_ld_inf));
  EXPECT_GT(zqm_ld_inf, 0.0L);
}

TEST_F(NumberCore, VersionIsTheLibrarys) { EXPECT_STREQ(zqm_get_version(), "decNumber 3.61"); }

TEST_F(NumberCore, ConstantsKeepTheirExponents) {
  struct Case {
    const zq_double_64* k;
    const char* text;
    int32_t exponent;
  };
  const Case cases[] = {
      {&zqm_k_minus_1, "-1.0", -1},
      {&zqm_k_0, "0.0", -1},
      {&zqm_k_1, "1.0", -1},
      {&zqm_k_10, "10.0", -1},
      {&zqm_k_12, "12.0", -1},
      {&zqm_k_180, "180", 0},
      {&zqm_k_255, "255", 0},
      {&zqm_k_0_9, "0.9", -1},
      {&zqm_k_60, "60.0", -1},
      {&zqm_k_100, "100.0", -1},
      {&zqm_k_600, "600.0", -1},
      {&zqm_k_3600, "3600.0", -1},
      {&zqm_k_10000, "10000.0", -1},
      {&zqm_k_1e6, "1000000.0", -1},
      {&zqm_k_1e7, "10000000.0", -1},
      {&zqm_k_oct_max, "7777777777777777", 0},
      {&zqm_k_oct_limit, "281474976710655.0", -1},
      {&zqm_k_pi, "3.141592653589793", -15},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(text_of(*c.k), c.text);
    EXPECT_EQ(exponent_of(*c.k), c.exponent) << c.text;
  }
  EXPECT_NE(zqm_k_0, 0u) << "0.0 is not the all-zero word";
}

TEST_F(NumberCore, CheckStatusMapsEachCondition) {
  struct Case {
    uint32_t status;
    zq_error_code code;
    const char* printed;
  };
  const Case cases[] = {
      {DEC_Conversion_syntax, ERR_DATA, ""},
      {DEC_Division_by_zero, ERR_OUT_OF_RANGE, ""},
      {DEC_Division_impossible, ERR_DATA, ""},
      {DEC_Division_undefined, ERR_DATA, ""},
      {DEC_Insufficient_storage, ERR_DATA, ""},
      {DEC_Inexact, ERR_NONE, ""},
      {DEC_Invalid_context, ERR_DATA, ""},
      {DEC_Invalid_operation, ERR_DATA, ""},
      {DEC_Overflow, ERR_OUT_OF_RANGE, ""},
      {DEC_Clamped, ERR_DATA, "DEC_Clamped\n"},
      {DEC_Rounded, ERR_NONE, ""},
      {DEC_Subnormal, ERR_DATA, "DEC_Subnormal\n"},
      {DEC_Underflow, ERR_OUT_OF_RANGE, ""},
      // ERR_DATA wins over the out-of-range class.
      {DEC_Division_by_zero | DEC_Invalid_operation, ERR_DATA, ""},
      {DEC_Underflow | DEC_Subnormal | DEC_Inexact, ERR_DATA, "DEC_Subnormal\n"},
      {DEC_Clamped | DEC_Subnormal, ERR_DATA, "DEC_Clamped\nDEC_Subnormal\n"},
      {DEC_Inexact | DEC_Rounded, ERR_NONE, ""},
  };
  for (const Case& c : cases) {
    zqm_set_error(ERR_OUT_OF_RANGE + 40);  // a stale code any mapping replaces
    decContextSetStatus(&zqm_ctx, c.status);
    testing::internal::CaptureStdout();
    zqm_check_status();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << std::hex << c.status;
    EXPECT_EQ(zqm_error, c.code) << std::hex << c.status;
    EXPECT_EQ(decContextGetStatus(&zqm_ctx), 0u);
  }
}

TEST_F(NumberCore, CheckStatusWithoutConditionKeepsTheCode) {
  zqm_set_error(ERR_OUT_OF_RANGE);
  zqm_check_status();
  EXPECT_EQ(zqm_error, ERR_OUT_OF_RANGE);
}

TEST_F(NumberCore, TakeErrorReturnsTheCodeOnce) {
  zqm_set_error(ERR_DATA);
  decContextSetStatus(&zqm_ctx, DEC_Invalid_operation);
  EXPECT_EQ(zqm_take_error(), ERR_DATA);
  EXPECT_EQ(decContextGetStatus(&zqm_ctx), 0u);
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

TEST_F(NumberCore, DivisionByZeroAndInvalidDivision) {
  EXPECT_EQ(text_of(zqm_div(num("1"), num("0"))), "Infinity");
  EXPECT_EQ(zqm_take_error(), ERR_OUT_OF_RANGE);
  EXPECT_EQ(text_of(zqm_div(num("0"), num("0"))), "NaN");
  EXPECT_EQ(zqm_take_error(), ERR_DATA);
}

TEST_F(NumberCore, OverflowGivesInfinity) {
  EXPECT_EQ(text_of(zqm_mul(num("9.999999999999999E+384"), num("10"))), "Infinity");
  EXPECT_EQ(zqm_take_error(), ERR_OUT_OF_RANGE);
}

// decDouble operations report neither DEC_Subnormal nor DEC_Clamped: an exact
// subnormal or folded-down result comes back without a condition.
TEST_F(NumberCore, ExactSubnormalAndFoldedResultsRaiseNothing) {
  testing::internal::CaptureStdout();
  const zq_double_64 tiny = zqm_div(num("1E-383"), num("1E+10"));
  const zq_double_64 folded = zqm_mul(num("1E+369"), num("1E+1"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(text_of(tiny), "1E-393");
  EXPECT_EQ(text_of(folded), "1.0E+370");
  EXPECT_EQ(exponent_of(folded), 369);
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

TEST_F(NumberCore, InexactSubnormalUnderflows) {
  EXPECT_EQ(text_of(zqm_div(num("1E-383"), num("3E+10"))), "3.3333E-394");
  EXPECT_EQ(zqm_take_error(), ERR_OUT_OF_RANGE);
}

// The code left is that of the last operation that raised any condition.
TEST_F(NumberCore, RoundingOnlyClearsAnEarlierCode) {
  zqm_div(num("1"), num("0"));
  EXPECT_EQ(text_of(zqm_add(num("1"), num("1E-20"))), "1.000000000000000");
  EXPECT_EQ(zqm_take_error(), ERR_NONE);

  zqm_div(num("1"), num("0"));
  EXPECT_EQ(text_of(zqm_add(num("1"), num("2"))), "3");
  EXPECT_EQ(zqm_take_error(), ERR_OUT_OF_RANGE);
}

// The first failure stays, whatever later calls leave, until the next take.
TEST_F(NumberCore, FirstFailureSurvivesLaterCalls) {
  EXPECT_EQ(zqm_first_error(), ERR_NONE);
  zqm_add(num("1"), num("1E-20"));
  EXPECT_EQ(zqm_first_error(), ERR_NONE) << "rounding is no failure";
  zqm_div(num("1"), num("0"));
  zqm_div(num("0"), num("0"));
  zqm_add(num("1"), num("1E-20"));
  EXPECT_EQ(zqm_error, ERR_NONE);
  EXPECT_EQ(zqm_first_error(), ERR_OUT_OF_RANGE);
  zqm_take_error();
  EXPECT_EQ(zqm_first_error(), ERR_NONE);
  zqm_set_error(ERR_DATA);
  EXPECT_EQ(zqm_first_error(), ERR_DATA);
}

TEST_F(NumberCore, Finiteness) {
  EXPECT_EQ(zqm_is_finite(num("0")), 1);
  EXPECT_EQ(zqm_is_finite(num("-9.999999999999999E+384")), 1);
  EXPECT_EQ(zqm_is_finite(num("1E-398")), 1);
  EXPECT_EQ(zqm_is_finite(num("-Infinity")), 0);
  EXPECT_EQ(zqm_is_finite(num("NaN")), 0);
  EXPECT_EQ(zqm_take_error(), ERR_NONE);
}

}  // namespace
