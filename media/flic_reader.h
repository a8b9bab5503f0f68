// The FLIC reader: internal functions behind the exported TOLFlic calls
// (include/tol/flic.h describes them).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"
#include "tol/flic_record.h"

TOL_NS_BEGIN

TOLFlic* TOLFlicOpen(const char* name);
int32_t TOLFlicGetNext(TOLFlic* flic, uint8_t* buffer);
int32_t TOLFlicGoto(TOLFlic* flic, int32_t frame, uint8_t* buffer);
uint8_t* TOLFlicGetPalette(TOLFlic* flic);
const char* TOLFlicGetName(TOLFlic* flic, char* out);
void TOLFlicClose(TOLFlic* flic);

namespace flic {

// Frame time (minus 1/100000 s) of a header: its type, speed field and the
// exact frame time at offset 26. 0 for a type that is not FLI or FLC.
int32_t frameTimeOf(uint32_t type, uint32_t speed, int32_t exactFrameTime);

// Applies a palette chunk's data (8-bit or 6-bit components) to palette.
void applyPaletteChunk(const uint8_t* data, size_t size, bool sixBit, uint8_t* palette);

}  // namespace flic

TOL_NS_END
