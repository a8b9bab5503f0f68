#include "media/jpeg_memory.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

TOL_NS_BEGIN

namespace {

struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}
void onMessage(j_common_ptr, int) {}

// Working memory libjpeg may take for one picture (progressive pictures keep
// all their coefficients); more fails the decode.
constexpr long kMaxDecoderMemory = 256L << 20;

}  // namespace

bool decodeJpegToBgr(const uint8_t* data, size_t size, int32_t width, int32_t height, uint8_t* dest,
                     size_t pitch) {
  if (!data || size < 4 || size > 0xFFFFFFFFu) return false;
  jpeg_decompress_struct info;
  ErrorTrap trap;
  info.err = jpeg_std_error(&trap.manager);
  trap.manager.error_exit = onError;
  trap.manager.emit_message = onMessage;
  // Nothing with a destructor lives between here and the decode's end, so
  // the jump out of libjpeg leaves nothing behind but libjpeg's own memory.
  if (setjmp(trap.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kMaxDecoderMemory;
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || info.image_width != JDIMENSION(width) ||
      info.image_height != JDIMENSION(height) || (info.num_components != 1 && info.num_components != 3) ||
      info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = dest + size_t(info.output_scanline) * pitch;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

TOL_NS_END
