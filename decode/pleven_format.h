// Pleven file layout shared by the decoder and the writer.
//
//   header      26 little-endian 32-bit fields (kHeaderSize bytes), in the
//               order of the PlevDecoder record's leading fields
//   frame sizes (F + ring) 32-bit byte counts
//   frame types (F + ring) bytes: PLEV_TYPE_* bits
//   tree block  four 16-bit tree descriptions (include/tol/huffman.h), one
//               bit stream, padded with zero bits to a multiple of 4 bytes;
//               the header's four table sizes are kTreeTableUnit bytes per
//               leaf of each tree (0 for an empty tree)
//   frames      back to back: palette chunk, sound chunks, video data
//               (decode/pleven_video.h)
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"
#include "tol/pleven_record.h"

TOL_NS_BEGIN
namespace pleven {

constexpr uint32_t kMagic = 0x32564C50;  // "PLV2"
constexpr uint32_t kHeaderFields = 26;
constexpr uint32_t kHeaderSize = kHeaderFields * 4;
constexpr uint32_t kTreeTableUnit = 8;
constexpr uint32_t kMaxLeaves = 65536;
// Sane limits of the header's numbers.
constexpr int32_t kMaxDimension = 16384;
constexpr uint64_t kMaxPixels = uint64_t{1} << 26;
constexpr uint32_t kMaxFrames = 1u << 24;

// The trees of the video syntax, in tree block order.
enum Tree : uint32_t { kCommandTree = 0, kColourTree = 1, kLengthTree = 2, kOffsetTree = 3, kTreeCount = 4 };

inline uint32_t load32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline void store32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The header fields as 26 words, in file order (the record's leading part).
inline uint32_t* headerWords(::PlevDecoder* d) { return &d->magic; }
static_assert(offsetof(::PlevDecoder, reserved) == (kHeaderFields - 1) * 4, "header fields are contiguous");

// Frame time in 1/100000 s from the rate field.
inline int32_t frameTimeOf(int32_t rate) {
  const int64_t t = rate > 0 ? int64_t{rate} * 100 : -int64_t{rate};
  return t > INT32_MAX ? INT32_MAX : static_cast<int32_t>(t);
}
inline int32_t framesPerSecondOf(int32_t frameTime) {
  if (frameTime <= 0) return 100000;
  const int32_t fps = 100000 / frameTime;
  return fps < 1 ? 1 : fps;
}

}  // namespace pleven
TOL_NS_END
