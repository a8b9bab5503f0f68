// The residue writer's walk (which keeps only live entries) against the
// reader's: dense and extreme residues decoded whole and cut after every
// operation must give exactly the recorded operations, and the code words
// past the last bit stay 0. A code asked for only the operations a block
// can use agrees with the whole code on those.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "decode/core/residue_coder.h"
#include "decode/core/scan_orders.h"

using namespace tol;

namespace {

// Decodes the code cut after `ops` operations and compares with the replay
// of the recorded operations.
void expectCutDecodes(const ResidueCode& code, unsigned ops) {
  BitWriter w;
  writeResidue(w, code, ops);
  w.put(0x5, 3);
  w.finishWords();
  BitReader r(w.data(), w.data() + w.byteCount());
  const unsigned limit = r.read(7) + 1;
  uint8_t out[64] = {};
  readResidue(r, limit, out);
  ASSERT_EQ(r.read(3), 0x5u) << "cut after " << ops;
  uint8_t replay[64] = {};
  for (unsigned k = 0; k < ops && k < code.opCount; ++k) replay[code.ops[k].pos] = code.ops[k].value;
  ASSERT_EQ(std::memcmp(out, replay, 64), 0) << "cut after " << ops;
}

void expectCodes(const int8_t resid[64]) {
  static ResidueCode code;
  std::memset(&code, 0xA5, sizeof code);  // stale contents must not leak into the code
  encodeResidue(resid, code);
  ASSERT_GT(code.opCount, 0u);
  ASSERT_LE(code.opCount, ResidueCode::kMaxOps);
  for (unsigned w = (code.totalBits + 31) / 32; w < std::size(code.words); ++w) ASSERT_EQ(code.words[w], 0u);
  if (code.totalBits % 32) {
    ASSERT_EQ(code.words[code.totalBits / 32] >> (code.totalBits % 32), 0u);
  }
  uint8_t whole[64] = {};
  for (unsigned k = 0; k < code.opCount; ++k) {
    if (k) {
      ASSERT_GE(code.ops[k].endBit, code.ops[k - 1].endBit);
    }
    whole[code.ops[k].pos] = code.ops[k].value;
  }
  for (unsigned k = 0; k < 64; ++k) {
    const int want = (resid[kCoefficientScan[k]] == -128 && ((k >= 8 && k < 24) || (k >= 28 && k < 44) || k >= 48))
                         ? -127
                         : resid[kCoefficientScan[k]];
    ASSERT_EQ(static_cast<int8_t>(whole[kCoefficientScan[k]]), want) << "index " << k;
  }
  const unsigned most = code.opCount < 128 ? code.opCount : 128;
  for (unsigned ops = 1; ops <= most; ++ops) expectCutDecodes(code, ops);
}

}  // namespace

TEST(ResidueWriter, DenseAndExtremeBlocks) {
  int8_t resid[64];
  for (int v : {127, -127, -128, 1, -1, 85, -86}) {
    std::memset(resid, v, 64);
    expectCodes(resid);
  }
  for (int i = 0; i < 64; ++i) resid[i] = static_cast<int8_t>(i & 1 ? 127 - i : -128 + i);
  expectCodes(resid);
}

TEST(ResidueWriter, RandomBlocksOfEveryDensity) {
  std::mt19937 rng(19);
  for (int n = 0; n < 400; ++n) {
    int8_t resid[64] = {};
    const int filled = n % 65, range = 1 << (n % 8);
    for (int i = 0; i < filled; ++i)
      resid[rng() % 64] = static_cast<int8_t>(static_cast<int>(rng() % (2 * range)) - range);
    resid[rng() % 64] = 1;  // at least one operation
    expectCodes(resid);
  }
}

TEST(ResidueWriter, OneValueAtEveryIndexAndPlane) {
  for (unsigned k = 0; k < 64; ++k)
    for (int plane = 0; plane < 7; ++plane) {
      int8_t resid[64] = {};
      resid[kCoefficientScan[k]] = static_cast<int8_t>((k & 1 ? -1 : 1) << plane);
      expectCodes(resid);
    }
}

TEST(ResidueWriter, CodeForABlockMatchesTheWholeCodeUpToItsOperations) {
  std::mt19937 rng(29);
  static ResidueCode whole, part;
  int longer = 0;
  for (int n = 0; n < 300; ++n) {
    int8_t resid[64];
    const int range = 2 << (n % 7);
    for (auto& v : resid) v = static_cast<int8_t>(static_cast<int>(rng() % (2 * range)) - range);
    encodeResidue(resid, whole);
    encodeResidue(resid, part, kBlockResidueOps);
    const unsigned used = whole.opCount < kBlockResidueOps ? whole.opCount : kBlockResidueOps;
    ASSERT_GE(part.opCount, used);
    longer += whole.opCount > part.opCount;
    for (unsigned k = 0; k < used; ++k) {
      ASSERT_EQ(part.ops[k].endBit, whole.ops[k].endBit) << n << " op " << k;
      ASSERT_EQ(part.ops[k].pos, whole.ops[k].pos) << n << " op " << k;
      ASSERT_EQ(part.ops[k].value, whole.ops[k].value) << n << " op " << k;
    }
    for (unsigned ops : {1u, used / 2 + 1, used}) {
      BitWriter a, b;
      writeResidue(a, whole, ops);
      writeResidue(b, part, ops);
      a.finishWords();
      b.finishWords();
      ASSERT_EQ(a.byteCount(), b.byteCount());
      ASSERT_EQ(std::memcmp(a.data(), b.data(), a.byteCount()), 0) << n << " ops " << ops;
    }
  }
  EXPECT_GT(longer, 0) << "some codes must have been cut short";
}
