// The Zurn player: its switches and quick-play settings, its timing
// decisions, the sound ring behind its clock, its statistics, and the
// program itself on a virtual display with the dummy sound driver.
#include <gtest/gtest.h>
#include <signal.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include "run_program.h"
#include "testutil.h"
#include "common/pacing.h"
#include "common/play_statistics.h"
#include "common/sound_ring.h"
#include "tol/zurndecoder.h"
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

TEST(ZurnPlaySoundRing, PullsInOrderAcrossTheWrapFillsSilenceAndClocksWhatWasPlayed) {
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
  EXPECT_NEAR(ring.clock(2.0), 0.10, 1e-9);
  EXPECT_NEAR(ring.clock(2.05), 0.15, 1e-9);  // sound, then silence: the device plays on
  EXPECT_EQ(ring.queued(), 0u);
  ring.pull(out.data(), 10, 3.0);             // silence only
  EXPECT_NEAR(ring.clock(3.05), 0.25, 1e-9);
  ring.clear();
  ring.pull(out.data(), 10, 4.0);             // no sound yet: silence does not count
  EXPECT_NEAR(ring.clock(4.05), 0.0, 1e-9);
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
  s.syncSample(2.0, 1.996);
  EXPECT_NEAR(s.largestSyncError(), 0.01, 1e-9);
  EXPECT_NEAR(s.meanSyncError(), 0.007, 1e-9);
  const std::string text = s.summary();
  EXPECT_NE(text.find("Frames shown: 1\nFrames skipped: 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("A/V offset: max 10.0 ms, mean 7.0 ms"), std::string::npos) << text;
}

// A number that the summary gives after label; NaN when it is not there.
double summaryNumber(const std::string& summary, const std::string& label) {
  const size_t at = summary.find(label);
  return at == std::string::npos ? std::nan("") : std::strtod(summary.c_str() + at + label.size(), nullptr);
}

// Plays each case to the end and checks the summary: every frame of every
// pass either shown or skipped, and, the timing: none skipped, each picture
// within a frame of the sound heard, no one second reading more than two
// seconds' worth. The machine may be busy with other work, so a case whose
// timing fails is played again, up to three times, and the timing is not
// judged at all while more programs wait to run than there are processors
// (a player cannot keep time without a processor).
struct PlayCase {
  std::string file;
  std::vector<std::string> switches;
  int32_t frames;    // of all passes
  double frameRate;  // the file's
  bool sound;
};
void playAndCheck(const std::string& folder, const std::vector<PlayCase>& cases) {
  for (const PlayCase& c : cases) {
    std::vector<std::string> args = {TOL_ZURNPLAY, c.file, "/S"};
    args.insert(args.end(), c.switches.begin(), c.switches.end());
    std::string line;
    for (const std::string& a : args) line += a + " ";
    std::string timing = "not played";
    for (int attempt = 0; attempt < 3 && !timing.empty(); attempt++) {
      const Outcome r = runIn(folder, args);
      ASSERT_EQ(r.code, 0) << line << r.err;
      const double shown = summaryNumber(r.out, "Frames shown: "), skipped = summaryNumber(r.out, "Frames skipped: ");
      ASSERT_EQ(shown + skipped, c.frames) << line << r.out;
      ASSERT_EQ(r.out.find("A/V offset") != std::string::npos, c.sound) << line << r.out;
      const double largest = summaryNumber(r.out, "A/V offset: max "), mean = summaryNumber(r.out, " ms, mean ");
      const bool inTime = skipped == 0 && (!c.sound || (largest < 1000.0 / c.frameRate && mean <= largest)) &&
                          summaryNumber(r.out, "Peak read rate: ") < 2 * summaryNumber(r.out, "Data rate: ");
      timing = inTime ? "" : r.out;
    }
    double load[1] = {0};
    if (!timing.empty() && getloadavg(load, 1) == 1 && load[0] > double(std::thread::hardware_concurrency())) {
      std::printf("timing of %snot judged: load average %.1f\n", line.c_str(), load[0]);
      continue;
    }
    EXPECT_EQ(timing, "") << line;
  }
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
    // Displays far from the usual low numbers, which other servers on the
    // machine (even in other file namespaces, sharing the abstract socket
    // names) may hold; the server writes the number to the pipe once it
    // takes connections, or ends when the display is taken.
    for (int attempt = 0; attempt < 20 && display.empty(); attempt++) {
      const std::string number = std::to_string(300 + (getpid() * 7 + attempt * 131) % 3000);
      if (startServer(number)) display = ":" + number;
    }
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    setenv("DISPLAY", display.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The display's system libraries (D-Bus under SDL) keep memory to the
    // end; the player's own parts are leak-checked in the tests above.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
  }
  bool startServer(const std::string& number) {
    int ready[2];
    if (pipe(ready) != 0) return false;
    xvfb = fork();
    if (xvfb == 0) {
      close(ready[0]);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      const std::string fd = std::to_string(ready[1]), name = ":" + number;
      // The screen is kept in a file of the scratch folder (Xvfb_screen0,
      // in the X window dump format), for screenshots without a client.
      execl("/usr/bin/Xvfb", "Xvfb", name.c_str(), "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
            "640x480x24", "-fbdir", dir.path().c_str(), (char*)nullptr);
      _exit(127);
    }
    close(ready[1]);
    char answer[16] = {};
    const ssize_t got = xvfb > 0 ? read(ready[0], answer, sizeof answer - 1) : -1;
    close(ready[0]);
    if (got > 0) return true;
    if (xvfb > 0) waitpid(xvfb, nullptr, 0);
    xvfb = -1;
    return false;
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

TEST_F(ZurnPlayProgram, PlaysOurClipToTheEndInSync) {
  const std::string clip = dir.file("clip.zrn");
  playAndCheck(dir.path().string(), {{clip, {"/N"}, 30, 15, true},
                                     {clip, {}, 30, 15, true},
                                     {clip, {"/L3"}, 90, 15, true},
                                     {clip, {"/L3", "/T-1"}, 90, 15, false},
                                     {clip, {"/E4", "/K"}, 30, 15, true},
                                     {clip, {"/P", "/B1"}, 30, 15, true}});
}

// The conformance vectors (both sound tracks), and a 640 x 480 clip at 30
// frames a second made from the corpus, looped with and without sound.
TEST_F(ZurnPlayProgram, PlaysCorpusClipsWithoutSkipping) {
  TOL_REQUIRE_FILE(small, testutil::vectorFile("sample100x60.zrn"));
  TOL_REQUIRE_FILE(tiny, testutil::vectorFile("sample20x8.zrn"));
  TOL_REQUIRE_FILE(leaf, testutil::corpusFile("seq/leaf_zoom_640x480/leafzoom0000.png"));
  TOL_REQUIRE_FILE(speech, testutil::corpusFile("audio/speech_16bit_mono_22050.wav"));
  const std::string pattern = leaf.substr(0, leaf.size() - 8) + "????.png";
  const Outcome z = runIn(dir.path().string(), {TOL_ZURN, pattern, "leaf.zrn", speech, "/F30", "/O"});
  ASSERT_EQ(z.code, 0) << z.err;
  const std::string clip = dir.file("leaf.zrn");
  playAndCheck(dir.path().string(), {{small, {}, 3, 25, true},
                                     {small, {"/T9"}, 3, 25, true},
                                     {tiny, {"/L2"}, 6, 25, true},
                                     {clip, {"/L3"}, 90, 30, true},
                                     {clip, {"/L5", "/T-1"}, 150, 30, false},
                                     {clip, {"/E64"}, 30, 30, true}});
}

// The pictures of a clip as our decoder gives them through the 32-bit
// blit (bytes red, green, blue, unused).
std::vector<std::vector<uint8_t>> decodedFrames(const std::string& name, int32_t& width, int32_t& height) {
  std::vector<std::vector<uint8_t>> frames;
  ZurnDecoder* d = ZurnDecoderOpen(name.c_str(), 0);
  if (!d) return frames;
  width = d->width;
  height = d->height;
  for (int32_t k = 0; k < d->frames; k++) {
    std::vector<uint8_t> rgbx(size_t(width) * height * 4);
    ZurnDecoderDecodeFrame(d);
    ZurnDecoderCopyToSurface(d, rgbx.data(), width * 4, height, 0, 0, 2 | ZURNDEC_COPY_FULL);
    frames.push_back(std::move(rgbx));
    ZurnDecoderNextFrame(d);
  }
  ZurnDecoderClose(d);
  return frames;
}

// Peak signal-to-noise ratio of a screenshot (RGB) against a picture
// (RGB and an unused byte); infinite when they are equal.
double psnr(const std::vector<uint8_t>& rgb, const std::vector<uint8_t>& rgbx) {
  double squares = 0;
  const size_t pixels = rgbx.size() / 4;
  if (rgb.size() != pixels * 3) return 0;
  for (size_t i = 0; i < pixels; i++)
    for (size_t c = 0; c < 3; c++) {
      const double e = double(rgb[i * 3 + c]) - rgbx[i * 4 + c];
      squares += e * e;
    }
  return squares == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 * pixels * 3 / squares);
}

// The window's picture under the virtual display, read from the server's
// screen file while the player stands still (stopped by a signal), matches a
// frame that our decoder gives: exactly for the RGB textures, closely for
// the renderer's own YUV conversion. A frame after the first is looked for,
// so that the areas copied for changed blocks only are checked too.
TEST_F(ZurnPlayProgram, ShownPictureIsTheDecodedFrame) {
  if (access("/usr/bin/convert", X_OK) != 0) GTEST_SKIP() << "ImageMagick is not installed";
  int32_t width = 0, height = 0;
  const std::vector<std::vector<uint8_t>> frames = decodedFrames(dir.file("clip.zrn"), width, height);
  ASSERT_EQ(frames.size(), 30u);
  const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+0+0";
  struct Case {
    const char* blit;
    double least;  // dB
  };
  const Case cases[] = {{"/B1", INFINITY}, {"/B2", INFINITY}, {"/B3", 35}, {"/B4", 35}};
  for (const Case& c : cases) {
    struct Ender {  // the player plays endlessly: ended whatever happens
      pid_t pid = -1;
      int status = -1;
      ~Ender() {
        if (pid <= 0) return;
        kill(pid, SIGCONT);
        kill(pid, SIGTERM);
        waitpid(pid, &status, 0);
      }
    } ender;
    const pid_t player = fork();
    if (player == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      execl(TOL_ZURNPLAY, TOL_ZURNPLAY, dir.file("clip.zrn").c_str(), "/X0", "/Y0", "/F4", "/N", "/T-1", "/L0", c.blit,
            (char*)nullptr);
      _exit(127);
    }
    ASSERT_GT(player, 0);
    ender.pid = player;
    size_t bestFrame = 0;
    double best = 0;
    std::string shotError = "no screenshot";
    for (int tries = 0; tries < 60 && (bestFrame == 0 || best < c.least); tries++) {
      usleep(250000);
      kill(player, SIGSTOP);
      const Outcome shot = runIn(dir.path().string(), {"/usr/bin/convert", "xwd:" + dir.file("Xvfb_screen0"), "-crop",
                                                       crop, "-depth", "8", "rgb:" + dir.file("shot.rgb")});
      kill(player, SIGCONT);
      if (shot.code != 0) {
        shotError = shot.err;
        continue;
      }
      shotError.clear();
      const std::vector<uint8_t> screen = testutil::readFile(dir.file("shot.rgb"));
      best = 0;
      for (size_t k = 0; k < frames.size(); k++)
        if (const double p = psnr(screen, frames[k]); p > best) {
          best = p;
          bestFrame = k;
        }
    }
    EXPECT_EQ(shotError, "") << c.blit;
    kill(player, SIGTERM);
    waitpid(player, &ender.status, 0);
    ender.pid = -1;
    EXPECT_TRUE(WIFEXITED(ender.status) && WEXITSTATUS(ender.status) == 0) << c.blit << " ended with " << ender.status;
    EXPECT_GE(best, c.least) << c.blit << ", frame " << bestFrame;
    EXPECT_GT(bestFrame, 0u) << c.blit;
  }
}

// A file that cannot be played is reported and the others play; an endless
// loop over files none of which plays ends at once.
TEST_F(ZurnPlayProgram, UnplayableFilesAreReportedAndEndTheLoop) {
  const Outcome alone = runIn(dir.path().string(), {TOL_ZURNPLAY, dir.file("missing.zrn"), "/L", "/S"});
  EXPECT_EQ(alone.code, 1);
  EXPECT_NE(alone.err.find("Error opening file."), std::string::npos) << alone.err;
  EXPECT_EQ(summaryNumber(alone.out, "Frames shown: "), 0) << alone.out;
  const Outcome mixed =
      runIn(dir.path().string(), {TOL_ZURNPLAY, dir.file("missing.zrn"), dir.file("clip.zrn"), "/L2", "/S", "/F"});
  EXPECT_EQ(mixed.code, 1);
  EXPECT_EQ(summaryNumber(mixed.out, "Frames shown: "), 60) << mixed.out;
}

TEST_F(ZurnPlayProgram, ListsItsSwitchesAndTakesTheQuickPlaySetting) {
  const Outcome list = runIn(dir.path().string(), {TOL_ZURNPLAY, "/?", "/#1234"});  // as the launcher asks
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
