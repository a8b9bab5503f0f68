// Pleven video data: one frame's 8-bit pixels coded against the picture the
// destination already holds (the previous frame).
//
// The frame has W x H stored pixels (W, H from the file header; H before any
// line doubling), visited in raster order: pixel i is (x, y) = (i mod W,
// i div W), top row first. The video data is a least-significant-bit-first
// bit stream of symbols, each decoded with one of the four 16-bit trees of
// the file's tree block:
//   T0 commands, T1 colours, T2 long lengths, T3 copy offsets.
// Their escape rule applies: a leaf equal to escape value i of its tree
// stands for that tree's last value i, and the last values then move on as
// in include/tol/huffman.h. The last values of all four trees are 0 at the
// start of every frame's data.
//
// Empty video data leaves the picture as it is. Otherwise commands follow
// until all W x H pixels are covered; a command may run from the end of one
// row into the next. A command starts with a T0 symbol c:
//   kind = c >> 12, n = c & 4095
//   length = n + 1 when n < 4095; when n = 4095, two T2 symbols lo and hi
//   follow and length = 4096 + lo + 65536 * hi.
// Kinds, with what follows the length:
//   0 skip     the pixels keep their values.
//   1 fill     a T1 symbol, the colour of all the pixels.
//   2 literal  length T1 symbols, one colour per pixel.
//   3 copy     a T3 symbol s: dx = (s & 255) - 128, dy = (s >> 8) - 128.
//              Pixel (x, y) takes the value pixel (x + dx, y + dy) holds at
//              that moment: pixels are written one at a time in raster
//              order, so a source already written in this frame gives its
//              new value (and a copy overlapping itself repeats), any other
//              source its value from the previous picture. Every source lies
//              inside the frame; (dx, dy) is not (0, 0).
//   4 pattern  two T1 symbols a and b; the pixels take a, b, a, b, ... from
//              the command's first pixel on (across row ends).
// A key frame uses no skip and only copies whose sources come before their
// targets (dy < 0, or dy = 0 and dx < 0), so it does not depend on the
// previous picture. The data is damaged when a kind is above 4, a colour
// above 255, a command runs past the last pixel, a copy source lies outside
// the frame, a symbol comes from an empty tree, or the bits run out;
// decoding then stops and the pixels written so far stay. Bits after the
// last command are ignored (the writer pads to a byte).
//
// In the destination, stored row y lands on row y, or on row 2y with line
// doubling (copied to row 2y + 1 after the frame) or interlacing; sources of
// copies are read from the same rows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"
#include "util/huffman_decode.h"

TOL_NS_BEGIN
namespace pleven {

enum Kind : uint32_t { kSkip = 0, kFill = 1, kLiteral = 2, kCopy = 3, kPattern = 4 };
constexpr uint32_t kInlineLengths = 4095;   // n = 4095 marks a long length
constexpr uint32_t kOffsetBias = 128;

inline uint32_t commandSymbol(uint32_t kind, uint32_t length) {
  return kind << 12 | (length <= kInlineLengths ? length - 1 : kInlineLengths);
}
inline uint32_t offsetSymbol(int32_t dx, int32_t dy) {
  return static_cast<uint32_t>(dx + kOffsetBias) | static_cast<uint32_t>(dy + kOffsetBias) << 8;
}

// Stored rows of the picture in the destination: row y starts at
// row0 + y * rowStep (rowStep negative for a bottom-up buffer, doubled in
// the line modes).
struct Canvas {
  uint8_t* row0 = nullptr;
  ptrdiff_t rowStep = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint8_t* row(int32_t y) const { return row0 + y * rowStep; }
};

// Decodes one frame's video data into the canvas with the four word trees
// (an array of four, in tree block order), which keep
// their last values between symbols (reset here). False when the data is
// damaged.
bool decodeVideo(const uint8_t* data, size_t size, HuffDecodeTree* trees, const Canvas& canvas);

}  // namespace pleven
TOL_NS_END
