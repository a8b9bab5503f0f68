#include "media/png_memory.h"

#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

TOL_NS_BEGIN

namespace {

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->size - reader->pos) png_error(png, "cut short");
  std::memcpy(out, reader->data + reader->pos, count);
  reader->pos += count;
}

void onWarning(png_structp, png_const_charp) {}
[[noreturn]] void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Largest ancillary chunk libpng may hold in memory.
constexpr png_alloc_size_t kMaxChunk = 8u << 20;

}  // namespace

bool decodePngToBgr(const uint8_t* data, size_t size, int32_t width, int32_t height, uint8_t* dest,
                    size_t pitch) {
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  MemoryReader reader{data, size, 0};
  // Row pointers are made before the jump point so the jump leaves nothing
  // with a destructor half done.
  std::vector<png_bytep> rows(size_t(height > 0 ? height : 0));
  for (size_t y = 0; y < rows.size(); ++y) rows[y] = dest + y * pitch;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    return false;
  }
  png_set_read_fn(png, &reader, readFromMemory);
  png_set_user_limits(png, png_uint_32(width), png_uint_32(height));
  png_set_chunk_malloc_max(png, kMaxChunk);
  png_read_info(png, info);
  if (png_get_image_width(png, info) != png_uint_32(width) || png_get_image_height(png, info) != png_uint_32(height)) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_strip_alpha(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(width) * 3) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

TOL_NS_END
