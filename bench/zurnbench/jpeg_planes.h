// Motion-JPEG as a peer: each frame's own Y, Cb and Cr planes compressed as
// a baseline 4:2:0 JPEG through libjpeg's raw-data interface (no colour
// conversion and no resampling in either direction), so the decoded planes
// compare directly with the encoder's input planes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "yuv_frame.h"

namespace zurnbench {

// quality: 1 to 100, libjpeg's scale. Empty on failure.
std::vector<uint8_t> encodeJpeg(const YuvFrame& frame, int quality);
// Decodes into frame (resized to the JPEG's size); false on a damaged JPEG
// or one that is not 4:2:0 YCbCr.
bool decodeJpeg(const uint8_t* data, size_t size, YuvFrame& frame);

// A clip of JPEG frames in one file: per frame a 32-bit little-endian
// length, then the JPEG. writeJpegFrame appends one (false for an empty one).
bool writeJpegFrame(std::FILE* f, const std::vector<uint8_t>& jpeg);
bool readJpegClip(const std::string& path, std::vector<std::vector<uint8_t>>& frames);

}  // namespace zurnbench
