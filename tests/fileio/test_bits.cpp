// Bit fields: least significant bit first, across byte and buffer boundaries,
// and mixed with whole-byte reads and writes at a bit offset.
#include <gtest/gtest.h>

#include <random>

#include "tolfile_testutil.h"

using namespace fileiotest;

namespace {

// Reference bit stream: bit i of the stream is bit (i % 8) of byte i / 8.
struct BitStream {
  std::vector<uint8_t> bytes;
  uint64_t bits = 0;
  void put(uint32_t value, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i, ++bits) {
      if (bits % 8 == 0) bytes.push_back(0);
      bytes.back() |= static_cast<uint8_t>(((value >> i) & 1) << (bits % 8));
    }
  }
};

enum class Op { Bits, Block, Byte, Word, Dword };

struct Field {
  Op op;
  uint32_t width;  // bits
  uint32_t value;  // for Bits / Byte / Word / Dword
  std::vector<uint8_t> block;
};

std::vector<Field> randomFields(uint32_t seed, int count) {
  std::mt19937 rng(seed);
  std::vector<Field> fields;
  for (int i = 0; i < count; ++i) {
    Field f{static_cast<Op>(rng() % 5), 0, static_cast<uint32_t>(rng()), {}};
    switch (f.op) {
      case Op::Bits: f.width = 1 + rng() % 32; break;
      case Op::Block: f.block = pattern(1 + rng() % 12, rng()); f.width = 8 * static_cast<uint32_t>(f.block.size()); break;
      case Op::Byte: f.width = 8; break;
      case Op::Word: f.width = 16; break;
      case Op::Dword: f.width = 32; break;
    }
    if (f.width < 32) f.value &= (1u << f.width) - 1;
    fields.push_back(std::move(f));
  }
  return fields;
}

uint32_t readAsBits(TOLFile* f, uint32_t width) { return tol::TOLFileGetBits(f, width); }

}  // namespace

TEST(TOLFileBits, FieldsComeFromBitZeroUpward) {
  testutil::TempDir dir;
  const std::string name = dir.file("b.bin");
  testutil::writeFile(name, {0xB5, 0x3C});
  Handle f = open(name, 16, TOLFILE_READ_ONLY);
  ASSERT_TRUE(f);
  EXPECT_EQ(tol::TOLFileGetBits(f.get(), 3), 5u);
  EXPECT_EQ(tol::TOLFileGetBits(f.get(), 8), 0x96u);
  EXPECT_EQ(tol::TOLFileGetBits(f.get(), 5), 7u);
  EXPECT_EQ(tol::TOLFileBitPos(f.get()), 0);
  EXPECT_TRUE(tol::TOLFileAtEnd(f.get()));
}

TEST(TOLFileBits, FlushPadsAPartialByteWithZeros) {
  testutil::TempDir dir;
  const std::string name = dir.file("w.bin");
  Handle f = create(name, 16);
  tol::TOLFilePutBits(f.get(), 5, 3);
  EXPECT_EQ(tol::TOLFileBitPos(f.get()), 3);
  EXPECT_EQ(tol::TOLFileGetPos(f.get()), 0u);  // an unfinished byte does not count
  tol::TOLFileFlush(f.get());
  EXPECT_EQ(tol::TOLFileBitPos(f.get()), 0);
  EXPECT_EQ(testutil::readFile(name), (std::vector<uint8_t>{0x05}));
  // The value's bits above the width are ignored.
  tol::TOLFilePutBits(f.get(), 0xFFFFFFF0u | 0x9, 4);
  tol::TOLFilePutBits(f.get(), 0xFFu, 2);
  f.reset();
  EXPECT_EQ(testutil::readFile(name), (std::vector<uint8_t>{0x05, 0x39}));
}

