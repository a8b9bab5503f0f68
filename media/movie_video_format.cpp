#include "media/movie_video_format.h"

#include <algorithm>
#include <cstring>

TOL_NS_BEGIN

namespace {

// Offsets in a visual sample entry, counted after its size and format code.
constexpr size_t kWidth = 24;
constexpr size_t kHeight = 26;
constexpr size_t kDepth = 74;
constexpr size_t kColourTableId = 76;
constexpr size_t kColourTable = 78;

// The standard table of 8-bit pictures without their own: a 6 x 6 x 6 cube
// from white to black, ramps of red, green, blue and grey in the missing
// steps, black last.
void standardPalette8(uint8_t* palette) {
  static constexpr uint8_t kRamp[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
  int i = 0;
  auto set = [&](uint8_t r, uint8_t g, uint8_t b) {
    palette[i * 4] = b;
    palette[i * 4 + 1] = g;
    palette[i * 4 + 2] = r;
    palette[i * 4 + 3] = 0;
    ++i;
  };
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        if (r + g + b < 15) set(uint8_t(0xFF - 0x33 * r), uint8_t(0xFF - 0x33 * g), uint8_t(0xFF - 0x33 * b));
  for (uint8_t v : kRamp) set(v, 0, 0);
  for (uint8_t v : kRamp) set(0, v, 0);
  for (uint8_t v : kRamp) set(0, 0, v);
  for (uint8_t v : kRamp) set(v, v, v);
  set(0, 0, 0);
}

// Fewer than 8 bits without a table: white to black in equal steps.
void greyRamp(uint8_t* palette, int depth) {
  const int entries = 1 << depth;
  for (int i = 0; i < entries; ++i) {
    const uint8_t v = uint8_t(255 - i * 255 / (entries - 1));
    palette[i * 4] = palette[i * 4 + 1] = palette[i * 4 + 2] = v;
    palette[i * 4 + 3] = 0;
  }
}

// A colour table in the entry: seed, flags, last index, then per entry a
// value and red, green, blue as 16-bit components (the high bytes are kept).
// Entries stay in the table's order; the rest of the palette is cleared.
bool readColourTable(ByteView entry, uint8_t* palette) {
  if (!entry.has(kColourTable, 8)) return false;
  const uint32_t entries = std::min<uint32_t>(uint32_t(entry.u16(kColourTable + 6)) + 1, 256);
  if (!entry.has(kColourTable + 8, size_t(entries) * 8)) return false;
  std::memset(palette, 0, 256 * 4);
  for (uint32_t i = 0; i < entries; ++i) {
    const size_t at = kColourTable + 8 + size_t(i) * 8;
    palette[i * 4] = uint8_t(entry.u16(at + 6) >> 8);
    palette[i * 4 + 1] = uint8_t(entry.u16(at + 4) >> 8);
    palette[i * 4 + 2] = uint8_t(entry.u16(at + 2) >> 8);
  }
  return true;
}

}  // namespace

bool firstSampleEntry(ByteView stsd, Box& entry) {
  if (!stsd.has(0, 8) || stsd.u32(4) == 0) return false;
  BoxWalker walker(stsd.from(8));
  return walker.next(entry);
}

bool parseVideoFormat(ByteView stsd, VideoFormat& format) {
  Box entry;
  if (!firstSampleEntry(stsd, entry) || !entry.body.has(0, kColourTableId + 2)) return false;
  const ByteView& e = entry.body;
  format.width = e.u16(kWidth);
  format.height = e.u16(kHeight);
  if (format.width < 1 || format.height < 1 || format.width > kMaxFrameSide || format.height > kMaxFrameSide ||
      uint64_t(format.width) * uint64_t(format.height) > kMaxFramePixels)
    return false;
  const int32_t depth = int16_t(e.u16(kDepth));
  switch (entry.type) {
    case fourcc("raw "):
      format.codec = VideoCodec::kRaw;
      if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)
        return false;
      format.depth = depth;
      break;
    case fourcc("jpeg"):
      format.codec = VideoCodec::kJpeg;
      format.depth = 24;
      break;
    case fourcc("png "):
      format.codec = VideoCodec::kPng;
      format.depth = 24;
      break;
    default:
      return false;
  }
  format.outputBits = format.depth <= 8 ? 8 : 24;
  if (format.outputBits == 8) {
    const bool ownTable = int16_t(e.u16(kColourTableId)) == 0 && readColourTable(e, format.palette);
    if (!ownTable) {
      if (format.depth == 8)
        standardPalette8(format.palette);
      else
        greyRamp(format.palette, format.depth);
    }
  }
  return true;
}

TOL_NS_END
