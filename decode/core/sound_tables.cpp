#include "decode/core/sound_tables.h"

#include <array>
#include <cmath>

TOL_NS_BEGIN

const uint16_t kSoundCriticalHz[kSoundMaxBands] = {0,    100,  200,  300,  400,  510,  630,  770,  920,
                                                   1080, 1270, 1480, 1720, 2000, 2320, 2700, 3150, 3700,
                                                   4400, 5300, 6400, 7700, 9500, 12000, 15500};

const uint8_t kSoundRunGroups[16] = {2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 16, 32, 64};

uint32_t soundSamplesPerChannel(uint32_t rate) {
  if (rate < 22050) return 512;
  if (rate < 44100) return 1024;
  return 2048;
}

SoundBands soundBandTable(uint32_t rate, uint32_t channels) {
  SoundBands bands{};
  const uint32_t length = soundBlockLength(rate, channels);
  // Half the interleaved sample rate: the frequency of bin length / 2.
  const uint32_t half = (rate * channels + 1) / 2;
  for (uint32_t i = 0; i < kSoundMaxBands && kSoundCriticalHz[i] < half; ++i)
    bands.edge[bands.count++] = static_cast<uint16_t>(length / 2 * kSoundCriticalHz[i] / half);
  bands.edge[bands.count] = static_cast<uint16_t>(length / 2);
  return bands;
}

float soundQuantiser(uint32_t index) {
  static const std::array<float, kSoundMaxStepIndex + 1> table = [] {
    std::array<float, kSoundMaxStepIndex + 1> t{};
    for (uint32_t q = 0; q <= kSoundMaxStepIndex; ++q) {
      const float x = static_cast<float>(q) * 0.664f;
      const float exponent = x * 0.1f;
      t[q] = static_cast<float>(std::pow(10.0, static_cast<double>(exponent)));
    }
    return t;
  }();
  return table[index & kSoundMaxStepIndex];
}

TOL_NS_END
