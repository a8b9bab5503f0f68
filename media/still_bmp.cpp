// BMP files: core (12-byte) and 40-byte-and-longer info headers; 1, 4, 8,
// 16, 24 and 32 bits; uncompressed, RLE8, RLE4 and bit fields; rows stored
// bottom-up or top-down. Written as 8-bit (256 colours) or 24-bit
// uncompressed bottom-up files with a 40-byte header.
#include <algorithm>
#include <cstring>

#include "media/still_bytes.h"
#include "media/still_codecs.h"
#include "media/still_pixels.h"

TOL_NS_BEGIN

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kMasksInHeaderSize = 52;  // headers this long carry the bit fields

enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

struct BmpHeader {
  int32_t width = 0;
  int32_t height = 0;
  bool topDown = false;
  int32_t bits = 0;
  uint32_t compression = kRgb;
  size_t masksOffset = 0;  // 0: default masks
  size_t paletteOffset = 0;
  int32_t paletteEntries = 0;
  int32_t paletteEntrySize = 4;
  size_t pixelOffset = 0;
};

bool validDepth(int32_t bits, uint32_t compression) {
  switch (compression) {
    case kRgb: return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kRle8: return bits == 8;
    case kRle4: return bits == 4;
    case kBitFields:
    case kAlphaBitFields: return bits == 16 || bits == 32;
    default: return false;
  }
}

// The header, palette and where the pixels start; false for anything that
// is not a BMP file we can read.
bool parseHeader(StillBytes file, BmpHeader& h) {
  const uint8_t* p = file.data;
  if (file.size < kFileHeaderSize + 4 || p[0] != 'B' || p[1] != 'M') return false;
  const uint32_t infoSize = le32(p + kFileHeaderSize);
  if (infoSize != kCoreHeaderSize && (infoSize < kInfoHeaderSize || infoSize > 4096)) return false;
  if (file.size < kFileHeaderSize + infoSize) return false;
  const uint8_t* info = p + kFileHeaderSize;
  size_t afterHeader = kFileHeaderSize + infoSize;
  int64_t height;
  if (infoSize == kCoreHeaderSize) {
    h.width = static_cast<int32_t>(le16(info + 4));
    height = le16(info + 6);
    h.bits = static_cast<int32_t>(le16(info + 10));
    h.paletteEntrySize = 3;
  } else {
    h.width = static_cast<int32_t>(le32(info + 4));
    height = static_cast<int32_t>(le32(info + 8));
    h.bits = static_cast<int32_t>(le16(info + 14));
    h.compression = le32(info + 16);
    h.paletteEntries = static_cast<int32_t>(std::min<uint32_t>(le32(info + 32), 1u << 16));
    if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
      if (infoSize >= kMasksInHeaderSize) {
        h.masksOffset = kFileHeaderSize + kInfoHeaderSize;
      } else {
        h.masksOffset = afterHeader;
        afterHeader += h.compression == kAlphaBitFields ? 16 : 12;
      }
    }
  }
  h.topDown = height < 0;
  height = height < 0 ? -height : height;
  if (h.width <= 0 || height <= 0 || height > INT32_MAX) return false;
  h.height = static_cast<int32_t>(height);
  if (!validDepth(h.bits, h.compression)) return false;
  if (h.bits <= 8) {
    const int32_t full = 1 << h.bits;
    if (h.paletteEntries == 0 || h.paletteEntries > full) h.paletteEntries = full;
    h.paletteOffset = afterHeader;
  } else {
    h.paletteEntries = 0;
  }
  const size_t paletteEnd = afterHeader + static_cast<size_t>(h.paletteEntries) * h.paletteEntrySize;
  h.pixelOffset = le32(p + 10);
  if (h.pixelOffset < afterHeader) h.pixelOffset = paletteEnd;  // a missing offset: pixels follow the palette
  return true;
}

void loadPalette(StillBytes file, const BmpHeader& h, StillImage& image) {
  stillClearColours(image);
  int32_t entries = h.paletteEntries;
  if (h.paletteOffset >= file.size) entries = 0;
  else entries = static_cast<int32_t>(std::min<size_t>(entries, (file.size - h.paletteOffset) / h.paletteEntrySize));
  for (int32_t i = 0; i < entries; ++i) {
    const uint8_t* e = file.data + h.paletteOffset + static_cast<size_t>(i) * h.paletteEntrySize;
    image.colours[i][0] = e[0];
    image.colours[i][1] = e[1];
    image.colours[i][2] = e[2];
  }
  image.coloursUsed = h.paletteEntries;
}

// Stored row r (0 = first in the file) as a picture row counted from the top.
int32_t pictureRow(const BmpHeader& h, int32_t r) { return h.topDown ? r : h.height - 1 - r; }

