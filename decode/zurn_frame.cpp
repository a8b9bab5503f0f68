#include "decode/zurn_frame.h"

#include <cstring>

TOL_NS_BEGIN
namespace {

uint32_t roundUp8(uint32_t v) { return (v + 7) & ~7u; }

// A plane that is not decoded (after a fault earlier in the frame) shows
// the reference.
void copyPlane(uint8_t* dst, const uint8_t* ref, uint32_t width, uint32_t height, uint32_t pitch) {
  for (uint32_t r = 0; r < height; ++r) std::memcpy(dst + size_t{r} * pitch, ref + size_t{r} * pitch, width);
}

}  // namespace

FrameGeometry frameGeometry(uint32_t width, uint32_t height) {
  FrameGeometry g{};
  g.width = width;
  g.height = height;
  g.lumaWidth = roundUp8(width);
  g.lumaHeight = roundUp8(height);
  g.chromaWidth = roundUp8((width + 1) / 2);
  g.chromaHeight = roundUp8((height + 1) / 2);
  g.lumaPitch = 2 * g.chromaWidth;
  g.lumaBufferHeight = 2 * g.chromaHeight;
  g.frameBytes = size_t{g.lumaPitch} * g.lumaBufferHeight + 2 * size_t{g.chromaWidth} * g.chromaHeight;
  g.mapPitch = g.lumaPitch / 16;
  g.mapBytes = g.mapPitch * (g.lumaBufferHeight / 16);
  return g;
}

const char* decodeFaultText(DecodeFault f) {
  switch (f) {
    case DecodeFault::none: return "no fault";
    case DecodeFault::truncated: return "frame data ends inside a plane";
    case DecodeFault::countOverCapacity: return "element count larger than its buffer";
    case DecodeFault::streamExhausted: return "element taken from an empty stream";
    case DecodeFault::repeatOverrun: return "block-type repeats past the element count";
    case DecodeFault::runOverrun: return "runs past the end of a block";
    case DecodeFault::motionOutside: return "motion offset outside the reference plane";
    case DecodeFault::scaledOutside: return "scaled block outside the plane";
  }
  return "unknown fault";
}

PlaneResult decodeVideoFrame(const FrameJob& job) {
  const FrameGeometry& g = job.geometry;
  const size_t lumaBytes = size_t{g.lumaPitch} * g.lumaBufferHeight;
  const size_t chromaBytes = size_t{g.chromaWidth} * g.chromaHeight;
  struct Plane {
    size_t offset;
    uint32_t width, height, pitch, mapStep;
  } const planes[3] = {
      {0, g.lumaWidth, g.lumaHeight, g.lumaPitch, 1},
      {lumaBytes, g.chromaWidth, g.chromaHeight, g.chromaWidth, 2},
      {lumaBytes + chromaBytes, g.chromaWidth, g.chromaHeight, g.chromaWidth, 2},
  };
  PlaneResult result{job.data, DecodeFault::none};
  for (const Plane& p : planes) {
    if (result.fault != DecodeFault::none) {
      copyPlane(job.dst + p.offset, job.ref + p.offset, p.width, p.height, p.pitch);
      continue;
    }
    const PlaneJob pj{job.dst + p.offset, job.ref + p.offset, p.width, p.height, p.pitch,
                      result.next, job.end, job.map, p.mapStep, job.streams};
    result = decodePlane(pj);
  }
  return result;
}

TOL_NS_END
