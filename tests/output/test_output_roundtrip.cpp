// Every kind of output written through OGFile and read back through the
// graphics input (pictures, frame count, frame time) and, for AVI sound,
// through the sound input.
#include <filesystem>

#include "output_clip.h"
#include "testutil.h"
#include "tol/sfile.h"

namespace {

using outtest::Clip;

struct Kind {
  const char* label;
  const char* ext;
  bool trueColor;
  uint32_t flags;
  double minPsnr;  // 0: pixels identical
};

const Kind kKinds[] = {
    {"flc8", "flc", false, 0, 0},
    {"avi8", "avi", false, 0, 0},
    {"avi24", "avi", true, 0, 0},
    {"avi24_mjpeg", "avi", true, OGFILE_MJPEG | OGFILE_QUALITY(90), 34},
    // Neighbouring indices of this clip have far-apart colours, which the
    // subsampled chroma of Motion-JPEG cannot follow.
    {"avi8_mjpeg", "avi", false, OGFILE_MJPEG, 20},
    {"bmp8", "bmp", false, 0, 0},
    {"bmp24", "bmp", true, 0, 0},
    {"png8", "png", false, 0, 0},
    {"png24", "png", true, 0, 0},
    {"tif8", "tif", false, 0, 0},
    {"tif24", "tif", true, 0, 0},
    {"tga8", "tga", false, 0, 0},
    {"tga24", "tga", true, 0, 0},
    {"pcx8", "pcx", false, 0, 0},
    {"gif8", "gif", false, 0, 0},
    {"jpg24", "jpg", true, 0, 40},
    {"jpg8", "jpg", false, 0, 38},
};

class OutputRoundTrip : public ::testing::TestWithParam<Kind> {};

TEST_P(OutputRoundTrip, ReadsBackAsWritten) {
  const Kind& k = GetParam();
  testutil::TempDir dir;
  Clip c;
  c.trueColor = k.trueColor;
  c.flags |= k.flags;
  c.rateNum = 12;
  const std::string ext = k.ext;
  const bool movie = ext == "flc" || ext == "avi";
  const std::string name = dir.file("clip." + ext);

  OGFile* og = outtest::create(c, name);
  ASSERT_NE(og, nullptr);
  outtest::putFrames(og, c);
  EXPECT_EQ(og->error, 0);
  EXPECT_EQ(og->framesWritten, c.frames);
  if (!movie) {
    EXPECT_EQ(std::string(og->summary), "clip0." + ext + " to clip3." + ext);
  }
  const uint32_t size = OGFileClose(og);

  uint64_t onDisk = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(e.path().extension(), "." + ext) << "left behind: " << e.path();
    onDisk += std::filesystem::file_size(e.path());
  }
  EXPECT_EQ(size, onDisk);

  const outtest::ReadBack r = outtest::readBack(movie ? name : dir.file("clip?." + ext + "*0-3"), c.width);
  ASSERT_EQ(int(r.frames.size()), c.frames);
  EXPECT_EQ(r.totalFrames, c.frames);
  EXPECT_EQ(r.height, c.height);
  if (movie) {
    EXPECT_EQ(r.frameDuration, -100000 / 12);
  }
  for (int f = 0; f < c.frames; ++f) {
    if (k.minPsnr == 0)
      EXPECT_EQ(r.frames[f], c.expectedBgr(f)) << "frame " << f;
    else
      EXPECT_GE(outtest::psnr(r.frames[f], c.expectedBgr(f)), k.minPsnr) << "frame " << f;
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, OutputRoundTrip, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& i) { return std::string(i.param.label); });

// 15 frames a second with 22050 Hz 16-bit mono sound asked for before every
// frame: three quarters of a second first, then one frame's worth, until the
// sound of the whole video is written; it reads back byte for byte.
TEST(OutputSound, LeadInThenOneFrameEachAndReadsBack) {
  testutil::TempDir dir;
  Clip c;
  c.trueColor = true;
  c.frames = 30;
  c.width = 16, c.height = 8;
  const std::string name = dir.file("talk.avi");
  OGFile* og = outtest::create(c, name);
  ASSERT_NE(og, nullptr);
  std::vector<uint8_t> sound;
  std::vector<uint32_t> amounts;
  for (int f = 0; f < c.frames; ++f) {
    const uint32_t amount = OGFilePutSoundAmount(og, 22050, 16, 1);
    amounts.push_back(amount);
    std::vector<uint8_t> block(amount);
    for (uint32_t i = 0; i < amount; ++i) block[i] = uint8_t((sound.size() + i) * 7 / 3);
    const int32_t position = OGFilePutSound(og, block.data(), amount);
    sound.insert(sound.end(), block.begin(), block.end());
    EXPECT_EQ(position, int32_t(sound.size() / 2));
    OGFilePut(og, c.pixels(f).data(), nullptr);
  }
  EXPECT_EQ(amounts[0], 16540u * 2);
  for (int f = 1; f <= 18; ++f) EXPECT_EQ(amounts[f], 2940u) << f;
  EXPECT_EQ(amounts[19], 88200u - 16540 * 2 - 18 * 2940);  // the rest of the allowance
  EXPECT_EQ(amounts[20], 0u);
  EXPECT_EQ(sound.size(), size_t(c.frames) * 2940);  // the whole video's sound, no more
  EXPECT_EQ(OGFilePutSoundAmount(og, 22050, 16, 1), 0u);
  EXPECT_EQ(og->error, 0);
  ASSERT_GT(OGFileClose(og), 0u);

  const outtest::ReadBack r = outtest::readBack(name, c.width);
  EXPECT_EQ(int(r.frames.size()), c.frames);
  SFile* s = SFileOpen(name.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->outRate, 22050);
  EXPECT_EQ(s->outBits, 16);
  EXPECT_EQ(s->outChannels, 1);
  std::vector<uint8_t> back(sound.size() + 4096);
  uint32_t got = 0;
  while (uint32_t n = SFileGet(s, back.data() + got, uint32_t(back.size() - got))) got += n;
  SFileClose(s);
  back.resize(got);
  EXPECT_EQ(back, sound);
}

}  // namespace
