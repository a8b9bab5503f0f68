#include "encoder/plane_stats.h"

#include <algorithm>

TOL_NS_BEGIN
namespace {

struct InitialStats {
  uint32_t minEst, maxEst, lumaBits, chromaBits;
};

constexpr InitialStats kInitial[ZURNMAKE_COLLECTIONS] = {
    {102, 1024, 17, 12},     // block types
    {76, 1024, 13, 10},      // sub-block types
    {640, 2048, 60, 53},     // colours
    {8192, 16384, 510, 550}, // pattern bytes (one block's eight)
    {1024, 2560, 80, 90},    // motion vectors
    {1152, 2816, 94, 98},    // intra DC
    {947, 2816, 60, 65},     // inter DC
    {384, 1024, 35, 35},     // run lengths
};

}  // namespace

void initPlaneStats(PlaneStats& stats, bool chroma) {
  for (int k = 0; k < ZURNMAKE_COLLECTIONS; ++k) {
    stats.est[k] = 0;
    PlaneCollectionStats& c = stats.collection[k];
    c.minEst = kInitial[k].minEst;
    c.maxEst = kInitial[k].maxEst;
    for (int s = 0; s < 4; ++s) {
      c.bitsHistory[s] = chroma ? kInitial[k].chromaBits : kInitial[k].lumaBits;
      c.countHistory[s] = 10;
    }
  }
}

void refreshEstimates(PlaneStats& stats) {
  for (int k = 0; k < ZURNMAKE_COLLECTIONS; ++k) {
    PlaneCollectionStats& c = stats.collection[k];
    uint64_t bits = 0, count = 0;
    for (int s = 0; s < 4; ++s) {
      bits += c.bitsHistory[s];
      count += c.countHistory[s];
    }
    const uint64_t est = count ? bits * 256 / count : c.maxEst;
    stats.est[k] = static_cast<uint32_t>(std::clamp<uint64_t>(est, c.minEst, c.maxEst));
    for (int s = 1; s < 4; ++s) {
      c.bitsHistory[s] = c.bitsHistory[0];
      c.countHistory[s] = c.countHistory[0];
    }
  }
}

void recordPlaneUsage(PlaneStats& stats, const CollectionUsage (&usage)[ZURNMAKE_COLLECTIONS]) {
  for (int k = 0; k < ZURNMAKE_COLLECTIONS; ++k) {
    if (!usage[k].recorded || usage[k].symbols <= 10) continue;
    stats.collection[k].bitsHistory[0] = usage[k].bits;
    stats.collection[k].countHistory[0] = usage[k].symbols + 1;
  }
}

TOL_NS_END
