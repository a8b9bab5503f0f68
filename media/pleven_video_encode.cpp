// Greedy Pleven video encoder: at each pixel it measures how far a skip, a
// fill, a two-colour pattern and copies from a few nearby offsets would
// reach, and takes the one that saves most over literal pixels; pixels that
// nothing covers well gather into literal runs. Copies are matched against
// the picture as the decoder will hold it at that moment: pixels before the
// current one already new, the rest still the previous picture.
#include "media/pleven_video_encode.h"

#include <cstring>

#include "decode/pleven_format.h"
#include "decode/pleven_video.h"

TOL_NS_BEGIN
namespace pleven {

namespace {

// Rough bit costs that steer the choice (the real codes come later).
constexpr int32_t kLiteralBits = 7;
constexpr int32_t kOverhead[5] = {5, 12, 6, 11, 19};  // skip, fill, literal, copy, pattern
constexpr int32_t kMinimumGain = 8;

struct Offset {
  int32_t dx, dy;
};
constexpr Offset kOffsets[] = {{0, -1}, {-1, -1}, {1, -1}, {0, -2}, {-2, -1}, {2, -1},
                               {0, 1},  {1, 0},   {-1, 1}, {1, 1},  {-4, 0},  {0, -4}};

class FrameEncoder {
 public:
  FrameEncoder(const uint8_t* target, const uint8_t* canvas, int32_t width, int32_t height, bool key,
               std::vector<uint32_t>& out)
      : target_(target), canvas_(canvas), width_(width), total_(static_cast<uint32_t>(width) * height),
        height_(height), key_(key), out_(out) {}

  void run() {
    uint32_t p = 0;
    while (p < total_) {
      Choice best = choose(p);
      if (best.gain < kMinimumGain) {
        if (literalCount_ == 0) literalStart_ = p;
        ++literalCount_;
        ++p;
        continue;
      }
      flushLiterals();
      emit(best, p);
      p += best.length;
    }
    flushLiterals();
  }

 private:
  struct Choice {
    uint32_t kind = kLiteral;
    uint32_t length = 1;
    int32_t gain = 0;
    Offset offset = {0, 0};
  };

  static void consider(Choice& best, uint32_t kind, uint32_t length, Offset offset = {0, 0}) {
    const int32_t gain = static_cast<int32_t>(length) * kLiteralBits - kOverhead[kind];
    if (gain > best.gain) best = Choice{kind, length, gain, offset};
  }

  uint32_t skipRun(uint32_t p) const {
    uint32_t n = 0;
    while (p + n < total_ && target_[p + n] == canvas_[p + n]) ++n;
    return n;
  }
  uint32_t fillRun(uint32_t p) const {
    uint32_t n = 1;
    while (p + n < total_ && target_[p + n] == target_[p]) ++n;
    return n;
  }
  uint32_t patternRun(uint32_t p) const {
    if (p + 1 >= total_ || target_[p + 1] == target_[p]) return 0;
    uint32_t n = 2;
    while (p + n < total_ && target_[p + n] == target_[p + (n & 1)]) ++n;
    return n;
  }
  // How many pixels from p a copy from offset o reproduces, as the decoder
  // will see the picture.
  uint32_t copyRun(uint32_t p, Offset o) const {
    const int64_t shift = int64_t{o.dy} * width_ + o.dx;
    if (key_ && shift >= 0) return 0;
    int32_t x = static_cast<int32_t>(p % static_cast<uint32_t>(width_));
    int32_t y = static_cast<int32_t>(p / static_cast<uint32_t>(width_));
    uint32_t n = 0;
    while (p + n < total_) {
      const int32_t sx = x + o.dx, sy = y + o.dy;
      if (sx < 0 || sx >= width_ || sy < 0 || sy >= height_) break;
      const uint32_t q = p + n;
      const uint32_t s = static_cast<uint32_t>(int64_t{q} + shift);
      const uint8_t value = s < q ? target_[s] : canvas_[s];
      if (value != target_[q]) break;
      ++n;
      if (++x == width_) {
        x = 0;
        ++y;
      }
    }
    return n;
  }

  Choice choose(uint32_t p) const {
    Choice best;
    if (!key_) consider(best, kSkip, skipRun(p));
    consider(best, kFill, fillRun(p));
    if (uint32_t n = patternRun(p); n >= 4) consider(best, kPattern, n);
    for (Offset o : kOffsets) consider(best, kCopy, copyRun(p, o), o);
    for (int i = 0; i < recentCount_; ++i) consider(best, kCopy, copyRun(p, recent_[i]), recent_[i]);
    return best;
  }

  void command(uint32_t kind, uint32_t length) {
    out_.push_back(packSymbol(kCommandTree, commandSymbol(kind, length)));
    if (length > kInlineLengths) {
      const uint32_t extra = length - (kInlineLengths + 1);
      out_.push_back(packSymbol(kLengthTree, extra & 0xFFFF));
      out_.push_back(packSymbol(kLengthTree, extra >> 16));
    }
  }
  void colour(uint8_t c) { out_.push_back(packSymbol(kColourTree, c)); }

  void emit(const Choice& c, uint32_t p) {
    command(c.kind, c.length);
    switch (c.kind) {
      case kFill: colour(target_[p]); break;
      case kPattern:
        colour(target_[p]);
        colour(target_[p + 1]);
        break;
      case kCopy:
        out_.push_back(packSymbol(kOffsetTree, offsetSymbol(c.offset.dx, c.offset.dy)));
        remember(c.offset);
        break;
      default: break;
    }
  }

  void remember(Offset o) {
    for (int i = 0; i < recentCount_; ++i) {
      if (recent_[i].dx == o.dx && recent_[i].dy == o.dy) return;
    }
    for (Offset k : kOffsets) {
      if (k.dx == o.dx && k.dy == o.dy) return;
    }
    recent_[recentNext_] = o;
    recentNext_ = (recentNext_ + 1) % 3;
    if (recentCount_ < 3) ++recentCount_;
  }

  void flushLiterals() {
    if (literalCount_ == 0) return;
    command(kLiteral, literalCount_);
    for (uint32_t i = 0; i < literalCount_; ++i) colour(target_[literalStart_ + i]);
    literalCount_ = 0;
  }

  const uint8_t* target_;
  const uint8_t* canvas_;
  const int32_t width_;
  const uint32_t total_;
  const int32_t height_;
  const bool key_;
  std::vector<uint32_t>& out_;
  uint32_t literalStart_ = 0;
  uint32_t literalCount_ = 0;
  Offset recent_[3] = {};
  int recentCount_ = 0;
  int recentNext_ = 0;
};

}  // namespace

void encodeVideo(const uint8_t* target, uint8_t* canvas, int32_t width, int32_t height, bool key,
                 std::vector<uint32_t>& symbols) {
  const size_t total = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (!key && std::memcmp(target, canvas, total) == 0) return;
  FrameEncoder(target, canvas, width, height, key, symbols).run();
  std::memcpy(canvas, target, total);
}

}  // namespace pleven
TOL_NS_END
