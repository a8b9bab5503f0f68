// JPEG through libjpeg-turbo. Grey files come as indices into a grey
// palette, colour files as blue, green, red; CMYK files are turned into RGB
// (inverted samples when an Adobe marker says so, as its writers store
// them). Written as baseline colour files at the given quality, from
// quality 90 on without halving the colour resolution.
#include <cstdio>  // before jpeglib.h, which uses FILE

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <memory>
#include <string>
#include <vector>

#include "media/still_codecs.h"
#include "media/still_pixels.h"

TOL_NS_BEGIN

namespace {

// From this quality on colour is kept at full resolution: whoever asks for
// that much wants the colours of sharp edges too.
constexpr int32_t kFullChromaQuality = 90;

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void failJump(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }
void quietMessage(j_common_ptr) {}

void quietErrors(JpegError& error) {
  jpeg_std_error(&error.manager);
  error.manager.error_exit = failJump;
  error.manager.output_message = quietMessage;
}

// The library's structures for one file being read, freed when it goes.
struct JpegReader {
  std::FILE* file;
  JpegError error;
  jpeg_decompress_struct cinfo{};  // destroying it is safe before and after creation

  explicit JpegReader(const char* name) : file(std::fopen(name, "rb")) { quietErrors(error); }
  ~JpegReader() {
    jpeg_destroy_decompress(&cinfo);
    if (file) std::fclose(file);
  }
};

// Everything between setjmp and the library's calls lives in plain functions
// with no objects to destroy, so an error jump skips nothing.
bool readHeader(JpegReader& r) {
  if (!r.file) return false;
  r.cinfo.err = &r.error.manager;
  if (setjmp(r.error.jump)) return false;
  jpeg_create_decompress(&r.cinfo);
  jpeg_stdio_src(&r.cinfo, r.file);
  jpeg_read_header(&r.cinfo, TRUE);
  return true;
}

bool isCmyk(const jpeg_decompress_struct& cinfo) {
  return cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
}

void bgrFromCmyk(const uint8_t* src, int32_t width, bool inverted, uint8_t* dst) {
  for (int32_t x = 0; x < width; ++x, src += 4, dst += 3) {
    const uint32_t k = inverted ? src[3] : 255 - src[3];
    for (int c = 0; c < 3; ++c) {
      const uint32_t v = inverted ? src[2 - c] : 255 - src[2 - c];
      dst[c] = static_cast<uint8_t>((v * k + 127) / 255);
    }
  }
}

bool readRows(JpegReader& r, StillImage& image) {
  jpeg_decompress_struct& cinfo = r.cinfo;
  if (setjmp(r.error.jump)) return false;
  const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  const bool cmyk = isCmyk(cinfo);
  cinfo.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_width != static_cast<JDIMENSION>(image.width) ||
      cinfo.output_height != static_cast<JDIMENSION>(image.height))
    return false;
  JSAMPARRAY cmykRow =
      cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.output_width * 4, 1)
           : nullptr;
  while (cinfo.output_scanline < cinfo.output_height) {
    uint8_t* row = stillRow(image, static_cast<int32_t>(cinfo.output_scanline));
    JSAMPROW target = cmyk ? cmykRow[0] : row;
    if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) return false;
    if (cmyk) bgrFromCmyk(cmykRow[0], image.width, cinfo.saw_Adobe_marker, row);
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

