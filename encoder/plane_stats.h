// Per-plane symbol statistics: the recent bits and counts of each symbol
// collection, turned into the current cost of one symbol (est) that the
// block coding decisions use as size estimates.
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/zurnmake_record.h"

TOL_NS_BEGIN

enum Collection : int {
  kEstBlockTypes = 0,
  kEstSubBlockTypes = 1,
  kEstColours = 2,
  kEstPatterns = 3,
  kEstMotion = 4,
  kEstIntraDc = 5,
  kEstInterDc = 6,
  kEstRunLengths = 7,
};

// What the plane writer spent on one collection in one plane.
struct CollectionUsage {
  uint32_t bits;
  uint32_t symbols;
  bool recorded;  // false: the collection does not update the history
};

void initPlaneStats(PlaneStats& stats, bool chroma);

// est[k] from the histories, clamped; then slots 1 to 3 take slot 0.
void refreshEstimates(PlaneStats& stats);

// Records what a plane spent: a collection with more than 10 symbols takes
// its bits and symbols + 1 into slot 0. The motion collection is recorded
// from the x collection's count and the bits of x and y together.
void recordPlaneUsage(PlaneStats& stats, const CollectionUsage (&usage)[ZURNMAKE_COLLECTIONS]);

TOL_NS_END
