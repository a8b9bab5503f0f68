#include "decode/core/sound_fft.h"

#include <cmath>
#include <numbers>
#include <utility>

TOL_NS_BEGIN

namespace {

uint32_t log2Of(uint32_t size) {
  uint32_t bits = 0;
  while ((1u << bits) < size) ++bits;
  return bits;
}

uint32_t reverseBits(uint32_t value, uint32_t bits) {
  uint32_t out = 0;
  for (uint32_t b = 0; b < bits; ++b) out |= ((value >> b) & 1) << (bits - 1 - b);
  return out;
}

// Pairs exchanged by the bit-reversal permutation: at most size / 2.
uint32_t swapCapacity(uint32_t size) { return size / 2; }

}  // namespace

size_t soundFftStorageBytes(uint32_t size) {
  return static_cast<size_t>(size) * sizeof(float) + swapCapacity(size) * 2 * sizeof(uint16_t);
}

void soundFftInit(SoundFft& fft, uint32_t size, void* storage) {
  float* twiddle = static_cast<float*>(storage);
  uint16_t* swap = reinterpret_cast<uint16_t*>(twiddle + size);
  // Twiddles computed in double and rounded once, for the accuracy of the
  // single-precision butterflies.
  for (uint32_t k = 0; k < size / 2; ++k) {
    const double angle = 2.0 * std::numbers::pi * k / size;
    twiddle[2 * k] = static_cast<float>(std::cos(angle));
    twiddle[2 * k + 1] = static_cast<float>(-std::sin(angle));
  }
  const uint32_t bits = log2Of(size);
  uint32_t pairs = 0;
  for (uint32_t i = 0; i < size; ++i) {
    const uint32_t j = reverseBits(i, bits);
    if (i < j) {
      swap[2 * pairs] = static_cast<uint16_t>(i);
      swap[2 * pairs + 1] = static_cast<uint16_t>(j);
      ++pairs;
    }
  }
  fft.size = size;
  fft.twiddle = twiddle;
  fft.swap = swap;
  fft.swapCount = pairs;
}

void soundFftForward(const SoundFft& fft, float* data) {
  const uint32_t size = fft.size;
  for (uint32_t p = 0; p < fft.swapCount; ++p) {
    const uint32_t i = fft.swap[2 * p], j = fft.swap[2 * p + 1];
    std::swap(data[2 * i], data[2 * j]);
    std::swap(data[2 * i + 1], data[2 * j + 1]);
  }
  // Radix-2 decimation in time: butterflies of span `half` combine the
  // transforms of the even and odd halves of each group of 2 * half points.
  for (uint32_t half = 1; half < size; half *= 2) {
    const uint32_t stride = size / (2 * half);  // twiddle step for this span
    for (uint32_t k = 0; k < half; ++k) {
      const float wr = fft.twiddle[2 * k * stride];
      const float wi = fft.twiddle[2 * k * stride + 1];
      for (uint32_t start = k; start < size; start += 2 * half) {
        float* a = data + 2 * start;
        float* b = data + 2 * (start + half);
        const float br = b[0] * wr - b[1] * wi;
        const float bi = b[0] * wi + b[1] * wr;
        b[0] = a[0] - br;
        b[1] = a[1] - bi;
        a[0] += br;
        a[1] += bi;
      }
    }
  }
}

TOL_NS_END
