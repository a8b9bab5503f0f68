// The Zurn player: its switches and quick-play settings, its timing
// decisions, the sound ring behind its clock, its statistics, and the
// program itself on a virtual display with the dummy sound driver.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "run_program.h"
#include "testutil.h"
#include "common/pacing.h"
#include "common/play_statistics.h"
#include "common/sound_ring.h"
#include "zurnplay/options.h"

namespace {

using zurnplay::Blit;
using zurnplay::PlayOptions;

TEST(ZurnPlayOptions, SwitchesOfThePlayerDialogReadBack) {
  struct Case {
    const char* line;
    std::function<bool(const PlayOptions&)> check;
  };
  const Case cases[] = {
      {"\"a.zrn\"", [](const PlayOptions& o) { return o.loops == 1 && !o.fast && !o.switchesGiven; }},
      {"\"a.zrn\" \"b c.zrn\" /l3 /f15 /s /q /n /j",
       [](const PlayOptions& o) {
         return o.files.size() == 2 && o.files[1] == "b c.zrn" && o.loops == 3 && o.rateNum == 15 &&
                o.rateDen == 1 && o.summary && o.liveStatistics && o.noSkip && o.playWithoutFocus;
       }},
      {"\"a.zrn\" /l /f", [](const PlayOptions& o) { return o.loops == 0 && o.fast; }},
      {"\"a.zrn\" /f29.97", [](const PlayOptions& o) { return o.rateNum == 2997 && o.rateDen == 100; }},
      {"\"a.zrn\" /p /k /g /r /c /i2 /x10 /y20 /w320 /h200",
       [](const PlayOptions& o) {
         return o.preload && o.noReadAhead && o.noPrefill && o.blackOutside && o.hideCursor && o.windowStyle == 2 &&
                o.x == 10 && o.y == 20 && o.width == 320 && o.height == 200;
       }},
      {"\"a.zrn\" /a102 /e512 /m150000 /t7 /u5 /d208 /b3",
       [](const PlayOptions& o) {
         return o.scaling == 2 && o.monochrome && o.readAheadKilobytes == 512 && o.readBytesPerSecond == 150000 &&
                o.soundTrack == 7 && o.disabledKeys == 5 && o.fullScreen == 8 && o.fullScreenDepth == 2 &&
                o.blit == Blit::Yv12;
       }},
      {"\"a.zrn\" /! /#1234", [](const PlayOptions& o) { return o.quickPlay && !o.switchesGiven; }},
      {"/?", [](const PlayOptions& o) { return o.listSwitches && o.files.empty(); }},
      {"\"a.zrn\" /t-1 /b9", [](const PlayOptions& o) { return o.soundTrack == -1 && o.blit == Blit::Rgb; }},
  };
  for (const Case& c : cases) {
    PlayOptions o;
    std::string error;
    ASSERT_TRUE(zurnplay::parsePlayCommandLine(c.line, o, error)) << c.line << ": " << error;
    EXPECT_TRUE(c.check(o)) << c.line;
  }
}

TEST(ZurnPlayOptions, BadSwitchesAreRefused) {
  const char* lines[] = {"\"a.zrn\" /v",   "\"a.zrn\" /s /s",  "\"a.zrn\" /i3", "\"a.zrn\" /a4",
                         "\"a.zrn\" /a204", "\"a.zrn\" /d14", "\"a.zrn\" /u8", "\"a.zrn\" /f0",
                         "\"a.zrn\" /b11", "/s"};
  for (const char* line : lines) {
    PlayOptions o;
    std::string error;
    EXPECT_FALSE(zurnplay::parsePlayCommandLine(line, o, error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

TEST(ZurnPlayOptions, QuickPlaySettingAddsSwitchesAndKeepsTheFiles) {
  PlayOptions o;
  std::string error;
  ASSERT_TRUE(zurnplay::parsePlayCommandLine("\"a.zrn\" /! /#5", o, error));
  ASSERT_TRUE(zurnplay::applyQuickPlay(" /l2 /s /n /a2", o, error)) << error;
  EXPECT_EQ(o.files, std::vector<std::string>{"a.zrn"});
  EXPECT_EQ(o.loops, 2);
  EXPECT_TRUE(o.summary && o.noSkip && o.quickPlay);
  EXPECT_EQ(o.scaling, 2);
  EXPECT_FALSE(zurnplay::applyQuickPlay("/s \"b.zrn\"", o, error));
  EXPECT_FALSE(zurnplay::applyQuickPlay("/z", o, error));
}

TEST(ZurnPlayPacing, WaitsWhenEarlySkipsWhenLateShowsTheLastFrame) {
  struct Case {
    double fps;
    bool noSkip;
    uint32_t frame, frames;
    double clock, wait;
    tolapp::FrameAction action;
  };
  using A = tolapp::FrameAction;
  const Case cases[] = {
      {30, false, 3, 10, 0.050, 0.050, A::Show},   // early: wait for 0.1
      {30, false, 3, 10, 0.120, 0, A::Show},       // late by less than a frame
      {30, false, 3, 10, 0.140, 0, A::Skip},       // late by more than a frame
      {30, true, 3, 10, 0.500, 0, A::Show},        // /N
      {30, false, 9, 10, 5.000, 0, A::Show},       // the last frame
      {0, false, 3, 10, 0.000, 0, A::Show},        // as fast as possible
  };
  for (const Case& c : cases) {
    const tolapp::FrameTiming timing{c.fps, c.noSkip};
    EXPECT_NEAR(timing.wait(c.frame, c.clock), c.wait, 1e-9) << c.frame << " at " << c.clock;
    EXPECT_EQ(timing.decide(c.frame, c.frames, c.clock), c.action) << c.frame << " at " << c.clock;
  }
}

TEST(ZurnPlaySoundRing, PullsInOrderAcrossTheWrapFillsSilenceAndClocksWhatWasHeard) {
  // 100 bytes a second, played as pulled.
  tolapp::SoundRing ring(16, 100, 0, 0x80);
  EXPECT_EQ(ring.clock(0), 0);
  std::vector<uint8_t> in(12), out(10);
  for (size_t i = 0; i < in.size(); ++i) in[i] = uint8_t(i + 1);
  EXPECT_EQ(ring.push(in.data(), 12), 12u);
  EXPECT_EQ(ring.push(in.data(), 12), 4u);  // only what fits
  ring.pull(out.data(), 10, 1.0);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[9], 10);
  EXPECT_NEAR(ring.clock(1.0), 0.0, 1e-9);   // the pulled buffer is only starting
  EXPECT_NEAR(ring.clock(1.05), 0.05, 1e-9);
  EXPECT_NEAR(ring.clock(9.0), 0.10, 1e-9);  // never past what was pulled
  ring.pull(out.data(), 10, 2.0);            // 6 queued bytes, then silence
  const uint8_t expected[] = {11, 12, 1, 2, 3, 4, 0x80, 0x80, 0x80, 0x80};
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.end()), std::vector<uint8_t>(expected, expected + 10));
  EXPECT_NEAR(ring.clock(2.0), 0.10, 1e-9);  // silence does not move the clock
  EXPECT_EQ(ring.queued(), 0u);
}

TEST(ZurnPlayStatistics, PeakSecondAndSummary) {
  tolapp::PlayStatistics s;
  for (int i = 0; i < 30; ++i) s.frameRead(i == 10 ? 5000 : 1000, i * 0.125);  // 8 reads a second
  s.frameShown();
  s.frameSkipped();
  s.syncSample(1.0, 1.01);
  s.playedFor(3.0);
  EXPECT_EQ(s.bytes(), 34000u);
  EXPECT_EQ(s.peakSecondBytes(), 12000u);
  EXPECT_NEAR(s.largestSyncError(), 0.01, 1e-9);
  const std::string text = s.summary();
  EXPECT_NE(text.find("Frames shown: 1\nFrames skipped: 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Largest sound sync error: 10.0 ms"), std::string::npos) << text;
}

// The program on a virtual display: plays a clip made by the compressor to
// the end, with sound through the dummy driver, and reports its summary.
class ZurnPlayProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed";
    const Outcome s = runIn(dir.path().string(), {TOL_ZURNSAMPLE, "clip", "/N30", "/W160", "/H120"});
    ASSERT_EQ(s.code, 0) << s.err;
    const Outcome z = runIn(dir.path().string(), {TOL_ZURN, "clip/frame????.png", "clip.zrn", "clip/sound.wav", "/F15", "/O"});
    ASSERT_EQ(z.code, 0) << z.err;
    display = ":" + std::to_string(90 + getpid() % 100);
    xvfb = fork();
    if (xvfb == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execl("/usr/bin/Xvfb", "Xvfb", display.c_str(), "-screen", "0", "640x480x24", (char*)nullptr);
      _exit(127);
    }
    usleep(700000);
    setenv("DISPLAY", display.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The display's system libraries (D-Bus under SDL) keep memory to the
    // end; the player's own parts are leak-checked in the tests above.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
  }
  void TearDown() override {
    if (xvfb > 0) {
      kill(xvfb, SIGTERM);
      waitpid(xvfb, nullptr, 0);
    }
  }

  testutil::TempDir dir;
  std::string display;
  pid_t xvfb = -1;
};

TEST_F(ZurnPlayProgram, PlaysToTheEndInSyncAndSummarises) {
  const Outcome r = runIn(dir.path().string(), {TOL_ZURNPLAY, dir.file("clip.zrn"), "/S", "/N"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Frames shown: 30\nFrames skipped: 0\n"), std::string::npos) << r.out;
  const std::string label = "Largest sound sync error: ";
  const size_t at = r.out.find(label);
  ASSERT_NE(at, std::string::npos) << r.out;
  EXPECT_LT(std::stod(r.out.substr(at + label.size())), 1000.0 / 15) << r.out;
}

TEST_F(ZurnPlayProgram, ListsItsSwitchesAndTakesTheQuickPlaySetting) {
  const Outcome list = runIn(dir.path().string(), {TOL_ZURNPLAY, "/?"});
  EXPECT_EQ(list.code, 0);
  EXPECT_NE(list.out.find("/L[n]"), std::string::npos);
  std::filesystem::create_directories(dir.file("config/tolvideo"));
  const std::string ini = "[TOL Video Tools]\nZurnQuickPlay= /s /f\n";
  testutil::writeFile(dir.file("config/tolvideo/tolvideo.ini"), std::vector<uint8_t>(ini.begin(), ini.end()));
  const Outcome r = runIn(dir.path().string(), {TOL_ZURNPLAY, dir.file("clip.zrn"), "/!"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Frames shown: 30\n"), std::string::npos) << r.out;  // /s from the profile
}

TEST_F(ZurnPlayProgram, SelfPlayingProgramFromTol2exePlaysItsVideo) {
  const std::string program = dir.file("clip.run");
  const Outcome made = runIn(dir.path().string(), {TOL_TOL2EXE, TOL_ZURNPLAY, program, " /s /n ", dir.file("clip.zrn")});
  ASSERT_EQ(made.code, 0) << made.err;
  std::filesystem::remove(dir.file("clip.zrn"));  // it must carry its own copy
  const Outcome r = runIn(dir.path().string(), {program});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Frames shown: 30\nFrames skipped: 0\n"), std::string::npos) << r.out << r.err;
  const Outcome again = runIn(dir.path().string(), {TOL_TOL2EXE, TOL_ZURNPLAY, program, "", program});
  EXPECT_EQ(again.code, 1);  // exists, no /o
}

}  // namespace
