// The decimal library's view of the number layer, for the few callers that
// use decNumber directly (the display formatter and the parser's number test).
#pragma once

#include <cstring>

#include "number/decnumber.h"
#include "number/number.h"

// The one decimal context of the process (decimal64 defaults, no traps).
extern decContext zqm_ctx;

static_assert(sizeof(decDouble) == sizeof(zq_double_64), "decDouble is 8 bytes");

// Digits of a coefficient, as decDoubleToBCD and decDoubleFromBCD take them.
constexpr int zqm_coefficient_digits = DECDOUBLE_Pmax;

inline decDouble zqm_dec_from_zq_double_64(zq_double_64 value) {
  decDouble d;
  std::memcpy(&d, &value, sizeof d);
  return d;
}

inline zq_double_64 zqm_zq_double_64_from_dec(const decDouble& d) {
  zq_double_64 value;
  std::memcpy(&value, &d, sizeof value);
  return value;
}

// The bits of a decimal64 value (the library's encoding on this machine):
//
//   63  62     58 57          50 49                                   0
//  +---+---------+--------------+--------------------------------------+
//  | s |  comb   | exponent low |  five declets, the lowest digits last |
//  +---+---------+--------------+--------------------------------------+
//
// comb holds the two high bits of the biased exponent and the first digit:
// ee ddd for digits 0 to 7, 11 ee d for 8 and 9 (d the low bit), 1111x for
// the infinities and NaNs. The exponent is biased by 398. The inline forms
// of zqm_unpack and zqm_pack serve the arithmetic's quick paths.
constexpr int zqm_sign_shift = 63;
constexpr int zqm_comb_shift = 58;
constexpr int zqm_exponent_low_shift = 50;
constexpr int zqm_declet_bits = 10;
constexpr uint64_t zqm_declet_mask = 0x3ff;
constexpr int32_t zqm_exponent_bias = 398;

inline bool zqm_unpack_inline(zq_double_64 value, zqm_unpacked& parts) {
  const uint32_t comb = (value >> zqm_comb_shift) & 0x1f;
  if ((comb & 0x1e) == 0x1e) return false;
  const bool large_digit = (comb & 0x18) == 0x18;
  const uint32_t exponent_high = large_digit ? (comb >> 1) & 3 : comb >> 3;
  const uint64_t first = large_digit ? 8 + (comb & 1) : comb & 7;
  const auto declet = [value](int i) -> uint64_t {
    return DPD2BIN[(value >> (zqm_declet_bits * i)) & zqm_declet_mask];
  };
  const uint64_t high = first * 1000000 + declet(4) * 1000 + declet(3);     // 7 digits
  const uint64_t low = declet(2) * 1000000 + declet(1) * 1000 + declet(0);  // 9 digits
  parts.negative = (value >> zqm_sign_shift) != 0;
  parts.coefficient = high * 1000000000 + low;
  parts.exponent = static_cast<int32_t>((exponent_high << 8) | ((value >> zqm_exponent_low_shift) & 0xff)) -
                   zqm_exponent_bias;
  return true;
}

inline zq_double_64 zqm_pack_inline(const zqm_unpacked& parts) {
  // Each declet's digits from its own quotient, so that the five
  // divisions (multiplications by reciprocals) do not wait on each other.
  const uint64_t c = parts.coefficient;
  const uint64_t by3 = c / 1000;
  const uint64_t by6 = c / 1000000;
  const uint64_t by9 = c / 1000000000;
  const uint64_t by12 = c / 1000000000000;
  const uint32_t first = static_cast<uint32_t>(c / 1000000000000000);
  zq_double_64 value = uint64_t{BIN2DPD[c - by3 * 1000]} | uint64_t{BIN2DPD[by3 - by6 * 1000]} << 10 |
                       uint64_t{BIN2DPD[by6 - by9 * 1000]} << 20 |
                       uint64_t{BIN2DPD[by9 - by12 * 1000]} << 30 |
                       uint64_t{BIN2DPD[by12 - uint64_t{first} * 1000]} << 40;
  const uint32_t biased = static_cast<uint32_t>(parts.exponent + zqm_exponent_bias);
  const uint32_t exponent_high = biased >> 8;
  const uint32_t comb = first < 8 ? (exponent_high << 3) | first : 0x18 | (exponent_high << 1) | (first & 1);
  value |= uint64_t{biased & 0xff} << zqm_exponent_low_shift;
  value |= uint64_t{comb} << zqm_comb_shift;
  value |= uint64_t{parts.negative} << zqm_sign_shift;
  return value;
}
