// Small AVI clips written through the writer, and what their frames and
// sound must hold, for the round-trip and independent-reader tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/avi_file.h"

namespace avitest {

struct Clip {
  int width = 160, height = 120;
  int bits = 24;        // 8 (colour table) or 24
  bool mjpeg = false;   // compressed through the writer's Motion-JPEG stream
  int frames = 12;
  int soundBits = 16;   // 0: no sound
  int soundChannels = 2;
  int soundRate = 22050;
  uint32_t segmentLimit = 0;
  int paletteChangeAt = -1;  // 8 bits: frame from which the second palette holds
};

// The picture of frame i, top-down, blue, green, red (8 bits: indices).
std::vector<uint8_t> picture(const Clip& c, int i);
// The colour table (blue, green, red, 0) in force at frame i (8 bits).
std::vector<uint8_t> palette(const Clip& c, int i);
// Frame i as blue, green, red pixels, top-down.
std::vector<uint8_t> colours(const Clip& c, int i);
// Every sound byte of the clip.
std::vector<uint8_t> sound(const Clip& c);
int soundBytesPerFrame(const Clip& c);

// Writes the clip as the output writer does: a video stream (compressed or
// not), the format set before every frame, sound chunks interleaved one per
// frame. False when any call fails.
bool writeClip(const Clip& c, const std::string& name);

}  // namespace avitest
