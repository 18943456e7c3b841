// Decimal arithmetic, comparison, integer and fractional parts, factorial and
// the functions the library offers only on its general decNumber form.
#include <cstring>

#include "number/decimal.h"

namespace {

using zqm_dec_binary = decDouble *(*)(decDouble *, const decDouble *, const decDouble *,
                                      decContext *);
using zqm_dn_unary = decNumber *(*)(decNumber *, const decNumber *, decContext *);

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
zq_double_64 zqm_narrow(const decNumber &n) {
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

} // namespace

zq_double_64 zqm_add(zq_double_64 a, zq_double_64 b) { return zqm_apply(decDoubleAdd, a, b); }
zq_double_64 zqm_sub(zq_double_64 a, zq_double_64 b) { return zqm_apply(decDoubleSubtract, a, b); }
zq_double_64 zqm_mul(zq_double_64 a, zq_double_64 b) { return zqm_apply(decDoubleMultiply, a, b); }
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
bool zqm_long_integral_exponent(const decNumber &base, const decNumber &e, bool &odd) {
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
zq_double_64 zqm_expm1(zq_double_64 x) {
    return zqm_sub(zqm_unary_unchecked(decNumberExp, x), zqm_k_1);
}

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
// significant digits (int 2.5 is 2.000000000000000).
zq_double_64 zqm_int(zq_double_64 x) {
    const decDouble d = zqm_dec_from_zq_double_64(x);
    if (decDoubleIsZero(&d)) return zqm_k_0;
    // Infinities and NaNs have no digits to truncate: they stay as they are.
    if (!decDoubleIsFinite(&d)) {
        zqm_check_status();
        return x;
    }

    uint8_t bcd[zqm_coefficient_digits];
    int32_t q;
    const int32_t sign = decDoubleToBCD(&d, &q, bcd);
    int n = 0;
    while (bcd[n] == 0) ++n; // a non-zero finite value has a non-zero digit
    memmove(bcd, bcd + n, zqm_coefficient_digits - n);
    memset(bcd + zqm_coefficient_digits - n, 0, n);
    q -= n;

    zq_double_64 result;
    if (q < -(zqm_coefficient_digits - 1)) {
        result = zqm_k_0; // magnitude below 1, also for negative x
    } else if (q >= 0) {
        result = x; // at least 10^15: already an integer
    } else {
        memset(bcd + zqm_coefficient_digits + q, 0, -q);
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
