// FLIC animations as a graphics input: frames decoded in turn, each on top
// of the one before, with the palette taken whenever a frame changes it.
#include <cstring>
#include <new>

#include "media/flic_reader.h"
#include "media/gfile_probes.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

class FlicSource final : public FrameSource {
 public:
  explicit FlicSource(TOLFlic* flic) : flic_(flic) {}
  ~FlicSource() override {
    TOLFlicClose(flic_);
    tolfree(pixels_);
  }

  bool read(int32_t, SourceFrame& frame) override {
    if (!ensureBuffer()) return false;
    int32_t result = TOLFlicGetNext(flic_, pixels_);
    frame.newPalette = (result & 2) || firstRead_;
    frame.palette = TOLFlicGetPalette(flic_);
    frame.pixels = pixels_;
    frame.pitch = flic_->pitch;
    frame.bits = 8;
    frame.frameBytes = static_cast<int32_t>(flic_->frameDataSize);
    firstRead_ = false;
    return true;
  }
  void rewind() override {
    if (ensureBuffer()) TOLFlicGoto(flic_, 0, pixels_);
    firstRead_ = true;
  }
  bool sequential() const override { return true; }

 private:
  bool ensureBuffer() {
    if (pixels_) return true;
    const size_t size = static_cast<size_t>(flic_->pitch) * flic_->bufferHeight;
    pixels_ = static_cast<uint8_t*>(tolmalloc(static_cast<uint32_t>(size)));
    if (pixels_) std::memset(pixels_, 0, size);
    return pixels_ != nullptr;
  }

  TOLFlic* flic_;
  uint8_t* pixels_ = nullptr;
  bool firstRead_ = true;
};

}  // namespace

ProbeOutcome probeFlic(const char* name, ProbeResult& r) {
  TOLFlic* flic = TOLFlicOpen(name);
  if (!flic) return ProbeOutcome::Declined;
  if (flic->frameCount < 1 || !(r.source = new (std::nothrow) FlicSource(flic))) {
    TOLFlicClose(flic);
    return ProbeOutcome::Declined;
  }
  r.kind = GFILE_KIND_FLIC;
  r.typeName = "Flic";
  r.bits = 8;
  r.frames = flic->frameCount;
  r.width = flic->width;
  r.height = flic->height;
  TOLFlicGetName(flic, r.name);
  const int32_t speed = flic->frameTime;
  if (speed > 0) {
    r.rateNum = 1000;
    r.rateDen = speed;
  } else if (speed < 0 && speed != INT32_MIN) {
    r.rateNum = 100000;
    r.rateDen = -speed;
  }
  return ProbeOutcome::Accepted;
}

TOL_NS_END