bool writeAll(jpeg_compress_struct& cinfo, JpegError& error, std::FILE* file, const StillImage& image,
              int32_t quality, uint8_t* expanded) {
  if (setjmp(error.jump)) return false;
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
  if (quality >= kFullChromaQuality)
    for (int c = 0; c < cinfo.num_components; ++c) cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = stillRow(image, static_cast<int32_t>(cinfo.next_scanline));
    if (image.bits == 8) {
      for (int32_t x = 0; x < image.width; ++x) std::copy_n(image.colours[row[x]], 3, expanded + 3 * x);
      row = expanded;
    }
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

bool readWords(JpegReader& r, uint8_t* top, int32_t pitch, const StillInfo& info) {
  jpeg_decompress_struct& cinfo = r.cinfo;
  if (setjmp(r.error.jump)) return false;
  cinfo.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_width != static_cast<JDIMENSION>(info.width) ||
      cinfo.output_height != static_cast<JDIMENSION>(info.height))
    return false;
  // The library bypasses the cache when it writes aligned rows, and the
  // filler bytes it sets to 255 must become 0: each row goes to a misaligned
  // row of its own first, to be copied while it is still in the cache.
  JSAMPARRAY scratch =
      (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.output_width * 4 + 4, 1);
  JSAMPROW row = scratch[0] + 4;
  while (cinfo.output_scanline < cinfo.output_height) {
    uint8_t* out = top + static_cast<ptrdiff_t>(cinfo.output_scanline) * pitch;
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) return false;
    copyClearingFiller(row, out, info.width);
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

void fillInfo(const jpeg_decompress_struct& cinfo, StillInfo& info) {
  info.width = static_cast<int32_t>(std::min<JDIMENSION>(cinfo.image_width, INT32_MAX));
  info.height = static_cast<int32_t>(std::min<JDIMENSION>(cinfo.image_height, INT32_MAX));
  info.bitsPerPixel = 8 * cinfo.num_components;
  info.compression = 0;
}

// A reader whose header has been read: false (and nothing kept) when the
// file cannot be opened or its header is not that of a JPEG file.
std::unique_ptr<JpegReader> openReader(const char* name) {
  auto r = std::make_unique<JpegReader>(name);
  if (!readHeader(*r)) return nullptr;
  return r;
}

bool loadFrom(JpegReader& r, StillImage& image) {
  const bool grey = r.cinfo.jpeg_color_space == JCS_GRAYSCALE;
  if (r.cinfo.image_width > INT32_MAX || r.cinfo.image_height > INT32_MAX ||
      !stillBufferFits(image, static_cast<int32_t>(r.cinfo.image_width), static_cast<int32_t>(r.cinfo.image_height),
                       grey))
    return false;
  if (grey) stillGreyColours(image, 8);
  else stillClearColours(image);
  if (!readRows(r, image)) return false;
  if (grey) stillFinishIndexed(image);
  return true;
}

class JpegFile final : public StillFile {
 public:
  JpegFile(const char* name, std::unique_ptr<JpegReader> reader) : name_(name), reader_(std::move(reader)) {
    fillInfo(reader_->cinfo, info_);
    const J_COLOR_SPACE space = reader_->cinfo.jpeg_color_space;
    words_ = space == JCS_YCbCr || space == JCS_RGB;
  }
  bool load(StillImage& image) override {
    std::unique_ptr<JpegReader> r = take();
    return r && loadFrom(*r, image);
  }
  bool loadsWords() const override { return words_; }
  bool loadWords(uint8_t* top, int32_t pitch) override {
    std::unique_ptr<JpegReader> r = take();
    return words_ && r && readWords(*r, top, pitch, info_);
  }

 private:
  // The reader opened with the file the first time, a new one later.
  std::unique_ptr<JpegReader> take() { return reader_ ? std::move(reader_) : openReader(name_.c_str()); }

  std::string name_;
  std::unique_ptr<JpegReader> reader_;
  bool words_;
};

}  // namespace

std::unique_ptr<StillFile> jpegOpen(const char* name) {
  std::unique_ptr<JpegReader> r = openReader(name);
  if (!r) return nullptr;
  return std::make_unique<JpegFile>(name, std::move(r));
}

bool jpegInfo(const char* name, StillInfo& info) {
  std::unique_ptr<JpegReader> r = openReader(name);
  if (!r) return false;
  fillInfo(r->cinfo, info);
  return true;
}

bool jpegLoad(const char* name, StillImage& image) {
  std::unique_ptr<JpegReader> r = openReader(name);
  return r && loadFrom(*r, image);
}

bool jpegSave(const char* name, const StillImage& image, int32_t quality) {
  std::vector<uint8_t> expanded(image.bits == 8 ? 3 * static_cast<size_t>(image.width) : 0);
  StillOutput out(name);
  if (!out.file()) return false;
  JpegError error;
  quietErrors(error);
  jpeg_compress_struct cinfo{};  // destroying it is safe before and after creation
  cinfo.err = &error.manager;
  const bool ok = writeAll(cinfo, error, out.file(), image, quality, expanded.data());
  jpeg_destroy_compress(&cinfo);
  return ok && out.finish();
}

TOL_NS_END
