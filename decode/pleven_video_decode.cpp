// Decoding of Pleven video data (syntax in decode/pleven_video.h): the
// command loop reads symbols; the row kernels below write the pixels.
#include <algorithm>
#include <cstring>

#include "decode/pleven_format.h"
#include "decode/pleven_video.h"

TOL_NS_BEGIN
namespace pleven {

namespace {

class VideoDecoder {
 public:
  VideoDecoder(const uint8_t* data, size_t size, HuffDecodeTree* trees, const Canvas& canvas)
      : in_(data, data + size), canvas_(canvas), total_(static_cast<uint64_t>(canvas.width) * canvas.height) {
    for (int t = 0; t < 4; ++t) {
      trees_[t] = &trees[t];
      trees_[t]->resetLasts();
    }
  }

  bool run() {
    while (done_ < total_) {
      const int32_t c = symbol(kCommandTree);
      if (c < 0) return false;
      uint64_t length = (c & 4095) + 1u;
      if ((c & 4095) == kInlineLengths) {
        const int32_t lo = symbol(kLengthTree);
        const int32_t hi = symbol(kLengthTree);
        if (lo < 0 || hi < 0) return false;
        length = 4096 + static_cast<uint64_t>(lo) + (static_cast<uint64_t>(hi) << 16);
      }
      if (length > total_ - done_ || !command(static_cast<uint32_t>(c) >> 12, static_cast<uint32_t>(length))) {
        return false;
      }
      if (in_.overrun()) return false;
    }
    return true;
  }

 private:
  int32_t symbol(Tree t) { return trees_[t]->decodeWord(in_); }
  int32_t colour() {
    const int32_t v = symbol(kColourTree);
    return v > 255 ? -1 : v;
  }

  bool command(uint32_t kind, uint32_t length) {
    switch (kind) {
      case kSkip:
        advance(length);
        return true;
      case kFill: {
        const int32_t c = colour();
        if (c < 0) return false;
        return rows(length, [&](uint8_t* p, uint32_t n, uint32_t) { std::memset(p, c, n); });
      }
      case kLiteral:
        return rows(length, [&](uint8_t* p, uint32_t n, uint32_t) {
          for (uint32_t i = 0; i < n; ++i) {
            const int32_t c = colour();
            if (c < 0) {
              failed_ = true;
              return;
            }
            p[i] = static_cast<uint8_t>(c);
          }
        });
      case kCopy:
        return copy(length);
      case kPattern: {
        const int32_t a = colour();
        const int32_t b = colour();
        if (a < 0 || b < 0) return false;
        const uint8_t pair[2] = {static_cast<uint8_t>(a), static_cast<uint8_t>(b)};
        return rows(length, [&](uint8_t* p, uint32_t n, uint32_t phase) {
          for (uint32_t i = 0; i < n; ++i) p[i] = pair[(phase + i) & 1];
        });
      }
      default:
        return false;
    }
  }

  bool copy(uint32_t length) {
    const int32_t s = symbol(kOffsetTree);
    if (s < 0) return false;
    const int32_t dx = (s & 255) - static_cast<int32_t>(kOffsetBias);
    const int32_t dy = (s >> 8) - static_cast<int32_t>(kOffsetBias);
    if (dx == 0 && dy == 0) return false;
    return rows(length, [&](uint8_t* p, uint32_t n, uint32_t) {
      const int32_t sy = y_ + dy, sx = x_ + dx;
      if (sy < 0 || sy >= canvas_.height || sx < 0 || sx + static_cast<int64_t>(n) > canvas_.width) {
        failed_ = true;
        return;
      }
      const uint8_t* src = canvas_.row(sy) + sx;
      if (dy == 0 && dx < 0) {
        for (uint32_t i = 0; i < n; ++i) p[i] = src[i];  // overlapping: repeats
      } else {
        std::memmove(p, src, n);
      }
    });
  }

  // Runs write(pointer, count, pixels done in this command) over the rows
  // the next length pixels cover, then moves on.
  template <typename Write>
  bool rows(uint32_t length, Write&& write) {
    uint32_t doneInCommand = 0;
    while (length > 0 && !failed_) {
      const uint32_t n = std::min<uint32_t>(length, static_cast<uint32_t>(canvas_.width - x_));
      write(canvas_.row(y_) + x_, n, doneInCommand);
      if (in_.overrun()) failed_ = true;  // out of bits: stop at the row's end
      if (failed_) break;
      doneInCommand += n;
      length -= n;
      advance(n);
    }
    return !failed_;
  }

  void advance(uint32_t n) {
    done_ += n;
    const uint64_t pos = static_cast<uint64_t>(x_) + n;
    y_ += static_cast<int32_t>(pos / static_cast<uint32_t>(canvas_.width));
    x_ = static_cast<int32_t>(pos % static_cast<uint32_t>(canvas_.width));
  }

  LsbBitReader in_;
  HuffDecodeTree* trees_[4];
  const Canvas& canvas_;
  const uint64_t total_;
  uint64_t done_ = 0;
  int32_t x_ = 0, y_ = 0;
  bool failed_ = false;
};

}  // namespace

bool decodeVideo(const uint8_t* data, size_t size, HuffDecodeTree* trees, const Canvas& canvas) {
  if (size == 0) return true;
  if (canvas.width <= 0 || canvas.height <= 0) return false;
  return VideoDecoder(data, size, trees, canvas).run();
}

}  // namespace pleven
TOL_NS_END
