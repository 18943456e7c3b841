// The floored modulo behind `mod`: the library remainder where it can work,
// the remainder of the coefficients where the exponents are far apart.
#include "number/decimal.h"

namespace {

// Wider exponent gaps give ERR_OUT_OF_RANGE; so do special dividends, whose
// exponents the library reports far above every finite one.
constexpr int64_t zqm_mod_gap_max = 384;

struct zqm_parts {
  int64_t coefficient;  // the 16 digits as an integer, below 10^16
  int64_t exponent;     // the library's exponent; huge for special values
};

zqm_parts zqm_split(zq_double_64 value) {
  const decDouble d = zqm_dec_from_zq_double_64(value);
  uint8_t bcd[zqm_coefficient_digits];
  int32_t exponent;
  decDoubleToBCD(&d, &exponent, bcd);
  int64_t coefficient = 0;
  for (uint8_t digit : bcd) coefficient = coefficient * 10 + digit;
  return {coefficient, exponent};
}

}  // namespace

zq_double_64 zqm_rem(zq_double_64 a, zq_double_64 b) {
  const decDouble da = zqm_dec_from_zq_double_64(a);
  const decDouble db = zqm_dec_from_zq_double_64(b);
  decDouble r;
  decDoubleRemainder(&r, &da, &db, &zqm_ctx);
  return zqm_zq_double_64_from_dec(r);
}

zq_double_64 zqm_mod_small(zq_double_64 y, zq_double_64 x) {
  zq_double_64 r = zqm_rem(y, x);
  // The first sign call maps the conditions the remainder left behind.
  const zq_double_64 sign_x = zqm_sign(x);
  const zq_double_64 s = zqm_mul(zqm_sign(y), sign_x);
  // A zero remainder is never moved to the divisor's side.
  if (zqm_compare(s, zqm_k_0, CMP_LE) && zqm_compare(r, zqm_k_0, CMP_NE)) r = zqm_add(r, x);
  return r;
}

// 128-bit products keep every step exact for any 64-bit modulus.
int64_t zqm_powmod(int64_t base, int64_t exponent, int64_t modulus) {
  if (modulus == 1 || modulus == 0) return 0;  // 0 has no residues
  zqm_signed_wide result = 1;
  zqm_signed_wide b = static_cast<zqm_signed_wide>(base) % modulus;
  while (exponent > 0) {
    if (exponent & 1) result = result * b % modulus;
    exponent >>= 1;
    b = b * b % modulus;
  }
  return static_cast<int64_t>(result);
}

zq_double_64 zqm_mod(zq_double_64 y, zq_double_64 x) {
  // A zero divisor, and a NaN one (which compares equal), give y back.
  if (zqm_compare(x, zqm_k_0, CMP_EQ)) return y;

  const zqm_parts px = zqm_split(x);
  const zqm_parts py = zqm_split(y);
  int64_t shift = px.exponent;
  int64_t e = py.exponent - px.exponent;
  if (e < 0) {
    shift = py.exponent;
    e = 0;
  }
  if (e > zqm_mod_gap_max) {
    zqm_set_error(ERR_OUT_OF_RANGE);
    return zqm_k_0;
  }

  zq_double_64 result;
  if (e == 0) {
    // y's exponent is not above x's: the integer quotient fits in 16
    // digits and the library remainder succeeds.
    result = zqm_mod_small(y, x);
  } else {
    // y = cy * 10^(qx + e): the remainder of cy * 10^e by cx, times 10^qx.
    const int64_t cx = px.coefficient;
    const int64_t r1 = py.coefficient % cx;
    const int64_t p = zqm_powmod(10, e, cx);
    // r1 and p lie in [0, cx), cx is positive: unsigned 128 bits hold r1 * p.
    const int64_t r2 = static_cast<int64_t>(static_cast<zqm_wide>(r1) * static_cast<zqm_wide>(p) %
                                            static_cast<zqm_wide>(cx));
    result = zqm_zq_double_64_from_lint(r2);

    const int64_t sx = zqm_lint_from_zq_double_64(zqm_sign(x));
    const int64_t sy = zqm_lint_from_zq_double_64(zqm_sign(y));
    if (zqm_compare(result, zqm_k_0, CMP_NE)) {
      if (sx * sy > 0) {
        result = zqm_mul(result, zqm_zq_double_64_from_lint(sy));
      } else {
        // Floored: the residue moves to the divisor's side, sx * (cx - r2).
        result =
            zqm_sub(zqm_zq_double_64_from_lint(sx * cx), zqm_mul(result, zqm_zq_double_64_from_lint(sx)));
      }
    }
    // Back to x's exponent. Ten to a power below the normal range is
    // subnormal itself, which the product need not be: there the exact
    // integer result only gets its exponent. Multiplying by that power, the
    // literal route, would report DEC_Subnormal and DATA ERROR for a
    // remainder the format holds exactly.
    if (shift < zqm_ctx.emin) {
      const decDouble r = zqm_dec_from_zq_double_64(result);
      const decDouble by = zqm_dec_from_zq_double_64(zqm_zq_double_64_from_lint(shift));
      decDouble scaled;
      decDoubleScaleB(&scaled, &r, &by, &zqm_ctx);
      result = zqm_zq_double_64_from_dec(scaled);
    } else {
      result = zqm_mul(result, zqm_pow(zqm_k_10, zqm_zq_double_64_from_lint(shift)));
    }
  }
  zqm_check_status();
  return result;
}
