// Placing new palette colours into palette slots so that the frame on
// screen changes as little as possible: the colours go where the pixels
// using a slot see the smallest change, hardest matches first.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

// colours: count new colours (0x00RRGGBB), count <= slots. Writes them into
// palette (256 x red, green, blue) at slots firstSlot to firstSlot + slots -
// 1, each in a different slot; slots left over keep their colours. usage:
// pixels of the current frame per palette index (256 entries).
void placeColours(const uint32_t* colours, int32_t count, uint8_t* palette, int32_t firstSlot, int32_t slots,
                  const uint64_t* usage);

TOL_NS_END
