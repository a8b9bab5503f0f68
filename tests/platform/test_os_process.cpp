// Starting a program without waiting for it.
#include <gtest/gtest.h>

#include <thread>

#include "platform/os.h"
#include "testutil.h"

namespace os = tol::os;

// The started script waits until the test creates a go file, which the test
// does only after startProgram has returned; had startProgram waited for the
// program, the script would give up and write "late" instead of "ok".
TEST(OsProcess, StartsAProgramWithoutWaitingForIt) {
  testutil::TempDir dir;
  const std::string go = dir.file("go"), done = dir.file("done");
  const std::string script = "i=0; while [ ! -e \"$1\" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i+1)); done; "
                             "if [ -e \"$1\" ]; then echo ok > \"$2.tmp\"; else echo late > \"$2.tmp\"; fi; "
                             "mv \"$2.tmp\" \"$2\"";
  const char* args[] = {"/bin/sh", "-c", script.c_str(), "sh", go.c_str(), done.c_str(), nullptr};
  ASSERT_TRUE(os::startProgram(args));
  testutil::writeFile(go, {});
  for (int i = 0; i < 200 && !std::filesystem::exists(done); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  auto result = testutil::readFile(done);
  EXPECT_EQ(std::string(result.begin(), result.end()), "ok\n");
}

TEST(OsProcess, ReportsAProgramThatCannotStart) {
  testutil::TempDir dir;
  const std::string missing = dir.file("no-such-program");
  const char* args[] = {missing.c_str(), nullptr};
  EXPECT_FALSE(os::startProgram(args));
  testutil::writeFile(missing, {'x'});  // exists but is not executable
  EXPECT_FALSE(os::startProgram(args));
  const char* none[] = {nullptr};
  EXPECT_FALSE(os::startProgram(none));
  EXPECT_FALSE(os::startProgram(nullptr));
}
