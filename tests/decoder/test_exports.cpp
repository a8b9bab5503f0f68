// The decoder as a host sees it: the exported functions of the shared
// library and the public record.
#include <gtest/gtest.h>

#include <cstddef>

#include "tol/zurndecoder.h"
#include "zurn_test_vectors.h"

namespace {

TEST(ZurnDecoderExports, PublicRecordLayout) {
  EXPECT_EQ(offsetof(ZurnDecoder, width), 0u);
  EXPECT_EQ(offsetof(ZurnDecoder, height), 4u);
  EXPECT_EQ(offsetof(ZurnDecoder, frames), 8u);
  EXPECT_EQ(offsetof(ZurnDecoder, currentFrame), 12u);
  EXPECT_EQ(offsetof(ZurnDecoder, lastDecoded), 16u);
  EXPECT_EQ(offsetof(ZurnDecoder, flags), 20u);
  EXPECT_EQ(offsetof(ZurnDecoder, fpsNumerator), 24u);
  EXPECT_EQ(offsetof(ZurnDecoder, fpsDenominator), 28u);
}

TEST(ZurnDecoderExports, OpenDecodeCopyWalk) {
  TOL_REQUIRE_FILE(name, zurntest::vectorPath("sample100x60.zrn"));
  ZurnDecoderSelectTrack(9);
  ZurnDecoder* d = ZurnDecoderOpen(name.c_str(), 0x80200000u);
  ASSERT_NE(d, nullptr) << ZurnDecoderGetError();
  EXPECT_STREQ(ZurnDecoderGetError(), "");
  EXPECT_EQ(d->width, 100);
  EXPECT_EQ(d->height, 60);
  EXPECT_EQ(d->frames, 3);
  EXPECT_EQ(d->currentFrame, 1);
  EXPECT_EQ(d->lastDecoded, 0);
  EXPECT_EQ(d->flags, 0x80200000u);
  EXPECT_EQ(d->fpsNumerator, 25);
  EXPECT_EQ(d->fpsDenominator, 1);
  EXPECT_EQ(ZurnDecoderTrackFlags(d, 0), 0xC0005622u);
  EXPECT_EQ(ZurnDecoderTrackFlags(d, 1), 0xA0002B11u);
  EXPECT_EQ(ZurnDecoderTrackId(d, 0), 7u);
  EXPECT_EQ(ZurnDecoderTrackId(d, 1), 9u);

  std::vector<uint8_t> pixels(100 * 60 * 4, 0);
  EXPECT_EQ(ZurnDecoderDecodeFrame(d), 1);
  EXPECT_EQ(d->lastDecoded, 1);
  EXPECT_EQ(ZurnDecoderCopyToSurface(d, pixels.data(), 400, 60, 0, 0, 2 | ZURNDEC_COPY_FULL), 1);
  EXPECT_NE(std::count(pixels.begin(), pixels.end(), 0), static_cast<long>(pixels.size()));
  ZurnDecoderNextFrame(d);
  EXPECT_EQ(d->currentFrame, 2);
  ZurnDecoderGoto(d, 3, 0);
  EXPECT_EQ(d->currentFrame, 3);
  EXPECT_EQ(d->lastDecoded, 2);
  EXPECT_EQ(ZurnDecoderPause(d, 1), 1);
  ZurnDecoderSetVideo(d, 0);
  ZurnDecoderClose(d);

  EXPECT_EQ(ZurnDecoderOpen("/nonexistent/clip.zrn", 0), nullptr);
  EXPECT_STREQ(ZurnDecoderGetError(), "Error opening file.");
}

}  // namespace
