// Selection texts, output names, the file-type probe and sequences.
#include <gtest/gtest.h>

#include <set>

#include "core/file_names.h"
#include "core/file_probe.h"
#include "core/sequence.h"
#include "fake_services.h"
#include "testutil.h"

namespace tolvideo {
namespace {

TEST(Selection, SplitsQuotedNamesAndKeepsABareNameWhole) {
  using V = std::vector<std::string>;
  EXPECT_EQ(splitSelection(""), V{});
  EXPECT_EQ(splitSelection("   "), V{});
  EXPECT_EQ(splitSelection("clip one.avi"), V{"clip one.avi"});
  EXPECT_EQ(splitSelection("\"a.zrn\" \"b c.plv\""), (V{"a.zrn", "b c.plv"}));
  EXPECT_EQ(splitSelection(" \"a.zrn\"  \"b.plv\" "), (V{"a.zrn", "b.plv"}));
  EXPECT_EQ(splitSelection("\"unclosed.zrn"), V{"unclosed.zrn"});
  EXPECT_EQ(selectionText({"a.zrn"}), "a.zrn");
  EXPECT_EQ(selectionText({"a.zrn", "b.plv"}), "\"a.zrn\" \"b.plv\"");
  EXPECT_EQ(quotedList({"a.zrn", "b c.zrn"}), " \"a.zrn\" \"b c.zrn\"");
}

TEST(Selection, ListNames) {
  EXPECT_TRUE(isListName("a.lst"));
  EXPECT_TRUE(isListName("\"My.LIST\""));
  EXPECT_FALSE(isListName("a.lst.avi"));
  EXPECT_FALSE(isListName("lst"));
}

TEST(OutputNames, ExtensionReplacedQuestionMarksDroppedNewForTheSameName) {
  struct Case {
    const char* input;
    int kind;
    const char* output;
  };
  const Case cases[] = {
      {"clip.avi", kSaveZurn, "clip.zrn"},
      {"clip", kSaveZurn, "clip.zrn"},
      {"img????.bmp*1-120", kSaveZurn, "img.zrn"},
      {"clip.zrn", kSaveZurn, "New_clip.zrn"},
      {"CLIP.ZRN", kSaveZurn, "New_CLIP.ZRN"},
      {"dir.v2/clip", kSaveAvi, "dir.v2/clip.avi"},
      {"dir/clip.zrn", kSaveZurn, "dir/New_clip.zrn"},
      {"a.zrn", kSaveExe, "a.exe"},
      {"movie.avi", kSaveTiff, "movie.tif"},
  };
  for (const auto& c : cases) EXPECT_EQ(proposeOutputName(c.input, c.kind), c.output) << c.input;
  EXPECT_EQ(withDefaultExtension("out", "zrn"), "out.zrn");
  EXPECT_EQ(withDefaultExtension("out.x", "zrn"), "out.x");
  EXPECT_EQ(withDefaultExtension("d.ir/out", "avi"), "d.ir/out.avi");
}

TEST(Probe, FirstFourBytesGiveTheType) {
  testutil::TempDir dir;
  struct Case {
    std::vector<uint8_t> bytes;
    FileType type;
    bool message;
  };
  const Case cases[] = {
      {{'Z', 'R', 'N', 'f', 0, 0}, FileType::Zurn, false},
      {{'Z', 'R', 'N', 'e'}, FileType::OldZurn, true},
      {{'Z', 'R', 'N'}, FileType::Other, false},
      {{'P', 'L', 'V', '2', 1}, FileType::Pleven, false},
      {{'P', 'L', 'V', '1'}, FileType::Other, false},
      {{}, FileType::Other, false},
  };
  int i = 0;
  for (const auto& c : cases) {
    const std::string name = dir.file("f" + std::to_string(i++));
    testutil::writeFile(name, c.bytes);
    FakeServices s;
    EXPECT_EQ(probeFile(name, s), c.type) << name;
    EXPECT_EQ(s.messages.size(), c.message ? 1u : 0u);
    if (c.message) EXPECT_EQ(s.messages[0].text, kOldZurnMessage);
  }
  FakeServices s;
  EXPECT_EQ(probeFile(dir.file("missing"), s), FileType::Other);
  EXPECT_EQ(probeFile(dir.path().string(), s), FileType::Other);
}

TEST(Sequences, NeighboursOfTheNumberFormTheSequence) {
  std::set<std::string> files;
  for (int n = 3; n <= 9; ++n) files.insert("img000" + std::to_string(n) + ".bmp");
  files.insert("shot7.png");
  files.insert("v2/take01.tga");
  files.insert("v3/take01.tga");
  auto exists = [&](const std::string& n) { return files.count(n) > 0; };
  Sequence s = detectSequence("img0005.bmp", exists);
  EXPECT_TRUE(s.found);
  EXPECT_EQ(s.text, "img????.bmp*3-9");
  EXPECT_EQ(detectSequence("img0003.bmp", exists).text, "img????.bmp*3-9");
  EXPECT_FALSE(detectSequence("shot7.png", exists).found);
  EXPECT_FALSE(detectSequence("nodigits.png", exists).found);
  // Digits of a folder are not frame numbers.
  EXPECT_FALSE(detectSequence("v2/take01.tga", exists).found);
  EXPECT_FALSE(detectSequence("img12345678901.bmp", exists).found);
}

TEST(Sequences, QuestionAnsweredYesGivesTheSequenceText) {
  testutil::TempDir dir;
  for (int n = 3; n <= 9; ++n) testutil::writeFile(dir.file("img000" + std::to_string(n) + ".bmp"), {1});
  testutil::writeFile(dir.file("single5.bmp"), {1});
  const std::string name = dir.file("img0005.bmp");
  FakeServices yes;
  EXPECT_EQ(sequenceOrName(name, yes), dir.file("img????.bmp*3-9"));
  ASSERT_EQ(yes.messages.size(), 1u);
  EXPECT_EQ(yes.messages[0].title, "Treat as sequence?");
  EXPECT_EQ(yes.messages[0].text, "File, \"" + name +
                                      "\", appears to be part of a sequence of files (3 to 9).\n"
                                      "Do you want to treat the sequence as a single animation?");
  FakeServices no;
  no.answers = {Answer::No};
  EXPECT_EQ(sequenceOrName(name, no), name);
  FakeServices none;
  EXPECT_EQ(sequenceOrName(dir.file("single5.bmp"), none), dir.file("single5.bmp"));
  EXPECT_TRUE(none.messages.empty());
}

}  // namespace
}  // namespace tolvideo
