// Huffman tree records, statistics and coding. Building the codes and
// writing the description is in huffman_build.cpp.
#include "util/huffman.h"

#include <cstring>

#include "fileio/tolfile.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

HuffTree* openTree(uint32_t valueCount) {
  auto* tree = static_cast<HuffTree*>(tolmalloc(sizeof(HuffTree)));
  if (!tree) return nullptr;
  std::memset(tree, 0, sizeof *tree);
  // Lengths first, then the 32-bit counts / codes, in one block.
  auto* block = static_cast<uint8_t*>(tolmalloc(valueCount * 5));
  if (!block) {
    tolfree(tree);
    return nullptr;
  }
  tree->valueCount = valueCount;
  tree->lengths = block;
  tree->codes = reinterpret_cast<uint32_t*>(block + valueCount);
  std::memset(tree->lengths, huffman::kNoCode, valueCount);
  std::memset(tree->codes, 0, valueCount * sizeof(uint32_t));
  return tree;
}

void closeTree(HuffTree* tree) {
  if (!tree) return;
  tolfree(tree->lengths);
  tolfree(tree);
}

void moveLasts(HuffTree* tree, uint32_t value) {
  if (value == tree->lasts[0]) return;
  tree->lasts[2] = tree->lasts[1];
  tree->lasts[1] = tree->lasts[0];
  tree->lasts[0] = value;
}

}  // namespace

HuffTree* HuffOpen(int32_t byteTree) {
  if (byteTree) return openTree(256);
  HuffTree* tree = openTree(65536);
  if (!tree) return nullptr;
  tree->lowTree = openTree(256);
  tree->highTree = openTree(256);
  if (!tree->lowTree || !tree->highTree) {
    HuffClose(tree);
    return nullptr;
  }
  return tree;
}

void HuffSetOutput(HuffTree* tree, TOLFile* file) {
  if (!tree) return;
  tree->output = file;
  if (tree->lowTree) tree->lowTree->output = file;
  if (tree->highTree) tree->highTree->output = file;
}

void HuffClose(HuffTree* tree) {
  if (!tree) return;
  closeTree(tree->lowTree);
  closeTree(tree->highTree);
  closeTree(tree);
}

void HuffInitStats(HuffTree* tree) {
  if (!tree) return;
  std::memset(tree->codes, 0, tree->valueCount * sizeof(uint32_t));
  std::memset(tree->lasts, 0, sizeof tree->lasts);
  std::memset(tree->escapes, 0, sizeof tree->escapes);
  tree->hasStats = 0;
}

void HuffInitLasts(HuffTree* tree) {
  if (tree) std::memset(tree->lasts, 0, sizeof tree->lasts);
}

void HuffAddStat(HuffTree* tree, uint32_t value) {
  if (!tree) return;
  value &= tree->valueCount - 1;
  tree->hasStats = 1;
  if (!huffman::isWordTree(tree)) {
    ++tree->codes[value];
    return;
  }
  bool escaped = false;
  for (int i = 0; i < 3 && !escaped; ++i) {
    if (value != tree->lasts[i]) continue;
    ++tree->escapes[i];
    if (tree->codes[value] == 0) tree->codes[value] = 1;
    escaped = true;
  }
  if (!escaped) ++tree->codes[value];
  moveLasts(tree, value);
}

uint32_t HuffEncode(HuffTree* tree, uint32_t value) {
  if (!tree) return 0;
  value &= tree->valueCount - 1;
  uint32_t symbol = value;
  if (huffman::isWordTree(tree)) {
    for (int i = 0; i < 3; ++i) {
      if (value == tree->lasts[i] && tree->lengths[tree->escapes[i]] < tree->lengths[value]) {
        symbol = tree->escapes[i];
        break;
      }
    }
    moveLasts(tree, value);
  }
  uint32_t length = tree->lengths[symbol];
  if (length == huffman::kNoCode) return 0;
  tree->bitCount += length;
  tree->valuesCoded += huffman::isWordTree(tree) ? 2 : 1;
  if (length == 0) return 0;  // the only value of its tree
  return TOLFilePutBits(tree->output, tree->codes[symbol], length);
}

namespace huffman {

void limitCountsForDepth(HuffTree* tree) {
  // A code of 31 bits needs a total weight of at least Fibonacci(33).
  constexpr uint64_t kSafeTotal = uint64_t{1} << 21;
  if (!tree) return;
  for (;;) {
    uint64_t total = uint64_t{tree->escapes[0]} + tree->escapes[1] + tree->escapes[2];
    for (uint32_t v = 0; v < tree->valueCount; ++v) total += tree->codes[v];
    if (total < kSafeTotal) return;
    for (uint32_t v = 0; v < tree->valueCount; ++v) {
      if (tree->codes[v]) tree->codes[v] = (tree->codes[v] >> 1) | 1;
    }
    for (uint32_t& e : tree->escapes) e >>= 1;
  }
}

}  // namespace huffman

TOL_NS_END
