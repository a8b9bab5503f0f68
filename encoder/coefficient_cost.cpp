// The coder walks a list of entries once per bit plane, from the top plane
// N down to 1. Every visit of a live entry costs one bit; an entry fires at
// one plane, fixed by the planes of the coefficients it covers, and then
// codes its quad or splits. So each entry's cost follows from the plane at
// which it is first visited and the plane at which it fires:
//  - a single coefficient k (mode 3) first visited at plane s: s bits if it
//    stays 0; otherwise s - sig + 1 bits and a value of sig bits;
//  - a quad i..i+3 decoded at plane q: 4 bits, then per member either a
//    value of q bits (its plane is q) or a single entry from plane q - 1;
//  - a quad entry (mode 2) first visited at s: fires at the quad's top plane;
//  - a group entry (mode 1) first visited at s: fires at the group's top
//    plane F, then its four quads are visited at F;
//  - an opening entry (mode 0) at i: fires at the quad's plane, or one plane
//    above the group's (i+4..i+19) when that is higher; its quad is decoded
//    there and the group entry is first visited one plane lower.
#include "encoder/coefficient_cost.h"

#include <algorithm>
#include <array>

#include "decode/core/scan_orders.h"

TOL_NS_BEGIN
namespace {

struct Planes {
  uint8_t sig[64];      // bit length of the magnitude, by coefficient index
  uint8_t quadTop[16];  // the largest of sig[4j .. 4j + 3]

  // The top plane of the `count` (4 or 16) coefficients from `from`.
  unsigned top(unsigned from, unsigned count) const {
    unsigned m = quadTop[from / 4];
    for (unsigned j = from / 4 + 1; j < (from + count) / 4; ++j) m = std::max<unsigned>(m, quadTop[j]);
    return m;
  }

  // Visits from start down to sig (the last one fires), then sig bits.
  unsigned single(unsigned k, unsigned start) const { return sig[k] ? start + 1 : start; }
  unsigned quad(unsigned i, unsigned q) const {
    unsigned bits = 4;
    for (unsigned m = i; m < i + 4; ++m) bits += sig[m] == q ? q : single(m, q - 1);
    return bits;
  }
  unsigned quadEntry(unsigned i, unsigned start) const {
    const unsigned f = top(i, 4);
    if (f == 0) return start;
    return start - f + 1 + quad(i, f);
  }
  unsigned groupEntry(unsigned i, unsigned start) const {
    const unsigned f = top(i, 16);
    if (f == 0) return start;
    return start - f + 1 + quadEntry(i, f) + quadEntry(i + 4, f) + quadEntry(i + 8, f) + quadEntry(i + 12, f);
  }
  unsigned firePlane(unsigned i) const {
    const unsigned group = top(i + 4, 16), q = top(i, 4);
    return group ? std::max(q, group + 1) : q;
  }
  unsigned opening(unsigned i, unsigned start) const {
    const unsigned f = firePlane(i);
    if (f == 0) return start;
    return start - f + 1 + quad(i, f) + groupEntry(i + 4, f - 1);
  }
};

// The coder's limits by coefficient index: 16383 for the grouped indices
// 8..23, 28..43 and 48..63, 32767 for the others.
constexpr std::array<uint16_t, 64> kLimit = [] {
  std::array<uint16_t, 64> l{};
  for (unsigned k = 0; k < 64; ++k) {
    const bool grouped = (k >= 8 && k < 24) || (k >= 28 && k < 44) || k >= 48;
    l[k] = grouped ? 16383 : 32767;
  }
  return l;
}();

}  // namespace

uint32_t coefficientCost(const int32_t coef[64]) {
  Planes p;
  p.sig[0] = 0;
  for (unsigned k = 1; k < 64; ++k) {
    const int32_t v = coef[kCoefficientScan[k]];
    const uint32_t magnitude = static_cast<uint32_t>(v < 0 ? -static_cast<int64_t>(v) : v);
    const uint32_t m = std::min<uint32_t>(magnitude, kLimit[k]);
    // Bit length without a branch on 0 (most coefficients are 0).
    p.sig[k] = static_cast<uint8_t>(32 - __builtin_clz(m | 1) - (m == 0));
  }
  for (unsigned j = 0; j < 16; ++j)
    p.quadTop[j] = std::max(std::max(p.sig[4 * j], p.sig[4 * j + 1]), std::max(p.sig[4 * j + 2], p.sig[4 * j + 3]));
  unsigned n = std::max({p.firePlane(4), p.firePlane(24), p.firePlane(44), unsigned{p.sig[1]}, unsigned{p.sig[2]},
                         unsigned{p.sig[3]}});
  if (n == 0) return 4;
  return 4 + p.opening(4, n) + p.opening(24, n) + p.opening(44, n) + p.single(1, n) + p.single(2, n) +
         p.single(3, n);
}

TOL_NS_END
