// Opening and closing, names, times, erase and rename, text lines, the log
// helper, and what every operation does without an open file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "tolfile_testutil.h"

using namespace fileiotest;

namespace {

// Runs the test inside its temporary folder so names of exact lengths can be
// built without the folder's own path.
class InFolder {
 public:
  explicit InFolder(const testutil::TempDir& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir.path());
  }
  ~InFolder() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

}  // namespace

TEST(TOLFileHandles, OpenRefusesBadArguments) {
  testutil::TempDir dir;
  const std::string name = dir.file("x.bin");
  testutil::writeFile(name, {1, 2, 3});
  EXPECT_EQ(tol::TOLFileOpen(16, nullptr, TOLFILE_READ_ONLY), nullptr);
  EXPECT_EQ(tol::TOLFileOpen(16, name.c_str(), 249), nullptr);
  EXPECT_EQ(tol::TOLFileOpen(16, name.c_str(), 252), nullptr);
  EXPECT_EQ(tol::TOLFileOpen(16, dir.file("missing").c_str(), TOLFILE_READ_ONLY), nullptr);
  EXPECT_EQ(tol::TOLFileOpen(16, dir.path().c_str(), TOLFILE_READ_ONLY), nullptr);
  EXPECT_EQ(tol::TOLFileCreate(16, nullptr), nullptr);
  EXPECT_EQ(tol::TOLFileCreate(16, dir.file("no/such/folder").c_str()), nullptr);
  Handle f = open(name, 16, TOLFILE_READ_ONLY);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->mode, 0);
  EXPECT_EQ(tol::TOLFileGetPos(f.get()), 0u);
  EXPECT_EQ(f->size, 0xFFFFFFFFu);
}

TEST(TOLFileHandles, NamesLongerThanTheRecordAreRefusedNotCut) {
  testutil::TempDir dir;
  InFolder in(dir);
  const std::string fits(127, 'n'), tooLong(128, 'n');
  Handle f = create(fits, 16);
  ASSERT_TRUE(f);
  char copy[TOLFILE_NAME_SIZE];
  EXPECT_STREQ(tol::TOLFileGetName(f.get(), copy), fits.c_str());
  EXPECT_STREQ(copy, fits.c_str());
  EXPECT_EQ(tol::TOLFileGetName(f.get(), nullptr), f->name);
  f.reset();
  EXPECT_EQ(tol::TOLFileCreate(16, tooLong.c_str()), nullptr);
  EXPECT_EQ(tol::TOLFileCreateWithRead(16, tooLong.c_str()), nullptr);
  EXPECT_FALSE(std::filesystem::exists(tooLong));
  auto entries = std::filesystem::directory_iterator(".");
  EXPECT_EQ(std::distance(begin(entries), end(entries)), 1);  // nothing under a cut name either
}

TEST(TOLFileHandles, CreateTruncatesAndBothCreatesReadBack) {
  testutil::TempDir dir;
  const std::string name = dir.file("t.bin");
  testutil::writeFile(name, pattern(50));
  for (auto make : {tol::TOLFileCreate, tol::TOLFileCreateWithRead}) {
    Handle f(make(16, name.c_str()));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->mode, 1);
    EXPECT_EQ(tol::TOLFileSize(f.get()), 0u);
    tol::TOLFilePut32(f.get(), 0xCAFEF00D);
    tol::TOLFileSetPos(f.get(), 0);
    EXPECT_EQ(tol::TOLFileGet32(f.get()), 0xCAFEF00Du);
  }
  EXPECT_EQ(diskSize(name), 4u);
}

