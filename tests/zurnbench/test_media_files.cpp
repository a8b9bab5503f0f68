// The files the harness reads and writes: PNG sequences, Y4M and I420
// clips, the blitter layout, WAVE, JPEG planes and Zurn sound packets.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>

#include "args.h"
#include "jpeg_planes.h"
#include "media_readers.h"
#include "quality.h"
#include "testutil.h"
#include "zurn_file.h"

namespace zb = zurnbench;

namespace {

// A frame whose samples all differ, so that any mix-up of planes, rows or
// columns shows.
zb::YuvFrame patternFrame(int w, int h, int seed) {
  zb::YuvFrame f(w, h);
  for (size_t i = 0; i < f.y.size(); ++i) f.y[i] = uint8_t(i * 7 + seed);
  for (size_t i = 0; i < f.cb.size(); ++i) f.cb[i] = uint8_t(i * 3 + 40 + seed);
  for (size_t i = 0; i < f.cr.size(); ++i) f.cr[i] = uint8_t(i * 5 + 90 + seed);
  return f;
}

void expectSame(const zb::YuvFrame& a, const zb::YuvFrame& b) {
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.height, b.height);
  EXPECT_EQ(a.y, b.y);
  EXPECT_EQ(a.cb, b.cb);
  EXPECT_EQ(a.cr, b.cr);
}

void writeRgbPng(const std::string& path, int w, int h, uint8_t shade) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(size_t(w) * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      row[size_t(x) * 3] = uint8_t(x * 10);
      row[size_t(x) * 3 + 1] = uint8_t(y * 20);
      row[size_t(x) * 3 + 2] = shade;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

std::vector<uint8_t> bytesOf(std::initializer_list<const char*> parts, std::vector<uint8_t> tail = {}) {
  std::vector<uint8_t> v;
  for (const char* p : parts) v.insert(v.end(), p, p + std::strlen(p));
  v.insert(v.end(), tail.begin(), tail.end());
  return v;
}

void put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}

}  // namespace

TEST(PngSequence, ListsAFolderOrANumberedRunAndReadsFrames) {
  testutil::TempDir dir;
  for (int i : {0, 1, 2, 4}) writeRgbPng(dir.file("clip00" + std::to_string(i) + ".png"), 6, 4, uint8_t(i));
  writeRgbPng(dir.file("other.PNG"), 6, 4, 9);
  testutil::writeFile(dir.file("notes.txt"), {1, 2});

  EXPECT_EQ(zb::listSequence(dir.path().string()).size(), 5u);
  const auto run = zb::listSequence(dir.file("clip001.png"));
  ASSERT_EQ(run.size(), 2u);  // 001, 002; 003 is missing
  EXPECT_EQ(run[1], dir.file("clip002.png"));
  EXPECT_TRUE(zb::listSequence(dir.file("absent.png")).empty());

  zb::RgbFrame frame;
  std::string error;
  ASSERT_TRUE(zb::readPng(run[1], frame, error)) << error;
  ASSERT_EQ(frame.width, 6);
  ASSERT_EQ(frame.height, 4);
  const uint8_t* p = frame.pixels.data() + (3 * 6 + 5) * 4;  // row 3, column 5
  EXPECT_EQ(p[0], 50);
  EXPECT_EQ(p[1], 60);
  EXPECT_EQ(p[2], 2);
  EXPECT_FALSE(zb::readPng(dir.file("notes.txt"), frame, error));
  EXPECT_NE(error.find("damaged"), std::string::npos);
}

TEST(YuvFiles, Y4mAndI420RoundTrip) {
  testutil::TempDir dir;
  const std::vector<zb::YuvFrame> clip = {patternFrame(6, 4, 0), patternFrame(6, 4, 1)};
  ASSERT_TRUE(zb::writeY4m(dir.file("c.y4m"), clip, 15, 1));
  std::vector<zb::YuvFrame> back;
  std::string error;
  ASSERT_TRUE(zb::readY4m(dir.file("c.y4m"), back, error)) << error;
  ASSERT_EQ(back.size(), 2u);
  expectSame(back[1], clip[1]);

  std::FILE* f = std::fopen(dir.file("c.i420").c_str(), "wb");
  for (const auto& fr : clip) ASSERT_TRUE(zb::writeI420(f, fr));
  std::fclose(f);
  ASSERT_TRUE(zb::readI420(dir.file("c.i420"), 6, 4, back, error)) << error;
  ASSERT_EQ(back.size(), 2u);
  expectSame(back[0], clip[0]);

  // A short last frame and a non-4:2:0 file are errors.
  auto bytes = testutil::readFile(dir.file("c.i420"));
  bytes.pop_back();
  testutil::writeFile(dir.file("short.i420"), bytes);
  EXPECT_FALSE(zb::readI420(dir.file("short.i420"), 6, 4, back, error));
  testutil::writeFile(dir.file("c444.y4m"), bytesOf({"YUV4MPEG2 W2 H2 F1:1 C444\nFRAME\n"}, std::vector<uint8_t>(12)));
  EXPECT_FALSE(zb::readY4m(dir.file("c444.y4m"), back, error));
  EXPECT_NE(error.find("4:2:0"), std::string::npos);
}

