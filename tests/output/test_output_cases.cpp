// Output files: names and number fields, the kinds and inputs refused with
// their messages, the replace question, and writes that fail (a missing
// folder, a full disk) without losing the file being replaced.
#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>

#include "output_clip.h"
#include "testutil.h"

namespace {

using outtest::Clip;
using outtest::messages;
namespace fs = std::filesystem;

const std::string kUnsupported = "Unsupported output file type or color depth.";
const std::string kFlicFailed = "Error creating the output flic.";
const std::string kAviFailed = "Error creating the output AVI file.";
const std::string kOutOfMemory = "Out of memory.";

struct Refusal {
  const char* label;
  const char* name;
  bool trueColor;
  uint32_t flags;
  int32_t width, rateNum, pitchExtra;
  const char* message;  // null: none
};

const Refusal kRefusals[] = {
    {"flc_true_colour", "movie.flc", true, 0, 30, 15, 0, kUnsupported.c_str()},
    {"gif_true_colour", "anim.gif", true, 0, 30, 15, 0, kUnsupported.c_str()},
    {"pcx_true_colour", "anim.pcx", true, 0, 30, 15, 0, kUnsupported.c_str()},
    {"unknown_extension", "clip.xyz", false, 0, 30, 15, 0, kUnsupported.c_str()},
    {"gif_true_colour_quiet", "anim.gif", true, OGFILE_QUIET, 30, 15, 0, nullptr},
    {"flc_no_width", "a.flc", false, 0, 0, 15, 0, kFlicFailed.c_str()},
    {"avi_no_rate", "a.avi", true, 0, 30, 0, 0, kAviFailed.c_str()},
    {"bmp_pitch_below_width", "a.bmp", true, 0, 30, 15, -1, kOutOfMemory.c_str()},
    {"flc_missing_folder", "no/such/a.flc", false, 0, 30, 15, 0, kFlicFailed.c_str()},
    {"avi_missing_folder", "no/such/a.avi", false, 0, 30, 15, 0, kAviFailed.c_str()},
};

class OutputRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(OutputRefusal, FailsWithItsMessageAndLeavesNoFile) {
  const Refusal& t = GetParam();
  testutil::TempDir dir;
  messages().clear();
  OGFile* og = OGFileCreate(nullptr, dir.file(t.name).c_str(), t.trueColor, 5, t.rateNum, 1, t.width, 20,
                            t.width + t.pitchExtra, outtest::recordMessage, t.flags | OGFILE_REPLACE);
  EXPECT_EQ(og, nullptr);
  OGFileClose(og);
  if (t.message) {
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].first, t.message);
    EXPECT_EQ(messages()[0].second, TOL_MESSAGE_ERROR);
  } else {
    EXPECT_TRUE(messages().empty());
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(Cases, OutputRefusal, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<Refusal>& i) { return std::string(i.param.label); });

struct Pattern {
  const char* name;
  int32_t frameCount;
  const char* pattern;  // after the folder
  const char* firstName;
};

const Pattern kPatterns[] = {
    {"pic.bmp", 250, "pic%03i.bmp", "pic000.bmp"},  {"pic.bmp", 1, "pic.bmp", "pic.bmp"},
    {"pic.bmp", 0, "pic.bmp", "pic.bmp"},           {"pic.png", 2, "pic%01i.png", "pic0.png"},
    {"pic.png", 10, "pic%02i.png", "pic00.png"},    {"pic.tga", 1000, "pic%04i.tga", "pic0000.tga"},
    {"pic.tif", 10000, "pic%05i.tif", "pic00000.tif"}, {"pic.bmp.BMP", 5, "pic%01i.BMP", "pic0.BMP"},
    {"100%.png", 3, "100%%%01i.png", "100%0.png"},
};

class OutputNames : public ::testing::TestWithParam<Pattern> {};

