#include "encoder/allocation.h"

#include <algorithm>
#include <queue>
#include <vector>

#include "encoder/option_pruning.h"

TOL_NS_BEGIN
namespace {

// Step and slope towards the option after the chosen one (slope 0 at the end).
void prepareStep(BlockChoices& r) {
  if (r.chosen + 1 < r.optionCount) {
    r.stepSize = r.optionSize[r.chosen + 1] - r.optionSize[r.chosen];
    r.slope = static_cast<double>(static_cast<int64_t>(r.optionError[r.chosen]) - r.optionError[r.chosen + 1]) /
              r.stepSize;
  } else {
    r.stepSize = 0;
    r.slope = 0;
  }
}

struct Entry {
  double slope;
  uint32_t index;
};
// Largest slope first; the lower index first among equal slopes.
struct Lower {
  bool operator()(const Entry& a, const Entry& b) const {
    return a.slope < b.slope || (a.slope == b.slope && a.index > b.index);
  }
};

}  // namespace

void allocateBudget(BlockChoices* records, uint32_t count, uint32_t budgetBytes) {
  int64_t units = int64_t{budgetBytes} * 2048;
  if (units > INT32_MAX) units = INT32_MAX;

  std::vector<Entry> heap;
  heap.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    BlockChoices& r = records[i];
    r.chosen = 0;
    if (r.optionCount) units -= r.optionSize[0];
    prepareStep(r);
    if (r.slope > 0) heap.push_back({r.slope, i});
  }
  std::priority_queue<Entry, std::vector<Entry>, Lower> queue(Lower{}, std::move(heap));
  while (units > 0 && !queue.empty()) {
    const uint32_t i = queue.top().index;
    queue.pop();
    BlockChoices& r = records[i];
    units -= r.stepSize;
    ++r.chosen;
    prepareStep(r);
    if (r.slope > 0) queue.push({r.slope, i});
  }

  for (uint32_t i = 0; i < count; ++i) {
    BlockChoices& r = records[i];
    if (!r.optionCount) {
      r.finalType = kSkipBlock;
      r.finalParam = 0;
      r.finalSize = 0;
      r.finalError = 0;
      continue;
    }
    r.finalType = r.optionType[r.chosen];
    r.finalParam = r.optionParam[r.chosen];
    r.finalSize = r.optionSize[r.chosen];
    r.finalError = r.optionError[r.chosen];
  }
}

void mergeAreas(PlaneRecords (&planes)[3], uint32_t budgetBytes) {
  int64_t edgeUnits = 0;
  for (PlaneRecords& p : planes) {
    const uint32_t areaColumns = p.blockColumns / 2, areaRows = p.blockRows / 2;
    for (uint32_t ay = 0; ay < areaRows; ++ay)
      for (uint32_t ax = 0; ax < areaColumns; ++ax) {
        BlockChoices& area = p.areas[ay * areaColumns + ax];
        const BlockChoices* b = p.blocks + 2 * ay * p.blockColumns + 2 * ax;
        const BlockChoices* quad[4] = {b, b + 1, b + p.blockColumns, b + p.blockColumns + 1};
        Candidate list[kMaxBlockOptions + 1];
        int n = area.optionCount;
        for (int i = 0; i < n; ++i)
          list[i] = Candidate{area.optionSize[i], area.optionError[i], area.optionParam[i], area.optionType[i]};
        int32_t size = 0;
        uint32_t error = 0;
        for (const BlockChoices* q : quad) {
          size += q->finalSize;
          error += q->finalError;
        }
        list[n++] = Candidate{size, error, 0, kSplitOption};
        pruneToConvexHull(list, n);
        storeOptions(area, list, n, 0);
      }
    // Blocks outside whole areas keep their 8x8 coding.
    for (uint32_t by = 0; by < p.blockRows; ++by)
      for (uint32_t bx = 0; bx < p.blockColumns; ++bx)
        if (bx >= 2 * areaColumns || by >= 2 * areaRows) edgeUnits += p.blocks[by * p.blockColumns + bx].finalSize;
  }

  // The areas of the three planes lie one after another.
  BlockChoices* areas = planes[0].areas;
  uint32_t areaCount = 0;
  for (const PlaneRecords& p : planes) areaCount += (p.blockColumns / 2) * (p.blockRows / 2);
  const int64_t left = int64_t{budgetBytes} - edgeUnits / 2048;
  allocateBudget(areas, areaCount, static_cast<uint32_t>(std::max<int64_t>(left, 0)));

  for (PlaneRecords& p : planes) {
    const uint32_t areaColumns = p.blockColumns / 2, areaRows = p.blockRows / 2;
    for (uint32_t ay = 0; ay < areaRows; ++ay)
      for (uint32_t ax = 0; ax < areaColumns; ++ax) {
        const BlockChoices& area = p.areas[ay * areaColumns + ax];
        if (area.finalType == kSplitOption || area.finalType == kSkipBlock) continue;
        BlockChoices* b = p.blocks + 2 * ay * p.blockColumns + 2 * ax;
        b[0].finalType = kScaledBlock;
        b[0].finalParam = area.finalParam;
        b[0].finalSize = area.finalSize;
        b[0].finalError = area.finalError;
        b[1].finalType = area.finalType;
        b[1].finalSize = 0;
        b[1].finalError = 0;
        for (BlockChoices* lower : {b + p.blockColumns, b + p.blockColumns + 1}) {
          lower->finalType = kScaledBlock;
          lower->finalSize = 0;
          lower->finalError = 0;
        }
      }
  }
}

TOL_NS_END
