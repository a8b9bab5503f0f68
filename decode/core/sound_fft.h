// Power-of-two complex FFT in single precision, the transform of Zurn sound
// blocks. Both directions of the codec use the same kernel,
//   X[k] = sum over n of x[n] * e^(-2 pi i k n / size),
// the coder on the conjugated input, the decoder on the coded spectrum.
//
// The tables live in caller-provided storage (soundFftStorageBytes) so that
// a coder or decoder keeps everything in its one allocation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

struct SoundFft {
  uint32_t size = 0;                // complex points, a power of two (2 to 4096)
  const float* twiddle = nullptr;   // size / 2 pairs: cos, -sin of 2 pi k / size
  const uint16_t* swap = nullptr;   // pairs (i, j), i < j, of the bit-reversal permutation
  uint32_t swapCount = 0;
};

size_t soundFftStorageBytes(uint32_t size);
// storage: soundFftStorageBytes(size) bytes, 4-byte aligned, kept alive with fft.
void soundFftInit(SoundFft& fft, uint32_t size, void* storage);
// In place over size interleaved (real, imaginary) pairs.
void soundFftForward(const SoundFft& fft, float* data);

TOL_NS_END