TEST(TOLFileBits, WidthsAreTakenModulo32) {
  testutil::TempDir dir;
  const std::string name = dir.file("m.bin");
  Handle f = create(name, 16);
  tol::TOLFilePutBits(f.get(), 0xFF, 0);  // nothing
  tol::TOLFilePutBits(f.get(), 0x3, 33);  // one bit
  tol::TOLFilePutBits(f.get(), 0x12345678u, 64);  // 32 bits
  f.reset();
  EXPECT_EQ(testutil::readFile(name), (std::vector<uint8_t>{0xF1, 0xAC, 0x68, 0x24, 0x00}));
  f = open(name, 16, TOLFILE_READ_ONLY);
  EXPECT_EQ(tol::TOLFileGetBits(f.get(), 0), 0u);
  EXPECT_EQ(tol::TOLFileGetPos(f.get()), 0u);
  EXPECT_EQ(tol::TOLFileGetBits(f.get(), 33), 1u);
  EXPECT_EQ(tol::TOLFileGetBits(f.get(), 64), 0x12345678u);
}

TEST(TOLFileBits, PositionCountsAPartlyReadByteUntilAligned) {
  testutil::TempDir dir;
  const std::string name = dir.file("p.bin");
  testutil::writeFile(name, pattern(20));
  Handle f = open(name, 8, TOLFILE_READ_ONLY);
  tol::TOLFileSetPos(f.get(), 10);
  tol::TOLFileGetBits(f.get(), 3);
  EXPECT_EQ(tol::TOLFileGetPos(f.get()), 10u);
  EXPECT_EQ(tol::TOLFileBitPos(f.get()), 3);
  tol::TOLFileByteAlign(f.get());
  EXPECT_EQ(tol::TOLFileGetPos(f.get()), 11u);
  EXPECT_EQ(tol::TOLFileBitPos(f.get()), 0);
}

// Random streams of fields written with every kind of put, at every bit
// offset, through buffers that force refills in the middle of fields; read
// back alternately with the matching get and with TOLFileGetBits.
TEST(TOLFileBits, RandomFieldsRoundTripThroughAnyBuffer) {
  testutil::TempDir dir;
  const std::string name = dir.file("r.bin");
  for (int32_t bufferSize : {0, 1, 5, 64}) {
    SCOPED_TRACE(bufferSize);
    const auto fields = randomFields(77 + bufferSize, 1500);
    BitStream ref;
    Handle f = create(name, bufferSize);
    for (const Field& x : fields) {
      switch (x.op) {
        case Op::Bits:  // bits above the width must not matter
          tol::TOLFilePutBits(f.get(), x.width < 32 ? x.value | ~0u << x.width : x.value, x.width);
          break;
        case Op::Block:
          EXPECT_EQ(tol::TOLFilePut(f.get(), x.block.data(), static_cast<uint32_t>(x.block.size())), x.block.size());
          break;
        case Op::Byte: EXPECT_EQ(tol::TOLFilePut8(f.get(), x.value), x.value); break;
        case Op::Word: EXPECT_EQ(tol::TOLFilePut16(f.get(), x.value), x.value); break;
        case Op::Dword: EXPECT_EQ(tol::TOLFilePut32(f.get(), x.value), x.value); break;
      }
      if (x.op == Op::Block)
        for (uint8_t b : x.block) ref.put(b, 8);
      else
        ref.put(x.value, x.width);
      ASSERT_EQ(tol::TOLFileGetPos(f.get()), ref.bits / 8);
      ASSERT_EQ(tol::TOLFileBitPos(f.get()), static_cast<int32_t>(ref.bits % 8));
    }
    f.reset();
    ASSERT_EQ(testutil::readFile(name), ref.bytes);

    f = open(name, bufferSize, TOLFILE_READ_ONLY);
    uint64_t bitsRead = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
      const Field& x = fields[i];
      const bool asBits = i % 2 == 1;
      if (x.op == Op::Block) {
        std::vector<uint8_t> got(x.block.size());
        if (asBits) {
          for (uint8_t& b : got) b = static_cast<uint8_t>(readAsBits(f.get(), 8));
        } else {
          EXPECT_EQ(tol::TOLFileGet(f.get(), got.data(), static_cast<uint32_t>(got.size())), got.size());
        }
        ASSERT_EQ(got, x.block) << "field " << i;
      } else {
        uint32_t got = 0;
        if (asBits || x.op == Op::Bits) got = readAsBits(f.get(), x.width);
        else if (x.op == Op::Byte) got = tol::TOLFileGet8(f.get());
        else if (x.op == Op::Word) got = tol::TOLFileGet16(f.get());
        else got = tol::TOLFileGet32(f.get());
        ASSERT_EQ(got, x.value) << "field " << i;
      }
      bitsRead += x.width;
      // The position counts the partly read byte as the current one.
      ASSERT_EQ(tol::TOLFileGetPos(f.get()), bitsRead / 8);
      ASSERT_EQ(tol::TOLFileBitPos(f.get()), static_cast<int32_t>(bitsRead % 8));
    }
  }
}

