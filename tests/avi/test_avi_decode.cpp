// Hand-made files through the reader: the index kinds (OpenDML aside, which
// the writer's files cover), 'rec ' groups, top-down and bottom-up pictures
// of every depth, dropped frames, RLE8 key and delta frames, palette changes,
// Motion-JPEG frames without Huffman tables and with two fields; and damaged
// copies that must fail cleanly.
#include <cstring>

#include "media/avi_file.h"
#include "media/mjpeg_encoder.h"
#include "riff_builder.h"
#include "testutil.h"

namespace {

using namespace tol;
using avitest::Chunk;
using avitest::Index;
using Pixels = std::vector<uint8_t>;

struct DecodeCase {
  const char* name;
  std::vector<uint8_t> format;
  std::vector<Chunk> chunks;
  Index index;
  bool recLists;
  int bits;                     // of the frames the getter gives
  std::vector<Pixels> frames;   // expected pixels, bottom-up, rows padded
  Pixels lastTable;             // expected start of the last frame's colour table
};

Pixels bytes(std::initializer_list<int> v) { return Pixels(v.begin(), v.end()); }

std::vector<DecodeCase> decodeCases() {
  std::vector<DecodeCase> cases;
  // 2 x 2 pixels, 24 bits, rows top-down in the file; absolute idx1 offsets.
  Pixels top = bytes({1, 2, 3, 4, 5, 6, 0, 0}), bottom = bytes({7, 8, 9, 10, 11, 12, 0, 0});
  Pixels topDown = top, bottomUp = bottom;
  topDown.insert(topDown.end(), bottom.begin(), bottom.end());
  bottomUp.insert(bottomUp.end(), top.begin(), top.end());
  cases.push_back({"top_down_24", avitest::bitmapFormat(2, -2, 24, 0), {{"00db", topDown}, {"00db", bottomUp}},
                   Index::Idx1Absolute, false, 24, {bottomUp, topDown}, {}});
  // 16 bits, no index (the 'movi' list is scanned), chunks in 'rec ' groups.
  Pixels a16 = bytes({1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
  Pixels b16 = bytes({0xFF, 0x7F, 0, 0, 1, 0, 0, 0, 2, 0, 3, 0, 4, 0, 0, 0});
  cases.push_back({"scanned_16_rec", avitest::bitmapFormat(3, 2, 16, 0),
                   {{"00db", a16}, {"00db", b16}, {"00db", a16}}, Index::None, true, 16, {a16, b16, a16}, {}});
  // 32 bits with a dropped (empty) frame that repeats the one before.
  Pixels a32 = bytes({1, 2, 3, 0, 4, 5, 6, 0}), b32 = bytes({9, 9, 9, 0, 8, 8, 8, 0});
  cases.push_back({"dropped_frame_32", avitest::bitmapFormat(2, 1, 32, 0),
                   {{"00db", a32}, {"00db", {}, 0}, {"00db", b32}}, Index::Idx1FromMovi, false, 32, {a32, a32, b32}, {}});
  // RLE8, 4 x 3: a key frame, then a delta frame that moves over pixels.
  Pixels key = bytes({4, 1, 0, 0, 0, 4, 5, 6, 7, 8, 0, 0, 2, 9, 2, 3, 0, 1});
  Pixels delta = bytes({0, 2, 1, 1, 2, 4, 0, 1});
  Pixels keyPic = bytes({1, 1, 1, 1, 5, 6, 7, 8, 9, 9, 3, 3});
  Pixels deltaPic = bytes({1, 1, 1, 1, 5, 4, 4, 8, 9, 9, 3, 3});
  cases.push_back({"rle8_key_and_delta", avitest::bitmapFormat(4, 3, 8, 1, 16),
                   {{"00dc", key}, {"00dc", delta, 0}, {"00dc", key}}, Index::Idx1FromMovi, false, 8,
                   {keyPic, deltaPic, keyPic}, {}});
  // 8 bits, a palette change between the frames, no index.
  Pixels change = bytes({1, 1, 0, 0, 10, 20, 30, 0});  // entry 1 becomes red 10, green 20, blue 30
  cases.push_back({"palette_change_scanned", avitest::bitmapFormat(4, 1, 8, 0, 2),
                   {{"00db", bytes({0, 1, 1, 0})}, {"00pc", change}, {"00db", bytes({1, 0, 0, 1})}}, Index::None,
                   false, 8, {bytes({0, 1, 1, 0}), bytes({1, 0, 0, 1})}, bytes({0, 255, 0, 0, 30, 20, 10, 0})});
  return cases;
}

class AviDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(AviDecode, GivesTheFramesBottomUp) {
  const DecodeCase& c = GetParam();
  std::vector<uint8_t> file = avitest::makeAvi(c.format, c.chunks, c.index, c.recLists);
  AVIFile* f = AVIFileOpenMemory(file.data(), file.size());
  ASSERT_NE(f, nullptr);
  AVIStream* s = AVIFileGetStream(f, kStreamTypeVideo, 0);
  AVIFileRelease(f);
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(AVIStreamLength(s), int(c.frames.size()));
  AVIGetFrame* g = AVIStreamGetFrameOpen(s, nullptr);
  ASSERT_NE(g, nullptr);
  // Forwards, then backwards, so that delta frames are decoded from their key.
  for (int pass = 0; pass < 2; ++pass)
    for (size_t k = 0; k < c.frames.size(); ++k) {
      size_t i = pass ? c.frames.size() - 1 - k : k;
      SCOPED_TRACE(i);
      const BitmapInfoHeader* h = AVIStreamGetFrame(g, int32_t(i));
      ASSERT_NE(h, nullptr);
      EXPECT_EQ(h->bitCount, c.bits);
      EXPECT_GT(h->height, 0);
      const auto* table = reinterpret_cast<const uint8_t*>(h + 1);
      const uint8_t* pixels = table + (c.bits == 8 ? 1024 : 0);
      EXPECT_EQ(Pixels(pixels, pixels + h->sizeImage), c.frames[i]);
      if (i + 1 == c.frames.size() && !c.lastTable.empty())
        EXPECT_EQ(Pixels(table, table + c.lastTable.size()), c.lastTable);
    }
  EXPECT_EQ(AVIStreamGetFrame(g, int32_t(c.frames.size())), nullptr);
  EXPECT_EQ(AVIStreamGetFrame(g, -1), nullptr);
  AVIStreamGetFrameClose(g);
  AVIStreamRelease(s);
}

INSTANTIATE_TEST_SUITE_P(Files, AviDecode, ::testing::ValuesIn(decodeCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AviDecode, ConvertsToTheDepthAskedFor) {
  Pixels white = bytes({0xFF, 0x7F, 0x00, 0x7C});  // 5-5-5: white, red
  std::vector<uint8_t> file =
      avitest::makeAvi(avitest::bitmapFormat(2, 1, 16, 0), {{"00db", white}}, Index::Idx1FromMovi);
  AVIFile* f = AVIFileOpenMemory(file.data(), file.size());
  AVIStream* s = AVIFileGetStream(f, kStreamTypeVideo, 0);
  AVIFileRelease(f);
  BitmapInfoHeader want{};
  want.bitCount = 32;
  AVIGetFrame* g = AVIStreamGetFrameOpen(s, &want);
  ASSERT_NE(g, nullptr);
  const BitmapInfoHeader* h = AVIStreamGetFrame(g, 0);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(h->bitCount, 32);
  const auto* p = reinterpret_cast<const uint8_t*>(h + 1);
  EXPECT_EQ(Pixels(p, p + 8), bytes({255, 255, 255, 0, 0, 0, 255, 0}));
  AVIStreamGetFrameClose(g);
  AVIStreamRelease(s);
}

// Pictures of w x h, 24 bits, bottom-up, for the Motion-JPEG cases.
Pixels gradient(int w, int h, int seed) {
  Pixels p(size_t(w) * h * 3);
  for (size_t k = 0; k < p.size(); ++k) p[k] = uint8_t(k % 3 * 60 + (k / 3) % w * 2 + seed);
  return p;
}

Pixels jpeg(const Pixels& picture, int w, int h) {
  MjpegEncoder enc;
  size_t size = 0;
  const uint8_t* data = enc.encode(picture.data(), size_t(w) * 3, false, 24, nullptr, w, h, 90, &size);
  return data ? Pixels(data, data + size) : Pixels();
}

// The pixels of the only frame of a one-chunk Motion-JPEG file.
Pixels decodeOne(const Pixels& chunk, int w, int h, uint32_t handler) {
  std::vector<uint8_t> file =
      avitest::makeAvi(avitest::bitmapFormat(w, h, 24, handler), {{"00dc", chunk}}, Index::Idx1FromMovi);
  AVIFile* f = AVIFileOpenMemory(file.data(), file.size());
  AVIStream* s = AVIFileGetStream(f, kStreamTypeVideo, 0);
  AVIFileRelease(f);
  AVIGetFrame* g = AVIStreamGetFrameOpen(s, nullptr);
  const BitmapInfoHeader* hdr = g ? AVIStreamGetFrame(g, 0) : nullptr;
  Pixels out;
  if (hdr) out.assign(reinterpret_cast<const uint8_t*>(hdr + 1), reinterpret_cast<const uint8_t*>(hdr + 1) + hdr->sizeImage);
  AVIStreamGetFrameClose(g);
  AVIStreamRelease(s);
  return out;
}

TEST(AviMotionJpeg, FramesWithoutHuffmanTablesUseTheStandardOnes) {
  Pixels whole = jpeg(gradient(32, 16, 0), 32, 16);
  ASSERT_FALSE(whole.empty());
  Pixels stripped;
  for (size_t i = 0; i < whole.size();) {  // drop every DHT segment
    if (whole[i] == 0xFF && i + 3 < whole.size() && whole[i + 1] == 0xC4) {
      i += 2 + (whole[i + 2] << 8 | whole[i + 3]);
      continue;
    }
    if (whole[i] == 0xFF && i + 1 < whole.size() && whole[i + 1] == 0xDA) {  // scan: copy the rest
      stripped.insert(stripped.end(), whole.begin() + long(i), whole.end());
      break;
    }
    stripped.push_back(whole[i++]);
  }
  ASSERT_LT(stripped.size(), whole.size());
  Pixels expected = decodeOne(whole, 32, 16, tol::kFourCCMJPG);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(decodeOne(stripped, 32, 16, makeFourCC('m', 'j', 'p', 'g')), expected);
}

TEST(AviMotionJpeg, TwoFieldsInOneChunkInterleave) {
  Pixels first = jpeg(gradient(32, 8, 0), 32, 8), second = jpeg(gradient(32, 8, 100), 32, 8);
  Pixels firstPic = decodeOne(first, 32, 8, kFourCCMJPG), secondPic = decodeOne(second, 32, 8, kFourCCMJPG);
  Pixels both = first;
  both.insert(both.end(), second.begin(), second.end());
  Pixels frame = decodeOne(both, 32, 16, makeFourCC('A', 'V', 'R', 'n'));
  ASSERT_EQ(frame.size(), size_t(32 * 3 * 16));
  const size_t row = 32 * 3;
  for (int r = 0; r < 16; ++r) {  // r counted from the top; field rows y = r / 2
    const Pixels& field = r % 2 ? secondPic : firstPic;
    Pixels want(field.begin() + long((7 - r / 2) * row), field.begin() + long((8 - r / 2) * row));
    EXPECT_EQ(Pixels(frame.begin() + long((15 - r) * row), frame.begin() + long((16 - r) * row)), want) << r;
  }
}

// Every truncation and a spread of byte changes of small valid files:
// opening and reading all fail cleanly or give frames of the stated size.
TEST(AviDamaged, FailsCleanly) {
  std::vector<std::vector<uint8_t>> files;
  for (const DecodeCase& c : decodeCases()) files.push_back(avitest::makeAvi(c.format, c.chunks, c.index, c.recLists));
  files.push_back(avitest::makeAvi(avitest::bitmapFormat(32, 16, 24, kFourCCMJPG),
                                   {{"00dc", jpeg(gradient(32, 16, 0), 32, 16)}}, Index::Idx1FromMovi));
  auto readAll = [](const std::vector<uint8_t>& bytes) {
    AVIFile* f = AVIFileOpenMemory(bytes.data(), bytes.size());
    if (!f) return;
    for (int n = 0;; ++n) {
      AVIStream* s = AVIFileGetStream(f, 0, n);
      if (!s) break;
      int32_t size = 0;
      AVIStreamReadFormat(s, 0, nullptr, &size);
      std::vector<uint8_t> buffer(4096);
      for (int i = AVIStreamStart(s); i < AVIStreamStart(s) + AVIStreamLength(s) && i < 64; ++i) {
        int32_t bytesRead = 0;
        AVIStreamRead(s, i, 1, buffer.data(), int32_t(buffer.size()), &bytesRead, nullptr);
        AVIStreamNearestKeyFrame(s, i);
      }
      if (AVIGetFrame* g = AVIStreamGetFrameOpen(s, nullptr)) {
        for (int i = AVIStreamStart(s); i < AVIStreamStart(s) + AVIStreamLength(s) && i < 64; ++i)
          if (const BitmapInfoHeader* h = AVIStreamGetFrame(g, i)) EXPECT_GT(h->sizeImage, 0u);
        AVIStreamGetFrameClose(g);
      }
      AVIStreamRelease(s);
    }
    AVIFileRelease(f);
  };
  for (const auto& file : files) {
    for (size_t n = 0; n < file.size(); n += 3) readAll(std::vector<uint8_t>(file.begin(), file.begin() + long(n)));
    for (size_t at = 0; at < file.size(); at += 5)
      for (uint8_t v : {0x00, 0x7F, 0xFF}) {
        std::vector<uint8_t> bad = file;
        bad[at] = v;
        readAll(bad);
      }
  }
}

}  // namespace
