// Fixed orders over the 64 raster positions (row x 8 + column) of an 8x8
// block: the coefficient scan (coefficient index k stands at raster position
// kCoefficientScan[k]; 0 is DC) and the sixteen orders in which a run block
// visits its pixels, selected by a 4-bit index.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

extern const uint8_t kCoefficientScan[64];
extern const uint8_t kRunOrders[16][64];

TOL_NS_END
