// Path helpers on POSIX paths.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>

#include "testutil.h"
#include "util/paths.h"
#include "util/text.h"

namespace {

// Runs each test inside a fresh folder as the current directory.
class InTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(::getcwd(saved_, sizeof saved_), nullptr);
    ASSERT_EQ(::chdir(dir_.path().c_str()), 0);
    char cwd[PATH_MAX];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    here_ = cwd;
  }
  void TearDown() override { ASSERT_EQ(::chdir(saved_), 0); }

  std::string cwd() const {
    char buf[PATH_MAX];
    return ::getcwd(buf, sizeof buf) ? buf : "";
  }
  void touch(const std::string& name) { testutil::writeFile(here_ + "/" + name, {1, 2, 3}); }

  testutil::TempDir dir_;
  std::string here_;

 private:
  char saved_[PATH_MAX];
};

// Calls f(buffer, size, args...) on a copy of path in a buffer of the given
// size with guard bytes behind it.
template <class F, class... A>
std::string inBuffer(int32_t* result, const std::string& path, uint32_t size, F f, A... args) {
  std::string buf(size + 8, '#');
  std::memcpy(buf.data(), path.c_str(), path.size() + 1);
  int32_t r = f(buf.data(), size, args...);
  if (result) *result = r;
  EXPECT_EQ(buf.substr(size), std::string(8, '#')) << "wrote past the buffer";
  return buf.c_str();
}

std::string ext(const char* path) {
  const char* e = tol::HasExtension(path);
  return e ? e : "(none)";
}

std::string pieces(const std::string& path, bool drive, bool dir, bool name, bool extension) {
  return inBuffer(nullptr, path, PATH_MAX, tol::GetFilePiecesN, drive, dir, name, extension);
}

}  // namespace

TEST(HasExtension, LastDotOfTheFinalComponent) {
  EXPECT_EQ(ext("a.avi"), ".avi");
  EXPECT_EQ(ext("/x/y.tar.gz"), ".gz");
  EXPECT_EQ(ext("dir.d/file"), "(none)");
  EXPECT_EQ(ext("a."), ".");
  EXPECT_EQ(ext("C:\\x\\a.b"), ".b");  // a backslash is an ordinary byte
  EXPECT_EQ(ext(""), "(none)");
  EXPECT_EQ(tol::HasExtension(nullptr), nullptr);
  const char* p = "clip.avi";
  EXPECT_EQ(tol::HasExtension(p), p + 4);
}

TEST(HasExtension, LeadingDotsOfAComponentStartNoExtension) {
  EXPECT_EQ(ext(".profile"), "(none)");
  EXPECT_EQ(ext("dir/.profile"), "(none)");
  EXPECT_EQ(ext(".."), "(none)");
  EXPECT_EQ(ext("a/..."), "(none)");
  EXPECT_EQ(ext(".a.b"), ".b");
}

TEST_F(InTempDir, ExpandFileNameGivesTheAbsoluteForm) {
  int32_t r;
  EXPECT_EQ(inBuffer(&r, "a/../b.avi", 256, tol::ExpandFileNameN), here_ + "/b.avi");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(inBuffer(&r, "/x//y/./z", 256, tol::ExpandFileNameN), "/x/y/z");
  EXPECT_EQ(inBuffer(&r, "sub/", 256, tol::ExpandFileNameN), here_ + "/sub/");
  EXPECT_EQ(inBuffer(&r, "/", 256, tol::ExpandFileNameN), "/");
}

TEST_F(InTempDir, ExpandFileNameRefusesWhatDoesNotFit) {
  int32_t r;
  std::string full = here_ + "/name.avi";
  EXPECT_EQ(inBuffer(&r, "name.avi", full.size(), tol::ExpandFileNameN), "name.avi");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(inBuffer(&r, "name.avi", full.size() + 1, tol::ExpandFileNameN), full);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(inBuffer(&r, "", 256, tol::ExpandFileNameN), "");
  EXPECT_EQ(r, 0);
  std::string longName(300, 'n');
  char plain[400];
  std::strcpy(plain, longName.c_str());
  tol::ExpandFileName(plain);  // the full form passes 255 characters
  EXPECT_EQ(plain, longName);
}

TEST(AddBackslash, TrimsAndAppendsASlash) {
  int32_t r;
  EXPECT_EQ(inBuffer(&r, " dir ", 16, tol::AddBackslashN), "dir/");
  EXPECT_EQ(inBuffer(&r, "dir/", 16, tol::AddBackslashN), "dir/");
  EXPECT_EQ(inBuffer(&r, "  ", 16, tol::AddBackslashN), "");
  EXPECT_EQ(inBuffer(&r, "C:", 16, tol::AddBackslashN), "C:/");  // no drives
  EXPECT_EQ(r, 1);
  EXPECT_EQ(inBuffer(&r, "abc", 4, tol::AddBackslashN), "abc");
  EXPECT_EQ(r, 0);
}

