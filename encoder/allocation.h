// Sharing a frame's byte budget among the option lists of its blocks, and
// deciding per 16x16 area between one coarse (scaled) block and its four
// 8x8 blocks.
#pragma once

#include <cstdint>

#include "encoder/block_choices.h"
#include "platform/libns.h"

TOL_NS_BEGIN

// Greedy allocation by slope: every record starts at its cheapest option;
// while units remain, the record whose next option saves the most error per
// size unit (the first such record on ties) moves on. The last move may
// overshoot. Sets chosen and the final* fields of every record.
void allocateBudget(BlockChoices* records, uint32_t count, uint32_t budgetBytes);

// One plane's blocks and areas for the merge.
struct PlaneRecords {
  BlockChoices* blocks;  // 8x8 records in raster order
  BlockChoices* areas;   // records of the whole 16x16 areas in raster order
  uint32_t blockColumns, blockRows;
};

// Appends to every area the split option (the four 8x8 blocks as allocated),
// prunes its list again, allocates the budget left after the blocks outside
// whole areas over all areas of the three planes, and rewrites the four 8x8
// records of every area that a coarse option won: top-left type 1 with the
// coarse option's parameter, size and error, top-right the coarse type (the
// sub-type), bottom-left and bottom-right type 1 with size 0.
void mergeAreas(PlaneRecords (&planes)[3], uint32_t budgetBytes);

TOL_NS_END
