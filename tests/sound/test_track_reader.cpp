// The exported track reader on the conformance vectors, through the
// exported decoder: every frame's packet of both tracks, 16-bit and 8-bit
// delivery, the track tables as the decoder reports them, and the refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "testutil.h"
#include "tol/zurndecoder.h"
#include "tol/zurnsound.h"

namespace {

std::string dataFile(const std::string& rel) { return testutil::dataFile("vectors/" + rel); }

std::vector<int> expectedSamples(const std::string& name, int track) {
  const std::vector<uint8_t> raw = testutil::readFile(dataFile(name + "/track" + std::to_string(track) + ".raw"));
  std::vector<int> out;
  for (size_t i = 0; i + 1 < raw.size(); i += 2) out.push_back(static_cast<int16_t>(raw[i] | raw[i + 1] << 8));
  return out;
}

class TrackReaderVectors : public ::testing::TestWithParam<const char*> {};

TEST_P(TrackReaderVectors, ReadsBothTracksFrameByFrame) {
  const std::string name = GetParam();
  ZurnDecoder* decoder = ZurnDecoderOpen(dataFile(name + ".zrn").c_str(), ZURNDEC_NO_READ_AHEAD);
  ASSERT_NE(decoder, nullptr) << ZurnDecoderGetError();
  EXPECT_EQ(ZurnDecoderTrackFlags(decoder, 0), 0xC0005622u);
  EXPECT_EQ(ZurnDecoderTrackId(decoder, 0), 7u);
  EXPECT_EQ(ZurnDecoderTrackFlags(decoder, 1), 0xA0002B11u);
  EXPECT_EQ(ZurnDecoderTrackId(decoder, 1), 9u);

  ZurnTrackReader* mono16 = ZurnTrackReaderOpen(decoder, 0);
  ZurnTrackReader* stereo8 = ZurnTrackReaderOpen(decoder, 1);
  ASSERT_NE(mono16, nullptr);
  ASSERT_NE(stereo8, nullptr);
  EXPECT_EQ(mono16->rate, 22050);
  EXPECT_EQ(mono16->bits, 16);
  EXPECT_EQ(mono16->channels, 1);
  EXPECT_EQ(stereo8->rate, 11025);
  EXPECT_EQ(stereo8->bits, 8);
  EXPECT_EQ(stereo8->channels, 2);
  EXPECT_EQ(stereo8->bufferSize, 1920u / 2);  // soundMaxDecoded 1920, halved for 8 bits

  std::vector<int> got16, got8;
  std::vector<uint8_t> buffer(mono16->bufferSize + stereo8->bufferSize);
  for (int f = 0; f < decoder->frames; ++f) {
    const uint32_t n16 = ZurnTrackReaderGet(mono16, buffer.data());
    ASSERT_LE(n16, mono16->bufferSize);
    for (uint32_t i = 0; i + 1 < n16; i += 2) got16.push_back(static_cast<int16_t>(buffer[i] | buffer[i + 1] << 8));
    const uint32_t n8 = ZurnTrackReaderGet(stereo8, buffer.data());
    ASSERT_LE(n8, stereo8->bufferSize);
    got8.insert(got8.end(), buffer.begin(), buffer.begin() + n8);
    ZurnDecoderNextFrame(decoder);
  }
  const std::vector<int> want16 = expectedSamples(name, 0);
  ASSERT_EQ(got16.size(), want16.size());
  for (size_t i = 0; i < want16.size(); ++i) ASSERT_LE(std::abs(got16[i] - want16[i]), 1) << i;
  const std::vector<int> want8 = expectedSamples(name, 1);
  ASSERT_EQ(got8.size(), want8.size());
  for (size_t i = 0; i < want8.size(); ++i) ASSERT_LE(std::abs(got8[i] - ((want8[i] >> 8) + 128)), 1) << i;

  ZurnTrackReaderClose(mono16);
  ZurnTrackReaderClose(stereo8);
  ZurnDecoderClose(decoder);
}

INSTANTIATE_TEST_SUITE_P(Vectors, TrackReaderVectors, ::testing::Values("sample20x8", "sample100x60"));

TEST(TrackReader, RefusesMissingTracksAndNullHandles) {
  ZurnDecoder* decoder = ZurnDecoderOpen(dataFile("sample20x8.zrn").c_str(), ZURNDEC_NO_READ_AHEAD);
  ASSERT_NE(decoder, nullptr);
  EXPECT_EQ(ZurnTrackReaderOpen(decoder, 2), nullptr);
  EXPECT_EQ(ZurnTrackReaderOpen(decoder, -1), nullptr);
  EXPECT_EQ(ZurnTrackReaderOpen(nullptr, 0), nullptr);
  uint8_t dummy[4];
  EXPECT_EQ(ZurnTrackReaderGet(nullptr, dummy), 0u);
  ZurnTrackReaderClose(nullptr);
  ZurnDecoderClose(decoder);
}

TEST(TrackReader, RefusesUnplayableTracks) {
  testutil::TempDir dir;
  std::vector<uint8_t> bytes = testutil::readFile(dataFile("sample20x8.zrn"));
  bytes[44 + 8 + 3] &= 0x7F;  // soundFlags of track 0: bit 31 cleared
  testutil::writeFile(dir.file("unplayable.zrn"), bytes);
  ZurnDecoder* decoder = ZurnDecoderOpen(dir.file("unplayable.zrn").c_str(), ZURNDEC_NO_READ_AHEAD);
  ASSERT_NE(decoder, nullptr);
  EXPECT_EQ(ZurnTrackReaderOpen(decoder, 0), nullptr);
  ZurnTrackReader* other = ZurnTrackReaderOpen(decoder, 1);
  EXPECT_NE(other, nullptr);
  ZurnTrackReaderClose(other);
  ZurnDecoderClose(decoder);
}

}  // namespace
