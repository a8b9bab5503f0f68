// Motion search of one 8x8 block against the reference plane.
//
// Displacements range over -15..15 in each direction, clipped so that the
// displaced block lies inside the plane. Candidates are visited in rows of
// vertical displacement 0, 1, .. up to the largest, then from the smallest
// (negative) up to -1, and within a row in the same order horizontally. A
// candidate replaces the best only with a strictly smaller SAD, so the first
// of equal candidates wins and the zero vector wins all ties; the search
// ends at a perfect match.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

struct MotionVector {
  int8_t x, y;
  uint32_t sad;
};

// src and ref are planes of width x height samples (multiples of 8); the
// block is at (bx, by).
MotionVector searchMotion(const uint8_t* src, const uint8_t* ref, uint32_t width, uint32_t height, uint32_t bx,
                          uint32_t by);

TOL_NS_END
