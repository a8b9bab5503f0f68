// The list file editor's list: opening, building from names with their
// sequences, editing the switches of an entry, moving, saving.
#include <gtest/gtest.h>

#include "core/list_model.h"
#include "fake_services.h"
#include "testutil.h"

namespace tolvideo {
namespace {

using V = std::vector<std::string>;

TEST(ListModel, BuiltFromNamesWithSequences) {
  testutil::TempDir dir;
  V names;
  for (int i = 1; i <= 10; ++i) {
    char n[16];
    std::snprintf(n, sizeof n, "img%04d.bmp", i);
    names.push_back(dir.file(n));
    testutil::writeFile(names.back(), {1});
  }
  std::string text;
  for (const auto& n : names) text += "\"" + n + "\" ";
  text += "\"" + dir.file("movie.avi") + "\"";

  FakeServices yes;
  ListModel m;
  m.open(text, yes);
  EXPECT_EQ(m.entries(), (V{dir.file("img????.bmp*1-10"), dir.file("movie.avi")}));
  EXPECT_EQ(yes.messages.size(), 1u);  // one question for the whole sequence
  EXPECT_TRUE(m.changed());
  EXPECT_EQ(m.caption(), "List file editor - Untitled.lst");
  EXPECT_EQ(m.selected(), 0);

  FakeServices no;
  no.answers = {Answer::No};
  m.open(text, no);
  EXPECT_EQ(m.count(), 11);
  EXPECT_EQ(no.messages.size(), 1u);

  m.open("", no);
  EXPECT_EQ(m.count(), 0);
  EXPECT_FALSE(m.changed());
}

TEST(ListModel, EditingTheBoxesRewritesTheEntry) {
  FakeServices s;
  ListModel m;
  m.open("movie.avi", s);
  m.setFields({"10", "", ""});
  EXPECT_EQ(m.entries()[0], "movie.avi /S10");
  m.setFields({"", "", ""});
  EXPECT_EQ(m.entries()[0], "movie.avi");
  m.add({"movie.avi /L3 /S5"}, s);
  m.select(1);
  const auto f = m.fields();
  EXPECT_EQ(f.start, "5");
  EXPECT_EQ(f.end, "");
  EXPECT_EQ(f.loops, "3");
  m.setFields({f.start, " 20 ", f.loops});
  EXPECT_EQ(m.entries()[1], "movie.avi /S5 /E20 /L3");
  m.setFields({std::string(40, '7'), "", ""});
  EXPECT_EQ(m.entries()[1], "movie.avi /S" + std::string(31, '7'));
}

TEST(ListModel, MovesAtTheEndsChangeNothing) {
  FakeServices s;
  ListModel m;
  m.open("\"a\" \"b\" \"c\"", s);
  m.select(0);
  m.moveUp();
  m.select(2);
  m.moveDown();
  EXPECT_EQ(m.entries(), (V{"a", "b", "c"}));
  m.moveUp();
  EXPECT_EQ(m.entries(), (V{"a", "c", "b"}));
  EXPECT_EQ(m.selected(), 1);
  m.select(0);
  m.moveDown();
  EXPECT_EQ(m.entries(), (V{"c", "a", "b"}));
  m.duplicate();
  EXPECT_EQ(m.entries(), (V{"c", "a", "a", "b"}));
  m.select(3);
  m.remove();
  EXPECT_EQ(m.entries(), (V{"c", "a", "a"}));
  EXPECT_EQ(m.selected(), 2);
  m.select(-1);
  m.remove();
  EXPECT_EQ(m.count(), 3);
}

TEST(ListModel, SavesWithCrLfAndOpensAgain) {
  testutil::TempDir dir;
  FakeServices s;
  ListModel m;
  m.open("\"a.avi\" \"b c.zrn\"", s);
  m.setFields({"-500", "", "2"});
  const std::string name = dir.file("out.lst");
  ASSERT_TRUE(m.save(name));
  EXPECT_FALSE(m.changed());
  EXPECT_EQ(m.caption(), "List file editor - " + name);
  const auto bytes = testutil::readFile(name);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "a.avi /S-500 /L2\r\nb c.zrn\r\n");

  ListModel again;
  again.open("\"" + name + "\"", s);
  EXPECT_EQ(again.entries(), (V{"a.avi /S-500 /L2", "b c.zrn"}));
  EXPECT_FALSE(again.changed());
  EXPECT_EQ(again.name(), name);
  EXPECT_EQ(again.saveProposal("/x"), name);

  ListModel missing;
  missing.open(dir.file("none.list"), s);
  EXPECT_EQ(missing.count(), 0);
  EXPECT_EQ(missing.caption(), "List file editor - Untitled.lst");
  EXPECT_EQ(missing.saveProposal("/home/me"), "/home/me/untitled");
  EXPECT_EQ(missing.saveProposal(""), "untitled");

  m.add({"c.avi"}, s);
  EXPECT_FALSE(m.save(dir.file("no/such/folder.lst")));
  EXPECT_TRUE(m.changed());
}

}  // namespace
}  // namespace tolvideo
