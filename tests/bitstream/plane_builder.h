// Builds coded planes with the writer side and, alongside, the pixels and
// block-change marks the decoder must produce for them, worked out from
// what each block means (a fill is its colour, a motion block a displaced
// copy of the reference, ...). Used by the round-trip tests and the
// benchmark.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "decode/core/bit_writer.h"
#include "decode/core/block_writer.h"
#include "decode/core/coefficient_coder.h"
#include "decode/core/dequant_tables.h"
#include "decode/core/idct.h"
#include "decode/core/residue_coder.h"
#include "decode/core/scan_orders.h"
#include "decode/zurn_frame.h"

namespace planetest {

using namespace tol;

// What the tests put in a destination before decoding, so that samples the
// decoder must not write can be told apart.
constexpr uint8_t kUnwritten = 0xEE;

class PlaneBuilder {
 public:
  PlaneBuilder(uint32_t width, uint32_t height, uint32_t pitch, uint32_t seed)
      : w(width), h(height), pitch(pitch), cols(width / 8), rows(height / 8), rng(seed) {
    ref.resize(size_t{pitch} * height);
    for (uint32_t y = 0; y < height; ++y)
      for (uint32_t x = 0; x < pitch; ++x)
        ref[size_t{y} * pitch + x] = static_cast<uint8_t>(x * 3 + y * 5 + (rng() % 7));
    expect = ref;  // skips and undecoded areas show the reference
    marked.assign(size_t{cols} * rows, 0);
    writer.begin(width, height);
  }

  uint32_t w, h, pitch, cols, rows;
  std::mt19937 rng;
  std::vector<uint8_t> ref, expect;
  std::vector<uint8_t> marked;  // per 8x8 block
  PlaneWriter writer;

  int rand(int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<uint32_t>(hi - lo + 1)); }
  uint8_t colour() { return static_cast<uint8_t>(rand(1, 255)); }

  uint8_t* at(uint32_t bx, uint32_t by) { return expect.data() + size_t{by} * 8 * pitch + bx * 8; }
  const uint8_t* refAt(int x, int y) const { return ref.data() + static_cast<ptrdiff_t>(y) * pitch + x; }
  void mark(uint32_t bx, uint32_t by) { marked[size_t{by} * cols + bx] = 1; }

