// Test-only maker of coded video frames whose decoded picture is known in
// advance: every 8x8 block of every plane is a skip (keeps the reference),
// a fill of one colour, or raw pixels. The maker keeps the picture that a
// decoder must produce, so frames of any size, with or without unchanged
// areas, and true keyframes (no skips) can be checked exactly.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "decode/core/bit_writer.h"
#include "decode/core/block_writer.h"
#include "decode/core/plane_writer.h"
#include "decode/zurn_frame.h"
#include "zurn_test_file.h"

namespace zurntest {

// What one block becomes.
struct Block {
  enum Kind { Skip, Fill, Raw } kind = Skip;
  uint8_t value = 0;  // fill colour, or seed of the raw pixels (1 to 255 each)
};
// plane 0 = Y, 1 = Cr, 2 = Cb; bx, by in blocks.
using BlockChoice = std::function<Block(int plane, uint32_t bx, uint32_t by)>;

class FrameMaker {
 public:
  FrameMaker(uint32_t width, uint32_t height)
      : g_(tol::frameGeometry(width, height)), picture_(g_.frameBytes, 0) {}

  // The coded video data of the next frame; picture() becomes its picture.
  std::vector<uint8_t> next(const BlockChoice& choose) {
    tol::BitWriter out;
    const size_t lumaBytes = size_t{g_.lumaPitch} * g_.lumaBufferHeight;
    const size_t chromaBytes = size_t{g_.chromaWidth} * g_.chromaHeight;
    struct Plane {
      size_t offset;
      uint32_t width, height, pitch;
    } planes[3] = {{0, g_.lumaWidth, g_.lumaHeight, g_.lumaPitch},
                   {lumaBytes, g_.chromaWidth, g_.chromaHeight, g_.chromaWidth},
                   {lumaBytes + chromaBytes, g_.chromaWidth, g_.chromaHeight, g_.chromaWidth}};
    for (int p = 0; p < 3; p++) {
      tol::PlaneWriter w;
      w.begin(planes[p].width, planes[p].height);
      for (uint32_t by = 0; by < planes[p].height / 8; by++) {
        for (uint32_t bx = 0; bx < planes[p].width / 8; bx++) {
          Block b = choose(p, bx, by);
          uint8_t pixels[64];
          if (b.kind == Block::Skip) {
            tol::writeSkip(w);
            continue;
          }
          for (int i = 0; i < 64; i++)
            pixels[i] = b.kind == Block::Fill ? b.value : static_cast<uint8_t>(1 + (b.value * 37 + i * 11 + i * i) % 255);
          if (pixels[0] == 0) pixels[0] = 1;
          if (b.kind == Block::Fill)
            tol::writeFill(w, pixels[0]);
          else
            tol::writeRaw(w, pixels);
          uint8_t* at = picture_.data() + planes[p].offset + size_t{by} * 8 * planes[p].pitch + bx * 8;
          for (int r = 0; r < 8; r++)
            for (int c = 0; c < 8; c++) at[static_cast<size_t>(r) * planes[p].pitch + c] = pixels[r * 8 + c];
        }
        w.endRow();
      }
      if (w.finish(out) != tol::PlaneWriteError::none) return {};
    }
    out.finishWords();
    return std::vector<uint8_t>(out.data(), out.data() + out.byteCount());
  }

  const std::vector<uint8_t>& picture() const { return picture_; }
  const tol::FrameGeometry& geometry() const { return g_; }

 private:
  tol::FrameGeometry g_;
  std::vector<uint8_t> picture_;
};

// Choices used by several tests.
inline BlockChoice everyBlockRaw(uint8_t seed) {
  return [seed](int p, uint32_t bx, uint32_t by) {
    return Block{Block::Raw, static_cast<uint8_t>(seed + p * 31 + bx * 7 + by * 13)};
  };
}
// Fills the luma blocks of the 16x16 areas whose number (row-major over a
// map of mapPitch areas per row) is picked, and the matching chroma blocks.
inline BlockChoice fillSomeAreas(uint32_t mapPitch, std::function<bool(uint32_t area)> picked, uint8_t colour) {
  return [=](int p, uint32_t bx, uint32_t by) {
    uint32_t area = p == 0 ? (by / 2) * mapPitch + bx / 2 : by * mapPitch + bx;
    if (!picked(area)) return Block{};
    return Block{Block::Fill, static_cast<uint8_t>(colour + p * 40 + bx)};
  };
}

// A movie whose every keyEvery-th frame is a raw keyframe, with fills in a
// quarter of the 16x16 areas between; pictures[k] is what frame k shows.
struct SyntheticMovie {
  Clip clip;
  std::vector<std::vector<uint8_t>> pictures;
};
inline SyntheticMovie syntheticMovie(uint32_t width, uint32_t height, uint32_t frames, uint32_t fps, uint32_t keyEvery) {
  FrameMaker maker(width, height);
  SyntheticMovie movie;
  movie.clip.width = width;
  movie.clip.height = height;
  movie.clip.fpsNumerator = fps;
  for (uint32_t k = 0; k < frames; k++) {
    const bool key = k % keyEvery == 0;
    const auto seed = static_cast<uint8_t>(k);
    auto choice = key ? everyBlockRaw(seed)
                      : fillSomeAreas(maker.geometry().mapPitch, [k](uint32_t a) { return (a + k) % 4 == 0; }, seed);
    movie.clip.frames.push_back({maker.next(choice), key});
    movie.pictures.push_back(maker.picture());
  }
  return movie;
}

}  // namespace zurntest
