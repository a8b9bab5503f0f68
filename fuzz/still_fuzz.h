// The body of the still-image fuzz targets: arbitrary bytes read as a file
// of one format. When the header reads, the picture is loaded into a buffer
// of exactly its size (rows one pixel wider, as the graphics input makes
// them) at the depth it asks for and, for indexed pictures, at 24 bits too.
// A loaded picture's colours stay within the table the reader reports.
//
// Pictures of more than 2^20 pixels are skipped: they only cost time here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "media/still_codecs.h"

namespace stillfuzz {

constexpr int64_t kMaxPixels = int64_t(1) << 20;

inline void loadAt(tol::StillBytes file, bool (*load)(tol::StillBytes, tol::StillImage&), const tol::StillInfo& info,
                   int32_t bits) {
  tol::StillImage image{};
  image.width = info.width;
  image.height = info.height;
  image.bits = bits;
  image.pitch = ((info.width + 1) * bits / 8 + 3) & ~3;
  std::vector<uint8_t> pixels(static_cast<size_t>(image.pitch) * image.height);
  image.pixels = pixels.data();
  if (load(file, image) && (image.coloursUsed < 0 || image.coloursUsed > 256)) std::abort();
}

inline int run(const uint8_t* data, size_t size, bool (*info)(tol::StillBytes, tol::StillInfo&),
               bool (*load)(tol::StillBytes, tol::StillImage&)) {
  const tol::StillBytes file{data, size};
  tol::StillInfo header{};
  if (!info(file, header)) return 0;
  if (header.width <= 0 || header.height <= 0 || int64_t(header.width) * header.height > kMaxPixels) {
    tol::StillImage tiny{};
    uint8_t pixel[4];
    tiny.width = tiny.height = 1, tiny.bits = 24, tiny.pitch = 4, tiny.pixels = pixel;
    if (load(file, tiny) && (header.width != 1 || header.height != 1)) std::abort();  // size must match
    return 0;
  }
  if (header.bitsPerPixel <= 8) loadAt(file, load, header, 8);
  loadAt(file, load, header, 24);
  return 0;
}

}  // namespace stillfuzz
