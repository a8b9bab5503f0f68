// Zurn files as a graphics input: every frame decoded in turn into a 32-bit
// scratch frame.
#include <cstring>
#include <new>

#include "decode/zurn_decoder.h"
#include "media/gfile_probes.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

class ZurnSource final : public FrameSource {
 public:
  explicit ZurnSource(ZurnDecoder* d) : decoder_(d) {}
  ~ZurnSource() override {
    ZurnDecoderClose(decoder_);
    tolfree(scratch_);
  }

  bool read(int32_t, SourceFrame& frame) override {
    const int32_t pitch = decoder_->width * 4;
    if (!scratch_) {
      scratch_ = static_cast<uint8_t*>(tolmalloc(static_cast<uint32_t>(pitch) * decoder_->height));
      if (!scratch_) return false;
      std::memset(scratch_, 0, static_cast<size_t>(pitch) * decoder_->height);
    }
    uint32_t bytes = 0;
    ZurnDecoderDecodeFrame(decoder_);
    zurnCurrentFrame(decoder_, &bytes);
    ZurnDecoderCopyToSurface(decoder_, scratch_, pitch, decoder_->height, 0, 0,
                             2 | (firstRead_ ? ZURNDEC_COPY_FULL : 0u));
    ZurnDecoderNextFrame(decoder_);
    frame.pixels = scratch_;
    frame.pitch = pitch;
    frame.bits = 32;
    frame.newPalette = false;
    frame.frameBytes = static_cast<int32_t>(bytes);
    firstRead_ = false;
    return true;
  }

  void skip(int32_t, SourceFrame&) override {
    ZurnDecoderDecodeFrame(decoder_);
    ZurnDecoderNextFrame(decoder_);
  }

  void rewind() override {
    ZurnDecoderGoto(decoder_, 1, ZURNDEC_GOTO_FETCH_ONLY);
    firstRead_ = true;
  }
  bool sequential() const override { return true; }

 private:
  ZurnDecoder* decoder_;
  uint8_t* scratch_ = nullptr;
  bool firstRead_ = true;
};

}  // namespace

ProbeOutcome probeZurn(const char* name, ProbeResult& r) {
  ZurnDecoderSelectTrack(-1);
  ZurnDecoder* d = ZurnDecoderOpen(name, ZURNDEC_NO_READ_AHEAD | ZURNDEC_SELECTED_TRACK);
  if (!d) return ProbeOutcome::Declined;
  r.source = new (std::nothrow) ZurnSource(d);
  if (!r.source) {
    ZurnDecoderClose(d);
    return ProbeOutcome::Declined;
  }
  r.kind = GFILE_KIND_ZURN;
  r.typeName = "Zurn";
  r.bits = 32;
  r.frames = d->frames;
  r.rateNum = d->fpsNumerator;
  r.rateDen = d->fpsDenominator;
  r.width = d->width;
  r.height = d->height;
  for (uint32_t t = 0; t < d->soundTrackCount && t < 7; ++t) {
    r.hasSound = 1;
    r.trackWords[t] = ZurnDecoderTrackFlags(d, static_cast<int32_t>(t));
    r.trackIds[t] = ZurnDecoderTrackId(d, static_cast<int32_t>(t));
  }
  return ProbeOutcome::Accepted;
}

TOL_NS_END
