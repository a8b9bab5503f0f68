#include "media/mjpeg_encoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "media/dib_pixels.h"

TOL_NS_BEGIN

struct MjpegEncoder::State {
  jpeg_compress_struct cinfo;
  struct Error {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
  } error;
  unsigned char* out = nullptr;  // grown by libjpeg with malloc, kept between frames
  unsigned long outSize = 0;
  std::vector<uint8_t> row;

  State() {
    cinfo.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<Error*>(c->err)->jump, 1); };
    error.mgr.output_message = [](j_common_ptr) {};
    jpeg_create_compress(&cinfo);
  }
  ~State() {
    jpeg_destroy_compress(&cinfo);
    std::free(out);
  }
};

MjpegEncoder::MjpegEncoder() : state_(std::make_unique<State>()) {}
MjpegEncoder::~MjpegEncoder() = default;

const uint8_t* MjpegEncoder::encode(const uint8_t* pixels, size_t stride, bool topDown, uint32_t bits,
                                    const uint8_t* table, uint32_t width, uint32_t height, int quality,
                                    size_t* size) {
  State& s = *state_;
  jpeg_compress_struct& c = s.cinfo;
  if (bits == 8) s.row.resize(size_t(width) * 3);
  if (setjmp(s.error.jump)) {
    jpeg_abort_compress(&c);
    return nullptr;
  }
  // libjpeg writes into our buffer while it is big enough, else into a new
  // one of its own, leaving ours to us.
  unsigned char* previous = s.out;
  unsigned long capacity = s.outSize;
  jpeg_mem_dest(&c, &s.out, &capacity);
  c.image_width = width;
  c.image_height = height;
  c.input_components = bits == 32 ? 4 : 3;
  c.in_color_space = bits == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < height) {
    uint32_t y = c.next_scanline;
    const uint8_t* src = pixels + size_t(topDown ? y : height - 1 - y) * stride;
    JSAMPROW row = const_cast<JSAMPROW>(src);
    if (bits == 8) {
      dib::convertRow(src, 8, table, s.row.data(), 24, width);
      row = s.row.data();
    }
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  if (s.out != previous) {
    std::free(previous);
    s.outSize = capacity;  // at least what the new buffer holds
  }
  *size = capacity;
  return s.out;
}

TOL_NS_END
