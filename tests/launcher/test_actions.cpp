// The main window's actions and the dialogs' confirmations: what is
// checked, asked, shown, opened and started.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "core/launcher.h"
#include "core/switch_text.h"
#include "fake_services.h"
#include "platform/profile.h"
#include "testutil.h"

namespace tolvideo {
namespace {

const std::vector<uint8_t> kZurn = {'Z', 'R', 'N', 'f', 0, 0, 0, 0};
const std::vector<uint8_t> kPleven = {'P', 'L', 'V', '2', 0, 0, 0, 0};
const std::vector<uint8_t> kOld = {'Z', 'R', 'N', '1', 0};
const std::vector<uint8_t> kWave = {'R', 'I', 'F', 'F', 0, 0, 0, 0};

// A launcher working in a scratch folder holding a few files, with its
// profile there too.
class Actions : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
    for (const char* n : {"a.zrn", "b.zrn"}) testutil::writeFile(n, kZurn);
    testutil::writeFile("c.plv", kPleven);
    testutil::writeFile("old.zrn", kOld);
    testutil::writeFile("s.wav", kWave);
    for (int i = 1; i <= 4; ++i) testutil::writeFile("img0" + std::to_string(i) + ".bmp", {1});
    state_.tools = {"/opt/tol/", 42};
    state_.settings.path = dir_.path().string();
    state_.site = "file:///docs";
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    unsetenv("XDG_CONFIG_HOME");
  }
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    for (const auto& c : s_.started) out.push_back(c.commandLine);
    return out;
  }
  std::vector<std::string> texts(const char* kind) const {
    std::vector<std::string> out;
    for (const auto& m : s_.messages)
      if (m.kind == kind) out.push_back(m.text);
    return out;
  }

  testutil::TempDir dir_;
  std::filesystem::path old_;
  LauncherState state_;
  FakeServices s_;
  FakeDialogs d_;
  Launcher l_{state_, s_, d_};
};

using V = std::vector<std::string>;

TEST_F(Actions, QuickPlayStartsEachPlayerWithItsOwnList) {
  l_.quickPlay("\"a.zrn\" \"c.plv\" \"b.zrn\" \"s.wav\"");
  EXPECT_EQ(lines(), (V{"/opt/tol/zurnplay  \"a.zrn\" \"b.zrn\" /! /#42 ", "/opt/tol/plevplw  \"c.plv\" /! /#42 "}));
  EXPECT_EQ(s_.started[0].program, "/opt/tol/zurnplay");
  EXPECT_EQ(s_.documents, V{"s.wav"});
  l_.quickPlay("list.LST");
  EXPECT_EQ(d_.opened, V{"list \"list.LST\""});
  s_.refuseStarts = s_.refuseDocuments = true;
  l_.quickPlay("c.plv");
  l_.quickPlay("s.wav");
  EXPECT_EQ(texts("posted"), (V{"Error loading the Pleven player.", "Error opening the file."}));
}

TEST_F(Actions, AdvancedPlayWantsFilesOfOneOfTheTwoTypes) {
  l_.advancedPlay("\"a.zrn\" \"c.plv\"");
  l_.advancedPlay("s.wav");
  l_.advancedPlay("");
  l_.advancedPlay("\"a.zrn\" \"old.zrn\"");
  EXPECT_EQ(texts("error"), (V{"To play multiple files at once, highlight all Zurn files or all Pleven files.",
                               "Advanced playback options are only available for Zurn and Pleven files.",
                               "You haven't highlighted a file.", kOldZurnMessage}));
  EXPECT_TRUE(d_.opened.empty());
  l_.advancedPlay("\"a.zrn\" \"b.zrn\"");
  l_.advancedPlay("c.plv");
  EXPECT_EQ(d_.opened, (V{"zurnplayer \"a.zrn\" \"b.zrn\"", "plevplayer c.plv"}));
}

TEST_F(Actions, StartUpFileOpensTheEditorOrAdvancedPlay) {
  state_.startupFile = "films.list";
  l_.openStartupFile();
  state_.startupFile = "c.plv";
  l_.openStartupFile();
  EXPECT_EQ(d_.opened, (V{"list films.list", "plevplayer c.plv"}));
}

TEST_F(Actions, AnalyserFileInfoAndSystemInfo) {
  l_.analyse("\"a.zrn\" \"b.zrn\"");
  l_.analyse("s.wav");
  l_.analyse("");
  l_.fileInfo("");
  l_.analyse("c.plv");
  l_.fileInfo("\"a.zrn\" \"s.wav\"");
  l_.systemInfo();
  EXPECT_EQ(texts("error"), (V{"You have selected multiple files - highlight a single file or create a list file.",
                               "You can only analyze Zurn or Pleven video files.", "You haven't highlighted a file.",
                               "You haven't highlighted a file."}));
  EXPECT_EQ(lines(), (V{"/opt/tol/tolana \"c.plv\"", "/opt/tol/tolinfo /#42 \"a.zrn\"", "/opt/tol/tolinfo /#42 \"s.wav\"",
                        "/opt/tol/tolsiw /#42"}));
  s_.started.clear();
  s_.refuseStarts = true;
  l_.fileInfo("\"a.zrn\" \"s.wav\"");
  EXPECT_EQ(s_.started.size(), 1u);  // the first refused start ends the loop
  EXPECT_EQ(texts("posted"), V{"Error loading TOLInfo."});
}

