// Raw frame files: "RAWB", frame count, width, height and rate, then per
// frame tagged records (0: a palette follows, 1: the pixels follow and end
// the frame, anything else ends the frame with the picture unchanged).
// Pixel rows are width bytes each in the file, top row first.
#include <cstring>
#include <new>

#include "fileio/tolfile.h"
#include "media/gfile_probes.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

constexpr uint32_t kHeaderSize = 20;
constexpr int32_t kMaxSide = 16384;
constexpr uint32_t kTagPalette = 0;
constexpr uint32_t kTagPixels = 1;

class RawSource final : public FrameSource {
 public:
  RawSource(TOLFile* f, int32_t width, int32_t height) : file_(f), width_(width), height_(height) {}
  ~RawSource() override {
    TOLFileClose(file_);
    tolfree(pixels_);
  }

  bool read(int32_t, SourceFrame& frame) override {
    const int32_t pitch = (width_ + 3) & ~3;
    if (!pixels_) {
      pixels_ = static_cast<uint8_t*>(tolmalloc(static_cast<uint32_t>(pitch) * height_));
      if (!pixels_) return false;
      std::memset(pixels_, 0, static_cast<size_t>(pitch) * height_);
    }
    frame.newPalette = false;
    for (;;) {
      uint32_t tag = 0;
      if (TOLFileGetNB(file_, &tag, 4) != 4) break;
      if (tag == kTagPalette) {
        if (TOLFileGetNB(file_, palette_, 768) != 768) break;
        frame.newPalette = true;
        continue;
      }
      if (tag == kTagPixels) {
        for (int32_t y = 0; y < height_; ++y)
          if (TOLFileGetNB(file_, pixels_ + static_cast<size_t>(y) * pitch, static_cast<uint32_t>(width_)) !=
              static_cast<uint32_t>(width_))
            break;
      }
      break;
    }
    frame.pixels = pixels_;
    frame.pitch = pitch;
    frame.bits = 8;
    frame.palette = palette_;
    frame.frameBytes = width_ * height_;
    return true;
  }

  void rewind() override { TOLFileSetPos(file_, kHeaderSize); }
  bool sequential() const override { return true; }

 private:
  TOLFile* file_;
  int32_t width_, height_;
  uint8_t* pixels_ = nullptr;
  uint8_t palette_[768] = {};
};

}  // namespace

ProbeOutcome probeRaw(const char* name, ProbeResult& r) {
  TOLFile* f = TOLFileOpen(16384, name, TOLFILE_READ_ONLY);
  if (!f) return ProbeOutcome::Declined;
  uint8_t magic[4] = {};
  int32_t header[4] = {};
  bool ok = TOLFileGetNB(f, magic, 4) == 4 && std::memcmp(magic, "RAWB", 4) == 0 &&
            TOLFileGetNB(f, header, sizeof header) == sizeof header;
  const int32_t frames = header[0], width = header[1], height = header[2], rate = header[3];
  // Every frame holds at least its 4-byte tag, and one picture fits the file.
  const uint32_t size = TOLFileSize(f);
  const uint32_t room = size >= kHeaderSize ? (size - kHeaderSize) / 4 : 0;
  ok = ok && frames > 0 && static_cast<uint32_t>(frames) <= room && width > 0 && width <= kMaxSide && height > 0 &&
       height <= kMaxSide && static_cast<uint64_t>(width) * height <= size - kHeaderSize;
  if (ok) r.source = new (std::nothrow) RawSource(f, width, height);
  if (!r.source) {
    TOLFileClose(f);
    return ProbeOutcome::Declined;
  }
  r.kind = GFILE_KIND_RAW;
  r.typeName = "";
  r.bits = 8;
  r.frames = frames;
  r.width = width;
  r.height = height;
  if (rate > 0) {
    r.rateNum = 100000;
    r.rateDen = rate;
  } else if (rate < 0 && rate != INT32_MIN) {
    r.rateNum = 1000;
    r.rateDen = -rate;
  }
  return ProbeOutcome::Accepted;
}

TOL_NS_END
