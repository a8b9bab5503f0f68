#include "media/colour_boxes.h"

#include <utility>
#include <vector>

TOL_NS_BEGIN

namespace {

constexpr int64_t kWeights[3] = {30, 58, 12};  // red, green, blue
constexpr uint64_t kNoCutYet = 0x1FFFFFFDE0000002ull;

inline uint32_t component(uint32_t key, int c) { return key >> (12 - 6 * c) & 63; }
inline uint32_t widen(uint32_t c6) { return c6 << 2 | c6 >> 4; }

// Sums over a set of colours, enough for its mean and squared error.
struct Moments {
  uint64_t pixels = 0, colours = 0;
  uint64_t sum[3] = {}, squares[3] = {};
  uint32_t firstKey = 0;  // meaningful when colours == 1

  void add(uint32_t key, uint64_t n) {
    if (colours == 0) firstKey = key;
    pixels += n;
    ++colours;
    for (int c = 0; c < 3; ++c) {
      uint64_t v = component(key, c);
      sum[c] += n * v;
      squares[c] += n * v * v;
    }
  }
  void add(const Moments& o) {
    if (colours == 0) firstKey = o.firstKey;
    pixels += o.pixels;
    colours += o.colours;
    for (int c = 0; c < 3; ++c) sum[c] += o.sum[c], squares[c] += o.squares[c];
  }
  Moments minus(const Moments& o) const {
    Moments r = *this;
    r.pixels -= o.pixels;
    r.colours -= o.colours;
    for (int c = 0; c < 3; ++c) r.sum[c] -= o.sum[c], r.squares[c] -= o.squares[c];
    return r;
  }
  uint32_t mean8(int c) const {
    return colours == 1 ? widen(component(firstKey, c)) : static_cast<uint32_t>(sum[c] * 4 / pixels);
  }
  uint32_t mean() const { return mean8(0) << 16 | mean8(1) << 8 | mean8(2); }
  // Sum of count x weighted squared distance to the mean (6-bit components).
  uint64_t error() const {
    if (colours <= 1) return 0;
    int64_t e = 0;
    for (int c = 0; c < 3; ++c) {
      int64_t m = mean8(c) >> 2;
      e += kWeights[c] * (static_cast<int64_t>(squares[c]) - 2 * m * static_cast<int64_t>(sum[c]) +
                          m * m * static_cast<int64_t>(pixels));
    }
    return static_cast<uint64_t>(e);
  }
};

struct Box {
  uint32_t start = 0, size = 0;
  uint32_t mean = 0;
  uint64_t error = 0;
  // Best cut: the first `cut` keys form part one.
  uint32_t cut = 0;
  uint32_t mean1 = 0, mean2 = 0;
  uint64_t error1 = 0, error2 = 0;
  int64_t gain() const { return static_cast<int64_t>(error - error1 - error2); }
};

class Splitter {
 public:
  Splitter(const uint64_t* histogram, std::vector<uint32_t>& keys) : histogram_(histogram), keys_(keys) {}

  void describe(Box& b) const {
    Moments m;
    for (uint32_t i = b.start; i < b.start + b.size; ++i) m.add(keys_[i], histogram_[keys_[i]]);
    b.mean = m.mean();
    b.error = m.error();
  }

