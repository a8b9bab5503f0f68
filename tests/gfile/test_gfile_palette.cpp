// Palettised delivery: sources passed through or remapped into a range,
// palettes computed by the palette reduction (reserved static colours,
// periodic palettes, banks, windows ended by a source palette change,
// cancel), and natural clips measured against their true-colour frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "gfile_test_util.h"
#include "reference_pictures.h"
#include "tol/flic.h"

namespace {

using namespace gfiletest;

std::vector<uint8_t> distinctPalette() {
  std::vector<uint8_t> p(768);
  for (int i = 0; i < 256; ++i) {
    p[i * 3] = static_cast<uint8_t>(i);
    p[i * 3 + 1] = static_cast<uint8_t>(255 - i);
    p[i * 3 + 2] = static_cast<uint8_t>((i * 7) & 255);
  }
  return p;
}

// A 16 x 16 frame holding every index once.
std::vector<uint8_t> allIndices() {
  std::vector<uint8_t> px(256);
  for (int i = 0; i < 256; ++i) px[i] = static_cast<uint8_t>(i);
  return px;
}

int32_t nearestInRange(const std::vector<uint8_t>& pal, int32_t i, int32_t first, int32_t count) {
  int64_t best = INT64_MAX;
  int32_t at = first;
  for (int32_t e = first; e < first + count; ++e) {
    int64_t d = 0;
    for (int c = 0; c < 3; ++c) d += int64_t(pal[i * 3 + c] - pal[e * 3 + c]) * (pal[i * 3 + c] - pal[e * 3 + c]);
    if (d < best) best = d, at = e;
  }
  return at;
}

TEST(PalettisedSource, PassedThroughOrRemappedIntoTheRange) {
  testutil::TempDir dir;
  const std::string name = dir.file("i.raw");
  const std::vector<uint8_t> pal = distinctPalette();
  writeRaw(name, 16, 16, 0, {RawFrame{pal, allIndices()}});
  struct Case {
    int32_t first, count, systemColours;
  };
  for (Case c : {Case{0, 256, 0}, Case{10, 236, 0}, Case{0, 256, 1}}) {
    Options o;
    o.flags = 0, o.paletteFirst = c.first, o.paletteCount = c.count, o.systemColours = c.systemColours;
    GFile* g = open(name, o);
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(GFileGet(g), 1);
    std::vector<uint32_t> got = pixels(g);
    std::vector<uint8_t> expectedPalette = pal;
    if (c.systemColours == 1)
      for (int i : {0, 9, 246, 255}) EXPECT_NE(std::vector<uint8_t>(g->palette + i * 3, g->palette + i * 3 + 3),
                                               std::vector<uint8_t>(pal.begin() + i * 3, pal.begin() + i * 3 + 3));
    else
      EXPECT_EQ(std::vector<uint8_t>(g->palette, g->palette + 768), pal);
    for (int32_t i = 0; i < 256; ++i) {
      if (c.systemColours == 1) {
        // Every pixel shows a colour at least as near as its own entry would.
        const uint8_t* o8 = g->palette + got[i] * 3;
        const uint8_t* s8 = g->palette + i * 3;
        int32_t d = 0, own = 0;
        for (int k = 0; k < 3; ++k) d += (o8[k] - pal[i * 3 + k]) * (o8[k] - pal[i * 3 + k]),
                                    own += (s8[k] - pal[i * 3 + k]) * (s8[k] - pal[i * 3 + k]);
        EXPECT_LE(d, own) << i;
        continue;
      }
      int32_t want = i >= c.first && i < c.first + c.count ? i : nearestInRange(pal, i, c.first, c.count);
      EXPECT_EQ(int32_t(got[i]), want) << "index " << i << " range " << c.first << "+" << c.count;
    }
    GFileClose(g);
  }
}

// True-colour frames: a few exact colours, or a drifting gradient.
std::vector<uint8_t> fiveColours() {
  // Values whose 6-bit form widens back to themselves, none a static colour.
  const uint8_t v[5] = {16, 65, 121, 162, 203};
  std::vector<uint8_t> px;
  for (int i = 0; i < 40 * 10; ++i) {
    uint8_t c = v[(i / 7) % 5];
    px.push_back(c);
  }
  return px;
}

TEST(ComputedPalette, FiveColoursGiveFiveEntriesInTheFreeSlots) {
  testutil::TempDir dir;
  const std::string name = dir.file("five.raw");
  // A grey 8-bit source with analysis asked for: the box splitting runs.
  writeRaw(name, 40, 10, 0, {RawFrame{greyPalette(), fiveColours()}});
  struct Case {
    int32_t first, count, systemColours, low, high;
  };
  for (Case c : {Case{0, 256, 0, 10, 245}, Case{20, 200, 0, 20, 219}, Case{0, 256, 2, 0, 255}}) {
    Options o;
    o.flags = 0, o.paletteMode = 1, o.paletteFirst = c.first, o.paletteCount = c.count;
    o.systemColours = c.systemColours;
    GFile* g = open(name, o);
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(GFileGet(g), 1);
    std::set<uint32_t> used;
    for (uint32_t i : pixels(g)) used.insert(i);
    EXPECT_EQ(used.size(), 5u);
    for (uint32_t i : used) {
      EXPECT_GE(int32_t(i), c.low);
      EXPECT_LE(int32_t(i), c.high);
    }
    // The five colours come back exactly.
    std::vector<uint32_t> colours = paletteColours(g);
    std::vector<uint8_t> src = fiveColours();
    for (size_t i = 0; i < src.size(); ++i) ASSERT_EQ(colours[i], 0x010101u * src[i]) << i;
    if (c.systemColours == 0) {
      EXPECT_EQ(g->palette[9 * 3 + 0], 166);  // static colours in their entries
      EXPECT_EQ(g->palette[255 * 3 + 1], 255);
    }
    GFileClose(g);
  }
}

// A 32 x 16 gradient that moves by one column per frame.
std::vector<RawFrame> movingGradient(int32_t frames) {
  std::vector<RawFrame> out;
  for (int32_t k = 0; k < frames; ++k) {
    RawFrame f{k == 0 ? greyPalette() : std::vector<uint8_t>{}, {}};
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 32; ++x) f.pixels.push_back(static_cast<uint8_t>(std::min(255, k * 8 + x * 2 + y)));
    out.push_back(f);
  }
  return out;
}

