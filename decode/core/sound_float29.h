// The 29-bit float of Zurn sound blocks, which carries the two real-only
// spectrum bins (bin 0 and bin length / 2). Read as one 29-bit field from
// its low end: bits 0-4 exponent e, bits 5-27 mantissa m, bit 28 sign
// (1 = negative); the value is m x 2^(e - 23).
//
// Only exponents 0 to 23 have a meaning. Exponents 24 to 31 never come from
// the coder (a mantissa of 23 bits at exponent 23 already exceeds any value a
// block can hold), so they mark a damaged field and decode to 0: a damaged
// block then loses its constant term instead of jumping to full scale.
#pragma once

#include <cmath>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

constexpr uint32_t kFloat29Bits = 29;
constexpr uint32_t kFloat29MaxExponent = 23;
constexpr uint32_t kFloat29MantissaBits = 23;

inline float float29Decode(uint32_t field) {
  const uint32_t exponent = field & 31;
  const uint32_t mantissa = (field >> 5) & ((1u << kFloat29MantissaBits) - 1);
  if (exponent > kFloat29MaxExponent) return 0.0f;
  // Exact: a 23-bit integer times a power of two fits a float.
  const float value = std::ldexp(static_cast<float>(mantissa), static_cast<int>(exponent) - 23);
  return (field >> 28) & 1 ? -value : value;
}

// Nearest 29-bit float to value, with the smallest exponent that holds its
// magnitude (the finest scale); magnitudes beyond the range saturate.
inline uint32_t float29Encode(float value) {
  const uint32_t sign = std::signbit(value) ? 1u : 0u;
  const double magnitude = std::fabs(static_cast<double>(value));
  constexpr double kMantissaLimit = 1u << kFloat29MantissaBits;
  uint32_t exponent = 0;
  double mantissa = std::nearbyint(magnitude * kMantissaLimit);  // m at e = 0: scale 2^-23
  while (mantissa >= kMantissaLimit && exponent < kFloat29MaxExponent) {
    ++exponent;
    mantissa = std::nearbyint(std::ldexp(magnitude, 23 - static_cast<int>(exponent)));
  }
  if (!(mantissa < kMantissaLimit)) mantissa = kMantissaLimit - 1;  // saturate (and NaN)
  return exponent | static_cast<uint32_t>(mantissa) << 5 | sign << 28;
}

TOL_NS_END
