// Colour reduction by box splitting: the distinct 18-bit colours of a
// histogram are split into boxes, always the box whose best cut lowers the
// weighted squared error most, until there are as many boxes as wanted or no
// cut helps. Each box gives one colour, its mean.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/libns.h"

TOL_NS_BEGIN

constexpr uint32_t kColourKeys = 262144;

// Called before each cut with the percentage done (first: the first call);
// true stops the reduction with the boxes made so far.
using ReductionProgress = std::function<bool(int32_t percent, bool first)>;

// Writes up to target colours (0x00RRGGBB, 8-bit components) into colours and
// returns their number; 0 when the histogram is empty. The histogram has
// kColourKeys counters indexed by key (red, green, blue, 6 bits each).
int32_t reduceColours(const uint64_t* histogram, int32_t target, uint32_t* colours, const ReductionProgress& progress);

TOL_NS_END
