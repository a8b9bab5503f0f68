// Still images as a graphics input: one frame, loaded at 8 bits (palette
// indices) from files of 8 bits or fewer and at 24 bits from deeper ones;
// and animated GIFs, frame by frame at 24 bits.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <numeric>
#include <vector>

#include "media/gfile_probes.h"
#include "media/still_image.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

std::atomic<size_t> bufferLimit{SIZE_MAX};

class StillSource final : public FrameSource {
 public:
  StillSource(std::unique_ptr<StillFile> file, int32_t bits) : file_(std::move(file)), bits_(bits) {
    const StillInfo& info = file_->info();
    width_ = info.width;
    height_ = info.height;
    pitch_ = ((width_ * bits / 8) + 3) & ~3;
  }
  ~StillSource() override { tolfree(pixels_); }

  bool read(int32_t, SourceFrame& frame) override {
    frame.bits = bits_;
    frame.palette = palette_;
    frame.frameBytes = 0;  // the file's size, known to the graphics input
    if (frame.target.pixels && bits_ == 24 && file_->loadsWords()) {
      // Straight into the delivered frame: no buffer, no conversion.
      if (!file_->loadWords(frame.target.pixels, frame.target.pitch)) clearRows(frame.target);
      frame.inOutput = true;
      return true;
    }
    const size_t size = static_cast<size_t>(pitch_) * height_;
    if (!pixels_ && size <= bufferLimit.load(std::memory_order_relaxed))
      pixels_ = static_cast<uint8_t*>(tolmalloc(static_cast<uint32_t>(size)));
    if (!pixels_) {
      frame.outOfMemory = frame.inOutput = true;
      return true;
    }
    StillImage image{};
    image.width = width_;
    image.height = height_;
    image.bits = bits_;
    image.pitch = pitch_;
    image.pixels = pixels_;
    if (!file_->load(image)) std::memset(pixels_, 0, size);  // a file that fails to load is black
    for (int i = 0; i < 256; ++i) {
      palette_[i * 3] = image.colours[i][2];
      palette_[i * 3 + 1] = image.colours[i][1];
      palette_[i * 3 + 2] = image.colours[i][0];
    }
    frame.pixels = pixels_ + static_cast<ptrdiff_t>(height_ - 1) * pitch_;
    frame.pitch = -pitch_;
    frame.newPalette = true;
    return true;
  }
  void rewind() override {}

 private:
  // A file that fails to load is black.
  void clearRows(const FrameTarget& target) const {
    for (int32_t y = 0; y < height_; ++y)
      std::memset(target.pixels + static_cast<ptrdiff_t>(y) * target.pitch, 0, static_cast<size_t>(width_) * 4);
  }

  std::unique_ptr<StillFile> file_;
  int32_t width_, height_, bits_, pitch_;
  uint8_t* pixels_ = nullptr;
  uint8_t palette_[768] = {};
};

// An animated GIF: source frames at a rate that gives every frame's delay a
// whole number of them (100 / the greatest common divisor of the delays in
// 1/100 s), each showing the frame whose time it falls in, composed on the
// screen. A damaged frame shows what could be drawn of it.
class GifAnimationSource final : public FrameSource {
 public:
  explicit GifAnimationSource(std::unique_ptr<GifAnimation> animation) : gif_(std::move(animation)) {
    for (int32_t i = 0; i < gif_->frames(); ++i) tick_ = std::gcd(tick_, shownFor(i));
    int64_t time = 0;
    starts_.reserve(static_cast<size_t>(gif_->frames()));
    for (int32_t i = 0; i < gif_->frames(); ++i) {
      starts_.push_back(time);
      time += shownFor(i);
    }
    frames_ = static_cast<int32_t>(std::min<int64_t>(time / tick_, kMaxSourceFrames));
  }

  int32_t frames() const { return frames_; }
  int32_t tick() const { return tick_; }

