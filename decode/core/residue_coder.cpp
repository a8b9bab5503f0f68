#include "decode/core/residue_coder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

#include "decode/core/scan_orders.h"
#include "decode/core/significance_walk.h"

TOL_NS_BEGIN
namespace {

constexpr WalkEntry kInitial[] = {{4, 0}, {24, 0}, {44, 0}, {0, 2}};

bool grouped(unsigned k) { return (k >= 8 && k < 24) || (k >= 28 && k < 44) || k >= 48; }

// Residue values live as 8-bit two's complement; `plane` p has mask 2^(p-1).
struct Reader {
  BitReader& in;
  uint8_t* resid;
  unsigned opsLeft;
  uint8_t set[64] = {};
  unsigned setCount = 0;

  bool refine(unsigned plane) {
    const uint8_t mask = static_cast<uint8_t>(1u << (plane - 1));
    for (unsigned i = 0; i < setCount; ++i) {
      if (!in.bit()) continue;
      uint8_t& v = resid[kCoefficientScan[set[i]]];
      v = static_cast<uint8_t>(v & 0x80 ? v - mask : v + mask);
      if (--opsLeft == 0) return false;
    }
    return true;
  }
  bool entryBit(unsigned, unsigned, unsigned) { return in.bit() != 0; }
  bool quadBit(unsigned, unsigned) { return in.bit() != 0; }
  void value(unsigned index, unsigned plane) {
    const uint8_t mask = static_cast<uint8_t>(1u << (plane - 1));
    resid[kCoefficientScan[index]] = in.bit() ? static_cast<uint8_t>(-mask) : mask;
    set[setCount++] = static_cast<uint8_t>(index);
    --opsLeft;
  }
  bool stopped() const { return opsLeft == 0; }
};

// Appends bits to the code's fixed word array, a word at a time.
struct CodeSink {
  ResidueCode& code;
  uint32_t bits = 0;  // written so far
  uint32_t word = 0;  // the bits of the word being filled
  unsigned opCount = 0;

  void putBit(bool b) {
    word |= uint32_t{b} << (bits % 32);
    if (++bits % 32 == 0) {
      if (bits / 32 <= std::size(code.words)) code.words[bits / 32 - 1] = word;
      word = 0;
    }
  }
  void op(unsigned index, uint8_t value) { opIf(true, index, value); }
  // Records the operation only when `happened`, without a branch on it.
  void opIf(bool happened, unsigned index, uint8_t value) {
    if (opCount >= ResidueCode::kMaxOps) return;
    code.ops[opCount] = ResidueOperation{static_cast<uint16_t>(bits), kCoefficientScan[index], value};
    opCount += happened;
  }
  void finish() {
    if (bits % 32 && bits / 32 < std::size(code.words)) code.words[bits / 32] = word;
    code.totalBits = bits;
    code.opCount = opCount;
  }
};

// The writer's side of the significance walk, for speed: the same order of
// visits as SignificanceList (which the reader uses; the round-trip tests
// hold the two together), but the list keeps only live entries, each with
// the plane at which it fires, worked out once when it is created.
class ResidueWriter {
 public:
  ResidueWriter(const int16_t byIndex[64], CodeSink& sink) : byIndex_(byIndex), sink_(sink) {
    for (unsigned k = 0; k < 64; ++k)
      sig_[k] = static_cast<uint8_t>(std::bit_width(static_cast<uint32_t>(byIndex[k] < 0 ? -byIndex[k] : byIndex[k])));
    for (unsigned j = 0; j < 16; ++j) {
      const uint8_t* q = sig_ + 4 * j;
      quadTop_[j] = std::max(std::max(q[0], q[1]), std::max(q[2], q[3]));
    }
    for (const WalkEntry& e : kInitial) live_[liveCount_++] = entry(e.index, e.mode);
  }

  // The number of planes: the highest at which an initial entry fires, at least 1.
  unsigned planes() const {
    unsigned n = 1;
    for (unsigned i = 0; i < liveCount_; ++i) n = std::max<unsigned>(n, live_[i].fire);
    return n;
  }

  void codePlane(unsigned plane) {
    refine(plane);
    walk(plane);
  }

 private:
  struct Entry {
    uint8_t index, mode, fire;
  };

  // SignificancePlan::firePlane's rule.
  Entry entry(unsigned index, unsigned mode) const {
    unsigned fire;
    switch (mode) {
      case 0: {
        const unsigned group = groupTop(index + 4), quad = quadTop_[index / 4];
        fire = group ? std::max(quad, group + 1) : quad;
        break;
      }
      case 1: fire = groupTop(index); break;
      case 2: fire = quadTop_[index / 4]; break;
      default: fire = sig_[index];
    }
    return Entry{static_cast<uint8_t>(index), static_cast<uint8_t>(mode), static_cast<uint8_t>(fire)};
  }
  unsigned groupTop(unsigned index) const {
    const uint8_t* q = quadTop_ + index / 4;
    return std::max(std::max(q[0], q[1]), std::max(q[2], q[3]));
  }

