// Decoding of the video data of one Zurn frame: three planes (Y at full
// size, then Cr and Cb at half size in both directions), each cut into 8x8
// blocks decoded row by row against the previous frame (the reference).
//
// Frame buffer layout (geometry below): the Y plane, lumaPitch x
// lumaBufferHeight bytes, then Cr and Cb, chromaWidth x chromaHeight bytes
// each (the chroma pitch is chromaWidth = lumaPitch / 2). Samples outside
// the decoded area are never written.
//
// Damaged input. Whatever bytes a frame holds, decoding reads only
// [data, end) and writes only inside the destination planes and the map.
// The first violation of the format's limits stops the plane: every 8x8 block
// from the one being decoded onward (in raster order, this block included)
// and every later plane of the frame becomes a copy of the reference, the
// block-change map stays as marked so far, and the frame routine returns the
// fault. Violations: reading past `end`; a refill count above the stream
// buffer's capacity; an element taken from an exhausted or finished stream;
// block-type repeats running past the count; runs passing the 64th pixel;
// motion pointing outside the reference plane's decoded area; a scaled block
// in the last block column, or on the last block row of a plane with an odd
// number of block rows. A conforming stream has none of these and decodes
// exactly as the format defines.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/core/element_streams.h"
#include "platform/libns.h"

TOL_NS_BEGIN

struct FrameGeometry {
  uint32_t width, height;            // as in the file header
  uint32_t lumaWidth, lumaHeight;    // decoded luma area: width, height rounded up to 8
  uint32_t chromaWidth, chromaHeight;  // ((w + 1) / 2, (h + 1) / 2) rounded up to 8
  uint32_t lumaPitch, lumaBufferHeight;  // 2 x chromaWidth, 2 x chromaHeight
  size_t frameBytes;                 // one frame buffer: Y, Cr, Cb
  uint32_t mapPitch, mapBytes;       // block-change map: lumaPitch / 16 per row, lumaBufferHeight / 16 rows
};
// Geometry of a w x h frame; w and h at least 1 and at most 65535.
FrameGeometry frameGeometry(uint32_t width, uint32_t height);

enum class DecodeFault : uint8_t {
  none,
  truncated,          // the data ended inside the plane
  countOverCapacity,  // a refill count larger than the stream's buffer
  streamExhausted,    // an element taken from an empty or finished stream
  repeatOverrun,      // block-type repeats past the refill count
  runOverrun,         // runs passing the 64th pixel
  motionOutside,      // an offset block outside the reference plane
  scaledOutside,      // a scaled block without room for its 16x16 area
};
const char* decodeFaultText(DecodeFault f);

struct PlaneResult {
  const uint8_t* next;  // the next unread word: where the following plane starts
  DecodeFault fault;
};

// One plane. width and height are the decoded size (multiples of 8); dst and
// ref are distinct planes of `pitch`; map is the block-change map with
// lumaPitch / 16 bytes per row, mapStep 1 for luma and 2 for chroma.
struct PlaneJob {
  uint8_t* dst;
  const uint8_t* ref;
  uint32_t width, height, pitch;
  const uint8_t* data;
  const uint8_t* end;
  uint8_t* map;
  uint32_t mapStep;
  const ElementBuffers* streams;
};
PlaneResult decodePlane(const PlaneJob& job);

// One frame: Y, then Cr, then Cb, each starting at the word where the
// previous one stopped. The key-frame flag is accepted and not consulted
// (a key frame simply uses no reference blocks). The element buffers must be
// sized for geometry.lumaPitch (bindElementBuffers); the map is not cleared
// here (the caller clears it before each frame).
struct FrameJob {
  uint8_t* dst;
  const uint8_t* ref;
  uint8_t* map;
  FrameGeometry geometry;
  const uint8_t* data;
  const uint8_t* end;
  const ElementBuffers* streams;
  bool keyFrame;
};
PlaneResult decodeVideoFrame(const FrameJob& job);

TOL_NS_END
