// Files, erase and rename codes, folders and paths, and the clock of the
// operating-system layer.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <future>

#include "platform/os.h"
#include "testutil.h"

namespace os = tol::os;

TEST(OsFiles, CreateReadWriteSeek) {
  testutil::TempDir dir;
  const std::string name = dir.file("f.bin");
  testutil::writeFile(name, std::vector<uint8_t>(100, 9));
  os::File f = os::create(name.c_str());  // truncates
  ASSERT_NE(f, os::kInvalidFile);
  EXPECT_EQ(os::seek(f, 0, 2), 0);
  EXPECT_EQ(os::write(f, "hello world", 11), 11);
  EXPECT_EQ(os::seek(f, 6, 0), 6);
  char buf[16] = {};
  EXPECT_EQ(os::read(f, buf, sizeof buf), 5);
  EXPECT_STREQ(buf, "world");
  EXPECT_EQ(os::seek(f, -5, 1), 6);
  EXPECT_EQ(os::seek(f, 0, 2), 11);
  EXPECT_EQ(os::seek(f, 0, 3), -1);
  EXPECT_EQ(os::read(f, buf, 4), 0);  // at the end
  EXPECT_TRUE(os::commit(f));
  os::close(f);

  f = os::openExisting(name.c_str(), false);
  ASSERT_NE(f, os::kInvalidFile);
  EXPECT_EQ(os::write(f, "x", 1), -1);  // read only
  EXPECT_EQ(os::read(f, buf, 5), 5);
  os::close(f);
  f = os::openExisting(name.c_str(), true);
  EXPECT_EQ(os::write(f, "H", 1), 1);
  os::close(f);
  EXPECT_EQ(testutil::readFile(name)[0], 'H');

  EXPECT_EQ(os::openExisting(dir.file("missing").c_str(), false), os::kInvalidFile);
  EXPECT_EQ(os::openExisting(dir.path().c_str(), false), os::kInvalidFile);
  EXPECT_EQ(os::openExisting(nullptr, false), os::kInvalidFile);
  EXPECT_EQ(os::create(dir.file("no/folder").c_str()), os::kInvalidFile);
}

TEST(OsFiles, OpeningANamedPipeDoesNotWait) {
  testutil::TempDir dir;
  const std::string name = dir.file("fifo");
  ASSERT_EQ(mkfifo(name.c_str(), 0600), 0);
  auto opened = std::async(std::launch::async, [&] { return os::openExisting(name.c_str(), false); });
  bool waited = opened.wait_for(std::chrono::seconds(5)) == std::future_status::timeout;
  if (waited) ::close(::open(name.c_str(), O_WRONLY));  // let it finish
  EXPECT_FALSE(waited);
  os::close(opened.get());
}

TEST(OsFiles, FileTimeRoundTripsIn100nsUnitsFrom1601) {
  testutil::TempDir dir;
  const std::string name = dir.file("t.bin");
  os::File f = os::create(name.c_str());
  // 2001-09-09 01:46:40 UTC, one second and 100 ns after a round number.
  const uint64_t time = (1000000000ull + 11644473600ull) * 10000000ull + 10000001ull;
  EXPECT_TRUE(os::setFileTime(f, time));
  EXPECT_EQ(os::fileTime(f), time);
  os::close(f);
  struct stat st;
  ASSERT_EQ(stat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1000000001);
  EXPECT_EQ(st.st_mtim.tv_nsec, 100);
}

TEST(OsFiles, EraseCodes) {
  testutil::TempDir dir;
  const std::string name = dir.file("e");
  EXPECT_EQ(os::erase(name.c_str()), 1);
  EXPECT_EQ(os::erase((name + "/below").c_str()), 1);
  testutil::writeFile(name, {1});
  EXPECT_EQ(os::erase((name + "/below").c_str()), 1);  // a file is no folder
  EXPECT_EQ(os::erase(name.c_str()), 0);
  EXPECT_FALSE(os::exists(name.c_str()));
  EXPECT_EQ(os::erase(dir.path().c_str()), 2);
  EXPECT_EQ(os::erase(nullptr), 2);
}

