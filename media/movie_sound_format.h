// The sound sample description of a movie track (uncompressed formats only)
// and the conversion of its samples to what the sound reader delivers:
// unsigned 8-bit, or signed 16-bit little-endian (wider samples rounded to
// the nearest 16-bit value).
#pragma once

#include <cstdint>

#include "media/movie_boxes.h"
#include "platform/libns.h"

TOL_NS_BEGIN

struct SoundFormat {
  int32_t rate = 0;
  int32_t channels = 0;
  int32_t storedBits = 0;  // 8, 16, 24 or 32
  bool bigEndian = false;
  bool isSigned = true;
  uint32_t storedBytesPerFrame = 0;
  int32_t outputBits = 0;  // 8 or 16
  uint32_t outputBytesPerFrame = 0;
};

// Reads the first entry of a sample description box ('stsd'): 'twos',
// 'sowt', 'raw ', 'NONE' or integer 'lpcm', one or two channels. mediaScale
// stands in for a sample rate of 0. False for anything else.
bool parseSoundFormat(ByteView stsd, uint32_t mediaScale, SoundFormat& format);

// Converts `frames` sample frames; dest may be src (the output is never
// larger than the input).
void convertSound(const SoundFormat& format, const uint8_t* src, uint64_t frames, uint8_t* dest);

TOL_NS_END
