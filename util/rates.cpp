#include "util/rates.h"

#include <cstdlib>
#include <numeric>

TOL_NS_BEGIN

void reduceFraction(int64_t& a, int64_t& b) {
  if (a == 0 || b == 0) return;
  // Magnitudes of 32-bit products fit; std::gcd works on the absolute values.
  int64_t g = std::gcd(a, b);
  a /= g;
  b /= g;
}

void GCDNums(int32_t* a, int32_t* b) {
  if (!a || !b) return;
  int64_t x = *a, y = *b;
  reduceFraction(x, y);
  // Only -2^31 over a divisor of 1 keeps its magnitude, so both still fit.
  *a = static_cast<int32_t>(x);
  *b = static_cast<int32_t>(y);
}

int32_t MakeFrameRate(int32_t rate) {
  if (rate == 0) return 0;
  int64_t r = rate;
  int64_t result = r > 0 ? 100000 / r : r >= -1500 ? -r * 100 : -r;
  if (result < 5) result = 5;
  return result > INT32_MAX ? INT32_MAX : static_cast<int32_t>(result);
}

TOL_NS_END