TEST_P(OutputNames, NumberFieldFollowsFrameCount) {
  const Pattern& t = GetParam();
  testutil::TempDir dir;
  Clip c;
  c.frames = 1;
  OGFile* og = outtest::create(c, dir.file(t.name), t.frameCount);
  ASSERT_NE(og, nullptr);
  EXPECT_EQ(std::string(og->namePattern), dir.file(t.pattern));
  outtest::putFrames(og, c);
  EXPECT_EQ(og->error, 0);
  EXPECT_EQ(std::string(og->firstName), t.firstName);
  EXPECT_EQ(std::string(og->summary), t.firstName);
  EXPECT_GT(OGFileClose(og), 0u);
  EXPECT_TRUE(fs::exists(dir.file(t.firstName)));
}

INSTANTIATE_TEST_SUITE_P(Cases, OutputNames, ::testing::ValuesIn(kPatterns));

TEST(OutputNames, SeriesOf250NamesEachFrameAndSumsTheSizes) {
  testutil::TempDir dir;
  Clip c;
  c.frames = 3;
  OGFile* og = outtest::create(c, dir.file("pic.bmp"), 250);
  ASSERT_NE(og, nullptr);
  EXPECT_EQ(og->kind, OGFILE_KIND_BMP);
  outtest::putFrames(og, c);
  EXPECT_EQ(std::string(og->summary), "pic000.bmp to pic002.bmp");
  const uint32_t size = OGFileClose(og);
  uint64_t sum = 0;
  for (const char* n : {"pic000.bmp", "pic001.bmp", "pic002.bmp"}) sum += fs::file_size(dir.file(n));
  EXPECT_EQ(size, sum);
}

TEST(OutputNames, NoExtensionMakesAFlic) {
  testutil::TempDir dir;
  Clip c;
  const std::string name = dir.file("movie");
  ASSERT_GT(outtest::writeClip(c, name), 0u);
  EXPECT_FALSE(fs::exists(name));
  const outtest::ReadBack r = outtest::readBack(name + ".flc", c.width);
  EXPECT_EQ(int(r.frames.size()), c.frames);
  EXPECT_EQ(r.width, (c.width + 3) & ~3);  // FLIC rows are whole multiples of 4
}

TEST(OutputNames, TargaFromEightBitsIsTrueColour) {
  testutil::TempDir dir;
  Clip c;
  c.frames = 1;
  OGFile* og = outtest::create(c, dir.file("shot.tga"));
  ASSERT_NE(og, nullptr);
  EXPECT_EQ(og->kind, OGFILE_KIND_TGA);
  EXPECT_EQ(og->bitsPerPixel, 24);
  outtest::putFrames(og, c);
  OGFileClose(og);
  const std::vector<uint8_t> file = testutil::readFile(dir.file("shot.tga"));
  ASSERT_GT(file.size(), 18u);
  EXPECT_EQ(file[1], 0);   // no colour map
  EXPECT_EQ(file[16], 24); // bits a pixel
  EXPECT_EQ(outtest::readBack(dir.file("shot.tga"), c.width).frames.at(0), c.expectedBgr(0));
}

TEST(OutputSound, OnlyAviTakesSound) {
  testutil::TempDir dir;
  Clip c;
  OGFile* og = outtest::create(c, dir.file("a.bmp"));
  ASSERT_NE(og, nullptr);
  EXPECT_EQ(OGFilePutSoundAmount(og, 22050, 16, 1), 0u);
  const uint8_t samples[4] = {};
  EXPECT_EQ(OGFilePutSound(og, samples, 4), OGFILE_KIND_BMP);
  OGFileClose(og);

  og = outtest::create(c, dir.file("a.avi"));
  ASSERT_NE(og, nullptr);
  EXPECT_EQ(OGFilePutSoundAmount(og, 22050, 12, 1), 0u);
  EXPECT_EQ(OGFilePutSoundAmount(og, 22050, 12, 1), 0u);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].first, "Error creating the output sound track.");
  outtest::putFrames(og, c);
  EXPECT_GT(OGFileClose(og), 0u);
}

