// Code descriptions: the three syntaxes read back as written, their sizes,
// and the choice of the cheapest description.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "decode/core/code_description.h"

using namespace tol;

namespace {

CodeDescription roundTrip(const CodeDescription& d, unsigned* bits = nullptr) {
  BitWriter w;
  writeCodeDescription(w, d);
  if (bits) *bits = static_cast<unsigned>(w.bitCount());
  w.put(0x5A5A, 16);  // data behind must stay in place
  w.finishWords();
  BitReader r(w.data(), w.data() + w.byteCount());
  CodeDescription back;
  readCodeDescription(r, back);
  EXPECT_EQ(r.read(16), 0x5A5Au);
  return back;
}

bool sameOrder(const CodeDescription& a, const CodeDescription& b) {
  return a.table == b.table && std::equal(a.symbolAt, a.symbolAt + 16, b.symbolAt);
}

TEST(CodeDescription, PlainIsFourBitsWithIdentity) {
  unsigned bits;
  const CodeDescription d = roundTrip(CodeDescription::plain(), &bits);
  EXPECT_EQ(bits, 4u);
  EXPECT_EQ(d.table, 0);
  for (int p = 0; p < 16; ++p) EXPECT_EQ(d.symbolAt[p], p);
}

TEST(CodeDescription, ExplicitListFillsTheRestInAscendingOrder) {
  const uint8_t named[8] = {9, 3, 15, 0, 7, 12, 1, 4};
  unsigned bits;
  const CodeDescription d = CodeDescription::explicitOrder(5, 7, named);
  const CodeDescription back = roundTrip(d, &bits);
  EXPECT_EQ(bits, 4u + 1 + 3 + 8 * 4);
  EXPECT_EQ(bits, codeDescriptionBits(d));
  const uint8_t expected[16] = {9, 3, 15, 0, 7, 12, 1, 4, 2, 5, 6, 8, 10, 11, 13, 14};
  EXPECT_TRUE(std::equal(expected, expected + 16, back.symbolAt));
  for (int s = 0; s < 16; ++s) EXPECT_EQ(back.symbolAt[back.positionOf[s]], s);
}

TEST(CodeDescription, MergePassesReachAnyOrderWithFourPasses) {
  std::mt19937 rng(5);
  for (int i = 0; i < 200; ++i) {
    uint8_t order[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    std::shuffle(order, order + 16, rng);
    CodeDescription d;
    ASSERT_TRUE(CodeDescription::merged(1 + i % 15, 3, order, d));
    unsigned bits;
    const CodeDescription back = roundTrip(d, &bits);
    EXPECT_TRUE(sameOrder(d, back));
    EXPECT_EQ(bits, codeDescriptionBits(d));
  }
  // One pass (d = 0) swaps within pairs only.
  const uint8_t swapped[16] = {1, 0, 2, 3, 5, 4, 6, 7, 8, 9, 10, 11, 12, 13, 15, 14};
  CodeDescription d;
  ASSERT_TRUE(CodeDescription::merged(4, 0, swapped, d));
  unsigned bits;
  EXPECT_TRUE(sameOrder(d, roundTrip(d, &bits)));
  EXPECT_EQ(bits, 4u + 1 + 2 + 8);  // one bit per pair
  const uint8_t far[16] = {2, 0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  EXPECT_FALSE(CodeDescription::merged(4, 0, far, d));
}

// A damaged explicit list naming one symbol twice still gives 16 positions.
TEST(CodeDescription, RepeatedExplicitSymbolsStayInBounds) {
  BitWriter w;
  w.put(3, 4);
  w.put(1, 1);
  w.put(7, 3);
  for (int i = 0; i < 8; ++i) w.put(6, 4);
  w.finishWords();
  BitReader r(w.data(), w.data() + w.byteCount());
  CodeDescription d;
  readCodeDescription(r, d);
  EXPECT_EQ(d.symbolAt[0], 6);
  EXPECT_EQ(d.symbolAt[8], 0);
  EXPECT_EQ(d.symbolAt[15], 8);
}

uint64_t symbolsCost(const CodeDescription& d, const uint32_t counts[16]) {
  uint64_t bits = codeDescriptionBits(d);
  for (int s = 0; s < 16; ++s) bits += uint64_t{counts[s]} * symbolBits(d, static_cast<unsigned>(s));
  return bits;
}

TEST(CodeDescription, ChoiceIsExactAndNotWorseThanPlain) {
  std::mt19937 rng(8);
  for (int i = 0; i < 300; ++i) {
    uint32_t counts[16];
    const int shape = i % 3;
    for (int s = 0; s < 16; ++s)
      counts[s] = shape == 0 ? rng() % 50 : shape == 1 ? (rng() % 4 == 0 ? rng() % 1000 : 0) : 1000u >> s;
    CodeDescription d;
    const uint64_t bits = chooseCodeDescription(counts, d);
    EXPECT_EQ(bits, symbolsCost(d, counts));
    EXPECT_LE(bits, symbolsCost(CodeDescription::plain(), counts));
    EXPECT_TRUE(sameOrder(d, roundTrip(d)));
  }
  // Nothing to code: the plain table, 4 bits.
  uint32_t none[16] = {};
  CodeDescription d;
  EXPECT_EQ(chooseCodeDescription(none, d), 4u);
  EXPECT_EQ(d.table, 0);
  // One dominant symbol goes to a one-bit code word.
  uint32_t skewed[16] = {};
  skewed[11] = 10000;
  skewed[2] = 3;
  chooseCodeDescription(skewed, d);
  EXPECT_EQ(symbolBits(d, 11), 1u);
}

}  // namespace
