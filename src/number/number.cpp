// The decimal context, the numeric constants, start-up of the number layer and
// the mapping of the library's status conditions to calculator error codes.
#include <cstdint>
#include <cstdio>
#include <limits>

#include "number/decimal.h"

decContext zqm_ctx;
zq_error_code zqm_error = ERR_NONE;
// Set by the first failure after a take; later calls never clear it.
zq_error_code zqm_first_failure = ERR_NONE;
long double zqm_ld_inf;

zq_double_64 zqm_k_minus_1;
zq_double_64 zqm_k_0;
zq_double_64 zqm_k_1;
zq_double_64 zqm_k_10;
zq_double_64 zqm_k_12;
zq_double_64 zqm_k_180;
zq_double_64 zqm_k_255;
zq_double_64 zqm_k_0_9;
zq_double_64 zqm_k_60;
zq_double_64 zqm_k_100;
zq_double_64 zqm_k_600;
zq_double_64 zqm_k_3600;
zq_double_64 zqm_k_10000;
zq_double_64 zqm_k_1e6;
zq_double_64 zqm_k_1e7;
zq_double_64 zqm_k_oct_max;
zq_double_64 zqm_k_oct_limit;
zq_double_64 zqm_k_pi;

namespace {

constexpr uint32_t zqm_out_of_range_mask = DEC_Division_by_zero | DEC_Overflow | DEC_Underflow;
constexpr uint32_t zqm_data_mask = DEC_Conversion_syntax | DEC_Division_impossible | DEC_Division_undefined |
                                   DEC_Insufficient_storage | DEC_Invalid_context | DEC_Invalid_operation |
                                   DEC_Clamped | DEC_Subnormal;
static_assert(zqm_out_of_range_mask == 0x2202 && zqm_data_mask == 0x14dd);

struct zqm_constant {
  zq_double_64* target;
  const char* text;
};

// In the order they are built.
const zqm_constant zqm_constants[] = {
    {&zqm_k_minus_1, "-1.0"},
    {&zqm_k_0, "0.0"},
    {&zqm_k_1, "1.0"},
    {&zqm_k_10, "10.0"},
    {&zqm_k_12, "12.0"},
    {&zqm_k_180, "180"},
    {&zqm_k_255, "255"},
    {&zqm_k_0_9, "0.9"},
    {&zqm_k_60, "60.0"},
    {&zqm_k_100, "100.0"},
    {&zqm_k_600, "600.0"},
    {&zqm_k_3600, "3600.0"},
    {&zqm_k_10000, "10000.0"},
    {&zqm_k_1e6, "1000000.0"},
    {&zqm_k_1e7, "10000000.0"},
    // 17 digits: the trailing zero is rounded away, exponent 0.
    {&zqm_k_oct_max, "7777777777777777.0"},
    {&zqm_k_oct_limit, "281474976710655.0"},
    {&zqm_k_pi, "3.141592653589793"},
};

constexpr int64_t zqm_self_test_value = 9876543210123456;

}  // namespace

// The status is read and cleared as the context's field: these two run
// around every operation of every command.
void zqm_check_status() {
  const uint32_t status = zqm_ctx.status;
  if (status == 0) return;
  zqm_error = ERR_NONE;
  if (status & zqm_out_of_range_mask) zqm_error = ERR_OUT_OF_RANGE;
  if (status & zqm_data_mask) {
    zqm_error = ERR_DATA;
    if (status & DEC_Clamped) puts("DEC_Clamped");
    if (status & DEC_Subnormal) puts("DEC_Subnormal");
  }
  if (zqm_first_failure == ERR_NONE) zqm_first_failure = zqm_error;
  zqm_ctx.status = 0;
}

void zqm_set_error(zq_error_code code) {
  zqm_error = code;
  if (zqm_first_failure == ERR_NONE) zqm_first_failure = code;
}

zq_error_code zqm_take_error() {
  const zq_error_code code = zqm_error;
  zqm_error = ERR_NONE;
  zqm_first_failure = ERR_NONE;
  zqm_ctx.status = 0;
  return code;
}

const char* zqm_get_version() { return decDoubleVersion(); }

int64_t zqm_init() {
  decContextZeroStatus(&zqm_ctx);
  zqm_ld_inf = std::numeric_limits<long double>::infinity();

  // The 16-digit test value converts exactly even before the context has
  // its settings, which is why this may run first.
  if (zqm_lint_from_zq_double_64(zqm_zq_double_64_from_lint(zqm_self_test_value)) != zqm_self_test_value)
    puts("***** zqm_lint_from_zq_double_64 systemic conversion error.*****");

  decContextDefault(&zqm_ctx, DEC_INIT_DECIMAL64);
  zqm_take_error();

  constexpr size_t zqm_constant_text_size = 24;
  for (const zqm_constant& k : zqm_constants) {
    char text[zqm_constant_text_size];
    snprintf(text, sizeof text, "%s", k.text);
    *k.target = zqm_zq_double_64_from_string(text, sizeof text, 1);
  }
  if (zqm_take_error() != ERR_NONE) puts("Error initializing numerical constants.");

  return decContextTestEndian(1);
}
