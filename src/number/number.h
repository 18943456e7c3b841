// The decimal number layer: the stored number type, its constants, the error
// codes of the calculator and every operation on numbers.
#pragma once

#include <cstddef>
#include <cstdint>

// A decimal64 value in its interchange bits (sign in bit 63), passed by value.
using zq_double_64 = uint64_t;

// Calculator error codes; the number layer leaves ERR_DATA or ERR_OUT_OF_RANGE.
using zq_error_code = int64_t;
constexpr zq_error_code ERR_NONE = 0;
constexpr zq_error_code ERR_DATA = 1;
constexpr zq_error_code ERR_OUT_OF_RANGE = 2;
constexpr zq_error_code ERR_NONEXISTENT = 3;
constexpr zq_error_code ERR_ALPHA_DATA = 4;
constexpr zq_error_code ERR_FLAG_DATA = 5;
constexpr zq_error_code ERR_MEMORY_LOST = 6;
constexpr zq_error_code ERR_XAIL = 7;
constexpr zq_error_code ERR_UNKNOWN = 99;

// Relation codes of zqm_compare; any other code never holds.
using zq_relation = int64_t;
constexpr zq_relation CMP_EQ = 1;
constexpr zq_relation CMP_GT = 2;
constexpr zq_relation CMP_LT = 3;
constexpr zq_relation CMP_GE = 4;
constexpr zq_relation CMP_LE = 5;
constexpr zq_relation CMP_NE = 6;

// Whether this build takes the quick routes past the library: sums,
// products and int on the coefficients, the value built last kept unpacked,
// the small whole step, the fixed-point parts of a value and a value made
// from them. Off (ZQ_QUICK_ROUTES=OFF), every result comes from the
// library's own functions or from text, which the quick routes must match.
constexpr bool zqm_quick_routes = ZQ_QUICK_ROUTES != 0;

// Digits of a coefficient.
constexpr int zqm_coefficient_digits = 16;

// ---- context, constants and the pending error (number.cpp) ----

// Built by zqm_init from their texts, only read afterwards.
extern zq_double_64 zqm_k_minus_1;    // -1.0
extern zq_double_64 zqm_k_0;          // 0.0
extern zq_double_64 zqm_k_1;          // 1.0
extern zq_double_64 zqm_k_10;         // 10.0
extern zq_double_64 zqm_k_12;         // 12.0
extern zq_double_64 zqm_k_180;        // 180
extern zq_double_64 zqm_k_255;        // 255
extern zq_double_64 zqm_k_0_9;        // 0.9
extern zq_double_64 zqm_k_60;         // 60.0
extern zq_double_64 zqm_k_100;        // 100.0
extern zq_double_64 zqm_k_600;        // 600.0
extern zq_double_64 zqm_k_3600;       // 3600.0
extern zq_double_64 zqm_k_10000;      // 10000.0
extern zq_double_64 zqm_k_1e6;        // 1000000.0
extern zq_double_64 zqm_k_1e7;        // 10000000.0
extern zq_double_64 zqm_k_oct_max;    // 7777777777777777
extern zq_double_64 zqm_k_oct_limit;  // 281474976710655.0 (2^48 - 1)
extern zq_double_64 zqm_k_pi;         // 3.141592653589793

extern long double zqm_ld_inf;  // positive infinity, for the trigonometric checks

// The pending number error: written by zqm_check_status and zqm_set_error,
// read and cleared by zqm_take_error.
extern zq_error_code zqm_error;

// Sets up the context and the constants; 0 when the library's byte order
// matches the machine's.
int64_t zqm_init();
const char* zqm_get_version();
// Maps the context status into zqm_error (unless it is 0) and clears it;
// prints "DEC_Clamped" / "DEC_Subnormal" for those conditions.
void zqm_check_status();
void zqm_set_error(zq_error_code code);
// Returns the pending error, then clears it and the context status.
zq_error_code zqm_take_error();
// The first failure since the last zqm_take_error. The pending error is only
// the verdict of the last call that raised a condition, so a later call that
// only rounds clears it; this one stays until the next take.
extern zq_error_code zqm_first_failure;
inline zq_error_code zqm_first_error() { return zqm_first_failure; }

