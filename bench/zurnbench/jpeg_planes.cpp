#include "jpeg_planes.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include <jpeglib.h>

namespace zurnbench {
namespace {

struct ErrorJump {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

void onError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1); }
void onMessage(j_common_ptr) {}

// One band of rows for the raw-data calls: 16 luma rows and 8 rows of each
// chroma plane, padded to whole blocks by repeating the edge samples.
struct RowBand {
  int lumaPitch, chromaPitch;
  std::vector<uint8_t> store;
  JSAMPROW rows[3][16];
  JSAMPARRAY planes[3];

  explicit RowBand(int width)
      : lumaPitch((width + 15) & ~15), chromaPitch(lumaPitch / 2),
        store(size_t(lumaPitch) * 16 + 2 * size_t(chromaPitch) * 8) {
    uint8_t* p = store.data();
    for (int r = 0; r < 16; ++r, p += lumaPitch) rows[0][r] = p;
    for (int c = 1; c < 3; ++c)
      for (int r = 0; r < 8; ++r, p += chromaPitch) rows[c][r] = p;
    for (int c = 0; c < 3; ++c) planes[c] = rows[c];
  }

  static void fill(JSAMPROW dst, int pitch, const uint8_t* src, int w) {
    std::memcpy(dst, src, size_t(w));
    std::memset(dst + w, src[w - 1], size_t(pitch - w));
  }

  void load(const YuvFrame& f, int band) {
    for (int r = 0; r < 16; ++r)
      fill(rows[0][r], lumaPitch, f.y.data() + size_t(std::min(band * 16 + r, f.height - 1)) * f.width, f.width);
    const int cw = f.chromaWidth(), ch = f.chromaHeight();
    for (int r = 0; r < 8; ++r) {
      const size_t at = size_t(std::min(band * 8 + r, ch - 1)) * cw;
      fill(rows[1][r], chromaPitch, f.cb.data() + at, cw);
      fill(rows[2][r], chromaPitch, f.cr.data() + at, cw);
    }
  }

  void save(YuvFrame& f, int band) const {
    for (int r = 0; r < 16 && band * 16 + r < f.height; ++r)
      std::memcpy(f.y.data() + size_t(band * 16 + r) * f.width, rows[0][r], size_t(f.width));
    const int cw = f.chromaWidth(), ch = f.chromaHeight();
    for (int r = 0; r < 8 && band * 8 + r < ch; ++r) {
      std::memcpy(f.cb.data() + size_t(band * 8 + r) * cw, rows[1][r], size_t(cw));
      std::memcpy(f.cr.data() + size_t(band * 8 + r) * cw, rows[2][r], size_t(cw));
    }
  }
};

// The libjpeg calls, free of objects with destructors since an error
// longjmps out of them.
bool compress(const YuvFrame& f, int quality, RowBand& band, unsigned char** out, unsigned long* outSize) {
  jpeg_compress_struct c;
  ErrorJump err;
  c.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = onError;
  err.mgr.output_message = onMessage;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&c);
    return false;
  }
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, out, outSize);
  c.image_width = JDIMENSION(f.width);
  c.image_height = JDIMENSION(f.height);
  c.input_components = 3;
  c.in_color_space = JCS_YCbCr;
  jpeg_set_defaults(&c);
  jpeg_set_colorspace(&c, JCS_YCbCr);
  jpeg_set_quality(&c, quality, TRUE);
  c.raw_data_in = TRUE;
  c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 2;
  for (int i = 1; i < 3; ++i) c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
  jpeg_start_compress(&c, TRUE);
  for (int b = 0; c.next_scanline < c.image_height; ++b) {
    band.load(f, b);
    jpeg_write_raw_data(&c, band.planes, 16);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return true;
}

bool decompress(const uint8_t* data, size_t size, YuvFrame& f) {
  jpeg_decompress_struct d;
  ErrorJump err;
  d.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = onError;
  err.mgr.output_message = onMessage;
  RowBand* volatile band = nullptr;  // volatile: set after setjmp, freed after a longjmp
  if (setjmp(err.jump)) {
    delete band;
    jpeg_destroy_decompress(&d);
    return false;
  }
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, data, static_cast<unsigned long>(size));
  jpeg_read_header(&d, TRUE);
  const jpeg_component_info* ci = d.comp_info;
  if (d.num_components != 3 || d.jpeg_color_space != JCS_YCbCr || ci[0].h_samp_factor != 2 ||
      ci[0].v_samp_factor != 2 || ci[1].h_samp_factor != 1 || ci[1].v_samp_factor != 1 ||
      ci[2].h_samp_factor != 1 || ci[2].v_samp_factor != 1 || d.image_width > 16384 || d.image_height > 16384)
    std::longjmp(err.jump, 1);
  d.raw_data_out = TRUE;
  jpeg_start_decompress(&d);
  if (f.width != int(d.image_width) || f.height != int(d.image_height)) f = YuvFrame(int(d.image_width), int(d.image_height));
  band = new RowBand(f.width);
  for (int b = 0; d.output_scanline < d.output_height; ++b) {
    if (jpeg_read_raw_data(&d, band->planes, 16) == 0) std::longjmp(err.jump, 1);
    band->save(f, b);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  delete band;
  return true;
}

}  // namespace

std::vector<uint8_t> encodeJpeg(const YuvFrame& frame, int quality) {
  RowBand band(frame.width);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  const bool ok = compress(frame, quality, band, &out, &outSize);
  std::vector<uint8_t> result;
  if (ok) result.assign(out, out + outSize);
  std::free(out);
  return result;
}

bool decodeJpeg(const uint8_t* data, size_t size, YuvFrame& frame) { return decompress(data, size, frame); }

bool writeJpegFrame(std::FILE* f, const std::vector<uint8_t>& jpeg) {
  const uint32_t n = uint32_t(jpeg.size());
  const uint8_t length[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
  return n && std::fwrite(length, 1, 4, f) == 4 && std::fwrite(jpeg.data(), 1, n, f) == n;
}

bool readJpegClip(const std::string& path, std::vector<std::vector<uint8_t>>& frames) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  frames.clear();
  for (size_t pos = 0; pos < bytes.size();) {
    if (bytes.size() - pos < 4) return false;
    const uint32_t n = bytes[pos] | bytes[pos + 1] << 8 | bytes[pos + 2] << 16 | uint32_t(bytes[pos + 3]) << 24;
    pos += 4;
    if (n > bytes.size() - pos) return false;
    frames.emplace_back(bytes.begin() + long(pos), bytes.begin() + long(pos + n));
    pos += n;
  }
  return true;
}

}  // namespace zurnbench
