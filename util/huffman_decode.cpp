#include "util/huffman_decode.h"

TOL_NS_BEGIN

namespace {
constexpr uint32_t kMaxDepth = 30;
}

void HuffDecodeTree::init(void* storage, uint32_t maxLeaves, unsigned lookupBits) {
  lookupBits_ = lookupBits;
  lookup_ = static_cast<uint32_t*>(storage);
  nodes_ = lookup_ + (size_t{1} << lookupBits);
  maxNodes_ = maxLeaves ? maxLeaves - 1 : 0;
  kind_ = Kind::empty;
}

bool HuffDecodeTree::loadByteTree(LsbBitReader& in) { return load(in, false, nullptr, nullptr); }

bool HuffDecodeTree::loadWordTree(LsbBitReader& in, HuffDecodeTree& low, HuffDecodeTree& high) {
  return load(in, true, &low, &high);
}

bool HuffDecodeTree::load(LsbBitReader& in, bool word, HuffDecodeTree* low, HuffDecodeTree* high) {
  kind_ = Kind::empty;
  usedNodes_ = 0;
  word_ = word;
  low_ = low;
  high_ = high;
  resetLasts();
  if (!in.bit()) return !in.overrun();
  if (word) {
    if (!low->loadByteTree(in) || !high->loadByteTree(in)) return false;
    for (uint32_t& e : escapes_) e = in.read(16);
  }
  if (!readNode(in, 0, 0, nullptr) || in.bit() != 0 || in.overrun()) {
    kind_ = Kind::empty;
    return false;
  }
  return true;
}

bool HuffDecodeTree::readLeaf(LsbBitReader& in, uint32_t& value) {
  if (!word_) {
    value = in.read(8);
    return true;
  }
  int32_t lo = low_->decode(in);
  int32_t hi = high_->decode(in);
  if (lo < 0 || hi < 0) return false;
  value = static_cast<uint32_t>(lo) | static_cast<uint32_t>(hi) << 8;
  return true;
}

bool HuffDecodeTree::readNode(LsbBitReader& in, uint32_t depth, uint32_t code, uint32_t* ref) {
  if (in.overrun()) return false;
  if (!in.bit()) {
    uint32_t value;
    if (!readLeaf(in, value)) return false;
    if (!ref) {
      kind_ = Kind::single;
      single_ = value;
      return true;
    }
    *ref = kLeaf | value;
    if (depth <= lookupBits_) {
      for (uint32_t i = code; i < (1u << lookupBits_); i += 1u << depth) lookup_[i] = value << 8 | depth;
    }
    return true;
  }
  if (depth >= kMaxDepth || usedNodes_ >= maxNodes_) return false;
  const uint32_t node = usedNodes_++;
  if (ref) *ref = node;
  else kind_ = Kind::codes;
  if (depth == lookupBits_) lookup_[code] = node << 8 | kLongCode;
  return readNode(in, depth + 1, code, &nodes_[2 * node]) &&
         readNode(in, depth + 1, code | (1u << depth), &nodes_[2 * node + 1]);
}

TOL_NS_END
