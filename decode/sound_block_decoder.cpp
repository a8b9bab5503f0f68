#include "decode/sound_block_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "decode/core/bit_reader.h"
#include "decode/core/sound_float29.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

constexpr uint32_t align16(uint32_t n) { return (n + 15) & ~15u; }

uint32_t log2Of(uint32_t value) {
  uint32_t bits = 0;
  while ((1u << bits) < value) ++bits;
  return bits;
}

// Reads the chunked coefficients of bins 1 to length / 2 - 1 (float
// positions 2 to length - 1, real and imaginary parts alternating).
void readCoefficients(BitReader& reader, float* values, uint32_t length) {
  uint32_t i = 2;
  while (i < length) {
    const uint32_t groups = reader.read(1) ? kSoundRunGroups[reader.read(4)] : 1;
    const uint32_t end = std::min(i + 8 * groups, length);
    const uint32_t width = reader.read(4);
    if (width == 0) {
      std::fill(values + i, values + end, 0.0f);
    } else {
      for (; i < end; ++i) {
        const uint32_t magnitude = reader.read(width);
        const float v = static_cast<float>(magnitude);
        values[i] = magnitude != 0 && reader.read(1) ? -v : v;
      }
    }
    i = end;
  }
}

int16_t toSample(float value) {
  // Clamp first so that the conversion is always defined; ties go to even.
  const float clamped = std::clamp(value, -32768.0f, 32767.0f);
  return static_cast<int16_t>(std::lrint(clamped));
}

}  // namespace

SoundTrackFormat soundTrackFormat(uint32_t flags) {
  return SoundTrackFormat{flags & 0xFFFF, (flags >> 29) & 1 ? 2u : 1u, (flags >> 30) & 1 ? 16u : 8u,
                          ((flags >> 31) & 1) != 0};
}

SoundBlockDecoder* soundBlockDecoderCreate(uint32_t rate, uint32_t channels) {
  const uint32_t length = soundBlockLength(rate, channels);
  const uint32_t head = align16(sizeof(SoundBlockDecoder));
  const uint32_t spectrumBytes = align16(2 * length * sizeof(float));
  const uint32_t samplesBytes = align16(length * sizeof(int16_t));
  const uint32_t fftBytes = align16(static_cast<uint32_t>(soundFftStorageBytes(length)));
  uint8_t* block = static_cast<uint8_t*>(tolmalloc(head + spectrumBytes + samplesBytes + fftBytes));
  if (!block) return nullptr;
  auto* d = new (block) SoundBlockDecoder{};
  d->length = length;
  d->overlap = soundOverlap(length);
  d->overlapShift = log2Of(d->overlap);
  d->root = static_cast<float>(1.0 / std::sqrt(static_cast<double>(length)));
  d->firstBlock = 1;
  d->bands = soundBandTable(rate, channels);
  d->spectrum = reinterpret_cast<float*>(block + head);
  d->samples = reinterpret_cast<int16_t*>(block + head + spectrumBytes);
  soundFftInit(d->fft, length, block + head + spectrumBytes + samplesBytes);
  return d;
}

void soundBlockDecoderDestroy(SoundBlockDecoder* decoder) {
  if (decoder) tolfree(decoder);
}

uint32_t soundDecodeBlock(SoundBlockDecoder* d, BitReader& reader) {
  const uint32_t n = d->length;
  float* s = d->spectrum;

  // Bins 0 and n / 2 are real.
  s[0] = float29Decode(reader.read(kFloat29Bits));
  s[1] = 0.0f;
  s[n] = float29Decode(reader.read(kFloat29Bits));
  s[n + 1] = 0.0f;
  float quantiser[kSoundMaxBands];
  for (uint32_t k = 0; k < d->bands.count; ++k) quantiser[k] = soundQuantiser(reader.read(8));
  readCoefficients(reader, s, n);
  // The block ends with its word: the bits still held are its padding (a
  // word is loaded only when a read needs more bits than are held).
  reader.read(reader.heldBits());

  // Dequantise every bin of every band except bin 0; bin n / 2 lies in no band.
  for (uint32_t k = 0; k < d->bands.count; ++k) {
    const float q = quantiser[k];
    for (uint32_t i = d->bands.first(k); i < d->bands.end(k); ++i) s[i] *= q;
  }
  // The signal is real: the upper half of the spectrum mirrors the lower one.
  for (uint32_t b = 1; b < n / 2; ++b) {
    s[2 * (n - b)] = s[2 * b];
    s[2 * (n - b) + 1] = -s[2 * b + 1];
  }
  soundFftForward(d->fft, s);

  int16_t* out = d->samples;
  for (uint32_t i = 0; i < n; ++i) out[i] = toSample(s[2 * i] * d->root);

  // Cross-fade the head with the previous block's tail. Each term is rounded
  // toward minus infinity (an arithmetic shift, the overlap being a power of
  // two); the result is kept to 16 bits.
  const uint32_t ov = d->overlap;
  if (!d->firstBlock) {
    for (uint32_t i = 0; i < ov; ++i) {
      const int32_t fadeOut = static_cast<int32_t>(ov - i) * d->tail[i];
      const int32_t fadeIn = static_cast<int32_t>(i) * out[i];
      out[i] = static_cast<int16_t>((fadeOut >> d->overlapShift) + (fadeIn >> d->overlapShift));
    }
  }
  std::memcpy(d->tail, out + n - ov, ov * sizeof(int16_t));
  d->firstBlock = 0;
  return (n - ov) * 2;
}

uint32_t soundDecodePacket(SoundBlockDecoder* d, const uint8_t* data, uint32_t size, uint32_t sampleBits,
                           uint8_t* dest, uint32_t capacity) {
  if (!d || !data || size < 4) return 0;
  uint64_t wanted = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                    static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
  // Whole 16-bit samples, no more than the destination holds.
  const uint64_t limit = sampleBits == 8 ? uint64_t{capacity} * 2 : capacity;
  wanted = std::min(wanted, limit) & ~uint64_t{1};

  BitReader reader(data + 4, data + size);
  uint32_t written = 0;
  while (wanted > 0) {
    const uint32_t blockBytes = soundDecodeBlock(d, reader);
    const uint32_t take = static_cast<uint32_t>(std::min<uint64_t>(blockBytes, wanted));
    if (sampleBits == 8) {
      for (uint32_t i = 0; i < take / 2; ++i) dest[written + i] = static_cast<uint8_t>((d->samples[i] >> 8) + 128);
      written += take / 2;
    } else {
      std::memcpy(dest + written, d->samples, take);
      written += take;
    }
    wanted -= take;
  }
  return written;
}

TOL_NS_END