TEST_F(InTempDir, IsDirectoryTellsDirectoriesAndLeavesTheAbsoluteForm) {
  std::filesystem::create_directory(here_ + "/sub");
  touch("file.avi");
  int32_t r;
  EXPECT_EQ(inBuffer(&r, "sub/", 256, tol::IsDirectoryN, 0), here_ + "/sub");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(inBuffer(&r, " sub ", 256, tol::IsDirectoryN, 0), here_ + "/sub");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(inBuffer(&r, "file.avi", 256, tol::IsDirectoryN, 0), here_ + "/file.avi");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(inBuffer(&r, "missing", 256, tol::IsDirectoryN, 0), here_ + "/missing");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(inBuffer(&r, "/", 256, tol::IsDirectoryN, 0), "/");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(inBuffer(&r, "", 256, tol::IsDirectoryN, 0), here_);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(cwd(), here_);  // never moved without stay
}

TEST_F(InTempDir, IsDirectoryWithStayEntersTheDirectory) {
  std::filesystem::create_directory(here_ + "/sub");
  touch("file.avi");
  int32_t r;
  inBuffer(&r, "file.avi", 256, tol::IsDirectoryN, 1);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(cwd(), here_);
  inBuffer(&r, "sub", 256, tol::IsDirectoryN, 1);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(cwd(), here_ + "/sub");
}

TEST_F(InTempDir, IsDirectoryAnswersEvenWhenTheFormDoesNotFit) {
  std::filesystem::create_directory(here_ + "/sub");
  int32_t r;
  EXPECT_EQ(inBuffer(&r, "sub", 4, tol::IsDirectoryN, 0), "sub");
  EXPECT_EQ(r, 1);
}

TEST_F(InTempDir, GetFilePiecesOfAFile) {
  touch("clip.final.avi");
  EXPECT_EQ(pieces("clip.final.avi", 0, 1, 0, 0), here_ + "/");
  EXPECT_EQ(pieces("clip.final.avi", 0, 0, 1, 0), "clip.final");
  EXPECT_EQ(pieces("clip.final.avi", 0, 0, 0, 1), ".avi");
  EXPECT_EQ(pieces(" clip.final.avi ", 1, 1, 1, 1), here_ + "/clip.final.avi");
  EXPECT_EQ(pieces("clip.final.avi", 1, 0, 0, 0), "");  // no drive piece
  EXPECT_EQ(pieces("new/../out", 0, 1, 1, 1), here_ + "/out");  // need not exist
  EXPECT_EQ(pieces("out", 0, 0, 0, 1), "");
  EXPECT_EQ(pieces(".hidden", 0, 0, 1, 0), ".hidden");
}

TEST_F(InTempDir, GetFilePiecesOfADirectoryGivesOnlyTheDirectory) {
  std::filesystem::create_directory(here_ + "/sub.d");
  EXPECT_EQ(pieces("sub.d", 0, 1, 0, 0), here_ + "/sub.d/");
  EXPECT_EQ(pieces("sub.d", 1, 1, 1, 1), here_ + "/sub.d/");
  EXPECT_EQ(pieces("sub.d/", 0, 0, 1, 1), "");
  EXPECT_EQ(pieces("/", 0, 1, 1, 1), "/");
}

TEST_F(InTempDir, GetFilePiecesKeepsEmptyAndRefusedPaths) {
  EXPECT_EQ(pieces("   ", 1, 1, 1, 1), "");
  int32_t r;
  EXPECT_EQ(inBuffer(&r, "x.avi", 8, tol::GetFilePiecesN, 1, 1, 1, 1), "x.avi");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(inBuffer(&r, "x.avi", 8, tol::GetFilePiecesN, 0, 0, 1, 1), "x.avi");
  EXPECT_EQ(r, 1);
}

TEST_F(InTempDir, GetDriveExpandsAndHasNoLetter) {
  char path[tol::kTextSize] = "a.avi";
  EXPECT_EQ(tol::GetDrive(path), 0);
  EXPECT_EQ(std::string(path), here_ + "/a.avi");
}

TEST(GetTempName, NumberGroupsAsLettersUnderThePrefix) {
  char dest[tol::kTextSize];
  EXPECT_STREQ(tol::GetTempName(dest, "/tmp/", "XY", 0x1234), "/tmp/XYCBAAAA.AAA");
  EXPECT_STREQ(tol::GetTempName(dest, "", "", 0), "AAAAAAAA.AAA");
  EXPECT_STREQ(tol::GetTempName(dest, nullptr, nullptr, 0xFEDCBA98u), "IJKLMNOP.AAA");
  EXPECT_STREQ(tol::GetTempName(dest, "d/", "ABCDEFGHIJKLMNOP", 0), "d/ABCDEFGH.JKL");
}

TEST(GetTempName, RefusesADirectoryWithoutRoom) {
  char dest[20];
  std::memset(dest, '#', sizeof dest);
  EXPECT_EQ(tol::GetTempNameN(dest, 17, "/tmp/", "Z", 1), nullptr);  // needs 18 bytes
  EXPECT_STREQ(dest, "");
  EXPECT_EQ(dest[17], '#');
  EXPECT_STREQ(tol::GetTempNameN(dest, 18, "/tmp/", "Z", 1), "/tmp/ZAAAAAAA.AAA");
}
