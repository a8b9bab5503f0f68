// Pictures for the movie tests: a test pattern, and PNG and JPEG files of it
// made in memory, and PNG files read back.
#pragma once

#include <jpeglib.h>
#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace qttest {

// Red, green, blue of a pixel of frame f: every frame differs, and columns
// and rows show in the colours.
inline void patternPixel(int x, int y, int f, uint8_t rgb[3], bool smooth = false) {
  if (smooth) {
    rgb[0] = uint8_t(x * 4 + f * 10);
    rgb[1] = uint8_t(y * 4 + f * 3);
    rgb[2] = uint8_t(128 + f * 7);
  } else {
    rgb[0] = uint8_t(x * 8 + f * 3);
    rgb[1] = uint8_t(y * 8 + f * 5);
    rgb[2] = uint8_t(x * y + f * 11);
  }
}

// Rows of red-green-blue bytes.
inline std::vector<uint8_t> patternRgb(int width, int height, int f, bool smooth = false) {
  std::vector<uint8_t> rgb(size_t(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) patternPixel(x, y, f, &rgb[(size_t(y) * width + x) * 3], smooth);
  return rgb;
}

inline std::vector<uint8_t> encodePng(int width, int height, int colourType, const std::vector<uint8_t>& rows,
                                      const std::vector<png_color>& palette = {}) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        v->insert(v->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
  png_write_info(png, info);
  const size_t stride = rows.size() / size_t(height);
  for (int y = 0; y < height; ++y) png_write_row(png, rows.data() + size_t(y) * stride);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

inline std::vector<uint8_t> encodeJpeg(int width, int height, int components, const std::vector<uint8_t>& rows) {
  jpeg_compress_struct info;
  jpeg_error_mgr err;
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(width);
  info.image_height = JDIMENSION(height);
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(rows.data()) + size_t(info.next_scanline) * width * components;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

// A PNG file as blue-green-red rows; empty when it cannot be read.
inline std::vector<uint8_t> readPngBgr(const std::string& path, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_BGR;
  std::vector<uint8_t> bgr(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bgr.data(), 0, nullptr)) return {};
  width = int(image.width);
  height = int(image.height);
  return bgr;
}

}  // namespace qttest
