#include "clip.h"

#include <cstring>

namespace avitest {

using namespace tol;

std::vector<uint8_t> picture(const Clip& c, int i) {
  const int bpp = c.bits / 8;
  std::vector<uint8_t> p(size_t(c.width) * c.height * bpp);
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) {
      uint8_t* d = &p[(size_t(y) * c.width + x) * bpp];
      if (c.bits == 8) {
        d[0] = uint8_t(x + y + 3 * i);
      } else {  // smooth ramps that turn back instead of wrapping, so JPEG keeps them well
        auto ramp = [](int v) { v &= 511; return uint8_t(v > 255 ? 511 - v : v); };
        d[0] = ramp(x + 4 * i);
        d[1] = ramp(2 * y + i);
        d[2] = ramp((x + y) / 2 + 8 * i);
      }
    }
  return p;
}

std::vector<uint8_t> palette(const Clip& c, int i) {
  const bool second = c.paletteChangeAt >= 0 && i >= c.paletteChangeAt;
  std::vector<uint8_t> t(256 * 4);
  for (int k = 0; k < 256; ++k) {
    t[4 * k] = uint8_t(second ? 255 - k : k);
    t[4 * k + 1] = uint8_t(second ? 128 : 255 - k);
    t[4 * k + 2] = uint8_t(k / 2);
  }
  return t;
}

std::vector<uint8_t> colours(const Clip& c, int i) {
  std::vector<uint8_t> p = picture(c, i);
  if (c.bits != 8) return p;
  std::vector<uint8_t> t = palette(c, i), out(p.size() * 3);
  for (size_t k = 0; k < p.size(); ++k) std::memcpy(&out[3 * k], &t[4 * p[k]], 3);
  return out;
}

int soundBytesPerFrame(const Clip& c) {
  return c.soundBits ? c.soundRate / 15 * c.soundChannels * c.soundBits / 8 : 0;
}

std::vector<uint8_t> sound(const Clip& c) {
  std::vector<uint8_t> s(size_t(soundBytesPerFrame(c)) * c.frames);
  for (size_t k = 0; k < s.size(); ++k) s[k] = uint8_t(k * 7 + k / 256);
  return s;
}

bool writeClip(const Clip& c, const std::string& name) {
  AVIFile* file = AVIFileCreate(name.c_str(), c.segmentLimit);
  if (!file) return false;
  AVIStreamInfo vi{};
  vi.fccType = kStreamTypeVideo;
  vi.scale = 1;
  vi.rate = 15;
  vi.quality = 0xFFFFFFFF;
  vi.frame = {0, 0, c.width, c.height};
  AVIStream* raw = AVIFileCreateStream(file, &vi);
  AVIStream* video = raw;
  AVICompressOptions options{kStreamTypeVideo, kFourCCMJPG, 9000};
  if (c.mjpeg) video = AVIMakeCompressedStream(raw, &options);

  AVIStream* audio = nullptr;
  const int block = c.soundChannels * c.soundBits / 8;
  WaveFormat wf{1, uint16_t(c.soundChannels), uint32_t(c.soundRate), uint32_t(c.soundRate * block),
                uint16_t(block), uint16_t(c.soundBits), 0};
  if (c.soundBits) {
    AVIStreamInfo ai{};
    ai.fccType = kStreamTypeAudio;
    ai.scale = uint32_t(block);
    ai.rate = uint32_t(c.soundRate * block);
    ai.sampleSize = uint32_t(block);
    audio = AVIFileCreateStream(file, &ai);
  }
  bool ok = video && (audio || !c.soundBits);
  const std::vector<uint8_t> snd = sound(c);
  const int soundStep = soundBytesPerFrame(c);
  const size_t stride = (size_t(c.width) * c.bits / 8 + 3) & ~size_t(3);
  std::vector<uint8_t> dib(sizeof(BitmapInfoHeader) + (c.bits == 8 ? 1024 : 0) + stride * c.height);
  for (int i = 0; ok && i < c.frames; ++i) {
    BitmapInfoHeader h{40, c.width, c.height, 1, uint16_t(c.bits), 0, uint32_t(stride * c.height), 0, 0,
                       c.bits == 8 ? 256u : 0u, 0};
    std::memcpy(dib.data(), &h, sizeof h);
    size_t at = sizeof h;
    if (c.bits == 8) {
      std::vector<uint8_t> t = palette(c, i);
      std::memcpy(&dib[at], t.data(), t.size());
      at += t.size();
    }
    std::vector<uint8_t> p = picture(c, i);
    const size_t row = size_t(c.width) * c.bits / 8;
    for (int y = 0; y < c.height; ++y) std::memcpy(&dib[at + (c.height - 1 - y) * stride], &p[y * row], row);
    ok = AVIStreamSetFormat(video, i, dib.data(), int32_t(at)) == kAVIErrOK &&
         AVIStreamWrite(video, i, 1, &dib[at], int32_t(stride * c.height), kAVIKeyFrame, nullptr, nullptr) ==
             kAVIErrOK;
    if (ok && audio) {
      int32_t samples = 0;
      ok = AVIStreamSetFormat(audio, i * soundStep / block, &wf, sizeof wf) == kAVIErrOK &&
           AVIStreamWrite(audio, i * soundStep / block, soundStep / block, &snd[size_t(i) * soundStep], soundStep,
                          0, &samples, nullptr) == kAVIErrOK &&
           samples == soundStep / block;
    }
  }
  if (video != raw) AVIStreamRelease(video);
  AVIStreamRelease(raw);
  AVIStreamRelease(audio);
  AVIFileRelease(file);
  return ok;
}

}  // namespace avitest