  // Puts an 8x8 picture (raster) as a block, or doubled as a scaled block.
  void put(uint32_t bx, uint32_t by, const uint8_t px[64], bool scaled) {
    uint8_t* d = at(bx, by);
    const int n = scaled ? 16 : 8;
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) d[r * pitch + c] = scaled ? px[8 * (r / 2) + c / 2] : px[8 * r + c];
    mark(bx, by);
    if (scaled) {
      mark(bx + 1, by);
      mark(bx, by + 1);
      mark(bx + 1, by + 1);
    }
  }

  // A random motion vector whose block stays inside the plane.
  void motionFor(uint32_t bx, uint32_t by, int& x, int& y) {
    x = rand(-15, 15);
    y = rand(-15, 15);
    const int px = static_cast<int>(bx * 8), py = static_cast<int>(by * 8);
    if (px + x < 0) x = -px;
    if (py + y < 0) y = -py;
    if (px + x + 8 > static_cast<int>(w)) x = static_cast<int>(w) - 8 - px;
    if (py + y + 8 > static_cast<int>(h)) y = static_cast<int>(h) - 8 - py;
  }

  void copyRef(uint32_t bx, uint32_t by, int x, int y, uint8_t out[64]) {
    for (int r = 0; r < 8; ++r) std::memcpy(out + 8 * r, refAt(static_cast<int>(bx * 8) + x, static_cast<int>(by * 8) + y + r), 8);
  }

  // ---- blocks
  void skip(uint32_t, uint32_t) { writeSkip(writer); }
  void motion(uint32_t bx, uint32_t by) {
    int x, y;
    motionFor(bx, by, x, y);
    writeMotion(writer, x, y);
    uint8_t px[64];
    copyRef(bx, by, x, y, px);
    put(bx, by, px, false);
  }
  void fill(uint32_t bx, uint32_t by, bool scaled, uint8_t c) {
    writeFill(writer, c, scaled);
    uint8_t px[64];
    std::memset(px, c, 64);
    put(bx, by, px, scaled);
  }
  void pattern(uint32_t bx, uint32_t by, bool scaled) {
    const uint8_t c0 = colour(), c1 = colour();
    uint8_t pat[8], px[64];
    for (int r = 0; r < 8; ++r) {
      pat[r] = static_cast<uint8_t>(rng());
      for (int c = 0; c < 8; ++c) px[8 * r + c] = (pat[r] >> c) & 1 ? c1 : c0;
    }
    writePattern(writer, c0, c1, pat, scaled);
    put(bx, by, px, scaled);
  }
  void raw(uint32_t bx, uint32_t by, bool scaled) {
    uint8_t px[64];
    for (uint8_t& p : px) p = colour();
    writeRaw(writer, px, scaled);
    put(bx, by, px, scaled);
  }
  // Pixels in few colours with runs of all lengths, so that both segment
  // kinds and a lone last pixel occur.
  void runs(uint32_t bx, uint32_t by, bool scaled) {
    uint8_t px[64];
    const uint8_t palette[3] = {colour(), colour(), colour()};
    for (int i = 0; i < 64;) {
      const int len = rand(1, 20);
      const uint8_t c = palette[rand(0, 2)];
      for (int k = 0; k < len && i < 64; ++k) px[i++] = rand(0, 3) ? c : colour();
    }
    writeRuns(writer, static_cast<unsigned>(rand(0, 15)), px, scaled);
    put(bx, by, px, scaled);
  }
  void randomCoefficients(int32_t coef[64], int maxMagnitude) {
    std::memset(coef, 0, 64 * sizeof(int32_t));
    const int n = rand(0, 12);
    for (int i = 0; i < n; ++i) coef[rand(1, 63)] = rand(-maxMagnitude, maxMagnitude);
  }
  void intra(uint32_t bx, uint32_t by, bool scaled, int dc = -1) {
    int32_t coef[64];
    randomCoefficients(coef, rand(0, 1) ? 3 : 300);
    if (dc < 0) dc = rand(0, 2047);
    const unsigned q = static_cast<unsigned>(rand(0, 15));
    writeIntra(writer, dc, coef, q, scaled);
    coef[0] = dc;
    uint8_t px[64];
    idctSamples(coef, dequantTables().intra[q], px);
    put(bx, by, px, scaled);
  }
  void inter(uint32_t bx, uint32_t by) {
    int x, y;
    motionFor(bx, by, x, y);
    int32_t coef[64];
    randomCoefficients(coef, 40);
    const int dc = rand(-1023, 1023);
    const unsigned q = static_cast<unsigned>(rand(0, 15));
    writeInter(writer, x, y, dc, coef, q);
    coef[0] = dc;
    uint8_t s[64], px[64];
    idctSamples(coef, dequantTables().inter[q], s);
    copyRef(bx, by, x, y, px);
    for (int i = 0; i < 64; ++i) px[i] = static_cast<uint8_t>(px[i] + s[i]);
    put(bx, by, px, false);
  }
  // Residue coded whole (the decoded block is the prediction plus exactly
  // this residue) or cut after a random number of operations (the block is
  // what the recorded operations replay).
  void residue(uint32_t bx, uint32_t by) {
    int x, y;
    motionFor(bx, by, x, y);
    int8_t resid[64] = {};
    const int n = rand(1, 20);
    for (int i = 0; i < n; ++i) resid[rand(0, 63)] = static_cast<int8_t>(rand(-127, 127));
    static ResidueCode code;
    encodeResidue(resid, code);
    const bool whole = code.opCount <= 128 && rand(0, 1);
    const unsigned ops = whole ? code.opCount : static_cast<unsigned>(rand(1, static_cast<int>(code.opCount < 128 ? code.opCount : 128)));
    writeResidueBlock(writer, x, y, code, ops);
    uint8_t px[64];
    copyRef(bx, by, x, y, px);
    if (whole) {
      for (int i = 0; i < 64; ++i) px[i] = static_cast<uint8_t>(px[i] + resid[i]);
    } else {
      uint8_t applied[64] = {};
      for (unsigned k = 0; k < ops; ++k) applied[code.ops[k].pos] = code.ops[k].value;
      for (int i = 0; i < 64; ++i) px[i] = static_cast<uint8_t>(px[i] + applied[i]);
    }
    put(bx, by, px, false);
  }
  // A scaled block whose sub-type writes nothing: only the marks.
  void scaledEmpty(uint32_t bx, uint32_t by, unsigned subType) {
    writer.blockType(kScaledBlock);
    writer.subBlockType(subType);
    for (int r = 0; r < 16; ++r) std::memset(at(bx, by) + r * pitch, kUnwritten, 16);
    mark(bx, by);
    mark(bx + 1, by);
    mark(bx, by + 1);
    mark(bx + 1, by + 1);
  }

  // Fills the whole plane with random blocks of the given kinds
  // (0..9, and 1 for scaled blocks with random sub-types).
  void randomPlane(const std::vector<int>& kinds) {
    std::vector<uint8_t> lowerHalf(cols, 0);
    for (uint32_t by = 0; by < rows; ++by) {
      for (uint32_t bx = 0; bx < cols;) {
        if (by & 1 && lowerHalf[bx]) {
          writeScaledLower(writer);
          lowerHalf[bx] = 0;
          bx += 2;
          continue;
        }
        int kind = kinds[static_cast<size_t>(rand(0, static_cast<int>(kinds.size()) - 1))];
        const bool canScale = !(by & 1) && bx + 1 < cols && by + 1 < rows;
        if (kind == 1 && !canScale) kind = 6;
        if (kind == 1) {
          static const int kSub[] = {3, 5, 6, 8, 9, 0, 2, 7};
          switch (kSub[rand(0, 7)]) {
            case 3: runs(bx, by, true); break;
            case 5: intra(bx, by, true); break;
            case 6: fill(bx, by, true, colour()); break;
            case 8: pattern(bx, by, true); break;
            case 9: raw(bx, by, true); break;
            default: scaledEmpty(bx, by, static_cast<unsigned>(rand(0, 1) ? 2 : 11)); break;
          }
          lowerHalf[bx] = 1;
          bx += 2;
          continue;
        }
        switch (kind) {
          case 0: skip(bx, by); break;
          case 2: motion(bx, by); break;
          case 3: runs(bx, by, false); break;
          case 4: residue(bx, by); break;
          case 5: intra(bx, by, false); break;
          case 6: fill(bx, by, false, colour()); break;
          case 7: inter(bx, by); break;
          case 8: pattern(bx, by, false); break;
          default: raw(bx, by, false); break;
        }
        ++bx;
      }
      writer.endRow();
    }
  }

  // Expected block-change map for a plane decoded with map step `step`.
  void expectMarks(std::vector<uint8_t>& map, uint32_t mapPitch, uint32_t step) const {
    for (uint32_t by = 0; by < rows; ++by)
      for (uint32_t bx = 0; bx < cols; ++bx)
        if (marked[size_t{by} * cols + bx]) map[(by * 8 * step / 16) * mapPitch + bx * 8 * step / 16] = 1;
  }
};

// Nine element buffers for a luma pitch, owned.
struct Streams {
  std::vector<uint8_t> block;
  ElementBuffers buffers;
  explicit Streams(uint32_t lumaPitch) : block(elementBuffersBytes(lumaPitch)) {
    bindElementBuffers(buffers, block.data(), lumaPitch);
  }
};

}  // namespace planetest
