// Perceptual model of the sound coder: how much quantisation noise each
// critical band of a block may carry without being heard.
//
// Per band the model takes the energy of the band's coefficients, spreads it
// over the other bands (a masker also masks its neighbours, upward in
// frequency more than downward), estimates how tonal the block is, and
// allows noise the masking offset below the spread energy:
//   offset(j) = t x (14.5 + j) + (1 - t) x 5.5 dB
//   allowed(j) = 10^((E(j) - offset(j)) / 10) x gain(j), 0 when E(j) < offset(j)
// with E in decibels of the spread energy (coefficient units squared).
//
// Choices of this coder:
// - Spreading: the classic two-slope function of the critical-band distance
//   d (maskee minus masker, in bands, each band one critical band wide):
//   15.81 + 7.5 (d + 0.474) - 17.5 sqrt(1 + (d + 0.474)^2) dB, about
//   -4 dB one band up, -8 dB one band down, -21 and -50 dB at three bands.
// - gain(j): 1 / (4 x sum over the track's bands i of spread(j - i)). The
//   sum undoes the energy the spreading adds to a flat spectrum; the further
//   6 dB are a safety margin, because the blocks are not windowed and only
//   one sixteenth of a block is cross-faded, so a band's noise spreads evenly
//   over the whole block (up to 46 ms) and is less well hidden than the
//   masking offsets assume, most of all before a transient.
// - Tonality: the spectral flatness of the block (geometric over arithmetic
//   mean of the bin powers, in dB) divided by -60 dB and limited to 0..1:
//   a pure tone gives 1, white noise about 0. Bin powers below 1 (the level
//   of 16-bit rounding) count as 1, so near-silence is not taken for a tone.
#pragma once

#include <cstdint>

#include "decode/core/sound_tables.h"
#include "platform/libns.h"

TOL_NS_BEGIN

struct SoundModel {
  uint32_t bandCount;
  float spread[kSoundMaxBands][kSoundMaxBands];  // [maskee][masker], power ratio
  float gain[kSoundMaxBands];
};

void soundModelInit(SoundModel& model, uint32_t bandCount);

// Tonality 0..1 of a spectrum of `bins` complex values (interleaved real
// and imaginary parts), bin 0 excluded.
float soundTonality(const float* spectrum, uint32_t bins);

// allowed[j] for each band from its energy[j].
void soundAllowedNoise(const SoundModel& model, const double* energy, float tonality, double* allowed);

TOL_NS_END
