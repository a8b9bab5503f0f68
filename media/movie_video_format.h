// The video sample description of a movie track: codec, frame size, depth
// and, for indexed pixels, the colour table.
#pragma once

#include <cstdint>

#include "media/movie_boxes.h"
#include "platform/libns.h"

TOL_NS_BEGIN

enum class VideoCodec { kRaw, kJpeg, kPng };

struct VideoFormat {
  VideoCodec codec = VideoCodec::kRaw;
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;       // bits per stored pixel of 'raw '; 24 for the others
  int32_t outputBits = 0;  // 8 (indices) or 24 (blue, green, red)
  uint8_t palette[256 * 4] = {};  // blue, green, red, 0 per entry for 8-bit output
};

// Largest frame accepted: each side and the pixel count.
constexpr int32_t kMaxFrameSide = 16384;
constexpr uint64_t kMaxFramePixels = uint64_t(64) << 20;

// Reads the first entry of a sample description box ('stsd'). False for a
// codec or depth this reader does not handle, or a frame size out of range.
bool parseVideoFormat(ByteView stsd, VideoFormat& format);

// The first sample description entry: its format code and the bytes after
// its size and code.
bool firstSampleEntry(ByteView stsd, Box& entry);

TOL_NS_END