// Frames whose palette differs from the frame before, and the entries that
// differ each time.
struct PaletteHistory {
  std::vector<int32_t> changedFrames;
  std::vector<std::pair<int32_t, int32_t>> changedSpan;  // lowest and highest changed entry
  int32_t changedEntries = 0;                            // over all frames but the first
};

PaletteHistory history(GFile* g, int32_t frames) {
  PaletteHistory h;
  std::vector<uint8_t> before(768, 0);
  for (int32_t k = 0; k < frames && GFileGet(g); ++k) {
    int32_t lo = 256, hi = -1;
    for (int32_t i = 0; i < 256; ++i)
      if (std::memcmp(&before[i * 3], g->palette + i * 3, 3) != 0) {
        lo = std::min(lo, i), hi = std::max(hi, i);
        if (k > 0) ++h.changedEntries;
      }
    if (hi >= 0) h.changedFrames.push_back(k), h.changedSpan.emplace_back(lo, hi);
    before.assign(g->palette, g->palette + 768);
  }
  return h;
}

TEST(ComputedPalette, IntervalsAndBanks) {
  testutil::TempDir dir;
  const std::string name = dir.file("g.raw");
  writeRaw(name, 32, 16, 0, movingGradient(30));
  Options o;
  o.flags = 0, o.paletteMode = 1, o.systemColours = 2, o.paletteCount = 64;
  GFile* g = open(name, o);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(history(g, 30).changedFrames, std::vector<int32_t>{0}) << "one palette for the whole run";
  GFileClose(g);

  o.interval = 10;
  g = open(name, o);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(history(g, 30).changedFrames, (std::vector<int32_t>{0, 10, 20}));
  GFileClose(g);

  // A new palette each frame: each frame of this pan brings 8 new levels of
  // its 78; the placement keeps the levels that stay in their slots, so a
  // palette change rewrites about as many entries as there are new levels.
  o.interval = 1, o.paletteCount = 256;
  g = open(name, o);
  ASSERT_NE(g, nullptr);
  PaletteHistory perFrame = history(g, 30);
  std::printf("gradient pan, a palette per frame: %d entries changed in %zu palette changes over 30 frames\n",
              perFrame.changedEntries, perFrame.changedFrames.size());
  EXPECT_LE(perFrame.changedEntries, 29 * 10);
  GFileClose(g);

  // Banks: with an overlap of 64 and a count of 256 the palettes fill
  // entries 0 to 191 and 64 to 255 in turn (the first palette also takes
  // the source's entries).
  o.overlap = 64;
  g = open(name, o);
  ASSERT_NE(g, nullptr);
  PaletteHistory h = history(g, 30);
  int32_t low = 0, high = 0;
  for (size_t k = 0; k < h.changedFrames.size(); ++k) {
    const int32_t frame = h.changedFrames[k];
    if (frame == 0) continue;
    if (frame % 2 == 0) {
      EXPECT_LE(h.changedSpan[k].second, 191) << frame;
      ++low;
    } else {
      EXPECT_GE(h.changedSpan[k].first, 64) << frame;
      ++high;
    }
  }
  EXPECT_GT(low, 0);
  EXPECT_GT(high, 0);
  GFileClose(g);
}

