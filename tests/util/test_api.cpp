// The helpers through the exported C interface of the shared library.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "tol/tolutil.h"

extern "C" const void* const tolutil_api_functions[];
extern "C" const unsigned tolutil_api_function_count;

TEST(UtilApi, EveryDeclaredFunctionIsExported) {
  for (unsigned i = 0; i < tolutil_api_function_count; ++i) EXPECT_NE(tolutil_api_functions[i], nullptr) << i;
}

TEST(UtilApi, SwitchParsersCutTheirSwitches) {
  char line[] = "\"in put.avi\" out.zrn /D-12 /p /F30;1.001 /O\"my file\" rest";
  EXPECT_EQ(GetSwitchNum(line, 'D', 0), -12);
  EXPECT_EQ(GetSwitch(line, 'P'), 1);
  int32_t n = 0, d = 0;
  GetSwitchFractional(line, 'F', &n, &d, 0, 0);
  EXPECT_EQ(n, 30000);
  EXPECT_EQ(d, 1001);
  char value[TOL_TEXT_SIZE];
  EXPECT_EQ(GetSwitchStr(line, 'O', value, ""), 1);
  EXPECT_STREQ(value, "my file");
  char small[4];
  char again[] = "/Olong";
  EXPECT_EQ(GetSwitchStrN(again, 'O', small, sizeof small, ""), 2);
  EXPECT_STREQ(small, "lon");
  char name[TOL_TEXT_SIZE];
  GetAndRemoveFirstQuoted(name, line);
  EXPECT_STREQ(name, "in put.avi");
  GetAndRemoveFirstQuoted(name, line);
  EXPECT_STREQ(name, "out.zrn");
  EXPECT_STREQ(line, "rest");
}

TEST(UtilApi, TextAndNumberHelpers) {
  char t[] = " x\xE9";
  Trim(t);
  EXPECT_STREQ(t, "x");
  char buf[TOL_ELAPSEDTIME_SIZE];
  EXPECT_STREQ(GetElapsedTime(buf, 61500), "1 minute 1 second");
  CommaNum(buf, 1000);
  EXPECT_STREQ(buf, "1,000");
  EXPECT_EQ(MakeFrameRate(-2997), 2997);
  EXPECT_EQ(tolmalloc(0), nullptr);
  const char* clip = "dir.d/clip.avi";
  EXPECT_EQ(HasExtension(clip), clip + 10);
  char temp[TOL_TEXT_SIZE];
  EXPECT_STREQ(GetTempName(temp, "/tmp/", "XY", 0x1234), "/tmp/XYCBAAAA.AAA");
}

TEST(UtilApi, CopyDataReachesTheReceiver) {
  ::setenv("XDG_RUNTIME_DIR", ::testing::TempDir().c_str(), 1);
  intptr_t id = ::getpid();
  TOLCopyDataReceiver* r = CopyDataListen(id);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(CopyData(id, 0, 4660, 6, "hello"), 1);
  uint32_t tag = 0, size = 0;
  char text[16] = {};
  EXPECT_EQ(CopyDataReceive(r, &tag, text, sizeof text, &size, 1000), 1);
  EXPECT_EQ(tag, 4660u);
  EXPECT_EQ(size, 6u);
  EXPECT_STREQ(text, "hello");
  CopyDataClose(r);
}
