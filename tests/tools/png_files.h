// Writes small PNG files of every colour type for the tools' tests.
#pragma once

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

namespace tooltest {

// rows: width * channels bytes each (channels from the colour type; 16-bit
// samples big-endian, as PNG stores them). palette: for PNG_COLOR_TYPE_PALETTE.
inline bool writePng(const std::string& path, int width, int height, int colourType, int bitDepth,
                     const std::vector<uint8_t>& rows, const std::vector<png_color>& palette = {}) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
  png_write_info(png, info);
  const size_t stride = rows.size() / size_t(height);
  for (int y = 0; y < height; ++y) png_write_row(png, rows.data() + size_t(y) * stride);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

// An RGB picture whose red byte is the column, green the row and blue the
// given mark, so that placement and frame choice show in every pixel.
inline bool writeMarkedPng(const std::string& path, int width, int height, uint8_t mark) {
  std::vector<uint8_t> rows;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) rows.insert(rows.end(), {uint8_t(x + 1), uint8_t(y + 1), mark});
  return writePng(path, width, height, PNG_COLOR_TYPE_RGB, 8, rows);
}

}  // namespace tooltest
