// PCX files: 1, 2, 4 and 8 bits in one plane, 1 bit in 2 to 4 planes (16
// colours), 8 bits in 3 or 4 planes (true colour; a fourth plane, alpha, is
// dropped); run-length coded or raw. Written run-length coded as version 5:
// 8 bits in one plane with the 256-colour table at the end, or 8 bits in
// three planes.
#include <algorithm>

#include "media/still_bytes.h"
#include "media/still_codecs.h"
#include "media/still_pixels.h"

TOL_NS_BEGIN

namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kHeaderPalette = 16;
constexpr size_t kTrailerSize = 769;  // marker 12 and 256 colours of red, green, blue
constexpr uint8_t kTrailerMarker = 12;
constexpr uint8_t kManufacturer = 10;

struct PcxHeader {
  bool runLength = true;
  int32_t bits = 0;    // a plane's bits per pixel
  int32_t planes = 0;
  int32_t width = 0;
  int32_t height = 0;
  size_t bytesPerLine = 0;
};

bool supported(int32_t bits, int32_t planes) {
  if (planes == 1) return bits == 1 || bits == 2 || bits == 4 || bits == 8;
  if (bits == 1) return planes >= 2 && planes <= 4;
  return bits == 8 && (planes == 3 || planes == 4);
}

bool parseHeader(StillBytes file, PcxHeader& h) {
  if (file.size < kHeaderSize) return false;
  const uint8_t* p = file.data;
  if (p[0] != kManufacturer || p[1] > 5 || p[2] > 1) return false;
  h.runLength = p[2] == 1;
  h.bits = p[3];
  h.planes = p[65];
  const int32_t xMin = static_cast<int32_t>(le16(p + 4)), yMin = static_cast<int32_t>(le16(p + 6));
  const int32_t xMax = static_cast<int32_t>(le16(p + 8)), yMax = static_cast<int32_t>(le16(p + 10));
  if (xMax < xMin || yMax < yMin || !supported(h.bits, h.planes)) return false;
  h.width = xMax - xMin + 1;
  h.height = yMax - yMin + 1;
  h.bytesPerLine = le16(p + 66);
  return h.bytesPerLine >= (static_cast<size_t>(h.width) * h.bits + 7) / 8;
}

// Colours of the indexed kinds: the table at the end for 8 bits (grey levels
// when it is missing), black and white for two colours (whose header colours
// are seldom set), else the header's 16 colours.
void loadColours(StillBytes file, const PcxHeader& h, StillImage& image) {
  stillClearColours(image);
  if (h.bits == 8) {
    const uint8_t* trailer = file.size >= kHeaderSize + kTrailerSize ? file.data + file.size - kTrailerSize : nullptr;
    if (!trailer || trailer[0] != kTrailerMarker) {
      stillGreyColours(image, 8);
      return;
    }
    for (int i = 0; i < 256; ++i) bgrFromRgb(trailer + 1 + 3 * i, 1, 3, image.colours[i]);
    image.coloursUsed = 256;
    return;
  }
  const int32_t count = 1 << (h.bits * h.planes);
  if (count == 2) {
    stillGreyColours(image, 1);
    return;
  }
  const uint8_t* table = file.data + kHeaderPalette;
  for (int32_t i = 0; i < count; ++i) bgrFromRgb(table + 3 * i, 1, 3, image.colours[i]);
  image.coloursUsed = count;
}

// The coded bytes, one line of all planes at a time; a run may go on from
// one line into the next.
class LineDecoder {
 public:
  LineDecoder(StillBytes file, bool runLength) : file_(file), pos_(kHeaderSize), runLength_(runLength) {}

  bool line(uint8_t* out, size_t count) {
    for (size_t filled = 0; filled < count;) {
      if (left_ == 0) {
        if (pos_ >= file_.size) return false;
        const uint8_t b = file_.data[pos_++];
        if (runLength_ && (b & 0xC0) == 0xC0) {
          if (pos_ >= file_.size) return false;
          left_ = b & 0x3F;
          value_ = file_.data[pos_++];
        } else {
          left_ = 1;
          value_ = b;
        }
      }
      const size_t n = std::min(left_, count - filled);
      std::fill_n(out + filled, n, value_);
      filled += n;
      left_ -= n;
    }
    return true;
  }

 private:
  StillBytes file_;
  size_t pos_;
  bool runLength_;
  size_t left_ = 0;
  uint8_t value_ = 0;
};

