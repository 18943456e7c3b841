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

inline zq_double_64 zqm_zq_double_64_from_dec(const decDouble &d) {
    zq_double_64 value;
    std::memcpy(&value, &d, sizeof value);
    return value;
}
