// The colour-based codings of an 8x8 picture: one fill colour, and two
// pattern colours with a bit per sample. Used for 8x8 blocks and for the
// 8x8 coarse pictures of 16x16 areas.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// The n samples in ascending order.
void sortSamples(const uint8_t* samples, int n, uint8_t* sorted);

// Fill colour: the mean of the two middle values of the sorted samples.
inline uint8_t fillColour(const uint8_t sorted[64]) { return static_cast<uint8_t>((sorted[31] + sorted[32]) >> 1); }

struct PatternColours {
  uint8_t low, high;
};

// The best split of the sorted samples into a low and a high group; false
// when all samples are equal.
bool choosePatternColours(const uint8_t sorted[64], PatternColours& colours);

// Each sample takes the nearer colour (the high one on a tie): the decoded
// picture and the eight pattern bytes (bit j of byte i set = high colour at
// row i, column j).
void applyPattern(const uint8_t pic[64], PatternColours colours, uint8_t decoded[64], uint8_t patterns[8]);

TOL_NS_END
