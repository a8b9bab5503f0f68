// Clips made by the encoder library decode, through the exported decoder,
// to the encoder's own reconstruction converted by the blitters: every
// surface type, every source mode, straight runs and gotos across keyframes.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "testutil.h"
#include "tol/yuv.h"
#include "tol/zurndecoder.h"
#include "tol/zurnmake.h"

namespace {

constexpr uint32_t kW = 100, kH = 60, kFrames = 16, kKeyInterval = 5;
constexpr int32_t kTypes[] = {1, 2, 3, 4, 5, 6, 8, 9, 10};

// Frame buffer geometry of a 100 x 60 clip.
constexpr uint32_t kCw = 56, kCh = 32, kPitch = 2 * kCw, kRows = 2 * kCh;
constexpr size_t kFrameBytes = size_t{kPitch} * kRows + 2 * size_t{kCw} * kCh;

// The encoder's reconstruction of each frame, laid out as a decoder's frame
// buffer (outside the decoded area: 0, as a decoder never writes there).
std::map<uint32_t, std::vector<uint8_t>> g_recon;

void captureRecon(const ZurnMakeState* job, uint32_t frame) {
  std::vector<uint8_t> buffer(kFrameBytes, 0);
  const uint32_t s = job->reconSelect;
  for (uint32_t r = 0; r < job->lumaHeight; r++)
    std::copy_n(job->reconY[s] + size_t{r} * job->lumaWidth, job->lumaWidth, buffer.begin() + size_t{r} * kPitch);
  const size_t cr = size_t{kPitch} * kRows, cb = cr + size_t{kCw} * kCh;
  for (uint32_t r = 0; r < job->chromaHeight; r++) {
    std::copy_n(job->reconCr[s] + size_t{r} * job->chromaWidth, job->chromaWidth, buffer.begin() + cr + r * kCw);
    std::copy_n(job->reconCb[s] + size_t{r} * job->chromaWidth, job->chromaWidth, buffer.begin() + cb + r * kCw);
  }
  g_recon[frame] = std::move(buffer);
}

// Before each frame is compressed, the reconstruction is that of the frame
// before it.
int32_t TOL_CC onProgress(int32_t kind, ZurnMakeState* job, const char* text) {
  if (kind == ZURNMAKE_PROGRESS && job && job->framesWritten > 0 && std::string(text).rfind("Compressing", 0) == 0)
    captureRecon(job, job->framesWritten - 1);
  return 0;
}

int32_t TOL_CC readTone(void*, void* userData, void* buffer, int32_t bytes) {
  auto* phase = static_cast<uint32_t*>(userData);
  auto* out = static_cast<int16_t*>(buffer);
  for (int32_t i = 0; i < bytes / 2; i++, (*phase)++) out[i] = static_cast<int16_t>(8000 * std::sin(*phase * 0.07));
  return bytes & ~1;
}

// A still background with a square moving across it and a band that
// brightens, so that frames have both changed and unchanged areas.
std::vector<uint8_t> picture(uint32_t k) {
  std::vector<uint8_t> px(kW * kH * 4);
  for (uint32_t y = 0; y < kH; y++)
    for (uint32_t x = 0; x < kW; x++) {
      uint8_t* p = &px[(y * kW + x) * 4];
      const bool square = x >= 5 * k && x < 5 * k + 20 && y >= 20 && y < 40;
      p[0] = square ? 230 : static_cast<uint8_t>(x * 2);
      p[1] = square ? 40 : static_cast<uint8_t>(y * 3 + (y < 8 ? 10 * k : 0));
      p[2] = square ? 90 : static_cast<uint8_t>(128 + ((x ^ y) & 31));
    }
  return px;
}

class RoundTrip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new testutil::TempDir();
    name = dir->file("clip.zrn");
    uint32_t phase = 0;
    ZurnMakeSoundTrack track{42, 22050, 16, 1, 0, &phase, readTone};
    g_recon.clear();
    ZurnMakeState* job = ZurnMake(name.c_str(), kW * 4, kW, kH, kFrames, kKeyInterval, 0, 1, 1, 1, &track, 3, onProgress);
    ASSERT_NE(job, nullptr);
    for (uint32_t k = 0; k < kFrames; k++) ZurnMakePutVideo(job, 2500, 8000, 0, picture(k).data());
    captureRecon(job, kFrames - 1);  // the last batch ran inside the last call
    ASSERT_EQ(job->framesWritten, kFrames);
    ASSERT_GT(ZurnMakeClose(job, 0), 0u);
    bytes = testutil::readFile(name);
  }
  static void TearDownTestSuite() { delete dir; }

  // The blitter's conversion of a frame buffer into a surface.
  static std::vector<uint8_t> convert(int32_t type, const std::vector<uint8_t>& frame) {
    std::vector<uint8_t> out(kSurfaceBytes, 0xEE);
    YUV_init(type);
    switch (type) {
      case 1: YUV_blit_24bpp(out.data(), 0, 0, kSurfacePitch, frame.data(), 0, 0, kW, kH, kPitch, kRows, 0); break;
      case 2: YUV_blit_32bpp(out.data(), 0, 0, kSurfacePitch, frame.data(), 0, 0, kW, kH, kPitch, kRows, 0); break;
      case 8: YUV_blit_YUY2(out.data(), 0, 0, kSurfacePitch, frame.data(), 0, 0, kW, kH, kPitch, kRows, 0); break;
      case 9: YUV_blit_UYVY(out.data(), 0, 0, kSurfacePitch, frame.data(), 0, 0, kW, kH, kPitch, kRows, 0); break;
      case 10:
        YUV_blit_YV12(out.data(), 0, 0, kSurfacePitch, kH, frame.data(), 0, 0, kW, kH, kPitch, kRows, 0);
        break;
      default: YUV_blit_16bpp(out.data(), 0, 0, kSurfacePitch, frame.data(), 0, 0, kW, kH, kPitch, kRows, 0);
    }
    return out;
  }
  static std::vector<uint8_t> copy(ZurnDecoder* d, int32_t type, uint32_t flags = ZURNDEC_COPY_FULL) {
    std::vector<uint8_t> out(kSurfaceBytes, 0xEE);
    EXPECT_EQ(ZurnDecoderCopyToSurface(d, out.data(), kSurfacePitch, kH, 0, 0, static_cast<uint32_t>(type) | flags), 1);
    return out;
  }
  ZurnDecoder* open(int mode) {
    if (mode == 2) return ZurnDecoderOpen(bytes.data(), ZURNDEC_MEMORY_IMAGE);
    return ZurnDecoderOpen(name.c_str(), mode == 1 ? ZURNDEC_LOAD_ALL : 0);
  }

  static constexpr int32_t kSurfacePitch = kW * 4;
  static constexpr size_t kSurfaceBytes = size_t{kW} * 4 * kH * 2;
  static testutil::TempDir* dir;
  static std::string name;
  static std::vector<uint8_t> bytes;
};
testutil::TempDir* RoundTrip::dir = nullptr;
std::string RoundTrip::name;
std::vector<uint8_t> RoundTrip::bytes;

