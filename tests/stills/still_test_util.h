// Pictures for the still-image tests: image buffers laid out as the graphics
// input lays them out, test patterns, and ImageMagick as an independent
// reader and writer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "media/still_image.h"

namespace stilltest {

using tol::StillImage;

// An image buffer that owns its pixels; like the graphics input it makes
// rows for one pixel more than the width, so the pitch exceeds the row.
class Buffer {
 public:
  Buffer(int32_t width, int32_t height, int32_t bits) : image_{} {
    image_.width = width;
    image_.height = height;
    image_.bits = bits;
    image_.pitch = ((width + 1) * bits / 8 + 3) & ~3;
    pixels_.assign(static_cast<size_t>(image_.pitch) * height, 0xA5);
    image_.pixels = pixels_.data();
  }
  StillImage& image() { return image_; }
  const StillImage& image() const { return image_; }
  uint8_t* row(int32_t y) { return image_.pixels + static_cast<size_t>(height() - 1 - y) * image_.pitch; }
  const uint8_t* row(int32_t y) const {
    return image_.pixels + static_cast<size_t>(height() - 1 - y) * image_.pitch;
  }
  int32_t width() const { return image_.width; }
  int32_t height() const { return image_.height; }

 private:
  StillImage image_;
  std::vector<uint8_t> pixels_;
};

// A picture with some of everything: gradients, a sharp edge, odd colours.
// 24 bits: blue, green, red; 8 bits: indices into a 256-colour palette of
// distinct colours, every index in use on larger pictures.
inline Buffer pattern(int32_t width, int32_t height, int32_t bits) {
  Buffer b(width, height, bits);
  StillImage& image = b.image();
  for (int i = 0; i < 256; ++i) {
    image.colours[i][0] = static_cast<uint8_t>(i);
    image.colours[i][1] = static_cast<uint8_t>(255 - i);
    image.colours[i][2] = static_cast<uint8_t>((i * 37) & 255);
    image.colours[i][3] = 0;
  }
  image.coloursUsed = bits == 8 ? 256 : 0;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = b.row(y);
    for (int32_t x = 0; x < width; ++x) {
      if (bits == 8) {
        row[x] = static_cast<uint8_t>(x * 7 + y * 13 + (x > width / 2 ? 100 : 0));
      } else {
        row[3 * x] = static_cast<uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
        row[3 * x + 1] = static_cast<uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
        row[3 * x + 2] = static_cast<uint8_t>(x < width / 3 ? 250 : (x * y * 5) & 255);
      }
    }
  }
  return b;
}

// The picture as red, green, blue bytes, top row first (indices looked up).
inline std::vector<uint8_t> topDownRgb(const StillImage& image) {
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(image.width) * image.height * 3);
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* row = image.pixels + static_cast<size_t>(image.height - 1 - y) * image.pitch;
    for (int32_t x = 0; x < image.width; ++x) {
      const uint8_t* bgr = image.bits == 8 ? image.colours[row[x]] : row + 3 * x;
      out.insert(out.end(), {bgr[2], bgr[1], bgr[0]});
    }
  }
  return out;
}

// Largest difference of two byte pictures of the same size (256 when the
// sizes differ).
inline int largestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return 256;
  int d = 0;
  for (size_t i = 0; i < a.size(); ++i) d = std::max(d, std::abs(int(a[i]) - int(b[i])));
  return d;
}

constexpr const char* kConvert = "/usr/bin/convert";

inline bool haveImageMagick() { return ::access(kConvert, X_OK) == 0; }

// Runs ImageMagick's convert with the arguments (already quoted as needed).
inline bool convert(const std::string& arguments) {
  const std::string command = std::string(kConvert) + " " + arguments + " 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

// ImageMagick's reading of a file: red, green, blue bytes, top row first,
// alpha dropped, turned as the file says (its TGA reader only records the
// origin); empty when it fails.
inline std::vector<uint8_t> imageMagickRgb(const std::string& file) {
  const std::string command = std::string(kConvert) + " '" + file + "[0]' -auto-orient -alpha off -depth 8 rgb:- 2>/dev/null";
  std::vector<uint8_t> out;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) out.insert(out.end(), chunk, chunk + n);
  if (::pclose(pipe) != 0) out.clear();
  return out;
}

// A binary PPM of the picture, for ImageMagick to turn into other formats.
inline bool writePpm(const std::string& file, const StillImage& image) {
  std::FILE* f = std::fopen(file.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", image.width, image.height);
  const std::vector<uint8_t> rgb = topDownRgb(image);
  const bool ok = std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace stilltest