// One line of bit planes (plane p gives bit p of each index) into indices.
void indicesFromPlanes(const uint8_t* line, size_t bytesPerLine, int32_t planes, int32_t width, uint8_t* dst) {
  for (int32_t x = 0; x < width; ++x) {
    uint8_t index = 0;
    for (int32_t p = 0; p < planes; ++p)
      index |= static_cast<uint8_t>(((line[p * bytesPerLine + x / 8] >> (7 - x % 8)) & 1) << p);
    dst[x] = index;
  }
}

void bgrFromPlanes(const uint8_t* line, size_t bytesPerLine, int32_t width, uint8_t* dst) {
  for (int32_t x = 0; x < width; ++x, dst += 3) {
    dst[0] = line[2 * bytesPerLine + x];
    dst[1] = line[bytesPerLine + x];
    dst[2] = line[x];
  }
}

// Run-length codes of one plane's line; runs stop at its end.
void encodeLine(const uint8_t* src, size_t count, std::vector<uint8_t>& file) {
  for (size_t i = 0; i < count;) {
    size_t run = 1;
    while (i + run < count && run < 63 && src[i + run] == src[i]) ++run;
    if (run > 1 || (src[i] & 0xC0) == 0xC0) put8(file, 0xC0 | run);
    put8(file, src[i]);
    i += run;
  }
}

}  // namespace

bool pcxInfo(StillBytes file, StillInfo& info) {
  PcxHeader h;
  if (!parseHeader(file, h)) return false;
  info = StillInfo{h.width, h.height, h.bits * h.planes, 0};
  return true;
}

bool pcxLoad(StillBytes file, StillImage& image) {
  PcxHeader h;
  if (!parseHeader(file, h) || h.width > kStillMaxSide || h.height > kStillMaxSide) return false;
  const bool indexed = h.bits * h.planes <= 8;
  if (!stillBufferFits(image, h.width, h.height, indexed)) return false;
  if (indexed) loadColours(file, h, image);
  else stillClearColours(image);
  std::vector<uint8_t> line(h.bytesPerLine * h.planes);
  LineDecoder decoder(file, h.runLength);
  for (int32_t y = 0; y < h.height; ++y) {
    if (!decoder.line(line.data(), line.size())) return false;
    uint8_t* dst = stillRow(image, y);
    if (h.planes == 1) unpackIndices(line.data(), h.width, h.bits, dst);
    else if (h.bits == 1) indicesFromPlanes(line.data(), h.bytesPerLine, h.planes, h.width, dst);
    else bgrFromPlanes(line.data(), h.bytesPerLine, h.width, dst);
  }
  if (indexed) stillFinishIndexed(image);
  return true;
}

bool pcxSave(const StillImage& image, std::vector<uint8_t>& file) {
  if (!stillImageValid(image) || image.width > 0xFFFF || image.height > 0xFFFF) return false;
  const bool indexed = image.bits == 8;
  const int32_t planes = indexed ? 1 : 3;
  const size_t bytesPerLine = (static_cast<size_t>(image.width) + 1) & ~size_t(1);  // even, as readers expect
  file.assign(kHeaderSize, 0);
  uint8_t* p = file.data();
  p[0] = kManufacturer, p[1] = 5, p[2] = 1, p[3] = 8;
  p[8] = static_cast<uint8_t>(image.width - 1), p[9] = static_cast<uint8_t>((image.width - 1) >> 8);
  p[10] = static_cast<uint8_t>(image.height - 1), p[11] = static_cast<uint8_t>((image.height - 1) >> 8);
  p[12] = p[14] = 72;  // dots per inch
  p[65] = static_cast<uint8_t>(planes);
  p[66] = static_cast<uint8_t>(bytesPerLine), p[67] = static_cast<uint8_t>(bytesPerLine >> 8);
  p[68] = 1;  // colour
  std::vector<uint8_t> plane(bytesPerLine, 0);
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = stillRow(image, y);
    for (int32_t c = 0; c < planes; ++c) {
      if (indexed) std::copy(row, row + image.width, plane.begin());
      else
        for (int32_t x = 0; x < image.width; ++x) plane[x] = row[3 * x + 2 - c];  // red, green, blue planes
      encodeLine(plane.data(), bytesPerLine, file);
    }
  }
  if (indexed) {
    put8(file, kTrailerMarker);
    for (const auto& c : image.colours) put8(file, c[2]), put8(file, c[1]), put8(file, c[0]);
  }
  return true;
}

TOL_NS_END