TEST(YuvFiles, BlitterLayoutPutsCrBeforeCbAndRepeatsEdges) {
  const zb::YuvFrame f = patternFrame(6, 4, 3);
  const std::vector<uint8_t> buf = zb::blitterLayout(f, 16, 6);
  ASSERT_EQ(buf.size(), 16u * 6 + 2 * 8 * 3);
  EXPECT_EQ(buf[1 * 16 + 5], f.y[1 * 6 + 5]);
  EXPECT_EQ(buf[1 * 16 + 15], f.y[1 * 6 + 5]);  // last column repeated
  EXPECT_EQ(buf[5 * 16 + 2], f.y[3 * 6 + 2]);   // last row repeated
  const uint8_t* cr = buf.data() + 96;
  const uint8_t* cb = cr + 24;
  EXPECT_EQ(cr[1 * 8 + 2], f.cr[1 * 3 + 2]);
  EXPECT_EQ(cb[1 * 8 + 2], f.cb[1 * 3 + 2]);
  EXPECT_EQ(cb[2 * 8 + 7], f.cb[1 * 3 + 2]);
}

TEST(YuvFiles, EncoderPlanesAreCroppedFromTheEncodersConversion) {
  // Grey stays neutral; white and black give the encoder's luma range.
  std::vector<uint8_t> px(6 * 4 * 4, 128);
  for (int i = 0; i < 4; ++i) px[size_t(i)] = 255, px[size_t(4 + i)] = 0;
  const zb::YuvFrame f = zb::planesFromPixels(px.data(), 6, 4);
  ASSERT_EQ(f.y.size(), 24u);
  ASSERT_EQ(f.cb.size(), 6u);
  EXPECT_GT(f.y[0], 200);
  EXPECT_EQ(f.y[1], 16);
  EXPECT_EQ(f.y[23], f.y[2]);
  EXPECT_EQ(f.cb[5], 128);
  EXPECT_EQ(f.cr[5], 128);
}

TEST(Wave, ReadsIntegerPcmAndSkipsOtherChunks) {
  // 8-bit mono with a LIST chunk of odd size before the data.
  std::vector<uint8_t> w = bytesOf({"RIFF"});
  put32(w, 0);
  w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put32(w, 16);
  for (uint8_t b : {1, 0, 1, 0}) w.push_back(b);
  put32(w, 8000);
  put32(w, 8000);
  for (uint8_t b : {1, 0, 8, 0}) w.push_back(b);
  w.insert(w.end(), {'L', 'I', 'S', 'T'});
  put32(w, 3);
  w.insert(w.end(), {'a', 'b', 'c', 0});
  w.insert(w.end(), {'d', 'a', 't', 'a'});
  put32(w, 100);  // longer than what follows: cut to the file
  w.insert(w.end(), {0, 128, 255});
  zb::Sound s;
  std::string error;
  ASSERT_TRUE(zb::parseWave(w, s, error)) << error;
  EXPECT_EQ(s.rate, 8000);
  EXPECT_EQ(s.bits, 8);
  EXPECT_EQ(s.samples, (std::vector<int16_t>{-32768, 0, 32512}));

  w[22] = 3;  // 3 channels
  EXPECT_FALSE(zb::parseWave(w, s, error));
  EXPECT_FALSE(zb::parseWave(bytesOf({"RIFX"}), s, error));
}

TEST(Wave, WritesWhatItReads) {
  testutil::TempDir dir;
  zb::Sound s;
  s.rate = 22050;
  s.channels = 2;
  s.bits = 16;
  s.samples = {1, -1, 32767, -32768, 1000, -1000};
  ASSERT_TRUE(zb::writeWave(dir.file("s.wav"), s));
  zb::Sound back;
  std::string error;
  ASSERT_TRUE(zb::readWave(dir.file("s.wav"), back, error)) << error;
  EXPECT_EQ(back.rate, 22050);
  EXPECT_EQ(back.channels, 2);
  EXPECT_EQ(back.samples, s.samples);
  EXPECT_DOUBLE_EQ(back.seconds(), 3.0 / 22050);
}

