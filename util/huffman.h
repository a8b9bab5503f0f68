// The Huffman encoder (see include/tol/huffman.h for the description layout
// and the exported interface, which wraps these functions).
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/huffman_record.h"

TOL_NS_BEGIN

HuffTree* HuffOpen(int32_t byteTree);
void HuffSetOutput(HuffTree* tree, TOLFile* file);
void HuffClose(HuffTree* tree);
void HuffInitStats(HuffTree* tree);
void HuffInitLasts(HuffTree* tree);
void HuffAddStat(HuffTree* tree, uint32_t value);
int32_t HuffStartEncode(HuffTree* tree);
uint32_t HuffEncode(HuffTree* tree, uint32_t value);

namespace huffman {

constexpr uint32_t kMaxCodeLength = 30;
constexpr uint8_t kNoCode = 255;
// Internal nodes of the tree being built are numbered from here.
constexpr uint32_t kFirstInternalNode = 65536;

inline bool isWordTree(const HuffTree* tree) { return tree->lowTree != nullptr; }

// Scales the counts down (a counted value keeps at least 1) until their sum
// is below the smallest total that a code longer than 30 bits needs, so that
// the next HuffStartEncode cannot fail for depth. For writers whose
// statistics may cover millions of symbols.
void limitCountsForDepth(HuffTree* tree);

}  // namespace huffman

TOL_NS_END
