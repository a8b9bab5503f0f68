// The buffer: made on first use, blocks larger than it bypass it, a full
// buffer waits for the next write, and one handle reads and writes in turn.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tolfile_testutil.h"

using namespace fileiotest;

TEST(TOLFileBuffering, BufferIsMadeOnFirstUse) {
  testutil::TempDir dir;
  const std::string name = dir.file("lazy.bin");
  Handle w = create(name, -32);  // the magnitude is the capacity
  ASSERT_TRUE(w);
  EXPECT_EQ(w->buffer, nullptr);
  EXPECT_EQ(w->bufferSize, 32u);
  tol::TOLFilePut8(w.get(), 1);
  EXPECT_NE(w->buffer, nullptr);
  w.reset();

  Handle r = open(name, 32, TOLFILE_READ_ONLY);
  EXPECT_EQ(r->buffer, nullptr);
  EXPECT_EQ(tol::TOLFileSize(r.get()), 1u);
  EXPECT_EQ(r->buffer, nullptr);
  EXPECT_EQ(tol::TOLFileGet8(r.get()), 1u);
  EXPECT_NE(r->buffer, nullptr);
}

TEST(TOLFileBuffering, SmallWritesWaitInTheBufferLargeOnesGoStraightThrough) {
  testutil::TempDir dir;
  const std::string name = dir.file("w.bin");
  const auto data = pattern(200);
  Handle f = create(name, 16);
  tol::TOLFilePut(f.get(), data.data(), 10);
  EXPECT_EQ(diskSize(name), 0u);
  // Fills the buffer, writes it, then the rest bypasses the buffer.
  EXPECT_EQ(tol::TOLFilePut(f.get(), data.data() + 10, 100), 100u);
  EXPECT_EQ(diskSize(name), 110u);
  // A block that fits an empty buffer waits there, even when it fills it.
  tol::TOLFilePut(f.get(), data.data() + 110, 16);
  EXPECT_EQ(diskSize(name), 110u);
  tol::TOLFilePut8(f.get(), data[126]);  // makes room by writing the full buffer
  EXPECT_EQ(diskSize(name), 126u);
  tol::TOLFileFlush(f.get());
  EXPECT_EQ(diskSize(name), 127u);
  // A block larger than the buffer arriving at an empty buffer bypasses it.
  tol::TOLFilePutNB(f.get(), data.data() + 127, 17);
  EXPECT_EQ(diskSize(name), 144u);
  EXPECT_EQ(tol::TOLFileGetPos(f.get()), 144u);
  f.reset();
  EXPECT_EQ(testutil::readFile(name), std::vector<uint8_t>(data.begin(), data.begin() + 144));
}

TEST(TOLFileBuffering, LargeReadsBypassTheBuffer) {
  testutil::TempDir dir;
  const std::string name = dir.file("r.bin");
  const auto data = pattern(200);
  testutil::writeFile(name, data);
  Handle f = open(name, 16, TOLFILE_READ_ONLY);
  std::vector<uint8_t> got(100);
  EXPECT_EQ(tol::TOLFileGet(f.get(), got.data(), 100), 100u);
  EXPECT_TRUE(std::equal(got.begin(), got.end(), data.begin()));
  EXPECT_FALSE(tol::TOLFileIsInBuffer(f.get(), 50));
  EXPECT_EQ(tol::TOLFileGet8(f.get()), data[100]);  // a small read fills the buffer
  EXPECT_TRUE(tol::TOLFileIsInBuffer(f.get(), 100));
  EXPECT_TRUE(tol::TOLFileIsInBuffer(f.get(), 115));
  EXPECT_FALSE(tol::TOLFileIsInBuffer(f.get(), 116));
  EXPECT_FALSE(tol::TOLFileIsInBuffer(f.get(), 99));
  // A read longer than what is left of the file delivers what there is.
  EXPECT_EQ(tol::TOLFileGet(f.get(), got.data(), 100), 99u);
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + 99, data.begin() + 101));
  EXPECT_EQ(tol::TOLFileGet(f.get(), got.data(), 5), 0u);
  EXPECT_TRUE(tol::TOLFileAtEnd(f.get()));
  // After a fill that met the end of the file the buffer still serves reads.
  tol::TOLFileSetPos(f.get(), 20);
  EXPECT_EQ(tol::TOLFileGet8(f.get()), data[20]);
  EXPECT_TRUE(tol::TOLFileIsInBuffer(f.get(), 35));
}

// Reading up to the end of the file leaves a fill of 0 bytes behind; writes
// that follow are still collected in the buffer.
TEST(TOLFileBuffering, WritesAfterReadingToTheEndAreBuffered) {
  testutil::TempDir dir;
  const std::string name = dir.file("end.bin");
  testutil::writeFile(name, pattern(10));
  Handle f = open(name, 16);
  uint8_t all[16];
  EXPECT_EQ(tol::TOLFileGet(f.get(), all, sizeof all), 10u);
  EXPECT_EQ(tol::TOLFileGet8(f.get()), 0u);  // nothing more: an empty fill
  tol::TOLFilePut8(f.get(), 1);
  tol::TOLFilePut32(f.get(), 2);
  EXPECT_EQ(diskSize(name), 10u);
  tol::TOLFileFlush(f.get());
  EXPECT_EQ(diskSize(name), 15u);
}

