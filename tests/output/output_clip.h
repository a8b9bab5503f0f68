// Test clips for the output writer: frames made from their number, written
// through OGFile, and what the graphics input gives back for them.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tol/gfile.h"
#include "tol/ogfile.h"

namespace outtest {

struct Clip {
  int32_t width = 30;
  int32_t height = 22;
  int32_t frames = 4;
  bool trueColor = false;
  int32_t pitchExtra = 3;      // pixels of padding after each input row
  bool paletteChanges = true;  // 8 bits: a new palette from frame 2 on
  int32_t rateNum = 15, rateDen = 1;
  uint32_t flags = OGFILE_REPLACE;
  bool blocky = false;  // 8 bits: runs of equal pixels instead of a new index each pixel

  int32_t pitch() const { return width + pitchExtra; }

  std::vector<uint8_t> palette(int32_t frame) const {
    const int version = paletteChanges && frame >= 2 ? 1 : 0;
    std::vector<uint8_t> p(768);
    for (int i = 0; i < 256; ++i) {
      p[3 * i] = uint8_t(i);
      p[3 * i + 1] = uint8_t(255 - i);
      p[3 * i + 2] = uint8_t(i * 3 + version * 90);
    }
    return p;
  }
  // Input pixels as OGFilePut takes them (top row first, pitch() apart).
  std::vector<uint8_t> pixels(int32_t frame) const {
    const int bytes = trueColor ? 4 : 1;
    std::vector<uint8_t> out(size_t(pitch()) * height * bytes, 0xEE);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        uint8_t* p = out.data() + (size_t(y) * pitch() + x) * bytes;
        if (trueColor) {
          p[0] = uint8_t(x * 4 + frame * 9), p[1] = uint8_t(y * 5 + frame * 3), p[2] = uint8_t((x + y) * 3);
          p[3] = 0x77;  // ignored
        } else {
          p[0] = blocky ? uint8_t(x / 8 * 3 + y / 4 * 7 + frame * 11) : uint8_t(x * 3 + y * 7 + frame * 11);
        }
      }
    return out;
  }
  // The frame's colours as blue, green, red, width x height, top row first.
  std::vector<uint8_t> expectedBgr(int32_t frame) const {
    const std::vector<uint8_t> in = pixels(frame), pal = palette(frame);
    std::vector<uint8_t> out(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        uint8_t* o = out.data() + (size_t(y) * width + x) * 3;
        if (trueColor) {
          const uint8_t* p = in.data() + (size_t(y) * pitch() + x) * 4;
          o[0] = p[0], o[1] = p[1], o[2] = p[2];
        } else {
          const uint8_t* rgb = pal.data() + 3 * in[size_t(y) * pitch() + x];
          o[0] = rgb[2], o[1] = rgb[1], o[2] = rgb[0];
        }
      }
    return out;
  }
};

// Messages the writer sent: text (empty for none) and kind.
inline std::vector<std::pair<std::string, int32_t>>& messages() {
  static std::vector<std::pair<std::string, int32_t>> m;
  return m;
}
inline int32_t TOL_CC recordMessage(const char* text, int32_t kind) {
  messages().emplace_back(text ? text : "", kind);
  return 0;
}

inline OGFile* create(const Clip& c, const std::string& name, int32_t frameCount = -1) {
  messages().clear();
  return OGFileCreate(nullptr, name.c_str(), c.trueColor, frameCount < 0 ? c.frames : frameCount, c.rateNum,
                      c.rateDen, c.width, c.height, c.pitch(), recordMessage, c.flags);
}

inline void putFrames(OGFile* og, const Clip& c) {
  for (int f = 0; f < c.frames; ++f) OGFilePut(og, c.pixels(f).data(), c.palette(f).data());
}

// Writes the whole clip; the close's result, 0 when creation failed.
inline uint32_t writeClip(const Clip& c, const std::string& name) {
  OGFile* og = create(c, name);
  if (!og) return 0;
  putFrames(og, c);
  return og->error ? 0 : OGFileClose(og);
}

// Every frame of a file through the graphics input in true colour, as blue,
// green, red rows of the given width (the file may be wider), plus the file's
// frame count and frame time.
struct ReadBack {
  std::vector<std::vector<uint8_t>> frames;
  int32_t totalFrames = 0;
  int32_t frameDuration = 0;
  int32_t width = 0, height = 0;
};

inline ReadBack readBack(const std::string& name, int32_t width) {
  ReadBack r;
  GFile* g = GFileOpen(name.c_str(), GFILE_TRUE_COLOR, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, nullptr,
                       nullptr, nullptr);
  if (!g) return r;
  r.totalFrames = g->totalFrames;
  r.frameDuration = g->frameDuration;
  r.width = g->width, r.height = g->height;
  for (int f = 0; f < g->outFrameCount && GFileGet(g); ++f) {
    std::vector<uint8_t> bgr(size_t(width) * g->height * 3);
    for (int y = 0; y < g->height; ++y)
      for (int x = 0; x < width && x < g->width; ++x) {
        const uint8_t* p = g->frameBuffer + size_t(y) * g->pitch + 4 * size_t(x);
        uint8_t* o = bgr.data() + (size_t(y) * width + x) * 3;
        o[0] = p[0], o[1] = p[1], o[2] = p[2];
      }
    r.frames.push_back(std::move(bgr));
  }
  GFileClose(g);
  return r;
}

inline double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
  return sum == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * double(a.size()) / sum);
}

}  // namespace outtest