TEST_F(RoundTrip, EveryFrameEverySurfaceEverySource) {
  ASSERT_EQ(g_recon.size(), kFrames);
  for (int mode = 0; mode < 3; mode++) {
    ZurnDecoder* d = open(mode);
    ASSERT_NE(d, nullptr) << ZurnDecoderGetError();
    EXPECT_EQ(d->frames, static_cast<int32_t>(kFrames));
    EXPECT_EQ(ZurnDecoderTrackId(d, 0), 42u);
    auto shown = convert(2, std::vector<uint8_t>(kFrameBytes, 0));
    for (uint32_t k = 0; k < kFrames; k++) {
      ASSERT_EQ(ZurnDecoderDecodeFrame(d), 1);
      for (int32_t type : kTypes)
        ASSERT_EQ(copy(d, type), convert(type, g_recon[k])) << "mode " << mode << " frame " << k << " type " << type;
      // Copying only the changed areas over the previous picture.
      EXPECT_EQ(ZurnDecoderCopyToSurface(d, shown.data(), kSurfacePitch, kH, 0, 0, 2), 1);
      ASSERT_EQ(shown, convert(2, g_recon[k])) << "changed areas, frame " << k;
      ZurnDecoderNextFrame(d);
    }
    ZurnDecoderClose(d);
  }
}

TEST_F(RoundTrip, GotosAcrossKeyframes) {
  for (int mode = 0; mode < 3; mode++) {
    ZurnDecoder* d = open(mode);
    ASSERT_NE(d, nullptr);
    for (int32_t target : {7, 3, 12, 16, 2, 11, 10, 1, 15, 6}) {
      ZurnDecoderGoto(d, target, 0);
      ASSERT_EQ(ZurnDecoderDecodeFrame(d), 1);
      EXPECT_EQ(copy(d, 2), convert(2, g_recon[target - 1])) << "mode " << mode << " goto " << target;
    }
    ZurnDecoderClose(d);
  }
}

}  // namespace
