// The coder walks a list of entries once per bit plane, from the top plane
// N down to 1. Every visit of a live entry costs one bit; an entry fires at
// one plane, fixed by the planes of the coefficients it covers, and then
// codes its quad or splits. So each entry's cost follows from the plane at
// which it is first visited and the plane at which it fires:
//  - a single coefficient k (mode 3) first visited at plane s: s bits if it
//    stays 0; otherwise s - sig + 1 bits and a value of sig bits, s + 1 in
//    all;
//  - a quad decoded at plane q (q at least its top plane): 4 bits, then per
//    member either a value of q bits (its plane is q) or a single entry from
//    plane q - 1: 4 + 4q - z bits for a quad with z zero members;
//  - a quad entry (mode 2) first visited at s: fires at the quad's top plane
//    f, so s - f + 1 + 4 + 4f - z = s + 3f + 5 - z bits (s if f = 0);
//  - a group entry (mode 1) first visited at s: fires at the group's top
//    plane F, then its four quads are visited at F: s + 3F + 1 plus
//    3f + 5 - z for each quad with f > 0 (s if F = 0);
//  - an opening entry (mode 0) at quad i: fires at f, the quad's plane, or
//    one plane above the group's (the next four quads) when that is higher;
//    its quad is decoded there and the group entry is first visited one
//    plane lower.
// The block: 4 bits of N, the three openings (quads 1, 6, 11) and the
// single coefficients 1..3, all first visited at N.
#include "encoder/coefficient_cost.h"

#include <algorithm>
#include <bit>

#include "decode/core/scan_orders.h"

TOL_NS_BEGIN
namespace {

struct Opening {
  unsigned fire;  // the plane at which it fires (0: never)
  unsigned bits;  // its bits beyond those of its visits down to N
};

// The opening entry of quad o, its group being quads o + 1 .. o + 4.
// Branch-free: a quad whose top plane is 0 has four zeros, so
// 3 top + 5 - zeros - 1 is its 0 bits.
inline Opening opening(const QuadPlanes& p, unsigned o) {
  const unsigned group = std::max({p.top[o + 1], p.top[o + 2], p.top[o + 3], p.top[o + 4]});
  unsigned quads = 0;
  for (unsigned j = o + 1; j <= o + 4; ++j) quads += 3u * p.top[j] + 5u - p.zeros[j] - (p.top[j] == 0);
  const unsigned f = group ? std::max<unsigned>(p.top[o], group + 1) : p.top[o];
  const unsigned bits = 3 * f + 5 - p.zeros[o] + (group ? f + 3 * group + quads : f - 1);
  return {f, f ? bits : 0};
}

using CostFn = uint32_t (*)(const int32_t coef[64]);

CostFn chooseCost() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  if (__builtin_cpu_supports("sse4.1")) return coefficientCostSse41;
#endif
  return coefficientCostPlain;
}

}  // namespace

void quadPlanesPlain(const int32_t coef[64], QuadPlanes& p) {
  uint8_t sig[64];
  sig[0] = 0;
  for (unsigned k = 1; k < 64; ++k) {
    const int32_t v = coef[kCoefficientScan[k]];
    const uint32_t magnitude = static_cast<uint32_t>(v < 0 ? -static_cast<int64_t>(v) : v);
    const uint32_t m = std::min<uint32_t>(magnitude, coefficientLimit(k));
    sig[k] = static_cast<uint8_t>(std::bit_width(m));
  }
  for (unsigned j = 0; j < 16; ++j) {
    const uint8_t* s = sig + 4 * j;
    p.top[j] = std::max(std::max(s[0], s[1]), std::max(s[2], s[3]));
    p.zeros[j] = static_cast<uint8_t>((s[0] == 0) + (s[1] == 0) + (s[2] == 0) + (s[3] == 0));
  }
}

uint32_t costFromQuadPlanes(const QuadPlanes& p) {
  const Opening a = opening(p, 1), b = opening(p, 6), c = opening(p, 11);
  const unsigned n = std::max({a.fire, b.fire, c.fire, unsigned{p.top[0]}});
  if (n == 0) return 4;
  // Six entries first visited at N; the singles 1..3 that are not 0 one bit more.
  return 4 + 6 * n + (4u - p.zeros[0]) + a.bits + b.bits + c.bits;
}

uint32_t coefficientCostPlain(const int32_t coef[64]) {
  QuadPlanes p;
  quadPlanesPlain(coef, p);
  return costFromQuadPlanes(p);
}

uint32_t coefficientCost(const int32_t coef[64]) {
  static const CostFn cost = chooseCost();
  return cost(coef);
}

TOL_NS_END
