// The frame reader on movies written by the test: every supported kind of
// video sample, the box layouts, frame choice by sample time and the rate.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "movie_writer.h"
#include "picture_codecs.h"
#include "testutil.h"
#include "tol/quicktime.h"

namespace {

using qttest::Bytes;

// What frame f of a case must look like in the reader's frame buffer: rows
// of width (8 bits) or 3 * width (24 bits) bytes.
using ExpectedRows = std::function<std::vector<uint8_t>(int f)>;

struct VideoCase {
  std::string name;
  int width, height, depth;  // depth: the reader's bitsPerPixel comes from it
  int bitsPerPixel;
  Bytes entry;
  std::function<Bytes(int f)> sample;
  ExpectedRows expected;
  int tolerance = 0;  // largest difference per byte (lossy samples)
  std::vector<uint8_t> palette = {};  // expected blue, green, red, 0 entries (8 bits)
  std::vector<std::pair<int, uint32_t>> paletteSpots = {};  // entries expected as 0x00RRGGBB
};

std::vector<uint8_t> bgrOf(const std::vector<uint8_t>& rgb) {
  std::vector<uint8_t> bgr(rgb.size());
  for (size_t i = 0; i < rgb.size(); i += 3) {
    bgr[i] = rgb[i + 2];
    bgr[i + 1] = rgb[i + 1];
    bgr[i + 2] = rgb[i];
  }
  return bgr;
}

uint8_t patternIndex(int x, int y, int f, int depth) { return uint8_t((x + 3 * y + f) & ((1 << depth) - 1)); }

// Indices of `depth` bits packed first pixel high, rows padded to bytes.
Bytes packedIndices(int w, int h, int f, int depth) {
  Bytes out;
  for (int y = 0; y < h; ++y) {
    uint32_t acc = 0;
    int bits = 0;
    for (int x = 0; x < w; ++x) {
      acc = acc << depth | patternIndex(x, y, f, depth);
      bits += depth;
      if (bits == 8) {
        out.push_back(uint8_t(acc));
        acc = 0;
        bits = 0;
      }
    }
    if (bits) out.push_back(uint8_t(acc << (8 - bits)));
  }
  return out;
}

std::vector<uint8_t> indexRows(int w, int h, int f, int depth) {
  std::vector<uint8_t> out;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.push_back(patternIndex(x, y, f, depth));
  return out;
}

std::vector<qttest::Rgb16> colourTable(int entries) {
  std::vector<qttest::Rgb16> t;
  for (int i = 0; i < entries; ++i)
    t.push_back({uint16_t(i * 0x0101), uint16_t((255 - i) * 0x0101 + 0x33), uint16_t((i * 37 & 255) * 0x0101)});
  return t;
}

std::vector<uint8_t> paletteOf(const std::vector<qttest::Rgb16>& table) {
  std::vector<uint8_t> p(1024, 0);
  for (size_t i = 0; i < table.size(); ++i) {
    p[i * 4] = uint8_t(table[i].b >> 8);
    p[i * 4 + 1] = uint8_t(table[i].g >> 8);
    p[i * 4 + 2] = uint8_t(table[i].r >> 8);
  }
  return p;
}

// RGB pattern stored through `store`, one pixel at a time.
Bytes storedPattern(int w, int h, int f, int rowPad, const std::function<void(Bytes&, const uint8_t*)>& store) {
  const auto rgb = qttest::patternRgb(w, h, f);
  Bytes out;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) store(out, &rgb[(size_t(y) * w + x) * 3]);
    qttest::putZeros(out, size_t(rowPad));
  }
  return out;
}