TEST(OsFiles, RenameCodes) {
  testutil::TempDir dir;
  const std::string a = dir.file("a"), b = dir.file("b");
  EXPECT_EQ(os::rename(b.c_str(), a.c_str()), 1);
  testutil::writeFile(a, {1});
  EXPECT_EQ(os::rename(b.c_str(), a.c_str()), 0);
  EXPECT_FALSE(os::exists(a.c_str()));
  testutil::writeFile(a, {2});
  EXPECT_EQ(os::rename(b.c_str(), a.c_str()), 2);  // never replaces
  EXPECT_EQ(testutil::readFile(a), std::vector<uint8_t>{2});
  EXPECT_EQ(testutil::readFile(b), std::vector<uint8_t>{1});
  EXPECT_EQ(os::rename(dir.file("missing/b").c_str(), a.c_str()), 2);
  EXPECT_EQ(os::rename(nullptr, a.c_str()), 2);
  EXPECT_EQ(os::rename(b.c_str(), nullptr), 2);
}

TEST(OsPaths, FullPathNormalises) {
  char out[PATH_MAX];
  ASSERT_TRUE(os::fullPath("/a//b/./c/../d", out, sizeof out));
  EXPECT_STREQ(out, "/a/b/d");
  ASSERT_TRUE(os::fullPath("/a/b/", out, sizeof out));
  EXPECT_STREQ(out, "/a/b/");  // a trailing separator marks a folder
  ASSERT_TRUE(os::fullPath("/../..", out, sizeof out));
  EXPECT_STREQ(out, "/");
  ASSERT_TRUE(os::fullPath("/", out, sizeof out));
  EXPECT_STREQ(out, "/");

  char cwd[PATH_MAX];
  ASSERT_TRUE(os::currentDirectory(cwd, sizeof cwd));
  ASSERT_TRUE(os::fullPath("x/./y/../z", out, sizeof out));
  EXPECT_EQ(std::string(out), std::string(cwd == std::string("/") ? "" : cwd) + "/x/z");
  ASSERT_TRUE(os::fullPath("", out, sizeof out));
  EXPECT_STREQ(out, cwd);

  EXPECT_FALSE(os::fullPath("/abc", out, 4));
  EXPECT_TRUE(os::fullPath("/abc", out, 5));
  EXPECT_FALSE(os::fullPath(nullptr, out, sizeof out));
}

TEST(OsPaths, CurrentAndProgramDirectory) {
  testutil::TempDir dir;
  char old[PATH_MAX], now[PATH_MAX];
  ASSERT_TRUE(os::currentDirectory(old, sizeof old));
  EXPECT_FALSE(os::currentDirectory(now, 2));
  ASSERT_TRUE(os::setCurrentDirectory(dir.path().c_str()));
  ASSERT_TRUE(os::currentDirectory(now, sizeof now));
  EXPECT_EQ(std::filesystem::path(now), std::filesystem::canonical(dir.path()));
  EXPECT_TRUE(os::isDirectory("."));
  ASSERT_TRUE(os::setCurrentDirectory(old));
  EXPECT_FALSE(os::setCurrentDirectory(dir.file("missing").c_str()));

  char prog[PATH_MAX];
  ASSERT_TRUE(os::programDirectory(prog, sizeof prog));
  EXPECT_EQ(prog[std::strlen(prog) - 1], '/');
  EXPECT_TRUE(os::exists((std::string(prog) + "test_platform").c_str()));
}

TEST(OsClock, SteadyMillisecondsAndSleep) {
  const uint32_t start = os::milliseconds();
  os::sleep(30);
  const uint32_t slept = os::milliseconds() - start;
  EXPECT_GE(slept, 30u);
  EXPECT_LT(slept, 5000u);
  os::sleep(0);
  os::yield();
  EXPECT_EQ(os::processId(), static_cast<int32_t>(getpid()));
}
