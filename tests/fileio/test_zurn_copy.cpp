// zurnmake's own copy of the file code binds to zurnmake's allocator.
#include <gtest/gtest.h>

#include "fileio/tolfile.h"
#include "testutil.h"

TEST(TOLFileZurnCopy, RecordAndBufferComeFromTheEncoderAllocator) {
  testutil::TempDir dir;
  const std::string name = dir.file("z.bin");
  TOLFile* f = tol::TOLFileCreate(64, name.c_str());
  ASSERT_NE(f, nullptr);
  tol::TOLFilePutBits(f, 0x2A5, 10);
  for (auto* block : {reinterpret_cast<uint8_t*>(f), f->buffer}) {
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 32, 0u);
    EXPECT_GE(block[-1], 1);
    EXPECT_LE(block[-1], 32);
  }
  tol::TOLFileClose(f);
  EXPECT_EQ(testutil::readFile(name), (std::vector<uint8_t>{0xA5, 0x02}));
}
