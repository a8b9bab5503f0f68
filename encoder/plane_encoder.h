// Writing one plane as its block records say, while building the decoder's
// picture of it (the reference of the next frame).
#pragma once

#include <cstdint>

#include "decode/core/bit_writer.h"
#include "decode/core/plane_writer.h"
#include "encoder/block_choices.h"
#include "encoder/plane_stats.h"
#include "platform/libns.h"

TOL_NS_BEGIN

struct PlaneView {
  const uint8_t* src;  // the frame's source plane
  const uint8_t* ref;  // the decoder's picture of the previous frame
  uint8_t* recon;      // receives the decoder's picture of this frame
  uint32_t width, height;
};

// Walks the blocks in raster order, block row by block row, giving each
// block's coding to the plane writer and its decoded pixels to recon, then
// writes the coded plane into out (cleared first). usage receives what each
// symbol collection cost. False when the plane writer fails.
bool encodePlane(const PlaneView& plane, const BlockChoices* records, PlaneWriter& writer, BitWriter& out,
                 CollectionUsage (&usage)[ZURNMAKE_COLLECTIONS]);

TOL_NS_END
