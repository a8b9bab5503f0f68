#include "encoder/option_pruning.h"

#include <algorithm>
#include <cstring>

#include "platform/ui.h"

TOL_NS_BEGIN
namespace {

// Moves the smallest option (the smaller error on equal sizes) to the front.
void cheapestToFront(Candidate* list, int count) {
  int best = 0;
  for (int i = 1; i < count; ++i)
    if (list[i].size < list[best].size || (list[i].size == list[best].size && list[i].error < list[best].error))
      best = i;
  std::swap(list[0], list[best]);
}

bool largerAndBetter(const Candidate& c, const Candidate& current) {
  return c.size > current.size && c.error < current.error;
}

}  // namespace

bool pruneToConvexHull(Candidate* list, int& count) {
  if (count <= 1) return true;
  Candidate original[kMaxCandidates];
  std::memcpy(original, list, sizeof(Candidate) * count);

  cheapestToFront(list, count);
  uint32_t minError = list[0].error;
  for (int i = 1; i < count; ++i) minError = std::min(minError, list[i].error);

  int placed = 1;
  while (list[placed - 1].error != minError) {
    const Candidate& cur = list[placed - 1];
    int best = -1;
    int64_t bestSaved = 0, bestAdded = 1;
    for (int i = placed; i < count; ++i) {
      if (!largerAndBetter(list[i], cur)) continue;
      const int64_t saved = int64_t{cur.error} - list[i].error;
      const int64_t added = int64_t{list[i].size} - cur.size;
      // Steeper: saved / added > bestSaved / bestAdded; on an exact tie the
      // smaller size increase.
      const int64_t lhs = saved * bestAdded, rhs = bestSaved * added;
      if (best < 0 || lhs > rhs || (lhs == rhs && added < bestAdded)) {
        best = i;
        bestSaved = saved;
        bestAdded = added;
      }
    }
    if (best < 0) {
      ui::messageBox("Bandwidth error!", "Zurn Error", ui::Icon::Error);
      std::memcpy(list, original, sizeof(Candidate) * count);
      return false;
    }
    std::swap(list[placed], list[best]);
    ++placed;
  }
  count = placed;
  return true;
}

void pruneToPareto(Candidate* list, int& count) {
  if (count <= 1) return;
  cheapestToFront(list, count);
  int placed = 1;
  while (list[placed - 1].error != 0) {
    const Candidate& cur = list[placed - 1];
    int best = -1;
    for (int i = placed; i < count; ++i) {
      if (!largerAndBetter(list[i], cur)) continue;
      if (best < 0 || list[i].size < list[best].size ||
          (list[i].size == list[best].size && list[i].error < list[best].error))
        best = i;
    }
    if (best < 0) break;
    std::swap(list[placed], list[best]);
    ++placed;
  }
  count = placed;
}

void thinOptions(Candidate* list, int& count, int limit) {
  if (count <= limit) return;
  for (int k = 1; k < limit; ++k) list[k] = list[static_cast<int64_t>(k) * (count - 1) / (limit - 1)];
  count = limit;
}

void storeOptions(BlockChoices& record, const Candidate* list, int count, int32_t extraSize) {
  record.optionCount = static_cast<uint8_t>(count);
  for (int i = 0; i < count; ++i) {
    record.optionType[i] = list[i].type;
    record.optionParam[i] = list[i].param;
    record.optionSize[i] = list[i].size + extraSize;
    record.optionError[i] = list[i].error;
  }
}

TOL_NS_END