// ---- conversions (convert.cpp) ----

// Longest scientific text of a value, with its NUL.
constexpr size_t zqm_string_size = 25;

// Reads text as a number. radix_point 0: ',' is the radix mark; otherwise '.'
// is and ',' separates digit groups. Works in place on the caller's buffer
// of `size` bytes: a leading 'e' becomes "1e..." (when the buffer has room for
// one more character; the number is read as "1e..." in any case), and with
// radix_point 0 every ',' becomes '.'. Texts longer than 39 characters without
// commas, or 30 beginning with 'e', give NaN with ERR_DATA.
zq_double_64 zqm_zq_double_64_from_string(char* text, size_t size, uint32_t radix_point);
// The scientific text of value into out (size bytes; zqm_string_size suffices).
void zqm_string_from_zq_double_64(char* out, size_t size, zq_double_64 value);
zq_double_64 zqm_zq_double_64_from_int(int32_t n);
zq_double_64 zqm_zq_double_64_from_lint(int64_t n);
// text read by the library as it stands (no radix mark, no leading 'e' made
// "1e"), its conditions mapped into the pending error.
zq_double_64 zqm_zq_double_64_from_text(const char* text);
// The scientific text of value, as zqm_string_from_zq_double_64 gives it
// but touching neither the status nor the pending error.
void zqm_plain_string_from_zq_double_64(char* out, size_t size, zq_double_64 value);
// The coefficient digits of a finite value, the first digit first, and its
// exponent: value = +-digits * 10^exponent. Returns whether the sign bit is
// set (so a negative zero counts). For an infinity or a NaN the digits and
// exponent are unspecified. Touches neither the status nor the pending error.
bool zqm_coefficient_digits_of(zq_double_64 value, uint8_t (&digits)[zqm_coefficient_digits],
                               int32_t& exponent);

// ---- fixed-point parts (fixed.cpp) ----

// A value that is exactly +-(whole + micros / 10^6), whole below 10^9.
struct zqm_fixed_point {
  bool negative;    // the sign bit, so -0 counts
  uint64_t whole;   // 0 to 999,999,999
  uint64_t micros;  // the first six fraction digits as one integer, 0 to 999,999
};
constexpr uint64_t zqm_fixed_whole_limit = 1000000000;  // 10^9
// x's fixed-point parts, read from its digits. false, parts untouched, for a
// value that is not exactly of that form (an integer part of 10^9 or more,
// a non-zero digit beyond the sixth fraction digit, more than 16 fraction
// digits even if zero, an infinity or a NaN), and for every value when the
// quick routes are off, so that callers take their general route. Touches
// neither the status nor the pending error.
bool zqm_fixed_point_parts(zq_double_64 x, zqm_fixed_point& parts);
// The value +-scaled / 10^fraction_digits as the library's division of the
// whole numbers scaled and 10^fraction_digits gives it: exact, its exponent
// as near 0 as the digits allow (the fraction's trailing zeros go, never an
// exponent above 0); zero is positive. scaled below 10^16, fraction_digits
// 0 to 15. Touches neither the status nor the pending error.
zq_double_64 zqm_value_from_fixed_point(bool negative, uint64_t scaled, int fraction_digits);