TEST(TOLFileHandles, WritesThroughAReadOnlyHandleAreReported) {
  testutil::TempDir dir;
  const std::string name = dir.file("ro.bin");
  testutil::writeFile(name, {1, 2, 3});
  Handle f = open(name, 16, TOLFILE_READ_ONLY);
  tol::TOLFilePut8(f.get(), 9);
  EXPECT_EQ(f->writeError, 0);  // still in the buffer
  tol::TOLFileFlush(f.get());
  EXPECT_EQ(f->writeError, 1);
  f.reset();
  EXPECT_EQ(testutil::readFile(name), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(TOLFileHandles, NullHandleIsAClosedFile) {
  TOLFile* f = nullptr;
  uint8_t b[4] = {1, 2, 3, 4};
  char line[8] = "abc";
  EXPECT_EQ(tol::TOLFileGetPos(f), 0u);
  EXPECT_EQ(tol::TOLFileSetPos(f, 5), 0u);
  EXPECT_EQ(tol::TOLFileSize(f), 0u);
  EXPECT_TRUE(tol::TOLFileAtEnd(f));
  EXPECT_FALSE(tol::TOLFileIsInBuffer(f, 0));
  EXPECT_EQ(tol::TOLFileBitPos(f), 0);
  EXPECT_EQ(tol::TOLFileAlign(f, 4), -1);
  EXPECT_EQ(tol::TOLFileGet(f, b, 4), 0u);
  EXPECT_EQ(tol::TOLFileGetNB(f, b, 4), 0u);
  EXPECT_EQ(tol::TOLFileGetBits(f, 5), 0u);
  EXPECT_EQ(tol::TOLFilePut(f, b, 4), 0u);
  EXPECT_EQ(tol::TOLFilePutNB(f, b, 4), 0u);
  EXPECT_STREQ(tol::TOLFileGetLine(f, line, sizeof line), "");
  EXPECT_EQ(tol::TOLFileGetName(f, nullptr), nullptr);
  EXPECT_EQ(tol::TOLFileGetTime(f), 0u);
  tol::TOLFileSetTime(f, 1);
  tol::TOLFileFlush(f);
  tol::TOLFileByteAlign(f);
  tol::TOLFilePutBits(f, 1, 1);
  tol::TOLFilePut32(f, 1);
  tol::TOLFileClose(f);
}

TEST(TOLFileHandles, TimeIsTheUpperHalfOfTheWriteTime) {
  testutil::TempDir dir;
  const std::string name = dir.file("time.bin");
  Handle f = create(name, 16);
  tol::TOLFilePut8(f.get(), 1);
  const uint32_t now = tol::TOLFileGetTime(f.get());
  EXPECT_GT(now, 29316u);  // after the year 2000
  const uint32_t earlier = now - 100;
  tol::TOLFileSetTime(f.get(), earlier);
  EXPECT_EQ(diskSize(name), 1u);  // flushed first
  EXPECT_EQ(tol::TOLFileGetTime(f.get()), earlier);
  f.reset();
  struct stat st;
  ASSERT_EQ(stat(name.c_str(), &st), 0);
  const uint64_t units = (static_cast<uint64_t>(st.st_mtim.tv_sec) + 11644473600ull) * 10000000ull +
                         static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100;
  EXPECT_EQ(units, static_cast<uint64_t>(earlier) << 32);
}

TEST(TOLFileHandles, EraseAndRenameReturnCodes) {
  testutil::TempDir dir;
  const std::string a = dir.file("a"), b = dir.file("b");
  EXPECT_EQ(tol::TOLFileErase(a.c_str()), 1);
  EXPECT_EQ(tol::TOLFileRename(b.c_str(), a.c_str()), 1);
  testutil::writeFile(a, {1});
  EXPECT_EQ(tol::TOLFileRename(b.c_str(), a.c_str()), 0);  // new name first
  EXPECT_FALSE(std::filesystem::exists(a));
  EXPECT_EQ(testutil::readFile(b), std::vector<uint8_t>{1});
  testutil::writeFile(a, {2});
  EXPECT_EQ(tol::TOLFileRename(b.c_str(), a.c_str()), 2);  // never replaces
  EXPECT_EQ(tol::TOLFileErase(b.c_str()), 0);
  EXPECT_EQ(tol::TOLFileErase(dir.path().c_str()), 2);
}

TEST(TOLFileText, GetLineDropsLineEndsAndRespectsTheCapacity) {
  testutil::TempDir dir;
  const std::string name = dir.file("lines.txt");
  const std::string text = "abc\r\nxy\n\nlast\r\r";
  testutil::writeFile(name, std::vector<uint8_t>(text.begin(), text.end()));
  Handle f = open(name, 4, TOLFILE_READ_ONLY);
  char line[16];
  EXPECT_STREQ(tol::TOLFileGetLine(f.get(), line, sizeof line), "abc");
  EXPECT_STREQ(tol::TOLFileGetLine(f.get(), line, sizeof line), "xy");
  EXPECT_STREQ(tol::TOLFileGetLine(f.get(), line, sizeof line), "");
  EXPECT_FALSE(tol::TOLFileAtEnd(f.get()));
  EXPECT_STREQ(tol::TOLFileGetLine(f.get(), line, sizeof line), "last");
  EXPECT_TRUE(tol::TOLFileAtEnd(f.get()));
  EXPECT_STREQ(tol::TOLFileGetLine(f.get(), line, sizeof line), "");

  tol::TOLFileSetPos(f.get(), 0);
  EXPECT_STREQ(tol::TOLFileGetLine(f.get(), line, 3), "ab");
  EXPECT_STREQ(tol::TOLFileGetLine(f.get(), line, 3), "c");  // "c\r" cut, then the CR dropped
  EXPECT_STREQ(tol::TOLFileGetLine(f.get(), line, 3), "");   // the LF alone
  EXPECT_STREQ(tol::TOLFileGetLine(f.get(), line, 1), "");
  EXPECT_EQ(tol::TOLFileGetPos(f.get()), 5u);
}

TEST(TOLFileText, LogStringAppendsOrCreates) {
  testutil::TempDir dir;
  const std::string name = dir.file("log.txt");
  tol::LogString(name.c_str(), "one\n");
  tol::LogString(name.c_str(), "two\n");
  tol::LogString(name.c_str(), "");
  tol::LogString(name.c_str(), nullptr);
  const auto bytes = testutil::readFile(name);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "one\ntwo\n");
  tol::LogString(dir.file("missing/log.txt").c_str(), "lost");  // gives up silently
  EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}
