#include "encoder_test.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <cstring>
#include <random>

#include "encoder/colour_convert.h"
#include "encoder/job.h"

namespace enctest {
namespace {

void putPixel(std::vector<uint8_t>& f, uint32_t width, uint32_t x, uint32_t y, int r, int g, int b) {
  uint8_t* p = f.data() + 4 * (size_t{y} * width + x);
  p[0] = static_cast<uint8_t>(std::clamp(r, 0, 255));
  p[1] = static_cast<uint8_t>(std::clamp(g, 0, 255));
  p[2] = static_cast<uint8_t>(std::clamp(b, 0, 255));
  p[3] = 0;
}

// A smooth random field with some fine texture, sampled at (x, y).
struct Texture {
  explicit Texture(uint32_t seed) {
    std::mt19937 rng(seed);
    for (auto& w : waves) {
      std::uniform_real_distribution<double> u(0, 1);
      w = {u(rng) * 0.2, u(rng) * 0.2, u(rng) * 6.28, 20 + 40 * u(rng)};
    }
  }
  int at(double x, double y, int channel) const {
    double v = 110;
    for (size_t i = channel; i < waves.size(); i += 1) {
      const Wave& w = waves[i];
      v += w.amp * std::sin(w.fx * x * (1 + channel * 0.3) + w.fy * y + w.phase) / (1 + i % 3);
    }
    return static_cast<int>(v);
  }
  struct Wave {
    double fx, fy, phase, amp;
  };
  std::array<Wave, 8> waves;
};

}  // namespace

Clip naturalClip(uint32_t width, uint32_t height, uint32_t frames, uint32_t seed, int dx, int dy) {
  Clip c{width, height, {}};
  Texture t(seed);
  std::mt19937 noise(seed * 7 + 1);
  std::uniform_int_distribution<int> n(-3, 3);
  for (uint32_t k = 0; k < frames; ++k) {
    std::vector<uint8_t> f(size_t{width} * height * 4);
    for (uint32_t y = 0; y < height; ++y)
      for (uint32_t x = 0; x < width; ++x) {
        const double sx = x + double(dx) * k, sy = y + double(dy) * k;
        putPixel(f, width, x, y, t.at(sx, sy, 0) + n(noise), t.at(sx, sy, 1) + n(noise), t.at(sx, sy, 2) + n(noise));
      }
    c.frames.push_back(std::move(f));
  }
  return c;
}

Clip patternClip(uint32_t width, uint32_t height, uint32_t frames) {
  Clip c{width, height, {}};
  for (uint32_t k = 0; k < frames; ++k) {
    std::vector<uint8_t> f(size_t{width} * height * 4);
    const double cx = 10 + 3.0 * k, cy = height / 2.0, radius = height / 4.0 + 2;
    for (uint32_t y = 0; y < height; ++y)
      for (uint32_t x = 0; x < width; ++x) {
        int r = 40, g = 90, b = 160;
        if (y < height / 4) {  // stripes
          if ((x / 3) % 2) r = g = b = 230;
        } else if (y > 3 * height / 4) {  // checkerboard
          if (((x / 4) + (y / 4)) % 2) r = 250, g = 20, b = 20;
        }
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < radius * radius) r = 250, g = 220, b = 30;
        putPixel(f, width, x, y, r, g, b);
      }
    c.frames.push_back(std::move(f));
  }
  return c;
}

Clip stillClip(uint32_t width, uint32_t height, uint32_t frames) {
  Clip one = naturalClip(width, height, 1, 5);
  Clip c{width, height, {}};
  for (uint32_t k = 0; k < frames; ++k) c.frames.push_back(one.frames[0]);
  return c;
}

Clip cutClip(uint32_t width, uint32_t height, uint32_t frames) {
  Clip a = naturalClip(width, height, frames / 2, 11, 1, 0);
  Clip b = naturalClip(width, height, frames - frames / 2, 29, 0, 1);
  for (auto& f : b.frames) a.frames.push_back(std::move(f));
  return a;
}

