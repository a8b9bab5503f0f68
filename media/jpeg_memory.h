// A JPEG picture held in memory, decoded into 24-bit blue-green-red rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// Decodes into dest (rows top to bottom, pitch bytes apart). False when the
// data is not a JPEG of exactly width x height pixels with one or three
// colour components, or is cut short before any picture data; damage inside
// the picture data is decoded as far as it goes.
bool decodeJpegToBgr(const uint8_t* data, size_t size, int32_t width, int32_t height, uint8_t* dest,
                     size_t pitch);

TOL_NS_END
