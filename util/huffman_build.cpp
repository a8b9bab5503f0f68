// Building a tree's codes from its counts and writing its description.
//
// The leaves go into a list kept in decreasing order of weight, in
// increasing value order; the last two entries are merged into an internal
// node until one is left. An entry is inserted after every entry of equal or
// greater weight; when the entries from the insertion point to the end all
// weigh the same, the first of them moves to the end instead of the whole
// run shifting up. That order decides which of equal weights pair up, so it
// is part of the format: other builders must keep it to write the same
// descriptions.
#include <cstring>
#include <initializer_list>

#include "fileio/tolfile.h"
#include "platform/alloc.h"
#include "util/huffman.h"

TOL_NS_BEGIN

namespace {

using huffman::kFirstInternalNode;

// Work arrays of one build: the sorted list and the internal nodes.
class BuildWork {
 public:
  explicit BuildWork(uint32_t leaves) {
    const uint32_t nodes = leaves ? leaves - 1 : 0;
    block_ = static_cast<uint8_t*>(tolmalloc(leaves * 4 + nodes * (8 + 4 + 4) + 16));
    if (!block_) return;
    list = reinterpret_cast<uint32_t*>(block_);
    weight = reinterpret_cast<uint64_t*>(block_ + ((leaves * 4 + 7) & ~7u));
    zero = reinterpret_cast<uint32_t*>(weight + nodes);
    one = zero + nodes;
  }
  ~BuildWork() { tolfree(block_); }
  BuildWork(const BuildWork&) = delete;
  BuildWork& operator=(const BuildWork&) = delete;
  bool ok() const { return block_ != nullptr; }

  uint32_t* list = nullptr;
  uint64_t* weight = nullptr;  // of internal node k at k - kFirstInternalNode
  uint32_t* zero = nullptr;
  uint32_t* one = nullptr;

 private:
  uint8_t* block_ = nullptr;
};

class Builder {
 public:
  Builder(HuffTree* tree, BuildWork& work) : tree_(tree), work_(work) {}

  uint64_t weightOf(uint32_t node) const {
    return node < kFirstInternalNode ? tree_->codes[node] : work_.weight[node - kFirstInternalNode];
  }

  void insert(uint32_t node) {
    uint32_t* list = work_.list;
    const uint64_t w = weightOf(node);
    uint32_t lo = 0, hi = size_;  // first entry lighter than w
    while (lo < hi) {
      uint32_t mid = (lo + hi) / 2;
      if (weightOf(list[mid]) >= w) lo = mid + 1;
      else hi = mid;
    }
    if (lo < size_) {
      if (weightOf(list[lo]) == weightOf(list[size_ - 1])) {
        list[size_] = list[lo];
      } else {
        std::memmove(list + lo + 1, list + lo, (size_ - lo) * sizeof *list);
      }
    }
    list[lo] = node;
    ++size_;
  }

  void merge() {
    uint32_t next = 0;
    while (size_ > 1) {
      const uint32_t one = work_.list[size_ - 1];
      const uint32_t zero = work_.list[size_ - 2];
      size_ -= 2;
      work_.weight[next] = weightOf(zero) + weightOf(one);
      work_.zero[next] = zero;
      work_.one[next] = one;
      insert(kFirstInternalNode + next++);
    }
  }

  uint32_t size() const { return size_; }
  uint32_t root() const { return work_.list[0]; }

  // Codes from the root; false when a code would exceed 30 bits.
  bool assignCodes(uint32_t node, uint32_t code, uint32_t depth) {
    if (node < kFirstInternalNode) {
      tree_->codes[node] = code;
      tree_->lengths[node] = static_cast<uint8_t>(depth);
      return true;
    }
    if (depth >= huffman::kMaxCodeLength) return false;
    const uint32_t k = node - kFirstInternalNode;
    return assignCodes(work_.zero[k], code, depth + 1) && assignCodes(work_.one[k], code | (1u << depth), depth + 1);
  }