TEST(TOLFileBuffering, UnbufferedHandleGoesStraightThrough) {
  testutil::TempDir dir;
  const std::string name = dir.file("u.bin");
  Handle f = create(name, 0);
  tol::TOLFilePut8(f.get(), 0x11);
  EXPECT_EQ(diskSize(name), 1u);
  tol::TOLFilePut32(f.get(), 0x55443322);
  EXPECT_EQ(diskSize(name), 5u);
  tol::TOLFilePutBits(f.get(), 0x66, 8);
  EXPECT_EQ(tol::TOLFileGetPos(f.get()), 6u);
  tol::TOLFileSetPos(f.get(), 1);
  EXPECT_EQ(tol::TOLFileGet16(f.get()), 0x3322u);
  EXPECT_EQ(tol::TOLFileGetPos(f.get()), 3u);
  tol::TOLFilePut8(f.get(), 0x99);  // in place, at the logical position
  EXPECT_EQ(tol::TOLFileGetPos(f.get()), 4u);
  EXPECT_EQ(tol::TOLFileGetBits(f.get(), 4), 0x5u);
  EXPECT_EQ(tol::TOLFileGetPos(f.get()), 4u);
  EXPECT_EQ(f->buffer, nullptr);
  f.reset();
  EXPECT_EQ(testutil::readFile(name), (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x99, 0x55, 0x66}));
}

// A long random mix of reads, writes and seeks on one handle, for several
// buffer sizes, checked step by step against a model of the file.
TEST(TOLFileBuffering, RandomReadsWritesAndSeeksMatchAModel) {
  testutil::TempDir dir;
  const std::string name = dir.file("model.bin");
  for (int32_t bufferSize : {0, 1, 3, 16, 64}) {
    for (bool existing : {false, true}) {
      SCOPED_TRACE(testing::Message() << "buffer " << bufferSize << (existing ? " open" : " create"));
      std::vector<uint8_t> model;
      Handle f;
      if (existing) {
        model = pattern(100, 5);
        testutil::writeFile(name, model);
        f = open(name, bufferSize);
      } else {
        f = create(name, bufferSize);
      }
      ASSERT_TRUE(f);
      std::mt19937 rng(static_cast<uint32_t>(bufferSize * 2 + existing));
      const uint32_t maxBlock = 3 * std::max(bufferSize, 4) + 2;
      uint32_t pos = 0;
      for (int step = 0; step < 2500; ++step) {
        const uint32_t size = static_cast<uint32_t>(model.size());
        switch (rng() % 7) {
          case 0: {  // block write
            const auto block = pattern(1 + rng() % maxBlock, rng());
            const uint32_t n = static_cast<uint32_t>(block.size());
            ASSERT_EQ(rng() % 2 ? tol::TOLFilePut(f.get(), block.data(), n) : tol::TOLFilePutNB(f.get(), block.data(), n), n);
            if (pos + n > model.size()) model.resize(pos + n);
            std::copy(block.begin(), block.end(), model.begin() + pos);
            pos += n;
            break;
          }
          case 1: {  // word write
            const uint32_t v = rng(), width = 1u << (rng() % 3);
            if (width == 1) tol::TOLFilePut8(f.get(), v);
            if (width == 2) tol::TOLFilePut16(f.get(), v);
            if (width == 4) tol::TOLFilePut32(f.get(), v);
            if (pos + width > model.size()) model.resize(pos + width);
            for (uint32_t i = 0; i < width; ++i) model[pos + i] = static_cast<uint8_t>(v >> (8 * i));
            pos += width;
            break;
          }
          case 2: {  // block read
            const uint32_t n = 1 + rng() % maxBlock;
            const uint32_t expect = std::min(n, size - pos);
            std::vector<uint8_t> got(n);
            ASSERT_EQ(rng() % 2 ? tol::TOLFileGet(f.get(), got.data(), n) : tol::TOLFileGetNB(f.get(), got.data(), n), expect);
            ASSERT_TRUE(std::equal(got.begin(), got.begin() + expect, model.begin() + pos));
            pos += expect;
            break;
          }
          case 3: {  // word read
            const uint32_t width = 1u << (rng() % 3);
            const uint32_t v = width == 1 ? tol::TOLFileGet8(f.get()) : width == 2 ? tol::TOLFileGet16(f.get()) : tol::TOLFileGet32(f.get());
            if (pos + width <= size) {
              uint32_t expect = 0;
              for (uint32_t i = 0; i < width; ++i) expect |= static_cast<uint32_t>(model[pos + i]) << (8 * i);
              ASSERT_EQ(v, expect);
            }
            pos = std::min(pos + width, size);
            break;
          }
          case 4: {  // seek within the file
            const uint32_t to = static_cast<uint32_t>(rng() % (size + 1));
            ASSERT_EQ(tol::TOLFileSetPos(f.get(), to), pos);
            pos = to;
            break;
          }
          case 5:
            ASSERT_EQ(tol::TOLFileSize(f.get()), size);
            ASSERT_EQ(tol::TOLFileAtEnd(f.get()) != 0, pos >= size);
            break;
          case 6:
            if (rng() % 4 == 0) tol::TOLFileFlush(f.get());
            break;
        }
        ASSERT_EQ(tol::TOLFileGetPos(f.get()), pos) << "step " << step;
      }
      EXPECT_EQ(f->writeError, 0);
      f.reset();
      ASSERT_EQ(testutil::readFile(name), model);
    }
  }
}

TEST(TOLFileBuffering, WordsStraddlingARefillAreLittleEndian) {
  testutil::TempDir dir;
  const std::string name = dir.file("le.bin");
  testutil::writeFile(name, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09});
  Handle f = open(name, 3, TOLFILE_READ_ONLY);
  EXPECT_EQ(tol::TOLFileGet16(f.get()), 0x0201u);
  EXPECT_EQ(tol::TOLFileGet32(f.get()), 0x06050403u);  // one byte from the buffer, three read directly
  EXPECT_EQ(tol::TOLFileGet8(f.get()), 0x07u);
  EXPECT_EQ(tol::TOLFileGetBits(f.get(), 16), 0x0908u);
}