TEST_F(Actions, CompressorTakesOneFileAndOffersItsSequence) {
  l_.compress("img02.bmp");
  s_.answers = {Answer::No};
  l_.compress("img02.bmp");
  EXPECT_EQ(d_.opened, (V{"compressor img??.bmp*1-4", "compressor img02.bmp"}));
}

TEST_F(Actions, CompressorCommandWithHintAndShift) {
  EXPECT_FALSE(l_.compressorOk("clip.avi", "  ", " /d250000"));
  EXPECT_EQ(texts("error"), V{"No output filename chosen."});
  EXPECT_TRUE(l_.compressorOk("clip.avi", "out", " /d250000 /m3.0 /l4 /p8"));
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_EQ(lines()[0], "/opt/tol/zurn \"clip.avi\" \"out.zrn\"  /d250000 /m3.0 /l4 /p8  /#42");
  EXPECT_EQ(s_.started[0].workingFolder, state_.settings.path);

  state_.hint = "  keep the titles sharp \n";
  EXPECT_TRUE(l_.compressorOk("clip.avi", "out.zrn", " /o"));
  const std::string line = lines()[1];
  const size_t at = line.find("/@\"*");
  ASSERT_NE(at, std::string::npos) << line;
  const std::string file = line.substr(at + 4, line.find('"', at + 4) - at - 4);
  EXPECT_EQ(line, "/opt/tol/zurn \"clip.avi\" \"out.zrn\"  /o /@\"*" + file + "\" /#42");
  const auto bytes = testutil::readFile(file);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "keep the titles sharp");
  std::filesystem::remove(file);

  s_.commandKeys = true;
  state_.hint.clear();
  EXPECT_TRUE(l_.compressorOk("clip.avi", "out.zrn", " /o"));
  EXPECT_EQ(lines().size(), 2u);
  ASSERT_EQ(s_.messages.back().kind, "info");
  EXPECT_EQ(s_.messages.back().title, "Zurn Command:");
  EXPECT_EQ(s_.messages.back().text, "/opt/tol/zurn \"clip.avi\" \"out.zrn\"  /o  /#42");
}

TEST_F(Actions, MixerChoiceOrderAndChecks) {
  l_.mix("\"s.wav\" \"a.zrn\"");
  s_.answers = {Answer::No};
  l_.mix("\"a.zrn\" \"c.plv\"");
  l_.mix("c.plv");
  EXPECT_EQ(d_.opened, (V{"zurnmixer a.zrn|s.wav", "plevmixer c.plv|a.zrn", "plevmixer c.plv|"}));
  EXPECT_EQ(s_.messages[0].title, "Zurn or Pleven Mixer");
  d_.opened.clear();
  s_.messages.clear();
  l_.mix("");
  l_.mix("\"a.zrn\" \"b.zrn\" \"s.wav\"");
  l_.mix("\"c.plv\" \"s.wav\" \"img01.bmp\"");
  l_.mix("s.wav");
  EXPECT_TRUE(d_.opened.empty());
  EXPECT_EQ(texts("error"), (V{"You haven't highlighted a file.",
                               "You have selected too many files - highlight just a Zurn file and/or a sound file.",
                               "You have selected too many files - highlight just a Pleven file and/or a sound file.",
                               "You didn't select a Zurn file to mix from."}));
}

TEST_F(Actions, MixerConverterPlayerAndExeCommands) {
  EXPECT_FALSE(l_.mixerOk(true, "a.zrn", "", "o.zrn", ""));
  EXPECT_FALSE(l_.mixerOk(false, "c.plv", "s.wav", "", ""));
  EXPECT_EQ(texts("error"), (V{"No input sound filename and/or output Zurn filename chosen.",
                               "No input sound filename and/or output Pleven filename chosen."}));
  EXPECT_TRUE(l_.mixerOk(true, "a.zrn", "s.wav", "mixed", " /l4"));
  EXPECT_TRUE(l_.mixerOk(false, "c.plv", "s.wav", "mixed", ""));
  EXPECT_TRUE(l_.converterOk("a.zrn", "a", "/z"));
  l_.play(true, "a.zrn", " /s");
  l_.play(false, "\"c.plv\" \"c.plv\"", "");
  ExeOptions exe = ExeOptions::forPlayer(false, "c.plv", "  /l /s ", true, 2);
  EXPECT_EQ(exe.output, "c.exe");
  EXPECT_EQ(exe.playerSwitches, "/l /s");
  EXPECT_TRUE(l_.exeOk(exe));
  l_.exeList(exe);
  EXPECT_EQ(lines(), (V{"/opt/tol/zurnmix \"a.zrn\" \"s.wav\" \"mixed.zrn\"  /l4 /#42",
                        "/opt/tol/plevmix \"c.plv\" \"s.wav\" \"mixed.plv\"  /#42",
                        "/opt/tol/zurnconv \"a.zrn\" \"a.avi\" /z /#42",
                        "/opt/tol/zurnplay \"a.zrn\"  /s /#42 ",
                        "/opt/tol/plevplw  \"c.plv\" \"c.plv\"   /#42 ",
                        "/opt/tol/tol2exe \"/opt/tol/plevply\" \"c.exe\" \"/l /s\" c.plv /o /#42",
                        "/opt/tol/plevply /? /#42"}));
  EXPECT_EQ(state_.exeTarget, 2);
  ExeOptions zurn = ExeOptions::forPlayer(true, "a.zrn", "", false, 2);
  EXPECT_EQ(zurn.target, 0);
  zurn.output.clear();
  EXPECT_FALSE(l_.exeOk(zurn));
  EXPECT_EQ(texts("error").back(), "No input video filename and/or output EXE filename chosen.");
}

