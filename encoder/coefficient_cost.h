// The exact number of bits that the coefficient coder writes for a block,
// worked out from the significance planes of the coefficients instead of by
// running the coder: the encoder asks this for every quantiser of every
// transform candidate. Equal to coefficientBits() for every block (the
// tests compare the two).
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// coef: raster order, DC (position 0) not counted; values are taken as the
// coder takes them, clamped to its limits.
uint32_t coefficientCost(const int32_t coef[64]);

TOL_NS_END
