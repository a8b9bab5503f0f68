#include "decode/core/idct.h"

#include "decode/core/idct_butterfly.h"

TOL_NS_BEGIN
namespace {

// Wrapping 32-bit arithmetic without undefined behaviour.
struct ScalarOps {
  static int32_t add(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
  }
  static int32_t sub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
  }
  static int32_t mul(int32_t x, int32_t k) {
    return static_cast<int32_t>(static_cast<uint32_t>(x) * static_cast<uint32_t>(k)) >> 11;
  }
};

IdctSamplesFn chooseIdct() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return idctSamplesAvx2;  // also checks OS support
  if (__builtin_cpu_supports("sse4.1")) return idctSamplesSse41;
#endif
  return idctSamplesPlain;
}

}  // namespace

void idctSamplesPlain(const int32_t coef[64], const int32_t table[64], uint8_t samples[64]) {
  int32_t tmp[64];
  for (int c = 0; c < 8; ++c) {
    int32_t in[8], out[8];
    bool acZero = true;
    for (int r = 0; r < 8; ++r) {
      in[r] = ScalarOps::mul(coef[8 * r + c], table[8 * r + c]);
      if (r && coef[8 * r + c]) acZero = false;
    }
    if (acZero) {
      for (int r = 0; r < 8; ++r) tmp[8 * r + c] = in[0];
    } else {
      idctButterfly<ScalarOps>(in, out);
      for (int r = 0; r < 8; ++r) tmp[8 * r + c] = out[r];
    }
  }
  for (int r = 0; r < 8; ++r) {
    int32_t out[8];
    idctButterfly<ScalarOps>(tmp + 8 * r, out);
    for (int k = 0; k < 8; ++k) samples[8 * r + k] = static_cast<uint8_t>(ScalarOps::add(out[k], 127) >> 8);
  }
}

IdctSamplesFn idctSamplesKernel() {
  static const IdctSamplesFn kernel = chooseIdct();
  return kernel;
}

void idctSamples(const int32_t coef[64], const int32_t table[64], uint8_t samples[64]) {
  idctSamplesKernel()(coef, table, samples);
}

void idctPut(uint8_t* dst, ptrdiff_t pitch, const int32_t coef[64], const int32_t table[64]) {
  uint8_t s[64];
  idctSamples(coef, table, s);
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c) dst[r * pitch + c] = s[8 * r + c];
}

void idctPutScaled(uint8_t* dst, ptrdiff_t pitch, const int32_t coef[64], const int32_t table[64]) {
  uint8_t s[64];
  idctSamples(coef, table, s);
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c) dst[r * pitch + c] = s[8 * (r / 2) + c / 2];
}

void idctAdd(uint8_t* dst, ptrdiff_t pitch, const uint8_t* pred, ptrdiff_t predPitch, const int32_t coef[64],
             const int32_t table[64]) {
  uint8_t s[64];
  idctSamples(coef, table, s);
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c) dst[r * pitch + c] = static_cast<uint8_t>(pred[r * predPitch + c] + s[8 * r + c]);
}

TOL_NS_END
