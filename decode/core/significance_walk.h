// The list walk shared by the coefficient coder and the residue coder, on
// both the reading and the writing side (one definition of the order in
// which bits come, so that reader, writer and bit counts cannot disagree).
//
// The list holds entries (index, mode) and grows at both ends. Per plane it
// is walked from its present front to its back; entries appended at the back
// during the walk are visited in the same walk, entries put at the front are
// not. For each live entry the policy gives one bit; on 1:
//   mode 0: the entry becomes (index + 4, 1) and the quad at index is coded;
//   mode 1: the entry becomes (index, 2), (index + 4/8/12, 2) are appended,
//           and the same entry is visited again at once;
//   mode 2: the entry is cleared and the quad at index is coded;
//   mode 3: a value is coded for index and the entry is cleared.
// A quad at i codes i..i+3: per member one bit, 1 = put (member, 3) at the
// front, 0 = code a value for it now.
//
// Policy: bool entryBit(mode, index, plane); bool quadBit(index, plane);
// void value(index, plane); bool stopped() (the residue's operation limit).
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

struct WalkEntry {
  uint8_t index;
  uint8_t mode;  // 0..3, or kWalkCleared
};
constexpr uint8_t kWalkCleared = 4;

class SignificanceList {
 public:
  template <int N>
  explicit SignificanceList(const WalkEntry (&initial)[N]) {
    for (const WalkEntry& e : initial) list_[back_++] = e;
  }

  // Walks the list once for one plane; returns false when the policy stopped.
  template <typename Policy>
  bool walk(Policy& p, unsigned plane) {
    for (unsigned i = front_; i < back_; ++i) {
      WalkEntry& e = list_[i];
      for (;;) {
        if (e.mode == kWalkCleared || !p.entryBit(e.mode, e.index, plane)) break;
        if (e.mode == 1) {
          e.mode = 2;
          for (int k = 1; k < 4; ++k) list_[back_++] = WalkEntry{static_cast<uint8_t>(e.index + 4 * k), 2};
          continue;  // visit the same entry again
        }
        const uint8_t index = e.index;
        const uint8_t mode = e.mode;
        if (mode == 0) {
          e = WalkEntry{static_cast<uint8_t>(index + 4), 1};
        } else {
          e.mode = kWalkCleared;
        }
        if (mode == 3) {
          p.value(index, plane);
        } else {
          for (unsigned m = index; m < index + 4u; ++m) {
            if (p.quadBit(m, plane)) {
              list_[--front_] = WalkEntry{static_cast<uint8_t>(m), 3};
            } else {
              p.value(m, plane);
              if (p.stopped()) return false;
            }
          }
        }
        if (p.stopped()) return false;
        break;
      }
    }
    return true;
  }

 private:
  // Front additions: each of the 64 indices at most once; back additions:
  // three per group of the initial entries.
  WalkEntry list_[160];
  unsigned front_ = 80, back_ = 80;
};

// Significance plane of a magnitude: its bit length (0 for 0).
inline unsigned significancePlane(uint32_t magnitude) {
  unsigned n = 0;
  while (magnitude) {
    ++n;
    magnitude >>= 1;
  }
  return n;
}

// Writing side: which bit each visit gets when every index k must be coded
// at plane sig[k] (its significance plane; 0 = never). Groups are opened
// as late as possible: a mode-0 entry fires at the plane of its quad, or one
// plane above its group's, whichever is higher.
struct SignificancePlan {
  uint8_t sig[64] = {};

  unsigned maxSig(unsigned from, unsigned count) const {
    unsigned m = 0;
    for (unsigned k = from; k < from + count && k < 64; ++k)
      if (sig[k] > m) m = sig[k];
    return m;
  }
  unsigned firePlane(unsigned mode, unsigned index) const {
    switch (mode) {
      case 0: {
        const unsigned group = maxSig(index + 4, 16);
        const unsigned quad = maxSig(index, 4);
        return group ? (quad > group + 1 ? quad : group + 1) : quad;
      }
      case 1: return maxSig(index, 16);
      case 2: return maxSig(index, 4);
      default: return sig[index];
    }
  }
  bool entryBit(unsigned mode, unsigned index, unsigned plane) const { return firePlane(mode, index) == plane; }
  bool quadBit(unsigned index, unsigned plane) const { return sig[index] != plane; }
};

TOL_NS_END