TEST(ComputedPalette, WindowEndsAtASourcePaletteChangeAndCancelKeepsThePalette) {
  testutil::TempDir dir;
  const std::string name = dir.file("p.flc");
  TOLOFlic* w = TOLOFlicCreate(name.c_str(), 32, 8, 66);
  ASSERT_NE(w, nullptr);
  std::vector<uint8_t> a = greyPalette(), b = distinctPalette();
  for (int32_t k = 1; k <= 40; ++k) {
    std::vector<uint8_t> px(32 * 8, static_cast<uint8_t>(k * 3));
    ASSERT_EQ(TOLOFlicPutNext(w, px.data(), k == 1 ? a.data() : k == 30 ? b.data() : nullptr), 1);
  }
  ASSERT_GT(TOLOFlicClose(w), 0u);

  Options o;
  o.flags = 0, o.paletteMode = 2, o.verb = "Analyzing colors in";
  GFile* reader = open(name, o);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->kind, GFILE_KIND_FLIC);
  uint8_t palette[768] = {};
  EXPECT_EQ(GFileBestPalette(reader, palette, nullptr, 32, 8, 32, 0, 0, 0, 0), 29);
  // A cancel at the window's progress line changes nothing.
  std::vector<uint8_t> kept(palette, palette + 768);
  g_messages = Messages{};
  g_messages.answer = 1;
  EXPECT_EQ(GFileBestPalette(reader, palette, nullptr, 32, 8, 32, 0, 0, 0, 0), 0);
  EXPECT_EQ(std::vector<uint8_t>(palette, palette + 768), kept);
  g_messages.answer = 0;
  EXPECT_EQ(GFileBestPalette(reader, palette, nullptr, 32, 8, 32, 0, 0, 0, 0), 65536);
  EXPECT_TRUE(g_messages.has("Analyzing colors in frame 30 of 40...", 1));
  GFileClose(reader);
}

// Natural clips delivered at 8 bits against their true-colour frames: the
// PSNR per clip and the palette changes, with one palette and with a new
// palette each frame. Slot placement keeps each entry near its colour of
// the frame before: consecutive palettes move an entry much less than the
// distance between unrelated entries.
TEST(NaturalClips, PalettisedAgainstTrueColour) {
  struct Clip {
    const char* name;
    const char* pattern;
  };
  for (Clip clip : {Clip{"forest pan", "seq/path_pan_320x240/pathpan????.png*0-29"},
                    Clip{"leaf pan", "seq/leaf_pan_100x60/leafsmall????.png*0-29"}}) {
    const std::string dirName = testutil::corpusFile("");
    if (dirName.empty()) GTEST_SKIP() << "test media not present";
    const std::string input = dirName + "/" + clip.pattern;
    for (int32_t interval : {0, 1}) {
      Options tc;
      GFile* truth = open(input, tc);
      Options pc;
      pc.flags = 0, pc.interval = interval;
      GFile* pal = open(input, pc);
      ASSERT_NE(truth, nullptr);
      ASSERT_NE(pal, nullptr);
      double sum = 0, lowest = 99;
      int32_t changes = 0, changedEntries = 0;
      double sameSlot = 0, otherSlot = 0;
      std::vector<uint8_t> before(768, 0);
      for (int32_t k = 0; k < truth->outFrameCount; ++k) {
        ASSERT_EQ(GFileGet(truth), 1);
        ASSERT_EQ(GFileGet(pal), 1);
        double p = psnr(paletteColours(pal), pixels(truth));
        sum += p, lowest = std::min(lowest, p);
        if (std::memcmp(before.data(), pal->palette, 768) != 0) {
          ++changes;
          for (int i = 0; k > 0 && i < 256; ++i) changedEntries += std::memcmp(&before[i * 3], pal->palette + i * 3, 3) != 0;
          if (k > 0)
            for (int i = 10; i < 246; ++i)
              for (int j : {i, 10 + (i * 97 + 31) % 236}) {
                double d = 0;
                for (int c = 0; c < 3; ++c) d += std::pow(double(before[i * 3 + c]) - pal->palette[j * 3 + c], 2);
                (j == i ? sameSlot : otherSlot) += std::sqrt(d);
              }
        }
        before.assign(pal->palette, pal->palette + 768);
      }
      const double mean = sum / truth->outFrameCount;
      std::printf("%s, %s: PSNR mean %.2f dB, lowest %.2f dB, %d palette changes in %d frames (%d entries "
                  "rewritten after the first), entry moves %.1f against %.1f between unrelated entries\n",
                  clip.name, interval ? "a palette per frame" : "one palette", mean, lowest, changes,
                  truth->outFrameCount, changedEntries, sameSlot / 236 / std::max(1, changes - 1),
                  otherSlot / 236 / std::max(1, changes - 1));
      EXPECT_GT(lowest, 28.0) << clip.name;
      if (interval == 0) {
        EXPECT_EQ(changes, 1) << clip.name;
      }
      if (interval == 1) {
        EXPECT_GT(mean, 30.0);
        EXPECT_LT(sameSlot * 4, otherSlot) << clip.name << ": placement keeps entries near their colours";
      }
      GFileClose(truth);
      GFileClose(pal);
    }
  }
}

}  // namespace
