// The sound block syntax on hand-made packets: band tables, 29-bit floats,
// chunks, the transform, the cross-fade and the bounds of a packet.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "decode/core/sound_float29.h"
#include "decode/core/sound_tables.h"
#include "decode/sound_block_decoder.h"
#include "packet_builder.h"

namespace {

using namespace tol;
using soundtest::PacketBuilder;

// A 29-bit float field for an exact integer value (exponent 23).
uint32_t float29Integer(int32_t v) { return 23u | static_cast<uint32_t>(std::abs(v)) << 5 | (v < 0 ? 1u << 28 : 0); }

struct Decoder {
  Decoder(uint32_t rate, uint32_t channels) : d(soundBlockDecoderCreate(rate, channels)) {}
  ~Decoder() { soundBlockDecoderDestroy(d); }
  std::vector<int16_t> packet(const PacketBuilder& p, uint32_t capacity = 1 << 16) {
    std::vector<uint8_t> out(capacity);
    const uint32_t got = soundDecodePacket(d, p.bytes().data(), p.bytes().size(), 16, out.data(), capacity);
    const auto* s = reinterpret_cast<const int16_t*>(out.data());
    return std::vector<int16_t>(s, s + got / 2);
  }
  SoundBlockDecoder* d;
};

TEST(SoundTables, BlockFramingAndBands) {
  EXPECT_EQ(soundBlockLength(22050, 1), 1024u);
  EXPECT_EQ(soundOverlap(1024), 64u);
  EXPECT_EQ(soundBlockLength(22050, 2), 2048u);
  EXPECT_EQ(soundBlockLength(44100, 2), 4096u);
  EXPECT_EQ(soundBlockLength(11025, 1), 512u);

  const SoundBands stereo44 = soundBandTable(44100, 2);
  EXPECT_EQ(stereo44.count, 25u);
  EXPECT_EQ(stereo44.edge[25], 2048u);
  EXPECT_EQ(stereo44.edge[1], 2048u * 100 / 44100);

  const SoundBands mono11 = soundBandTable(11025, 1);  // half = 5513: bands below 5513 Hz
  EXPECT_EQ(mono11.count, 20u);
  EXPECT_EQ(mono11.edge[19], 256u * 5300 / 5513);
  EXPECT_EQ(mono11.edge[20], 256u);

  EXPECT_EQ(soundBandTable(0, 1).count, 0u);  // no division by a zero rate
}

TEST(SoundTables, QuantiserFollowsSinglePrecisionSteps) {
  EXPECT_EQ(soundQuantiser(0), 1.0f);
  for (uint32_t q : {1u, 37u, 100u, 255u}) {
    const float expected = static_cast<float>(std::pow(10.0, static_cast<double>(q * 0.664f * 0.1f)));
    EXPECT_EQ(soundQuantiser(q), expected) << q;
  }
}

TEST(SoundFloat29, ValuesAndDamagedExponents) {
  EXPECT_EQ(float29Decode(5u | 0u << 5 | 1u << 28), 0.0f);   // mantissa 0: zero whatever else
  EXPECT_EQ(float29Decode(23u | 1000u << 5), 1000.0f);
  EXPECT_EQ(float29Decode(20u | 3u << 5 | 1u << 28), -0.375f);
  for (uint32_t e = 24; e < 32; ++e) EXPECT_EQ(float29Decode(e | 12345u << 5), 0.0f) << e;

  for (float v : {0.0f, 1.0f, -0.3f, 1234.5678f, -2097152.0f, 8388607.0f, 1e-7f}) {
    const float back = float29Decode(float29Encode(v));
    EXPECT_NEAR(back, v, std::fabs(v) * 1.2e-7 + 1.2e-7) << v;
  }
  EXPECT_EQ(float29Decode(float29Encode(1e12f)), 8388607.0f);  // saturates
}

TEST(SoundBlock, WidthZeroChunksReadNoFurtherBits) {
  // Two blocks back to back: if the first read bits past its empty chunks,
  // the second block's constant would be lost.
  Decoder dec(22050, 1);
  PacketBuilder p(2 * 1920);
  p.silentBlock(1024, dec.d->bands.count, 0, 0);
  p.silentBlock(1024, dec.d->bands.count, float29Integer(32 * 200), 0);
  const std::vector<int16_t> out = dec.packet(p);
  ASSERT_EQ(out.size(), 1920u);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[959], 0);
  EXPECT_EQ(out[960 + 64], 200);  // past the cross-fade
  EXPECT_EQ(out[1919], 200);
}

TEST(SoundBlock, CrossFadeRoundsTowardMinusInfinity) {
  Decoder dec(22050, 1);  // 1024 samples, root 1/32, overlap 64
  PacketBuilder p(2 * 1920);
  p.silentBlock(1024, dec.d->bands.count, float29Integer(-100 * 32), 0);
  p.silentBlock(1024, dec.d->bands.count, float29Integer(50 * 32), 0);
  const std::vector<int16_t> out = dec.packet(p);
  ASSERT_EQ(out.size(), 1920u);
  for (int i = 0; i < 960; ++i) ASSERT_EQ(out[i], -100) << i;  // the first block is not faded
  for (int i = 0; i < 64; ++i) {
    const int expected = static_cast<int>(std::floor((64 - i) * -100 / 64.0)) + static_cast<int>(std::floor(i * 50 / 64.0));
    EXPECT_EQ(out[960 + i], expected) << i;
  }
  EXPECT_EQ(out[960], -100);
  EXPECT_EQ(out[961], -99);  // floor(-98.4375) + floor(0.78125)
}

