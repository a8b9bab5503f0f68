#include "png_sequence.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <filesystem>

namespace tolapp {
namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxFiles = 1000000;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string numbered(const std::string& prefix, long n, size_t digits, const std::string& suffix) {
  std::string number = std::to_string(n);
  if (number.size() < digits) number.insert(0, digits - number.size(), '0');
  return prefix + number + suffix;
}

// Reads a decimal number of at most 9 digits at p; false when there is none.
bool readNumber(const std::string& text, size_t& p, long& value) {
  const size_t start = p;
  while (p < text.size() && isDigit(text[p]) && p - start < 10) ++p;
  if (p == start || p - start > 9) return false;
  value = std::stol(text.substr(start, p - start));
  return true;
}

std::vector<std::string> listFolder(const fs::path& folder) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    std::string ext = e.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (e.is_regular_file(ec) && ext == ".png") files.push_back(e.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Numbers from `from` on, until a file is missing.
std::vector<std::string> listRun(const std::string& prefix, long from, size_t digits, const std::string& suffix) {
  std::vector<std::string> files;
  std::error_code ec;
  for (long n = from; n < 1000000000 && files.size() < kMaxFiles; ++n) {
    std::string name = numbered(prefix, n, digits, suffix);
    if (!fs::is_regular_file(name, ec)) break;
    files.push_back(std::move(name));
  }
  return files;
}

// The lowest number that names a file of the pattern, or -1.
long lowestNumber(const std::string& prefix, size_t digits, const std::string& suffix) {
  const size_t slash = prefix.rfind('/');
  const fs::path folder = slash == std::string::npos ? fs::path(".") : fs::path(prefix.substr(0, slash + 1));
  const std::string head = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
  long lowest = -1;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    if (name.size() < head.size() + digits + suffix.size() || name.compare(0, head.size(), head) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
      continue;
    const std::string number = name.substr(head.size(), name.size() - head.size() - suffix.size());
    size_t p = 0;
    long n = 0;
    // Only the names the pattern writes: no extra leading zeros.
    if (!readNumber(number, p, n) || p != number.size() || numbered("", n, digits, "") != number) continue;
    if (lowest < 0 || n < lowest) lowest = n;
  }
  return lowest;
}

// dir/img????.png*first-last
std::vector<std::string> listPattern(const std::string& text) {
  const size_t q = text.find('?');
  size_t end = q;
  while (end < text.size() && text[end] == '?') ++end;
  const std::string prefix = text.substr(0, q);
  std::string suffix = text.substr(end);
  const size_t digits = end - q;
  const size_t star = suffix.find('*');
  if (star == std::string::npos) {
    if (suffix.find('/') != std::string::npos || suffix.find('?') != std::string::npos) return {};
    const long lowest = lowestNumber(prefix, digits, suffix);
    return lowest < 0 ? std::vector<std::string>{} : listRun(prefix, lowest, digits, suffix);
  }
  const std::string range = suffix.substr(star + 1);
  suffix.resize(star);
  size_t p = 0;
  long first = 0, last = 0;
  if (!readNumber(range, p, first)) return {};
  last = first;
  if (p < range.size() && range[p] == '-' && !readNumber(range, ++p, last)) return {};
  if (p != range.size() || last < first || size_t(last - first) >= kMaxFiles) return {};
  std::vector<std::string> files;
  for (long n = first; n <= last; ++n) files.push_back(numbered(prefix, n, digits, suffix));
  return files;
}

// clip0000.png: the last run of digits in the file name (not the folder) is
// the number.
std::vector<std::string> listFromFirst(const std::string& firstFile) {
  const fs::path first(firstFile);
  const std::string stem = first.stem().string();
  size_t end = stem.size();
  while (end > 0 && !isDigit(stem[end - 1])) --end;
  size_t begin = end;
  while (begin > 0 && isDigit(stem[begin - 1])) --begin;
  size_t p = begin;
  long from = 0;
  if (begin == end || !readNumber(stem.substr(0, end), p, from)) return {firstFile};
  const std::string prefix = (first.parent_path() / stem.substr(0, begin)).string();
  return listRun(prefix, from, end - begin, stem.substr(end) + first.extension().string());
}

}  // namespace

std::vector<std::string> listSequence(const std::string& source) {
  std::error_code ec;
  if (source.find('?') != std::string::npos) return listPattern(source);
  if (fs::is_directory(source, ec)) return listFolder(source);
  if (fs::is_regular_file(source, ec)) return listFromFirst(source);
  return {};
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
  // The transformations above always give 4 bytes a pixel; anything else
  // would overrun the rows below.
  if (png_get_rowbytes(png, info) != size_t(w) * 4) png_error(png, "layout");
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

}  // namespace tolapp