std::vector<VideoCase> videoCases() {
  std::vector<VideoCase> cases;
  const int w = 13, h = 7;
  auto rgbRows = [=](int f) { return bgrOf(qttest::patternRgb(w, h, f)); };
  for (int depth : {8, 4, 2, 1}) {
    const auto table = colourTable(1 << depth);
    cases.push_back({"raw" + std::to_string(depth) + "_table", w, h, depth, 8,
                     qttest::videoEntry("raw ", w, h, depth, table),
                     [=](int f) { return packedIndices(w, h, f, depth); },
                     [=](int f) { return indexRows(w, h, f, depth); }, 0, paletteOf(table)});
  }
  {
    // Without a table: the standard cube (white first, ramps of red, green,
    // blue and grey from 0xEE down, black last) or white to black.
    const std::vector<std::pair<int, uint32_t>> cube = {
        {0, 0xFFFFFF}, {1, 0xFFFFCC}, {6, 0xFFCCFF}, {36, 0xCCFFFF}, {214, 0x000033}, {215, 0xEE0000},
        {224, 0x110000}, {225, 0x00EE00}, {235, 0x0000EE}, {245, 0xEEEEEE}, {254, 0x111111}, {255, 0x000000}};
    cases.push_back({"raw8_standard_table", w, h, 8, 8, qttest::videoEntry("raw ", w, h, 8),
                     [=](int f) { return packedIndices(w, h, f, 8); },
                     [=](int f) { return indexRows(w, h, f, 8); }, 0, {}, cube});
    cases.push_back({"raw2_no_table", w, h, 2, 8, qttest::videoEntry("raw ", w, h, 2),
                     [=](int f) { return packedIndices(w, h, f, 2); },
                     [=](int f) { return indexRows(w, h, f, 2); }, 0, {},
                     {{0, 0xFFFFFF}, {1, 0xAAAAAA}, {2, 0x555555}, {3, 0}, {4, 0}}});
  }
  auto rgb555 = [](Bytes& o, const uint8_t* p) { qttest::put16(o, uint32_t(p[0] >> 3) << 10 | uint32_t(p[1] >> 3) << 5 | p[2] >> 3); };
  cases.push_back({"raw16", w, h, 16, 24, qttest::videoEntry("raw ", w, h, 16),
                   [=](int f) { return storedPattern(w, h, f, 0, rgb555); },
                   [=](int f) {
                     auto bgr = rgbRows(f);
                     for (uint8_t& v : bgr) v = uint8_t((v & 0xF8) | v >> 5);
                     return bgr;
                   }});
  auto rgb24 = [](Bytes& o, const uint8_t* p) { o.insert(o.end(), p, p + 3); };
  cases.push_back({"raw24", w, h, 24, 24, qttest::videoEntry("raw ", w, h, 24),
                   [=](int f) { return storedPattern(w, h, f, 0, rgb24); }, rgbRows});
  cases.push_back({"raw24_padded_rows", w, h, 24, 24, qttest::videoEntry("raw ", w, h, 24),
                   [=](int f) { return storedPattern(w, h, f, 1, rgb24); }, rgbRows});
  auto argb = [](Bytes& o, const uint8_t* p) { o.insert(o.end(), {0x7F, p[0], p[1], p[2]}); };
  cases.push_back({"raw32", w, h, 32, 24, qttest::videoEntry("raw ", w, h, 32),
                   [=](int f) { return storedPattern(w, h, f, 0, argb); }, rgbRows});
  cases.push_back({"png_rgb", w, h, 24, 24, qttest::videoEntry("png ", w, h, 24),
                   [=](int f) { return qttest::encodePng(w, h, PNG_COLOR_TYPE_RGB, qttest::patternRgb(w, h, f)); },
                   rgbRows});
  {
    std::vector<png_color> palette;
    for (int i = 0; i < 16; ++i) palette.push_back({uint8_t(i * 16), uint8_t(255 - i * 16), uint8_t(i * 5)});
    cases.push_back({"png_palette", w, h, 24, 24, qttest::videoEntry("png ", w, h, 8),
                     [=](int f) { return qttest::encodePng(w, h, PNG_COLOR_TYPE_PALETTE, indexRows(w, h, f, 4), palette); },
                     [=](int f) {
                       std::vector<uint8_t> bgr;
                       for (uint8_t i : indexRows(w, h, f, 4)) bgr.insert(bgr.end(), {palette[i].blue, palette[i].green, palette[i].red});
                       return bgr;
                     }});
  }
  const int jw = 40, jh = 24;
  cases.push_back({"jpeg_colour", jw, jh, 24, 24, qttest::videoEntry("jpeg", jw, jh, 24),
                   [=](int f) { return qttest::encodeJpeg(jw, jh, 3, qttest::patternRgb(jw, jh, f, true)); },
                   [=](int f) { return bgrOf(qttest::patternRgb(jw, jh, f, true)); }, 12});
  cases.push_back({"jpeg_grey", jw, jh, 24, 24, qttest::videoEntry("jpeg", jw, jh, 40),
                   [=](int f) {
                     std::vector<uint8_t> grey;
                     for (int y = 0; y < jh; ++y)
                       for (int x = 0; x < jw; ++x) grey.push_back(uint8_t(x * 3 + y * 2 + f * 9));
                     return qttest::encodeJpeg(jw, jh, 1, grey);
                   },
                   [=](int f) {
                     std::vector<uint8_t> bgr;
                     for (int y = 0; y < jh; ++y)
                       for (int x = 0; x < jw; ++x) bgr.insert(bgr.end(), 3, uint8_t(x * 3 + y * 2 + f * 9));
                     return bgr;
                   },
                   6});
  return cases;
}