TEST(JpegPlanes, RoundTripKeepsThePlanesAndRejectsOtherData) {
  zb::YuvFrame f(36, 22);  // not a whole number of 16x16 blocks
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 36; ++x) f.y[size_t(y) * 36 + x] = uint8_t(16 + 5 * x + 2 * y);
  std::fill(f.cb.begin(), f.cb.end(), 90);
  std::fill(f.cr.begin(), f.cr.end(), 170);
  const std::vector<uint8_t> jpeg = zb::encodeJpeg(f, 95);
  ASSERT_FALSE(jpeg.empty());
  zb::YuvFrame back;
  ASSERT_TRUE(zb::decodeJpeg(jpeg.data(), jpeg.size(), back));
  zb::ClipQuality q;
  ASSERT_TRUE(q.add(f, back));
  EXPECT_GT(q.psnrY(), 40);
  EXPECT_GT(q.psnrCb(), 45);
  EXPECT_GT(q.psnrCr(), 45);
  EXPECT_LT(zb::encodeJpeg(f, 10).size(), jpeg.size());
  EXPECT_FALSE(zb::decodeJpeg(jpeg.data(), jpeg.size() / 3, back));
  const std::vector<uint8_t> junk(100, 0x55);
  EXPECT_FALSE(zb::decodeJpeg(junk.data(), junk.size(), back));

  testutil::TempDir dir;
  std::FILE* clip = std::fopen(dir.file("c.mjpg").c_str(), "wb");
  ASSERT_TRUE(zb::writeJpegFrame(clip, jpeg));
  ASSERT_TRUE(zb::writeJpegFrame(clip, {1, 2, 3}));
  EXPECT_FALSE(zb::writeJpegFrame(clip, {}));
  std::fclose(clip);
  std::vector<std::vector<uint8_t>> frames;
  ASSERT_TRUE(zb::readJpegClip(dir.file("c.mjpg"), frames));
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0], jpeg);
  auto bytes = testutil::readFile(dir.file("c.mjpg"));
  bytes.pop_back();
  testutil::writeFile(dir.file("cut.mjpg"), bytes);
  EXPECT_FALSE(zb::readJpegClip(dir.file("cut.mjpg"), frames));
}

TEST(ZurnFile, CountsSoundPacketsThroughTheIndex) {
  // Two frames, two tracks. Frame 0: a 12-byte packet, an empty one (4
  // bytes), 12 bytes of picture; frame 1: 8 bytes, 4 bytes, 12 of picture.
  std::vector<uint8_t> f = bytesOf({"ZRNf"});
  for (uint32_t v : {0u, 2u, 0u, 2u, 16u, 16u, 15u, 1u, 0u, 2u}) put32(f, v);
  for (int i = 0; i < 6; ++i) put32(f, 0);  // two tracks' tables
  const uint32_t first = 44 + 24 + 12;
  for (uint32_t v : {first | 1, first + 28, first + 52}) put32(f, v);
  for (uint32_t v : {8u, 1u, 0u, 0u, 0u, 0u, 0u}) put32(f, v);
  for (uint32_t v : {4u, 1u, 0u, 0u, 0u, 0u}) put32(f, v);
  uint64_t bytes = 0;
  std::string error;
  ASSERT_TRUE(zb::zurnSoundBytes(f, bytes, error)) << error;
  EXPECT_EQ(bytes, 12u + 4u + 8u + 4u);  // the picture is not counted
  f.erase(f.end() - 20, f.end());  // frame 1 runs past the end
  EXPECT_FALSE(zb::zurnSoundBytes(f, bytes, error));
  EXPECT_FALSE(zb::zurnSoundBytes(bytesOf({"RIFF"}), bytes, error));
}

TEST(Args, ParsesOptionsListsAndRates) {
  const char* argv[] = {"zurnbench", "video", "--rates", "1,2,x", "--all-cpus", "clip", "--fps", "30000/1001"};
  zb::Args a(8, const_cast<char**>(argv), 2, {"all-cpus"});
  EXPECT_TRUE(a.has("all-cpus"));
  EXPECT_EQ(a.positional(), std::vector<std::string>{"clip"});
  EXPECT_EQ(a.nums("rates", {}).size(), 3u);
  EXPECT_NE(a.error().find("rates"), std::string::npos);
  EXPECT_EQ(a.num("window", 8), 8);
  int n = 0, d = 0;
  EXPECT_TRUE(zb::parseRate(a.str("fps"), n, d));
  EXPECT_EQ(n, 30000);
  EXPECT_EQ(d, 1001);
  EXPECT_FALSE(zb::parseRate("15/", n, d));
  EXPECT_FALSE(zb::parseRate("0", n, d));
  EXPECT_FALSE(zb::parseRate("12a", n, d));
}
