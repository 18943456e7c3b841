// The decimal library's view of the number layer, for its own sources and
// the proofs that compare its quick routes with the library.
#pragma once

#include <array>
#include <cstring>

#include "number/decnumber.h"
#include "number/number.h"
#include "number/parts.h"

// The one decimal context of the process (decimal64 defaults, no traps).
extern decContext zqm_ctx;

static_assert(sizeof(decDouble) == sizeof(zq_double_64), "decDouble is 8 bytes");

// decDoubleToBCD and decDoubleFromBCD take a coefficient's digits.
static_assert(zqm_coefficient_digits == DECDOUBLE_Pmax);

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

// comb read once for each of its 32 values: the first digit, and the
// exponent less its low eight bits (unbiased); special for the infinities
// and NaNs.
struct zqm_comb_field {
  bool special;
  uint8_t first;
  int16_t exponent_base;
};
constexpr std::array<zqm_comb_field, 32> zqm_comb_fields = [] {
  std::array<zqm_comb_field, 32> fields{};
  for (uint32_t comb = 0; comb < fields.size(); ++comb) {
    const bool large_digit = (comb & 0x18) == 0x18;
    const uint32_t exponent_high = large_digit ? (comb >> 1) & 3 : comb >> 3;
    fields[comb] = {(comb & 0x1e) == 0x1e, static_cast<uint8_t>(large_digit ? 8 + (comb & 1) : comb & 7),
                    static_cast<int16_t>(static_cast<int32_t>(exponent_high << 8) - zqm_exponent_bias)};
  }
  return fields;
}();

inline bool zqm_unpack_inline(zq_double_64 value, zqm_unpacked& parts) {
  const zqm_comb_field comb = zqm_comb_fields[(value >> zqm_comb_shift) & 0x1f];
  if (comb.special) return false;
  const uint64_t first = comb.first;
  const auto declet = [value](int i) -> uint64_t {
    return DPD2BIN[(value >> (zqm_declet_bits * i)) & zqm_declet_mask];
  };
  const uint64_t high = first * 1000000 + declet(4) * 1000 + declet(3);     // 7 digits
  const uint64_t low = declet(2) * 1000000 + declet(1) * 1000 + declet(0);  // 9 digits
  parts.negative = (value >> zqm_sign_shift) != 0;
  parts.coefficient = high * 1000000000 + low;
  parts.exponent = comb.exponent_base + static_cast<int32_t>((value >> zqm_exponent_low_shift) & 0xff);
  return true;
}

// The three declets of nine digits (n below 10^9), the lowest digits last.
// In 32 bits, whose divisions by constants are cheaper; each declet's digits
// from its own quotient, so that the divisions (multiplications by
// reciprocals) do not wait on each other.
inline uint64_t zqm_declets_of_nine(uint32_t n) {
  const uint32_t by3 = n / 1000;
  const uint32_t by6 = n / 1000000;
  return uint64_t{BIN2DPD[n - by3 * 1000]} | uint64_t{BIN2DPD[by3 - by6 * 1000]} << zqm_declet_bits |
         uint64_t{BIN2DPD[by6]} << (2 * zqm_declet_bits);
}

inline zq_double_64 zqm_pack_inline(const zqm_unpacked& parts) {
  // The 16 digits as 7 and 9.
  const uint64_t c = parts.coefficient;
  const uint64_t by9 = c / 1000000000;
  const uint32_t high = static_cast<uint32_t>(by9);
  const uint32_t high_by3 = high / 1000;
  const uint32_t first = high / 1000000;
  zq_double_64 value = zqm_declets_of_nine(static_cast<uint32_t>(c - by9 * 1000000000)) |
                       uint64_t{BIN2DPD[high - high_by3 * 1000]} << (3 * zqm_declet_bits) |
                       uint64_t{BIN2DPD[high_by3 - first * 1000]} << (4 * zqm_declet_bits);
  const uint32_t biased = static_cast<uint32_t>(parts.exponent + zqm_exponent_bias);
  const uint32_t exponent_high = biased >> 8;
  const uint32_t comb = first < 8 ? (exponent_high << 3) | first : 0x18 | (exponent_high << 1) | (first & 1);
  value |= uint64_t{biased & 0xff} << zqm_exponent_low_shift;
  value |= uint64_t{comb} << zqm_comb_shift;
  value |= uint64_t{parts.negative} << zqm_sign_shift;
  return value;
}
