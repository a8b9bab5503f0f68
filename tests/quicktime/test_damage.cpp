// Damaged and hostile movies: every open either fails or gives a reader that
// stays inside the file, delivers frames or frame errors and sound or
// silence, and never allocates what a header merely claims.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "media/movie_source.h"
#include "media/quicktime_frames.h"
#include "media/quicktime_sound.h"
#include "movie_writer.h"
#include "picture_codecs.h"
#include "testutil.h"

namespace {

using qttest::Bytes;

qttest::Track rawVideo(int frames, int w = 6, int h = 4) {
  qttest::Track t;
  t.sampleEntry = qttest::videoEntry("raw ", w, h, 24);
  for (int f = 0; f < frames; ++f) t.samples.push_back(qttest::patternRgb(w, h, f));
  return t;
}

qttest::Track pngVideo(int frames, int w = 6, int h = 4) {
  qttest::Track t;
  t.sampleEntry = qttest::videoEntry("png ", w, h, 24);
  for (int f = 0; f < frames; ++f)
    t.samples.push_back(qttest::encodePng(w, h, PNG_COLOR_TYPE_RGB, qttest::patternRgb(w, h, f)));
  return t;
}

qttest::Track sound(const char* format, int bits, uint32_t frames) {
  qttest::Track t;
  t.handler = "soun";
  t.sampleEntry = qttest::soundEntry(format, 2, bits, 8000);
  t.mediaScale = 8000;
  t.duration = 1;
  t.frameBytes = uint32_t(bits / 8 * 2);
  t.samplesPerChunk = 50;
  for (uint32_t i = 0; i < frames * t.frameBytes; ++i) t.sound.push_back(uint8_t(i * 7));
  return t;
}

struct Outcome {
  bool framesOpened = false;
  int frameErrors = 0;
  bool soundOpened = false;
  uint64_t soundBytes = 0;
};

// Opens both readers on the bytes and reads everything they offer.
Outcome exercise(const Bytes& file) {
  Outcome o;
  if (tol::QTFrameReader* q = tol::openFrameReader(tol::movieInMemory(file.data(), file.size()))) {
    o.framesOpened = true;
    EXPECT_GT(q->frameCount, 0);
    EXPECT_GE(q->pitch, q->width * q->bitsPerPixel / 8);
    const int frames = std::min(q->frameCount, 8) + 1;
    for (int f = 0; f < frames; ++f) o.frameErrors += tol::QTFileGet(q);
    tol::QTFileClose(q);
  }
  for (int32_t track : {1, 2}) {
    if (tol::QTSoundReader* s = tol::openSoundReader(tol::movieInMemory(file.data(), file.size()), track)) {
      o.soundOpened = true;
      EXPECT_TRUE(s->bits == 8 || s->bits == 16);
      EXPECT_TRUE(s->channels == 1 || s->channels == 2);
      uint8_t buffer[1000];
      // The track's bytes and then silence; never more than asked.
      for (int i = 0; i < 64; ++i) {
        const uint32_t n = tol::QTSFileGet(s, buffer, sizeof buffer);
        EXPECT_LE(n, sizeof buffer);
        o.soundBytes += n;
        if (n == 16) break;
      }
      tol::QTSFileGoto(s, 100);
      tol::QTSFileGet(s, buffer, 7);
      tol::QTSFileClose(s);
    }
  }
  return o;
}

std::vector<Bytes> baseMovies() {
  qttest::Movie a;
  a.tracks = {rawVideo(3, 2, 2), sound("sowt", 16, 60)};
  qttest::Movie b;
  b.movieFirst = b.chunkOffsets64 = b.largeSizes = true;
  b.tracks = {sound("twos", 8, 60), pngVideo(2, 2, 2), sound("raw ", 8, 30)};
  qttest::Movie c;
  c.tracks = {rawVideo(2)};
  c.tracks[0].sampleEntry = qttest::videoEntry("raw ", 6, 4, 8, {{0, 0, 0}, {0xFFFF, 0, 0}, {0, 0xFFFF, 0}});
  c.tracks[0].samples = {Bytes(24, 1), Bytes(24, 2)};
  c.tracks[0].durations = {7, 0};
  return {qttest::writeMovie(a), qttest::writeMovie(b), qttest::writeMovie(c)};
}

TEST(QuickTimeDamage, TheUndamagedMoviesOpen) {
  for (const Bytes& file : baseMovies()) {
    const Outcome o = exercise(file);
    EXPECT_TRUE(o.framesOpened);
    EXPECT_EQ(o.frameErrors, 0);
  }
}

TEST(QuickTimeDamage, EveryByteChangedAndEveryLengthCut) {
  for (const Bytes& base : baseMovies()) {
    for (size_t at = 0; at < base.size(); ++at) {
      for (int change = 0; change < 4; ++change) {
        Bytes file = base;
        const uint8_t was = file[at];
        file[at] = change == 0 ? 0xFF : change == 1 ? 0x00 : change == 2 ? uint8_t(was ^ 0x80) : uint8_t(was + 1);
        if (file[at] == was) continue;
        SCOPED_TRACE("byte " + std::to_string(at) + " change " + std::to_string(change));
        exercise(file);
        if (HasFailure()) return;
      }
    }
    for (size_t length = 0; length < base.size(); ++length) {
      SCOPED_TRACE("cut to " + std::to_string(length));
      exercise(Bytes(base.begin(), base.begin() + length));
      if (HasFailure()) return;
    }
  }
}

TEST(QuickTimeDamage, HostileMovies) {
  struct Case {
    std::string name;
    std::function<void(qttest::Movie&)> change;
    bool framesOpen;
    int frameErrors;
  };
  const std::vector<Case> cases = {
      {"frame larger than the limit", [](qttest::Movie& m) { m.tracks[0].sampleEntry = qttest::videoEntry("raw ", 65535, 65535, 24); }, false, 0},
      {"compressed frame far larger than its samples",
       [](qttest::Movie& m) { m.tracks[0].sampleEntry = qttest::videoEntry("jpeg", 8000, 8000, 24); }, false, 0},
      {"raw samples smaller than a frame",
       [](qttest::Movie& m) { m.tracks[0].sampleEntry = qttest::videoEntry("raw ", 60, 40, 24); }, false, 0},
      {"one raw sample cut short", [](qttest::Movie& m) { m.tracks[0].samples[1].resize(50); }, true, 1},
      {"jpeg samples that are not pictures",
       [](qttest::Movie& m) { m.tracks[0].sampleEntry = qttest::videoEntry("jpeg", 6, 4, 24); }, true, 4},
      {"png of another size",
       [](qttest::Movie& m) {
         m.tracks[0] = pngVideo(3, 5, 4);
         m.tracks[0].sampleEntry = qttest::videoEntry("png ", 6, 4, 24);
       },
       true, 4},
      {"jpeg taller than the description (refused, as a picture of another size is)",
       [](qttest::Movie& m) {
         m.tracks[0].sampleEntry = qttest::videoEntry("jpeg", 8, 4, 24);
         for (Bytes& s : m.tracks[0].samples) s = qttest::encodeJpeg(8, 24, 3, qttest::patternRgb(8, 24, 0));
       },
       true, 4},
      {"raw samples claimed larger than the file",
       [](qttest::Movie& m) {
         qttest::Track& t = m.tracks[0];
         t.sampleEntry = qttest::videoEntry("raw ", 8000, 8000, 24);
         t.samples.clear();
         t.sound = Bytes(12, 0);
         t.frameBytes = 4;
         t.stszSize = 8000 * 8000 * 3;
       },
       false, 0},
      {"unknown codec", [](qttest::Movie& m) { m.tracks[0].sampleEntry = qttest::videoEntry("avc1", 6, 4, 24); }, false, 0},
      {"raw depth 12", [](qttest::Movie& m) { m.tracks[0].sampleEntry = qttest::videoEntry("raw ", 6, 4, 12); }, false, 0},
      {"media in another file", [](qttest::Movie& m) { m.tracks[0].externalData = true; }, false, 0},
      {"no samples", [](qttest::Movie& m) { m.tracks[0].samples.clear(); }, false, 0},
      {"no video track", [](qttest::Movie& m) { m.tracks[0].handler = "text"; }, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qttest::Movie movie;
    movie.tracks = {rawVideo(3), sound("sowt", 16, 100)};
    c.change(movie);
    const Outcome o = exercise(qttest::writeMovie(movie));
    EXPECT_EQ(o.framesOpened, c.framesOpen);
    EXPECT_EQ(o.frameErrors, c.frameErrors);
    EXPECT_TRUE(o.soundOpened);
  }
}

// Patches the first 32-bit field after the first occurrence of a box type.
void patchAfter(Bytes& file, const char* type, long offset, uint32_t value) {
  for (size_t i = 0; i + 4 <= file.size(); ++i) {
    if (std::equal(type, type + 4, file.begin() + i)) {
      const size_t at = size_t(long(i) + 4 + offset);
      ASSERT_LE(at + 4, file.size());
      for (int k = 0; k < 4; ++k) file[at + k] = uint8_t(value >> (24 - 8 * k));
      return;
    }
  }
  FAIL() << "no " << type;
}

TEST(QuickTimeDamage, HostileTables) {
  struct Case {
    std::string name;
    const char* box;
    long offset;  // from the end of the type: -8 the size, 0 version and flags, 4 the first field
    uint32_t value;
    bool framesOpen;
    int frameErrors;
  };
  const std::vector<Case> cases = {
      {"sample count beyond the size table", "stsz", 8, 0x7FFFFFFF, false, 0},
      {"chunk offset past the end", "stco", 8, 0xFFFFFF00, true, 1},
      {"chunk count beyond the table", "stco", 4, 0x40000000, false, 0},
      {"first chunk 0", "stsc", 8, 0, false, 0},
      {"huge samples per chunk", "stsc", 12, 0xFFFFFFFF, true, 0},
      {"time runs beyond the table", "stts", 4, 0x10000000, false, 0},
      {"zero durations", "stts", 12, 0, true, 0},
      {"huge durations", "stts", 12, 0xFFFFFFFF, true, 0},
      {"movie time scale 0", "mvhd", 12, 0, false, 0},
      {"movie duration huge", "mvhd", 16, 0xFFFFFFFF, true, 0},
      {"description count 0", "stsd", 4, 0, false, 0},
      {"description size past its box", "stsd", 8, 0x1000, false, 0},
      {"movie box size past the file", "moov", -8, 0x7FFFFFFF, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qttest::Movie movie;
    movie.tracks = {rawVideo(3)};
    movie.tracks[0].samplesPerChunk = 2;
    Bytes file = qttest::writeMovie(movie);
    patchAfter(file, c.box, c.offset, c.value);
    const Outcome o = exercise(file);
    EXPECT_EQ(o.framesOpened, c.framesOpen);
    if (c.framesOpen) {
      EXPECT_GE(o.frameErrors, c.frameErrors);
    }
  }
}

TEST(QuickTimeDamage, NotMovies) {
  const std::vector<Bytes> files = {
      {},
      Bytes(7, 0),
      Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'},
      Bytes{0, 0, 0, 8, 'f', 'r', 'e', 'e', 0, 0, 0, 0, 'm', 'o', 'o', 'v'},  // movie box of size 0 = to the end, empty
      Bytes{0, 0, 0, 1, 'm', 'o', 'o', 'v', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
  };
  for (const Bytes& f : files) {
    const Outcome o = exercise(f);
    EXPECT_FALSE(o.framesOpened);
    EXPECT_FALSE(o.soundOpened);
  }
  EXPECT_EQ(tol::QTFileOpen("/nonexistent/file.mov"), nullptr);
  EXPECT_EQ(tol::QTSFileOpen("/nonexistent/file.mov", 0), nullptr);
  EXPECT_EQ(tol::QTFileGet(nullptr), 1);
  EXPECT_EQ(tol::QTSFileGet(nullptr, nullptr, 10), 0u);
}

}  // namespace
