// A sound file standing in for a picture track: a 4 x 4 black picture for
// as many frames at 15 per second as the sound lasts.
#include <cstring>
#include <new>

#include "media/gfile_probes.h"
#include "media/sfile.h"
#include "util/text.h"

TOL_NS_BEGIN

namespace {

class SoundOnlySource final : public FrameSource {
 public:
  bool read(int32_t, SourceFrame& frame) override {
    frame.pixels = black_;
    frame.pitch = 4;
    frame.bits = 8;
    return true;
  }
  void rewind() override {}

 private:
  uint8_t black_[16] = {};
};

}  // namespace

ProbeOutcome probeSoundOnly(const char* name, ProbeResult& r) {
  SFile* s = SFileOpen(name, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  if (!s) return ProbeOutcome::Declined;
  const int64_t bytesPerSecond = static_cast<int64_t>(s->srcRate) * s->srcBlock;
  const int64_t frames = bytesPerSecond > 0 ? static_cast<int64_t>(s->length) * 15 / bytesPerSecond + 1 : 1;
  copyCut(r.name, GFILE_NAME_SIZE, s->name, std::strlen(s->name));
  SFileClose(s);
  r.source = new (std::nothrow) SoundOnlySource();
  if (!r.source) return ProbeOutcome::Declined;
  r.kind = GFILE_KIND_SOUND_ONLY;
  r.typeName = "Sound-only";
  r.width = r.height = 4;
  r.bits = 8;
  r.frames = frames > INT32_MAX ? INT32_MAX : static_cast<int32_t>(frames);
  r.hasSound = 1;
  return ProbeOutcome::Accepted;
}

TOL_NS_END
