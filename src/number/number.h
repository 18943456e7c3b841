// The decimal number layer: the stored number type, its constants, the error
// codes of the calculator and every operation on numbers.
#pragma once

#include <array>
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

// A finite value as sign, integer coefficient and exponent: value =
// (-1)^negative * coefficient * 10^exponent, read straight from its bits and
// kept as they are (trailing zeros and exponent too). These touch neither the
// status nor the pending error.
struct zqm_unpacked {
  bool negative;
  uint64_t coefficient;  // 0 to 10^16 - 1
  int32_t exponent;      // -398 to 369
};
constexpr uint64_t zqm_coefficient_limit = 10000000000000000;  // 10^16
constexpr int32_t zqm_exponent_min = -398;
constexpr int32_t zqm_exponent_max = 369;
// false, parts untouched, for an infinity or a NaN.
bool zqm_unpack(zq_double_64 value, zqm_unpacked& parts);

// 128-bit integers, an extension g++ and clang share, for exact products of
// two coefficients.
__extension__ using zqm_wide = unsigned __int128;
__extension__ using zqm_signed_wide = __int128;

// Powers of ten 10^0 to 10^16, as coefficients are scaled by them.
constexpr int zqm_power_count = 17;
constexpr std::array<uint64_t, zqm_power_count> zqm_powers_of_ten = [] {
  std::array<uint64_t, zqm_power_count> powers{};
  powers[0] = 1;
  for (size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}();

// x / 10^n and x % 10^n for x below 2^54 (every coefficient) and n from 0 to
// 16, without a division instruction: with l = ceil(log2 10^n) and
// m = ceil(2^(54+l) / 10^n), the product x*m shifted down by 54 + l is the
// quotient exactly (m*10^n exceeds 2^(54+l) by less than 10^n <= 2^l, so the
// error x*(m*10^n - 2^(54+l)) stays below 2^(54+l)).
struct zqm_quotient {
  uint64_t quotient;
  uint64_t remainder;
};
namespace zqm_detail {
constexpr int zqm_dividend_bits = 54;
struct zqm_reciprocal {
  uint64_t multiplier;
  int shift;
};
constexpr std::array<zqm_reciprocal, zqm_power_count> zqm_reciprocals = [] {
  std::array<zqm_reciprocal, zqm_power_count> table{};
  for (size_t n = 0; n < table.size(); ++n) {
    const uint64_t divisor = zqm_powers_of_ten[n];
    int bits = 0;
    while ((uint64_t{1} << bits) < divisor) ++bits;
    const int shift = zqm_dividend_bits + bits;
    const zqm_wide scale = zqm_wide{1} << shift;
    table[n] = {static_cast<uint64_t>((scale + divisor - 1) / divisor), shift};
  }
  return table;
}();
}  // namespace zqm_detail

inline zqm_quotient zqm_divide_by_power_of_ten(uint64_t x, int n) {
  const size_t index = static_cast<size_t>(n);
  const zqm_detail::zqm_reciprocal r = zqm_detail::zqm_reciprocals[index];
  const uint64_t quotient = static_cast<uint64_t>((zqm_wide{x} * r.multiplier) >> r.shift);
  return {quotient, x - quotient * zqm_powers_of_ten[index]};
}
// n / d and n % d for a quotient below 2^64 (n < d * 2^64), as one 128-by-64
// division where the machine has one: the general 128-bit division is a
// call, and its quotient of 128 bits is not needed here.
inline zqm_quotient zqm_divide_wide(zqm_wide n, uint64_t d) {
#if defined(__x86_64__)
  uint64_t quotient;
  uint64_t remainder;
  __asm__("divq %[d]"
          : "=a"(quotient), "=d"(remainder)
          : "a"(static_cast<uint64_t>(n)), "d"(static_cast<uint64_t>(n >> 64)), [d] "rm"(d)
          : "cc");
  return {quotient, remainder};
#else
  const uint64_t quotient = static_cast<uint64_t>(n / d);
  return {quotient, static_cast<uint64_t>(n) - quotient * d};
#endif
}
// The value of parts within the limits above, in the library's own encoding.
zq_double_64 zqm_pack(const zqm_unpacked& parts);

// ---- arithmetic, comparison and functions (arith.cpp) ----

zq_double_64 zqm_add(zq_double_64 a, zq_double_64 b);
zq_double_64 zqm_sub(zq_double_64 a, zq_double_64 b);
zq_double_64 zqm_mul(zq_double_64 a, zq_double_64 b);
// The same through the library alone, for every operand; the three above
// compute on the coefficients where that provably gives the same bits.
zq_double_64 zqm_library_add(zq_double_64 a, zq_double_64 b);
zq_double_64 zqm_library_sub(zq_double_64 a, zq_double_64 b);
zq_double_64 zqm_library_mul(zq_double_64 a, zq_double_64 b);
// x + by for by 1 or -1, where x and the sum are whole numbers from 0 to
// 999,999,999 with exponent 0 (as loop counters are kept): the exact sum,
// with exponent 0, and its value. false, outputs untouched, for any other x
// or sum. Touches neither the status nor the pending error.
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
