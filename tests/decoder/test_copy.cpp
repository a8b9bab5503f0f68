// Copying decoded pictures into surfaces: every surface type against the
// blitter applied to the known picture, changed areas only versus full
// conversion, placement, bottom-up surfaces and line doubling.
#include <gtest/gtest.h>

#include "decode/yuv.h"
#include "decode/zurn_decoder.h"
#include "zurn_test_file.h"
#include "zurn_test_frames.h"

namespace {

using tol::ZurnDecoder;

struct Closer {
  void operator()(ZurnDecoder* d) const { tol::ZurnDecoderClose(d); }
};
using DecoderPtr = std::unique_ptr<ZurnDecoder, Closer>;

constexpr int32_t kRgbAndPackedTypes[] = {1, 2, 3, 4, 5, 6, 8, 9};
constexpr int32_t kSurfaceW = 120, kSurfaceH = 80;

int32_t bytesPerPixel(int32_t type) { return type == 1 ? 3 : type == 2 ? 4 : 2; }

// Three frames of 100 x 60: raw pixels everywhere, then fills in a third of
// the 16x16 areas (the rest unchanged), then fills everywhere.
class Copy : public ::testing::Test {
 protected:
  void SetUp() override {
    zurntest::FrameMaker maker(100, 60);
    zurntest::Clip clip;
    clip.width = 100;
    clip.height = 60;
    const uint32_t mapPitch = maker.geometry().mapPitch;
    clip.frames.push_back({maker.next(zurntest::everyBlockRaw(5)), true});
    pictures.push_back(maker.picture());
    clip.frames.push_back({maker.next(zurntest::fillSomeAreas(mapPitch, [](uint32_t a) { return a % 3 == 1; }, 60)), false});
    pictures.push_back(maker.picture());
    clip.frames.push_back({maker.next(zurntest::fillSomeAreas(mapPitch, [](uint32_t) { return true; }, 90)), false});
    pictures.push_back(maker.picture());
    file = zurntest::build(clip);
    d.reset(tol::ZurnDecoderOpen(file.data(), ZURNDEC_MEMORY_IMAGE));
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 1);
  }
  void next() {
    tol::ZurnDecoderNextFrame(d.get());
    ASSERT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 1);
  }
  std::vector<uint8_t> surface(uint8_t fill = 0xEE) const { return std::vector<uint8_t>(kSurfaceW * 4 * kSurfaceH, fill); }
  // The blitter's own full conversion of a known picture at (x, y).
  std::vector<uint8_t> reference(int32_t type, int k, int32_t x, int32_t y) const {
    auto out = surface();
    tol::YUV_init(type);
    tol::yuvBlit(type, tol::YuvIsa::Plain, out.data(), x, y, kSurfaceW * 4, pictures[k].data(), 0, 0, 100, 60,
                 static_cast<int32_t>(d->lumaPitch), static_cast<int32_t>(d->lumaHeight));
    return out;
  }
  int32_t copy(std::vector<uint8_t>& out, uint32_t flags, int32_t x = 0, int32_t y = 0, int32_t pitch = kSurfaceW * 4) {
    return tol::ZurnDecoderCopyToSurface(d.get(), out.data(), pitch, kSurfaceH, x, y, flags);
  }

  std::vector<std::vector<uint8_t>> pictures;
  std::vector<uint8_t> file;
  DecoderPtr d;
};

TEST_F(Copy, DecodedPicturesAreTheKnownOnes) {
  for (int k = 0; k < 3; k++) {
    if (k) next();
    const uint8_t* p = d->frameBuffers[d->currentBuffer];
    EXPECT_TRUE(std::equal(pictures[k].begin(), pictures[k].end(), p)) << "frame " << k;
  }
}

TEST_F(Copy, EverySurfaceTypeMatchesTheBlitter) {
  for (int32_t type : kRgbAndPackedTypes) {
    auto out = surface();
    EXPECT_EQ(copy(out, type | ZURNDEC_COPY_FULL, 6, 3), 1);
    EXPECT_EQ(out, reference(type, 0, 6, 3)) << "type " << type;
  }
}

TEST_F(Copy, OnlyChangedAreasUnlessAllChanged) {
  std::vector<std::vector<uint8_t>> shown;
  for (int32_t type : kRgbAndPackedTypes) {
    shown.push_back(surface());
    copy(shown.back(), type | ZURNDEC_COPY_FULL, 4, 2);
  }
  next();  // a third of the areas changed
  for (size_t i = 0; i < shown.size(); i++) {
    const int32_t type = kRgbAndPackedTypes[i];
    // Over the previous picture, the changed areas make the new picture.
    EXPECT_EQ(copy(shown[i], type, 4, 2), 1);
    EXPECT_EQ(shown[i], reference(type, 1, 4, 2)) << "type " << type;
    // Over an empty surface, the unchanged areas stay empty.
    auto fresh = surface();
    copy(fresh, type, 4, 2);
    EXPECT_NE(fresh, reference(type, 1, 4, 2));
    EXPECT_EQ(fresh[(2 + 8) * kSurfaceW * 4 + (4 + 8) * bytesPerPixel(type)], 0xEE);  // area 0 unchanged
  }
  next();  // every area changed: a full conversion without being asked
  for (int32_t type : kRgbAndPackedTypes) {
    auto fresh = surface();
    copy(fresh, type, 4, 2);
    EXPECT_EQ(fresh, reference(type, 2, 4, 2)) << "type " << type;
  }
}

