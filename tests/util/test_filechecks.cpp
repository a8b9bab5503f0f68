// File size, the overwrite question and the input/output duplicate check.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "testutil.h"
#include "util/filechecks.h"

namespace {

// Answers every message box with a fixed answer and records what it was shown.
class RecordingBackend : public tol::ui::Backend {
 public:
  struct Shown {
    std::string text;
    tol::ui::Icon icon;
    tol::ui::Buttons buttons;
    tol::ui::Answer defaultAnswer;
  };
  explicit RecordingBackend(tol::ui::Answer answer) : answer_(answer), previous_(tol::ui::setBackend(this)) {}
  ~RecordingBackend() override { tol::ui::setBackend(previous_); }
  tol::ui::Answer messageBox(const tol::ui::Message& m) override {
    shown.push_back({m.text ? m.text : "", m.icon, m.buttons, m.defaultAnswer});
    return answer_;
  }
  std::vector<Shown> shown;

 private:
  tol::ui::Answer answer_;
  tol::ui::Backend* previous_;
};

}  // namespace

TEST(Tolfilesize, SizeOfAnOpenableFileElseZero) {
  testutil::TempDir dir;
  testutil::writeFile(dir.file("a.bin"), std::vector<uint8_t>(1234, 7));
  testutil::writeFile(dir.file("empty"), {});
  EXPECT_EQ(tol::tolfilesize(dir.file("a.bin").c_str()), 1234u);
  EXPECT_EQ(tol::tolfilesize(dir.file("empty").c_str()), 0u);
  EXPECT_EQ(tol::tolfilesize(dir.file("missing").c_str()), 0u);
  EXPECT_EQ(tol::tolfilesize(dir.path().c_str()), 0u);
  EXPECT_EQ(tol::tolfilesize(nullptr), 0u);
}

TEST(Tolfilesize, LongNamesAreNoProblem) {
  testutil::TempDir dir;
  std::string name = dir.file(std::string(200, 'n'));
  testutil::writeFile(name, {1, 2, 3});
  EXPECT_EQ(tol::tolfilesize(name.c_str()), 3u);
}

TEST(Overwrite, MissingFileNeedsNoQuestion) {
  testutil::TempDir dir;
  RecordingBackend ui(tol::ui::Answer::No);
  EXPECT_EQ(tol::overwrite(dir.file("new.avi").c_str(), 0), 1);
  EXPECT_EQ(tol::overwrite(nullptr, 0), 1);
  EXPECT_TRUE(ui.shown.empty());
}

TEST(Overwrite, ExistingFileAsksYesNoWithNoAsDefault) {
  testutil::TempDir dir;
  std::string name = dir.file("old.avi");
  testutil::writeFile(name, {1});
  for (int32_t useDialog : {0, 1}) {
    RecordingBackend yes(tol::ui::Answer::Yes);
    EXPECT_EQ(tol::overwrite(name.c_str(), useDialog), 1);
    ASSERT_EQ(yes.shown.size(), 1u);
    EXPECT_EQ(yes.shown[0].text, "File " + name + " exists, overwrite?");
    EXPECT_EQ(yes.shown[0].icon, tol::ui::Icon::Question);
    EXPECT_EQ(yes.shown[0].buttons, tol::ui::Buttons::YesNo);
    EXPECT_EQ(yes.shown[0].defaultAnswer, tol::ui::Answer::No);
  }
  for (auto refusal : {tol::ui::Answer::No, tol::ui::Answer::Cancel}) {
    RecordingBackend no(refusal);
    EXPECT_EQ(tol::overwrite(name.c_str(), 1), 0);
  }
}

TEST(CheckForDup, DifferentFilesPass) {
  testutil::TempDir dir;
  RecordingBackend ui(tol::ui::Answer::Ok);
  testutil::writeFile(dir.file("in.avi"), {1});
  EXPECT_EQ(tol::CheckForDup(dir.file("in.avi").c_str(), dir.file("out.zrn").c_str()), 1);
  // Names differing in case are different files here.
  EXPECT_EQ(tol::CheckForDup(dir.file("in.avi").c_str(), dir.file("IN.AVI").c_str()), 1);
  EXPECT_TRUE(ui.shown.empty());
}

TEST(CheckForDup, SameFullFormIsRefusedWithAMessage) {
  testutil::TempDir dir;
  RecordingBackend ui(tol::ui::Answer::Ok);
  std::string in = dir.file("in.avi");
  std::string same = dir.file("sub/../in.avi");
  EXPECT_EQ(tol::CheckForDup(in.c_str(), same.c_str()), 0);  // need not exist
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, "Output filename must be different than the input filename.");
  EXPECT_EQ(ui.shown[0].buttons, tol::ui::Buttons::Ok);
}

TEST(CheckForDup, TwoNamesOfOneExistingFileAreRefused) {
  testutil::TempDir dir;
  RecordingBackend ui(tol::ui::Answer::Ok);
  std::string in = dir.file("in.avi");
  testutil::writeFile(in, {1});
  std::filesystem::create_symlink(in, dir.file("link.avi"));
  std::filesystem::create_hard_link(in, dir.file("hard.avi"));
  EXPECT_EQ(tol::CheckForDup(in.c_str(), dir.file("link.avi").c_str()), 0);
  EXPECT_EQ(tol::CheckForDup(in.c_str(), dir.file("hard.avi").c_str()), 0);
  EXPECT_EQ(ui.shown.size(), 2u);
}
