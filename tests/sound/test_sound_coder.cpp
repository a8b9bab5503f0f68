// The sound coder: round trips through the decoder for the three track
// layouts, the quality knob, and the pieces of the perceptual model and
// the step search.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "codec_bridge.h"
#include "encoder/sound_coder.h"
#include "encoder/sound_model.h"
#include "encoder/sound_quantiser.h"
#include "test_signals.h"

namespace {

using namespace tol;
using soundtest::decodePackets;
using soundtest::encodePacket;
using soundtest::snrDb;

struct Layout {
  uint32_t rate, channels;
};

class CoderRoundTrip : public ::testing::TestWithParam<Layout> {};

TEST_P(CoderRoundTrip, KeepsLengthAndLosesQualityAsTheOptionRises) {
  const Layout l = GetParam();
  for (bool music : {false, true}) {
    const std::vector<int16_t> source =
        music ? soundtest::musicLike(l.rate, l.channels, 1.0) : soundtest::speechLike(l.rate, l.channels, 1.0);
    double previous = 1e9;
    for (uint32_t option : {0u, 4u, 12u, 20u}) {
      const std::vector<int16_t> decoded = decodePackets({encodePacket(source, l.rate, l.channels, option)},
                                                         l.rate, l.channels);
      ASSERT_EQ(decoded.size(), source.size()) << option;
      const double snr = snrDb(source, decoded);
      if (option == 0) {
        EXPECT_GT(snr, 15.0) << (music ? "music" : "speech");
      }
      EXPECT_LT(snr, previous + 0.01) << option << (music ? " music" : " speech");
      previous = snr;
    }
    EXPECT_LT(previous, 10.0) << "the coarsest option should cost quality";
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, CoderRoundTrip,
                         ::testing::Values(Layout{11025, 1}, Layout{22050, 1}, Layout{44100, 2}));

TEST(SoundCoder, AccountsForTheSourceOnlyAndPadsTheLastBlock) {
  SoundCoder* c = soundCoderCreate(22050, 2);  // 2048 samples, overlap 128
  uint32_t want = 0, accounted = 0;
  int16_t* in = soundCoderInput(c, &want);
  EXPECT_EQ(want, 2048u * 2);
  std::fill(in, in + 2048, int16_t{1000});
  soundCoderEncode(c, want, 0, &accounted);
  EXPECT_EQ(accounted, (2048u - 128) * 2);

  in = soundCoderInput(c, &want);
  EXPECT_EQ(want, (2048u - 128) * 2);
  EXPECT_EQ(in, c->input + 128);
  in[0] = 5;
  in[1] = -5;
  soundCoderEncode(c, 4, 0, &accounted);  // one stereo frame, then the source ends
  EXPECT_EQ(accounted, 128u * 2 + 4);     // the held overlap and the new frame
  // The padding repeats the last sample frame (left 5, right -5).
  EXPECT_EQ(c->input[128 - 2], 5);
  EXPECT_EQ(c->input[128 - 1], -5);
  soundCoderDestroy(c);
}

TEST(SoundQuantiser, BaseSteps) {
  EXPECT_DOUBLE_EQ(soundBaseStep(0, 0), std::pow(0.5e6, 0.25));
  EXPECT_DOUBLE_EQ(soundBaseStep(24, 3), 500.0);
  EXPECT_EQ(soundBaseStep(13, 20), 1.0);  // 1 dB: below 1 before the clamp
  EXPECT_EQ(soundBaseStep(0, 0xFFFFFFFFu), 17592186044416.0);
}

TEST(SoundQuantiser, StepIndicesComeIn0664DbSteps) {
  EXPECT_EQ(soundStepIndex(0.5), 0u);
  EXPECT_EQ(soundStepIndex(1.0), 0u);
  EXPECT_EQ(soundStepIndex(1e30), 255u);
  for (uint32_t i = 1; i < 200; i += 7) {
    const double step = std::pow(10.0, i * 0.0664) * 1.0001;
    EXPECT_EQ(soundStepIndex(step), i);
    EXPECT_LE(soundQuantiser(i), step);
  }
}

TEST(SoundQuantiser, SearchStaysWithinTheAllowedNoise) {
  std::mt19937 rng(3);
  std::normal_distribution<float> dist(0.0f, 300.0f);
  std::vector<float> values(64);
  for (float& v : values) v = dist(rng);
  EXPECT_EQ(soundSearchStep(values.data(), 64, 2.0, 0.0), 2.0);     // no noise allowed
  EXPECT_EQ(soundSearchStep(values.data(), 64, 5000.0, 1e9), 5000.0);  // base above every value
  const double allowed = 64 * 50.0 * 50.0 / 12;
  const double step = soundSearchStep(values.data(), 64, 1.0, allowed);
  EXPECT_GT(step, 20.0);
  double noise = 0.0;
  for (float v : values) noise += std::pow(v - std::nearbyint(v / step) * step, 2);
  EXPECT_LT(noise, allowed);

  // Quantising raises a step that would clip.
  const float big[2] = {3e6f, -1.0f};
  uint32_t index = 0;
  int32_t levels[2];
  soundQuantiseBand(big, 2, &index, levels);
  EXPECT_LE(std::abs(3e6 / soundQuantiser(index) - levels[0]), 0.5);
  EXPECT_LE(levels[0], 32767);
}

TEST(SoundModel, TonalityAndMasking) {
  const uint32_t bins = 512;
  std::vector<float> tone(2 * bins, 0.0f), noise(2 * bins);
  tone[2 * 40] = 1e5f;
  std::mt19937 rng(5);
  std::normal_distribution<float> dist(0.0f, 100.0f);
  for (float& v : noise) v = dist(rng);
  EXPECT_GT(soundTonality(tone.data(), bins), 0.9f);
  EXPECT_LT(soundTonality(noise.data(), bins), 0.1f);

  SoundModel model;
  soundModelInit(model, 25);
  double energy[25] = {}, allowed[25];
  energy[10] = 1e8;
  energy[20] = 1.0;  // 0 dB: below any masking offset
  soundAllowedNoise(model, energy, 0.0f, allowed);
  // Noise-like masker: 5.5 dB below, then the spreading gain and the margin.
  const double masker = 1e8 * model.spread[10][10];
  EXPECT_NEAR(allowed[10], masker * std::pow(10.0, -0.55) * model.gain[10], allowed[10] * 1e-5);
  EXPECT_GT(allowed[11], allowed[9]);  // masking reaches further upward
  EXPECT_EQ(allowed[0], 0.0);          // spread energy far below the offset
  soundAllowedNoise(model, energy, 1.0f, allowed);
  EXPECT_NEAR(allowed[10], masker * std::pow(10.0, -2.45) * model.gain[10], allowed[10] * 1e-5);
}

}  // namespace
