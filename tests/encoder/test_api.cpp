// The exported interface through the shared library: the public header's
// functions and record, a whole job driven by a host, the callback.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "testutil.h"
#include "tol/zurnmake.h"

extern "C" const void* const zurnmake_api_functions[];
extern "C" const unsigned zurnmake_api_function_count;
extern "C" const size_t zurnmake_record_offsets[];

namespace {

TEST(ZurnMakeApi, ExportsAndRecordLayout) {
  EXPECT_EQ(zurnmake_api_function_count, 6u);
  for (unsigned i = 0; i < zurnmake_api_function_count; ++i) EXPECT_NE(zurnmake_api_functions[i], nullptr);
  const size_t expected[] = {0, 4, 8, 12, 16, 20, 276, 532};
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(zurnmake_record_offsets[i], expected[i]) << i;
}

std::vector<std::string> g_steps;
int32_t TOL_CC host(int32_t kind, ZurnMakeState* job, const char* text) {
  if (kind == ZURNMAKE_PROGRESS && std::strcmp(text, "Compressing") == 0)
    g_steps.push_back(std::to_string(job->progressFrame));
  return 0;
}

TEST(ZurnMakeApi, HostEncodesAFile) {
  testutil::TempDir dir;
  const std::string name = dir.file("host.zrn");
  const uint32_t w = 40, h = 24;
  ZurnMakeState* job = ZurnMake(name.c_str(), 4 * w, w, h, 3, 0, 0, 25, 1, 0, nullptr, 2, host);
  ASSERT_NE(job, nullptr);
  EXPECT_EQ(job->frameCount, 3u);
  EXPECT_EQ(std::string(job->tempName), name + ".tmp");
  std::vector<uint8_t> pixels(4 * w * h);
  for (uint32_t k = 0; k < 3; ++k) {
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7 + k * 13);
    ZurnMakePutVideo(job, 800, 4000, 0, pixels.data());
  }
  EXPECT_EQ(job->framesWritten, 3u);
  EXPECT_EQ(ZurnMakeFlush(job), 1);
  const uint32_t size = ZurnMakeClose(job, 0);
  EXPECT_EQ(testutil::readFile(name).size(), size);
  EXPECT_EQ(g_steps, (std::vector<std::string>{"0", "1", "2"}));
}

}  // namespace
