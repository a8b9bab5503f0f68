// Deterministic test signals for the sound tests, interleaved 16-bit.
// speechLike: voiced stretches (a gliding 120 Hz pitch with its harmonics
// shaped by three formants), unvoiced noise bursts and pauses, 0.6 s apart.
// musicLike: a plucked five-note chord with decaying harmonics, notes
// panned across the stereo field, restruck every 0.8 s.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace soundtest {

inline int16_t toPcm(double v) { return static_cast<int16_t>(std::clamp(std::lround(v), -32768l, 32767l)); }

inline std::vector<int16_t> speechLike(uint32_t rate, uint32_t channels, double seconds) {
  constexpr double pi = std::numbers::pi;
  const uint32_t frames = static_cast<uint32_t>(rate * seconds);
  std::vector<int16_t> out(size_t{frames} * channels);
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0.0, 1.0);
  double phase = 0.0;
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate, inSyllable = std::fmod(t, 0.6);
    double v = 0.0;
    if (inSyllable < 0.35) {
      const double f0 = 120.0 + 40.0 * std::sin(2 * pi * 1.3 * t);
      phase += 2 * pi * f0 / rate;
      for (int h = 1; h < 40 && h * f0 < rate / 2.0; ++h) {
        const double f = h * f0;
        const double formants = std::exp(-std::pow((f - 700) / 300, 2)) + 0.6 * std::exp(-std::pow((f - 1200) / 400, 2)) +
                                0.3 * std::exp(-std::pow((f - 2600) / 500, 2)) + 0.02;
        v += formants * std::sin(h * phase);
      }
      v *= 4000.0 * std::sin(pi * inSyllable / 0.35);
    } else if (inSyllable < 0.45) {
      v = 1500.0 * noise(rng) * std::sin(pi * (inSyllable - 0.35) / 0.1);
    }
    for (uint32_t c = 0; c < channels; ++c) out[size_t{i} * channels + c] = toPcm(c ? 0.8 * v : v);
  }
  return out;
}

inline std::vector<int16_t> musicLike(uint32_t rate, uint32_t channels, double seconds) {
  constexpr double pi = std::numbers::pi;
  constexpr double notes[5] = {196.0, 246.9, 293.7, 392.0, 493.9};
  const uint32_t frames = static_cast<uint32_t>(rate * seconds);
  std::vector<int16_t> out(size_t{frames} * channels);
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    double left = 0.0, right = 0.0;
    for (int n = 0; n < 5; ++n) {
      const double age = std::fmod(t - 0.12 * n + 0.8, 0.8);  // time since the note was struck
      double note = 0.0;
      for (int h = 1; h <= 8 && h * notes[n] < rate / 2.0; ++h)
        note += std::sin(2 * pi * h * notes[n] * t + n) * std::exp(-0.4 * h * (1 + 2 * age)) / h;
      note *= 5000.0 * std::exp(-3.0 * age);
      const double pan = 0.2 * n;
      left += note * (1.0 - 0.5 * pan);
      right += note * (0.5 + 0.5 * pan);
    }
    out[size_t{i} * channels] = toPcm(left);
    if (channels == 2) out[size_t{i} * channels + 1] = toPcm(right);
  }
  return out;
}

// Signal-to-noise ratio in dB of a decoded signal against its source, from
// sample `from` over the shorter of the two.
inline double snrDb(const std::vector<int16_t>& source, const std::vector<int16_t>& decoded, size_t from = 0) {
  double signal = 0.0, noise = 0.0;
  for (size_t i = from; i < std::min(source.size(), decoded.size()); ++i) {
    const double s = source[i], e = s - decoded[i];
    signal += s * s;
    noise += e * e;
  }
  return 10.0 * std::log10(signal / std::max(noise, 1e-9));
}

}  // namespace soundtest
