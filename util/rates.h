// Fractions and frame rates: reducing a fraction, turning a frame time or a
// rate into hundredths of frames per second.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// Divides both values by their greatest common divisor (signs are kept);
// does nothing when either is 0.
void reduceFraction(int64_t& a, int64_t& b);
void GCDNums(int32_t* a, int32_t* b);

// 0 -> 0; above 0 (milliseconds per frame) -> 100000 / rate; -1500 to -1
// (frames per second) -> -rate * 100; below -1500 (hundredths of frames per
// second) -> -rate. Results below 5 become 5.
int32_t MakeFrameRate(int32_t rate);

TOL_NS_END
