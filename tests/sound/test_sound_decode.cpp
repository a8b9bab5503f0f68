// Sound packets decoded by the block decoder against the conformance
// vectors, and the block syntax on hand-made packets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "decode/core/sound_float29.h"
#include "decode/core/sound_tables.h"
#include "decode/sound_block_decoder.h"
#include "testutil.h"
#include "zurn_file_view.h"

namespace {

using namespace tol;
using soundtest::ZurnFileView;

std::string dataFile(const std::string& rel) { return std::string(TOL_SOURCE_DIR) + "/tests/data/vectors/" + rel; }

// Decodes every packet of a track as 16-bit samples.
std::vector<int16_t> decodeTrack(const ZurnFileView& file, uint32_t track) {
  const SoundTrackFormat format = soundTrackFormat(file.flags[track]);
  SoundBlockDecoder* decoder = soundBlockDecoderCreate(format.rate, format.channels);
  std::vector<int16_t> out;
  std::vector<uint8_t> buffer((file.maxDecoded[track] + 3) & ~3u);
  for (uint32_t f = 0; f < file.frames; ++f) {
    uint32_t size = 0;
    const uint8_t* packet = file.packet(f, track, &size);
    const uint32_t got = soundDecodePacket(decoder, packet, size, 16, buffer.data(), buffer.size());
    const auto* samples = reinterpret_cast<const int16_t*>(buffer.data());
    out.insert(out.end(), samples, samples + got / 2);
  }
  soundBlockDecoderDestroy(decoder);
  return out;
}

class SoundVectors : public ::testing::TestWithParam<const char*> {};

TEST_P(SoundVectors, TracksMatchExpectedOutput) {
  ZurnFileView file;
  file.bytes = testutil::readFile(dataFile(std::string(GetParam()) + ".zrn"));
  ASSERT_TRUE(file.parse());
  ASSERT_EQ(file.trackCount, 2u);
  EXPECT_EQ(file.flags[0], 0xC0005622u);  // 16-bit mono 22050 Hz
  EXPECT_EQ(file.flags[1], 0xA0002B11u);  // 8-bit stereo 11025 Hz
  for (uint32_t track = 0; track < 2; ++track) {
    const std::vector<uint8_t> raw =
        testutil::readFile(dataFile(std::string(GetParam()) + "/track" + std::to_string(track) + ".raw"));
    const std::vector<int16_t> decoded = decodeTrack(file, track);
    ASSERT_EQ(decoded.size() * 2, raw.size()) << "track " << track;
    int worst = 0;
    for (size_t i = 0; i < decoded.size(); ++i) {
      const int expected = static_cast<int16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
      worst = std::max(worst, std::abs(expected - decoded[i]));
    }
    EXPECT_LE(worst, 1) << "track " << track;
  }
}

INSTANTIATE_TEST_SUITE_P(Vectors, SoundVectors, ::testing::Values("sample20x8", "sample100x60"));

}  // namespace
