// The Zurn side of the child roles: encoding and decoding through the
// public interfaces of zurnmake and tolutil only.
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "child_roles.h"
#include "media_readers.h"
#include "tol/zurndecoder.h"
#include "tol/zurnmake.h"
#include "tol/zurnsound.h"

namespace zurnbench {
namespace {

using Clock = std::chrono::steady_clock;

int32_t TOL_CC reportMessages(int32_t kind, ZurnMakeState*, const char* text) {
  if (kind == ZURNMAKE_MESSAGE && text) std::fprintf(stderr, "zurnmake: %s\n", text);
  return 0;
}

struct DecoderCloser {
  void operator()(ZurnDecoder* d) const { ZurnDecoderClose(d); }
};
using Decoder = std::unique_ptr<ZurnDecoder, DecoderCloser>;

Decoder openDecoder(const std::string& path) {
  Decoder d(ZurnDecoderOpen(path.c_str(), 0));
  if (!d) std::fprintf(stderr, "%s: %s\n", path.c_str(), ZurnDecoderGetError());
  return d;
}

// Finishes a job and reports its outcome; 0 when the file is complete.
int closeJob(ZurnMakeState* job, const std::string& out) {
  const bool failed = job->failed != 0;
  const uint32_t written = job->framesWritten;
  const uint32_t size = ZurnMakeClose(job, 0);
  std::printf("frames=%u\nbytes=%u\n", written, size);
  if (failed || size == 0) {
    std::fprintf(stderr, "%s: the encoder job failed\n", out.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int zurnEncodeRole(const Args& a) {
  const int w = int(a.num("width", 0)), h = int(a.num("height", 0)), frames = int(a.num("frames", 0));
  int fpsNum = 0, fpsDen = 0;
  const long rate = a.num("rate", 0);
  const std::string in = a.str("in"), out = a.str("out");
  if (w <= 0 || h <= 0 || frames <= 0 || rate <= 0 || !parseRate(a.str("fps"), fpsNum, fpsDen) || in.empty() ||
      out.empty()) {
    std::fprintf(stderr, "zurn-encode: missing or bad arguments\n");
    return 2;
  }
  std::FILE* f = std::fopen(in.c_str(), "rb");
  if (!f) {
    std::fprintf(stderr, "cannot open %s\n", in.c_str());
    return 1;
  }
  const uint32_t target = uint32_t(rate * fpsDen / fpsNum);
  ZurnMakeState* job = ZurnMake(out.c_str(), uint32_t(w * 4), uint32_t(w), uint32_t(h), uint32_t(frames),
                                uint32_t(a.num("key-interval", 0)), 0, uint32_t(fpsNum), uint32_t(fpsDen), 0, nullptr,
                                uint32_t(a.num("window", 8)), reportMessages);
  if (!job) {
    std::fclose(f);
    return 1;
  }
  std::vector<uint8_t> pixels(size_t(w) * h * 4);
  for (int i = 0; i < frames; ++i) {
    if (std::fread(pixels.data(), 1, pixels.size(), f) != pixels.size()) {
      std::fprintf(stderr, "%s: short input at frame %d\n", in.c_str(), i);
      std::fclose(f);
      ZurnMakeClose(job, 1);
      return 1;
    }
    ZurnMakePutVideo(job, target, 3 * target, i == 0, pixels.data());
  }
  std::fclose(f);
  return closeJob(job, out);
}

int zurnDecodeRole(const Args& a) {
  const std::string mode = a.str("mode", "decode"), out = a.str("out");
  if (mode != "decode" && mode != "blit32" && mode != "planes") {
    std::fprintf(stderr, "zurn-decode: unknown mode %s\n", mode.c_str());
    return 2;
  }
  Decoder d = openDecoder(a.str("in"));
  if (!d) return 1;
  const int w = d->width, h = d->height, frames = d->frames;
  if (mode == "planes" && ((w | h) & 1)) {
    std::fprintf(stderr, "zurn-decode: planar output needs an even frame size\n");
    return 1;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, std::fclose);
  if (mode == "planes") {
    file.reset(std::fopen(out.c_str(), "wb"));
    if (!file) {
      std::fprintf(stderr, "cannot create %s\n", out.c_str());
      return 1;
    }
  }
  // 32-bit surface, or a planar one: Y, then Cb, then Cr.
  std::vector<uint8_t> surface(mode == "blit32" ? size_t(w) * h * 4 : size_t(w) * h * 3 / 2);
  int damaged = 0;
  double seconds = 0;
  for (int i = 0; i < frames; ++i) {
    const auto start = Clock::now();
    if (!ZurnDecoderDecodeFrame(d.get())) ++damaged;
    if (mode == "blit32") ZurnDecoderCopyToSurface(d.get(), surface.data(), w * 4, h, 0, 0, 2);
    if (i + 1 < frames) ZurnDecoderNextFrame(d.get());
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    if (mode == "planes") {
      ZurnDecoderCopyToSurface(d.get(), surface.data(), w, h, 0, 0, 10);
      if (std::fwrite(surface.data(), 1, surface.size(), file.get()) != surface.size()) return 1;
    }
  }
  std::printf("frames=%d\nseconds=%.6f\ndamaged=%d\n", frames, seconds, damaged);
  return damaged ? 1 : 0;
}

namespace {

struct SoundCursor {
  const Sound* sound;
  size_t next = 0;
};

int32_t TOL_CC deliverSound(void*, void* userData, void* buffer, int32_t byteCount) {
  auto& c = *static_cast<SoundCursor*>(userData);
  const size_t n = std::min(size_t(byteCount < 0 ? 0 : byteCount) / 2, c.sound->samples.size() - c.next);
  auto* out = static_cast<uint8_t*>(buffer);
  for (size_t i = 0; i < n; ++i) {
    const uint16_t s = uint16_t(c.sound->samples[c.next + i]);
    out[2 * i] = uint8_t(s);
    out[2 * i + 1] = uint8_t(s >> 8);
  }
  c.next += n;
  return int32_t(n * 2);
}

// The picture that carries the sound: small and still, so it costs next to
// nothing beside the sound.
constexpr int kCarrierSize = 16;

}  // namespace

int zurnSoundEncodeRole(const Args& a) {
  Sound sound;
  std::string error;
  int fpsNum = 0, fpsDen = 0;
  const std::string out = a.str("out");
  if (!readWave(a.str("in"), sound, error) || !parseRate(a.str("fps", "15"), fpsNum, fpsDen) || out.empty()) {
    std::fprintf(stderr, "zurn-sound-encode: %s\n", error.empty() ? "bad arguments" : error.c_str());
    return 2;
  }
  const double seconds = double(sound.samples.size()) / sound.channels / sound.rate;
  const int frames = int(seconds * fpsNum / fpsDen + 0.999999);
  SoundCursor cursor{&sound};
  const ZurnMakeSoundTrack track{1,
                                 uint32_t(sound.rate),
                                 uint32_t(sound.bits),
                                 uint32_t(sound.channels),
                                 uint32_t(a.num("option", 0)),
                                 &cursor,
                                 deliverSound};
  ZurnMakeState* job = ZurnMake(out.c_str(), kCarrierSize * 4, kCarrierSize, kCarrierSize, uint32_t(frames), 0, 0,
                                uint32_t(fpsNum), uint32_t(fpsDen), 1, &track, 2, reportMessages);
  if (!job) return 1;
  const std::vector<uint8_t> grey(kCarrierSize * kCarrierSize * 4, 128);
  // A budget far above what sound and picture need, so that neither is cut.
  const uint32_t budget = 1u << 20;
  for (int i = 0; i < frames; ++i) ZurnMakePutVideo(job, budget, budget, i == 0, grey.data());
  return closeJob(job, out);
}

int zurnSoundDecodeRole(const Args& a) {
  Decoder d = openDecoder(a.str("in"));
  if (!d) return 1;
  ZurnDecoderSetVideo(d.get(), 0);
  std::unique_ptr<ZurnTrackReader, void (*)(ZurnTrackReader*)> reader(ZurnTrackReaderOpen(d.get(), 0),
                                                                      ZurnTrackReaderClose);
  if (!reader) {
    std::fprintf(stderr, "%s: no playable sound track\n", a.str("in").c_str());
    return 1;
  }
  Sound sound;
  sound.rate = reader->rate;
  sound.channels = reader->channels;
  sound.bits = 16;
  std::vector<uint8_t> buffer(reader->bufferSize);
  const auto start = Clock::now();
  for (int i = 0; i < d->frames; ++i) {
    const uint32_t n = ZurnTrackReaderGet(reader.get(), buffer.data());
    if (reader->bits == 8) {
      for (uint32_t k = 0; k < n; ++k) sound.samples.push_back(int16_t((buffer[k] - 128) * 256));
    } else {
      for (uint32_t k = 0; k + 1 < n; k += 2) sound.samples.push_back(int16_t(buffer[k] | buffer[k + 1] << 8));
    }
    if (i + 1 < d->frames) ZurnDecoderNextFrame(d.get());
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("seconds=%.6f\nsamples=%zu\n", seconds, sound.samples.size());
  return writeWave(a.str("out"), sound) ? 0 : 1;
}

}  // namespace zurnbench
