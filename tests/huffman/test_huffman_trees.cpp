#include <memory>
#include <vector>

#include "huffman_test_util.h"
#include "util/huffman.h"
#include "util/huffman_decode.h"

namespace {

using hufftest::writeBytes;

struct TreeCloser {
  void operator()(HuffTree* t) const { tol::HuffClose(t); }
};
using Tree = std::unique_ptr<HuffTree, TreeCloser>;

Tree openTree(bool byteTree) { return Tree(tol::HuffOpen(byteTree ? 1 : 0)); }

TEST(HuffmanTree, EmptyTreeWritesOneZeroBit) {
  Tree t = openTree(true);
  ASSERT_TRUE(t);
  int32_t result = 0;
  auto bytes = writeBytes([&](TOLFile* f) {
    tol::HuffSetOutput(t.get(), f);
    tol::TOLFilePutBits(f, 0x7F, 7);  // the 0 bit lands in bit 7
    result = tol::HuffStartEncode(t.get());
  });
  EXPECT_EQ(result, 12);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x7F}));
}

TEST(HuffmanTree, SingleValueHasLengthZeroCode) {
  Tree t = openTree(true);
  ASSERT_TRUE(t);
  int32_t result = 0;
  auto bytes = writeBytes([&](TOLFile* f) {
    tol::HuffSetOutput(t.get(), f);
    for (int i = 0; i < 5; ++i) tol::HuffAddStat(t.get(), 7);
    result = tol::HuffStartEncode(t.get());
    tol::HuffEncode(t.get(), 7);  // writes nothing
  });
  // 1 (present), 0 (leaf), 7 in 8 bits, 0 (end): 11 bits.
  EXPECT_EQ(result, 20);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x1D, 0x00}));
  EXPECT_EQ(t->lengths[7], 0);
}

// Four values of equal weight: the merged pair (weight 2) goes in front and
// the first entry of the run of equal weights moves to the end, so 2 and 1
// pair up in that order.
TEST(HuffmanTree, EqualWeightsFollowTheInsertionRule) {
  Tree t = openTree(true);
  ASSERT_TRUE(t);
  auto bytes = writeBytes([&](TOLFile* f) {
    tol::HuffSetOutput(t.get(), f);
    for (uint32_t v : {1u, 2u, 3u, 4u}) tol::HuffAddStat(t.get(), v);
    ASSERT_GT(tol::HuffStartEncode(t.get()), 0);
  });
  const struct { uint32_t value, code; } expected[] = {{3, 0}, {4, 2}, {2, 1}, {1, 3}};
  for (auto e : expected) {
    EXPECT_EQ(t->lengths[e.value], 2) << e.value;
    EXPECT_EQ(t->codes[e.value], e.code) << e.value;
  }
  // present, root, (internal: leaf 3, leaf 4), (internal: leaf 2, leaf 1), end
  tol::LsbBitReader in(bytes.data(), bytes.data() + bytes.size());
  EXPECT_EQ(in.read(3), 7u);
  for (uint32_t v : {3u, 4u}) EXPECT_EQ(in.read(9), v << 1) << v;
  EXPECT_EQ(in.bit(), 1u);
  for (uint32_t v : {2u, 1u}) EXPECT_EQ(in.read(9), v << 1) << v;
  EXPECT_EQ(in.bit(), 0u);
}

TEST(HuffmanTree, CodeLongerThan30BitsFails) {
  Tree t = openTree(true);
  ASSERT_TRUE(t);
  // Fibonacci weights make a chain one level deeper per value.
  uint32_t a = 1, b = 1;
  for (uint32_t v = 0; v < 32; ++v) {
    for (uint32_t i = 0; i < a; ++i) tol::HuffAddStat(t.get(), v);
    uint32_t c = a + b;
    a = b;
    b = c;
  }
  int32_t result = 0;
  writeBytes([&](TOLFile* f) {
    tol::HuffSetOutput(t.get(), f);
    result = tol::HuffStartEncode(t.get());
  });
  EXPECT_EQ(result, -1);
  EXPECT_EQ(t->tooDeep, 1);
}

TEST(HuffmanTree, EscapesTakeTheLowestFreeValues) {
  Tree t = openTree(false);
  ASSERT_TRUE(t);
  // 0, 1, 3 and 5 are used; 5 repeated 40 times uses escape 0 enough to get
  // a code.
  for (uint32_t v : {1u, 0u, 3u}) tol::HuffAddStat(t.get(), v);
  for (int i = 0; i < 40; ++i) tol::HuffAddStat(t.get(), 5);
  writeBytes([&](TOLFile* f) {
    tol::HuffSetOutput(t.get(), f);
    ASSERT_GT(tol::HuffStartEncode(t.get()), 0);
  });
  EXPECT_EQ(t->escapes[0], 2u);
  EXPECT_EQ(t->escapes[1], 4u);
  EXPECT_EQ(t->escapes[2], 6u);
  EXPECT_NE(t->lengths[2], 255);
  EXPECT_EQ(t->lengths[4], 255);
  EXPECT_LT(t->lengths[2], t->lengths[5]);
}

