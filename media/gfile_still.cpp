// Still images as a graphics input: one frame, loaded at 8 bits (palette
// indices) from files of 8 bits or fewer and at 24 bits from deeper ones.
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

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
ProbeOutcome probeGif(const char* name, ProbeResult& r) { return probeStill(StillFormat::Gif, name, r); }
ProbeOutcome probeJpeg(const char* name, ProbeResult& r) { return probeStill(StillFormat::Jpeg, name, r); }

TOL_NS_END
