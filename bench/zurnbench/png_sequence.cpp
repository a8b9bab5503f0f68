#include "png_sequence.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <filesystem>

namespace zurnbench {
namespace fs = std::filesystem;

std::vector<std::string> listSequence(const std::string& folderOrFirstFile) {
  std::vector<std::string> files;
  std::error_code ec;
  if (fs::is_directory(folderOrFirstFile, ec)) {
    for (const auto& e : fs::directory_iterator(folderOrFirstFile, ec)) {
      std::string ext = e.path().extension().string();
      std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
      if (e.is_regular_file() && ext == ".png") files.push_back(e.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
  }
  if (!fs::is_regular_file(folderOrFirstFile, ec)) return files;
  // The last run of digits in the file name (not the folder) is the number.
  const fs::path first(folderOrFirstFile);
  const std::string stem = first.stem().string();
  size_t end = stem.size();
  while (end > 0 && !std::isdigit(static_cast<unsigned char>(stem[end - 1]))) --end;
  size_t begin = end;
  while (begin > 0 && std::isdigit(static_cast<unsigned char>(stem[begin - 1]))) --begin;
  if (begin == end) return {folderOrFirstFile};
  const std::string prefix = stem.substr(0, begin), suffix = stem.substr(end) + first.extension().string();
  const int digits = int(end - begin);
  for (long n = std::stol(stem.substr(begin, digits));; ++n) {
    std::string number = std::to_string(n);
    if (int(number.size()) < digits) number.insert(0, size_t(digits) - number.size(), '0');
    const fs::path p = first.parent_path() / (prefix + number + suffix);
    if (!fs::is_regular_file(p, ec)) break;
    files.push_back(p.string());
  }
  return files;
}

namespace {

// libpng's messages stay quiet: a failure is reported by the caller.
void pngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) {}

// Reads with libpng's error jump. Kept free of objects with destructors,
// since a libpng error longjmps out of it.
bool readRows(std::FILE* fp, RgbFrame& frame, const char** failure) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    *failure = "out of memory";
    return false;
  }
  // volatile: set after setjmp and needed after a longjmp.
  std::vector<png_bytep>* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    delete rows;
    png_destroy_read_struct(&png, &info, nullptr);
    *failure = "damaged PNG";
    return false;
  }
  png_init_io(png, fp);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (w == 0 || h == 0 || w > 16384 || h > 16384) png_error(png, "size");
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_strip_alpha(png);
  png_set_filler(png, 0, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  frame.width = int(w);
  frame.height = int(h);
  frame.pixels.assign(size_t(w) * h * 4, 0);
  rows = new std::vector<png_bytep>(h);
  for (png_uint_32 r = 0; r < h; ++r) (*rows)[r] = frame.pixels.data() + size_t(r) * w * 4;
  png_read_image(png, rows->data());
  png_read_end(png, nullptr);
  delete rows;
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

bool readPng(const std::string& path, RgbFrame& frame, std::string& error) {
  std::FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) {
    error = "cannot open " + path;
    return false;
  }
  const char* failure = nullptr;
  const bool ok = readRows(fp, frame, &failure);
  std::fclose(fp);
  if (!ok) error = path + ": " + failure;
  return ok;
}

}  // namespace zurnbench
