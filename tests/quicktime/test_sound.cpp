// The sound reader on movies written by the test: every supported sample
// format delivered as unsigned 8-bit or signed little-endian 16-bit, chunks,
// positions, several tracks and the silence past the end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "movie_writer.h"
#include "testutil.h"
#include "tol/quicktime.h"

namespace {

using qttest::Bytes;

constexpr uint32_t kRate = 8000;

// Source samples (interleaved when stereo): both extremes, then tones.
std::vector<int16_t> sourceSamples(uint32_t frames, int channels) {
  std::vector<int16_t> s;
  for (uint32_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      s.push_back(i < 2 ? int16_t(i == 0 ? 32767 : -32768)
                        : int16_t(std::lround(30000.0 * std::sin(i * 0.013 * (c + 1)))));
  return s;
}

struct SoundCase {
  std::string name;
  int channels;
  int bits;  // delivered
  Bytes entry;
  std::function<void(Bytes&, int16_t)> store;  // one source sample as stored
  uint32_t stszSize = 0;
  bool roundsUp = false;  // the stored low bits round the sample up
};

std::vector<uint8_t> delivered(const std::vector<int16_t>& src, int bits, bool roundsUp = false) {
  std::vector<uint8_t> out;
  for (int16_t s : src) {
    if (roundsUp && s < 32767) ++s;
    if (bits == 8)
      out.push_back(uint8_t((s >> 8) + 128));
    else
      out.insert(out.end(), {uint8_t(s), uint8_t(uint16_t(s) >> 8)});
  }
  return out;
}

std::vector<SoundCase> soundCases() {
  auto signed8 = [](Bytes& b, int16_t s) { b.push_back(uint8_t(s >> 8)); };
  auto unsigned8 = [](Bytes& b, int16_t s) { b.push_back(uint8_t((s >> 8) + 128)); };
  auto be16 = [](Bytes& b, int16_t s) { qttest::put16(b, uint16_t(s)); };
  auto le16 = [](Bytes& b, int16_t s) { b.insert(b.end(), {uint8_t(s), uint8_t(uint16_t(s) >> 8)}); };
  auto be24 = [](Bytes& b, int16_t s) { b.insert(b.end(), {uint8_t(uint16_t(s) >> 8), uint8_t(s), 0x80}); };
  auto le32 = [](Bytes& b, int16_t s) { b.insert(b.end(), {0xA5, 0x5A, uint8_t(s), uint8_t(uint16_t(s) >> 8)}); };
  auto unsignedLe16 = [](Bytes& b, int16_t s) {
    const uint16_t u = uint16_t(s) ^ 0x8000;
    b.insert(b.end(), {uint8_t(u), uint8_t(u >> 8)});
  };
  using qttest::lpcmEntry;
  using qttest::soundEntry;
  std::vector<SoundCase> cases;
  for (int ch : {1, 2}) {
    const std::string c = ch == 1 ? "_mono" : "_stereo";
    cases.push_back({"twos8" + c, ch, 8, soundEntry("twos", ch, 8, kRate), signed8});
    cases.push_back({"sowt8" + c, ch, 8, soundEntry("sowt", ch, 8, kRate), signed8});
    cases.push_back({"raw8" + c, ch, 8, soundEntry("raw ", ch, 8, kRate), unsigned8});
    cases.push_back({"none8" + c, ch, 8, soundEntry("NONE", ch, 8, kRate), unsigned8});
    cases.push_back({"twos16" + c, ch, 16, soundEntry("twos", ch, 16, kRate), be16});
    cases.push_back({"sowt16" + c, ch, 16, soundEntry("sowt", ch, 16, kRate), le16});
    cases.push_back({"none16" + c, ch, 16, soundEntry("NONE", ch, 16, kRate), be16});
    cases.push_back({"lpcm16_le" + c, ch, 16, lpcmEntry(ch, 16, kRate, 4 | 8), le16});
    cases.push_back({"lpcm16_unsigned" + c, ch, 16, lpcmEntry(ch, 16, kRate, 8), unsignedLe16});
    cases.push_back({"lpcm24_be" + c, ch, 16, lpcmEntry(ch, 24, kRate, 2 | 4 | 8), be24, 0, true});
    cases.push_back({"lpcm8_unsigned" + c, ch, 8, lpcmEntry(ch, 8, kRate, 8), unsigned8});
    cases.push_back({"twos24_v1" + c, ch, 16, soundEntry("twos", ch, 24, kRate, 1), be24, 0, true});
    cases.push_back({"sowt32" + c, ch, 16, soundEntry("sowt", ch, 32, kRate), le32});
    cases.push_back({"sowt16_size1" + c, ch, 16, soundEntry("sowt", ch, 16, kRate), le16, 1});
  }
  return cases;
}

qttest::Track soundTrack(const SoundCase& c, uint32_t frames, uint32_t perChunk) {
  qttest::Track t;
  t.handler = "soun";
  t.sampleEntry = c.entry;
  t.mediaScale = kRate;
  t.duration = 1;
  t.samplesPerChunk = perChunk;
  t.stszSize = c.stszSize;
  for (int16_t s : sourceSamples(frames, c.channels)) c.store(t.sound, s);
  t.frameBytes = uint32_t(t.sound.size() / frames);
  return t;
}

std::string writeMovieFile(const testutil::TempDir& dir, const qttest::Movie& movie) {
  const std::string path = dir.file("s.mov");
  testutil::writeFile(path, qttest::writeMovie(movie));
  return path;
}

// Everything the reader delivers, asked for in pieces of `piece` bytes,
// until totalBytes have come.
std::vector<uint8_t> readAll(QTSFile* s, uint32_t piece) {
  std::vector<uint8_t> all;
  std::vector<uint8_t> buffer(piece);
  while (all.size() < s->totalBytes) {
    const uint32_t n = QTSFileGet(s, buffer.data(), piece);
    if (n == 0 || n > piece) break;
    all.insert(all.end(), buffer.begin(), buffer.begin() + n);
  }
  return all;
}

TEST(QuickTimeSound, EveryFormatIsDeliveredAsPlainSamples) {
  const uint32_t frames = 1030;
  for (const SoundCase& c : soundCases()) {
    SCOPED_TRACE(c.name);
    qttest::Movie movie;
    movie.tracks.push_back(soundTrack(c, frames, 100));
    testutil::TempDir dir;
    const std::string path = writeMovieFile(dir, movie);
    const std::vector<uint8_t> expected = delivered(sourceSamples(frames, c.channels), c.bits, c.roundsUp);
    for (uint32_t piece : {7u, 4096u, 1u << 20}) {
      QTSFile* s = QTSFileOpen(path.c_str(), 0);
      ASSERT_NE(s, nullptr);
      EXPECT_EQ(s->rate, int32_t(kRate));
      EXPECT_EQ(s->bits, c.bits);
      EXPECT_EQ(s->channels, c.channels);
      EXPECT_EQ(s->bytesPerSampleFrame, c.bits / 8 * c.channels);
      EXPECT_EQ(s->totalBytes, frames * uint32_t(c.bits / 8 * c.channels));
      EXPECT_EQ(s->videoRateNum, 0);
      EXPECT_EQ(s->videoRateDen, int32_t(frames * 600 / kRate));  // the movie's duration
      EXPECT_TRUE(readAll(s, piece) == expected) << "pieces of " << piece;
      // Past the end: 16 bytes of silence, fewer when fewer are asked for.
      uint8_t tail[32];
      std::memset(tail, 0x33, sizeof tail);
      ASSERT_EQ(QTSFileGet(s, tail, sizeof tail), 16u);
      for (int i = 0; i < 16; ++i) ASSERT_EQ(tail[i], c.bits == 8 ? 0x80 : 0);
      EXPECT_EQ(tail[16], 0x33);
      EXPECT_EQ(QTSFileGet(s, tail, 3), 3u);
      QTSFileClose(s);
    }
  }
}

TEST(QuickTimeSound, GotoMovesToTheTimeOnTheMovieClock) {
  const SoundCase c = soundCases()[5];  // sowt 16-bit mono
  const uint32_t frames = 16000;          // two seconds
  qttest::Movie movie;
  movie.timeScale = 600;
  movie.tracks.push_back(soundTrack(c, frames, 333));
  testutil::TempDir dir;
  QTSFile* s = QTSFileOpen(writeMovieFile(dir, movie).c_str(), 0);
  ASSERT_NE(s, nullptr);
  const std::vector<uint8_t> all = delivered(sourceSamples(frames, 1), 16);
  struct Jump {
    int32_t ms;
    uint32_t frame;  // first frame delivered after the jump
  };
  // 1 ms is below one unit of the movie's 600 per second; 1001 ms is 600.6
  // units, rounded down to 600 = 8000 frames.
  for (Jump j : std::vector<Jump>{{500, 4000}, {0, 0}, {1, 0}, {1001, 8000}, {1900, 15200}, {-20, 0}}) {
    SCOPED_TRACE(j.ms);
    uint8_t first[100];
    QTSFileGet(s, first, 10);  // something buffered, dropped by the jump
    QTSFileGoto(s, j.ms);
    ASSERT_EQ(QTSFileGet(s, first, sizeof first), sizeof first);
    EXPECT_EQ(0, std::memcmp(first, all.data() + j.frame * 2, sizeof first));
  }
  // Past the end nothing is left: silence.
  QTSFileGoto(s, 2500);
  uint8_t tail[64];
  ASSERT_EQ(QTSFileGet(s, tail, sizeof tail), 16u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(tail[i], 0);
  QTSFileClose(s);
}

TEST(QuickTimeSound, TracksAreCountedAmongSoundTracks) {
  qttest::Movie movie;
  qttest::Track video;
  video.sampleEntry = qttest::videoEntry("raw ", 2, 2, 24);
  for (int f = 0; f < 10; ++f) video.samples.push_back(Bytes(12, uint8_t(f)));
  video.duration = 60;  // 10 frames a second
  const std::vector<SoundCase> cases = soundCases();
  movie.tracks.push_back(soundTrack(cases[5], 8000, 1000));        // sowt 16 mono
  movie.tracks.push_back(video);
  movie.tracks.push_back(soundTrack(cases[0 + 14], 4000, 1000));   // twos 8 stereo
  testutil::TempDir dir;
  const std::string path = writeMovieFile(dir, movie);
  struct Pick {
    int32_t track;
    int32_t bits, channels;
  };
  for (Pick p : std::vector<Pick>{{0, 16, 1}, {1, 16, 1}, {2, 8, 2}, {-1, 16, 1}}) {
    QTSFile* s = QTSFileOpen(path.c_str(), p.track);
    ASSERT_NE(s, nullptr) << p.track;
    EXPECT_EQ(s->bits, p.bits);
    EXPECT_EQ(s->channels, p.channels);
    EXPECT_EQ(s->videoRateNum, 10 * 600);
    EXPECT_EQ(s->videoRateDen, 600);
    QTSFileClose(s);
  }
  EXPECT_EQ(QTSFileOpen(path.c_str(), 3), nullptr);
  QTFile* q = QTFileOpen(path.c_str());
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->hasSound, 1);
  QTFileClose(q);
}

TEST(QuickTimeSound, RefusesWhatItCannotDeliver) {
  std::vector<Bytes> entries = {
      qttest::soundEntry("sowt", 6, 16, kRate),            // more than two channels
      qttest::soundEntry("raw ", 1, 16, kRate),            // 'raw ' is 8-bit only
      qttest::soundEntry("twos", 1, 12, kRate),            // not a whole number of bytes
      qttest::soundEntry("mp4a", 2, 16, kRate),            // compressed
      qttest::lpcmEntry(2, 32, kRate, 1 | 8),              // floating point
      qttest::lpcmEntry(2, 16, kRate, 4 | 32),             // channels not interleaved
      qttest::soundEntry("lpcm", 2, 16, kRate),            // lpcm needs its own description
      qttest::soundEntry("sowt", 2, 16, 0),                // no rate, media scale 0 is refused too
  };
  for (size_t i = 0; i < entries.size(); ++i) {
    SoundCase c{"refused", 1, 16, entries[i], [](Bytes& b, int16_t s) { qttest::put16(b, uint16_t(s)); }};
    qttest::Movie movie;
    qttest::Track t = soundTrack(c, 100, 10);
    if (i + 1 == entries.size()) t.mediaScale = 1u << 30;  // too fast to stand in for the rate
    movie.tracks.push_back(t);
    testutil::TempDir dir;
    EXPECT_EQ(QTSFileOpen(writeMovieFile(dir, movie).c_str(), 0), nullptr) << "entry " << i;
  }
}

}  // namespace
