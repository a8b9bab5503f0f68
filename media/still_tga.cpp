// TGA files: colour-mapped (8-bit indices), true-colour (15, 16, 24, 32 bits)
// and grey (8 bits), uncompressed or run-length coded, with the origin in any
// corner. Written uncompressed with the origin at the bottom left: 24-bit
// true colour, or 8-bit indices with a 256-entry 24-bit colour map.
#include <algorithm>
#include <cstring>

#include "media/still_bytes.h"
#include "media/still_codecs.h"
#include "media/still_pixels.h"

TOL_NS_BEGIN

namespace {

constexpr size_t kHeaderSize = 18;
enum : uint32_t { kMapped = 1, kTrueColour = 2, kGrey = 3, kRunLength = 8 };
constexpr uint32_t kRightToLeft = 0x10, kTopDown = 0x20;

struct TgaHeader {
  uint32_t type = 0;  // without the run-length bit
  bool runLength = false;
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;
  uint32_t descriptor = 0;
  bool hasMap = false;
  int32_t mapFirst = 0;
  int32_t mapLength = 0;
  int32_t mapEntryBits = 0;
  size_t mapOffset = 0;
  size_t pixelOffset = 0;
};

bool validEntryBits(int32_t bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

bool parseHeader(StillBytes file, TgaHeader& h) {
  if (file.size < kHeaderSize) return false;
  const uint8_t* p = file.data;
  const uint32_t mapType = p[1];
  h.type = p[2] & 7;
  h.runLength = (p[2] & kRunLength) != 0;
  if (mapType > 1 || (p[2] & ~7u & ~kRunLength) || h.type < kMapped || h.type > kGrey) return false;
  h.hasMap = mapType == 1;
  h.mapFirst = static_cast<int32_t>(le16(p + 3));
  h.mapLength = static_cast<int32_t>(le16(p + 5));
  h.mapEntryBits = p[7];
  h.width = static_cast<int32_t>(le16(p + 12));
  h.height = static_cast<int32_t>(le16(p + 14));
  h.depth = p[16];
  h.descriptor = p[17];
  if (h.descriptor & 0xC0) return false;  // interleaved rows: never in use
  switch (h.type) {
    case kMapped:
      if (!h.hasMap || h.depth != 8) return false;
      break;
    case kTrueColour:
      if (!validEntryBits(h.depth)) return false;
      break;
    default:
      if (h.depth != 8) return false;
  }
  if (h.hasMap && !validEntryBits(h.mapEntryBits)) return false;
  h.mapOffset = kHeaderSize + p[0];
  h.pixelOffset = h.mapOffset + (h.hasMap ? static_cast<size_t>(h.mapLength) * ((h.mapEntryBits + 7) / 8) : 0);
  return true;
}

// 15- and 16-bit pixels: five bits each of red, green and blue, the top bit
// an attribute (alpha) that is dropped.
void bgrFromTga16(const uint8_t* src, int32_t width, uint8_t* dst) {
  static const ChannelMask red = channelMask(0x7C00), green = channelMask(0x03E0), blue = channelMask(0x001F);
  bgrFromMasked(src, width, 2, red, green, blue, dst);
}

void convertRow(const TgaHeader& h, const uint8_t* src, uint8_t* dst) {
  if (h.depth == 8) std::copy(src, src + h.width, dst);
  else if (h.depth <= 16) bgrFromTga16(src, h.width, dst);
  else bgrFromBgr(src, h.width, h.depth / 8, dst);
}

bool loadColourMap(StillBytes file, const TgaHeader& h, StillImage& image) {
  const int32_t entryBytes = (h.mapEntryBits + 7) / 8;
  if (h.pixelOffset > file.size) return false;
  stillClearColours(image);
  for (int32_t i = 0; i < h.mapLength && h.mapFirst + i < 256; ++i) {
    const uint8_t* e = file.data + h.mapOffset + static_cast<size_t>(i) * entryBytes;
    if (entryBytes == 2) bgrFromTga16(e, 1, image.colours[h.mapFirst + i]);
    else bgrFromBgr(e, 1, entryBytes, image.colours[h.mapFirst + i]);
  }
  image.coloursUsed = std::clamp(h.mapFirst + h.mapLength, 0, 256);
  return true;
}

// The file's pixels, one stored row at a time, raw or from run-length
// packets (which may run on from one row into the next).
class PixelStream {
 public:
  PixelStream(StillBytes file, const TgaHeader& h)
      : file_(file), pos_(h.pixelOffset), bytes_((h.depth + 7) / 8), runLength_(h.runLength) {}

  bool row(uint8_t* out, int32_t width) {
    for (int32_t filled = 0; filled < width;) {
      if (left_ == 0 && !startPacket(width - filled)) return false;
      const int32_t n = std::min<int32_t>(left_, width - filled);
      uint8_t* dst = out + static_cast<size_t>(filled) * bytes_;
      if (repeat_) {
        for (int32_t i = 0; i < n; ++i) std::memcpy(dst + i * bytes_, value_, bytes_);
      } else {
        const size_t count = static_cast<size_t>(n) * bytes_;
        if (count > file_.size - pos_) return false;
        std::memcpy(dst, file_.data + pos_, count);
        pos_ += count;
      }
      left_ -= n;
      filled += n;
    }
    return true;
  }

 private:
  bool startPacket(int32_t wanted) {
    if (!runLength_) {
      repeat_ = false;
      left_ = wanted;
      return pos_ <= file_.size;
    }
    if (pos_ >= file_.size) return false;
    const uint8_t head = file_.data[pos_++];
    left_ = (head & 0x7F) + 1;
    repeat_ = (head & 0x80) != 0;
    if (repeat_) {
      if (static_cast<size_t>(bytes_) > file_.size - pos_) return false;
      value_ = file_.data + pos_;
      pos_ += bytes_;
    }
    return true;
  }

  StillBytes file_;
  size_t pos_;
  int32_t bytes_;
  bool runLength_;
  int32_t left_ = 0;
  bool repeat_ = false;
  const uint8_t* value_ = nullptr;
};

}  // namespace

bool tgaInfo(StillBytes file, StillInfo& info) {
  TgaHeader h;
  if (!parseHeader(file, h)) return false;
  info = StillInfo{h.width, h.height, h.depth == 15 ? 16 : h.depth, 0};
  return true;
}

bool tgaLoad(StillBytes file, StillImage& image) {
  TgaHeader h;
  if (!parseHeader(file, h) || h.width == 0 || h.height == 0 || h.width > kStillMaxSide || h.height > kStillMaxSide)
    return false;
  const bool indexed = h.depth == 8;
  if (!stillBufferFits(image, h.width, h.height, indexed)) return false;
  if (h.type == kMapped) {
    if (!loadColourMap(file, h, image)) return false;
  } else if (h.type == kGrey) {
    stillGreyColours(image, 8);
  } else {
    stillClearColours(image);
  }
  std::vector<uint8_t> raw(static_cast<size_t>(h.width) * ((h.depth + 7) / 8));
  PixelStream stream(file, h);
  for (int32_t r = 0; r < h.height; ++r) {
    if (!stream.row(raw.data(), h.width)) return false;
    uint8_t* dst = stillRow(image, (h.descriptor & kTopDown) ? r : h.height - 1 - r);
    convertRow(h, raw.data(), dst);
    if (h.descriptor & kRightToLeft) mirrorRow(dst, h.width, indexed ? 1 : 3);
  }
  if (indexed) stillFinishIndexed(image);
  return true;
}

bool tgaSave(const StillImage& image, std::vector<uint8_t>& file) {
  if (!stillImageValid(image) || image.width > 0xFFFF || image.height > 0xFFFF) return false;
  const bool indexed = image.bits == 8;
  const size_t rowBytes = static_cast<size_t>(image.width) * (image.bits / 8);
  file.clear();
  file.reserve(kHeaderSize + (indexed ? 768 : 0) + rowBytes * image.height);
  put8(file, 0), put8(file, indexed ? 1 : 0), put8(file, indexed ? kMapped : kTrueColour);
  put16(file, 0), put16(file, indexed ? 256 : 0), put8(file, indexed ? 24 : 0);
  put16(file, 0), put16(file, 0), put16(file, image.width), put16(file, image.height);
  put8(file, image.bits), put8(file, 0);  // bottom-left origin, no attribute bits
  if (indexed)
    for (const auto& c : image.colours) putBytes(file, c, 3);
  for (int32_t i = 0; i < image.height; ++i)  // memory and file both hold the bottom row first
    putBytes(file, image.pixels + static_cast<size_t>(i) * image.pitch, rowBytes);
  return true;
}

TOL_NS_END
