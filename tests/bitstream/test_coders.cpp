// Coefficient and residue coders, and the element-stream chunk syntax, on
// both sides.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "decode/core/coefficient_coder.h"
#include "decode/core/element_streams.h"
#include "decode/core/residue_coder.h"
#include "decode/core/scan_orders.h"

using namespace tol;

namespace {

void coefficientRoundTrip(const int32_t in[64]) {
  int32_t clamped[64];
  std::memcpy(clamped, in, sizeof clamped);
  clampCoefficients(clamped);
  BitWriter w;
  writeCoefficients(w, in);
  const uint64_t bits = w.bitCount();
  EXPECT_EQ(bits, coefficientBits(in));
  w.put(0x2A, 6);
  w.finishWords();
  BitReader r(w.data(), w.data() + w.byteCount());
  int32_t out[64] = {};
  readCoefficients(r, out);
  EXPECT_EQ(r.read(6), 0x2Au);  // exactly the written bits were read
  for (int pos = 1; pos < 64; ++pos) ASSERT_EQ(out[pos], clamped[pos]) << "position " << pos;
  EXPECT_EQ(out[0], 0);
}

TEST(CoefficientCoder, RoundTrips) {
  int32_t coef[64] = {};
  coefficientRoundTrip(coef);
  EXPECT_EQ(coefficientBits(coef), 4u);  // N = 0 and nothing else
  std::mt19937 rng(2);
  for (int i = 0; i < 2000; ++i) {
    std::memset(coef, 0, sizeof coef);
    const int n = static_cast<int>(rng() % 64);
    const int range = 1 << (rng() % 16);
    for (int k = 0; k < n; ++k) coef[rng() % 64] = static_cast<int32_t>(rng() % (2 * range + 1)) - range;
    coefficientRoundTrip(coef);
  }
}

TEST(CoefficientCoder, LimitsOfSinglesAndGroups) {
  int32_t coef[64] = {};
  coef[kCoefficientScan[1]] = 32767;   // a single: full 15 planes
  coef[kCoefficientScan[9]] = -16383;  // grouped: one plane less
  coefficientRoundTrip(coef);
  coef[kCoefficientScan[2]] = 40000;   // beyond: clamped on both sides
  coef[kCoefficientScan[50]] = -20000;
  coefficientRoundTrip(coef);
  clampCoefficients(coef);
  EXPECT_EQ(coef[kCoefficientScan[2]], 32767);
  EXPECT_EQ(coef[kCoefficientScan[50]], -16383);
}

// A lone coefficient 1 at index 1 on one plane: N (4 bits) = 1, then
// entries (4,0) (24,0) (44,0) get 0, (1,3) gets 1 plus its sign, (2,3)
// and (3,3) get 0.
TEST(CoefficientCoder, SmallestBlockBits) {
  int32_t coef[64] = {};
  coef[kCoefficientScan[1]] = -1;
  EXPECT_EQ(coefficientBits(coef), 4u + 6 + 1);
  coefficientRoundTrip(coef);
}

void residueRoundTrip(const int8_t resid[64], unsigned ops) {
  static ResidueCode code;
  encodeResidue(resid, code);
  BitWriter w;
  writeResidue(w, code, ops);
  w.put(0x15, 5);
  w.finishWords();
  BitReader r(w.data(), w.data() + w.byteCount());
  uint8_t out[64] = {};
  const unsigned limit = r.read(7) + 1;
  EXPECT_EQ(limit, ops);
  readResidue(r, limit, out);
  EXPECT_EQ(r.read(5), 0x15u) << "the residue stops right after its last operation";
  uint8_t replay[64] = {};
  for (unsigned k = 0; k < ops && k < code.opCount; ++k) replay[code.ops[k].pos] = code.ops[k].value;
  EXPECT_EQ(std::memcmp(out, replay, 64), 0);
  if (ops >= code.opCount) {
    for (int pos = 0; pos < 64; ++pos) ASSERT_EQ(static_cast<int8_t>(out[pos]), resid[pos]) << pos;
  }
}

TEST(ResidueCoder, WholeAndCutRoundTrips) {
  std::mt19937 rng(4);
  for (int i = 0; i < 1000; ++i) {
    int8_t resid[64] = {};
    const int n = static_cast<int>(rng() % 64);
    const int range = 1 << (rng() % 8);
    for (int k = 0; k < n; ++k) resid[rng() % 64] = static_cast<int8_t>(static_cast<int>(rng() % (2 * range - 1)) - (range - 1));
    static ResidueCode code;
    encodeResidue(resid, code);
    if (code.opCount == 0) continue;
    const unsigned maxOps = code.opCount < 128 ? code.opCount : 128;
    residueRoundTrip(resid, maxOps);
    residueRoundTrip(resid, 1 + static_cast<unsigned>(rng() % maxOps));
  }
}

// -128 is codable in the first quad of each group only; elsewhere it is
// coded as -127.
TEST(ResidueCoder, MostNegativeValue) {
  int8_t resid[64] = {};
  resid[kCoefficientScan[0]] = -128;
  residueRoundTrip(resid, 1);
  resid[kCoefficientScan[60]] = -128;
  static ResidueCode code;
  encodeResidue(resid, code);
  uint8_t replay[64] = {};
  for (unsigned k = 0; k < code.opCount; ++k) replay[code.ops[k].pos] = code.ops[k].value;
  EXPECT_EQ(replay[kCoefficientScan[0]], 0x80);
  EXPECT_EQ(replay[kCoefficientScan[60]], 0x81);
}

// Chunks written by hand with plain (table 0) descriptions.
struct Chunk {
  BitWriter w;
  PlaneDescriptions d;  // all plain
  uint8_t out[1024] = {};
  uint8_t lastHigh = 0;
  bool read(StreamId s, uint32_t count) {
    w.put(0x3C, 6);
    w.finishWords();
    BitReader r(w.data(), w.data() + w.byteCount());
    const bool ok = readChunk(r, s, d, count, out, lastHigh);
    if (ok) {
      EXPECT_EQ(r.read(6), 0x3Cu);
    }
    return ok;
  }
  uint16_t dc(int i) const {
    uint16_t v;
    std::memcpy(&v, out + 2 * i, 2);
    return v;
  }
};

TEST(ElementChunks, BlockTypeRepeatSymbols) {
  Chunk c;
  c.w.put(0, 1);
  c.w.put(12, 4);  // 4 x last (0)
  c.w.put(7, 4);
  c.w.put(13, 4);  // 8 x 7
  c.w.put(14, 4);  // 12 x 7
  c.w.put(15, 4);  // 32 x 7
  ASSERT_TRUE(c.read(kBlockTypes, 57));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(c.out[i], 0);
  for (int i = 4; i < 57; ++i) EXPECT_EQ(c.out[i], 7);
  Chunk over;
  over.w.put(0, 1);
  over.w.put(15, 4);
  EXPECT_FALSE(over.read(kBlockTypes, 31));  // 32 repeats do not fit
  Chunk mode;
  mode.w.put(1, 1);
  mode.w.put(13, 4);
  ASSERT_TRUE(mode.read(kSubBlockTypes, 5));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(mode.out[i], 13);
}

TEST(ElementChunks, DcGroupOfWidthZeroReadsNoMoreBits) {
  Chunk c;
  c.w.put(1000, 11);
  c.w.put(0, 4);  // group of 8 with width 0: all equal to 1000
  c.w.put(3, 4);  // last group (1 value): width 3, magnitude 5, negative
  c.w.put(5, 3);
  c.w.put(1, 1);
  ASSERT_TRUE(c.read(kIntraDC, 10));
  for (int i = 0; i < 9; ++i) EXPECT_EQ(c.dc(i), 1000);
  EXPECT_EQ(c.dc(9), 995);
  Chunk inter;
  inter.w.put(17, 10);
  inter.w.put(1, 1);  // -17
  ASSERT_TRUE(inter.read(kInterDC, 1));
  EXPECT_EQ(static_cast<int16_t>(inter.dc(0)), -17);
}

TEST(ElementChunks, ColoursOffsetsPatterns) {
  Chunk c;
  c.w.put(1, 1);  // one colour repeated: high nibble 8, low 1 -> v 129 -> 127
  c.w.put(8, 4);
  c.w.put(1, 4);
  ASSERT_TRUE(c.read(kColours, 3));
  EXPECT_EQ(c.out[2], 127);
  EXPECT_EQ(c.lastHigh, 8);
  Chunk x;
  x.w.put(0, 1);
  x.w.put(0, 4);  // 0: no sign bit
  x.w.put(15, 4);
  x.w.put(1, 1);  // -15
  ASSERT_TRUE(x.read(kXOffsets, 2));
  EXPECT_EQ(static_cast<int8_t>(x.out[0]), 0);
  EXPECT_EQ(static_cast<int8_t>(x.out[1]), -15);
  Chunk p;
  p.w.put(0xA, 4);  // low nibble first
  p.w.put(0x3, 4);
  ASSERT_TRUE(p.read(kPatterns, 1));
  EXPECT_EQ(p.out[0], 0x3A);
}

}  // namespace