TEST_F(Actions, QuickSettingsAndProfileRoundTrip) {
  s_.answers = {Answer::No, Answer::Yes};
  l_.setQuick(true, " /s");
  l_.setQuick(false, " /q");
  char value[64];
  tol::profile::getString(kProfileSection, "ZurnQuickPlay", "none", value, sizeof value);
  EXPECT_STREQ(value, "none");
  tol::profile::getString(kProfileSection, "PlevQuickPlay", "none", value, sizeof value);
  EXPECT_STREQ(value, "/q");  // the profile keeps no leading blanks

  Settings fresh;
  fresh.load();
  EXPECT_EQ(fresh.zurnConv, "/z");  // a profile without "ZurnConv"
  EXPECT_EQ(fresh.x, 100);
  EXPECT_EQ(fresh.w, 0);
  EXPECT_EQ(fresh.lastVersionCheckDate, "1999-10-14");
  Settings s;
  s.zurnComp = " /d150 /o";
  s.zurnMix = " /l4";
  s.plevMix = " /t2";
  s.zurnPlay = " /l /f";
  s.plevPlay = " /v259";
  s.zurnConv = "";
  s.path = "/a folder/with = signs";
  s.x = -5;
  s.y = 7;
  s.w = 640;
  s.h = 480;
  s.save();
  Settings back;
  back.load();
  EXPECT_EQ(back.zurnComp, trimmed(s.zurnComp));
  EXPECT_EQ(back.zurnMix, trimmed(s.zurnMix));
  EXPECT_EQ(back.plevMix, trimmed(s.plevMix));
  EXPECT_EQ(back.zurnPlay, trimmed(s.zurnPlay));
  EXPECT_EQ(back.plevPlay, trimmed(s.plevPlay));
  EXPECT_EQ(back.zurnConv, "");
  EXPECT_EQ(back.path, s.path);
  EXPECT_EQ(std::vector<int>({back.x, back.y, back.w, back.h}), std::vector<int>({-5, 7, 640, 480}));
}

TEST_F(Actions, VersionPrompt) {
  EXPECT_EQ(dateText(weekBefore({2024, 1, 3})), "2023-12-26");
  EXPECT_EQ(dateText(weekBefore({2024, 5, 20})), "2024-05-13");
  EXPECT_EQ(dateText(monthBefore({2024, 1, 31})), "2023-12-31");
  EXPECT_TRUE(versionCheckDue({2024, 5, 20}, "2024-05-12"));
  EXPECT_FALSE(versionCheckDue({2024, 5, 20}, "2024-05-13"));
  EXPECT_FALSE(versionCheckDue({1999, 11, 14}, "1999-01-01"));  // the build is not a month old

  s_.answers = {Answer::No};
  EXPECT_FALSE(l_.versionCheck({2024, 5, 20}));
  EXPECT_EQ(state_.settings.lastVersionCheckDate, "2024-05-20");  // stored before asking
  EXPECT_FALSE(l_.versionCheck({2024, 5, 21}));                   // asked at most once a week
  ASSERT_EQ(s_.messages.size(), 1u);
  EXPECT_EQ(s_.messages[0].title, "New version check...");
  EXPECT_EQ(s_.messages[0].text.rfind("It's been a while since you checked", 0), 0u);
  EXPECT_TRUE(l_.newVersion({2024, 6, 1}));
  EXPECT_EQ(s_.documents, V{"file:///docs/scripts/zurnver.asp?ver=0.9m"});
  Settings back;
  back.load();
  EXPECT_EQ(back.lastVersionCheckDate, "2024-06-01");
  l_.help("lp2");
  l_.questions();
  EXPECT_EQ(s_.documents[1], "file:///docs/zurnhlp2.htm#START");
  EXPECT_EQ(s_.documents[2], "file:///docs/zurnfaq.htm");
}

}  // namespace
}  // namespace tolvideo
