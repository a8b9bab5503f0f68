// Picture and sound fidelity: PSNR of the three planes over a clip, the
// worst frame's luma PSNR, and the signal-to-noise ratio of decoded sound
// after finding the codec's delay.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "yuv_frame.h"

namespace zurnbench {

// PSNR in dB of a summed squared error over n 8-bit samples; infinity when
// the error is 0.
double psnr(double squaredError, uint64_t samples);

struct ClipQuality {
  double errY = 0, errCb = 0, errCr = 0;  // summed squared errors
  uint64_t samplesY = 0, samplesC = 0;    // per plane
  double worstY = std::numeric_limits<double>::infinity();
  int worstFrame = -1;
  int frames = 0;

  // Adds one decoded frame; false when its size differs from the reference.
  bool add(const YuvFrame& reference, const YuvFrame& decoded);
  double psnrY() const { return psnr(errY, samplesY); }
  double psnrCb() const { return psnr(errCb, samplesC); }
  double psnrCr() const { return psnr(errCr, samplesC); }
};

// Where a reference picture lies inside a larger decoded frame (a decoder
// that writes its whole coded area): the even offset with the least luma
// error. Then the part of a frame at that offset, reference-sized.
struct Offset {
  int x = 0, y = 0;
};
Offset findPicture(const YuvFrame& reference, const YuvFrame& larger);
YuvFrame cropFrame(const YuvFrame& frame, Offset at, int width, int height);

struct SoundFidelity {
  double snrDb = 0;
  int lag = 0;  // decoded sample frames that precede the reference's first
};

// Finds the lag (within +-maxLag sample frames) that best lines the decoded
// sound up with the reference, then measures over the reference's whole
// length, decoded samples that are missing counting as silence. Both are
// interleaved with the same channel count, on the 16-bit scale.
SoundFidelity measureSound(const std::vector<int16_t>& reference, const std::vector<int16_t>& decoded,
                           int channels, int maxLag);

}  // namespace zurnbench
