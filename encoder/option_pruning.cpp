#include "encoder/option_pruning.h"

#include <algorithm>
#include <cstring>

#include "platform/ui.h"

TOL_NS_BEGIN
namespace {

// The smallest option (the smaller error on equal sizes).
int cheapest(const Candidate* list, int count) {
  int best = 0;
  for (int i = 1; i < count; ++i)
    if (list[i].size < list[best].size || (list[i].size == list[best].size && list[i].error < list[best].error))
      best = i;
  return best;
}

bool largerAndBetter(const Candidate& c, const Candidate& current) {
  return c.size > current.size && c.error < current.error;
}

}  // namespace

bool pruneToConvexHull(Candidate* list, int& count) {
  if (count <= 1) return true;
  uint32_t minError = list[0].error;
  for (int i = 1; i < count; ++i) minError = std::min(minError, list[i].error);

  // The hull as positions in the list, which stays untouched until the end.
  int hull[kMaxCandidates];
  int length = 1;
  hull[0] = cheapest(list, count);
  while (list[hull[length - 1]].error != minError) {
    const Candidate& cur = list[hull[length - 1]];
    int best = -1;
    int64_t bestSaved = 0, bestAdded = 1;
    for (int i = 0; i < count; ++i) {
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
      return false;
    }
    hull[length++] = best;
  }
  Candidate kept[kMaxCandidates];
  for (int k = 0; k < length; ++k) kept[k] = list[hull[k]];
  std::memcpy(list, kept, sizeof(Candidate) * length);
  count = length;
  return true;
}

// The walk only moves to options larger and better than the current one,
// so an option that fails largerAndBetter() once fails it for every later
// step too: each step scans just the options that passed the step before.
// The list is rearranged by swaps as the walk goes; `live` holds positions
// (ascending) of the options that passed the previous step. A position only
// changes hands when the option at `placed` is swapped away, and it lands on
// the chosen option's live position.
void pruneToPareto(Candidate* list, int& count) {
  if (count <= 1) return;
  std::swap(list[0], list[cheapest(list, count)]);
  int live[kMaxCandidates];
  int liveCount = count - 1;
  for (int i = 1; i < count; ++i) live[i - 1] = i;
  int placed = 1;
  while (list[placed - 1].error != 0) {
    const Candidate& cur = list[placed - 1];
    int best = -1, kept = 0;
    for (int j = 0; j < liveCount; ++j) {
      const int i = live[j];
      if (i < placed || !largerAndBetter(list[i], cur)) continue;
      live[kept++] = i;
      if (best < 0 || list[i].size < list[best].size ||
          (list[i].size == list[best].size && list[i].error < list[best].error))
        best = i;
    }
    if (best < 0) break;
    liveCount = kept;
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
