#include "encoder/sound_chunks.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "decode/core/sound_tables.h"

TOL_NS_BEGIN

namespace {

constexpr uint32_t kFirst = 2;  // float position of bin 1's real part
constexpr uint32_t kMaxGroups = kSoundMaxBlock / 8;

// Run codes in order of length, with the single group (no code) first.
struct Run {
  uint32_t groups;
  int32_t code;  // -1: a single group, written as one 0 bit
};
constexpr Run kRuns[17] = {{1, -1}, {2, 0},   {3, 1},   {4, 2},   {5, 3},   {6, 4},   {8, 5},   {9, 6},  {10, 7},
                           {11, 8}, {12, 9},  {13, 10}, {14, 11}, {15, 12}, {16, 13}, {32, 14}, {64, 15}};

uint32_t widthOf(int32_t v) { return static_cast<uint32_t>(std::bit_width(static_cast<uint32_t>(std::abs(v)))); }

}  // namespace

void soundWriteCoefficients(SoundBitWriter& writer, const int32_t* values, uint32_t length) {
  if (length <= kFirst) return;
  const uint32_t groups = (length - kFirst + 7) / 8;
  // Per group: the width it needs; prefix sums of values and of non-zero values.
  uint8_t width[kMaxGroups];
  uint32_t valuesBefore[kMaxGroups + 1], nonZeroBefore[kMaxGroups + 1];
  valuesBefore[0] = nonZeroBefore[0] = 0;
  for (uint32_t g = 0; g < groups; ++g) {
    const uint32_t from = kFirst + 8 * g, to = std::min(from + 8, length);
    uint32_t w = 0, nonZero = 0;
    for (uint32_t i = from; i < to; ++i) {
      w = std::max(w, widthOf(values[i]));
      nonZero += values[i] != 0;
    }
    width[g] = static_cast<uint8_t>(w);
    valuesBefore[g + 1] = valuesBefore[g] + (to - from);
    nonZeroBefore[g + 1] = nonZeroBefore[g] + nonZero;
  }

  // cost[g]: fewest bits for groups g to the end; run[g]: the first chunk's run.
  uint32_t cost[kMaxGroups + 1];
  uint8_t run[kMaxGroups];
  cost[groups] = 0;
  for (uint32_t g = groups; g-- > 0;) {
    cost[g] = UINT32_MAX;
    uint32_t w = 0, covered = 0;
    for (uint32_t r = 0; r < 17; ++r) {
      const uint32_t end = std::min(g + kRuns[r].groups, groups);
      while (g + covered < end) w = std::max<uint32_t>(w, width[g + covered++]);
      const uint32_t header = kRuns[r].code < 0 ? 1 + 4 : 1 + 4 + 4;
      const uint32_t body = w == 0 ? 0 : (valuesBefore[end] - valuesBefore[g]) * w + nonZeroBefore[end] - nonZeroBefore[g];
      const uint32_t total = header + body + cost[end];
      if (total < cost[g]) {
        cost[g] = total;
        run[g] = static_cast<uint8_t>(r);
      }
      if (end == groups) break;  // longer runs end at the same place and cost more
    }
  }

  for (uint32_t g = 0; g < groups;) {
    const Run& r = kRuns[run[g]];
    const uint32_t end = std::min(g + r.groups, groups);
    if (r.code < 0) {
      writer.put(0, 1);
    } else {
      writer.put(1, 1);
      writer.put(static_cast<uint32_t>(r.code), 4);
    }
    uint32_t w = 0;
    for (uint32_t k = g; k < end; ++k) w = std::max<uint32_t>(w, width[k]);
    writer.put(w, 4);
    if (w > 0) {
      const uint32_t from = kFirst + 8 * g, to = std::min(kFirst + 8 * end, length);
      for (uint32_t i = from; i < to; ++i) {
        const uint32_t magnitude = static_cast<uint32_t>(std::abs(values[i]));
        writer.put(magnitude, w);
        if (magnitude) writer.put(values[i] < 0, 1);
      }
    }
    g = end;
  }
}

TOL_NS_END
