// Fixed-point parts: a value read as an integer part and six fraction
// digits, and a value made from a whole number and its fraction digits.
#include <cinttypes>
#include <cstdio>

#include "number/decimal.h"

namespace {

constexpr int zqm_whole_digits = 9;  // zqm_fixed_whole_limit is 10^9
constexpr int zqm_micro_digits = 6;
static_assert(zqm_powers_of_ten[zqm_whole_digits] == zqm_fixed_whole_limit);

}  // namespace

// Where a range check decides or an intermediate could overflow:
//  1. exponent >= 0, exponent from 9 up: the integer part is at least 10^9
//     (or the value is zero).
//  2. exponent 0 to 8: coefficient * 10^exponent wraps 64 bits from 2^64
//     on, so the coefficient is checked against 10^(9 - exponent) before
//     the product, which then stays below 10^9.
//  3. exponent below -16: zqm_divide_by_power_of_ten takes powers up to
//     10^16 only; such a value goes to the general route.
//  4. more than six fraction digits: those beyond the sixth must be zero.
//  5. six or fewer: the remainder (below 10^fraction_digits) times
//     10^(6 - fraction_digits) stays below 10^6.
//  6. a negative exponent: the integer part, below 10^16, must lie below
//     10^9.
// The divisions take the coefficient or a remainder, below 10^16 < 2^54,
// the range the reciprocals are exact for.
bool zqm_fixed_point_parts(zq_double_64 x, zqm_fixed_point& parts) {
  if (!zqm_quick_routes) return false;
  zqm_unpacked v;
  if (!zqm_unpack_inline(x, v)) return false;
  uint64_t whole = 0;
  uint64_t micros = 0;
  if (v.exponent >= 0) {
    if (v.coefficient != 0) {
      if (v.exponent >= zqm_whole_digits ||
          v.coefficient >= zqm_powers_of_ten[static_cast<size_t>(zqm_whole_digits - v.exponent)])
        return false;
      whole = v.coefficient * zqm_powers_of_ten[static_cast<size_t>(v.exponent)];
    }
  } else {
    const int fraction_digits = -v.exponent;
    if (fraction_digits >= zqm_power_count) return false;
    const zqm_quotient split = zqm_divide_by_power_of_ten(v.coefficient, fraction_digits);
    if (split.quotient >= zqm_fixed_whole_limit) return false;
    whole = split.quotient;
    if (fraction_digits > zqm_micro_digits) {
      const zqm_quotient beyond =
          zqm_divide_by_power_of_ten(split.remainder, fraction_digits - zqm_micro_digits);
      if (beyond.remainder != 0) return false;
      micros = beyond.quotient;
    } else {
      micros = split.remainder * zqm_powers_of_ten[static_cast<size_t>(zqm_micro_digits - fraction_digits)];
    }
  }
  parts = {v.negative, whole, micros};
  return true;
}

namespace {

// The library's route: the division itself, in a context of its own, as
// exact quotients raise nothing the caller's status should see.
zq_double_64 zqm_divided_fixed_point(bool negative, uint64_t scaled, int fraction_digits) {
  constexpr size_t zqm_whole_text_size = 24;
  char text[zqm_whole_text_size];
  decContext work = zqm_ctx;
  snprintf(text, sizeof text, "%s%" PRIu64, negative && scaled != 0 ? "-" : "", scaled);
  decDouble n;
  decDoubleFromString(&n, text, &work);
  snprintf(text, sizeof text, "%" PRIu64, zqm_powers_of_ten[static_cast<size_t>(fraction_digits)]);
  decDouble d;
  decDoubleFromString(&d, text, &work);
  decDouble q;
  decDoubleDivide(&q, &n, &d, &work);
  return zqm_zq_double_64_from_dec(q);
}

}  // namespace

// An exact quotient keeps the exponent nearest to the ideal one, 0 - 0: its
// trailing zeros go until the exponent reaches 0. Those below the point are
// the fraction's own, all of them when it is 0. No intermediate grows: the
// coefficient is scaled divided by a power of ten it is a multiple of.
zq_double_64 zqm_value_from_fixed_point(bool negative, uint64_t scaled, int fraction_digits) {
  if (!zqm_quick_routes) return zqm_divided_fixed_point(negative, scaled, fraction_digits);
  uint64_t fraction = zqm_divide_by_power_of_ten(scaled, fraction_digits).remainder;
  int zeros = fraction_digits;
  if (fraction != 0) {
    zeros = 0;
    while (fraction % 10 == 0) {
      fraction /= 10;
      ++zeros;
    }
  }
  return zqm_pack_inline(
      {negative && scaled != 0, zqm_divide_by_power_of_ten(scaled, zeros).quotient, zeros - fraction_digits});
}
