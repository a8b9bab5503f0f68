// The FLIC reader on hand-made files: header rules, every chunk kind, the
// pass over the frames, and damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "flic_bytes.h"
#include "testutil.h"
#include "tol/flic.h"

using namespace flictest;

namespace {

Bytes sequence(uint8_t first, size_t n) {
  Bytes b(n);
  for (size_t i = 0; i < n; i++) b[i] = uint8_t(first + i);
  return b;
}

// The picture part (width x height, packed) of a reader's buffer.
Bytes picture(const TOLFlic* flic, const Bytes& buffer) {
  Bytes out;
  for (int y = 0; y < flic->height; y++)
    out.insert(out.end(), buffer.begin() + y * flic->pitch, buffer.begin() + y * flic->pitch + flic->width);
  return out;
}

struct Opened {
  TOLFlic* flic = nullptr;
  Bytes buffer;
  ~Opened() { TOLFlicClose(flic); }
};

void openBytes(const testutil::TempDir& dir, const Bytes& bytes, Opened& out, const char* name = "a.flc") {
  testutil::writeFile(dir.file(name), bytes);
  out.flic = TOLFlicOpen(dir.file(name).c_str());
  ASSERT_NE(out.flic, nullptr);
  out.buffer.assign(size_t(out.flic->pitch) * out.flic->bufferHeight, 0xEE);
}

struct TimeCase {
  uint16_t type;
  uint32_t speed;
  int32_t exact;
  int32_t frameTime;
};

TEST(FlicReader, FrameTimeFromHeader) {
  const TimeCase cases[] = {
      {0xAF11, 5, 0, -7142},      // FLI: 1/70 s units, 14 frames a second
      {0xAF11, 0, 0, -20000},     // FLI without a speed: 200 ms
      {0xAF12, 0, 0, -20000},     // FLC speed 0 is 200 ms
      {0xAF12, 50, 0, -5000},     // 20 frames a second
      {0xAF12, 30001, 0, -20000}, // too slow to be meant
      {0xAF12, 66, -6667, -6667}, // the exact time agrees with the speed
      {0xAF12, 40, -4000, -4000}, // 25 frames a second
      {0xAF12, 40, -5000, -4000}, // an exact time that disagrees is not taken
      {0xAF12, 40, 6667, -4000},  // nor a positive one
  };
  testutil::TempDir dir;
  for (const TimeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.type << std::dec << " speed " << c.speed << " exact " << c.exact);
    Opened o;
    openBytes(dir, FlicFile(c.type, 4, 4, c.speed, c.exact).frame({}).bytes(), o);
    EXPECT_EQ(o.flic->frameTime, c.frameTime);
  }
}

TEST(FlicReader, HeaderFields) {
  testutil::TempDir dir;
  Opened o;
  FlicFile file(0xAF12, 6, 3, 70);
  file.frame({}).frame({}).frame({});
  openBytes(dir, file.bytes(), o);
  EXPECT_EQ(o.flic->fileSize, file.bytes().size());
  EXPECT_EQ(o.flic->pitch, 8);
  EXPECT_EQ(o.flic->bufferHeight, 4);
  EXPECT_EQ(o.flic->frameCount, 3);
  EXPECT_EQ(o.flic->width, 6);
  EXPECT_EQ(o.flic->height, 3);
  EXPECT_EQ(o.flic->firstFrameOffset, 128u);
  EXPECT_EQ(o.flic->framesDecoded, 0);
  EXPECT_EQ(TOLFlicGetPalette(o.flic), o.flic->palette);
}

TEST(FlicReader, RefusesWhatIsNoFlic) {
  testutil::TempDir dir;
  Bytes wrongType = FlicFile(0xAF13, 4, 4, 10).frame({}).bytes();
  Bytes noWidth = FlicFile(0xAF12, 0, 4, 10).frame({}).bytes();
  Bytes shortHeader(127, 0);
  put16(shortHeader, 4, 0xAF12);
  for (const Bytes* b : {&wrongType, &noWidth, &shortHeader}) {
    testutil::writeFile(dir.file("x.flc"), *b);
    EXPECT_EQ(TOLFlicOpen(dir.file("x.flc").c_str()), nullptr);
  }
  EXPECT_EQ(TOLFlicOpen(dir.file("missing.flc").c_str()), nullptr);
  EXPECT_EQ(TOLFlicOpen(nullptr), nullptr);
}

