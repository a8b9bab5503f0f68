// Writer of one coded plane, the mirror of the plane decoder. The caller
// walks the blocks row by row (8 pixel rows each), giving every stream
// element of the row (block types, colours, offsets, ...) through the
// element calls and the row's directly coded bits (run order and flags,
// quantisers, coefficient and residue codes) through direct(); endRow()
// closes a block row. Most callers use the block-level functions of
// block_writer.h instead of the element calls.
//
// finish() then chooses a code description for every prefix-coded quantity
// from its counts over the whole plane, writes the descriptions and, row by
// row, the refills the decoder will ask for followed by the row's direct
// bits, and pads to a 32-bit word. A refill carries the elements of the
// first row (from the current one on) that has any; a stream with no
// elements left is finished with count 0.
//
// Chunk syntax chosen by the writer: block and sub-block types use the
// repeat mode only for a chunk of zeros (or of one value 12..15, which has
// no symbol), otherwise symbols with repeat
// symbols 12..15 (4, 8, 12, 32 repeats of the last value) taken greedily;
// colours, offsets and run lengths use the repeat mode when a chunk of two
// or more elements holds one value; DC values take the smallest group width.
#pragma once

#include <cstdint>

#include "decode/core/bit_writer.h"
#include "decode/core/element_streams.h"
#include "decode/core/grow_array.h"
#include "platform/libns.h"

TOL_NS_BEGIN

// What finish() wrote per stream: elements, and bits including count
// fields, mode bits and the stream's code descriptions.
struct PlaneWriteStats {
  uint32_t elements[kStreamCount];
  uint64_t bits[kStreamCount];
};

enum class PlaneWriteError : uint8_t {
  none,
  rowOverLimit,     // a row needs more elements of a stream than one refill carries
  unwritableValue,  // a value outside the stream's syntax (see the element calls)
  rowCount,         // endRow() not called once per block row
  outOfMemory,
};

class PlaneWriter {
 public:
  // Starts a plane of decoded width and height (multiples of 8).
  void begin(uint32_t width, uint32_t height);

  void blockType(unsigned t) { put(kBlockTypes, t); }  // 0..11; 12..15 only in a row of that one value
  void subBlockType(unsigned t) { put(kSubBlockTypes, t); }
  void colour(uint8_t c) { put(kColours, c); }             // 1..255; 0 is written as 1
  void pattern(uint8_t p) { put(kPatterns, p); }
  void offsets(int x, int y) {                             // -15..15 each
    put(kXOffsets, x);
    put(kYOffsets, y);
  }
  void intraDC(int v) { put(kIntraDC, v); }  // first of a refill 0..2047; steps within +-32767
  void interDC(int v) { put(kInterDC, v); }  // first of a refill -1023..1023
  void runLength(unsigned lengthMinus1) { put(kRunLengths, lengthMinus1); }  // 0..15
  BitWriter& direct() { return direct_; }
  void endRow();

  // Appends the coded plane to out (which must be word aligned: the planes
  // of a frame follow each other on word boundaries).
  PlaneWriteError finish(BitWriter& out, PlaneWriteStats* stats = nullptr);

  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }
  uint32_t rowsDone() const { return static_cast<uint32_t>(directRowEnd_.size()); }

 private:
  void put(StreamId s, int v) { values_[s].push(static_cast<int16_t>(v)); }

  uint32_t width_ = 0, height_ = 0;
  GrowArray<int16_t> values_[kStreamCount];
  GrowArray<uint32_t> rowEnd_[kStreamCount];  // element count at the end of each row
  GrowArray<uint64_t> directRowEnd_;
  BitWriter direct_;
};

TOL_NS_END
