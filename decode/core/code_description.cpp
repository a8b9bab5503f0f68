#include "decode/core/code_description.h"

#include <algorithm>

TOL_NS_BEGIN
namespace {

void setInverse(CodeDescription& d) {
  for (int p = 15; p >= 0; --p) d.positionOf[d.symbolAt[p] & 15] = static_cast<uint8_t>(p);
}

// Identity order plus the explicit list: named symbols first, the others in
// ascending order behind them, stopping at 16 positions.
void fillExplicit(CodeDescription& d, unsigned n, const uint8_t* first) {
  bool named[16] = {};
  unsigned pos = 0;
  for (; pos <= n; ++pos) {
    d.symbolAt[pos] = first[pos] & 15;
    named[d.symbolAt[pos]] = true;
  }
  for (unsigned s = 0; s < 16 && pos < 16; ++s)
    if (!named[s]) d.symbolAt[pos++] = static_cast<uint8_t>(s);
}

// One merge pass with runs of `size` over `order`; `decide(a, b, leftA,
// leftB)` says whether the second run's element goes first (bit 1).
template <typename Decide>
void mergePass(uint8_t order[16], unsigned size, Decide&& decide) {
  uint8_t out[16];
  for (unsigned base = 0; base < 16; base += 2 * size) {
    unsigned i = base, j = base + size, k = base;
    const unsigned iEnd = base + size, jEnd = base + 2 * size;
    while (i < iEnd && j < jEnd) {
      if (decide(order[i], order[j], iEnd - i, jEnd - j))
        out[k++] = order[j++];
      else
        out[k++] = order[i++];
    }
    while (i < iEnd) out[k++] = order[i++];
    while (j < jEnd) out[k++] = order[j++];
  }
  std::copy(out, out + 16, order);
}

uint64_t dataBits(const PrefixCode& c, const uint8_t order[16], const uint32_t counts[16]) {
  uint64_t bits = 0;
  for (int p = 0; p < 16; ++p) bits += uint64_t{c.length[p]} * counts[order[p]];
  return bits;
}

}  // namespace

CodeDescription CodeDescription::explicitOrder(unsigned table, unsigned n, const uint8_t* first) {
  CodeDescription d;
  d.table = static_cast<uint8_t>(table & 15);
  d.variant = kExplicit;
  d.param = static_cast<uint8_t>(n & 7);
  fillExplicit(d, d.param, first);
  setInverse(d);
  return d;
}

