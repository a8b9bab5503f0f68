#include "decode/core/idct.h"

TOL_NS_BEGIN
namespace {

// Wrapping 32-bit arithmetic without undefined behaviour.
inline int32_t add(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
inline int32_t sub(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
inline int32_t mul(int32_t x, int32_t k) {
  return static_cast<int32_t>(static_cast<uint32_t>(x) * static_cast<uint32_t>(k)) >> 11;
}

// s: eight inputs at stride `in`; o: eight outputs at stride `out`.
inline void butterfly(const int32_t* s, int in, int32_t* o, int out) {
  const int32_t s0 = s[0], s1 = s[in], s2 = s[2 * in], s3 = s[3 * in];
  const int32_t s4 = s[4 * in], s5 = s[5 * in], s6 = s[6 * in], s7 = s[7 * in];
  const int32_t a0 = add(s0, s4), a1 = sub(s0, s4), a2 = add(s2, s6), a3 = mul(sub(s2, s6), 2896);
  const int32_t a4 = add(s5, s3), a5 = sub(s5, s3), a6 = add(s1, s7), a7 = sub(s1, s7);
  const int32_t b0 = add(a4, a6);
  const int32_t b1 = mul(add(a5, a7), 3784);
  const int32_t b2 = add(sub(mul(a5, -5352), b0), b1);
  const int32_t b3 = sub(mul(sub(a6, a4), 2896), b2);
  const int32_t b4 = sub(add(mul(a7, 2217), b3), b1);
  o[0] = add(add(a0, a2), b0);
  o[out] = add(sub(add(a1, a3), a2), b2);
  o[2 * out] = add(add(sub(a1, a3), a2), b3);
  o[3 * out] = sub(sub(a0, a2), b4);
  o[4 * out] = add(sub(a0, a2), b4);
  o[5 * out] = sub(add(sub(a1, a3), a2), b3);
  o[6 * out] = sub(sub(add(a1, a3), a2), b2);
  o[7 * out] = sub(add(a0, a2), b0);
}

}  // namespace

void idctSamples(const int32_t coef[64], const int32_t table[64], uint8_t samples[64]) {
  int32_t tmp[64];
  for (int c = 0; c < 8; ++c) {
    int32_t in[8];
    bool acZero = true;
    for (int r = 0; r < 8; ++r) {
      in[r] = mul(coef[8 * r + c], table[8 * r + c]);
      if (r && coef[8 * r + c]) acZero = false;
    }
    if (acZero) {
      for (int r = 0; r < 8; ++r) tmp[8 * r + c] = in[0];
    } else {
      butterfly(in, 1, tmp + c, 8);
    }
  }
  for (int r = 0; r < 8; ++r) {
    int32_t out[8];
    butterfly(tmp + 8 * r, 1, out, 1);
    for (int k = 0; k < 8; ++k) samples[8 * r + k] = static_cast<uint8_t>(add(out[k], 127) >> 8);
  }
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