// Truncated toward zero to 32 bits; 0 outside that range, leaving
// DEC_Invalid_operation for the next status check.
int64_t zqm_int_from_zq_double_64(zq_double_64 value);
// Truncated toward zero; 0 for NaN and infinities; saturates outside 64 bits.
int64_t zqm_lint_from_zq_double_64(zq_double_64 value);
// Through "%f" (six decimals) and "%3.70Lf" (70 decimals) text; values too
// large for that text are read from exponent form instead.
zq_double_64 zqm_zq_double_64_from_double(double d);
zq_double_64 zqm_zq_double_64_from_ldouble(long double ld);
// The scientific text read by atof and strtold: the nearest binary value;
// every NaN, signalling ones too, becomes a NaN.
double zqm_double_from_zq_double_64(zq_double_64 value);
long double zqm_ldouble_from_zq_double_64(zq_double_64 value);

// ---- arithmetic, comparison and functions (arith.cpp) ----

zq_double_64 zqm_add(zq_double_64 a, zq_double_64 b);
zq_double_64 zqm_sub(zq_double_64 a, zq_double_64 b);
zq_double_64 zqm_mul(zq_double_64 a, zq_double_64 b);
// The same through the library alone, for every operand; the three above
// compute on the coefficients where that provably gives the same bits.
zq_double_64 zqm_library_add(zq_double_64 a, zq_double_64 b);
zq_double_64 zqm_library_sub(zq_double_64 a, zq_double_64 b);
zq_double_64 zqm_library_mul(zq_double_64 a, zq_double_64 b);
zq_double_64 zqm_library_int(zq_double_64 x);
// x + by for by 1 or -1, where x and the sum are whole numbers from 0 to
// 999,999,999 with exponent 0 (as loop counters are kept): the exact sum,
// with exponent 0, and its value. false, outputs untouched, for any other x
// or sum, and always when the quick routes are off. Touches neither the
// status nor the pending error.
bool zqm_small_whole_step(zq_double_64 x, int64_t by, zq_double_64& result, int64_t& sum);
zq_double_64 zqm_div(zq_double_64 a, zq_double_64 b);
zq_double_64 zqm_sqrt(zq_double_64 x);
zq_double_64 zqm_abs(zq_double_64 x);
zq_double_64 zqm_log10(zq_double_64 x);
zq_double_64 zqm_ln(zq_double_64 x);
zq_double_64 zqm_exp(zq_double_64 x);
zq_double_64 zqm_pow(zq_double_64 base, zq_double_64 exponent);
zq_double_64 zqm_ln1px(zq_double_64 x);
zq_double_64 zqm_expm1(zq_double_64 x);
// 1 when the relation holds between a and b, else 0; a NaN compares equal.
int64_t zqm_compare(zq_double_64 a, zq_double_64 b, zq_relation relation);
zq_double_64 zqm_sign(zq_double_64 x);
// 0 for the infinities and NaNs, else 1; no condition is raised.
int64_t zqm_is_finite(zq_double_64 x);
zq_double_64 zqm_int(zq_double_64 x);
zq_double_64 zqm_frc(zq_double_64 x);
zq_double_64 zqm_fact(zq_double_64 x);

// ---- remainder and modulo (mod.cpp) ----

// y mod x with the sign of x (floored); y itself when x is zero.
zq_double_64 zqm_mod(zq_double_64 y, zq_double_64 x);
zq_double_64 zqm_mod_small(zq_double_64 y, zq_double_64 x);
// Truncating remainder with the sign of a; conditions stay in the status.
zq_double_64 zqm_rem(zq_double_64 a, zq_double_64 b);
int64_t zqm_powmod(int64_t base, int64_t exponent, int64_t modulus);

// ---- trigonometric functions in radians (trig.cpp) ----

zq_double_64 zqm_sin(zq_double_64 x);
zq_double_64 zqm_cos(zq_double_64 x);
zq_double_64 zqm_tan(zq_double_64 x);
zq_double_64 zqm_asin(zq_double_64 x);
zq_double_64 zqm_acos(zq_double_64 x);
zq_double_64 zqm_atan(zq_double_64 x);
// 1 for positive infinity ("LD_INF") or a NaN ("NE_NAN"), else 0.
int64_t zqm_ld_is_bad(long double v);
