#include "encoder/sound_model.h"

#include <algorithm>
#include <cmath>

TOL_NS_BEGIN

namespace {

constexpr double kSafetyMargin = 0.25;  // 6 dB below the masking threshold

double spreadingDb(double distance) {
  const double x = distance + 0.474;
  return 15.81 + 7.5 * x - 17.5 * std::sqrt(1.0 + x * x);
}

}  // namespace

void soundModelInit(SoundModel& model, uint32_t bandCount) {
  model.bandCount = bandCount;
  for (uint32_t j = 0; j < bandCount; ++j) {
    double sum = 0.0;
    for (uint32_t i = 0; i < bandCount; ++i) {
      const double weight = std::pow(10.0, spreadingDb(static_cast<double>(j) - i) / 10.0);
      model.spread[j][i] = static_cast<float>(weight);
      sum += weight;
    }
    model.gain[j] = static_cast<float>(kSafetyMargin / sum);
  }
}

float soundTonality(const float* spectrum, uint32_t bins) {
  if (bins < 2) return 0.0f;
  double logSum = 0.0, sum = 0.0;
  for (uint32_t b = 1; b < bins; ++b) {
    const double power = std::max(1.0, double{spectrum[2 * b]} * spectrum[2 * b] +
                                           double{spectrum[2 * b + 1]} * spectrum[2 * b + 1]);
    logSum += std::log10(power);
    sum += power;
  }
  const double count = bins - 1;
  const double flatnessDb = 10.0 * (logSum / count - std::log10(sum / count));
  return static_cast<float>(std::clamp(flatnessDb / -60.0, 0.0, 1.0));
}

void soundAllowedNoise(const SoundModel& model, const double* energy, float tonality, double* allowed) {
  for (uint32_t j = 0; j < model.bandCount; ++j) {
    double spread = 0.0;
    for (uint32_t i = 0; i < model.bandCount; ++i) spread += energy[i] * model.spread[j][i];
    const double offset = tonality * (14.5 + j) + (1.0 - tonality) * 5.5;
    const double level = spread > 0.0 ? 10.0 * std::log10(spread) : -1e9;
    allowed[j] = level < offset ? 0.0 : std::pow(10.0, (level - offset) / 10.0) * model.gain[j];
  }
}

TOL_NS_END
