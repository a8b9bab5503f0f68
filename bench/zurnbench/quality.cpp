#include "quality.h"

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
