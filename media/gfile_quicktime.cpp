// QuickTime movies as a graphics input: the first video track through the
// movie frame reader.
#include <cstring>
#include <new>

#include "media/gfile_probes.h"
#include "media/quicktime_frames.h"

TOL_NS_BEGIN

namespace {

class QuickTimeFrames final : public FrameSource {
 public:
  explicit QuickTimeFrames(QTFile* movie) : movie_(movie) {}
  ~QuickTimeFrames() override { QTFileClose(movie_); }

  bool read(int32_t number, SourceFrame& frame) override {
    if (number != next_) QTFileGoto(movie_, number);
    next_ = number + 1;
    QTFileGet(movie_);  // a sample that does not decode leaves the picture as it was
    if (movie_->bitsPerPixel <= 8) {
      uint8_t palette[768];
      for (int i = 0; i < 256; ++i) {
        palette[i * 3] = movie_->palette[i * 4 + 2];
        palette[i * 3 + 1] = movie_->palette[i * 4 + 1];
        palette[i * 3 + 2] = movie_->palette[i * 4];
      }
      frame.newPalette = firstRead_ || std::memcmp(palette, palette_, 768) != 0;
      std::memcpy(palette_, palette, 768);
    }
    frame.pixels = movie_->pixels;
    frame.pitch = movie_->pitch;
    frame.bits = movie_->bitsPerPixel;
    frame.palette = palette_;
    frame.frameBytes = movie_->frameBytes;
    firstRead_ = false;
    return true;
  }
  void rewind() override {
    next_ = -1;
    firstRead_ = true;
  }

 private:
  QTFile* movie_;
  int32_t next_ = -1;
  bool firstRead_ = true;
  uint8_t palette_[768] = {};
};

}  // namespace

ProbeOutcome probeQuickTime(const char* name, ProbeResult& r) {
  QTFile* movie = QTFileOpen(name);
  if (!movie) return ProbeOutcome::Declined;
  if (movie->frameCount < 1 || !(r.source = new (std::nothrow) QuickTimeFrames(movie))) {
    QTFileClose(movie);
    return ProbeOutcome::Declined;
  }
  r.kind = GFILE_KIND_QUICKTIME;
  r.typeName = "QuickTime";
  r.width = movie->width;
  r.height = movie->height;
  r.bits = movie->bitsPerPixel;
  r.frames = movie->frameCount;
  r.rateNum = movie->rateNum;
  r.rateDen = movie->rateDen;
  r.hasSound = movie->hasSound ? 1 : 0;
  return ProbeOutcome::Accepted;
}

TOL_NS_END
