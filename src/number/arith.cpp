// Decimal arithmetic, comparison, integer and fractional parts, factorial and
// the functions the library offers only on its general decNumber form.
#include <array>
#include <cstring>

#include "number/decimal.h"

namespace {

using zqm_dec_binary = decDouble* (*)(decDouble*, const decDouble*, const decDouble*, decContext*);
using zqm_dn_unary = decNumber* (*)(decNumber*, const decNumber*, decContext*);

zq_double_64 zqm_apply(zqm_dec_binary op, zq_double_64 a, zq_double_64 b) {
  const decDouble da = zqm_dec_from_zq_double_64(a);
  const decDouble db = zqm_dec_from_zq_double_64(b);
  decDouble r;
  op(&r, &da, &db, &zqm_ctx);
  zqm_check_status();
  return zqm_zq_double_64_from_dec(r);
}

decNumber zqm_widen(zq_double_64 x) {
  decimal64 d;
  static_assert(sizeof d == sizeof x);
  memcpy(&d, &x, sizeof d);
  decNumber n;
  decimal64ToNumber(&d, &n);
  return n;
}

// Narrowing rounds to 16 digits; its conditions stay in the status.
zq_double_64 zqm_narrow(const decNumber& n) {
  decimal64 d;
  decimal64FromNumber(&d, &n, &zqm_ctx);
  zq_double_64 x;
  memcpy(&x, &d, sizeof x);
  return x;
}

// One decNumber function on x, without the status check.
zq_double_64 zqm_unary_unchecked(zqm_dn_unary fn, zq_double_64 x) {
  const decNumber n = zqm_widen(x);
  decNumber r;
  fn(&r, &n, &zqm_ctx);
  return zqm_narrow(r);
}

zq_double_64 zqm_unary(zqm_dn_unary fn, zq_double_64 x) {
  const zq_double_64 r = zqm_unary_unchecked(fn, x);
  zqm_check_status();
  return r;
}

}  // namespace