// The replace question: nobody answers on a closed terminal, so the answer is
// No; then nothing is written and the callback hears kind 3 without text.
class StdinClosed {
 public:
  StdinClosed() : saved_(dup(0)) { std::freopen("/dev/null", "r", stdin); }
  ~StdinClosed() {
    dup2(saved_, 0);
    close(saved_);
  }

 private:
  int saved_;
};

TEST(OutputReplace, RefusedWithoutAnswerAndReplacedWhenAllowed) {
  testutil::TempDir dir;
  StdinClosed noUser;
  for (const char* name : {"old.flc", "old.avi", "old0.png"}) {
    const std::string path = dir.file(name);
    testutil::writeFile(path, {'o', 'l', 'd'});
    Clip c;
    c.flags = 0;
    OGFile* og = outtest::create(c, dir.file(name[3] == '0' ? "old.png" : name));
    EXPECT_EQ(og, nullptr) << name;
    ASSERT_EQ(messages().size(), 1u) << name;
    EXPECT_EQ(messages()[0], std::make_pair(std::string(), int32_t{TOL_MESSAGE_REFUSED}));
    EXPECT_EQ(testutil::readFile(path).size(), 3u);

    c.flags = OGFILE_REPLACE;
    EXPECT_GT(outtest::writeClip(c, dir.file(name[3] == '0' ? "old.png" : name)), 0u) << name;
    EXPECT_GT(testutil::readFile(path).size(), 3u) << name;
  }
}

// Writes beyond a file size limit fail as on a full disk.
class DiskFull {
 public:
  explicit DiskFull(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~DiskFull() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  sighandler_t oldHandler_;
};

class OutputDiskFull : public ::testing::TestWithParam<const char*> {};

TEST_P(OutputDiskFull, KeepsTheOldFileAndSaysSo) {
  const std::string ext = GetParam();
  const bool movie = ext == "flc" || ext == "avi";
  testutil::TempDir dir;
  const std::string target = dir.file(movie ? "big." + ext : "big0." + ext);
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  testutil::writeFile(target, old);
  Clip c;
  c.width = 200, c.height = 120, c.frames = 3;
  OGFile* og = outtest::create(c, dir.file("big." + ext));
  ASSERT_NE(og, nullptr);
  uint32_t size = 0;
  {
    DiskFull full(1000);
    outtest::putFrames(og, c);
    if (!movie) {
      EXPECT_EQ(og->error, 1);
    }
    size = OGFileClose(og);
  }
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(testutil::readFile(target), old);
  for (const auto& e : fs::directory_iterator(dir.path()))
    EXPECT_EQ(e.path(), target) << "left behind: " << e.path();
}

INSTANTIATE_TEST_SUITE_P(Kinds, OutputDiskFull, ::testing::Values("flc", "avi", "bmp", "png", "jpg", "tif", "gif"));

TEST(OutputFailures, MissingFolderForStillsSetsError) {
  testutil::TempDir dir;
  Clip c;
  OGFile* og = outtest::create(c, dir.file("no/such/pic.png"));
  ASSERT_NE(og, nullptr);
  outtest::putFrames(og, c);
  EXPECT_EQ(og->error, 1);
  EXPECT_EQ(og->framesWritten, c.frames);
  EXPECT_EQ(OGFileClose(og), 0u);
}

TEST(OutputFailures, EightBitsWithoutPaletteSetsError) {
  testutil::TempDir dir;
  Clip c;
  OGFile* og = outtest::create(c, dir.file("a.avi"));
  ASSERT_NE(og, nullptr);
  OGFilePut(og, c.pixels(0).data(), nullptr);
  EXPECT_EQ(og->error, 1);
  EXPECT_EQ(OGFileClose(og), 0u);
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