TEST_F(Copy, BottomUpSurfaces) {
  for (int32_t type : kRgbAndPackedTypes) {
    auto topDown = surface(), bottomUp = surface();
    copy(topDown, type | ZURNDEC_COPY_FULL, 6, 3);
    copy(bottomUp, type | ZURNDEC_COPY_FULL | ZURNDEC_COPY_BOTTOM_UP, 6, 3);
    const size_t row = kSurfaceW * 4;
    for (int32_t r = 0; r < kSurfaceH; r++)
      ASSERT_TRUE(std::equal(topDown.begin() + r * row, topDown.begin() + (r + 1) * row,
                             bottomUp.begin() + (kSurfaceH - 1 - r) * row))
          << "type " << type << " row " << r;
  }
}

TEST_F(Copy, LineDoublingFillsEverySecondRow) {
  const int32_t pitch = 100 * 4, rows = 120;
  std::vector<uint8_t> plain(pitch * rows, 0xEE), doubled(pitch * rows, 0xEE);
  tol::ZurnDecoderCopyToSurface(d.get(), plain.data(), pitch, rows, 0, 0, 2 | ZURNDEC_COPY_FULL);
  tol::ZurnDecoderCopyToSurface(d.get(), doubled.data(), pitch, rows, 0, 0,
                                2 | ZURNDEC_COPY_FULL | ZURNDEC_COPY_LINE_DOUBLING);
  for (int32_t r = 0; r < 60; r++) {
    ASSERT_TRUE(std::equal(plain.begin() + r * pitch, plain.begin() + (r + 1) * pitch, doubled.begin() + 2 * r * pitch));
    ASSERT_TRUE(std::all_of(doubled.begin() + (2 * r + 1) * pitch, doubled.begin() + (2 * r + 2) * pitch,
                            [](uint8_t b) { return b == 0xEE; }));
  }
  // A decoder opened in line-doubling mode does the same by itself.
  DecoderPtr lined(tol::ZurnDecoderOpen(file.data(), ZURNDEC_MEMORY_IMAGE | ZURNDEC_LINE_DOUBLING));
  ASSERT_NE(lined, nullptr);
  EXPECT_EQ(lined->height, 120);
  tol::ZurnDecoderDecodeFrame(lined.get());
  std::vector<uint8_t> byDecoder(pitch * rows, 0xEE);
  tol::ZurnDecoderCopyToSurface(lined.get(), byDecoder.data(), pitch, rows, 0, 0, 2 | ZURNDEC_COPY_FULL);
  EXPECT_EQ(byDecoder, doubled);
}

TEST_F(Copy, PlanarSurface) {
  // Y plane 100 x 60 at pitch 128, then Cb and Cr planes at pitch 64.
  const int32_t pitch = 128, height = 60;
  std::vector<uint8_t> out(pitch * height * 3 / 2, 0xEE);
  EXPECT_EQ(tol::ZurnDecoderCopyToSurface(d.get(), out.data(), pitch, height, 0, 0, tol::kYuvYV12), 1);
  const auto& pic = pictures[0];
  const size_t crPlane = size_t{d->lumaPitch} * d->lumaHeight, cbPlane = crPlane + size_t{d->chromaWidth} * d->chromaHeight;
  for (int32_t r = 0; r < 60; r++)
    for (int32_t c = 0; c < 100; c++) ASSERT_EQ(out[r * pitch + c], pic[r * d->lumaPitch + c]);
  for (int32_t r = 0; r < 30; r++)
    for (int32_t c = 0; c < 50; c++) {
      ASSERT_EQ(out[pitch * height + r * pitch / 2 + c], pic[cbPlane + r * d->chromaWidth + c]);
      ASSERT_EQ(out[pitch * height * 5 / 4 + r * pitch / 2 + c], pic[crPlane + r * d->chromaWidth + c]);
    }
  // Turned upside down or line-doubled, the chroma planes would leave the surface.
  EXPECT_EQ(tol::ZurnDecoderCopyToSurface(d.get(), out.data(), pitch, height, 0, 0,
                                          tol::kYuvYV12 | ZURNDEC_COPY_BOTTOM_UP), 0);
  EXPECT_EQ(tol::ZurnDecoderCopyToSurface(d.get(), out.data(), pitch, height, 0, 0,
                                          tol::kYuvYV12 | ZURNDEC_COPY_LINE_DOUBLING), 0);
}

TEST_F(Copy, RefusesWhatItCannotConvert) {
  auto out = surface();
  for (uint32_t type : {0u, 7u, 11u, 15u}) EXPECT_EQ(copy(out, type), 0) << type;
  EXPECT_EQ(out, surface());
  EXPECT_EQ(tol::ZurnDecoderCopyToSurface(d.get(), nullptr, 480, 80, 0, 0, 2), 0);
  EXPECT_EQ(tol::ZurnDecoderCopyToSurface(nullptr, out.data(), 480, 80, 0, 0, 2), 0);
}

}  // namespace
