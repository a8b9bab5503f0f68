// Reference pictures for the corpus tests, decoded outside the library: PNG
// through libpng's simplified interface, other files through ImageMagick or
// djpeg (empty when the tool is absent).
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace gfiletest {

struct Picture {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top-down
};

inline Picture fromRgb(const std::vector<uint8_t>& rgb, int32_t width, int32_t height) {
  Picture p{width, height, {}};
  for (size_t i = 0; i + 2 < rgb.size() && p.pixels.size() < size_t(width) * height; i += 3)
    p.pixels.push_back(uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
  return p;
}

inline Picture loadPng(const std::string& name) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, name.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  return fromRgb(rgb, int32_t(image.width), int32_t(image.height));
}

// Output of a command as bytes; empty when it fails.
inline std::vector<uint8_t> runCommand(const std::string& command) {
  std::vector<uint8_t> out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  uint8_t buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.insert(out.end(), buffer, buffer + n);
  if (pclose(p) != 0) out.clear();
  return out;
}

inline bool haveTool(const char* path) { return access(path, X_OK) == 0; }

// Any still through ImageMagick, at the size the caller knows.
inline Picture loadWithImageMagick(const std::string& name, int32_t width, int32_t height) {
  return fromRgb(runCommand("/usr/bin/convert '" + name + "[0]' -depth 8 rgb:- 2>/dev/null"), width, height);
}

// A JPEG through djpeg (binary PPM: header, then RGB).
inline Picture loadWithDjpeg(const std::string& name, int32_t width, int32_t height) {
  std::vector<uint8_t> ppm = runCommand("/usr/bin/djpeg -ppm '" + name + "' 2>/dev/null");
  size_t header = 0;
  for (int lines = 0; header < ppm.size() && lines < 3; ++header)
    if (ppm[header] == '\n') ++lines;
  if (ppm.size() < header) return {};
  return fromRgb(std::vector<uint8_t>(ppm.begin() + long(header), ppm.end()), width, height);
}

}  // namespace gfiletest
