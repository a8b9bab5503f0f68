// Encoding of whole frames and of deltas against the previous frame, in the
// FLIC pixel chunks' data layouts. Each encoder gives up as soon as its
// output would reach the caller's limit.
#include <algorithm>
#include <cstring>

#include "media/flic_pixels.h"

TOL_NS_BEGIN

namespace flic {

namespace {

// Output bounded by a limit: writes past it are dropped and remembered.
class Output {
 public:
  Output(uint8_t* out, uint32_t limit) : out_(out), limit_(limit) {}

  bool full() const { return size_ >= limit_; }
  uint32_t size() const { return size_; }
  // The size when the whole encoding stayed below the limit, else 0.
  uint32_t result() const { return full() ? 0 : size_; }

  void u8(uint32_t v) {
    if (size_ < limit_) out_[size_++] = uint8_t(v);
  }
  void u16(uint32_t v) {
    u8(v);
    u8(v >> 8);
  }
  void bytes(const uint8_t* src, uint32_t n) {
    if (n <= limit_ - size_) {
      std::memcpy(out_ + size_, src, n);
      size_ += n;
    } else {
      size_ = limit_;
    }
  }
  void patch8(uint32_t at, uint32_t v) {
    if (at < limit_) out_[at] = uint8_t(v);
  }
  void patch16(uint32_t at, uint32_t v) {
    patch8(at, v);
    patch8(at + 1, v >> 8);
  }

 private:
  uint8_t* out_;
  uint32_t limit_;
  uint32_t size_ = 0;
};

constexpr uint32_t kMaxCount = 127;  // longest run or literal of one packet

// Index of the last byte (or last 2-byte word, unit 2) that differs; -1 if none.
int32_t lastDifference(const uint8_t* row, const uint8_t* previous, uint32_t units, uint32_t unit) {
  for (int32_t i = int32_t(units) - 1; i >= 0; i--) {
    if (std::memcmp(row + size_t(i) * unit, previous + size_t(i) * unit, unit) != 0) return i;
  }
  return -1;
}

// Rows of a frame and of the one before it, and tests on stretches of them.
struct RowPair {
  const uint8_t* row;
  const uint8_t* previous;
  uint32_t width;

