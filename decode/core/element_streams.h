// The nine element streams of a coded plane: per-block quantities (block
// types, colours, motion offsets, DC values, run lengths, ...) that are
// decoded in bulk at the start of each block row into flat buffers and then
// consumed block by block.
//
// Each stream has a count field of B bits, B = bit length of 511 + m x (W/8),
// with m the stream's multiplier and W the plane's decoded width (halved for
// the sub-block types). A refill happens at the start of a block row only
// when the stream's buffered elements are used up: count 0 finishes the
// stream for the rest of the plane, otherwise `count` elements follow in the
// stream's syntax (see readChunk / ChunkWriter).
//
// Buffers are sized once for the luma pitch P and serve all three planes:
// 512 + m x (P/8) elements of 1 byte (2 bytes for the DC streams), rounded up
// to a multiple of 4 bytes. DC buffers must be 2-byte aligned.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/core/bit_reader.h"
#include "decode/core/code_description.h"
#include "platform/libns.h"

TOL_NS_BEGIN

// In refill order.
enum StreamId : uint8_t {
  kBlockTypes,
  kSubBlockTypes,
  kColours,
  kPatterns,
  kXOffsets,
  kYOffsets,
  kIntraDC,
  kInterDC,
  kRunLengths,
  kStreamCount
};

struct StreamInfo {
  uint8_t multiplier;    // m
  uint8_t elementBytes;  // 1 or 2
  bool halfWidth;        // count width from half the plane width
};
extern const StreamInfo kStreamInfo[kStreamCount];

// Width of the count field for a plane of decoded width `planeWidth`.
unsigned streamCountBits(StreamId s, uint32_t planeWidth);
// Largest count a conforming plane of that width may carry in one refill.
uint32_t streamCountLimit(StreamId s, uint32_t planeWidth);
// Elements and bytes of the decoder's buffer for luma pitch P.
uint32_t streamCapacity(StreamId s, uint32_t lumaPitch);
uint32_t streamBufferBytes(StreamId s, uint32_t lumaPitch);

// The nine buffers handed to the plane decoder.
struct ElementBuffers {
  uint8_t* data[kStreamCount];
  uint32_t capacity[kStreamCount];  // elements
};
// Total bytes of nine buffers laid out one after another (each multiple of 4
// bytes, so every start stays 4-aligned), and that layout over one block.
size_t elementBuffersBytes(uint32_t lumaPitch);
void bindElementBuffers(ElementBuffers& b, uint8_t* block, uint32_t lumaPitch);

// Code descriptions of one plane, read at the plane's start in this order:
// block types, sub-block types, the sixteen colour high-nibble descriptions
// (by previous high nibble), the colour low-nibble description, patterns,
// x offsets, y offsets, run lengths.
struct PlaneDescriptions {
  CodeDescription blockTypes, subBlockTypes, colourHigh[16], colourLow, patterns, xOffsets, yOffsets, runLengths;
};
// Visits the descriptions in that order with the stream each belongs to.
template <typename D, typename F>
void forEachDescription(D& d, F&& f) {
  f(d.blockTypes, kBlockTypes);
  f(d.subBlockTypes, kSubBlockTypes);
  for (auto& h : d.colourHigh) f(h, kColours);
  f(d.colourLow, kColours);
  f(d.patterns, kPatterns);
  f(d.xOffsets, kXOffsets);
  f(d.yOffsets, kYOffsets);
  f(d.runLengths, kRunLengths);
}
void readPlaneDescriptions(BitReader& in, PlaneDescriptions& d);
void writePlaneDescriptions(BitWriter& out, const PlaneDescriptions& d);

// Colour bytes: a coded value v (high nibble x 16 + low nibble) is a
// sign-and-magnitude offset from 128. Colour 0 has no code; colourCode()
// gives it the code of colour 1.
inline uint8_t colourFromCode(unsigned v) { return static_cast<uint8_t>(v < 128 ? 128 + v : 256 - v); }
inline uint8_t colourCode(uint8_t colour) {
  return static_cast<uint8_t>(colour >= 128 ? colour - 128 : 256 - (colour ? colour : 1));
}

// Reads one refill's `count` elements of stream s into out (1- or 2-byte
// elements). lastHigh is the colour context (last high nibble), carried
// across refills of a plane. Returns false when block-type repeats run past
// the count (the elements are then not usable).
bool readChunk(BitReader& in, StreamId s, const PlaneDescriptions& d, uint32_t count, uint8_t* out,
               uint8_t& lastHigh);

TOL_NS_END
