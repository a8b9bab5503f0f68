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

// What the cost needs of each quad j (coefficient indices 4j .. 4j + 3):
// the largest significance plane of its members and how many are 0 (index
// 0, the DC, always counts as 0).
struct QuadPlanes {
  uint8_t top[16];
  uint8_t zeros[16];
};

// The coder's magnitude limit for coefficient index k (1..63): 16383 for
// the grouped indices 8..23, 28..43 and 48..63, 32767 for the others.
constexpr uint32_t coefficientLimit(unsigned k) {
  return (k >= 8 && k < 24) || (k >= 28 && k < 44) || k >= 48 ? 16383 : 32767;
}

// The cost from the quads' planes.
uint32_t costFromQuadPlanes(const QuadPlanes& p);

// The quads' planes of a block: plain, and SSE4.1 (call only when the
// processor has it).
void quadPlanesPlain(const int32_t coef[64], QuadPlanes& p);
void quadPlanesSse41(const int32_t coef[64], QuadPlanes& p);

// The whole cost: plain (quadPlanesPlain and costFromQuadPlanes), and SSE4.1;
// coefficientCost() uses the widest one available.
uint32_t coefficientCostPlain(const int32_t coef[64]);
uint32_t coefficientCostSse41(const int32_t coef[64]);

TOL_NS_END
