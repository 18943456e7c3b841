// Results of the arithmetic and the decNumber functions, digit for digit,
// against values computed independently (gen_decimal_cases.py).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "number/decimal.h"

#include "start_test_support.h"

namespace {

struct DecimalCase {
  const char* op;
  const char* a;
  const char* b;
  const char* result;
  zq_error_code code;  // -1: no condition, the pending code stays
  const char* printed;
};

const DecimalCase decimal_cases[] = {
#include "decimal_cases.inc"
};

// Any code the mapping replaces; it must survive an operation raising nothing.
constexpr zq_error_code stale_code = 77;

// Operands are read by the library in a context of their own, so only the
// operation under test touches the layer's context.
zq_double_64 operand(const char* text) {
  decContext ctx;
  decContextDefault(&ctx, DEC_INIT_DECIMAL64);
  decDouble d;
  decDoubleFromString(&d, text, &ctx);
  EXPECT_EQ(ctx.status, 0u) << text;
  return zqm_zq_double_64_from_dec(d);
}

zq_double_64 run(const DecimalCase& c) {
  const zq_double_64 a = operand(c.a);
  const zq_double_64 b = *c.b ? operand(c.b) : 0;
  const std::string op = c.op;
  if (op == "add") return zqm_add(a, b);
  if (op == "sub") return zqm_sub(a, b);
  if (op == "mul") return zqm_mul(a, b);
  if (op == "div") return zqm_div(a, b);
  if (op == "pow") return zqm_pow(a, b);
  if (op == "sqrt") return zqm_sqrt(a);
  if (op == "ln") return zqm_ln(a);
  if (op == "log10") return zqm_log10(a);
  if (op == "exp") return zqm_exp(a);
  ADD_FAILURE() << "unknown operation " << op;
  return 0;
}

class NumberTable : public zq_test::FreshTest {};

TEST_F(NumberTable, MatchesIndependentResults) {
  for (const DecimalCase& c : decimal_cases) {
    zqm_take_error();
    zqm_set_error(stale_code);
    testing::internal::CaptureStdout();
    const zq_double_64 r = run(c);
    const std::string printed = testing::internal::GetCapturedStdout();

    const decDouble d = zqm_dec_from_zq_double_64(r);
    char text[DECDOUBLE_String];
    decDoubleToString(&d, text);
    const std::string what = std::string(c.op) + "(" + c.a + (*c.b ? ", " : "") + c.b + ")";
    EXPECT_STREQ(text, c.result) << what;
    EXPECT_EQ(zqm_error, c.code < 0 ? stale_code : c.code) << what;
    EXPECT_EQ(printed, c.printed) << what;
  }
  EXPECT_GT(sizeof decimal_cases / sizeof decimal_cases[0], 1000u);
}

}  // namespace
