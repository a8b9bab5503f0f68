// Encoder of Pleven video data (syntax in decode/pleven_video.h). It turns
// a frame into the symbols of the four trees; the writer gathers their
// statistics over the whole file before coding them, since the trees are
// described in the file header.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/libns.h"

TOL_NS_BEGIN
namespace pleven {

// One symbol: tree (pleven::Tree) << 16 | value.
inline uint32_t packSymbol(uint32_t tree, uint32_t value) { return tree << 16 | value; }
inline uint32_t symbolTree(uint32_t s) { return s >> 16; }
inline uint32_t symbolValue(uint32_t s) { return s & 0xFFFF; }

// Appends the symbols that turn canvas (the previous picture, width x height
// stored pixels) into target, and leaves canvas equal to target. A key frame
// does not look at canvas. An inter frame equal to canvas gives no symbols.
void encodeVideo(const uint8_t* target, uint8_t* canvas, int32_t width, int32_t height, bool key,
                 std::vector<uint32_t>& symbols);

}  // namespace pleven
TOL_NS_END