// Sums and products of finite operands are computed on the coefficients as
// integers where that is quick and gives the library's result bit for bit:
// the exact result rounded half-even to 16 digits, raising DEC_Inexact when
// a non-zero digit goes. Results that would leave the normal range (and so
// be clamped, made subnormal or overflow), exact zero sums (whose sign and
// exponent follow rules of their own) and sums of operands whose exponents
// lie far apart go to the library.
//
// Where an intermediate could overflow or a range check decides:
//  1. an infinity or a NaN operand: the library.
//  2. a sum's alignment: above 18 places, the library; within it the aligned
//     coefficient and the sum lie below 10^34, in 128 bits.
//  3. a product: two coefficients below 10^16 give less than 10^32.
//  4. an exact result of 16 digits or fewer is kept whole; one of more than
//     35 goes to the library, as its rounding unit 10^(digits - 16) must fit
//     64 bits (sums reach 34 digits, products 32), and the 128-by-64
//     division's quotient stays below 10^16.
//  5. the half unit: rounding up at more than half, at half for odd.
//  6. a carry of the rounding out of the 16 digits, to 10^16.
//  7. the exponent: below -398 before rounding, or outside -383 to 369
//     after it, the library.
//  8. an exact zero difference: the library.
namespace {

// The last value these quick paths (and int's, and the small whole steps)
// built, with its parts. A result is often the next operation's operand
// (int of a counter, then * of that, then st+ of the product), which then
// needs no unpacking. It starts as the all-zero word, whose parts these are.
struct zqm_built_value {
  zq_double_64 value;
  zqm_unpacked parts;
};
zqm_built_value zqm_last_built = {0, {false, 0, zqm_exponent_min}};

// The value of parts, kept as the value built last.
zq_double_64 zqm_build(const zqm_unpacked& parts) {
  zqm_last_built = {zqm_pack_inline(parts), parts};
  return zqm_last_built.value;
}

// zqm_unpack_inline, taking the kept parts for the value built last.
[[gnu::always_inline]] inline bool zqm_unpack_operand(zq_double_64 value, zqm_unpacked& parts) {
  if (value != zqm_last_built.value) return zqm_unpack_inline(value, parts);
  parts = zqm_last_built.parts;
  return true;
}

constexpr int zqm_wide_digits = 38;  // 10^38 is the largest power below 2^128
constexpr std::array<zqm_wide, zqm_wide_digits + 1> zqm_wide_powers = [] {
  std::array<zqm_wide, zqm_wide_digits + 1> powers{};
  powers[0] = 1;
  for (size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}();
// The rounding below divides by 10^(digits - 16) in 64 bits: up to 35 digits.
constexpr int zqm_most_exact_digits = 35;
// Sums align the operand with the larger exponent by at most 10^18, which
// keeps them below 2 * 10^34.
constexpr int32_t zqm_most_alignment = 18;
// The exponents of results in the normal range: from the smallest normal
// one up to the largest that needs no clamping.
constexpr int32_t zqm_normal_exponent_min = -383;

// From the binary length: (bits * 1233) >> 12 is log10(2^bits) rounded
// down, at most one below the decimal length.
int zqm_digit_count(zqm_wide n) {
  const uint64_t high = static_cast<uint64_t>(n >> 64);
  const int bits =
      high != 0 ? 128 - __builtin_clzll(high) : 64 - __builtin_clzll(static_cast<uint64_t>(n) | 1);
  const int estimate = (bits * 1233) >> 12;
  return estimate + (n >= zqm_wide_powers[static_cast<size_t>(estimate)]);
}

// The same for a coefficient (below 10^16).
int zqm_digit_count(uint64_t n) {
  const int estimate = ((64 - __builtin_clzll(n | 1)) * 1233) >> 12;
  return estimate + (n >= zqm_powers_of_ten[static_cast<size_t>(estimate)]);
}

// The exact result negative/magnitude x 10^exponent, rounded as the library
// rounds a result of the normal range; false when it would lie outside.
bool zqm_rounded(bool negative, zqm_wide magnitude, int32_t exponent, zq_double_64& result) {
  if (exponent < zqm_exponent_min) return false;
  uint64_t coefficient = static_cast<uint64_t>(magnitude);
  bool inexact = false;
  if (magnitude >= zqm_coefficient_limit) {
    const int digits = zqm_digit_count(magnitude);
    if (digits > zqm_most_exact_digits) return false;
    const int drop = digits - zqm_coefficient_digits;
    const uint64_t unit = static_cast<uint64_t>(zqm_wide_powers[static_cast<size_t>(drop)]);
    // The magnitude lies below 10^16 units: the quotient fits 64 bits.
    const zqm_quotient split = zqm_divide_wide(magnitude, unit);
    coefficient = split.quotient;
    const uint64_t rest = split.remainder;
    const uint64_t half = unit / 2;
    if (rest > half || (rest == half && (coefficient & 1))) ++coefficient;
    inexact = rest != 0;
    exponent += drop;
    // A carry out of the 16 digits: 10^16 is 10^15 one place up.
    if (coefficient == zqm_coefficient_limit) {
      coefficient /= 10;
      ++exponent;
    }
  }
  if (exponent < zqm_normal_exponent_min || exponent > zqm_exponent_max) return false;
  result = zqm_build({negative, coefficient, exponent});
  if (inexact) decContextSetStatus(&zqm_ctx, DEC_Inexact);
  return true;
}

bool zqm_exact_sum(zq_double_64 a, zq_double_64 b, bool negate_b, zq_double_64& result) {
  zqm_unpacked x;
  zqm_unpacked y;
  if (!zqm_unpack_operand(a, x) || !zqm_unpack_operand(b, y)) return false;
  y.negative = y.negative != negate_b;
  const zqm_unpacked& high = x.exponent >= y.exponent ? x : y;
  const zqm_unpacked& low = x.exponent >= y.exponent ? y : x;
  const int32_t alignment = high.exponent - low.exponent;
  if (alignment > zqm_most_alignment) return false;
  const zqm_wide aligned = zqm_wide{high.coefficient} * zqm_wide_powers[static_cast<size_t>(alignment)];
  const zqm_wide other = low.coefficient;
  if (high.negative == low.negative) return zqm_rounded(high.negative, aligned + other, low.exponent, result);
  if (aligned > other) return zqm_rounded(high.negative, aligned - other, low.exponent, result);
  if (other > aligned) return zqm_rounded(low.negative, other - aligned, low.exponent, result);
  return false;
}

bool zqm_exact_product(zq_double_64 a, zq_double_64 b, zq_double_64& result) {
  zqm_unpacked x;
  zqm_unpacked y;
  if (!zqm_unpack_operand(a, x) || !zqm_unpack_operand(b, y)) return false;
  return zqm_rounded(x.negative != y.negative, zqm_wide{x.coefficient} * y.coefficient,
                     x.exponent + y.exponent, result);
}

// The status the library would have left, mapped as after its call; the
// call is saved when nothing was raised, as is usual.
zq_double_64 zqm_checked(zq_double_64 result) {
  if (zqm_ctx.status != 0) zqm_check_status();
  return result;
}

}  // namespace

zq_double_64 zqm_library_add(zq_double_64 a, zq_double_64 b) { return zqm_apply(decDoubleAdd, a, b); }
zq_double_64 zqm_library_sub(zq_double_64 a, zq_double_64 b) { return zqm_apply(decDoubleSubtract, a, b); }
zq_double_64 zqm_library_mul(zq_double_64 a, zq_double_64 b) { return zqm_apply(decDoubleMultiply, a, b); }

zq_double_64 zqm_add(zq_double_64 a, zq_double_64 b) {
  zq_double_64 r;
  return zqm_quick_routes && zqm_exact_sum(a, b, false, r) ? zqm_checked(r) : zqm_library_add(a, b);
}

zq_double_64 zqm_sub(zq_double_64 a, zq_double_64 b) {
  zq_double_64 r;
  return zqm_quick_routes && zqm_exact_sum(a, b, true, r) ? zqm_checked(r) : zqm_library_sub(a, b);
}

zq_double_64 zqm_mul(zq_double_64 a, zq_double_64 b) {
  zq_double_64 r;
  return zqm_quick_routes && zqm_exact_product(a, b, r) ? zqm_checked(r) : zqm_library_mul(a, b);
}

namespace {

// A whole number below 10^9 with exponent 0 keeps its nine digits in the
// three lowest declets; the bits above them are those of 0 with exponent 0
// (sign 0, first digit 0, two declets 0), so one comparison finds it
// without unpacking.
constexpr int zqm_small_whole_bits = 3 * zqm_declet_bits;
constexpr uint64_t zqm_biased_zero = zqm_exponent_bias;  // exponent 0
constexpr zq_double_64 zqm_whole_zero =
    (zqm_biased_zero >> 8) << (zqm_comb_shift + 3) | (zqm_biased_zero & 0xff) << zqm_exponent_low_shift;
constexpr int64_t zqm_small_whole_limit = 1000000000;

}  // namespace

// Where a range check decides: the bits above the three lowest declets (the
// sign, the exponent 0, the six high digits 0), and the sum from 0 to below
// 10^9. Nothing overflows: the digits and the sum stay below 10^9 + 1.
bool zqm_small_whole_step(zq_double_64 x, int64_t by, zq_double_64& result, int64_t& sum) {
  if (!zqm_quick_routes) return false;
  if (x >> zqm_small_whole_bits != zqm_whole_zero >> zqm_small_whole_bits) return false;
  const auto digits = [x](int declet) -> int64_t {
    return DPD2BIN[(x >> (zqm_declet_bits * declet)) & zqm_declet_mask];
  };
  const int64_t n = digits(2) * 1000000 + digits(1) * 1000 + digits(0) + by;
  if (n < 0 || n >= zqm_small_whole_limit) return false;
  result = zqm_whole_zero | zqm_declets_of_nine(static_cast<uint32_t>(n));
  zqm_last_built = {result, {false, static_cast<uint64_t>(n), 0}};
  sum = n;
  return true;
}

zq_double_64 zqm_div(zq_double_64 a, zq_double_64 b) { return zqm_apply(decDoubleDivide, a, b); }

zq_double_64 zqm_sqrt(zq_double_64 x) { return zqm_unary(decNumberSquareRoot, x); }
zq_double_64 zqm_abs(zq_double_64 x) { return zqm_unary(decNumberAbs, x); }
zq_double_64 zqm_log10(zq_double_64 x) { return zqm_unary(decNumberLog10, x); }
zq_double_64 zqm_ln(zq_double_64 x) { return zqm_unary(decNumberLn, x); }
zq_double_64 zqm_exp(zq_double_64 x) { return zqm_unary(decNumberExp, x); }

namespace {

// The library takes an integral power of a negative number only while the
// exponent has at most 9 digits; beyond, it answers NaN. Such a power is
// the power of the magnitude, negated for an odd exponent. Returns whether
// the exponent is of that kind, with its parity.
bool zqm_long_integral_exponent(const decNumber& base, const decNumber& e, bool& odd) {
  if (!decNumberIsNegative(&base) || decNumberIsZero(&base) || decNumberIsSpecial(&base) ||
      decNumberIsSpecial(&e) || e.digits + e.exponent <= 9)
    return false;
  decContext work = zqm_ctx;
  decNumber whole;
  decNumberToIntegralValue(&whole, &e, &work);
  decNumber difference;
  decNumberSubtract(&difference, &whole, &e, &work);
  if (!decNumberIsZero(&difference)) return false;
  // A positive exponent of the coefficient makes it a multiple of ten.
  odd = whole.exponent == 0 && (whole.lsu[0] & 1);
  return true;
}

}  // namespace

zq_double_64 zqm_pow(zq_double_64 base, zq_double_64 exponent) {
  decNumber b = zqm_widen(base);
  const decNumber e = zqm_widen(exponent);
  bool odd = false;
  const bool by_magnitude = zqm_long_integral_exponent(b, e, odd);
  if (by_magnitude) b.bits &= static_cast<uint8_t>(~DECNEG);
  // For integer exponents the library clamps in its wider working
  // precision, so exact results near the top of the range (1E+184 squared
  // is 1E+368) would get a padded coefficient and DEC_Clamped. Powering
  // unclamped leaves the clamp to the narrowing, which does it as decimal64
  // requires.
  decContext unclamped = zqm_ctx;
  unclamped.clamp = 0;
  decNumber r;
  decNumberPower(&r, &b, &e, &unclamped);
  if (by_magnitude && odd) r.bits ^= DECNEG;
  decContextSetStatus(&zqm_ctx, unclamped.status);
  const zq_double_64 result = zqm_narrow(r);
  zqm_check_status();
  return result;
}

// 1 + x is rounded to 16 digits first, so tiny x give ln 1 = 0.
zq_double_64 zqm_ln1px(zq_double_64 x) { return zqm_ln(zqm_add(x, zqm_k_1)); }

// The subtraction's check maps the conditions of the exponential as well.
zq_double_64 zqm_expm1(zq_double_64 x) { return zqm_sub(zqm_unary_unchecked(decNumberExp, x), zqm_k_1); }

int64_t zqm_compare(zq_double_64 a, zq_double_64 b, zq_relation relation) {
  const decDouble da = zqm_dec_from_zq_double_64(a);
  const decDouble db = zqm_dec_from_zq_double_64(b);
  decDouble r;
  decDoubleCompare(&r, &da, &db, &zqm_ctx);
  // A NaN result gives 0 here, so a comparison with a NaN counts as equal.
  const int64_t c = decDoubleToInt32(&r, &zqm_ctx, DEC_ROUND_DOWN);
  zqm_check_status();
  switch (relation) {
    case CMP_EQ: return c == 0;
    case CMP_GT: return c == 1;
    case CMP_LT: return c == -1;
    case CMP_GE: return c != -1;
    case CMP_LE: return c != 1;
    case CMP_NE: return c != 0;
    default: return 0;
  }
}

zq_double_64 zqm_sign(zq_double_64 x) {
  const decDouble d = zqm_dec_from_zq_double_64(x);
  const bool negative = decDoubleIsSigned(&d);
  zqm_check_status();
  return negative ? zqm_k_minus_1 : zqm_k_1;
}

int64_t zqm_is_finite(zq_double_64 x) {
  const decDouble d = zqm_dec_from_zq_double_64(x);
  return decDoubleIsFinite(&d) ? 1 : 0;
}

// Truncation on the 16 coefficient digits, so the integer part keeps 16
// significant digits (int 2.5 is 2.000000000000000): the coefficient is
// taken with its leading zeros moved to its end (the exponent moving down
// with them), then the digits below the point are cleared.
// Range checks: the exponent after the move below -15 (a magnitude below 1)
// or from 0 up (an integer already). The moved coefficient stays below
// 10^16, as the digits cleared make room for the zeros moved in.
zq_double_64 zqm_int(zq_double_64 x) {
  if (!zqm_quick_routes) return zqm_library_int(x);
  zqm_unpacked parts;
  // Infinities and NaNs have no digits to truncate: they stay as they are.
  if (!zqm_unpack_operand(x, parts)) {
    zqm_check_status();
    return x;
  }
  if (parts.coefficient == 0) return zqm_k_0;
  const int leading_zeros = zqm_coefficient_digits - zqm_digit_count(parts.coefficient);
  const int32_t exponent = parts.exponent - leading_zeros;
  zq_double_64 result;
  if (exponent < -(zqm_coefficient_digits - 1)) {
    result = zqm_k_0;  // magnitude below 1, also for negative x
  } else if (exponent >= 0) {
    result = x;  // at least 10^15: already an integer
  } else {
    // Only digits of the coefficient itself can lie below the point.
    uint64_t whole = parts.coefficient;
    if (parts.exponent < 0) whole -= zqm_divide_by_power_of_ten(whole, -parts.exponent).remainder;
    const uint64_t aligned = whole * zqm_powers_of_ten[static_cast<size_t>(leading_zeros)];
    result = zqm_build({parts.negative, aligned, exponent});
  }
  zqm_check_status();
  return result;
}

// The same on the library's BCD digits.
zq_double_64 zqm_library_int(zq_double_64 x) {
  const decDouble d = zqm_dec_from_zq_double_64(x);
  if (decDoubleIsZero(&d)) return zqm_k_0;
  if (!decDoubleIsFinite(&d)) {
    zqm_check_status();
    return x;
  }
  uint8_t bcd[zqm_coefficient_digits];
  int32_t q = 0;
  const int32_t sign = decDoubleToBCD(&d, &q, bcd);
  int n = 0;
  while (bcd[n] == 0) ++n;  // a non-zero finite value has a non-zero digit
  std::memmove(bcd, bcd + n, static_cast<size_t>(zqm_coefficient_digits - n));
  std::memset(bcd + zqm_coefficient_digits - n, 0, static_cast<size_t>(n));
  q -= n;
  zq_double_64 result;
  if (q < -(zqm_coefficient_digits - 1)) {
    result = zqm_k_0;
  } else if (q >= 0) {
    result = x;
  } else {
    std::memset(bcd + zqm_coefficient_digits + q, 0, static_cast<size_t>(-q));
    decDouble r;
    decDoubleFromBCD(&r, q, bcd, sign);
    result = zqm_zq_double_64_from_dec(r);
  }
  zqm_check_status();
  return result;
}

zq_double_64 zqm_frc(zq_double_64 x) {
  const decDouble d = zqm_dec_from_zq_double_64(x);
  // Truncation needs DEC_ROUND_DOWN for one call; restoring the whole
  // context also drops the conditions that call raised.
  const decContext saved = zqm_ctx;
  zqm_ctx.round = DEC_ROUND_DOWN;
  decDouble t;
  decDoubleToIntegralExact(&t, &d, &zqm_ctx);
  zqm_ctx = saved;
  decDouble r;
  decDoubleSubtract(&r, &d, &t, &zqm_ctx);
  zqm_check_status();
  return zqm_zq_double_64_from_dec(r);
}

zq_double_64 zqm_fact(zq_double_64 x) {
  // 204! is the largest factorial in range; above it the product is
  // +Infinity, and stopping at once bounds the loop (from 10^16 on v - 1
  // rounds back to v and the loop would never end).
  constexpr int32_t zqm_fact_max = 204;
  zq_double_64 r = zqm_k_1;
  zq_double_64 v = zqm_int(x);
  if (zqm_compare(v, zqm_zq_double_64_from_int(zqm_fact_max), CMP_GT)) {
    decDouble inf;
    decDoubleFromString(&inf, "Infinity", &zqm_ctx);
    zqm_set_error(ERR_OUT_OF_RANGE);
    return zqm_zq_double_64_from_dec(inf);
  }
  while (zqm_compare(v, zqm_k_1, CMP_GT)) {
    r = zqm_mul(v, r);
    v = zqm_sub(v, zqm_k_1);
  }
  zqm_check_status();
  return r;
}
