// Run coding of an 8x8 picture: the samples are laid out along one of the
// sixteen run orders and cut into runs, each filled with its median. The
// runs tried start at every position with the lengths 1..9 and 16 (cut to
// the samples left); a threshold T on the runs' deviation decides how
// greedily they are taken.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

constexpr int kRunLengthsTried = 10;

struct RunTable {
  uint8_t order;
  uint8_t scanned[64];
  // Per start position and tried length (1..9, 16, cut to what is left):
  // the run's length, colour (median) and deviation (largest distance of a
  // member from the colour).
  uint8_t length[64][kRunLengthsTried];
  uint8_t colour[64][kRunLengthsTried];
  uint8_t deviation[64][kRunLengthsTried];
  // reach[k][p] = the smallest deviation of the lengths after k (k = 0..8)
  // at start p. It grows with k, so the run taken at threshold T is the
  // first k whose reach exceeds T (k = the count of reaches <= T), and that
  // reach is the next threshold that changes the run at p.
  alignas(16) uint8_t reach[kRunLengthsTried - 1][64];
};

// The run order with the smallest sum of |differences| plus number of
// changes between consecutive samples (the first on ties).
unsigned chooseRunOrder(const uint8_t pic[64]);

void buildRunTable(const uint8_t pic[64], unsigned order, RunTable& table);

// The runs taken greedily at threshold T (at each position the longest run
// whose deviation is at most T), as values along the run order. Returns the
// smallest deviation above T met while parsing, or 256.
int parseRuns(const RunTable& table, int threshold, uint8_t scanned[64]);
// The same without vector instructions (parseRuns uses them where the
// target always has them).
int parseRunsPlain(const RunTable& table, int threshold, uint8_t scanned[64]);

// Values along run order `order` back into raster order.
void unscanRuns(unsigned order, const uint8_t scanned[64], uint8_t decoded[64]);

// Coded size (1/256 bit) of run values, run order field excluded: per
// segment a flag, a run length and its colours, as the block writer
// segments them.
int32_t runCodingSize(const uint8_t scanned[64], const uint32_t est[8]);

TOL_NS_END
