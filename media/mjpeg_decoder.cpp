#include "media/mjpeg_decoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include <jpeglib.h>

TOL_NS_BEGIN
namespace {

// The tables a JPEG encoder uses when it is given none: luminance and
// chrominance, DC and AC, taken once from libjpeg's own defaults.
struct StandardTables {
  JHUFF_TBL dc[2], ac[2];
};

const StandardTables& standardTables() {
  static StandardTables tables;
  static std::once_flag once;
  std::call_once(once, [] {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    c.in_color_space = JCS_RGB;
    c.input_components = 3;
    jpeg_set_defaults(&c);
    for (int i = 0; i < 2; ++i) {
      tables.dc[i] = *c.dc_huff_tbl_ptrs[i];
      tables.ac[i] = *c.ac_huff_tbl_ptrs[i];
    }
    jpeg_destroy_compress(&c);
  });
  return tables;
}

void putTable(j_decompress_ptr d, JHUFF_TBL*& slot, const JHUFF_TBL& from) {
  if (!slot) slot = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(d));
  std::memcpy(slot->bits, from.bits, sizeof from.bits);
  std::memcpy(slot->huffval, from.huffval, sizeof from.huffval);
  slot->sent_table = FALSE;
}

// A picture may exceed the frame by the padding of its coded blocks.
constexpr uint32_t kBlockPadding = 16;

}  // namespace

struct MjpegDecoder::State {
  jpeg_decompress_struct cinfo;
  struct Error {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
  } error;
  std::vector<uint8_t> scratchRow;
  std::vector<JSAMPROW> rows;

  State() {
    cinfo.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<Error*>(c->err)->jump, 1); };
    error.mgr.output_message = [](j_common_ptr) {};
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = 512L << 20;
  }
  ~State() { jpeg_destroy_decompress(&cinfo); }

  // One picture into rows field, field + fields, ... of the top-down frame.
  // Returns the bytes it used, 0 on failure, and its height in *pictureHeight.
  size_t decodePicture(const uint8_t* data, size_t size, uint8_t* pixels, size_t stride, uint32_t width,
                       uint32_t height, uint32_t field, uint32_t* fields);
};

size_t MjpegDecoder::State::decodePicture(const uint8_t* data, size_t size, uint8_t* pixels, size_t stride,
                                          uint32_t width, uint32_t height, uint32_t field, uint32_t* fields) {
  if (setjmp(error.jump)) {
    jpeg_abort_decompress(&cinfo);
    return 0;
  }
  const StandardTables& std = standardTables();
  for (int i = 0; i < 2; ++i) {
    putTable(&cinfo, cinfo.dc_huff_tbl_ptrs[i], std.dc[i]);
    putTable(&cinfo, cinfo.ac_huff_tbl_ptrs[i], std.ac[i]);
  }
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
    jpeg_abort_decompress(&cinfo);
    return 0;
  }
  // Motion-JPEG frames are sequential Huffman-coded pictures of the frame's
  // size; bigger or progressive ones could make a damaged frame cost minutes.
  if (cinfo.image_width > width + kBlockPadding || cinfo.image_height > height + kBlockPadding ||
      cinfo.progressive_mode || cinfo.arith_code ||
      (cinfo.jpeg_color_space != JCS_YCbCr && cinfo.jpeg_color_space != JCS_GRAYSCALE &&
       cinfo.jpeg_color_space != JCS_RGB)) {
    jpeg_abort_decompress(&cinfo);
    return 0;
  }
  if (field == 0) *fields = cinfo.image_height < height && 2 * cinfo.image_height >= height ? 2 : 1;
  cinfo.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&cinfo);
  const uint32_t w = cinfo.output_width;
  const bool direct = w == width;
  // Lines that do not land in the frame (too wide, or below its last row)
  // go through the scratch row.
  if (scratchRow.size() < size_t(w) * 3) scratchRow.resize(size_t(w) * 3);
  const size_t copy = size_t(w < width ? w : width) * 3;
  while (cinfo.output_scanline < cinfo.output_height) {
    // Point a batch of output lines at their frame rows (or the scratch row).
    uint32_t first = cinfo.output_scanline;
    uint32_t batch = cinfo.output_height - first;
    if (batch > rows.size()) batch = static_cast<uint32_t>(rows.size());
    bool scratch = false;
    for (uint32_t i = 0; i < batch; ++i) {
      uint64_t r = uint64_t(first + i) * *fields + field;
      if (direct && r < height) {
        rows[i] = pixels + (height - 1 - r) * stride;
      } else {
        batch = i ? i : 1;  // scratch lines go one at a time
        scratch = i == 0;
        if (scratch) rows[0] = scratchRow.data();
        break;
      }
    }
    uint32_t got = jpeg_read_scanlines(&cinfo, rows.data(), batch);
    if (got == 0) break;
    if (scratch) {
      uint64_t r = uint64_t(first) * *fields + field;
      if (r < height) std::memcpy(pixels + (height - 1 - r) * stride, scratchRow.data(), copy);
    }
  }
  size_t used = size - cinfo.src->bytes_in_buffer;
  jpeg_abort_decompress(&cinfo);  // no need to read past the last line
  return used ? used : 1;
}

void MjpegDecoder::prepare() { standardTables(); }

MjpegDecoder::MjpegDecoder() : state_(std::make_unique<State>()) { state_->rows.resize(16); }

MjpegDecoder::~MjpegDecoder() = default;

bool MjpegDecoder::decode(const uint8_t* data, size_t size, uint8_t* pixels, size_t stride, uint32_t width,
                          uint32_t height) {
  uint32_t fields = 1;
  size_t used = state_->decodePicture(data, size, pixels, stride, width, height, 0, &fields);
  if (!used) return false;
  if (fields == 1) return true;
  // The second field follows the first picture's end.
  for (size_t i = used > 2 ? used - 2 : 0; i + 1 < size; ++i) {
    if (data[i] == 0xFF && data[i + 1] == 0xD8) {
      if (state_->decodePicture(data + i, size - i, pixels, stride, width, height, 1, &fields)) return true;
      break;
    }
  }
  // One field only: double its lines.
  for (uint32_t r = 1; r < height; r += 2)
    std::memcpy(pixels + (height - 1 - r) * stride, pixels + (height - r) * stride, stride);
  return true;
}

TOL_NS_END
