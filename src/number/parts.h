// Values as sign, coefficient and exponent, for the number layer's quick
// routes past the library and for the proofs that test them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "number/number.h"

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
