// Positions, seeks, the file size and alignment.
#include <gtest/gtest.h>

#include <algorithm>

#include "tolfile_testutil.h"

using namespace fileiotest;

TEST(TOLFilePositions, SeekToTheCurrentPositionTouchesNothing) {
  testutil::TempDir dir;
  const std::string name = dir.file("s.bin");
  testutil::writeFile(name, pattern(64));
  Handle f = open(name, 16, TOLFILE_READ_ONLY);
  tol::TOLFileSetPos(f.get(), 10);
  tol::TOLFileGetBits(f.get(), 3);
  EXPECT_EQ(tol::TOLFileSetPos(f.get(), 10), 10u);
  EXPECT_EQ(tol::TOLFileBitPos(f.get()), 3);  // still inside byte 10
}

// The file is changed on disk behind the handle's back: what still comes out
// as before was served from the buffer without asking the OS.
TEST(TOLFilePositions, SeekInsideTheBufferDoesNotReadTheFile) {
  testutil::TempDir dir;
  const std::string name = dir.file("b.bin");
  const auto before = pattern(100, 1);
  const auto after = pattern(100, 2);
  testutil::writeFile(name, before);
  Handle f = open(name, 32, TOLFILE_READ_ONLY);
  uint8_t head[8];
  tol::TOLFileGet(f.get(), head, sizeof head);
  testutil::writeFile(name, after);

  EXPECT_TRUE(tol::TOLFileIsInBuffer(f.get(), 2));
  EXPECT_EQ(tol::TOLFileSetPos(f.get(), 2), 8u);
  EXPECT_EQ(tol::TOLFileGet8(f.get()), before[2]);
  EXPECT_EQ(tol::TOLFileSetPos(f.get(), 31), 3u);
  EXPECT_EQ(tol::TOLFileGet8(f.get()), before[31]);
  // Outside the buffer the seek goes to the OS and the next read refills.
  EXPECT_FALSE(tol::TOLFileIsInBuffer(f.get(), 40));
  EXPECT_EQ(tol::TOLFileSetPos(f.get(), 40), 32u);
  EXPECT_EQ(tol::TOLFileGet8(f.get()), after[40]);
  EXPECT_EQ(tol::TOLFileSetPos(f.get(), 0), 41u);
  EXPECT_EQ(tol::TOLFileGet8(f.get()), after[0]);
}

TEST(TOLFilePositions, SeekWhileWritingWritesTheBufferOut) {
  testutil::TempDir dir;
  const std::string name = dir.file("w.bin");
  Handle f = create(name, 64);
  for (uint32_t i = 0; i < 10; ++i) tol::TOLFilePut8(f.get(), i);
  tol::TOLFilePutBits(f.get(), 1, 1);
  EXPECT_FALSE(tol::TOLFileIsInBuffer(f.get(), 5));  // only while reading
  EXPECT_EQ(diskSize(name), 0u);
  EXPECT_EQ(tol::TOLFileSetPos(f.get(), 4), 10u);
  EXPECT_EQ(diskSize(name), 11u);  // the partial byte went out padded
  tol::TOLFilePut8(f.get(), 0xEE);
  EXPECT_EQ(tol::TOLFileSize(f.get()), 11u);
  EXPECT_EQ(tol::TOLFileGet8(f.get()), 5u);
  EXPECT_EQ(tol::TOLFileSetPos(f.get(), 10), 6u);
  EXPECT_EQ(tol::TOLFileGet8(f.get()), 1u);
}

TEST(TOLFilePositions, SizeAndEndFollowWritesAndSeeks) {
  testutil::TempDir dir;
  const std::string name = dir.file("z.bin");
  Handle f = create(name, 16);
  EXPECT_TRUE(tol::TOLFileAtEnd(f.get()));
  EXPECT_EQ(tol::TOLFileSize(f.get()), 0u);
  uint8_t block[40] = {};
  tol::TOLFilePut(f.get(), block, sizeof block);
  EXPECT_EQ(tol::TOLFileSize(f.get()), 40u);
  EXPECT_TRUE(tol::TOLFileAtEnd(f.get()));
  tol::TOLFileSetPos(f.get(), 39);
  EXPECT_FALSE(tol::TOLFileAtEnd(f.get()));
  EXPECT_EQ(tol::TOLFileSize(f.get()), 40u);
  // A seek past the end reports the position as the size; writing there
  // fills the gap with zeros.
  tol::TOLFileSetPos(f.get(), 50);
  EXPECT_EQ(tol::TOLFileSize(f.get()), 50u);
  tol::TOLFilePut8(f.get(), 7);
  f.reset();
  auto bytes = testutil::readFile(name);
  ASSERT_EQ(bytes.size(), 51u);
  EXPECT_EQ(bytes[45], 0);
  EXPECT_EQ(bytes[50], 7);

  f = open(name, 16, TOLFILE_READ_ONLY);
  EXPECT_EQ(tol::TOLFileSize(f.get()), 51u);
  tol::TOLFileSetPos(f.get(), 50);
  EXPECT_FALSE(tol::TOLFileAtEnd(f.get()));
  tol::TOLFileGet8(f.get());
  EXPECT_TRUE(tol::TOLFileAtEnd(f.get()));
}

TEST(TOLFilePositions, AlignPadsTheFileWithZerosUpToTheBoundary) {
  testutil::TempDir dir;
  const std::string name = dir.file("a.bin");
  const auto data = pattern(5000);
  testutil::writeFile(name, data);
  Handle f = open(name, 4096);
  tol::TOLFileSetPos(f.get(), 5000);
  EXPECT_EQ(tol::TOLFileAlign(f.get(), 2048), 0);
  EXPECT_EQ(tol::TOLFileGetPos(f.get()), 6144u);
  EXPECT_EQ(tol::TOLFileAlign(f.get(), 2048), 3);  // already aligned: the position in units
  f.reset();
  auto bytes = testutil::readFile(name);
  ASSERT_EQ(bytes.size(), 6144u);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), bytes.begin()));
  EXPECT_EQ(std::count(bytes.begin() + 5000, bytes.end(), 0), 1144);
}

TEST(TOLFilePositions, AlignInsideTheFileOnlyMoves) {
  testutil::TempDir dir;
  const std::string name = dir.file("m.bin");
  const auto data = pattern(100);
  testutil::writeFile(name, data);
  Handle f = open(name, 16);
  tol::TOLFileSetPos(f.get(), 10);
  tol::TOLFileGetBits(f.get(), 1);  // byte-aligns to 11 first
  EXPECT_EQ(tol::TOLFileAlign(f.get(), 16), 11);  // the old position
  EXPECT_EQ(tol::TOLFileGet8(f.get()), data[16]);
  EXPECT_EQ(tol::TOLFileAlign(f.get(), 1), 17);
  EXPECT_EQ(tol::TOLFileAlign(f.get(), 0), 17);
  f.reset();
  EXPECT_EQ(testutil::readFile(name), data);

  // While writing, a partial byte is completed before aligning.
  f = create(name, 16);
  tol::TOLFilePutBits(f.get(), 3, 2);
  EXPECT_EQ(tol::TOLFileAlign(f.get(), 4), 0);
  f.reset();
  EXPECT_EQ(testutil::readFile(name), (std::vector<uint8_t>{3, 0, 0, 0}));
}
