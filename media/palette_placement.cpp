#include "media/palette_placement.h"

#include <cmath>
#include <cstdlib>
#include <vector>

TOL_NS_BEGIN

namespace {

// 100 x the distance of two colours, rounded.
uint16_t distance(uint32_t colour, const uint8_t* slot) {
  int32_t dr = static_cast<int32_t>(colour >> 16 & 255) - slot[0];
  int32_t dg = static_cast<int32_t>(colour >> 8 & 255) - slot[1];
  int32_t db = static_cast<int32_t>(colour & 255) - slot[2];
  return static_cast<uint16_t>(std::lround(std::sqrt(static_cast<double>(dr * dr + dg * dg + db * db) * 10000.0)));
}

// A candidate match, ordered by the pass's rule.
struct Match {
  uint64_t cost;
  uint64_t usage;
  uint32_t distance;
  uint32_t gap;
  int32_t colour, slot;
};

// Better partner for a fixed colour or slot: lower cost, then larger usage,
// then smaller distance, then smaller gap.
bool betterPartner(const Match& a, const Match& b) {
  if (a.cost != b.cost) return a.cost < b.cost;
  if (a.usage != b.usage) return a.usage > b.usage;
  if (a.distance != b.distance) return a.distance < b.distance;
  return a.gap < b.gap;
}

// Harder match, placed first: larger cost, then smaller distance, then
// smaller gap.
bool harder(const Match& a, const Match& b) {
  if (a.cost != b.cost) return a.cost > b.cost;
  if (a.distance != b.distance) return a.distance < b.distance;
  return a.gap < b.gap;
}

class Placer {
 public:
  Placer(const uint32_t* colours, int32_t count, const uint8_t* palette, int32_t firstSlot, int32_t slots,
         const uint64_t* usage)
      : count_(count), slots_(slots), usage_(usage + firstSlot), d_(static_cast<size_t>(count) * slots) {
    for (int32_t k = 0; k < count; ++k)
      for (int32_t s = 0; s < slots; ++s) d_[k * slots + s] = distance(colours[k], palette + (firstSlot + s) * 3);
  }

  // Slot of each colour. bySlot: the second pass (each free slot finds its
  // colour) instead of the first (each colour finds its slot).
  std::vector<int32_t> assign(bool bySlot) const {
    std::vector<int32_t> slotOf(count_, -1);
    std::vector<bool> slotTaken(slots_, false);
    const int32_t outer = bySlot ? slots_ : count_, inner = bySlot ? count_ : slots_;
    auto outerFree = [&](int32_t a) { return bySlot ? !slotTaken[a] : slotOf[a] < 0; };
    auto innerFree = [&](int32_t b) { return bySlot ? slotOf[b] < 0 : !slotTaken[b]; };
    // Best partner of each outer element, found again only when taken.
    std::vector<Match> partner(outer);
    std::vector<bool> known(outer, false);
    for (int32_t placed = 0; placed < count_ && placed < slots_; ++placed) {
      int32_t hardest = -1;
      for (int32_t a = 0; a < outer; ++a) {
        if (!outerFree(a)) continue;
        if (!known[a]) {
          bool have = false;
          for (int32_t b = 0; b < inner; ++b) {
            if (!innerFree(b)) continue;
            Match m = match(bySlot ? b : a, bySlot ? a : b);
            if (!have || betterPartner(m, partner[a])) partner[a] = m, have = true;
          }
          known[a] = true;
        }
        if (hardest < 0 || harder(partner[a], partner[hardest])) hardest = a;
      }
      if (hardest < 0) break;
      const Match m = partner[hardest];
      slotOf[m.colour] = m.slot;
      slotTaken[m.slot] = true;
      const int32_t takenInner = bySlot ? m.colour : m.slot;
      for (int32_t a = 0; a < outer; ++a)
        if (known[a] && (bySlot ? partner[a].colour : partner[a].slot) == takenInner) known[a] = false;
    }
    return slotOf;
  }

  // Change the frame on screen sees: usage of each slot x the distance its
  // colour moves.
  uint64_t cost(const std::vector<int32_t>& slotOf) const {
    uint64_t total = 0;
    for (int32_t k = 0; k < count_; ++k)
      if (slotOf[k] >= 0) total += usage_[slotOf[k]] * d_[k * slots_ + slotOf[k]];
    return total;
  }

 private:
  Match match(int32_t k, int32_t s) const {
    uint32_t d = d_[k * slots_ + s];
    return Match{static_cast<uint64_t>(d) * usage_[s], usage_[s], d, static_cast<uint32_t>(std::abs(k - s)), k, s};
  }

  int32_t count_, slots_;
  const uint64_t* usage_;
  std::vector<uint16_t> d_;
};

}  // namespace

void placeColours(const uint32_t* colours, int32_t count, uint8_t* palette, int32_t firstSlot, int32_t slots,
                  const uint64_t* usage) {
  if (count <= 0 || slots <= 0) return;
  Placer placer(colours, count, palette, firstSlot, slots, usage);
  std::vector<int32_t> byColour = placer.assign(false);
  std::vector<int32_t> bySlot = placer.assign(true);
  const std::vector<int32_t>& chosen = placer.cost(byColour) < placer.cost(bySlot) ? byColour : bySlot;
  for (int32_t k = 0; k < count; ++k) {
    if (chosen[k] < 0) continue;
    uint8_t* p = palette + (firstSlot + chosen[k]) * 3;
    p[0] = static_cast<uint8_t>(colours[k] >> 16);
    p[1] = static_cast<uint8_t>(colours[k] >> 8);
    p[2] = static_cast<uint8_t>(colours[k]);
  }
}

TOL_NS_END
