// Plain row kernels of the YUV blitters: table lookups only, one chroma pair
// (four pixels of a row pair) per pass. They are the reference the wide
// kernels must match, and they convert the wide kernels' odd first pixel and
// leftover pixels.
#include "decode/yuv_kernels.h"

#include <cstring>

#include "decode/yuv_tables.h"

TOL_NS_BEGIN
namespace {

const YuvTables& T = kYuvTables;

// A chroma pair's three terms, already offset to index the clamp tables.
struct Chroma {
  int r, g, b;
};

Chroma chromaOf(uint8_t cr, uint8_t cb) {
  return {T.red[cr] + kYuvSumBias, T.greenCr[cr] + T.greenCb[cb] + kYuvSumBias,
          T.blue[cb] + kYuvSumBias};
}

struct Rgb24 {
  static constexpr int kBytes = 3;
  static void put(uint8_t* d, int l, const Chroma& c) {
    d[0] = T.clamp[l + c.r];
    d[1] = T.clamp[l + c.g];
    d[2] = T.clamp[l + c.b];
  }
};

struct Rgb32 {
  static constexpr int kBytes = 4;
  static void put(uint8_t* d, int l, const Chroma& c) { Rgb24::put(d, l, c); }  // byte 3 kept
};

template <int kType>
struct Rgb16 {
  static constexpr int kBytes = 2;
  static void put(uint8_t* d, int l, const Chroma& c) {
    const auto& p = T.pack[kType - 3];
    const unsigned v = p[0][l + c.r] | p[1][l + c.g] | p[2][l + c.b];
    d[0] = static_cast<uint8_t>(v);
    d[1] = static_cast<uint8_t>(v >> 8);
  }
};

template <class Px>
void rowRgb(const YuvRows& r) {
  uint8_t* const dst[2] = {r.dst0, r.dst1};
  const uint8_t* const luma[2] = {r.y0, r.y1};
  const int rows = r.dst1 ? 2 : 1;
  const uint8_t* cr = r.cr;
  const uint8_t* cb = r.cb;
  auto column = [&](int32_t i, const Chroma& c) {
    for (int k = 0; k < rows; ++k) Px::put(dst[k] + i * Px::kBytes, T.luma[luma[k][i]], c);
  };
  int32_t i = 0;
  if (r.oddStart && r.count > 0) {
    column(0, chromaOf(*cr++, *cb++));
    i = 1;
  }
  for (; i + 1 < r.count; i += 2) {
    const Chroma c = chromaOf(*cr++, *cb++);
    column(i, c);
    column(i + 1, c);
  }
  if (i < r.count) column(i, chromaOf(*cr, *cb));
}

// Packed YUV: samples copied as they are, two pixels per chroma pair.
// Rows always start on an even source column here.
template <bool kUyvy>
void rowPacked(const YuvRows& r) {
  uint8_t* const dst[2] = {r.dst0, r.dst1};
  const uint8_t* const luma[2] = {r.y0, r.y1};
  for (int k = 0; k < (r.dst1 ? 2 : 1); ++k) {
    uint8_t* d = dst[k];
    const uint8_t* y = luma[k];
    for (int32_t p = 0; p < r.count / 2; ++p, d += 4, y += 2) {
      if (kUyvy) {
        d[0] = r.cr[p], d[1] = y[0], d[2] = r.cb[p], d[3] = y[1];
      } else {
        d[0] = y[0], d[1] = r.cr[p], d[2] = y[1], d[3] = r.cb[p];
      }
    }
  }
}

int bytesPerPixel(int slot) { return slot == 1 ? 3 : slot == 2 ? 4 : 2; }

}  // namespace

const YuvKernelSet kYuvPlainKernels = {{
    nullptr, rowRgb<Rgb24>, rowRgb<Rgb32>, rowRgb<Rgb16<3>>, rowRgb<Rgb16<4>>,
    rowRgb<Rgb16<5>>, rowRgb<Rgb16<6>>, yuvPlainBlank16, rowPacked<false>, rowPacked<true>,
}};

void yuvPlainBlank16(const YuvRows& r) {
  std::memset(r.dst0, 0, size_t(r.count) * 2);
  if (r.dst1) std::memset(r.dst1, 0, size_t(r.count) * 2);
}

void yuvRowPart(const YuvKernelSet& set, int slot, const YuvRows& r, int32_t from, int32_t to) {
  if (from >= to) return;
  const int32_t bytes = bytesPerPixel(slot);
  const int32_t c = (from + r.oddStart) / 2;
  const YuvRows part{r.dst0 + from * bytes, r.dst1 ? r.dst1 + from * bytes : nullptr,
                     r.y0 + from,           r.y1 + from,
                     r.cr + c,              r.cb + c,
                     to - from,             (from + r.oddStart) & 1};
  set.row[slot](part);
}

TOL_NS_END
