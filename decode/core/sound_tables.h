// Framing and tables of Zurn sound blocks, shared by the sound coder and the
// sound decoder so that both sides derive block lengths, band edges and band
// quantisers from one definition.
//
// A track is coded as one stream of interleaved samples: a stereo block of
// 2 x M samples is transformed as a single signal at twice the sample rate.
// Block lengths below are always counted in interleaved samples.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

constexpr uint32_t kSoundMaxBands = 25;
constexpr uint32_t kSoundMaxBlock = 4096;  // 2048 samples x 2 channels
constexpr uint32_t kSoundMaxOverlap = kSoundMaxBlock / 16;

// Upper limits of the critical bands in Hz; entry i starts band i.
extern const uint16_t kSoundCriticalHz[kSoundMaxBands];
// Chunk lengths of the coefficient syntax, in groups of 8 values, by 4-bit code.
extern const uint8_t kSoundRunGroups[16];

// Samples per channel in a block: 512 below 22050 Hz, 1024 below 44100 Hz,
// 2048 from 44100 Hz up.
uint32_t soundSamplesPerChannel(uint32_t rate);

// Block length in interleaved samples and the cross-faded overlap (1/16).
inline uint32_t soundBlockLength(uint32_t rate, uint32_t channels) {
  return soundSamplesPerChannel(rate) * channels;
}
inline uint32_t soundOverlap(uint32_t blockLength) { return blockLength / 16; }

// Band edges in frequency bins of a block: band k covers bins edge[k] up to
// (not including) edge[k + 1]; edge[count] = blockLength / 2.
struct SoundBands {
  uint32_t count;
  uint16_t edge[kSoundMaxBands + 1];

  // Float positions (real and imaginary parts alternating) of band k's
  // quantised values, first to end (excluded): bin 0 is coded apart, so
  // band 0 starts at bin 1.
  uint32_t first(uint32_t k) const { return edge[k] > 1 ? 2u * edge[k] : 2u; }
  uint32_t end(uint32_t k) const { return edge[k + 1] > 1 ? 2u * edge[k + 1] : 2u; }
};
SoundBands soundBandTable(uint32_t rate, uint32_t channels);

// Dequantisation factor of an 8-bit step index: 10^(x * 0.1) with
// x = index * 0.664, evaluated in single precision as the format defines
// it, so that coder and decoder multiply by bit-identical factors.
float soundQuantiser(uint32_t index);

// Largest step index.
constexpr uint32_t kSoundMaxStepIndex = 255;

TOL_NS_END