  // Without a branch on the bit (half the bits are 1): a 0 bit moves the
  // value by 0 and records no operation.
  void refine(unsigned plane) {
    const uint32_t shift = plane - 1;
    for (unsigned i = 0; i < setCount_; ++i) {
      const unsigned k = set_[i];
      const uint32_t magnitude = static_cast<uint32_t>(byIndex_[k] < 0 ? -byIndex_[k] : byIndex_[k]);
      const uint32_t b = (magnitude >> shift) & 1;
      sink_.putBit(b != 0);
      uint8_t& v = current_[k];
      const uint32_t step = b << shift;
      v = static_cast<uint8_t>(v & 0x80 ? v - step : v + step);
      sink_.opIf(b != 0, k, v);
    }
  }

  // One walk: entries that stay live go to the next list in order, after the
  // single entries put at the front during this walk (latest first).
  void walk(unsigned plane) {
    Entry front[64], next[kCapacity];
    unsigned frontCount = 0, nextCount = 0;
    for (unsigned i = 0; i < liveCount_; ++i) {
      Entry e = live_[i];
      sink_.putBit(e.fire == plane);
      if (e.fire != plane) {
        next[nextCount++] = e;
        continue;
      }
      if (e.mode == 1) {  // the group opens: its first quad entry is visited at once
        for (unsigned k = 1; k < 4; ++k) live_[liveCount_++] = entry(e.index + 4 * k, 2);
        e = entry(e.index, 2);
        sink_.putBit(e.fire == plane);
        if (e.fire != plane) {
          next[nextCount++] = e;
          continue;
        }
      }
      if (e.mode == 3) {
        value(e.index, plane);
        continue;
      }
      if (e.mode == 0) next[nextCount++] = entry(e.index + 4, 1);
      for (unsigned m = e.index; m < e.index + 4u; ++m) {
        const bool later = sig_[m] != plane;
        sink_.putBit(later);
        if (later)
          front[frontCount++] = entry(m, 3);
        else
          value(m, plane);
      }
    }
    liveCount_ = 0;
    while (frontCount) live_[liveCount_++] = front[--frontCount];
    for (unsigned i = 0; i < nextCount; ++i) live_[liveCount_++] = next[i];
  }

  void value(unsigned index, unsigned plane) {
    const uint8_t mask = static_cast<uint8_t>(1u << (plane - 1));
    const bool negative = byIndex_[index] < 0;
    sink_.putBit(negative);
    current_[index] = negative ? static_cast<uint8_t>(-mask) : mask;
    set_[setCount_++] = static_cast<uint8_t>(index);
    sink_.op(index, current_[index]);
  }

  // Each index lives in at most one entry at a time, plus the group and
  // opening entries that cover it.
  static constexpr unsigned kCapacity = 64 + 16;

  const int16_t* byIndex_;
  CodeSink& sink_;
  uint8_t sig_[64];
  uint8_t quadTop_[16];
  Entry live_[kCapacity];
  unsigned liveCount_ = 0;
  uint8_t current_[64] = {};
  uint8_t set_[64] = {};
  unsigned setCount_ = 0;
};

}  // namespace

void readResidue(BitReader& in, unsigned limit, uint8_t resid[64]) {
  const unsigned planes = in.read(3) + 1;
  SignificanceList list(kInitial);
  Reader r{in, resid, limit};
  for (unsigned plane = planes; plane >= 1; --plane)
    if (!r.refine(plane) || !list.walk(r, plane)) return;
}

void encodeResidue(const int8_t resid[64], ResidueCode& code, unsigned needOps) {
  int16_t byIndex[64];
  for (unsigned k = 0; k < 64; ++k) {
    int v = resid[kCoefficientScan[k]];
    if (grouped(k) && v < -127) v = -127;
    byIndex[k] = static_cast<int16_t>(v);
  }
  std::memset(code.words, 0, sizeof code.words);
  CodeSink sink{code};
  ResidueWriter w(byIndex, sink);
  const unsigned planes = w.planes();
  for (unsigned b = 0; b < 3; ++b) sink.putBit(((planes - 1) >> b) & 1);
  for (unsigned plane = planes; plane >= 1 && sink.opCount < needOps; --plane) w.codePlane(plane);
  sink.finish();
}

void writeResidue(BitWriter& out, const ResidueCode& code, unsigned ops) {
  if (ops < 1) ops = 1;
  if (ops > kBlockResidueOps) ops = kBlockResidueOps;
  out.put(ops - 1, 7);
  const uint32_t bits = ops <= code.opCount ? code.ops[ops - 1].endBit : code.totalBits;
  for (uint32_t pos = 0; pos < bits; pos += 32) {
    const unsigned n = bits - pos < 32 ? bits - pos : 32;
    out.put(code.words[pos / 32], n);
  }
}

TOL_NS_END
