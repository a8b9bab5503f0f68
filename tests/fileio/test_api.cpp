// The buffered file functions as exported by the shared tolutil library.
#include <gtest/gtest.h>

#include "testutil.h"
#include "tol/tolfile.h"

TEST(TOLFileApi, ExportedFunctionsWorkTogether) {
  testutil::TempDir dir;
  const std::string name = dir.file("api.txt");
  TOLFile* f = TOLFileCreateWithRead(1024, name.c_str());
  ASSERT_NE(f, nullptr);
  const char text[] = "first\r\nsecond\n";
  EXPECT_EQ(TOLFilePut(f, text, sizeof text - 1), sizeof text - 1);
  EXPECT_EQ(TOLFilePutBits(f, 0x41, 8), 0x41u);
  EXPECT_EQ(TOLFileGetPos(f), sizeof text);
  TOLFileClose(f);
  LogString(name.c_str(), "B");

  f = TOLFileOpen(1024, name.c_str(), TOLFILE_READ_ONLY);
  ASSERT_NE(f, nullptr);
  char line[32];
  EXPECT_STREQ(TOLFileGetLine(f, line, sizeof line), "first");
  EXPECT_STREQ(TOLFileGetLine(f, line, sizeof line), "second");
  EXPECT_EQ(TOLFileGetBits(f, 4), 0x1u);
  EXPECT_EQ(TOLFileBitPos(f), 4);
  EXPECT_EQ(TOLFileGet8(f), 0x24u);
  TOLFileByteAlign(f);
  EXPECT_TRUE(TOLFileAtEnd(f));
  EXPECT_STREQ(TOLFileGetName(f, nullptr), name.c_str());
  TOLFileClose(f);
  EXPECT_EQ(TOLFileErase(name.c_str()), 0);
  EXPECT_EQ(TOLFileErase(name.c_str()), 1);
}