  bool read(int32_t number, SourceFrame& frame) override {
    const int64_t time = static_cast<int64_t>(number) * tick_;
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), time);
    gif_->compose(static_cast<int32_t>(after - starts_.begin()) - 1);
    frame.pixels = gif_->canvas();
    frame.pitch = gif_->width() * 3;
    frame.bits = 24;
    frame.frameBytes = 0;  // the file's size, known to the graphics input
    return true;
  }
  void rewind() override {}

 private:
  // More than any range selects.
  static constexpr int64_t kMaxSourceFrames = 16777215;
  // A frame without a delay is shown for 1/10 s, as players do.
  static constexpr int32_t kUnsetDelay = 10;

  int32_t shownFor(int32_t i) const { return gif_->delay(i) > 0 ? gif_->delay(i) : kUnsetDelay; }

  std::unique_ptr<GifAnimation> gif_;
  int32_t tick_ = 0, frames_ = 0;
  std::vector<int64_t> starts_;  // each frame's start in 1/100 s
};

const char* typeNameOf(StillFormat f) {
  switch (f) {
    case StillFormat::Bmp: return "BMP still image";
    case StillFormat::Gif: return "GIF still image";
    case StillFormat::Tif: return "TIF still image";
    case StillFormat::Jpeg: return "JPEG still image";
    case StillFormat::Tga: return "TGA still image";
    case StillFormat::Png: return "PNG still image";
    case StillFormat::Pcx: return "PCX still image";
  }
  return "";
}

ProbeOutcome probeStill(StillFormat format, const char* name, ProbeResult& r) {
  std::unique_ptr<StillFile> file = StillFile::open(format, name);
  if (!file) return ProbeOutcome::Declined;
  const StillInfo info = file->info();
  // Every format is held to the still-image limit: the buffer is allocated
  // from the header's size.
  if (info.width <= 0 || info.height <= 0 || info.width > kStillMaxSide || info.height > kStillMaxSide)
    return ProbeOutcome::Declined;
  if (format == StillFormat::Tif && info.compression == 5) return ProbeOutcome::Declined;
  const int32_t bits = info.bitsPerPixel <= 8 ? 8 : 24;
  r.source = new (std::nothrow) StillSource(std::move(file), bits);
  if (!r.source) return ProbeOutcome::Declined;
  r.kind = static_cast<int32_t>(format);
  r.typeName = typeNameOf(format);
  r.width = info.width;
  r.height = info.height;
  r.bits = bits;
  r.frames = 1;
  return ProbeOutcome::Accepted;
}

}  // namespace

void setStillBufferLimit(size_t bytes) { bufferLimit.store(bytes, std::memory_order_relaxed); }

ProbeOutcome probeBmp(const char* name, ProbeResult& r) { return probeStill(StillFormat::Bmp, name, r); }
ProbeOutcome probePcx(const char* name, ProbeResult& r) { return probeStill(StillFormat::Pcx, name, r); }
ProbeOutcome probePng(const char* name, ProbeResult& r) { return probeStill(StillFormat::Png, name, r); }
ProbeOutcome probeTga(const char* name, ProbeResult& r) { return probeStill(StillFormat::Tga, name, r); }
ProbeOutcome probeTif(const char* name, ProbeResult& r) { return probeStill(StillFormat::Tif, name, r); }
// A GIF of more than one frame is an animation, else a still.
ProbeOutcome probeGif(const char* name, ProbeResult& r) {
  std::unique_ptr<GifAnimation> animation = GifAnimation::open(name);
  if (!animation || animation->frames() < 2) return probeStill(StillFormat::Gif, name, r);
  r.width = animation->width();
  r.height = animation->height();
  auto* source = new (std::nothrow) GifAnimationSource(std::move(animation));
  if (!source) return ProbeOutcome::Declined;
  r.source = source;
  r.kind = static_cast<int32_t>(StillFormat::Gif);
  r.typeName = typeNameOf(StillFormat::Gif);
  r.bits = 24;
  r.frames = source->frames();
  r.rateNum = 100;
  r.rateDen = source->tick();
  return ProbeOutcome::Accepted;
}
ProbeOutcome probeJpeg(const char* name, ProbeResult& r) { return probeStill(StillFormat::Jpeg, name, r); }

TOL_NS_END