  // The 4 bytes from byte x on are all there and unchanged.
  bool unchanged4(uint32_t x) const { return x + 4 <= width && std::memcmp(row + x, previous + x, 4) == 0; }
  bool sameByte(uint32_t x) const { return row[x] == previous[x]; }
  bool sameWord(uint32_t w) const { return std::memcmp(row + 2 * w, previous + 2 * w, 2) == 0; }
  bool fourEqual(uint32_t x) const {
    return x + 4 <= width && row[x] == row[x + 1] && row[x] == row[x + 2] && row[x] == row[x + 3];
  }
  bool wordsEqual(uint32_t a, uint32_t b) const { return std::memcmp(row + 2 * a, row + 2 * b, 2) == 0; }
};

}  // namespace

uint32_t encodeByteRun(const uint8_t* frame, uint32_t width, uint32_t height, uint8_t* out, uint32_t limit) {
  Output o(out, limit);
  for (uint32_t y = 0; y < height && !o.full(); y++) {
    const uint8_t* row = frame + size_t(y) * width;
    o.u8(0);  // packet count: readers go by the width
    uint32_t x = 0;
    while (x < width) {
      if (x + 1 < width && row[x] == row[x + 1]) {
        uint32_t n = 2;
        while (x + n < width && n < kMaxCount && row[x + n] == row[x]) n++;
        o.u8(n);
        o.u8(row[x]);
        x += n;
      } else {
        // Literal up to where two equal bytes start (a pair needs a byte
        // after the first).
        uint32_t n = 1;
        while (x + n < width && n < kMaxCount && !(x + n + 1 < width && row[x + n] == row[x + n + 1])) n++;
        o.u8(0x100 - n);
        o.bytes(row + x, n);
        x += n;
      }
    }
  }
  return o.result();
}

uint32_t encodeByteDelta(const uint8_t* frame, const uint8_t* previous, uint32_t width, uint32_t height,
                         uint8_t* out, uint32_t limit) {
  uint32_t first = 0, last = 0;
  bool changed = false;
  for (uint32_t y = 0; y < height; y++) {
    if (std::memcmp(frame + size_t(y) * width, previous + size_t(y) * width, width) == 0) continue;
    if (!changed) first = y;
    last = y;
    changed = true;
  }
  Output o(out, limit);
  o.u16(first);
  o.u16(changed ? last - first + 1 : 0);
  for (uint32_t y = first; changed && y <= last && !o.full(); y++) {
    const RowPair r{frame + size_t(y) * width, previous + size_t(y) * width, width};
    const uint32_t mark = o.size();
    o.u8(0);
    const int32_t lastChanged = lastDifference(r.row, r.previous, width, 1);
    uint32_t packets = 0;
    for (uint32_t x = 0; int32_t(x) <= lastChanged; packets++) {
      uint32_t skip = 0;
      while (skip < 255 && r.sameByte(x)) x++, skip++;
      o.u8(skip);
      if (r.sameByte(x)) {  // a longer gap: an empty packet carries the skip
        o.u8(0);
        continue;
      }
      uint32_t n = 1;
      if (r.fourEqual(x)) {
        const uint8_t value = r.row[x];
        while (int32_t(x + n) <= lastChanged && n < kMaxCount && r.row[x + n] == value && !r.unchanged4(x + n)) n++;
        o.u8(0x100 - n);
        o.u8(value);
      } else {
        while (int32_t(x + n) <= lastChanged && n < kMaxCount && !r.unchanged4(x + n) && !r.fourEqual(x + n)) n++;
        o.u8(n);
        o.bytes(r.row + x, n);
      }
      x += n;
    }
    if (packets > 255) return 0;
    o.patch8(mark, packets);
  }
  return o.result();
}

uint32_t encodeWordDelta(const uint8_t* frame, const uint8_t* previous, uint32_t width, uint32_t height,
                         uint8_t* out, uint32_t limit) {
  const uint32_t words = width / 2;
  Output o(out, limit);
  o.u16(0);
  uint32_t codedRows = 0, skippedRows = 0;
  for (uint32_t y = 0; y < height && !o.full(); y++) {
    const RowPair r{frame + size_t(y) * width, previous + size_t(y) * width, width};
    const int32_t lastChanged = lastDifference(r.row, r.previous, words, 2);
    if (lastChanged < 0) {
      skippedRows++;
      continue;
    }
    for (; skippedRows > 0; skippedRows -= std::min(skippedRows, 0x4000u))
      o.u16(0x10000 - std::min(skippedRows, 0x4000u));
    const uint32_t mark = o.size();
    o.u16(0);
    uint32_t packets = 0;
    for (uint32_t w = 0; int32_t(w) <= lastChanged; packets++) {
      uint32_t skip = 0;
      while (skip < 127 && r.sameWord(w)) w++, skip++;
      o.u8(2 * skip);
      if (r.sameWord(w)) {  // a longer gap: an empty packet carries the skip
        o.u8(0);
        continue;
      }
      uint32_t n = 1;
      if (int32_t(w) == lastChanged || r.wordsEqual(w, w + 1)) {
        while (int32_t(w + n) <= lastChanged && n < kMaxCount && r.wordsEqual(w + n, w) && !r.unchanged4(2 * (w + n))) n++;
        o.u8(0x100 - n);
        o.bytes(r.row + 2 * w, 2);
      } else {
        // Literal; it stops before a repeated word pair only when more than
        // 4 bytes of the row remain.
        while (int32_t(w + n) <= lastChanged && n < kMaxCount && !r.unchanged4(2 * (w + n)) &&
               !(words - (w + n) > 2 && r.wordsEqual(w + n, w + n + 1)))
          n++;
        o.u8(n);
        o.bytes(r.row + 2 * w, 2 * n);
      }
      w += n;
    }
    o.patch16(mark, packets);
    codedRows++;
  }
  o.patch16(0, codedRows);
  return o.result();
}

}  // namespace flic

TOL_NS_END
