#include "encoder/sound_quantiser.h"

#include <algorithm>
#include <cmath>

TOL_NS_BEGIN

const uint8_t kSoundHearingDb[kSoundMaxBands] = {60, 30, 26, 24, 18, 12, 10, 8, 7, 5, 4, 3, 2,
                                                 1,  1,  1,  2,  4,  8,  10, 15, 17, 19, 20, 30};

namespace {

constexpr double kLargestStep = 17592186044416.0;  // 2^44
constexpr int32_t kLargestLevel = 32767;

double largestMagnitude(const float* values, uint32_t count) {
  float m = 0.0f;
  for (uint32_t i = 0; i < count; ++i) m = std::max(m, std::fabs(values[i]));
  return m;
}

double quantisationNoise(const float* values, uint32_t count, double step) {
  double noise = 0.0;
  for (uint32_t i = 0; i < count; ++i) {
    const double v = values[i];
    const double e = v - std::nearbyint(v / step) * step;
    noise += e * e;
  }
  return noise;
}

}  // namespace

double soundBaseStep(uint32_t band, uint32_t soundOption) {
  const double threshold = std::pow(10.0, kSoundHearingDb[band] / 10.0);
  const double step = std::pow(0.5 * threshold, (static_cast<double>(soundOption) + 1.0) / 4.0);
  return std::clamp(step, 1.0, kLargestStep);
}

double soundSearchStep(const float* values, uint32_t count, double base, double allowed) {
  const double largest = largestMagnitude(values, count);
  double step = base;
  if (base > largest || !(allowed > 0.0)) return step;  // nothing to gain: no noise is allowed
  const double smallest = std::max(1.0, base / 10.0);
  double increment = base;
  while (step <= largest) {
    const double trial = step + increment;
    if (quantisationNoise(values, count, trial) < allowed) {
      step = trial;
      increment *= 2.0;
    } else {
      if (increment < smallest) break;
      increment /= 2.0;
    }
  }
  return step;
}

uint32_t soundStepIndex(double step) {
  const double index = 10.0 * std::log10(step) * 1.506024096;
  if (!(index > 0.0)) return 0;
  return static_cast<uint32_t>(std::min(index, double{kSoundMaxStepIndex}));
}

void soundQuantiseBand(const float* values, uint32_t count, uint32_t* index, int32_t* out) {
  const double largest = largestMagnitude(values, count);
  while (*index < kSoundMaxStepIndex && largest / soundQuantiser(*index) > kLargestLevel + 0.5) ++*index;
  const float q = soundQuantiser(*index);
  for (uint32_t i = 0; i < count; ++i) {
    const float level = std::nearbyint(values[i] / q);
    out[i] = static_cast<int32_t>(std::clamp(level, float{-kLargestLevel}, float{kLargestLevel}));
  }
}

TOL_NS_END