bool CodeDescription::merged(unsigned table, unsigned d, const uint8_t order[16], CodeDescription& out) {
  uint8_t rank[16];
  for (int p = 0; p < 16; ++p) rank[order[p] & 15] = static_cast<uint8_t>(p);
  uint8_t work[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  for (unsigned pass = 0; pass <= (d & 3); ++pass)
    mergePass(work, 1u << pass, [&](uint8_t a, uint8_t b, unsigned, unsigned) { return rank[b] < rank[a]; });
  if (!std::equal(work, work + 16, order)) return false;
  out = CodeDescription();
  out.table = static_cast<uint8_t>(table & 15);
  out.variant = table ? kMerge : kPlain;
  out.param = static_cast<uint8_t>(d & 3);
  if (table) std::copy(order, order + 16, out.symbolAt);
  setInverse(out);
  return true;
}

void readCodeDescription(BitReader& in, CodeDescription& d) {
  d = CodeDescription();
  d.table = static_cast<uint8_t>(in.read(4));
  if (d.table == 0) return;
  if (in.bit()) {
    d.variant = CodeDescription::kExplicit;
    d.param = static_cast<uint8_t>(in.read(3));
    uint8_t first[8];
    for (unsigned i = 0; i <= d.param; ++i) first[i] = static_cast<uint8_t>(in.read(4));
    fillExplicit(d, d.param, first);
  } else {
    d.variant = CodeDescription::kMerge;
    d.param = static_cast<uint8_t>(in.read(2));
    for (unsigned pass = 0; pass <= d.param; ++pass)
      mergePass(d.symbolAt, 1u << pass, [&](uint8_t, uint8_t, unsigned, unsigned) { return in.bit() != 0; });
  }
  setInverse(d);
}

void writeCodeDescription(BitWriter& out, const CodeDescription& d) {
  out.put(d.table, 4);
  if (d.table == 0) return;
  if (d.variant == CodeDescription::kExplicit) {
    out.put(1, 1);
    out.put(d.param, 3);
    for (unsigned i = 0; i <= d.param; ++i) out.put(d.symbolAt[i], 4);
    return;
  }
  out.put(0, 1);
  out.put(d.param, 2);
  uint8_t work[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  for (unsigned pass = 0; pass <= d.param; ++pass)
    mergePass(work, 1u << pass, [&](uint8_t a, uint8_t b, unsigned, unsigned) {
      const bool second = d.positionOf[b] < d.positionOf[a];
      out.putBit(second);
      return second;
    });
}

unsigned codeDescriptionBits(const CodeDescription& d) {
  if (d.table == 0) return 4;
  if (d.variant == CodeDescription::kExplicit) return 4 + 1 + 3 + 4 * (d.param + 1u);
  BitWriter scratch;
  writeCodeDescription(scratch, d);
  return static_cast<unsigned>(scratch.bitCount());
}

uint64_t chooseCodeDescription(const uint32_t counts[16], CodeDescription& out) {
  uint8_t byFreq[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  std::stable_sort(byFreq, byFreq + 16, [&](uint8_t a, uint8_t b) { return counts[a] > counts[b]; });
  uint64_t total = 0;
  for (int s = 0; s < 16; ++s) total += counts[s];

  out = CodeDescription::plain();
  uint64_t bestCost = 4 * total;
  for (unsigned t = 1; t < 16; ++t) {
    const PrefixCode& c = kPrefixCodes[t];
    uint8_t sortedLen[16];
    std::copy(c.length, c.length + 16, sortedLen);
    std::sort(sortedLen, sortedLen + 16);

    // Explicit: the n + 1 most frequent symbols first.
    CodeDescription bestExplicit;
    uint64_t explicitCost = UINT64_MAX;
    for (unsigned n = 0; n < 8; ++n) {
      CodeDescription d = CodeDescription::explicitOrder(t, n, byFreq);
      uint64_t cost = 3 + 4 * (n + 1) + dataBits(c, d.symbolAt, counts);
      if (cost < explicitCost) {
        explicitCost = cost;
        bestExplicit = d;
      }
    }

    // Merge: passes sort by the ideal code length of each symbol.
    uint8_t key[16];
    for (int r = 0; r < 16; ++r) key[byFreq[r]] = sortedLen[r];
    uint8_t order[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    uint64_t mergeBits = 0, mergeCost = UINT64_MAX;
    uint8_t bestOrder[16];
    unsigned bestD = 0;
    for (unsigned d = 0; d < 4; ++d) {
      mergePass(order, 1u << d, [&](uint8_t a, uint8_t b, unsigned leftA, unsigned leftB) {
        ++mergeBits;
        return key[b] < key[a] || (key[b] == key[a] && leftB < leftA);
      });
      uint64_t cost = 2 + mergeBits + dataBits(c, order, counts);
      if (cost < mergeCost) {
        mergeCost = cost;
        bestD = d;
        std::copy(order, order + 16, bestOrder);
      }
    }

    const uint64_t cost = std::min(explicitCost, mergeCost);
    if (cost < bestCost) {
      bestCost = cost;
      if (mergeCost <= explicitCost)
        CodeDescription::merged(t, bestD, bestOrder, out);
      else
        out = bestExplicit;
    }
  }
  uint64_t bits = codeDescriptionBits(out);
  const PrefixCode& c = kPrefixCodes[out.table];
  for (int s = 0; s < 16; ++s) bits += uint64_t{counts[s]} * c.length[out.positionOf[s]];
  return bits;
}

TOL_NS_END
