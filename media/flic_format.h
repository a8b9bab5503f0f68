// FLIC file layout: header offsets, chunk types and sizes shared by the
// reader and the writer. All values are little-endian.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

namespace flic {

constexpr uint32_t kFileBufferSize = 64000;

constexpr uint32_t kHeaderSize = 128;
constexpr uint32_t kFrameHeaderSize = 16;
constexpr uint32_t kChunkHeaderSize = 6;
constexpr uint32_t kPaletteEntries = 256;

// Header fields (byte offsets).
constexpr uint32_t kOffFileSize = 0;
constexpr uint32_t kOffType = 4;
constexpr uint32_t kOffFrames = 6;
constexpr uint32_t kOffWidth = 8;
constexpr uint32_t kOffHeight = 10;
constexpr uint32_t kOffDepth = 12;
constexpr uint32_t kOffFlags = 14;
constexpr uint32_t kOffSpeed = 16;
constexpr uint32_t kOffExactFrameTime = 26;  // negative 1/100000 s, or 0
constexpr uint32_t kOffAspectX = 38;
constexpr uint32_t kOffAspectY = 40;
constexpr uint32_t kOffFrame1 = 80;
constexpr uint32_t kOffFrame2 = 84;

constexpr uint16_t kTypeFli = 0xAF11;
constexpr uint16_t kTypeFlc = 0xAF12;
constexpr uint16_t kFrameType = 0xF1FA;

// Frame sub-chunks.
enum ChunkType : uint16_t {
  kChunkPalette8 = 4,    // palette, 8-bit components
  kChunkWordDelta = 7,   // word-oriented delta
  kChunkPalette6 = 11,   // palette, 6-bit components
  kChunkByteDelta = 12,  // byte-oriented delta
  kChunkBlack = 13,      // every pixel 0
  kChunkByteRun = 15,    // byte-run full frame
  kChunkCopy = 16,       // uncompressed full frame
};

inline uint32_t get16(const uint8_t* p) { return p[0] | uint32_t(p[1]) << 8; }
inline uint32_t get32(const uint8_t* p) { return get16(p) | get16(p + 2) << 16; }
inline void put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v) {
  put16(p, v);
  put16(p + 2, v >> 16);
}

}  // namespace flic

TOL_NS_END
