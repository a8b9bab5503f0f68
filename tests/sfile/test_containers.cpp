// Sound of containers and lists: AVI and QuickTime tracks of the corpus
// against GStreamer's demuxers, list files and numbered patterns against
// their entries read one by one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "sfile_helpers.h"
#include "testutil.h"

using namespace sfiletest;

namespace {

// The first audio stream of a container as GStreamer's demuxer gives it;
// empty when GStreamer is not there.
Bytes demuxedAudio(const std::string& file, const char* demuxer, const testutil::TempDir& dir) {
  if (std::system("command -v gst-launch-1.0 >/dev/null 2>&1") != 0) return {};
  const std::string out = dir.file("audio.raw");
  const std::string command = "gst-launch-1.0 -q filesrc location=\"" + file + "\" ! " + demuxer +
                              " name=d d.audio_0 ! filesink location=\"" + out + "\" >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return {};
  return testutil::readFile(out);
}

struct ContainerCase {
  const char* file;
  const char* demuxer;
  int32_t rate, channels;
  double fps;
};

class Containers : public ::testing::TestWithParam<ContainerCase> {};

TEST_P(Containers, DeliverTheSoundTrackExactly) {
  const ContainerCase& c = GetParam();
  TOL_REQUIRE_FILE(name, testutil::corpusFile(c.file));
  testutil::TempDir dir;
  const Bytes expected = demuxedAudio(name, c.demuxer, dir);
  if (expected.empty()) GTEST_SKIP() << "GStreamer cannot demux " << c.file << " here";

  SFile* s = SFileOpen(name.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->srcRate, c.rate);
  EXPECT_EQ(s->srcBits, 16);
  EXPECT_EQ(s->srcChannels, c.channels);
  EXPECT_EQ(s->length, expected.size());
  EXPECT_EQ(readAll(s, 5000), expected);
  SFileClose(s);

  // Video frames 3 to 5: from the start of frame 3 to the end of frame 5.
  s = SFileOpen(name.c_str(), 0, 0, 0, -3, -5, 0, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  const size_t block = 2 * c.channels;
  const size_t from = static_cast<size_t>(c.rate * 2 / c.fps) * block, to = static_cast<size_t>(c.rate * 5 / c.fps) * block;
  EXPECT_EQ(readAll(s, 777), Bytes(expected.begin() + from, expected.begin() + to));
  SFileClose(s);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, Containers,
    ::testing::Values(ContainerCase{"avi/raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi", "avidemux", 22050, 2, 15},
                      ContainerCase{"avi/mjpeg_640x480_25fps_pcm16_44100_mono.avi", "avidemux", 44100, 1, 25},
                      ContainerCase{"mov/raw_rgb24_100x60_10fps_sowt16_22050_stereo.mov", "qtdemux", 22050, 2, 10}));

struct ListFiles {
  testutil::TempDir dir;
  std::vector<std::string> names;
  ListFiles() {
    const WaveLayout layouts[] = {{1, 1, 11025, 8}, {1, 2, 22050, 16}, {1, 1, 22050, 16}};
    for (int i = 0; i < 3; ++i) {
      const WaveLayout& l = layouts[i];
      const std::vector<int16_t> tone = sine(l.rate, l.channels, 200.0 * (i + 1), 8000, l.rate / 2);
      Bytes data;
      if (l.bits == 16) data = fromSamples(tone);
      else
        for (int16_t v : tone) data.push_back(static_cast<uint8_t>((v >> 8) + 128));
      names.push_back(dir.file("snd00" + std::to_string(i + 1) + ".wav"));
      testutil::writeFile(names.back(), waveFile(l, data));
    }
  }
  // One entry delivered alone in the given format.
  Bytes entry(int i, int32_t rate, int32_t bits, int32_t channels, int32_t start = 0, int32_t end = 0) const {
    SFile* s = SFileOpen(names[i].c_str(), rate, bits, channels, start, end, 0, 0, 0, nullptr);
    Bytes out = s ? readAll(s) : Bytes{};
    SFileClose(s);
    return out;
  }
};

TEST(Lists, EntriesPlayOneAfterAnotherInTheFirstEntrysFormat) {
  ListFiles f;
  const std::string list = f.dir.file("all.lst");
  const std::string text = "# three sounds\n" + f.names[0] + "\nmissing.wav\n" + f.names[1] + " /S100 /E200\n\n" +
                           f.names[2] + "\n";
  testutil::writeFile(list, Bytes(text.begin(), text.end()));
  Bytes expected = f.entry(0, 11025, 8, 1);
  const Bytes second = f.entry(1, 11025, 8, 1, 100, 200), third = f.entry(2, 11025, 8, 1);
  expected.insert(expected.end(), second.begin(), second.end());
  expected.insert(expected.end(), third.begin(), third.end());

  SFile* s = SFileOpen(list.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->typeName, "List");
  EXPECT_EQ(s->kind, SFILE_KIND_LIST);
  EXPECT_EQ(s->outRate, 11025);
  EXPECT_EQ(s->outBits, 8);
  EXPECT_EQ(s->outChannels, 1);
  EXPECT_NEAR(double(s->length), double(expected.size()), 4.0);
  const Bytes got = readAll(s, 1000);
  EXPECT_EQ(got, Bytes(expected.begin(), expected.begin() + std::min(expected.size(), got.size())));
  EXPECT_EQ(got.size(), std::min<size_t>(expected.size(), s->length));
  SFileReset(s);
  EXPECT_EQ(readAll(s, 3333), got);
  SFileClose(s);

  // A start of 600 ms falls 100 ms into the second entry's 100 ms.
  s = SFileOpen(list.c_str(), 22050, 16, 2, 550, 0, 0, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  const Bytes cut = readAll(s, 1000);
  Bytes full = f.entry(0, 22050, 16, 2);
  const Bytes second16 = f.entry(1, 22050, 16, 2, 100, 200), third16 = f.entry(2, 22050, 16, 2);
  full.insert(full.end(), second16.begin(), second16.end());
  full.insert(full.end(), third16.begin(), third16.end());
  const size_t from = 22050 * 550 / 1000 * 4;
  ASSERT_GT(full.size(), from);
  EXPECT_EQ(cut, Bytes(full.begin() + from, full.begin() + from + cut.size()));
  EXPECT_NEAR(double(cut.size()), double(full.size() - from), 8.0);
  SFileClose(s);
}

TEST(Lists, ANumberedPatternNamesItsMembers) {
  ListFiles f;
  const std::string pattern = f.dir.file("snd???.wav*2-3");
  SFile* s = SFileOpen(pattern.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->kind, SFILE_KIND_LIST);
  EXPECT_EQ(s->outChannels, 2);
  Bytes expected = f.entry(1, 0, 0, 0);
  const Bytes third = f.entry(2, 22050, 16, 2);
  expected.insert(expected.end(), third.begin(), third.end());
  EXPECT_EQ(readAll(s), expected);
  SFileClose(s);
}

TEST(Lists, AListWithoutSoundIsRefused) {
  static std::vector<std::string> errors;
  errors.clear();
  auto collect = [](const char* text, int32_t kind) -> int32_t {
    if (kind == TOL_MESSAGE_ERROR) errors.emplace_back(text);
    return 0;
  };
  testutil::TempDir dir;
  const std::string list = dir.file("none.lst"), self = dir.file("self.lst");
  const std::string text = "missing.wav\n# nothing\n", selfText = self + "\n";
  testutil::writeFile(list, Bytes(text.begin(), text.end()));
  testutil::writeFile(self, Bytes(selfText.begin(), selfText.end()));
  EXPECT_EQ(SFileOpen(list.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, collect), nullptr);
  EXPECT_EQ(errors, std::vector<std::string>{"No files in the list file."});
  EXPECT_EQ(SFileOpen(self.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr), nullptr);  // names itself
  errors.clear();
  EXPECT_EQ(SFileOpen(dir.file("absent.lst").c_str(), 0, 0, 0, 0, 0, 0, 0, 0, collect), nullptr);
  EXPECT_TRUE(errors.empty());
}

}  // namespace
