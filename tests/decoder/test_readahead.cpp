// The read-ahead ring of the frame source, driven step by step.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "decode/readahead.h"
#include "testutil.h"

namespace {

using tol::ZurnFrameSource;
constexpr uint32_t kChunk = ZurnFrameSource::kChunk;

std::vector<uint8_t> pattern(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; i++) v[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
  return v;
}

class ReadAhead : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes = pattern(10 * kChunk + 1000);
    name = dir.file("data.bin");
    testutil::writeFile(name, bytes);
    ASSERT_TRUE(source.open(name.c_str()));
    ring.resize(3 * kChunk + 100);  // rounded down to 3 chunks
    source.setBuffer(ring.data(), static_cast<uint32_t>(ring.size()), static_cast<uint32_t>(bytes.size()));
  }
  // Reads through the ring and checks the bytes against the file.
  void expectRead(uint32_t offset, uint32_t n) {
    std::vector<uint8_t> out(n);
    ASSERT_EQ(source.readFrame(offset, out.data(), n), n);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), bytes.begin() + offset)) << "at " << offset;
  }
  void fill() {
    while (source.fillStep() > 0) {
    }
  }

  testutil::TempDir dir;
  std::string name;
  std::vector<uint8_t> bytes;
  std::vector<uint8_t> ring;
  ZurnFrameSource source;
};

TEST_F(ReadAhead, FillsWholeChunksUpToTheRingSize) {
  EXPECT_EQ(source.ringSize(), 3 * kChunk);
  fill();
  EXPECT_EQ(source.buffered(), 3 * kChunk);
  EXPECT_EQ(source.fillStep(), 0);
  EXPECT_EQ(source.target(), 3 * kChunk);
  EXPECT_GE(source.fillPercent(), 100u);
}

TEST_F(ReadAhead, SequentialReadsWrapAroundTheRing) {
  fill();
  uint32_t offset = 0;
  for (uint32_t n : {1000u, 5000u, 3000u, 7000u, 4096u, 8000u}) {
    expectRead(offset, n);
    offset += n;
    fill();
    EXPECT_LE(source.buffered(), 3 * kChunk);
  }
  // The last 1000 bytes (less than a chunk) are never read ahead.
  expectRead(offset, static_cast<uint32_t>(bytes.size()) - offset);
  EXPECT_EQ(source.fillStep(), 0);
}

TEST_F(ReadAhead, SkipsForwardInsideTheRingAndJumpsElsewhere) {
  fill();
  expectRead(100, 200);                // skip 100 bytes inside the ring
  EXPECT_EQ(source.buffered(), 3 * kChunk - 300);
  expectRead(3 * kChunk - 50, 50);     // up to the end of what is buffered
  EXPECT_EQ(source.buffered(), 0u);
  expectRead(50, 500);                 // behind: the ring is emptied
  fill();
  expectRead(9 * kChunk, 2000);        // beyond the next background read
  EXPECT_EQ(source.buffered(), 0u);
  expectRead(9 * kChunk + 2000, 2000); // straight from the file
}

TEST_F(ReadAhead, TargetFollowsTheRestOfTheFile) {
  fill();
  expectRead(0, 8 * kChunk);
  // 2 chunks and 1000 bytes are left: the target is what is left, until
  // the fill step finds less than a chunk to read and settles for what it has.
  EXPECT_EQ(source.target(), 2 * kChunk + 1000);
  fill();
  EXPECT_EQ(source.buffered(), 2 * kChunk);
  EXPECT_EQ(source.target(), 2 * kChunk);
  EXPECT_GE(source.fillPercent(), 100u);
}

TEST_F(ReadAhead, ShortFileGivesShortReads) {
  // The ring believes in a longer file than there is.
  source.setBuffer(ring.data(), static_cast<uint32_t>(ring.size()), static_cast<uint32_t>(bytes.size()) + 3 * kChunk);
  std::vector<uint8_t> out(2 * kChunk);
  EXPECT_EQ(source.readFrame(static_cast<uint32_t>(bytes.size()) - 100, out.data(), 2 * kChunk), 100u);
  EXPECT_EQ(source.fillStep(), 0);  // the chunk there is incomplete: no read-ahead
  EXPECT_EQ(source.buffered(), 0u);
  expectRead(0, 100);  // a jump starts afresh
  EXPECT_GT(source.fillStep(), 0);
}

TEST_F(ReadAhead, ZeroSizedRingReadsStraightFromTheFile) {
  source.setBuffer(nullptr, 0, static_cast<uint32_t>(bytes.size()));
  EXPECT_EQ(source.fillStep(), 0);
  expectRead(0, 5000);
  expectRead(7000, 3000);
  expectRead(100, 10);
}

TEST(ReadAheadHandle, OffsetsCountFromTheHandlesPosition) {
  testutil::TempDir dir;
  std::string name = dir.file("data.bin");
  std::vector<uint8_t> bytes = pattern(3 * kChunk);
  testutil::writeFile(name, bytes);
  int fd = ::open(name.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::lseek(fd, 1000, SEEK_SET), 1000);
  {
    ZurnFrameSource source;
    ASSERT_TRUE(source.attach(fd));
    EXPECT_EQ(source.fileSize(), bytes.size() - 1000);
    uint8_t b[4];
    ASSERT_EQ(source.readDirect(10, b, 4), 4u);
    EXPECT_TRUE(std::equal(b, b + 4, bytes.begin() + 1010));
  }
  // The handle stays open: the caller owns it.
  EXPECT_EQ(::lseek(fd, 0, SEEK_SET), 0);
  ::close(fd);
}

TEST(ReadAheadOpen, MissingFileFails) {
  testutil::TempDir dir;
  ZurnFrameSource source;
  EXPECT_FALSE(source.open(dir.file("none.zrn").c_str()));
  EXPECT_FALSE(source.open(nullptr));
  EXPECT_EQ(source.readDirect(0, nullptr, 0), 0u);
}

}  // namespace
