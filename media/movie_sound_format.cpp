#include "media/movie_sound_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/movie_video_format.h"

TOL_NS_BEGIN

namespace {

// Offsets in a sound sample entry, counted after its size and format code.
constexpr size_t kVersion = 8;
// Versions 0 and 1.
constexpr size_t kChannels = 16;
constexpr size_t kSampleBits = 18;
constexpr size_t kRate = 24;  // 16.16 fixed point
constexpr size_t kV1BytesPerFrame = 36;
constexpr size_t kV1BytesPerSample = 40;
// Version 2.
constexpr size_t kV2Rate = 32;  // IEEE double
constexpr size_t kV2Channels = 40;
constexpr size_t kV2Bits = 48;
constexpr size_t kV2Flags = 52;
constexpr size_t kV2BytesPerPacket = 56;
constexpr size_t kV2FramesPerPacket = 60;

// Flags of version 2 descriptions.
constexpr uint32_t kFloat = 1;
constexpr uint32_t kBigEndian = 2;
constexpr uint32_t kSignedInteger = 4;
constexpr uint32_t kNonInterleaved = 32;

constexpr int32_t kMaxRate = 1 << 20;

bool readVersion2(const ByteView& e, uint32_t code, SoundFormat& f) {
  if (!e.has(0, kV2FramesPerPacket + 4)) return false;
  double rate;
  const uint64_t bits = e.u64(kV2Rate);
  std::memcpy(&rate, &bits, sizeof rate);
  if (!(rate >= 1.0 && rate <= double(kMaxRate))) return false;
  f.rate = int32_t(rate);
  const uint32_t channels = e.u32(kV2Channels);
  const uint32_t sampleBits = e.u32(kV2Bits);
  if (channels < 1 || channels > 2 || sampleBits > 32) return false;
  f.channels = int32_t(channels);
  f.storedBits = int32_t(sampleBits);
  if (code == fourcc("lpcm")) {
    const uint32_t flags = e.u32(kV2Flags);
    if ((flags & kFloat) || ((flags & kNonInterleaved) && channels > 1)) return false;
    f.bigEndian = (flags & kBigEndian) != 0;
    f.isSigned = (flags & kSignedInteger) != 0;
    // Packed samples, one frame per packet.
    if (e.u32(kV2FramesPerPacket) != 1 || e.u32(kV2BytesPerPacket) != channels * ((sampleBits + 7) / 8))
      return false;
  }
  return true;
}

bool readVersion01(const ByteView& e, uint32_t mediaScale, SoundFormat& f) {
  if (!e.has(0, kRate + 4)) return false;
  f.channels = e.u16(kChannels);
  f.storedBits = e.u16(kSampleBits);
  f.rate = int32_t(e.u32(kRate) >> 16);
  if (f.rate == 0 && mediaScale <= uint32_t(kMaxRate)) f.rate = int32_t(mediaScale);
  // Version 1 tells the stored sample width in bytes, which wins over the
  // bit count when the two disagree.
  if (e.u16(kVersion) == 1 && e.has(0, kV1BytesPerSample + 4)) {
    const uint32_t bytes = e.u32(kV1BytesPerSample);
    if (bytes >= 1 && bytes <= 4 && e.u32(kV1BytesPerFrame) == bytes * uint32_t(f.channels))
      f.storedBits = int32_t(bytes * 8);
  }
  return f.channels >= 1 && f.channels <= 2 && f.rate >= 1;
}

}  // namespace

bool parseSoundFormat(ByteView stsd, uint32_t mediaScale, SoundFormat& f) {
  Box entry;
  if (!firstSampleEntry(stsd, entry)) return false;
  const ByteView& e = entry.body;
  const uint32_t code = entry.type;
  if (code != fourcc("twos") && code != fourcc("sowt") && code != fourcc("raw ") && code != fourcc("NONE") &&
      code != fourcc("lpcm"))
    return false;
  const bool version2 = e.u16(kVersion) == 2;
  if (code == fourcc("lpcm") && !version2) return false;
  if (!(version2 ? readVersion2(e, code, f) : readVersion01(e, mediaScale, f))) return false;
  if (code == fourcc("twos")) {
    f.bigEndian = true;
    f.isSigned = true;
  } else if (code == fourcc("sowt")) {
    f.bigEndian = false;
    f.isSigned = true;
  } else if (code == fourcc("raw ") || code == fourcc("NONE")) {
    // Offset-binary bytes; 'NONE' of more bits is big-endian two's complement.
    f.bigEndian = true;
    f.isSigned = f.storedBits != 8;
    if (code == fourcc("raw ") && f.storedBits != 8) return false;
  }
  if (f.storedBits != 8 && f.storedBits != 16 && f.storedBits != 24 && f.storedBits != 32) return false;
  f.storedBytesPerFrame = uint32_t(f.storedBits / 8 * f.channels);
  f.outputBits = f.storedBits == 8 ? 8 : 16;
  f.outputBytesPerFrame = uint32_t(f.outputBits / 8 * f.channels);
  return true;
}

void convertSound(const SoundFormat& f, const uint8_t* src, uint64_t frames, uint8_t* dest) {
  const uint64_t samples = frames * uint64_t(f.channels);
  const uint32_t width = uint32_t(f.storedBits / 8);
  if (width == 1) {
    const uint8_t flip = f.isSigned ? 0x80 : 0;
    for (uint64_t i = 0; i < samples; ++i) dest[i] = uint8_t(src[i] ^ flip);
    return;
  }
  // Samples as signed values of their own width; wider ones rounded to the
  // nearest 16-bit value (held at the largest).
  const uint32_t shift = 8 * (width - 2);
  const int64_t half = shift ? int64_t(1) << (shift - 1) : 0;
  const uint32_t signBit = 1u << (8 * width - 1);
  for (uint64_t i = 0; i < samples; ++i, src += width, dest += 2) {
    uint32_t raw = 0;
    for (uint32_t k = 0; k < width; ++k) raw |= uint32_t(src[f.bigEndian ? k : width - 1 - k]) << (8 * (width - 1 - k));
    if (!f.isSigned) raw ^= signBit;
    const int64_t value = int64_t(raw ^ signBit) - int64_t(signBit);
    const int64_t rounded = std::min<int64_t>((value + half) >> shift, 32767);
    dest[0] = uint8_t(rounded);
    dest[1] = uint8_t(uint64_t(rounded) >> 8);
  }
}

TOL_NS_END