  // Candidate cut i (0 to 511): part one holds the colours whose components
  // are all at or below the thresholds, t = i & 63 for each component whose
  // bit (6 red, 7 green, 8 blue) is clear, 63 where it is set. Candidates
  // sharing the set bits are summed per level of the largest constrained
  // component and then cut at each t.
  void findCut(Box& b) {
    uint32_t* k = keys_.data() + b.start;
    if (b.size <= 2) {
      b.cut = 1;
      b.mean1 = meanOf(k[0]);
      b.mean2 = meanOf(k[b.size - 1]);
      b.error1 = b.error2 = 0;
      return;
    }
    Moments total;
    for (Moments& m : levels_) m = Moments{};
    for (uint32_t i = 0; i < b.size; ++i) {
      const uint32_t key = k[i];
      const uint64_t n = histogram_[key];
      total.add(key, n);
      for (uint32_t group = 0; group < 7; ++group) levels_[group * 64 + level(key, group)].add(key, n);
    }
    uint64_t best = kNoCutYet;
    uint32_t bestCandidate = 0;
    Moments bestOne, bestTwo;
    for (uint32_t group = 0; group < 7; ++group) {
      Moments one;
      for (uint32_t t = 0; t < 64; ++t) {
        one.add(levels_[group * 64 + t]);
        if (one.colours == 0 || one.colours == total.colours) continue;
        Moments two = total.minus(one);
        uint64_t e = one.error() + two.error();
        if (e < best) {
          best = e;
          bestCandidate = group * 64 + t;
          bestOne = one;
          bestTwo = two;
        }
      }
    }
    if (best == kNoCutYet) {  // cannot happen for distinct colours; keep the box whole
      b.cut = b.size;
      b.error1 = b.error;
      b.error2 = 0;
      return;
    }
    // Part one first: colours of part two are swapped to the end.
    const uint32_t group = bestCandidate >> 6, t = bestCandidate & 63;
    uint32_t end = b.size;
    for (uint32_t i = 0; i < end;) {
      if (level(k[i], group) <= t)
        ++i;
      else
        std::swap(k[i], k[--end]);
    }
    b.cut = end;
    b.mean1 = bestOne.mean();
    b.mean2 = bestTwo.mean();
    b.error1 = bestOne.error();
    b.error2 = bestTwo.error();
  }

 private:
  static uint32_t meanOf(uint32_t key) {
    return widen(component(key, 0)) << 16 | widen(component(key, 1)) << 8 | widen(component(key, 2));
  }
  // Largest component among those the group constrains (bit 0 of the group
  // frees red, bit 1 green, bit 2 blue).
  static uint32_t level(uint32_t key, uint32_t group) {
    uint32_t v = 0;
    for (int c = 0; c < 3; ++c)
      if (!(group >> c & 1) && component(key, c) > v) v = component(key, c);
    return v;
  }

  const uint64_t* histogram_;
  std::vector<uint32_t>& keys_;
  Moments levels_[7 * 64];
};

}  // namespace

int32_t reduceColours(const uint64_t* histogram, int32_t target, uint32_t* colours,
                      const ReductionProgress& progress) {
  std::vector<uint32_t> keys;
  for (uint32_t key = 0; key < kColourKeys; ++key)
    if (histogram[key]) keys.push_back(key);
  if (keys.empty() || target < 1) return 0;

  Splitter splitter(histogram, keys);
  std::vector<Box> boxes(1);
  boxes[0].size = static_cast<uint32_t>(keys.size());
  splitter.describe(boxes[0]);
  if (target >= 2) {
    splitter.findCut(boxes[0]);
    for (int32_t splits = 0;; ++splits) {
      if (progress && progress(splits * 100 / target + 1, splits == 0)) break;
      size_t chosen = 0;
      for (size_t i = 1; i < boxes.size(); ++i)
        if (boxes[i].gain() > boxes[chosen].gain()) chosen = i;
      if (boxes[chosen].gain() <= 0) break;
      Box& b = boxes[chosen];
      Box second;
      second.start = b.start + b.cut;
      second.size = b.size - b.cut;
      second.mean = b.mean2;
      second.error = b.error2;
      b.size = b.cut;
      b.mean = b.mean1;
      b.error = b.error1;
      splitter.findCut(b);
      splitter.findCut(second);
      boxes.push_back(second);
      if (static_cast<int32_t>(boxes.size()) >= target) break;
    }
  }
  for (size_t i = 0; i < boxes.size(); ++i) colours[i] = boxes[i].mean;
  return static_cast<int32_t>(boxes.size());
}

TOL_NS_END