Clip corpusClip(const std::string& folder, uint32_t first, uint32_t count) {
  Clip c;
  std::vector<std::string> names;
  if (!std::filesystem::is_directory(folder)) return c;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    if (e.path().extension() == ".png") names.push_back(e.path().string());
  std::sort(names.begin(), names.end());
  for (uint32_t k = first; k < first + count && k < names.size(); ++k) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, names[k].c_str())) return Clip{};
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return Clip{};
    c.width = image.width;
    c.height = image.height;
    c.frames.push_back(std::move(pixels));
  }
  return c;
}

namespace {

struct Capture {
  Encoded* out;
};

void captureFrame(void* context, const ZurnMakeState& job, uint32_t) {
  Encoded& e = *static_cast<Capture*>(context)->out;
  Picture p;
  p.lumaWidth = job.lumaWidth;
  p.lumaHeight = job.lumaHeight;
  p.chromaWidth = job.chromaWidth;
  p.chromaHeight = job.chromaHeight;
  const uint32_t r = job.reconSelect;
  p.y.assign(job.reconY[r], job.reconY[r] + size_t{job.lumaWidth} * job.lumaHeight);
  p.cr.assign(job.reconCr[r], job.reconCr[r] + size_t{job.chromaWidth} * job.chromaHeight);
  p.cb.assign(job.reconCb[r], job.reconCb[r] + size_t{job.chromaWidth} * job.chromaHeight);
  e.recon.push_back(std::move(p));
}

}  // namespace

Encoded encodeClip(const Clip& clip, const std::string& name, const EncodeOptions& o) {
  Encoded e;
  const uint32_t frames = static_cast<uint32_t>(clip.frames.size());
  const uint32_t hostHeight = o.lineMode ? 2 * clip.height : clip.height;
  ZurnMakeState* job = tol::ZurnMake(name.c_str(), 4 * clip.width, clip.width, hostHeight, frames, o.keyInterval,
                                     o.lineMode, 30, 1, 0, nullptr, o.window, nullptr);
  if (!job) return e;
  e.opened = true;
  Capture capture{&e};
  tol::setFrameWrittenObserver(job, captureFrame, &capture);
  tol::setAnalysisThreads(job, o.threads);
  std::vector<uint8_t> doubled;
  for (uint32_t k = 0; k < frames; ++k) {
    const uint8_t* pixels = clip.frames[k].data();
    if (o.lineMode) {  // the host's buffer: the clip's rows at the even rows
      doubled.assign(clip.frames[k].size() * 2, 0x55);
      for (uint32_t y = 0; y < clip.height; ++y)
        std::memcpy(doubled.data() + size_t{2 * y} * 4 * clip.width, pixels + size_t{y} * 4 * clip.width,
                    4 * clip.width);
      pixels = doubled.data();
    }
    const uint32_t target = o.targets.empty() ? o.targetSize : o.targets[k];
    tol::ZurnMakePutVideo(job, target, o.maxSize, 0, pixels);
  }
  e.closeResult = tol::ZurnMakeClose(job, 0);
  return e;
}

double lumaPsnr(const Clip& clip, const std::vector<Picture>& pictures) {
  const tol::PlaneGeometry g = tol::planeGeometry(clip.width, clip.height);
  double total = 0;
  for (size_t k = 0; k < pictures.size() && k < clip.frames.size(); ++k) {
    std::vector<uint8_t> y(size_t{g.lumaWidth} * g.lumaHeight), cr(size_t{g.chromaWidth} * g.chromaHeight),
        cb(cr.size());
    tol::convertFrame(clip.frames[k].data(), static_cast<int32_t>(4 * clip.width), clip.width, clip.height, 0, g,
                      y.data(), cr.data(), cb.data());
    double se = 0;
    for (uint32_t r = 0; r < clip.height; ++r)
      for (uint32_t c = 0; c < clip.width; ++c) {
        const double d = double(y[r * g.lumaWidth + c]) - pictures[k].y[r * pictures[k].lumaWidth + c];
        se += d * d;
      }
    const double mse = se / (double(clip.width) * clip.height);
    total += mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99;
  }
  return pictures.empty() ? 0 : total / pictures.size();
}

}  // namespace enctest
