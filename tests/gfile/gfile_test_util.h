// Helpers of the graphics input tests: opening with named options, files of
// raw frames, captured messages and picture comparisons.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "testutil.h"
#include "tol/gfile.h"

namespace gfiletest {

struct Options {
  uint32_t flags = GFILE_TRUE_COLOR;
  int32_t inNum = 0, inDen = 0, outNum = 0, outDen = 0;
  int32_t x = 0, y = 0, width = 0, height = 0, first = 0, last = 0;
  int32_t paletteMode = 0, interval = 0, paletteFirst = 0, paletteCount = 256, overlap = 0, systemColours = 0;
  int32_t mode24 = 0;
  const char* paletteFile = nullptr;
  const char* verb = nullptr;
};

// Messages sent through the callback, and the answer it gives.
struct Messages {
  std::vector<std::pair<int32_t, std::string>> seen;
  int32_t answer = 0;
  bool has(const std::string& text, int32_t kind) const {
    for (const auto& m : seen)
      if (m.first == kind && m.second == text) return true;
    return false;
  }
};
inline Messages g_messages;
inline int32_t TOL_CC capture(const char* text, int32_t kind) {
  g_messages.seen.emplace_back(kind, text ? text : "");
  return kind <= 1 ? g_messages.answer : 0;
}

inline GFile* open(const std::string& name, const Options& o = Options{}) {
  return GFileOpen(name.c_str(), o.flags, o.inNum, o.inDen, o.outNum, o.outDen, o.x, o.y, o.width, o.height, o.first,
                   o.last, o.paletteMode, o.interval, o.paletteFirst, o.paletteCount, o.overlap, o.systemColours,
                   o.mode24, o.paletteFile, o.verb, capture);
}

// The delivered frame as width x height 0x00RRGGBB words (true colour) or
// indices (8-bit).
inline std::vector<uint32_t> pixels(const GFile* g) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < g->height; ++y)
    for (int32_t x = 0; x < g->width; ++x) {
      const uint8_t* row = g->frameBuffer + static_cast<size_t>(y) * g->pitch;
      if (g->trueColor) {
        uint32_t v;
        std::memcpy(&v, row + x * 4, 4);
        out.push_back(v);
      } else {
        out.push_back(row[x]);
      }
    }
  return out;
}

// An 8-bit frame seen through its palette, as 0x00RRGGBB words.
inline std::vector<uint32_t> paletteColours(const GFile* g) {
  std::vector<uint32_t> out = pixels(g);
  for (uint32_t& v : out) v = g->palette[v * 3] << 16 | g->palette[v * 3 + 1] << 8 | g->palette[v * 3 + 2];
  return out;
}

inline double psnr(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i)
    for (int s = 0; s < 24; s += 8) {
      double d = double(a[i] >> s & 255) - double(b[i] >> s & 255);
      sum += d * d;
    }
  double mse = sum / (3.0 * a.size());
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// A raw frame file: per frame an optional palette record, then the pixels
// (tag 1), or only an end tag (2) when pixels returns an empty vector.
struct RawFrame {
  std::vector<uint8_t> palette;  // 768 bytes or empty
  std::vector<uint8_t> pixels;   // width x height or empty
};
inline void put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void writeRaw(const std::string& name, int32_t width, int32_t height, int32_t rate,
                     const std::vector<RawFrame>& frames) {
  std::vector<uint8_t> b = {'R', 'A', 'W', 'B'};
  put32(b, static_cast<uint32_t>(frames.size()));
  put32(b, static_cast<uint32_t>(width));
  put32(b, static_cast<uint32_t>(height));
  put32(b, static_cast<uint32_t>(rate));
  for (const RawFrame& f : frames) {
    if (!f.palette.empty()) {
      put32(b, 0);
      b.insert(b.end(), f.palette.begin(), f.palette.end());
    }
    if (f.pixels.empty()) {
      put32(b, 2);
    } else {
      put32(b, 1);
      b.insert(b.end(), f.pixels.begin(), f.pixels.end());
    }
  }
  testutil::writeFile(name, b);
}

// A grey ramp palette: entry i is (i, i, i).
inline std::vector<uint8_t> greyPalette() {
  std::vector<uint8_t> p(768);
  for (int i = 0; i < 768; ++i) p[i] = static_cast<uint8_t>(i / 3);
  return p;
}

// Raw frames whose every pixel holds the frame number, grey palette.
inline std::vector<RawFrame> numberedFrames(int32_t count, int32_t width, int32_t height) {
  std::vector<RawFrame> frames;
  for (int32_t k = 0; k < count; ++k)
    frames.push_back(RawFrame{k == 0 ? greyPalette() : std::vector<uint8_t>{},
                              std::vector<uint8_t>(static_cast<size_t>(width) * height, static_cast<uint8_t>(k))});
  return frames;
}

}  // namespace gfiletest
