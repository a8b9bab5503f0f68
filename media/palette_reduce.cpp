// The palette for a window of frames: the colours of the frames ahead of an
// analysis reader counted, reduced to the allowed number by box splitting,
// and placed into the palette so that the frame on screen changes little.
#include <cstdio>
#include <cstring>
#include <memory>

#include "media/colour_boxes.h"
#include "media/frame_pixels.h"
#include "media/gfile.h"
#include "media/palette_placement.h"

TOL_NS_BEGIN

namespace {

constexpr int32_t kToTheEnd = 65536;

// Counts the reader's current frame into the histogram; the output pixels
// outside the copy rectangle count as black.
void countFrame(const GFileState& r, uint64_t* histogram) {
  const Placement& p = r.place;
  PixelRows src = r.working24 ? PixelRows{r.working, r.workingPitch, 24, 0}
                              : PixelRows{r.frame.pixels + static_cast<ptrdiff_t>(p.sourceY) * r.frame.pitch,
                                          r.frame.pitch, r.frame.bits, p.sourceX};
  if (p.copyWidth > 0 && p.copyHeight > 0 && src.row0)
    countColours(src, r.sourcePalette, histogram, p.copyWidth, p.copyHeight);
  histogram[0] += static_cast<uint64_t>(r.width) * r.height - static_cast<uint64_t>(p.copyWidth) * p.copyHeight;
}

// Pixels of the frame on screen per palette index.
void countUsage(const uint8_t* frame, int32_t width, int32_t height, int32_t pitch, int32_t left, int32_t top,
                int32_t rightExcess, int32_t bottomExcess, uint64_t* usage) {
  std::memset(usage, 0, 256 * sizeof(uint64_t));
  if (!frame) return;
  const int32_t right = width - rightExcess, bottom = height - bottomExcess;
  uint64_t outside = static_cast<uint64_t>(width) * height;
  for (int32_t y = top; y < bottom; ++y) {
    const uint8_t* row = frame + static_cast<ptrdiff_t>(y) * pitch;
    for (int32_t x = left; x < right; ++x) ++usage[row[x]];
    outside -= static_cast<uint64_t>(right > left ? right - left : 0);
  }
  usage[0] += outside;
}

// Reduces the histogram into the reader's range of the palette.
void makeColours(GFileState& r, uint64_t* histogram, uint8_t* palette, const uint64_t* usage, int32_t reservedLow,
                 int32_t reservedHigh) {
  const int32_t first = r.pal.first, count = r.pal.count;
  for (int32_t i = first; i < first + reservedLow; ++i)
    histogram[colourKey(palette[i * 3], palette[i * 3 + 1], palette[i * 3 + 2])] = 0;
  for (int32_t i = first + count - reservedHigh; i < first + count; ++i)
    histogram[colourKey(palette[i * 3], palette[i * 3 + 1], palette[i * 3 + 2])] = 0;
  const int32_t target = count - reservedLow - reservedHigh;
  if (target < 1) return;
  uint32_t colours[256];
  int32_t made = reduceColours(histogram, target, colours, [&r](int32_t percent, bool firstCall) {
    if (!r.callback) return false;
    char text[64];
    std::snprintf(text, sizeof text, "Reducing the number of colors (%i%%)...", percent);
    return r.callback(text, firstCall ? TOL_MESSAGE_FIRST_PROGRESS : TOL_MESSAGE_PROGRESS) != 0;
  });
  if (made == 0) return;
  sendMessage(r, "Minimizing palette changes...", TOL_MESSAGE_FIRST_PROGRESS);
  placeColours(colours, made, palette, first + reservedLow, target, usage);
}

}  // namespace

int32_t GFileBestPalette(GFileState& r, uint8_t* palette, const uint8_t* frameBuffer, int32_t width, int32_t height,
                         int32_t pitch, int32_t leftMargin, int32_t topMargin, int32_t rightExcess,
                         int32_t bottomExcess) {
  if (!r.readAhead) {
    if (!readOutputFrame(r)) return kToTheEnd;
    r.readAhead = true;
  }
  const PaletteParams& p = r.pal;
  if (p.interval >= 32000 && p.mode == 0 && r.bitsPerPixel <= 8) {
    std::memcpy(palette + p.first * 3, r.sourcePalette + p.first * 3, static_cast<size_t>(p.count) * 3);
    if (p.systemColours == 1) writeStaticColours(palette);
    r.readAhead = false;
    return r.atEnd ? kToTheEnd : 1;
  }

  std::unique_ptr<uint64_t[]> histogram(new (std::nothrow) uint64_t[kColourKeys]());
  if (!histogram) return 0;
  int32_t frames = 0, result = 0;
  for (;;) {
    if (sendProgress(r, frames == 0 ? TOL_MESSAGE_FIRST_PROGRESS : TOL_MESSAGE_PROGRESS)) return 0;
    if (r.readAhead) {
      r.readAhead = false;
    } else if (!readOutputFrame(r)) {
      result = kToTheEnd;
      break;
    }
    if (r.frameNewPalette && p.mode == 2 && frames > 0) {
      r.readAhead = true;
      result = frames;
      break;
    }
    countFrame(r, histogram.get());
    ++frames;
    if (r.atEnd) {
      result = kToTheEnd;
      break;
    }
    if (frames >= p.interval) {
      result = frames;
      break;
    }
  }

  int32_t reservedLow = 0, reservedHigh = 0;
  if (p.systemColours != 2) {
    if (p.first < 10) reservedLow = 10 - p.first;
    if (p.first + p.count > 246) reservedHigh = p.first + p.count - 246;
    writeStaticColours(palette);
  }
  uint64_t usage[256];
  countUsage(frameBuffer, width, height, pitch, leftMargin, topMargin, rightExcess, bottomExcess, usage);
  makeColours(r, histogram.get(), palette, usage, reservedLow, reservedHigh);
  return result;
}

TOL_NS_END
