// Pleven palette chunks: the first byte times 4 is the chunk's length
// (itself included); commands follow and build the new palette from the
// previous one, entry by entry from 0 until all 256 are made:
//   b >= 0x80:            the next (b & 127) + 1 entries keep their colours
//   0x40 <= b < 0x80, s:  the next (b & 63) + 1 entries are copied from the
//                         previous palette from entry s on
//   b < 0x40, g, b2:      one new entry, red b, green g, blue b2 (6 bits
//                         each, widened to 8 as (v << 2) | (v >> 4))
// Bytes after the 256th entry are padding.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN
namespace pleven {

constexpr size_t kPaletteBytes = 768;
constexpr size_t kMaxPaletteChunk = 255 * 4;

inline uint8_t widen6(uint32_t v) { return static_cast<uint8_t>(((v & 63) << 2) | ((v & 63) >> 4)); }

// Applies the commands (the bytes after the length byte) to palette, which
// holds the previous palette on entry (red, green, blue per entry). Commands
// cut short leave the remaining entries as they were.
void applyPaletteCommands(const uint8_t* commands, size_t size, uint8_t* palette);

// Writes the chunk (length byte, commands, zero padding to a multiple of 4)
// that turns previous into the 6-bit form of next (both 768 bytes) and
// returns its size; next is replaced by what the decoder will hold.
// Returns 0, writing nothing, when next's 6-bit form equals previous.
size_t buildPaletteChunk(const uint8_t* previous, uint8_t* next, uint8_t* chunk);

}  // namespace pleven
TOL_NS_END