TEST(FlicReader, NameWithoutExtensionTriesFlcThenFli) {
  testutil::TempDir dir;
  testutil::writeFile(dir.file("anim.fli"), FlicFile(0xAF11, 4, 4, 5).frame({}).bytes());
  TOLFlic* flic = TOLFlicOpen(dir.file("anim").c_str());
  ASSERT_NE(flic, nullptr);
  char name[TOLFILE_NAME_SIZE];
  EXPECT_EQ(std::string(TOLFlicGetName(flic, name)), dir.file("anim.fli"));
  EXPECT_EQ(std::string(name), dir.file("anim.fli"));
  TOLFlicClose(flic);

  testutil::writeFile(dir.file("anim.flc"), FlicFile(0xAF12, 4, 4, 5).frame({}).bytes());
  flic = TOLFlicOpen(dir.file("anim").c_str());
  ASSERT_NE(flic, nullptr);
  EXPECT_EQ(std::string(TOLFlicGetName(flic, nullptr)), dir.file("anim.flc"));
  TOLFlicClose(flic);
  EXPECT_EQ(TOLFlicGetName(nullptr, name), nullptr);
}

struct ChunkCase {
  const char* name;
  uint16_t width, height;
  std::vector<Chunk> frames;  // one chunk a frame
  Bytes expected;             // the picture after the last frame
};

TEST(FlicReader, PixelChunks) {
  const Bytes base6x3 = sequence(1, 18);
  const Bytes base5x3 = sequence(1, 15);
  const ChunkCase cases[] = {
      {"byte run", 6, 3,
       {{15, {0, 3, 7, neg(3), 1, 2, 3, /**/ 0, 6, 9, /**/ 0, neg(6), 1, 2, 3, 4, 5, 6}}},
       {7, 7, 7, 1, 2, 3, 9, 9, 9, 9, 9, 9, 1, 2, 3, 4, 5, 6}},
      {"byte run clipped at the width", 6, 3,
       {{15, {0, 8, 7, /**/ 0, neg(7), 1, 2, 3, 4, 5, 6, 7, /**/ 0, 2, 1, neg(4), 2, 3, 4, 5}}},
       {7, 7, 7, 7, 7, 7, 1, 2, 3, 4, 5, 6, 1, 1, 2, 3, 4, 5}},
      {"copy", 6, 3, {{16, base6x3}}, base6x3},
      {"black", 6, 3, {{16, base6x3}, {13, {}}}, Bytes(18, 0)},
      {"byte delta", 6, 3,
       {{16, base6x3}, {12, {1, 0, 2, 0, /**/ 2, 1, 2, 50, 51, 1, neg(2), 60, /**/ 0}}},
       {1, 2, 3, 4, 5, 6, 7, 50, 51, 10, 60, 60, 13, 14, 15, 16, 17, 18}},
      {"word delta with skips and the last byte of an odd row", 5, 3,
       {{16, base5x3},
        {7, {2, 0, /**/ 0xFF, 0xFF, 99, 0x80, 1, 0, 2, neg(1), 70, 71, /**/ 2, 0, 0, 1, 80, 81, 0, neg(2), 90, 91}}},
       {1, 2, 3, 4, 5, 6, 7, 70, 71, 99, 80, 81, 90, 91, 90}},
      {"unknown kinds are passed over", 6, 3, {{18, {1, 2, 3}}, {16, base6x3}, {99, {}}}, base6x3},
      {"data cut short draws what is there", 6, 3, {{16, sequence(1, 8)}},
       {1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  testutil::TempDir dir;
  for (const ChunkCase& c : cases) {
    SCOPED_TRACE(c.name);
    FlicFile file(0xAF12, c.width, c.height, 10);
    for (const Chunk& chunk : c.frames) file.frame({chunk});
    Opened o;
    openBytes(dir, file.bytes(), o);
    for (size_t k = 0; k < c.frames.size(); k++) EXPECT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 1);
    EXPECT_EQ(picture(o.flic, o.buffer), c.expected);
    // Everything outside the picture is 0.
    Bytes margins = o.buffer;
    for (int y = 0; y < o.flic->height; y++) std::memset(&margins[y * o.flic->pitch], 0, o.flic->width);
    EXPECT_EQ(margins, Bytes(margins.size(), 0));
  }
}

TEST(FlicReader, PaletteChunks) {
  Bytes full = {1, 0, 0, 0};  // one packet of 256 entries
  for (int i = 0; i < 768; i++) full.push_back(uint8_t(i % 251));
  testutil::TempDir dir;
  FlicFile file(0xAF12, 4, 4, 10);
  file.frame({{4, full}})
      .frame({{11, {2, 0, /**/ 0, 1, 63, 32, 0, /**/ 1, 1, 1, 2, 3}}})
      .frame({{16, Bytes(16, 5)}})
      .frame({{11, {1, 0, 254, 5, 10, 20, 30, 40, 50, 60}}});  // entries past 255 are dropped
  Opened o;
  openBytes(dir, file.bytes(), o);
  const uint8_t* pal = TOLFlicGetPalette(o.flic);

  EXPECT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 2);
  EXPECT_EQ(pal[3 * 255 + 2], uint8_t(767 % 251));
  EXPECT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 2);
  EXPECT_EQ(Bytes(pal, pal + 9), (Bytes{255, 130, 0, 3, 4, 5, 4, 8, 12}));
  EXPECT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 1);
  EXPECT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 2);
  EXPECT_EQ(Bytes(pal + 3 * 254, pal + 768), (Bytes{40, 81, 121, 162, 203, 243}));

  EXPECT_EQ(TOLFlicGoto(o.flic, 2, o.buffer.data()), 2);  // a palette on the way
  EXPECT_EQ(TOLFlicGoto(o.flic, 3, o.buffer.data()), 1);
}

