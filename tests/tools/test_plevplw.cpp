// The Pleven player: its switches and quick-play settings, how a decoded
// frame becomes the picture on screen (line mode, palette, drawing area,
// zoom, texture rows), and the program itself on a clip our writer makes,
// under SDL's dummy drivers and on a virtual display.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "core/player_options.h"
#include "core/tool_commands.h"
#include "plevplw/options.h"
#include "plevplw/picture.h"
#include "run_program.h"
#include "testutil.h"
#include "tol/pleven.h"
#include "tol/plevenwriter.h"

namespace {

using plevplw::BlitStyle;
using plevplw::HeightScale;
using plevplw::PaletteRemap;
using plevplw::PlayOptions;
using plevplw::Zoom;

TEST(PlevPlayOptions, SwitchesOfThePlayerDialogReadBack) {
  struct Case {
    const char* line;
    std::function<bool(const PlayOptions&)> check;
  };
  const Case cases[] = {
      {"\"a.plv\"",
       [](const PlayOptions& o) {
         return o.loops == 1 && !o.fast && !o.switchesGiven && o.trackMask == -1 && o.blit == BlitStyle::Automatic &&
                o.zoom == Zoom::Doubled && o.palette == PaletteRemap::IfNeeded &&
                o.heightScale == HeightScale::AsCompressed;
       }},
      // Every control of the dialog, in its append order.
      {"\"a.plv\" \"b c.plv\" /l3 /f15 /s /q /n /j /z /o /p /g /i3 /x10 /y20 /w640 /h480 /e64 /m50000 /t5 /u7 "
       "/d2 /r1 /a1 /v259 /#77",
       [](const PlayOptions& o) {
         return o.files == std::vector<std::string>{"a.plv", "b c.plv"} && o.loops == 3 && o.rateNum == 15 &&
                o.rateDen == 1 && o.summary && o.frameNumbers && o.noSkip && o.playWithoutFocus && o.soundDevice &&
                o.soundOnly && o.preload && o.fillAtOpen && o.windowStyle == 3 && o.x == 10 && o.y == 20 &&
                o.width == 640 && o.height == 480 && o.readAheadKilobytes == 64 && o.readBytesPerSecond == 50000 &&
                o.trackMask == 5 && o.disabledKeys == 7 && o.resolution == 2 && o.palette == PaletteRemap::ToSystem &&
                o.heightScale == HeightScale::Interlaced && o.blit == BlitStyle::Software &&
                o.zoom == Zoom::Smoothed && !o.noAcceleration;
       }},
      {"\"a.plv\" /l /f", [](const PlayOptions& o) { return o.loops == 0 && o.fast; }},
      {"\"a.plv\" /f12.5", [](const PlayOptions& o) { return o.rateDen > 0 && double(o.rateNum) / o.rateDen == 12.5; }},
      {"\"a.plv\" /i1", [](const PlayOptions& o) { return o.windowStyle == 0; }},  // read as the first choice
      {"\"a.plv\" /i4 /r2 /a3 /v129",
       [](const PlayOptions& o) {
         return o.windowStyle == 4 && o.palette == PaletteRemap::Never && o.heightScale == HeightScale::None &&
                o.blit == BlitStyle::Screen320x240 && o.zoom == Zoom::Interlaced;
       }},
      {"\"a.plv\" /v388",  // "No blit acceleration." with "DIBSection or WinG"
       [](const PlayOptions& o) {
         return o.noAcceleration && o.blit == BlitStyle::Accelerated && o.zoom == Zoom::Doubled;
       }},
      {"\"a.plv\" /t0 /a2 /v2",
       [](const PlayOptions& o) {
         return o.trackMask == 0 && o.heightScale == HeightScale::Doubled && o.blit == BlitStyle::Screen320x200;
       }},
      {"\"a.plv\" /! /#1234", [](const PlayOptions& o) { return o.quickPlay && !o.switchesGiven; }},
      {"/?", [](const PlayOptions& o) { return o.listSwitches && o.files.empty(); }},
  };
  for (const Case& c : cases) {
    PlayOptions o;
    std::string error;
    ASSERT_TRUE(plevplw::parsePlayCommandLine(c.line, o, error)) << c.line << ": " << error;
    EXPECT_TRUE(c.check(o)) << c.line;
  }
}

TEST(PlevPlayOptions, BadSwitchesAreRefused) {
  // The Zurn player's /K, /C and /B are not the Pleven player's.
  const char* lines[] = {"\"a.plv\" /k",   "\"a.plv\" /c",   "\"a.plv\" /b1",   "\"a.plv\" /s /s",
                         "\"a.plv\" /i5",  "\"a.plv\" /d5",  "\"a.plv\" /r3",   "\"a.plv\" /a4",
                         "\"a.plv\" /v5",  "\"a.plv\" /v512", "\"a.plv\" /t128", "\"a.plv\" /u8",
                         "\"a.plv\" /f0",  "\"a.plv\" /w-1", "/s"};
  for (const char* line : lines) {
    PlayOptions o;
    std::string error;
    EXPECT_FALSE(plevplw::parsePlayCommandLine(line, o, error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

TEST(PlevPlayOptions, QuickPlaySettingAddsSwitchesAndKeepsTheFiles) {
  PlayOptions o;
  std::string error;
  ASSERT_TRUE(plevplw::parsePlayCommandLine("\"a.plv\" /! /#5", o, error));
  ASSERT_TRUE(plevplw::applyQuickPlay(" /l2 /s /n /a2 /v256", o, error)) << error;
  EXPECT_EQ(o.files, std::vector<std::string>{"a.plv"});
  EXPECT_EQ(o.loops, 2);
  EXPECT_TRUE(o.summary && o.noSkip && o.quickPlay);
  EXPECT_EQ(o.heightScale, HeightScale::Doubled);
  EXPECT_EQ(o.zoom, Zoom::Smoothed);
  EXPECT_FALSE(plevplw::applyQuickPlay("/s \"b.plv\"", o, error));
  EXPECT_NE(error.find("PlevQuickPlay"), std::string::npos) << error;
  EXPECT_FALSE(plevplw::applyQuickPlay("/k", o, error));
}

// What the launcher's Pleven player dialog writes means the same to the
// player.
TEST(PlevPlayOptions, TheLaunchersDialogChoicesReadBack) {
  using Dialog = tolvideo::PlevenPlayerOptions;
  struct Case {
    std::function<void(Dialog&)> choose;
    std::function<bool(const PlayOptions&)> check;
  };
  const Case cases[] = {
      {[](Dialog&) {}, [](const PlayOptions& o) { return !o.switchesGiven; }},
      {[](Dialog& d) { d.winStyle = 1; }, [](const PlayOptions& o) { return o.windowStyle == 3; }},
      {[](Dialog& d) { d.winStyle = 2; }, [](const PlayOptions& o) { return o.windowStyle == 2; }},
      {[](Dialog& d) { d.winStyle = 3; }, [](const PlayOptions& o) { return o.windowStyle == 4; }},
      {[](Dialog& d) { d.blitting = 3, d.zoom = 2; },
       [](const PlayOptions& o) { return o.blit == BlitStyle::Software && o.zoom == Zoom::Smoothed; }},
      {[](Dialog& d) { d.blitting = 4, d.zoom = 1, d.noAcceleration = true; },
       [](const PlayOptions& o) { return o.blit == BlitStyle::Accelerated && o.noAcceleration; }},
      {[](Dialog& d) { d.resolution = 4, d.palette = 2, d.heightScale = 3; },
       [](const PlayOptions& o) {
         return o.resolution == 4 && o.palette == PaletteRemap::Never && o.heightScale == HeightScale::None;
       }},
      {[](Dialog& d) {
         d.loop = d.rate = true;
         d.frameRate = "12.5";
         d.summary = d.frameNumbers = d.noSkip = d.noPause = d.directSound = d.soundOnly = d.preload = d.fill = true;
         d.left = "5", d.top = "6", d.width = "640", d.height = "480", d.readAhead = "256", d.readSpeed = "90000";
         d.tracks = "3";
         d.disablePause = d.disableSkip = d.disableCancel = true;
       },
       [](const PlayOptions& o) {
         return o.loops == 0 && double(o.rateNum) / o.rateDen == 12.5 && o.summary && o.frameNumbers && o.noSkip &&
                o.playWithoutFocus && o.soundDevice && o.soundOnly && o.preload && o.fillAtOpen && o.x == 5 &&
                o.y == 6 && o.width == 640 && o.height == 480 && o.readAheadKilobytes == 256 &&
                o.readBytesPerSecond == 90000 && o.trackMask == 3 && o.disabledKeys == 7;
       }},
  };
  for (const Case& c : cases) {
    Dialog d;
    c.choose(d);
    const std::string line = "\"a.plv\" " + d.toSwitches() + " /#4242 ";
    PlayOptions o;
    std::string error;
    ASSERT_TRUE(plevplw::parsePlayCommandLine(line, o, error)) << line << ": " << error;
    EXPECT_TRUE(c.check(o)) << line;
  }
}

TEST(PlevPlayPicture, HeightScaleChoosesTheDecodersLineMode) {
  EXPECT_EQ(plevplw::lineModeOption(HeightScale::AsCompressed), 0u);
  EXPECT_EQ(plevplw::lineModeOption(HeightScale::Interlaced), uint32_t(PLEV_OPEN_INTERLACED));
  EXPECT_EQ(plevplw::lineModeOption(HeightScale::Doubled), uint32_t(PLEV_OPEN_DOUBLED));
  EXPECT_EQ(plevplw::lineModeOption(HeightScale::None), uint32_t(PLEV_OPEN_SINGLE));
}

TEST(PlevPlayPicture, PaletteColoursExactOrOnTheSystemCube) {
  std::vector<uint8_t> palette(768, 0);
  const uint8_t entries[][3] = {{255, 130, 0}, {25, 26, 76}, {77, 128, 204}};
  for (int i = 0; i < 3; ++i) std::copy(entries[i], entries[i] + 3, palette.begin() + 3 * i);
  uint32_t table[256];
  for (PaletteRemap exact : {PaletteRemap::IfNeeded, PaletteRemap::Never}) {
    plevplw::buildColourTable(palette.data(), exact, table);
    EXPECT_EQ(table[0], 0xFF8200u);
    EXPECT_EQ(table[1], 0x191A4Cu);
    EXPECT_EQ(table[255], 0u);
  }
  plevplw::buildColourTable(palette.data(), PaletteRemap::ToSystem, table);
  EXPECT_EQ(table[0], 0xFF9900u);
  EXPECT_EQ(table[1], 0x003333u);
  EXPECT_EQ(table[2], 0x6699CCu);
}

TEST(PlevPlayPicture, DrawingAreaAndPlacement) {
  struct Case {
    const char* line;
    int32_t pictureWidth, pictureHeight;
    plevplw::DrawingArea area;
    plevplw::Placement placed;
  };
  const Case cases[] = {
      {"\"a\"", 160, 120, {160, 120, false}, {0, 0, 160, 120}},
      {"\"a\" /w320 /h240", 160, 120, {320, 240, false}, {0, 0, 320, 240}},      // 2x zoom
      {"\"a\" /w400", 160, 120, {400, 300, false}, {40, 30, 320, 240}},           // proportional height
      {"\"a\" /h100", 160, 120, {133, 100, false}, {0, 0, 133, 99}},              // shrunk to fit
      {"\"a\" /d2", 320, 200, {640, 480, true}, {0, 40, 640, 400}},
      {"\"a\" /d4 /v1", 320, 240, {320, 240, true}, {0, 0, 320, 240}},           // the 320x240 screen wins
      {"\"a\" /v2", 100, 100, {320, 200, true}, {60, 0, 200, 200}},
      {"\"a\" /d1", 640, 480, {640, 400, true}, {53, 0, 533, 400}},
  };
  for (const Case& c : cases) {
    PlayOptions o;
    std::string error;
    ASSERT_TRUE(plevplw::parsePlayCommandLine(c.line, o, error)) << error;
    const plevplw::DrawingArea a = plevplw::drawingArea(o, c.pictureWidth, c.pictureHeight);
    EXPECT_EQ(std::make_tuple(a.width, a.height, a.fullScreen),
              std::make_tuple(c.area.width, c.area.height, c.area.fullScreen))
        << c.line;
    const plevplw::Placement p = plevplw::placePicture(a, c.pictureWidth, c.pictureHeight);
    EXPECT_EQ(std::make_tuple(p.x, p.y, p.width, p.height),
              std::make_tuple(c.placed.x, c.placed.y, c.placed.width, c.placed.height))
        << c.line;
  }
}

TEST(PlevPlayPicture, TextureRowsBlankWhatInterlacingLeavesOut) {
  // 2 x 4 picture of indices 1..8; colour i is 0x10 * i, colour 0 not black.
  const uint8_t pixels[] = {1, 2, 3, 4, 5, 6, 7, 8};
  uint32_t table[256];
  for (uint32_t i = 0; i < 256; ++i) table[i] = 0x10 * i + (i == 0 ? 0xABCDEF : 0);
  struct Case {
    const char* line;
    uint32_t decoderFlags;
    int32_t placedHeight;
    std::vector<uint32_t> texture;  // 2 pixels a row
  };
  const Case cases[] = {
      {"\"a\"", 0, 4, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80}},
      {"\"a\"", PLEV_FLAG_DOUBLED, 4, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80}},
      {"\"a\"", PLEV_FLAG_INTERLACED, 4, {0x10, 0x20, 0, 0, 0x50, 0x60, 0, 0}},
      {"\"a\" /v128", 0, 8, {0x10, 0x20, 0, 0, 0x30, 0x40, 0, 0, 0x50, 0x60, 0, 0, 0x70, 0x80, 0, 0}},
      {"\"a\" /v128", 0, 4, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80}},  // not zoomed
      {"\"a\" /v256", 0, 8, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80}},  // smoothed by the renderer
  };
  for (const Case& c : cases) {
    PlayOptions o;
    std::string error;
    ASSERT_TRUE(plevplw::parsePlayCommandLine(c.line, o, error)) << error;
    const plevplw::TextureRows rows = plevplw::textureRows(o, c.decoderFlags, {0, 0, 4, c.placedHeight}, 4);
    ASSERT_EQ(size_t(rows.rows(4)) * 2, c.texture.size()) << c.line;
    std::vector<uint32_t> texture(c.texture.size(), 0xDEAD);
    plevplw::expandPicture(pixels, 2, 2, 4, table, rows, texture.data(), 2);
    EXPECT_EQ(texture, c.texture) << c.line << " flags " << c.decoderFlags;
  }
}

// A clip made by our writer: frames of width x height with a picture that
// moves, a palette that turns at the middle frame, and two sound tracks
// (8-bit mono at 11025 Hz, 16-bit stereo at 22050 Hz).
struct Clip {
  int32_t width = 64, height = 48, frames = 24, rateField = -6667;  // 15 frames a second
  uint32_t flags = PLEV_FLAG_RING_FRAME;
  int32_t soundFrames = 24;  // the frames that carry sound

