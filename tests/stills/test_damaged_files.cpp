// Damaged, hostile and mismatched input: every call either succeeds or says
// no, and stays inside the caller's buffer, whose pixels are a heap block of
// exactly pitch x height bytes (the address sanitizer watches its edges).
#include <filesystem>

#include "still_test_util.h"
#include "testutil.h"

using tol::StillFormat;
using tol::StillInfo;
using namespace stilltest;

namespace {

struct Kind {
  StillFormat format;
  const char* extension;
  bool ours;  // read by our own code, which refuses pixel data cut short
};
const Kind kKinds[] = {
    {StillFormat::Bmp, "bmp", true},   {StillFormat::Pcx, "pcx", true},  {StillFormat::Tga, "tga", true},
    {StillFormat::Png, "png", false},  {StillFormat::Tif, "tif", false}, {StillFormat::Gif, "gif", false},
    {StillFormat::Jpeg, "jpg", false},
};

class DamagedFile : public ::testing::TestWithParam<Kind> {};

// Files of ours cut at many lengths: the header calls and the loader never
// go past what is there; our own readers refuse missing pixels (the
// libraries may deliver what they got).
TEST_P(DamagedFile, CutShort) {
  const Kind& kind = GetParam();
  testutil::TempDir dir;
  const std::string whole = dir.file(std::string("whole.") + kind.extension);
  const int32_t bits = kind.format == StillFormat::Gif ? 8 : 24;
  ASSERT_TRUE(tol::stillImageSave(kind.format, whole.c_str(), pattern(29, 17, bits).image()));
  const std::vector<uint8_t> bytes = testutil::readFile(whole);
  const std::string cut = dir.file(std::string("cut.") + kind.extension);
  for (size_t length : {size_t(0), size_t(1), size_t(12), size_t(17), size_t(18), size_t(54), size_t(128),
                        bytes.size() / 2, bytes.size() - 800, bytes.size() - 1}) {
    if (length >= bytes.size()) continue;
    SCOPED_TRACE(length);
    testutil::writeFile(cut, std::vector<uint8_t>(bytes.begin(), bytes.begin() + length));
    StillInfo info{};
    tol::stillImageInfo(kind.format, cut.c_str(), info);
    Buffer b(29, 17, bits);
    const bool loaded = tol::stillImageLoad(kind.format, cut.c_str(), b.image());
    if (kind.ours && length + 3 < bytes.size()) {  // a BMP may lack its last row's padding
      EXPECT_FALSE(loaded);
    }
  }
}

// Files of ours with bytes changed all over (the header more often): whatever
// the readers and the libraries make of them, nothing is written outside the
// buffer and nothing is left allocated (the leak checker runs at exit).
TEST_P(DamagedFile, BytesChanged) {
  const Kind& kind = GetParam();
  testutil::TempDir dir;
  const std::string whole = dir.file(std::string("whole.") + kind.extension);
  for (int32_t bits : {8, 24}) {
    if (bits == 24 && kind.format == StillFormat::Gif) continue;
    ASSERT_TRUE(tol::stillImageSave(kind.format, whole.c_str(), pattern(29, 17, bits).image()));
    const std::vector<uint8_t> bytes = testutil::readFile(whole);
    const std::string changed = dir.file(std::string("changed.") + kind.extension);
    for (uint32_t round = 0; round < 60; ++round) {
      std::vector<uint8_t> file = bytes;
      for (uint32_t k = 0; k <= round % 4; ++k) {
        const size_t at = (round * 7919u + k * 104729u) % (round < 30 ? std::min<size_t>(file.size(), 64) : file.size());
        file[at] = static_cast<uint8_t>(file[at] ^ (0x5B + 17 * round + k));
      }
      testutil::writeFile(changed, file);
      StillInfo info{};
      tol::stillImageInfo(kind.format, changed.c_str(), info);
      Buffer b(29, 17, kind.format == StillFormat::Jpeg ? 24 : bits);
      tol::stillImageLoad(kind.format, changed.c_str(), b.image());
    }
  }
}

// A buffer that does not fit the file is refused before anything is read
// into it.
TEST_P(DamagedFile, BufferMustFit) {
  const Kind& kind = GetParam();
  testutil::TempDir dir;
  const std::string name = dir.file(std::string("pic.") + kind.extension);
  const int32_t bits = kind.format == StillFormat::Jpeg ? 24 : 8;
  ASSERT_TRUE(tol::stillImageSave(kind.format, name.c_str(), pattern(20, 10, 8).image()));
  struct Mismatch {
    int32_t width, height, bits, pitchChange;
  };
  for (const Mismatch m : {Mismatch{21, 10, bits, 0}, Mismatch{20, 9, bits, 0}, Mismatch{20, 10, 16, 0},
                           Mismatch{20, 10, 24, -8}, Mismatch{20, 10, bits, -1000}}) {
    Buffer b(m.width, m.height, m.bits);
    b.image().pitch += m.pitchChange;
    EXPECT_FALSE(tol::stillImageLoad(kind.format, name.c_str(), b.image()))
        << m.width << "x" << m.height << " at " << m.bits << " bits, pitch " << b.image().pitch;
  }
  Buffer b(20, 10, bits);
  b.image().pixels = nullptr;
  EXPECT_FALSE(tol::stillImageLoad(kind.format, name.c_str(), b.image()));
  StillInfo info{};
  EXPECT_FALSE(tol::stillImageInfo(kind.format, dir.file("missing.x").c_str(), info));
  EXPECT_FALSE(tol::stillImageInfo(kind.format, dir.path().c_str(), info));
  EXPECT_FALSE(tol::stillImageLoad(kind.format, dir.file("missing.x").c_str(), b.image()));
}

// A true-colour file cannot be read into an 8-bit buffer.
TEST_P(DamagedFile, NoTrueColourIntoIndices) {
  const Kind& kind = GetParam();
  if (kind.format == StillFormat::Gif) GTEST_SKIP() << "GIF holds indices only";
  testutil::TempDir dir;
  const std::string name = dir.file(std::string("pic.") + kind.extension);
  ASSERT_TRUE(tol::stillImageSave(kind.format, name.c_str(), pattern(20, 10, 24).image()));
  Buffer b(20, 10, 8);
  EXPECT_FALSE(tol::stillImageLoad(kind.format, name.c_str(), b.image()));
}

INSTANTIATE_TEST_SUITE_P(Formats, DamagedFile, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& info) { return info.param.extension; });

