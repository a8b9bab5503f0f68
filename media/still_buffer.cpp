// Filling the caller's image buffer: the checks every loader makes first and
// the colour tables they share.
#include <algorithm>
#include <cstring>

#include "media/still_codecs.h"
#include "media/still_pixels.h"

TOL_NS_BEGIN

bool stillImageValid(const StillImage& image) {
  if (!image.pixels || image.width <= 0 || image.height <= 0) return false;
  if (image.bits != 8 && image.bits != 24) return false;
  return image.pitch > 0 && static_cast<int64_t>(image.pitch) >= static_cast<int64_t>(image.width) * (image.bits / 8);
}

bool stillBufferFits(const StillImage& image, int32_t width, int32_t height, bool indexed) {
  if (!stillImageValid(image)) return false;
  if (image.width != width || image.height != height) return false;
  return indexed || image.bits == 24;
}

void stillClearColours(StillImage& image) {
  std::memset(image.colours, 0, sizeof image.colours);
  image.coloursUsed = 0;
}

void stillGreyColours(StillImage& image, int32_t bits) {
  stillClearColours(image);
  const int32_t levels = 1 << bits;
  for (int32_t i = 0; i < levels; ++i) {
    const uint8_t v = static_cast<uint8_t>(i * 255 / (levels - 1));
    image.colours[i][0] = image.colours[i][1] = image.colours[i][2] = v;
  }
  image.coloursUsed = levels;
}

void stillFinishIndexed(StillImage& image) {
  if (image.bits != 24) return;
  for (int32_t y = 0; y < image.height; ++y) expandIndicesInPlace(stillRow(image, y), image.width, image.colours);
}

int32_t stillColoursToWrite(const StillImage& image) {
  int32_t largest = 0;
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = stillRow(image, y);
    for (int32_t x = 0; x < image.width; ++x) largest = std::max<int32_t>(largest, row[x]);
  }
  return std::max(largest + 1, std::clamp(image.coloursUsed, 1, 256));
}

TOL_NS_END