  static uint8_t index(int32_t x, int32_t y, int32_t f) { return uint8_t((x / 8 + y / 8 + f) % 16); }
  static void palette(int32_t f, int32_t frames, uint8_t* out) {
    for (int i = 0; i < 256; ++i) {
      const bool turned = f >= frames / 2;
      out[3 * i] = uint8_t(turned ? 252 - 16 * (i % 16) : 16 * (i % 16));
      out[3 * i + 1] = uint8_t(4 * (i % 64));
      out[3 * i + 2] = uint8_t(turned ? 200 : 40);
    }
  }

  bool write(const std::string& name) const {
    PlevWriterSettings settings{};
    settings.width = width;
    settings.height = height;
    settings.rate = rateField;
    settings.flags = flags;
    settings.keyInterval = 8;
    settings.tracks[0] = {11025, 8, 1, 0, 0};
    settings.tracks[1] = {22050, 16, 2, 1, 0};
    PlevWriter* w = PlevWriterCreate(name.c_str(), &settings);
    if (!w) return false;
    std::vector<uint8_t> pixels(size_t(width) * height), pal(768), mono(735);
    std::vector<int16_t> stereo(2 * 1470);
    for (int32_t f = 0; f < frames; ++f) {
      for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) pixels[size_t(y) * width + x] = index(x, y, f);
      palette(f, frames, pal.data());
      for (size_t i = 0; i < mono.size(); ++i) mono[i] = uint8_t(128 + ((i / 20) % 2 ? 40 : -40));
      for (size_t i = 0; i < stereo.size(); ++i) stereo[i] = int16_t((i / 50) % 2 ? 3000 : -3000);
      const bool withSound = f < soundFrames;
      const void* sound[PLEV_TRACKS] = {mono.data(), stereo.data()};
      const uint32_t bytes[PLEV_TRACKS] = {withSound ? uint32_t(mono.size()) : 0,
                                           withSound ? uint32_t(stereo.size() * 2) : 0};
      if (!PlevWriterPutFrame(w, pixels.data(), width, pal.data(), sound, bytes)) {
        PlevWriterClose(w);
        return false;
      }
    }
    return PlevWriterClose(w) == 1;
  }
};

