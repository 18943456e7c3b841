// The one way into the decNumber library: its headers declare C functions
// without extern "C", and decimal64.h needs 16-digit decNumbers.
#pragma once

extern "C" {
#define DECNUMDIGITS 16
#include "decContext.h"
#include "decDouble.h"
#include "decNumber.h"
#include "decimal64.h"
// The declet tables that decCommon.c defines for the library's own use.
extern const uint16_t DPD2BIN[1024];  // declet -> 0 to 999
extern const uint16_t BIN2DPD[1000];  // 0 to 999 -> declet
}