TEST(TOLFileBits, BytesAtABitOffsetAreShiftedThroughThePartialByte) {
  testutil::TempDir dir;
  const std::string name = dir.file("o.bin");
  testutil::writeFile(name, {0xFF, 0x12, 0x34, 0x56, 0x78, 0x9A});
  Handle f = open(name, 4, TOLFILE_READ_ONLY);
  EXPECT_EQ(tol::TOLFileGetBits(f.get(), 4), 0xFu);
  uint8_t got[4] = {};
  EXPECT_EQ(tol::TOLFileGet(f.get(), got, 4), 4u);
  EXPECT_EQ(got[0], 0x2F);
  EXPECT_EQ(got[1], 0x41);
  EXPECT_EQ(got[2], 0x63);
  EXPECT_EQ(got[3], 0x85);
  EXPECT_EQ(tol::TOLFileGetBits(f.get(), 4), 0x7u);
  // Byte-level reads ignore the bit offset.
  tol::TOLFileSetPos(f.get(), 0);
  tol::TOLFileGetBits(f.get(), 4);
  EXPECT_EQ(tol::TOLFileGetNB(f.get(), got, 1), 1u);
  EXPECT_EQ(got[0], 0x12);
}

// Switching from writing to reading pads the partial byte and reads it back
// from its start; a bit write after bit reads continues at the read position
// and keeps the bits already read.
TEST(TOLFileBits, DirectionSwitchesInTheMiddleOfAByte) {
  testutil::TempDir dir;
  const std::string name = dir.file("s.bin");
  {
    Handle f = create(name, 16);
    tol::TOLFilePut8(f.get(), 0xAA);
    tol::TOLFilePutBits(f.get(), 5, 3);
    EXPECT_EQ(tol::TOLFileGet8(f.get()), 0x05u);
    EXPECT_EQ(tol::TOLFileGetPos(f.get()), 2u);
  }
  testutil::writeFile(name, {0xFF, 0xFF, 0xFF});
  {
    Handle f = open(name, 16);
    EXPECT_EQ(tol::TOLFileGetBits(f.get(), 3), 7u);
    tol::TOLFilePutBits(f.get(), 0, 5);
    EXPECT_EQ(tol::TOLFileGetPos(f.get()), 1u);
    EXPECT_EQ(tol::TOLFileGetBits(f.get(), 4), 0xFu);
    tol::TOLFilePut8(f.get(), 0xAB);  // at bit 4 of byte 1
  }
  EXPECT_EQ(testutil::readFile(name), (std::vector<uint8_t>{0x07, 0xBF, 0x0A}));
  {
    Handle f = open(name, 16);  // bits written on a handle still reading
    tol::TOLFilePutBits(f.get(), 5, 3);
  }
  EXPECT_EQ(testutil::readFile(name), (std::vector<uint8_t>{0x05, 0xBF, 0x0A}));
}
