// The one way into the decNumber library: its headers declare C functions
// without extern "C", and decimal64.h needs 16-digit decNumbers.
#pragma once

extern "C" {
#define DECNUMDIGITS 16
#include "decContext.h"
#include "decNumber.h"
#include "decDouble.h"
#include "decimal64.h"
}