std::string writeMovieFile(const testutil::TempDir& dir, const qttest::Movie& movie, const char* name = "m.mov") {
  const std::string path = dir.file(name);
  testutil::writeFile(path, qttest::writeMovie(movie));
  return path;
}

// Compares the frame buffer with the expected rows, allowing `tolerance`.
void expectFrame(const QTFile* q, const std::vector<uint8_t>& rows, int tolerance, const std::string& what) {
  const size_t rowBytes = size_t(q->width) * size_t(q->bitsPerPixel / 8);
  ASSERT_EQ(rows.size(), rowBytes * size_t(q->height)) << what;
  int worst = 0;
  for (int y = 0; y < q->height; ++y)
    for (size_t i = 0; i < rowBytes; ++i)
      worst = std::max(worst, std::abs(int(q->pixels[size_t(y) * q->pitch + i]) - int(rows[y * rowBytes + i])));
  EXPECT_LE(worst, tolerance) << what;
}

constexpr int kFrames = 4;

TEST(QuickTimeFrames, EveryVideoFormatGivesItsPictures) {
  for (const VideoCase& c : videoCases()) {
    SCOPED_TRACE(c.name);
    qttest::Movie movie;
    qttest::Track track;
    track.sampleEntry = c.entry;
    for (int f = 0; f < kFrames; ++f) track.samples.push_back(c.sample(f));
    movie.tracks.push_back(track);
    testutil::TempDir dir;
    QTFile* q = QTFileOpen(writeMovieFile(dir, movie).c_str());
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->width, c.width);
    EXPECT_EQ(q->height, c.height);
    EXPECT_EQ(q->bitsPerPixel, c.bitsPerPixel);
    EXPECT_EQ(q->pitch, (c.bitsPerPixel * c.width / 8 + 3) & ~3);
    EXPECT_EQ(q->frameCount, kFrames);
    EXPECT_EQ(q->rateNum, 600 * kFrames);
    EXPECT_EQ(q->rateDen, 20 * kFrames);
    EXPECT_EQ(q->hasSound, 0);
    if (!c.palette.empty()) {
      EXPECT_EQ(0, std::memcmp(q->palette, c.palette.data(), 1024));
    }
    for (auto [index, rgb] : c.paletteSpots) {
      const uint8_t* e = q->palette + index * 4;
      EXPECT_EQ(uint32_t(e[2] << 16 | e[1] << 8 | e[0]), rgb) << "entry " << index;
      EXPECT_EQ(e[3], 0);
    }
    for (int f = 0; f < kFrames; ++f) {
      ASSERT_EQ(QTFileGet(q), 0) << "frame " << f;
      EXPECT_EQ(q->frameBytes, int32_t(track.samples[f].size()));
      expectFrame(q, c.expected(f), c.tolerance, "frame " + std::to_string(f));
    }
    QTFileGoto(q, 1);
    ASSERT_EQ(QTFileGet(q), 0);
    expectFrame(q, c.expected(1), c.tolerance, "frame 1 after going back");
    QTFileClose(q);
  }
}

// Raw 24-bit frames of the pattern, one sample each.
qttest::Track rawTrack(int frames, int w = 6, int h = 4) {
  qttest::Track t;
  t.sampleEntry = qttest::videoEntry("raw ", w, h, 24);
  for (int f = 0; f < frames; ++f) t.samples.push_back(qttest::patternRgb(w, h, f));
  return t;
}

qttest::Track soundTrack(uint32_t frames) {
  qttest::Track t;
  t.handler = "soun";
  t.sampleEntry = qttest::soundEntry("sowt", 1, 16, 8000);
  t.mediaScale = 8000;
  t.duration = 1;
  t.frameBytes = 2;
  t.samplesPerChunk = 300;
  for (uint32_t i = 0; i < frames; ++i) qttest::put16(t.sound, i);
  return t;
}

TEST(QuickTimeFrames, EveryBoxLayoutGivesTheSameFrames) {
  for (int layout = 0; layout < 16; ++layout) {
    qttest::Movie movie;
    movie.movieFirst = layout & 1;
    movie.chunkOffsets64 = layout & 2;
    movie.largeSizes = layout & 4;
    const bool soundFirst = layout & 8;
    qttest::Track video = rawTrack(5);
    video.samplesPerChunk = 1 + layout % 3;
    if (soundFirst) movie.tracks.push_back(soundTrack(1000));
    movie.tracks.push_back(video);
    if (!soundFirst) movie.tracks.push_back(soundTrack(1000));
    SCOPED_TRACE("layout " + std::to_string(layout));
    testutil::TempDir dir;
    QTFile* q = QTFileOpen(writeMovieFile(dir, movie).c_str());
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->frameCount, 5);
    EXPECT_EQ(q->hasSound, 1);
    for (int f = 0; f < 5; ++f) {
      ASSERT_EQ(QTFileGet(q), 0);
      expectFrame(q, bgrOf(qttest::patternRgb(6, 4, f)), 0, "frame " + std::to_string(f));
    }
    QTFileClose(q);
  }
}

