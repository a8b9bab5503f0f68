// AVI files as a graphics input: the first video stream through the frame
// getter, which gives bottom-up device-independent bitmaps.
#include <cstring>
#include <new>

#include "media/avi_file.h"
#include "media/gfile_probes.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

int32_t dibPitch(int32_t width, int32_t bits) { return static_cast<int32_t>((static_cast<int64_t>(width) * bits + 31) / 32 * 4); }

class AviSource final : public FrameSource {
 public:
  AviSource(AVIStream* stream, AVIGetFrame* getter, int32_t start, int32_t soundBytesPerFrame)
      : stream_(stream), getter_(getter), start_(start), soundBytes_(soundBytesPerFrame) {}
  ~AviSource() override {
    AVIStreamGetFrameClose(getter_);
    AVIStreamRelease(stream_);
    tolfree(blank_);
  }

  // The picture and bits of the frame at pos, when it decodes at the size
  // the stream was opened with.
  const BitmapInfoHeader* frameAt(int32_t pos) {
    const BitmapInfoHeader* h = AVIStreamGetFrame(getter_, pos);
    if (!h || (width_ && (h->width != width_ || (h->height < 0 ? -h->height : h->height) != height_))) return nullptr;
    return h;
  }

  void setSize(int32_t width, int32_t height, int32_t bits) {
    width_ = width;
    height_ = height;
    bits_ = bits;
  }

  bool read(int32_t number, SourceFrame& frame) override {
    const int32_t pos = start_ + number;
    int32_t bytes = 0;
    AVIStreamRead(stream_, pos, 1, nullptr, 0, &bytes, nullptr);
    frame.frameBytes = bytes + soundBytes_;
    const BitmapInfoHeader* h = frameAt(pos);
    if (!h || h->bitCount != bits_) return deliverBlank(frame);
    const uint8_t* table = reinterpret_cast<const uint8_t*>(h) + h->size;
    uint32_t colours = 0;
    if (h->bitCount <= 8) {
      colours = h->clrUsed ? h->clrUsed : 1u << h->bitCount;
      if (colours > 256) colours = 256;
      uint8_t palette[768] = {};
      for (uint32_t i = 0; i < colours; ++i) {
        palette[i * 3] = table[i * 4 + 2];
        palette[i * 3 + 1] = table[i * 4 + 1];
        palette[i * 3 + 2] = table[i * 4];
      }
      frame.newPalette = std::memcmp(palette, palette_, 768) != 0 || firstRead_;
      std::memcpy(palette_, palette, 768);
    }
    const int32_t pitch = dibPitch(width_, bits_);
    const uint8_t* pixels = table + colours * 4;
    frame.pixels = h->height < 0 ? pixels : pixels + static_cast<ptrdiff_t>(height_ - 1) * pitch;
    frame.pitch = h->height < 0 ? pitch : -pitch;
    frame.bits = bits_;
    frame.palette = palette_;
    firstRead_ = false;
    return true;
  }
  void rewind() override { firstRead_ = true; }

 private:
  // A frame that does not decode shows black.
  bool deliverBlank(SourceFrame& frame) {
    const int32_t pitch = dibPitch(width_, bits_);
    if (!blank_) {
      const size_t size = static_cast<size_t>(pitch) * height_;
      blank_ = static_cast<uint8_t*>(tolmalloc(static_cast<uint32_t>(size ? size : 1)));
      if (!blank_) return false;
      std::memset(blank_, 0, size ? size : 1);
    }
    frame.pixels = blank_;
    frame.pitch = pitch;
    frame.bits = bits_;
    frame.palette = palette_;
    return true;
  }

  AVIStream* stream_;
  AVIGetFrame* getter_;
  int32_t start_, soundBytes_;
  int32_t width_ = 0, height_ = 0, bits_ = 0;
  uint8_t* blank_ = nullptr;
  uint8_t palette_[768] = {};
  bool firstRead_ = true;
};

int32_t soundBytesPerFrame(const char* name, int32_t frames) {
  AVIStream* audio = AVIStreamOpenFromFile(name, kStreamTypeAudio, 0);
  if (!audio) return -1;
  int32_t result = 0;
  WaveFormat wf{};
  int32_t size = sizeof wf;
  if (AVIStreamReadFormat(audio, AVIStreamStart(audio), &wf, &size) == kAVIErrOK && size >= 16 &&
      wf.formatTag == 1 && frames > 0) {
    int64_t bytes = static_cast<int64_t>(AVIStreamLength(audio)) * wf.channels * wf.bitsPerSample / frames / 8;
    result = bytes > INT32_MAX ? INT32_MAX : static_cast<int32_t>(bytes);
  }
  AVIStreamRelease(audio);
  return result;
}

}  // namespace

ProbeOutcome probeAvi(const char* name, ProbeResult& r) {
  AVIInit();
  AVIStream* stream = AVIStreamOpenFromFile(name, kStreamTypeVideo, 0);
  if (!stream) return ProbeOutcome::Declined;
  AVIGetFrame* getter = AVIStreamGetFrameOpen(stream, nullptr);
  if (!getter) {
    AVIStreamRelease(stream);
    return ProbeOutcome::Failed;
  }
  AVIStreamInfo info{};
  AVIStreamGetInfo(stream, &info);
  const int32_t start = AVIStreamStart(stream), frames = AVIStreamLength(stream);
  const int32_t sound = soundBytesPerFrame(name, frames);
  AviSource* source = new (std::nothrow) AviSource(stream, getter, start, sound > 0 ? sound : 0);
  if (!source) {
    AVIStreamGetFrameClose(getter);
    AVIStreamRelease(stream);
    return ProbeOutcome::Failed;
  }
  // The first frame tells the bits, and the size the getter really gives.
  const BitmapInfoHeader* first = source->frameAt(start);
  if (frames < 1 || !first || first->width <= 0 || first->height == 0) {
    delete source;
    return ProbeOutcome::Failed;
  }
  const int32_t height = first->height < 0 ? -first->height : first->height;
  source->setSize(first->width, height, first->bitCount);
  r.source = source;
  r.kind = GFILE_KIND_AVI;
  r.typeName = "AVI";
  r.width = first->width;
  r.height = height;
  r.bits = first->bitCount;
  r.frames = frames;
  r.rateNum = static_cast<int32_t>(info.rate);
  r.rateDen = static_cast<int32_t>(info.scale);
  r.hasSound = sound >= 0;
  return ProbeOutcome::Accepted;
}

TOL_NS_END
