// The coding options of one 8x8 block or one 16x16 area: each option's
// coded size (1/256 bit) and the error it leaves (sum of absolute
// differences against the source), in order of growing size and falling
// error, plus the state of the budget allocation over them.
#pragma once

#include <cstdint>

#include "decode/core/block_writer.h"
#include "platform/libns.h"

TOL_NS_BEGIN

constexpr int kMaxBlockOptions = 32;  // 8x8 blocks
constexpr int kMaxAreaOptions = 31;   // 16x16 areas, before the split option joins

// Option types are the block types of the format (BlockType), plus the
// split of a 16x16 area into its four 8x8 blocks.
constexpr uint8_t kSplitOption = 15;

struct BlockChoices {
  double slope;      // error saved per size unit by moving to the next option
  int32_t stepSize;  // size added by that move
  uint8_t chosen;
  uint8_t optionCount;
  int8_t motionX, motionY;
  uint8_t optionType[kMaxBlockOptions];
  uint16_t optionParam[kMaxBlockOptions];
  int32_t optionSize[kMaxBlockOptions];
  uint32_t optionError[kMaxBlockOptions];
  uint32_t finalParam;
  int32_t finalSize;
  uint32_t finalError;
  uint32_t finalType;
};

// One candidate while a list is being built and pruned.
struct Candidate {
  int32_t size;
  uint32_t error;
  uint16_t param;
  uint8_t type;
};

// Room for every candidate an 8x8 block can produce before pruning.
constexpr int kMaxCandidates = 320;

struct CandidateList {
  int count = 0;
  Candidate item[kMaxCandidates];

  void add(uint8_t type, int32_t size, uint32_t error, uint16_t param) {
    if (count < kMaxCandidates) item[count++] = Candidate{size, error, param, type};
  }
};

// Copies a pruned list into the record (sizes raised by `extraSize`).
void storeOptions(BlockChoices& record, const Candidate* list, int count, int32_t extraSize);

TOL_NS_END
