#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fileio/tolfile.h"
#include "media/list_entries.h"
#include "testutil.h"

namespace {

using tol::ListEntry;
using tol::ListEntryReader;

// An entry as "name first last" with a trailing "+" for a generated one.
std::string show(const ListEntry& e) {
  return std::string(e.name) + " " + std::to_string(e.first) + " " + std::to_string(e.last) +
         (e.generated ? " +" : "");
}

std::vector<std::string> entries(ListEntryReader& r, int calls) {
  std::vector<std::string> out;
  for (int i = 0; i < calls; ++i) {
    ListEntry e;
    tol::listEntriesNext(r, e);
    out.push_back(show(e));
  }
  return out;
}

struct ListCase {
  const char* what;
  std::string text;  // list file contents, or the single name when listFile is false
  bool listFile;
  int calls;
  std::vector<std::string> expected;
};

class ListEntriesTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListEntriesTest, YieldsEntries) {
  const ListCase& c = GetParam();
  testutil::TempDir dir;
  ListEntryReader r;
  TOLFile* f = nullptr;
  if (c.listFile) {
    std::string name = dir.file("a.lst");
    testutil::writeFile(name, std::vector<uint8_t>(c.text.begin(), c.text.end()));
    f = tol::TOLFileOpen(4096, name.c_str(), TOLFILE_READ_ONLY);
    ASSERT_NE(f, nullptr);
    // Relative names come back joined to the list's folder; absolute ones stay.
    tol::listEntriesStart(r, f, name.c_str());
  } else {
    tol::listEntriesStart(r, nullptr, c.text.c_str());
  }
  std::vector<std::string> got = entries(r, c.calls);
  std::string folder = c.listFile ? dir.path().string() + "/" : "";
  std::vector<std::string> expected;
  for (const std::string& s : c.expected) expected.push_back(s.rfind("./", 0) == 0 ? folder + s.substr(2) : s);
  EXPECT_EQ(got, expected) << c.what;
  tol::TOLFileClose(f);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListEntriesTest,
    ::testing::Values(
        ListCase{"plain lines with switches, comments and blanks, then the list starts over",
                 "/m/a.avi /S5 /E20\r\n# a comment /L4\r\n\r\n   \r\n/m/b.png\r\n", true, 4,
                 {"/m/a.avi 5 20", "/m/b.png 0 0", " 0 0", "/m/a.avi 5 20"}},
        ListCase{"/L3 plays a line three times", "/m/a.avi /L3 /E2\n/m/b.bmp\n", true, 5,
                 {"/m/a.avi 0 2", "/m/a.avi 0 2 +", "/m/a.avi 0 2 +", "/m/b.bmp 0 0", " 0 0"}},
        ListCase{"a sequence line in a list", "/m/f???.bmp*1-3\n/m/x.avi\n", true, 5,
                 {"/m/f001.bmp 0 0 +", "/m/f002.bmp 0 0 +", "/m/f003.bmp 0 0 +", "/m/x.avi 0 0", " 0 0"}},
        ListCase{"a sequence with /L2 plays twice", "/m/f?.png*4-5 /L2\n", true, 5,
                 {"/m/f4.png 0 0 +", "/m/f5.png 0 0 +", "/m/f4.png 0 0 +", "/m/f5.png 0 0 +", " 0 0"}},
        ListCase{"a relative name is taken from the list's folder", "clip.avi\n", true, 1, {"./clip.avi 0 0"}},
        ListCase{"a list of comments only yields nothing", "#one\n# two\n\n", true, 2, {" 0 0", " 0 0"}},
        ListCase{"a pattern on its own runs, ends, then starts over", "img????.png*0-1", false, 4,
                 {"img0000.png 0 0 +", "img0001.png 0 0 +", " 0 0", "img0000.png 0 0 +"}},
        ListCase{"star with one number is one frame", "a??b*7", false, 2, {"a07b 0 0 +", " 0 0"}},
        ListCase{"/S and /E bound a pattern", "s??.tga /S2 /E3", false, 3,
                 {"s02.tga 0 0 +", "s03.tga 0 0 +", " 0 0"}},
        ListCase{"a percent sign in a name stays as it is", "100%_?.png*1-1", false, 1, {"100%_1.png 0 0 +"}},
        ListCase{"a plain name without list is itself", "movie.avi /S3", false, 1, {"movie.avi 3 0"}}));

TEST(ListEntries, UnboundedSequenceRunsWhileFilesExist) {
  testutil::TempDir dir;
  for (const char* n : {"p00.png", "p01.png", "p02.png"}) testutil::writeFile(dir.file(n), {1});
  std::string pattern = dir.file("p??.png");
  ListEntryReader r;
  tol::listEntriesStart(r, nullptr, pattern.c_str());
  std::vector<std::string> got = entries(r, 4);
  EXPECT_EQ(got, (std::vector<std::string>{dir.file("p00.png") + " 0 0 +", dir.file("p01.png") + " 0 0 +",
                                           dir.file("p02.png") + " 0 0 +", " 0 0"}));
}

TEST(ListEntries, LongLinesAreCutNotSplit) {
  testutil::TempDir dir;
  std::string text = "/" + std::string(400, 'x') + "\n/m/next.avi\n";
  std::string name = dir.file("l.lst");
  testutil::writeFile(name, std::vector<uint8_t>(text.begin(), text.end()));
  TOLFile* f = tol::TOLFileOpen(4096, name.c_str(), TOLFILE_READ_ONLY);
  ASSERT_NE(f, nullptr);
  ListEntryReader r;
  tol::listEntriesStart(r, f, name.c_str());
  std::vector<std::string> got = entries(r, 2);
  EXPECT_EQ(got[0].size(), tol::kListLineSize - 1 + 4);
  EXPECT_EQ(got[1], "/m/next.avi 0 0");
  tol::TOLFileClose(f);
}

}  // namespace
