// The bitstream decoder seen from the encoder tests: decode_bridge.cpp is
// built in tolutil's namespace, the tests see plain functions and types.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace enctest {

// The decoded area of each plane of one frame, rows packed.
struct Picture {
  uint32_t lumaWidth = 0, lumaHeight = 0, chromaWidth = 0, chromaHeight = 0;
  std::vector<uint8_t> y, cr, cb;
};

struct ZurnFile {
  uint32_t fileSizeLess8 = 0, frames = 0, largestFrame = 0, indexFrames = 0;
  uint32_t width = 0, height = 0, fpsNumerator = 0, fpsDenominator = 0, videoFlags = 0, trackCount = 0;
  std::vector<uint32_t> maxDecoded, soundFlags, trackIds;
  std::vector<uint32_t> index;  // indexFrames + 1 entries
  std::vector<uint8_t> bytes;
};

// Reads the header, tables and index; false when the file is too short.
bool readZurnFile(const std::string& name, ZurnFile& file);

// Decodes every stored frame in order (both frame buffers start zeroed, as
// in the decoder). Each frame's video data begins after its sound packets.
// Returns false with a reason when a frame does not decode cleanly.
bool decodeFrames(const ZurnFile& file, std::vector<Picture>& pictures, std::string& why);

}  // namespace enctest