  void writeLeaf(uint32_t value) {
    TOLFilePutBits(tree_->output, 0, 1);
    if (!huffman::isWordTree(tree_)) {
      TOLFilePutBits(tree_->output, value, 8);
      return;
    }
    HuffEncode(tree_->lowTree, value & 255);
    HuffEncode(tree_->highTree, value >> 8);
  }

  // The children of an internal node in pre-order.
  void writeChildren(uint32_t node) {
    const uint32_t k = node - kFirstInternalNode;
    for (uint32_t child : {work_.zero[k], work_.one[k]}) {
      tree_->bitCount += 8;
      if (child < kFirstInternalNode) {
        writeLeaf(child);
      } else {
        TOLFilePutBits(tree_->output, 1, 1);
        writeChildren(child);
      }
    }
  }

 private:
  HuffTree* tree_;
  BuildWork& work_;
  uint32_t size_ = 0;
};

// Gives each escape the lowest unused value above the previous one; an
// escape used more than 31 times becomes a leaf with that count.
bool placeEscapes(HuffTree* tree) {
  uint32_t next = 0;
  for (uint32_t& escape : tree->escapes) {
    uint32_t v = next;
    while (v < 65536 && tree->codes[v] != 0) ++v;
    if (v == 65536) return false;
    if (escape > 31) tree->codes[v] = escape;
    escape = v;
    next = v + 1;
  }
  return true;
}

int32_t finish(HuffTree* tree, int32_t result) {
  tree->bitCount = 0;
  tree->valuesCoded = 0;
  return result;
}

}  // namespace

int32_t HuffStartEncode(HuffTree* tree) {
  if (!tree) return -1;
  HuffInitLasts(tree);
  if (!tree->hasStats) {
    TOLFilePutBits(tree->output, 0, 1);
    return 12;
  }
  TOLFilePutBits(tree->output, 1, 1);
  const bool word = huffman::isWordTree(tree);
  if (word) {
    HuffInitStats(tree->lowTree);
    HuffInitStats(tree->highTree);
    if (!placeEscapes(tree)) return -1;
  }

  uint32_t leaves = 0;
  for (uint32_t v = 0; v < tree->valueCount; ++v) leaves += tree->codes[v] != 0;
  BuildWork work(leaves);
  if (!work.ok()) return -1;
  Builder builder(tree, work);
  for (uint32_t v = 0; v < tree->valueCount; ++v) {
    if (!tree->codes[v]) continue;
    builder.insert(v);
    if (word) {
      HuffAddStat(tree->lowTree, v & 255);
      HuffAddStat(tree->highTree, v >> 8);
    }
  }
  if (word && (HuffStartEncode(tree->lowTree) < 0 || HuffStartEncode(tree->highTree) < 0)) return -1;

  const auto writeEscapes = [&] {
    if (word) {
      for (uint32_t escape : tree->escapes) TOLFilePutBits(tree->output, escape, 16);
    }
  };
  builder.merge();
  const uint32_t root = builder.root();
  // The counts are used up: from here the array holds codes.
  std::memset(tree->codes, 0, tree->valueCount * sizeof(uint32_t));
  std::memset(tree->lengths, huffman::kNoCode, tree->valueCount);
  if (root < kFirstInternalNode) {
    tree->lengths[root] = 0;
    writeEscapes();
    builder.writeLeaf(root);
    TOLFilePutBits(tree->output, 0, 1);
    return finish(tree, 20);
  }
  if (!builder.assignCodes(root, 0, 0)) {
    std::memset(tree->lengths, huffman::kNoCode, tree->valueCount);
    tree->tooDeep = 1;
    return -1;
  }
  writeEscapes();
  TOLFilePutBits(tree->output, 1, 1);
  builder.writeChildren(root);
  TOLFilePutBits(tree->output, 0, 1);
  return finish(tree, static_cast<int32_t>(tree->bitCount + 16));
}

TOL_NS_END