bool loadUncompressed(StillBytes file, const BmpHeader& h, StillImage& image) {
  const size_t rowBytes = (static_cast<size_t>(h.width) * h.bits + 7) / 8;
  const size_t stride = (rowBytes + 3) & ~size_t(3);
  const size_t need = stride * (h.height - 1) + rowBytes;  // the last row's padding may be missing
  if (h.pixelOffset > file.size || file.size - h.pixelOffset < need) return false;
  ChannelMask red, green, blue;
  if (h.bits == 16 || h.bits == 32) {
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (h.bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (h.masksOffset) {
      if (h.masksOffset + 12 > file.size) return false;
      for (int i = 0; i < 3; ++i) masks[i] = le32(file.data + h.masksOffset + 4 * i);
    }
    red = channelMask(masks[0]), green = channelMask(masks[1]), blue = channelMask(masks[2]);
  }
  for (int32_t r = 0; r < h.height; ++r) {
    const uint8_t* src = file.data + h.pixelOffset + stride * r;
    uint8_t* dst = stillRow(image, pictureRow(h, r));
    if (h.bits <= 8) unpackIndices(src, h.width, h.bits, dst);
    else if (h.bits == 24) bgrFromBgr(src, h.width, 3, dst);
    else bgrFromMasked(src, h.width, h.bits / 8, red, green, blue, dst);
  }
  return true;
}

// Run-length coded indices (RLE8 or RLE4). Pixels the codes skip stay 0;
// codes past the picture's edges are dropped; coded data that ends without
// an end-of-picture code ends the picture.
void loadRunLength(StillBytes file, const BmpHeader& h, StillImage& image) {
  for (int32_t y = 0; y < h.height; ++y) std::memset(stillRow(image, y), 0, static_cast<size_t>(h.width));
  const bool four = h.compression == kRle4;
  size_t pos = h.pixelOffset;
  int64_t x = 0, r = 0;
  auto put = [&](uint8_t index) {
    if (x < h.width && r < h.height) stillRow(image, pictureRow(h, static_cast<int32_t>(r)))[x] = index;
    ++x;
  };
  while (r < h.height && pos + 2 <= file.size) {
    const uint32_t count = file.data[pos], value = file.data[pos + 1];
    pos += 2;
    if (count > 0) {
      const uint8_t first = static_cast<uint8_t>(four ? value >> 4 : value);
      const uint8_t second = static_cast<uint8_t>(four ? value & 15 : value);
      for (uint32_t i = 0; i < count && x < h.width; ++i) put(i % 2 ? second : first);
    } else if (value == 0) {
      x = 0, ++r;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (pos + 2 > file.size) break;
      x += file.data[pos], r += file.data[pos + 1];
      pos += 2;
    } else {
      const size_t bytes = four ? (value + 1) / 2 : value;
      if (bytes > file.size - pos) break;
      for (uint32_t i = 0; i < value && x < h.width; ++i) {
        const uint8_t b = file.data[pos + (four ? i / 2 : i)];
        put(static_cast<uint8_t>(four ? (i % 2 ? b & 15 : b >> 4) : b));
      }
      pos += (bytes + 1) & ~size_t(1);
    }
  }
}

}  // namespace

bool bmpInfo(StillBytes file, StillInfo& info) {
  BmpHeader h;
  if (!parseHeader(file, h)) return false;
  info = StillInfo{h.width, h.height, h.bits, 0};
  return true;
}

bool bmpLoad(StillBytes file, StillImage& image) {
  BmpHeader h;
  if (!parseHeader(file, h) || h.width > kStillMaxSide || h.height > kStillMaxSide) return false;
  const bool indexed = h.bits <= 8;
  if (!stillBufferFits(image, h.width, h.height, indexed)) return false;
  if (indexed) loadPalette(file, h, image);
  else stillClearColours(image);
  if (h.compression == kRle8 || h.compression == kRle4) loadRunLength(file, h, image);
  else if (!loadUncompressed(file, h, image)) return false;
  if (indexed) stillFinishIndexed(image);
  return true;
}

bool bmpSave(const StillImage& image, std::vector<uint8_t>& file) {
  if (!stillImageValid(image)) return false;
  const uint32_t rowBytes = static_cast<uint32_t>(image.width) * (image.bits / 8);
  const uint32_t stride = (rowBytes + 3) & ~3u;
  const uint32_t paletteBytes = image.bits == 8 ? 256 * 4 : 0;
  const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + paletteBytes;
  const uint64_t total = pixelOffset + static_cast<uint64_t>(stride) * image.height;
  if (total > UINT32_MAX) return false;
  file.clear();
  file.reserve(total);
  put8(file, 'B'), put8(file, 'M'), put32(file, static_cast<uint32_t>(total)), put32(file, 0), put32(file, pixelOffset);
  put32(file, kInfoHeaderSize), put32(file, image.width), put32(file, image.height), put16(file, 1),
      put16(file, image.bits), put32(file, kRgb), put32(file, stride * image.height), put32(file, 2835),
      put32(file, 2835), put32(file, image.bits == 8 ? 256 : 0), put32(file, 0);
  if (image.bits == 8)
    for (const auto& c : image.colours) put8(file, c[0]), put8(file, c[1]), put8(file, c[2]), put8(file, 0);
  for (int32_t i = 0; i < image.height; ++i) {  // memory and file both hold the bottom row first
    putBytes(file, image.pixels + static_cast<size_t>(i) * image.pitch, rowBytes);
    file.resize(file.size() + (stride - rowBytes), 0);
  }
  return true;
}

TOL_NS_END