double playingTime(const std::string& summary) {
  const std::string label = "Playing time: ";
  const size_t at = summary.find(label);
  return at == std::string::npos ? -1 : std::stod(summary.substr(at + label.size()));
}

// The program under SDL's dummy video and sound drivers.
class PlevPlayProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(clip.write(dir.file("clip.plv")));
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // With a display about, SDL's system libraries (D-Bus) keep memory to
    // the end; the player's own parts are leak-checked in the tests above.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
  }
  Outcome play(std::vector<std::string> switches) {
    switches.insert(switches.begin(), {TOL_PLEVPLW, dir.file("clip.plv")});
    return runIn(dir.path().string(), switches);
  }

  testutil::TempDir dir;
  Clip clip;
};

TEST_F(PlevPlayProgram, ShowsEveryFrameWithTheMixedTracksInSync) {
  struct Case {
    std::vector<std::string> switches;
    const char* shown;
    int passes;
  };
  const Case cases[] = {
      {{"/S", "/N"}, "Frames shown: 24\nFrames skipped: 0\n", 1},
      {{"/S", "/N", "/T3", "/A1", "/Q"}, "Frames shown: 24\nFrames skipped: 0\n", 1},  // both tracks, interlaced
      {{"/S", "/N", "/L2", "/V388", "/W128"}, "Frames shown: 48\nFrames skipped: 0\n", 2},  // through the ring frame
  };
  for (const Case& c : cases) {
    // Paced by the sound clock: a sound device that ran dry would stretch
    // the time. The machine may be busy with other work: a case out of
    // time is played again, up to three times, and not judged while more
    // programs wait to run than there are processors.
    const double expected = c.passes * clip.frames * 0.06667;
    std::string late = "not played";
    for (int attempt = 0; attempt < 3 && !late.empty(); ++attempt) {
      const Outcome r = play(c.switches);
      ASSERT_EQ(r.code, 0) << r.err;
      ASSERT_NE(r.out.find(c.shown), std::string::npos) << r.out;
      const double seconds = playingTime(r.out);
      late = seconds > expected - 0.1 && seconds < expected * 1.15 + 0.15 ? "" : r.out;
    }
    double load[1] = {0};
    if (!late.empty() && getloadavg(load, 1) == 1 && load[0] > double(std::thread::hardware_concurrency())) continue;
    EXPECT_EQ(late, "");
  }
}

