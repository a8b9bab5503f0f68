// The FLIC writer, read back through the reader: pixels and palettes of every
// frame come back, each frame in the encoding its content calls for, and the
// header and ring frame are as stored files expect.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "flic_bytes.h"
#include "flic_clip.h"
#include "testutil.h"
#include "tol/flic.h"

using namespace flictest;

namespace {

struct Frame {
  Bytes pixels;
  Bytes palette;  // empty: none passed
};

struct Clip {
  uint16_t width, height;
  std::vector<Frame> frames;
};

Clip moving(uint16_t w, uint16_t h, uint32_t n) {
  Clip c{w, h, {}};
  for (uint32_t k = 0; k < n; k++) {
    ClipFrame f = clipFrame(w, h, k);
    c.frames.push_back({f.pixels, f.palette});
  }
  return c;
}

Clip noise(uint16_t w, uint16_t h, uint32_t n) {
  std::mt19937 rng(w * 1000 + h);
  Clip c{w, h, {}};
  for (uint32_t k = 0; k < n; k++) {
    Bytes p(size_t(w) * h);
    for (auto& b : p) b = uint8_t(rng());
    c.frames.push_back({p, k == 0 ? clipFrame(4, 4, 0).palette : Bytes()});
  }
  return c;
}

// Writes the clip; checks the create and that close reports the size of the
// file (stored under the name, or `stored` when the writer adds an extension).
Bytes writeClip(const std::string& name, const Clip& clip, int32_t speed = 40, std::string stored = "") {
  TOLOFlic* w = TOLOFlicCreate(name.c_str(), clip.width, clip.height, speed);
  EXPECT_NE(w, nullptr);
  if (!w) return {};
  for (const Frame& f : clip.frames)
    EXPECT_EQ(TOLOFlicPutNext(w, f.pixels.data(), f.palette.empty() ? nullptr : f.palette.data()), 1);
  EXPECT_EQ(w->error, 0);
  const uint32_t size = TOLOFlicClose(w);
  Bytes bytes = testutil::readFile(stored.empty() ? name : stored);
  EXPECT_EQ(size, bytes.size());
  return bytes;
}

// Reads every frame back and compares pixels and palettes.
void expectReadBack(const std::string& name, const Clip& clip) {
  TOLFlic* r = TOLFlicOpen(name.c_str());
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->frameCount, int32_t(clip.frames.size()));
  Bytes buffer(size_t(r->pitch) * r->bufferHeight);
  Bytes palette(768, 0);
  for (size_t k = 0; k < clip.frames.size(); k++) {
    const Frame& f = clip.frames[k];
    const bool paletteChanges = !f.palette.empty() && f.palette != palette;
    EXPECT_EQ(TOLFlicGetNext(r, buffer.data()), paletteChanges ? 2 : 1) << "frame " << k;
    if (!f.palette.empty()) palette = f.palette;
    for (uint32_t y = 0; y < clip.height; y++)
      ASSERT_EQ(0, std::memcmp(&buffer[y * r->pitch], &f.pixels[y * clip.width], clip.width))
          << "frame " << k << " row " << y;
    ASSERT_EQ(Bytes(r->palette, r->palette + 768), palette) << "frame " << k;
  }
  TOLFlicClose(r);
}

using Kinds = std::vector<uint16_t>;

struct RoundTrip {
  const char* name;
  Clip clip;
  std::vector<Kinds> kinds;  // expected chunk kinds of the first frames (empty: not checked)
};

Clip withRepeatAndPaletteEdit(Clip c) {
  c.frames[4] = c.frames[3];
  c.frames[4].palette.clear();
  Frame edited = c.frames[5];
  edited.palette = c.frames[5].palette;
  for (int e : {3, 4, 5, 250}) edited.palette[3 * e] ^= 0x55;
  edited.pixels = c.frames[4].pixels;
  c.frames[5] = edited;
  return c;
}

Clip farChange(uint16_t w, uint16_t h) {
  Clip c{w, h, {}};
  for (const Bytes& p : farChangeFrames(w, h)) c.frames.push_back({p, Bytes()});
  return c;
}

TEST(FlicWriter, RoundTrips) {
  const RoundTrip cases[] = {
      {"320 x 200 uses byte deltas", withRepeatAndPaletteEdit(moving(320, 200, 12)),
       {{4, 15}, {12}, {12}, {12}, {}, {4}, {4, 12}, {12}, {12}, {12}, {4, 12}, {12}}},
      {"other sizes use word deltas", moving(64, 48, 12), {{4, 15}, {7}}},
      {"640 x 480", moving(640, 480, 3), {{4, 15}, {7}, {7}}},
      {"one frame: the ring frame is empty", moving(8, 8, 1), {{4, 15}, {}}},
      {"noise is stored as it is", noise(16, 8, 3), {{4, 16}, {16}, {16}}},
      {"2 x 1", noise(2, 1, 3), {{4, 16}, {16}, {16}}},
      {"far changes, 320 x 200", farChange(320, 200), {{15}, {12}, {12}}},
      {"far changes, 640 x 4", farChange(640, 4), {{15}, {7}, {7}}},
      {"tall", moving(6, 700, 3), {}},
  };
  testutil::TempDir dir;
  std::set<uint16_t> seen;
  bool emptyFrameSeen = false;
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = dir.file("rt.flc");
    const Bytes bytes = writeClip(name, c.clip);
    expectReadBack(name, c.clip);
    const auto kinds = chunkKinds(bytes);
    ASSERT_EQ(kinds.size(), c.clip.frames.size() + 1);  // and the ring frame
    for (size_t k = 0; k < c.kinds.size(); k++) EXPECT_EQ(kinds[k], c.kinds[k]) << "frame " << k;
    for (const Kinds& f : kinds) {
      seen.insert(f.begin(), f.end());
      emptyFrameSeen |= f.empty();
    }
  }
  EXPECT_EQ(seen, (std::set<uint16_t>{4, 7, 12, 15, 16}));
  EXPECT_TRUE(emptyFrameSeen);
}

