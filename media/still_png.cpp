// PNG through libpng. Palette files and grey files of 8 bits or fewer come as
// indices; everything else as blue, green, red (16-bit samples cut to 8,
// alpha dropped, grey spread to three channels). Written as 8-bit palette or
// 8-bit RGB files.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <memory>
#include <string>
#include <vector>

#include "media/still_codecs.h"

TOL_NS_BEGIN

namespace {

void quietWarning(png_structp, png_const_charp) {}
[[noreturn]] void failJump(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// The library's structures for one file, freed when it goes.
struct PngReader {
  std::FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;

  explicit PngReader(const char* name) : file(std::fopen(name, "rb")) {
    if (!file) return;
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failJump, quietWarning);
    if (png) info = png_create_info_struct(png);
  }
  ~PngReader() {
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    if (file) std::fclose(file);
  }
  bool ready() const { return info != nullptr; }
};

// Everything between setjmp and the library's calls lives in plain functions
// with no objects to destroy, so an error jump skips nothing.
bool readHeader(PngReader& r) {
  if (setjmp(png_jmpbuf(r.png))) return false;
  png_init_io(r.png, r.file);
  png_read_info(r.png, r.info);
  return true;
}

bool isIndexed(png_structp png, png_infop info) {
  const int type = png_get_color_type(png, info);
  return type == PNG_COLOR_TYPE_PALETTE || (type == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) <= 8);
}

// Sets the transformations to one byte an index (bytesPerPixel 1), or
// three bytes blue, green, red (3), or those and a 0 (4), then reads every
// row to its place.
bool readRows(PngReader& r, png_uint_32 bytesPerPixel, png_bytep* rows, png_uint_32 width) {
  if (setjmp(png_jmpbuf(r.png))) return false;
  if (bytesPerPixel == 1) {
    png_set_packing(r.png);
  } else {
    png_set_strip_16(r.png);
    png_set_strip_alpha(r.png);
    png_set_palette_to_rgb(r.png);
    png_set_gray_to_rgb(r.png);
    png_set_bgr(r.png);
    if (bytesPerPixel == 4) png_set_filler(r.png, 0, PNG_FILLER_AFTER);
  }
  png_set_interlace_handling(r.png);
  png_read_update_info(r.png, r.info);
  if (png_get_rowbytes(r.png, r.info) != width * bytesPerPixel) return false;
  png_read_image(r.png, rows);
  return true;
}

bool writeAll(png_structp png, png_infop info, std::FILE* file, const StillImage& image, const png_color* palette,
              int paletteSize, png_bytep* rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  const bool indexed = image.bits == 8;
  png_set_IHDR(png, info, image.width, image.height, 8, indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (indexed) png_set_PLTE(png, info, palette, paletteSize);
  png_write_info(png, info);
  if (!indexed) png_set_bgr(png);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

std::unique_ptr<PngReader> openReader(const char* name) {
  auto r = std::make_unique<PngReader>(name);
  if (!r->ready() || !readHeader(*r)) return nullptr;
  return r;
}

void fillInfo(const PngReader& r, StillInfo& info) {
  info.width = static_cast<int32_t>(std::min<png_uint_32>(png_get_image_width(r.png, r.info), INT32_MAX));
  info.height = static_cast<int32_t>(std::min<png_uint_32>(png_get_image_height(r.png, r.info), INT32_MAX));
  info.bitsPerPixel = png_get_bit_depth(r.png, r.info) * png_get_channels(r.png, r.info);
  info.compression = 0;
}

bool loadFrom(PngReader& r, StillImage& image) {
  const png_uint_32 width = png_get_image_width(r.png, r.info), height = png_get_image_height(r.png, r.info);
  const bool indexed = isIndexed(r.png, r.info);
  if (width > INT32_MAX || height > INT32_MAX ||
      !stillBufferFits(image, static_cast<int32_t>(width), static_cast<int32_t>(height), indexed))
    return false;
  stillClearColours(image);
  if (png_get_color_type(r.png, r.info) == PNG_COLOR_TYPE_GRAY) {
    if (indexed) stillGreyColours(image, png_get_bit_depth(r.png, r.info));
  } else if (indexed) {
    png_colorp palette = nullptr;
    int count = 0;
    if (!png_get_PLTE(r.png, r.info, &palette, &count)) return false;
    for (int i = 0; i < count && i < 256; ++i) {
      image.colours[i][0] = palette[i].blue;
      image.colours[i][1] = palette[i].green;
      image.colours[i][2] = palette[i].red;
    }
    image.coloursUsed = std::min(count, 256);
  }
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = stillRow(image, static_cast<int32_t>(y));
  if (!readRows(r, indexed ? 1 : 3, rows.data(), width)) return false;
  if (indexed) stillFinishIndexed(image);
  return true;
}

class PngFile final : public StillFile {
 public:
  PngFile(const char* name, std::unique_ptr<PngReader> reader) : name_(name), reader_(std::move(reader)) {
    fillInfo(*reader_, info_);
    words_ = !isIndexed(reader_->png, reader_->info);
  }
  bool load(StillImage& image) override {
    std::unique_ptr<PngReader> r = take();
    return r && loadFrom(*r, image);
  }
  bool loadsWords() const override { return words_; }
  bool loadWords(uint8_t* top, int32_t pitch) override {
    std::unique_ptr<PngReader> r = take();
    if (!words_ || !r || png_get_image_width(r->png, r->info) != static_cast<png_uint_32>(info_.width) ||
        png_get_image_height(r->png, r->info) != static_cast<png_uint_32>(info_.height))
      return false;
    rows_.resize(static_cast<size_t>(info_.height));
    for (int32_t y = 0; y < info_.height; ++y) rows_[y] = top + static_cast<ptrdiff_t>(y) * pitch;
    return readRows(*r, 4, rows_.data(), static_cast<png_uint_32>(info_.width));
  }

 private:
  // The reader opened with the file the first time, a new one later.
  std::unique_ptr<PngReader> take() { return reader_ ? std::move(reader_) : openReader(name_.c_str()); }

  std::string name_;
  std::unique_ptr<PngReader> reader_;
  std::vector<png_bytep> rows_;
  bool words_;
};

}  // namespace

std::unique_ptr<StillFile> pngOpen(const char* name) {
  std::unique_ptr<PngReader> r = openReader(name);
  if (!r) return nullptr;
  return std::make_unique<PngFile>(name, std::move(r));
}

bool pngInfo(const char* name, StillInfo& info) {
  std::unique_ptr<PngReader> r = openReader(name);
  if (!r) return false;
  fillInfo(*r, info);
  return true;
}

bool pngLoad(const char* name, StillImage& image) {
  std::unique_ptr<PngReader> r = openReader(name);
  return r && loadFrom(*r, image);
}

bool pngSave(const char* name, const StillImage& image) {
  std::vector<png_color> palette(256);
  int paletteSize = 0;
  if (image.bits == 8) {
    paletteSize = stillColoursToWrite(image);
    for (int i = 0; i < paletteSize; ++i)
      palette[i] = png_color{image.colours[i][2], image.colours[i][1], image.colours[i][0]};
  }
  std::vector<png_bytep> rows(image.height);
  for (int32_t y = 0; y < image.height; ++y) rows[y] = stillRow(image, y);
  StillOutput out(name);
  if (!out.file()) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failJump, quietWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const bool ok = info && writeAll(png, info, out.file(), image, palette.data(), paletteSize, rows.data());
  png_destroy_write_struct(&png, info ? &info : nullptr);
  return ok && out.finish();
}

TOL_NS_END
