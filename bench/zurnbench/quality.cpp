#include "quality.h"

#include <algorithm>
#include <cmath>

namespace zurnbench {
namespace {

double squaredError(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  uint64_t sum = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const int d = int(a[i]) - int(b[i]);
    sum += uint64_t(d * d);
  }
  return double(sum);
}

int sampleAt(const std::vector<int16_t>& v, long i) { return i >= 0 && size_t(i) < v.size() ? v[size_t(i)] : 0; }

}  // namespace

double psnr(double squaredError, uint64_t samples) {
  if (samples == 0) return 0;
  if (squaredError <= 0) return std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(255.0 * 255.0 * double(samples) / squaredError);
}

bool ClipQuality::add(const YuvFrame& reference, const YuvFrame& decoded) {
  if (reference.width != decoded.width || reference.height != decoded.height) return false;
  const double y = squaredError(reference.y, decoded.y);
  errY += y;
  errCb += squaredError(reference.cb, decoded.cb);
  errCr += squaredError(reference.cr, decoded.cr);
  samplesY += reference.y.size();
  samplesC += reference.cb.size();
  const double framePsnr = psnr(y, reference.y.size());
  if (worstFrame < 0 || framePsnr < worstY) {
    worstY = framePsnr;
    worstFrame = frames;
  }
  ++frames;
  return true;
}

Offset findPicture(const YuvFrame& reference, const YuvFrame& larger) {
  Offset best;
  double bestError = std::numeric_limits<double>::infinity();
  for (int y = 0; y + reference.height <= larger.height; y += 2)
    for (int x = 0; x + reference.width <= larger.width; x += 2) {
      double error = 0;
      for (int r = 0; r < reference.height; ++r)
        for (int c = 0; c < reference.width; ++c) {
          const int d = int(reference.y[size_t(r) * reference.width + c]) -
                        int(larger.y[size_t(r + y) * larger.width + c + x]);
          error += d * d;
        }
      if (error < bestError) {
        bestError = error;
        best = {x, y};
      }
    }
  return best;
}

YuvFrame cropFrame(const YuvFrame& f, Offset at, int width, int height) {
  YuvFrame out(width, height);
  for (int r = 0; r < height; ++r)
    std::copy_n(f.y.begin() + long(r + at.y) * f.width + at.x, width, out.y.begin() + long(r) * width);
  const int cw = out.chromaWidth(), fcw = f.chromaWidth();
  for (int r = 0; r < out.chromaHeight(); ++r) {
    const long from = long(r + at.y / 2) * fcw + at.x / 2, to = long(r) * cw;
    std::copy_n(f.cb.begin() + from, cw, out.cb.begin() + to);
    std::copy_n(f.cr.begin() + from, cw, out.cr.begin() + to);
  }
  return out;
}

SoundFidelity measureSound(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded,
                           int channels, int maxLag) {
  SoundFidelity best;
  double bestError = std::numeric_limits<double>::infinity();
  double signal = 0;
  for (int16_t s : reference) signal += double(s) * s;
  for (int lag = -maxLag; lag <= maxLag; ++lag) {
    const long shift = long(lag) * channels;
    double error = 0;
    for (size_t i = 0; i < reference.size() && error < bestError; ++i) {
      const double d = double(reference[i]) - sampleAt(decoded, long(i) + shift);
      error += d * d;
    }
    if (error < bestError) {
      bestError = error;
      best.lag = lag;
    }
  }
  best.snrDb = bestError > 0 ? 10.0 * std::log10(signal / bestError) : std::numeric_limits<double>::infinity();
  return best;
}

}  // namespace zurnbench