struct HeaderCase {
  uint16_t width, height;
  int32_t speed;
  uint32_t speedField;
  int32_t exactField;
  int32_t frameTime;  // as read back
  uint16_t aspectX, aspectY;
};

TEST(FlicWriter, Header) {
  const HeaderCase cases[] = {
      {320, 200, -6667, 66, -6667, -6667, 6, 5},
      {640, 480, 50, 50, 0, -5000, 1, 1},
      {64, 48, -4000, 40, -4000, -4000, 1, 1},
      {64, 48, 0, 0, 0, -20000, 1, 1},
  };
  testutil::TempDir dir;
  for (const HeaderCase& c : cases) {
    SCOPED_TRACE(c.speed);
    const Clip clip = moving(c.width, c.height, 3);
    const Bytes b = writeClip(dir.file("h"), clip, c.speed, dir.file("h.flc"));
    ASSERT_FALSE(std::filesystem::exists(dir.file("h")));
    ASSERT_GE(b.size(), 128u);
    EXPECT_EQ(get32(b, 0), b.size());
    EXPECT_EQ(get16(b, 4), 0xAF12u);
    EXPECT_EQ(get16(b, 6), 3u);
    EXPECT_EQ(get16(b, 8), c.width);
    EXPECT_EQ(get16(b, 10), c.height);
    EXPECT_EQ(get16(b, 12), 8u);
    EXPECT_EQ(get16(b, 14), 3u);
    EXPECT_EQ(get32(b, 16), c.speedField);
    EXPECT_EQ(int32_t(get32(b, 26)), c.exactField);
    EXPECT_EQ(get16(b, 38), c.aspectX);
    EXPECT_EQ(get16(b, 40), c.aspectY);
    EXPECT_EQ(get32(b, 80), 128u);
    EXPECT_EQ(get32(b, 84), 128u + get32(b, 128));
    TOLFlic* r = TOLFlicOpen(dir.file("h.flc").c_str());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->frameTime, c.frameTime);
    TOLFlicClose(r);
  }
}

TEST(FlicWriter, RefusedSizes) {
  testutil::TempDir dir;
  const std::string name = dir.file("x.flc");
  for (auto [w, h] : {std::pair{321, 200}, {0, 10}, {10, 0}, {-2, 10}, {65536, 2}, {2, 65536}})
    EXPECT_EQ(TOLOFlicCreate(name.c_str(), w, h, 40), nullptr) << w << " x " << h;
  EXPECT_EQ(TOLOFlicCreate(nullptr, 2, 2, 40), nullptr);
  EXPECT_EQ(TOLOFlicCreate(dir.file("no/such/folder.flc").c_str(), 2, 2, 40), nullptr);
  EXPECT_EQ(TOLOFlicPutNext(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(TOLOFlicClose(nullptr), 0u);
}

// The ring frame leads from the last frame back to frame 1 and keeps the
// last palette: shown as a frame of its own, it is frame 1's picture in the
// last frame's colours.
TEST(FlicWriter, RingFrame) {
  testutil::TempDir dir;
  const std::string name = dir.file("ring.flc");
  const Clip clip = moving(64, 48, 12);  // the palette turns at frame 10
  Bytes b = writeClip(name, clip);
  const auto kinds = chunkKinds(b);
  EXPECT_EQ(kinds.back(), Kinds{7});

  put16(b, 6, get16(b, 6) + 1);  // make the ring frame one to show
  testutil::writeFile(name, b);
  TOLFlic* r = TOLFlicOpen(name.c_str());
  ASSERT_NE(r, nullptr);
  Bytes buffer(size_t(r->pitch) * r->bufferHeight);
  EXPECT_EQ(TOLFlicGoto(r, 13, buffer.data()), 2);
  EXPECT_EQ(buffer, clip.frames[0].pixels);  // 64 wide: no margins
  EXPECT_EQ(Bytes(r->palette, r->palette + 768), clip.frames[11].palette);
  EXPECT_NE(clip.frames[11].palette, clip.frames[0].palette);
  TOLFlicClose(r);
}

TEST(FlicWriter, NoFrames) {
  testutil::TempDir dir;
  const Bytes none = writeClip(dir.file("none.flc"), Clip{8, 8, {}});
  EXPECT_EQ(none.size(), 128u);
  EXPECT_EQ(get16(none, 6), 0u);
}

TEST(FlicWriter, WriteErrorsAreReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  testutil::TempDir dir;
  const std::string name = dir.file("full.flc");
  std::filesystem::create_symlink("/dev/full", name);
  const Clip clip = noise(640, 480, 2);
  TOLOFlic* w = TOLOFlicCreate(name.c_str(), 640, 480, 40);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(TOLOFlicPutNext(w, clip.frames[0].pixels.data(), nullptr), 0);
  EXPECT_EQ(w->error, 1);
  EXPECT_EQ(TOLOFlicPutNext(w, clip.frames[1].pixels.data(), nullptr), 0);
  TOLOFlicClose(w);
}

}  // namespace