TEST(QuickTimeFrames, FramesFollowTheSampleTimes) {
  struct TimingCase {
    std::string name;
    uint32_t movieScale, mediaScale;
    std::vector<uint32_t> durations;
    uint64_t movieDuration;  // 0: from the track
    std::vector<std::pair<int, int>> frameSamples;  // frame asked for, sample delivered
    int32_t rateNum, rateDen;
  };
  const std::vector<TimingCase> cases = {
      // 30 samples lasting one second at time scale 600.
      {"thirty_per_second", 600, 600, std::vector<uint32_t>(30, 20), 0, {{0, 0}, {1, 1}, {2, 2}, {29, 29}}, 18000, 600},
      // Uneven samples: frames fall at 0, 15, 30, 45 of 60.
      {"uneven", 600, 600, {30, 10, 10, 10}, 0, {{0, 0}, {1, 0}, {2, 1}, {3, 2}}, 2400, 60},
      // Media clock finer than the movie's, movie duration rounded down.
      {"media_2997", 600, 2997, std::vector<uint32_t>(30, 100), 0,
       {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {14, 14}, {28, 28}, {29, 29}}, 18000, 600},
      // Movie longer than the video: frames spread over the whole movie.
      {"long_movie", 600, 600, {20, 20, 20, 20}, 160, {{0, 0}, {1, 2}, {2, 3}, {3, 3}}, 2400, 160},
      // Past the last frame the last sample stays.
      {"past_the_end", 600, 600, {20, 20, 20}, 0, {{3, 2}, {1000, 2}, {-5, 0}}, 1800, 60},
  };
  for (const TimingCase& c : cases) {
    SCOPED_TRACE(c.name);
    qttest::Movie movie;
    movie.timeScale = c.movieScale;
    movie.duration = c.movieDuration;
    qttest::Track t = rawTrack(int(c.durations.size()));
    t.mediaScale = c.mediaScale;
    t.durations = c.durations;
    movie.tracks.push_back(t);
    testutil::TempDir dir;
    QTFile* q = QTFileOpen(writeMovieFile(dir, movie).c_str());
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->rateNum, c.rateNum);
    EXPECT_EQ(q->rateDen, c.rateDen);
    for (auto [frame, sample] : c.frameSamples) {
      QTFileGoto(q, frame);
      ASSERT_EQ(QTFileGet(q), 0);
      expectFrame(q, bgrOf(qttest::patternRgb(6, 4, sample)), 0, "frame " + std::to_string(frame));
    }
    QTFileClose(q);
  }
}

TEST(QuickTimeFrames, LargeTermsOfTheRateAreReduced) {
  qttest::Movie movie;
  movie.timeScale = 90000;
  movie.duration = 90000u * 1000;  // 1000 s
  qttest::Track t = rawTrack(30000);
  t.mediaScale = 90000;
  t.duration = 3000;
  movie.tracks.push_back(t);
  testutil::TempDir dir;
  QTFile* q = QTFileOpen(writeMovieFile(dir, movie).c_str());
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->rateNum, 30);  // 30000 * 90000 / 90000000, reduced
  EXPECT_EQ(q->rateDen, 1);
  QTFileClose(q);
}

}  // namespace

namespace {

TEST(QuickTimeFrames, SmallerJpegPictureLandsTopLeftOverThePreviousFrame) {
  qttest::Movie movie;
  qttest::Track t;
  t.sampleEntry = qttest::videoEntry("jpeg", 16, 16, 24);
  t.samples.push_back(qttest::encodeJpeg(16, 16, 1, std::vector<uint8_t>(256, 250)));
  // (Less than half the height: a half-height picture would count as one field.)
  t.samples.push_back(qttest::encodeJpeg(6, 6, 1, std::vector<uint8_t>(36, 10)));
  movie.tracks.push_back(t);
  testutil::TempDir dir;
  QTFile* q = QTFileOpen(writeMovieFile(dir, movie).c_str());
  ASSERT_NE(q, nullptr);
  ASSERT_EQ(QTFileGet(q), 0);
  ASSERT_EQ(QTFileGet(q), 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_NEAR(q->pixels[y * q->pitch + x * 3], x < 6 && y < 6 ? 10 : 250, 2) << x << "," << y;
  QTFileClose(q);
}

}  // namespace
