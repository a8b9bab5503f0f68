// A PNG picture held in memory, decoded into 24-bit blue-green-red rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// Decodes into dest (rows top to bottom, pitch bytes apart): any colour type
// and depth, 16-bit samples cut to 8, alpha dropped. False when the data is
// not a PNG of exactly width x height pixels or is damaged (dest may then
// hold part of the picture).
bool decodePngToBgr(const uint8_t* data, size_t size, int32_t width, int32_t height, uint8_t* dest,
                    size_t pitch);

TOL_NS_END
