// Bit reader and writer: field layout across words, lazy word loading,
// bounds.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "decode/core/bit_reader.h"
#include "decode/core/bit_writer.h"
#include "decode/core/prefix_codes.h"

using namespace tol;

namespace {

TEST(BitIO, LeastSignificantBitFirstAcrossWords) {
  const uint8_t data[8] = {0xB4, 0x00, 0x00, 0xA0, 0x05, 0x00, 0x00, 0x00};
  BitReader r(data, data + 8);
  EXPECT_EQ(r.read(0), 0u);
  EXPECT_EQ(r.position(), data);  // nothing loaded for 0 bits
  EXPECT_EQ(r.read(3), 0b100u);
  EXPECT_EQ(r.position(), data + 4);
  EXPECT_EQ(r.read(25), 0x16u);  // bits 3..27 of the first word
  // Bits 28..31 of word 0 (0xA) then bits 0..3 of word 1 (0x5): 0x5A.
  EXPECT_EQ(r.read(8), 0x5Au);
  EXPECT_EQ(r.position(), data + 8);
  EXPECT_FALSE(r.overrun());
}

TEST(BitIO, WriterRoundTripAndPadding) {
  std::mt19937 rng(3);
  std::vector<std::pair<uint32_t, unsigned>> fields;
  BitWriter w;
  for (int i = 0; i < 2000; ++i) {
    const unsigned n = rng() % 33;
    const uint32_t v = n == 32 ? rng() : rng() & ((1u << n) - 1);
    fields.emplace_back(v, n);
    w.put(v, n);
  }
  const uint64_t bits = w.bitCount();
  const size_t bytes = w.finishWords();
  EXPECT_EQ(bytes, (bits + 31) / 32 * 4);
  BitReader r(w.data(), w.data() + bytes);
  for (const auto& [v, n] : fields) ASSERT_EQ(r.read(n), v);
  EXPECT_EQ(r.position(), w.data() + bytes);
  EXPECT_EQ(r.read(static_cast<unsigned>(bytes * 8 - bits)), 0u);  // zero padding
  EXPECT_FALSE(r.overrun());
}

TEST(BitIO, AppendCopiesAnyBitRange) {
  BitWriter src, dst;
  for (uint32_t i = 0; i < 100; ++i) src.put(i * 2654435761u, 32);
  src.put(5, 3);  // an unfinished word as well
  dst.put(1, 1);
  dst.append(src, 7, 3000);
  dst.append(src, 3200, 3);
  for (uint64_t k = 0; k < 3000; ++k) ASSERT_EQ(dst.bitsAt(1 + k, 1), src.bitsAt(7 + k, 1)) << k;
  EXPECT_EQ(dst.bitsAt(3001, 3), 5u);
  EXPECT_EQ(dst.bitCount(), 3004u);
}

// A prefix code word is read from the bits held when they suffice, so the
// last code of a plane does not load the next word.
TEST(BitIO, PrefixDecodingLoadsOnlyWhenNeeded) {
  const PrefixCode& c = kPrefixCodes[13];  // longest 7; position 0 is "0"
  BitWriter w;
  w.put(0, 31);
  w.put(c.bits[0], c.length[0]);
  w.put(c.bits[9], c.length[9]);  // straddles into the second word
  w.finishWords();
  BitReader r(w.data(), w.data() + w.byteCount());
  r.read(31);
  EXPECT_EQ(r.prefix(c.lookup, c.longest), 0u);
  EXPECT_EQ(r.position(), w.data() + 4);
  EXPECT_EQ(r.prefix(c.lookup, c.longest), 9u);
  EXPECT_EQ(r.position(), w.data() + 8);
}

TEST(BitIO, ReadingPastTheEndGivesZerosAndFlags) {
  const uint8_t data[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  BitReader r(data, data + 6);  // one whole word and a partial one
  EXPECT_EQ(r.read(32), 0xFFFFFFFFu);
  EXPECT_FALSE(r.overrun());
  EXPECT_EQ(r.read(8), 0u);
  EXPECT_TRUE(r.overrun());
  EXPECT_EQ(r.position(), data + 4);
}

}  // namespace