// Statistics gathered, the tree described, the values coded; the decoding
// side loads the description and gets the values back.
struct RoundTrip {
  const char* name;
  bool byteTree;
  size_t count;
  uint32_t range;
  uint32_t repeatEvery;  // every n-th value repeats one of the last three
};

class HuffmanRoundTrip : public testing::TestWithParam<RoundTrip> {};

struct DecodeTrees {
  DecodeTrees(uint32_t wordLeaves, unsigned lookupBits) {
    for (int i = 0; i < 3; ++i) {
      const uint32_t leaves = i == 0 ? wordLeaves : 256;
      storage[i].resize(tol::HuffDecodeTree::bytesFor(leaves, lookupBits) / 4);
      trees[i].init(storage[i].data(), leaves, lookupBits);
    }
  }
  std::vector<uint32_t> storage[3];
  tol::HuffDecodeTree trees[3];
};

TEST_P(HuffmanRoundTrip, DecodesWhatWasCoded) {
  const RoundTrip& p = GetParam();
  std::vector<uint32_t> values = hufftest::randomValues(p.count, 7, p.range);
  if (p.repeatEvery) {
    for (size_t i = 3; i < values.size(); i += p.repeatEvery) values[i] = values[i - 1 - i % 3];
  }
  Tree t = openTree(p.byteTree);
  ASSERT_TRUE(t);
  auto bytes = writeBytes([&](TOLFile* f) {
    tol::HuffSetOutput(t.get(), f);
    for (uint32_t v : values) tol::HuffAddStat(t.get(), v);
    ASSERT_GT(tol::HuffStartEncode(t.get()), 0);
    for (uint32_t v : values) tol::HuffEncode(t.get(), v);
  });
  ASSERT_FALSE(bytes.empty());
  tol::LsbBitReader in(bytes.data(), bytes.data() + bytes.size());
  DecodeTrees d(p.byteTree ? 256 : 65536, 9);
  if (p.byteTree) ASSERT_TRUE(d.trees[0].loadByteTree(in));
  else ASSERT_TRUE(d.trees[0].loadWordTree(in, d.trees[1], d.trees[2]));
  for (size_t i = 0; i < values.size(); ++i) {
    int32_t got = p.byteTree ? d.trees[0].decode(in) : d.trees[0].decodeWord(in);
    ASSERT_EQ(got, static_cast<int32_t>(values[i])) << "value " << i;
  }
  EXPECT_FALSE(in.overrun());
}

INSTANTIATE_TEST_SUITE_P(
    Trees, HuffmanRoundTrip,
    testing::Values(RoundTrip{"bytes_two_values", true, 100, 2, 0}, RoundTrip{"bytes_all", true, 20000, 256, 0},
                    RoundTrip{"words_few", false, 5000, 40, 0}, RoundTrip{"words_wide", false, 30000, 5000, 0},
                    RoundTrip{"words_repeats", false, 20000, 3000, 2},
                    RoundTrip{"words_single", false, 50, 1, 0}),
    [](const testing::TestParamInfo<RoundTrip>& info) { return std::string(info.param.name); });

TEST(HuffmanDecode, RefusesDamagedDescriptions) {
  Tree t = openTree(false);
  ASSERT_TRUE(t);
  auto bytes = writeBytes([&](TOLFile* f) {
    tol::HuffSetOutput(t.get(), f);
    for (uint32_t v : hufftest::randomValues(2000, 3, 700)) tol::HuffAddStat(t.get(), v);
    ASSERT_GT(tol::HuffStartEncode(t.get()), 0);
  });
  // Cut short at every length: loading fails cleanly.
  DecodeTrees d(700, 8);
  for (size_t cut = 0; cut + 1 < bytes.size(); ++cut) {
    tol::LsbBitReader in(bytes.data(), bytes.data() + cut);
    EXPECT_FALSE(d.trees[0].loadWordTree(in, d.trees[1], d.trees[2])) << cut;
  }
  // Too little room for its leaves.
  DecodeTrees small(100, 8);
  tol::LsbBitReader in(bytes.data(), bytes.data() + bytes.size());
  EXPECT_FALSE(small.trees[0].loadWordTree(in, small.trees[1], small.trees[2]));
}

}  // namespace
