// Pleven files as a graphics input: frames decoded in turn into an 8-bit
// scratch frame, the palette taken whenever a frame changes it.
#include <cstring>
#include <new>

#include "decode/pleven_decoder.h"
#include "media/gfile_probes.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

class PlevenSource final : public FrameSource {
 public:
  explicit PlevenSource(PlevDecoder* d) : decoder_(d) {}
  ~PlevenSource() override {
    PlevClose(decoder_);
    tolfree(pixels_);
  }

  bool read(int32_t, SourceFrame& frame) override {
    if (!ensureBuffer()) return false;
    const int32_t current = decoder_->currentFrame;
    frame.frameBytes = current >= 0 && current < decoder_->frames ? static_cast<int32_t>(decoder_->frameSizes[current]) : 0;
    PlevDecodeFrame(decoder_);
    frame.newPalette = decoder_->paletteChanged || firstRead_;
    frame.palette = decoder_->palette;
    PlevNextFrame(decoder_);
    frame.pixels = pixels_;
    frame.pitch = pitch();
    frame.bits = 8;
    firstRead_ = false;
    return true;
  }
  void rewind() override {
    PlevGotoFrame(decoder_, 1);
    firstRead_ = true;
  }
  bool sequential() const override { return true; }

 private:
  int32_t pitch() const { return (decoder_->width + 3) & ~3; }
  bool ensureBuffer() {
    if (pixels_) return true;
    const size_t size = static_cast<size_t>(pitch()) * decoder_->height;
    pixels_ = static_cast<uint8_t*>(tolmalloc(static_cast<uint32_t>(size)));
    if (!pixels_) return false;
    std::memset(pixels_, 0, size);
    PlevSetDestination(decoder_, 0, 0, pitch(), decoder_->height, pixels_, 0);
    return true;
  }

  PlevDecoder* decoder_;
  uint8_t* pixels_ = nullptr;
  bool firstRead_ = true;
};

}  // namespace

ProbeOutcome probePleven(const char* name, ProbeResult& r) {
  PlevDecoder* d = PlevOpen(name, 0, -1);
  if (!d) return ProbeOutcome::Declined;
  if (d->frames < 1 || d->width < 1 || d->height < 1 || !(r.source = new (std::nothrow) PlevenSource(d))) {
    PlevClose(d);
    return ProbeOutcome::Declined;
  }
  r.kind = GFILE_KIND_PLEVEN;
  r.typeName = "Pleven";
  r.bits = 8;
  r.frames = d->frames;
  r.width = d->width;
  r.height = d->height;
  if (d->rate > 0) {
    r.rateNum = 1000;
    r.rateDen = d->rate;
  } else if (d->rate < 0 && d->rate != INT32_MIN) {
    r.rateNum = 100000;
    r.rateDen = -d->rate;
  }
  for (int t = 0; t < PLEV_TRACKS; ++t) {
    r.trackWords[t] = d->trackWords[t];
    if (d->trackWords[t]) r.hasSound = 1;
  }
  return ProbeOutcome::Accepted;
}

TOL_NS_END
