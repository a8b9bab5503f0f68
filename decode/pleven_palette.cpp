#include "decode/pleven_palette.h"

#include <cstring>

TOL_NS_BEGIN
namespace pleven {

void applyPaletteCommands(const uint8_t* commands, size_t size, uint8_t* palette) {
  uint8_t previous[kPaletteBytes];
  std::memcpy(previous, palette, kPaletteBytes);
  const uint8_t* p = commands;
  const uint8_t* end = commands + size;
  uint32_t entry = 0;
  while (entry < 256 && p < end) {
    const uint32_t b = *p++;
    if (b & 0x80) {
      entry += (b & 127) + 1;  // kept: palette already holds them
    } else if (b & 0x40) {
      if (p == end) break;
      uint32_t source = *p++;
      for (uint32_t n = (b & 63) + 1; n > 0 && entry < 256; --n, ++entry, ++source) {
        std::memcpy(palette + 3 * entry, previous + 3 * (source & 255), 3);
      }
    } else {
      if (end - p < 2) break;
      palette[3 * entry] = widen6(b);
      palette[3 * entry + 1] = widen6(*p++);
      palette[3 * entry + 2] = widen6(*p++);
      ++entry;
    }
  }
}

namespace {

bool sameEntry(const uint8_t* a, uint32_t i, const uint8_t* b, uint32_t j) {
  return std::memcmp(a + 3 * i, b + 3 * j, 3) == 0;
}

// Longest run of entries from `entry` on that equal previous from some
// source s on (at most 64): returns its length and sets source.
uint32_t longestCopy(const uint8_t* previous, const uint8_t* next, uint32_t entry, uint32_t& source) {
  uint32_t best = 0;
  for (uint32_t s = 0; s < 256; ++s) {
    uint32_t n = 0;
    while (n < 64 && entry + n < 256 && s + n < 256 && sameEntry(next, entry + n, previous, s + n)) ++n;
    if (n > best) {
      best = n;
      source = s;
    }
  }
  return best;
}

}  // namespace

size_t buildPaletteChunk(const uint8_t* previous, uint8_t* next, uint8_t* chunk) {
  for (size_t i = 0; i < kPaletteBytes; ++i) next[i] = widen6(next[i] >> 2);
  if (std::memcmp(previous, next, kPaletteBytes) == 0) return 0;
  size_t size = 1;
  uint32_t entry = 0;
  while (entry < 256) {
    uint32_t kept = 0;
    while (kept < 128 && entry + kept < 256 && sameEntry(next, entry + kept, previous, entry + kept)) ++kept;
    if (kept > 0) {
      chunk[size++] = static_cast<uint8_t>(0x80 | (kept - 1));
      entry += kept;
      continue;
    }
    uint32_t source = 0;
    const uint32_t copied = longestCopy(previous, next, entry, source);
    if (copied >= 1) {  // two bytes, never more than a new entry's three
      chunk[size++] = static_cast<uint8_t>(0x40 | (copied - 1));
      chunk[size++] = static_cast<uint8_t>(source);
      entry += copied;
      continue;
    }
    for (int c = 0; c < 3; ++c) chunk[size++] = static_cast<uint8_t>(next[3 * entry + c] >> 2);
    ++entry;
  }
  while (size % 4) chunk[size++] = 0;
  chunk[0] = static_cast<uint8_t>(size / 4);
  return size;
}

}  // namespace pleven
TOL_NS_END