TEST_F(PlevPlayProgram, PicturesGoOnWhenTheSoundEndsEarly) {
  clip.soundFrames = clip.frames / 2;
  ASSERT_TRUE(clip.write(dir.file("clip.plv")));
  // Bounded, since a clock that stopped with the sound would hold the
  // picture for ever.
  const Outcome r = runIn(dir.path().string(), {"/usr/bin/timeout", "30", TOL_PLEVPLW, dir.file("clip.plv"), "/S", "/T3"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Frames shown: 24\n"), std::string::npos) << r.out;
  EXPECT_LT(playingTime(r.out), 2.5) << r.out;
}

TEST_F(PlevPlayProgram, SoundOnlyListsAndSeveralFiles) {
  const Outcome soundOnly = play({"/S", "/O", "/T2"});
  ASSERT_EQ(soundOnly.code, 0) << soundOnly.err;
  EXPECT_NE(soundOnly.out.find("Frames shown: 0\n"), std::string::npos) << soundOnly.out;
  EXPECT_NEAR(playingTime(soundOnly.out), 1.6, 0.2) << soundOnly.out;
  const Outcome fast = play({"/S", "/O", "/F"});  // no sound away from the file's own pace
  EXPECT_NE(fast.err.find("no sound to play"), std::string::npos) << fast.err;
  const Outcome list = runIn(dir.path().string(), {TOL_PLEVPLW, "/?"});
  EXPECT_EQ(list.code, 0);
  EXPECT_NE(list.out.find("/Vn"), std::string::npos);
  const Outcome two = runIn(dir.path().string(), {TOL_PLEVPLW, dir.file("clip.plv"), dir.file("missing.plv"),
                                                  dir.file("clip.plv"), "/s", "/f"});
  EXPECT_EQ(two.code, 1);  // one of them failed
  EXPECT_NE(two.out.find("Frames shown: 48\n"), std::string::npos) << two.out;
  EXPECT_NE(two.err.find("missing.plv"), std::string::npos) << two.err;
}

// The launcher's arguments: its command line after the program, split at
// blanks outside double quotes, a name's quotes taken off.
std::vector<std::string> launcherArguments(const tolvideo::ToolCommand& t) {
  std::vector<std::string> args{t.program};
  const std::string rest = t.commandLine.substr(t.program.size());
  std::string word;
  bool quoted = false, any = false;
  for (char c : rest + " ") {
    if (c == '"') quoted = !quoted, any = true;
    else if (c != ' ' || quoted) word += c, any = true;
    else if (any) args.push_back(word), word.clear(), any = false;
  }
  return args;
}

TEST_F(PlevPlayProgram, TheLaunchersQuickAndAdvancedPlayStartIt) {
  const std::string program = TOL_PLEVPLW;
  const tolvideo::ToolContext launcher{program.substr(0, program.rfind('/') + 1), 42};
  std::filesystem::create_directories(dir.file("config/tolvideo"));
  const std::string ini = "[TOL Video Tools]\nPlevQuickPlay= /s /n\n";
  testutil::writeFile(dir.file("config/tolvideo/tolvideo.ini"), std::vector<uint8_t>(ini.begin(), ini.end()));
  tolvideo::PlevenPlayerOptions dialog;
  dialog.summary = dialog.noSkip = true;
  dialog.blitting = 3;
  dialog.zoom = 2;
  dialog.width = "128";
  const std::string files = "\"" + dir.file("clip.plv") + "\"";
  for (const tolvideo::ToolCommand& t : {tolvideo::quickPlayCommand(launcher, false, files),
                                         tolvideo::playerCommand(launcher, false, files, dialog.toSwitches())}) {
    EXPECT_EQ(t.program, program);  // the launcher's folder holds the player
    const Outcome r = runIn(dir.path().string(), launcherArguments(t));
    ASSERT_EQ(r.code, 0) << t.commandLine << r.err;
    EXPECT_NE(r.out.find("Frames shown: 24\nFrames skipped: 0\n"), std::string::npos) << t.commandLine << r.out;
  }
}

// On a virtual display: the window's pixels, read back by ImageMagick,
// are the decoded frames through their palettes, zoomed 2x with interlaced
// pixels (blank rows between), before and after the palette turns.
TEST(PlevPlayScreen, ShowsTheDecodedFramesThroughTheirPalettes) {
  for (const char* tool : {"/usr/bin/xvfb-run", "/usr/bin/xauth", "/usr/bin/import", "/usr/bin/Xvfb"})
    if (access(tool, X_OK) != 0) GTEST_SKIP() << tool << " is not installed";
  testutil::TempDir dir;
  Clip clip;
  clip.frames = 3;
  clip.rateField = 3000;  // 3 s a frame: frame 0 from 0 s, frame 1 from 3 s
  clip.flags = 0;
  const std::string name = dir.file("clip.plv");
  ASSERT_TRUE(clip.write(name));

  // The frames as the decoder gives them, through their palettes.
  std::vector<std::vector<uint32_t>> expected;
  {
    std::unique_ptr<PlevDecoder, void (*)(PlevDecoder*)> d(PlevOpen(name.c_str(), 0, -1), PlevClose);
    ASSERT_TRUE(d);
    std::vector<uint8_t> pixels(size_t(clip.width) * clip.height);
    ASSERT_EQ(PlevSetDestination(d.get(), 0, 0, clip.width, clip.height, pixels.data(), 0), 1);
    for (int f = 0; f < 2; ++f) {
      PlevDecodeFrame(d.get());
      std::vector<uint32_t> frame;
      for (uint8_t i : pixels) frame.push_back(uint32_t(d->palette[3 * i]) << 16 | d->palette[3 * i + 1] << 8 | d->palette[3 * i + 2]);
      expected.push_back(frame);
      PlevNextFrame(d.get());
    }
  }
  ASSERT_NE(expected[0][0], expected[1][0]);  // the palette turned

  const std::string size = std::to_string(2 * clip.width) + "x" + std::to_string(2 * clip.height);
  // Waits for the first picture (its top left pixel is not black), then
  // takes one shot in each frame's three seconds.
  const std::string shot = "import -window root -depth 8 -crop " + size + "+0+0 ";
  const std::string script =
      std::string(TOL_PLEVPLW) + " clip.plv /x0 /y0 /i4 /w" + std::to_string(2 * clip.width) + " /v128 /t0 & " +
      "for i in $(seq 50); do import -window root -depth 8 -crop 1x1+0+0 txt:- | grep -q '#000000' || break; "
      "sleep 0.2; done; sleep 0.5; " + shot + "shot0.ppm; sleep 3; " + shot + "shot1.ppm; wait";
  setenv("ASAN_OPTIONS", "detect_leaks=0", 1);  // the display's libraries keep memory to the end
  setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
  unsetenv("SDL_VIDEODRIVER");
  const Outcome r = runIn(dir.path().string(), {"/usr/bin/xvfb-run", "-a", "-s", "-screen 0 320x240x24", "/bin/sh", "-c", script});
  ASSERT_EQ(r.code, 0) << r.err;
  for (int f = 0; f < 2; ++f) {
    const std::vector<uint8_t> shot = testutil::readFile(dir.file("shot" + std::to_string(f) + ".ppm"));
    const std::string header = "P6\n" + std::to_string(2 * clip.width) + " " + std::to_string(2 * clip.height) + "\n255\n";
    ASSERT_GE(shot.size(), header.size()) << f;
    ASSERT_EQ(std::string(shot.begin(), shot.begin() + ptrdiff_t(header.size())), header) << f;
    ASSERT_EQ(shot.size(), header.size() + size_t(12) * clip.width * clip.height) << f;
    int wrong = 0;
    for (int y = 0; y < 2 * clip.height; ++y)
      for (int x = 0; x < 2 * clip.width; ++x) {
        const uint8_t* p = shot.data() + header.size() + 3 * (size_t(y) * 2 * clip.width + x);
        const uint32_t seen = uint32_t(p[0]) << 16 | p[1] << 8 | p[2];
        const uint32_t want = y % 2 ? 0 : expected[f][size_t(y / 2) * clip.width + x / 2];
        wrong += seen != want;
      }
    EXPECT_EQ(wrong, 0) << "frame " << f;
  }
}

}  // namespace