// Four frames, each a copy of its number; the fifth stored frame (the ring
// frame) must never be shown.
Bytes numberedFrames(uint16_t type) {
  FlicFile file(type, 4, 2, 10);
  for (uint8_t k = 1; k <= 5; k++) file.frame({{16, Bytes(8, k)}});
  put16(file.bytes(), 6, 4);
  if (type == 0xAF11) put32(file.bytes(), 80, 0);  // not looked at in a FLI
  return file.bytes();
}

TEST(FlicReader, PassesStartOverAtFrameOne) {
  testutil::TempDir dir;
  for (uint16_t type : {0xAF11, 0xAF12}) {
    Opened o;
    openBytes(dir, numberedFrames(type), o);
    std::vector<int> shown;
    for (int k = 0; k < 9; k++) {
      ASSERT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 1);
      shown.push_back(o.buffer[0]);
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4, 1, 2, 3, 4, 1}));
    EXPECT_EQ(o.flic->framesDecoded, 1);
    EXPECT_EQ(o.flic->frameDataSize, 6u + 8u);

    EXPECT_EQ(TOLFlicGoto(o.flic, 3, o.buffer.data()), 1);
    EXPECT_EQ(o.buffer[0], 3);
    EXPECT_EQ(TOLFlicGoto(o.flic, 2, o.buffer.data()), 1);  // behind: starts over
    EXPECT_EQ(o.buffer[0], 2);
    EXPECT_EQ(TOLFlicGoto(o.flic, 99, o.buffer.data()), 1);  // lowered to the last frame
    EXPECT_EQ(o.buffer[0], 4);
    EXPECT_EQ(TOLFlicGoto(o.flic, 0, o.buffer.data()), 1);
    EXPECT_EQ(o.flic->framesDecoded, 0);
    EXPECT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 1);
    EXPECT_EQ(o.buffer[0], 1);
  }
}

TEST(FlicReader, DamagedFiles) {
  testutil::TempDir dir;
  Bytes whole = numberedFrames(0xAF12);
  {
    // Cut inside frame 3's header: frames 1 and 2 play, then nothing changes.
    Bytes cut(whole.begin(), whole.begin() + 128 + 2 * 30 + 10);
    Opened o;
    openBytes(dir, cut, o);
    EXPECT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 1);
    EXPECT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 1);
    EXPECT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 1);
    EXPECT_EQ(o.buffer[0], 2);
    EXPECT_EQ(TOLFlicGoto(o.flic, 4, o.buffer.data()), 0);
    EXPECT_EQ(TOLFlicGoto(o.flic, 2, o.buffer.data()), 1);
  }
  {
    // A frame claiming more bytes than the file holds is passed over.
    Bytes big = whole;
    put32(big, 128, 0x7FFFFFFF);
    Opened o;
    openBytes(dir, big, o);
    EXPECT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 1);
    EXPECT_EQ(o.buffer[0], 0);
  }
  {
    // Chunk sizes below a chunk header or past the frame stop at the frame.
    Bytes sizes = whole;
    put32(sizes, 128 + 16, 0xFFFFFFF0);
    put32(sizes, 128 + 30 + 16, 2);
    Opened o;
    openBytes(dir, sizes, o);
    EXPECT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 1);
    EXPECT_EQ(o.buffer[0], 1);
    EXPECT_EQ(TOLFlicGetNext(o.flic, o.buffer.data()), 1);
    EXPECT_EQ(o.buffer[0], 1);
  }
  EXPECT_EQ(TOLFlicGetNext(nullptr, nullptr), 0);
  EXPECT_EQ(TOLFlicGoto(nullptr, 1, nullptr), 0);
  EXPECT_EQ(TOLFlicGetPalette(nullptr), nullptr);
  TOLFlicClose(nullptr);
}

}  // namespace