// The block's transform against the defining sum evaluated in double
// precision, for random coefficients with a band quantiser.
TEST(SoundBlock, TransformMatchesDefiningSum) {
  for (uint32_t channels : {1u, 2u}) {
    Decoder dec(11025, channels);
    const uint32_t n = dec.d->length;
    std::mt19937 rng(n);
    std::vector<int32_t> coeff(n, 0);  // float positions 2 .. n-1
    PacketBuilder p((n - n / 16) * 2);
    p.put(float29Integer(3000), 29);
    p.put(float29Integer(-1500), 29);
    std::vector<uint32_t> qIndex(dec.d->bands.count);
    for (auto& q : qIndex) {
      q = rng() % 8;  // quantisers up to 3: samples well inside the 16-bit range
      p.put(q, 8);
    }
    for (uint32_t i = 2; i < n; i += 8) {
      p.put(0, 1);    // a chunk of 8
      p.put(10, 4);   // width 10
      for (uint32_t k = i; k < i + 8 && k < n; ++k) {
        coeff[k] = static_cast<int32_t>(rng() % 2047) - 1023;
        p.put(std::abs(coeff[k]), 10);
        if (coeff[k]) p.put(coeff[k] < 0, 1);
      }
    }
    p.endBlock();
    const std::vector<int16_t> out = dec.packet(p);
    ASSERT_EQ(out.size(), n - n / 16);

    auto quantiser = [&](uint32_t bin) {
      for (uint32_t k = 0; k < dec.d->bands.count; ++k)
        if (bin >= dec.d->bands.edge[k] && bin < dec.d->bands.edge[k + 1]) return double{soundQuantiser(qIndex[k])};
      return 1.0;
    };
    int worst = 0, peak = 0;
    for (uint32_t t = 0; t < out.size(); ++t) {
      peak = std::max(peak, std::abs(int{out[t]}));
      double y = 3000.0 + (t % 2 ? 1500.0 : -1500.0);
      for (uint32_t b = 1; b < n / 2; ++b) {
        const double angle = 2.0 * std::numbers::pi * b * t / n;
        y += 2.0 * quantiser(b) * (coeff[2 * b] * std::cos(angle) + coeff[2 * b + 1] * std::sin(angle));
      }
      const double expected = std::clamp(std::nearbyint(y / std::sqrt(double(n))), -32768.0, 32767.0);
      worst = std::max(worst, static_cast<int>(std::fabs(expected - out[t])));
    }
    EXPECT_LE(worst, 1) << channels;
    EXPECT_LT(peak, 32767) << "clamped samples would hide transform errors";
  }
}

TEST(SoundPacket, DeliversOnlyTheDecodedSize) {
  Decoder dec(22050, 1);
  PacketBuilder p(500);
  p.silentBlock(1024, dec.d->bands.count, float29Integer(32 * -300), 0);
  EXPECT_EQ(dec.packet(p).size(), 250u);

  // 8-bit delivery: (sample >> 8) + 128.
  Decoder dec8(22050, 1);
  std::vector<uint8_t> out(1024);
  EXPECT_EQ(soundDecodePacket(dec8.d, p.bytes().data(), p.bytes().size(), 8, out.data(), out.size()), 250u);
  EXPECT_EQ(out[0], static_cast<uint8_t>((-300 >> 8) + 128));
}

TEST(SoundPacket, DamagedPacketsStayInBounds) {
  Decoder dec(44100, 2);
  PacketBuilder p(0xFFFFFFF0u);  // claims far more than any buffer
  p.silentBlock(4096, dec.d->bands.count, float29Integer(64 * 1000), 0);
  // Capacity cuts the delivery; the missing blocks decode as silence.
  const std::vector<int16_t> out = dec.packet(p, 20000);
  ASSERT_EQ(out.size(), 10000u);
  EXPECT_EQ(out[100], 1000);
  EXPECT_EQ(out[9999], 0);

  // A packet cut inside its first block, and packets too short to hold a size.
  const std::vector<uint8_t> cut(p.bytes().begin(), p.bytes().begin() + 9);
  std::vector<uint8_t> dest(8000);
  EXPECT_EQ(soundDecodePacket(dec.d, cut.data(), cut.size(), 16, dest.data(), dest.size()), 8000u);
  EXPECT_EQ(soundDecodePacket(dec.d, cut.data(), 3, 16, dest.data(), dest.size()), 0u);
  EXPECT_EQ(soundDecodePacket(dec.d, cut.data(), 0, 16, dest.data(), dest.size()), 0u);
}

}  // namespace
