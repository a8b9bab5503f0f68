// Decoding of Huffman code trees written by HuffStartEncode (the description
// layout is in include/tol/huffman.h) and of the codes that follow them.
//
// A loaded tree is a lookup table indexed by the next lookupBits bits of the
// stream, plus a node table for the codes longer than that. The caller gives
// the storage (see bytesFor), so one allocation can hold several trees.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"
#include "util/lsb_bit_reader.h"

TOL_NS_BEGIN

class HuffDecodeTree {
 public:
  // Storage for a tree of at most maxLeaves leaves with the given lookup
  // width (1 to 16 bits).
  static size_t bytesFor(uint32_t maxLeaves, unsigned lookupBits) {
    return (size_t{1} << lookupBits) * 4 + size_t{maxLeaves} * 8;
  }
  // storage: bytesFor(maxLeaves, lookupBits) bytes, 4-byte aligned, owned by
  // the caller. maxLeaves is at least 1.
  void init(void* storage, uint32_t maxLeaves, unsigned lookupBits);

  // A byte tree's description (8-bit leaves). False when the description is
  // damaged: deeper than 30, more leaves than room, a bad end bit, or bits
  // missing.
  bool loadByteTree(LsbBitReader& in);
  // A 16-bit tree's description; its leaves are read through the two byte
  // trees, which it loads first (they must outlive this tree).
  bool loadWordTree(LsbBitReader& in, HuffDecodeTree& low, HuffDecodeTree& high);

  bool empty() const { return kind_ == Kind::empty; }

  // Next value, or -1 when the tree is empty. Past the end of the stream
  // the reader supplies zeros (check in.overrun()).
  int32_t decode(LsbBitReader& in) const {
    if (kind_ != Kind::codes) return kind_ == Kind::single ? static_cast<int32_t>(single_) : -1;
    uint32_t e = lookup_[in.peek(lookupBits_)];
    if (!(e & kLongCode)) {
      in.skip(e & 31);
      return static_cast<int32_t>(e >> 8);
    }
    in.skip(lookupBits_);
    uint32_t node = e >> 8;
    for (;;) {
      uint32_t child = nodes_[2 * node + in.bit()];
      if (child & kLeaf) return static_cast<int32_t>(child & 0xFFFF);
      node = child;
    }
  }

  // 16-bit trees: the next value with escapes resolved (a leaf equal to an
  // escape value repeats that last value), the last values moved on.
  int32_t decodeWord(LsbBitReader& in) {
    int32_t v = decode(in);
    if (v < 0) return v;
    uint32_t value = static_cast<uint32_t>(v);
    for (int i = 0; i < 3; ++i) {
      if (value == escapes_[i]) {
        value = lasts_[i];
        break;
      }
    }
    if (value != lasts_[0]) {
      lasts_[2] = lasts_[1];
      lasts_[1] = lasts_[0];
      lasts_[0] = value;
    }
    return static_cast<int32_t>(value);
  }
  void resetLasts() { lasts_[0] = lasts_[1] = lasts_[2] = 0; }

 private:
  static constexpr uint32_t kLongCode = 0x80;        // lookup entry: continue in the node table
  static constexpr uint32_t kLeaf = 0x80000000u;     // node child: a leaf value
  enum class Kind : uint8_t { empty, single, codes };

  bool load(LsbBitReader& in, bool word, HuffDecodeTree* low, HuffDecodeTree* high);
  bool readLeaf(LsbBitReader& in, uint32_t& value);
  // Reads one node at depth with the code bits so far; writes what refers
  // to it into *ref (a node child) unless it is the root.
  bool readNode(LsbBitReader& in, uint32_t depth, uint32_t code, uint32_t* ref);

  uint32_t* lookup_ = nullptr;
  uint32_t* nodes_ = nullptr;  // two children per internal node
  uint32_t maxNodes_ = 0;
  uint32_t usedNodes_ = 0;
  unsigned lookupBits_ = 0;
  Kind kind_ = Kind::empty;
  uint32_t single_ = 0;
  bool word_ = false;
  HuffDecodeTree* low_ = nullptr;
  HuffDecodeTree* high_ = nullptr;
  uint32_t escapes_[3] = {};
  uint32_t lasts_[3] = {};
};

TOL_NS_END