std::vector<uint8_t> le(uint32_t v, int bytes) {
  std::vector<uint8_t> out;
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
  return out;
}

// A BMP header of the given size and depth with the pixel bytes after a
// palette of `colours` entries.
std::vector<uint8_t> bmp(int32_t width, int32_t height, int bits, int compression, int colours,
                         const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> b = {'B', 'M'};
  auto add = [&b](const std::vector<uint8_t>& v) { b.insert(b.end(), v.begin(), v.end()); };
  add(le(0, 4)), add(le(0, 4)), add(le(uint32_t(54 + 4 * colours), 4));
  add(le(40, 4)), add(le(uint32_t(width), 4)), add(le(uint32_t(height), 4)), add(le(1, 2)), add(le(bits, 2));
  add(le(compression, 4)), add(le(0, 4)), add(le(0, 4)), add(le(0, 4)), add(le(colours, 4)), add(le(0, 4));
  for (int i = 0; i < colours; ++i) add({uint8_t(i + 1), uint8_t(i + 2), uint8_t(i + 3), 0});
  add(pixels);
  return b;
}

// Hostile headers and codes of our own readers: sizes that would need huge
// buffers are refused without one; codes that run outside the picture are
// dropped; indices past the colour table give colours of the full table.
TEST(HostileStill, OwnReadersStayInside) {
  testutil::TempDir dir;
  const std::string name = dir.file("x");
  struct Case {
    const char* what;
    StillFormat format;
    std::vector<uint8_t> file;
    int32_t width, height;
    bool loads;
  };
  std::vector<uint8_t> tgaHuge(18, 0), tgaZero(18, 0), pcxHuge(128, 0);
  tgaHuge[2] = 2, tgaHuge[12] = 0xFF, tgaHuge[13] = 0xFF, tgaHuge[14] = 0xFF, tgaHuge[15] = 0xFF, tgaHuge[16] = 24;
  tgaZero[2] = 2, tgaZero[14] = 5, tgaZero[16] = 24;
  pcxHuge[0] = 10, pcxHuge[1] = 5, pcxHuge[2] = 1, pcxHuge[3] = 8, pcxHuge[8] = pcxHuge[9] = pcxHuge[10] =
      pcxHuge[11] = 0xFF;
  pcxHuge[65] = 3, pcxHuge[66] = pcxHuge[67] = 0xFF;
  const std::vector<Case> cases = {
      {"bmp 100000 square", StillFormat::Bmp, bmp(100000, 100000, 24, 0, 0, {}), 100000, 100000, false},
      {"bmp 5000 wide", StillFormat::Bmp, bmp(5000, 1, 24, 0, 0, std::vector<uint8_t>(15000)), 5000, 1, false},
      {"bmp height -2^31", StillFormat::Bmp, bmp(4, INT32_MIN, 24, 0, 0, {}), 4, 1, false},
      {"rle8 runs past the right edge and the top", StillFormat::Bmp,
       bmp(3, 2, 8, 1, 2, {0xFF, 1, 0, 2, 200, 200, 0, 0, 0xFF, 1, 0, 0, 0xFF, 1, 0, 3, 1, 2}), 3, 2, true},
      {"rle8 literal run past the end", StillFormat::Bmp, bmp(3, 2, 8, 1, 2, {0, 200, 1, 1}), 3, 2, true},
      {"rle4 delta far away", StillFormat::Bmp, bmp(5, 5, 4, 2, 16, {0, 2, 255, 255, 4, 0x12}), 5, 5, true},
      {"8-bit indices past a 2-colour table", StillFormat::Bmp, bmp(4, 1, 8, 0, 2, {0, 1, 200, 255}), 4, 1, true},
      {"tga 65535 square", StillFormat::Tga, tgaHuge, 65535, 65535, false},
      {"tga of height 0", StillFormat::Tga, tgaZero, 0, 5, false},
      {"pcx 65536 square", StillFormat::Pcx, pcxHuge, 65536, 65536, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testutil::writeFile(name, c.file);
    StillInfo info{};
    if (tol::stillImageInfo(c.format, name.c_str(), info)) {
      EXPECT_EQ(info.width, c.width);
      EXPECT_EQ(info.height, c.height);
    }
    Buffer b(std::clamp(c.width, 1, 64), std::clamp(c.height, 1, 64), 24);
    EXPECT_EQ(tol::stillImageLoad(c.format, name.c_str(), b.image()), c.loads);
    if (c.loads) {
      const std::vector<uint8_t> rgb = topDownRgb(b.image());
      EXPECT_EQ(rgb.size(), size_t(c.width) * c.height * 3);
    }
  }
}

}  // namespace
