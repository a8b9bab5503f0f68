// Decoding of the FLIC pixel chunks into a picture, bounded by the chunk's
// data and by the picture.
#include <algorithm>
#include <cstring>

#include "media/flic_pixels.h"

TOL_NS_BEGIN

namespace flic {

namespace {

// Reads the chunk's bytes; every read first checks that the bytes are there.
class DataReader {
 public:
  DataReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool has(size_t n) const { return size_t(end_ - p_) >= n; }
  uint8_t u8() { return *p_++; }
  int8_t s8() { return static_cast<int8_t>(*p_++); }
  uint32_t u16() {
    uint32_t v = p_[0] | uint32_t(p_[1]) << 8;
    p_ += 2;
    return v;
  }
  // Up to n bytes (fewer when the data ends); advances past them.
  const uint8_t* take(size_t n, size_t& got) {
    got = std::min(n, size_t(end_ - p_));
    const uint8_t* at = p_;
    p_ += got;
    return at;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

// One row of the picture; draws clip at the width.
struct Row {
  uint8_t* pixels;
  uint32_t width;

  void fill(uint32_t x, uint32_t n, uint8_t value) const {
    if (x < width) std::memset(pixels + x, value, std::min(n, width - x));
  }
  void copy(uint32_t x, const uint8_t* src, size_t n) const {
    if (x < width) std::memcpy(pixels + x, src, std::min<size_t>(n, width - x));
  }
  void fillWord(uint32_t x, uint32_t n, uint8_t lo, uint8_t hi) const {
    for (uint32_t end = std::min<uint64_t>(uint64_t(x) + 2 * n, width); x < end; x += 2) {
      pixels[x] = lo;
      if (x + 1 < width) pixels[x + 1] = hi;
    }
  }
};

Row rowOf(const Picture& picture, uint32_t y) { return Row{picture.pixels + size_t(y) * picture.pitch, picture.width}; }

}  // namespace

void decodeBlack(const Picture& picture) {
  for (uint32_t y = 0; y < picture.height; y++) rowOf(picture, y).fill(0, picture.width, 0);
}

void decodeCopy(const uint8_t* data, size_t size, const Picture& picture) {
  DataReader in(data, size);
  for (uint32_t y = 0; y < picture.height; y++) {
    size_t got;
    const uint8_t* src = in.take(picture.width, got);
    if (got == 0) return;
    rowOf(picture, y).copy(0, src, got);
  }
}

// Per row: a packet count (ignored: the row ends at the width), then packets
// of a count byte: positive, a run of the next byte; negative, literal bytes.
void decodeByteRun(const uint8_t* data, size_t size, const Picture& picture) {
  DataReader in(data, size);
  for (uint32_t y = 0; y < picture.height; y++) {
    if (!in.has(1)) return;
    in.u8();
    const Row row = rowOf(picture, y);
    uint32_t x = 0;
    while (x < picture.width) {
      if (!in.has(1)) return;
      const int32_t count = in.s8();
      if (count >= 0) {
        if (!in.has(1)) return;
        row.fill(x, uint32_t(count), in.u8());
        x += uint32_t(count);
      } else {
        size_t got;
        const uint8_t* src = in.take(size_t(-count), got);
        row.copy(x, src, got);
        x += uint32_t(-count);
      }
    }
  }
}

// First row, row count; per row a packet count byte and packets of a skip
// byte and a count byte: positive, literal bytes; negative, a run of one.
void decodeByteDelta(const uint8_t* data, size_t size, const Picture& picture) {
  DataReader in(data, size);
  if (!in.has(4)) return;
  uint32_t y = in.u16();
  const uint32_t rows = in.u16();
  for (uint32_t r = 0; r < rows && y < picture.height; r++, y++) {
    if (!in.has(1)) return;
    const uint32_t packets = in.u8();
    const Row row = rowOf(picture, y);
    uint32_t x = 0;
    for (uint32_t k = 0; k < packets; k++) {
      if (!in.has(2)) return;
      x += in.u8();
      const int32_t count = in.s8();
      if (count >= 0) {
        size_t got;
        const uint8_t* src = in.take(size_t(count), got);
        row.copy(x, src, got);
        x += uint32_t(count);
      } else {
        if (!in.has(1)) return;
        row.fill(x, uint32_t(-count), in.u8());
        x += uint32_t(-count);
      }
    }
  }
}

// Count of coded rows; per row optional words with the top bits 11 (skip
// rows) or 10 (low byte = the row's last pixel), then a packet count and
// packets of a skip byte and a count byte: positive, literal words;
// negative, a run of one word.
void decodeWordDelta(const uint8_t* data, size_t size, const Picture& picture) {
  DataReader in(data, size);
  if (!in.has(2)) return;
  uint32_t rows = in.u16();
  uint32_t y = 0;
  while (rows > 0 && y < picture.height) {
    if (!in.has(2)) return;
    const uint32_t word = in.u16();
    const Row row = rowOf(picture, y);
    switch (word & 0xC000) {
      case 0xC000:
        y += 0x10000 - word;
        continue;
      case 0x8000:
        row.pixels[picture.width - 1] = uint8_t(word);
        continue;
      case 0x4000:  // undefined; passed over
        continue;
      default:
        break;
    }
    uint32_t x = 0;
    for (uint32_t k = 0; k < word; k++) {
      if (!in.has(2)) return;
      x += in.u8();
      const int32_t count = in.s8();
      if (count >= 0) {
        size_t got;
        const uint8_t* src = in.take(2 * size_t(count), got);
        row.copy(x, src, got);
        x += 2 * uint32_t(count);
      } else {
        if (!in.has(2)) return;
        const uint8_t lo = in.u8();
        const uint8_t hi = in.u8();
        row.fillWord(x, uint32_t(-count), lo, hi);
        x += 2 * uint32_t(-count);
      }
    }
    rows--;
    y++;
  }
}

}  // namespace flic

TOL_NS_END
