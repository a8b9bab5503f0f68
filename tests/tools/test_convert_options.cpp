// The converter's command line and its staged output names.
#include <gtest/gtest.h>

#include <filesystem>

#include "testutil.h"
#include "tol/sfile.h"
#include "zurnconv/options.h"
#include "zurnconv/staged_output.h"

namespace {

using zurnconv::ConvertOptions;
using zurnconv::OutputKind;

bool parse(std::vector<const char*> args, ConvertOptions& o, std::string& error) {
  args.insert(args.begin(), "zurnconv");
  return zurnconv::parseConvertCommandLine(tolapp::splitArguments(int(args.size()), args.data()), o, error);
}

uint32_t rawFormat(const ConvertOptions& o) { return o.rawDescription & 7u; }
uint32_t rawRate(const ConvertOptions& o) { return o.rawDescription >> SFILE_RAW_RATE_SHIFT; }

TEST(ConverterCommandLine, ReadsEverySwitchTheLauncherWrites) {
  // The launcher's order: /o /f /a /s /e /x /y /w /h /z /v /j /k /m /r format
  // /g /y /n /q /i /$ /u /& /d /t /p, then /#.
  ConvertOptions o;
  std::string error;
  ASSERT_TRUE(parse({"in.avi", "out.wav", "/o", "/f25", "/a12.5", "/s3", "/e40", "/x-8", "/y6", "/w64", "/h48", "/z",
                     "/v", "/j100", "/k900", "/m44", "/r22050", "/b8", "/c2", "/g8000", "/y4", "/n2", "/q200", "/i10",
                     "/$16", "/u30", "/&pal file.bmp", "/d1", "/t2", "/p1", "/#4321"},
                    o, error))
      << error;
  EXPECT_EQ(o.input, "in.avi");
  EXPECT_EQ(o.output, "out.wav");
  EXPECT_EQ(o.kind, OutputKind::Wave);
  EXPECT_TRUE(o.overwrite);
  EXPECT_TRUE(o.trueColour);
  EXPECT_FALSE(o.video);
  EXPECT_EQ(o.inRateNum, 25);
  EXPECT_EQ(o.inRateDen, 1);
  EXPECT_EQ(o.outRateNum, 25);
  EXPECT_EQ(o.outRateDen, 2);
  EXPECT_EQ(o.firstFrame, 3);
  EXPECT_EQ(o.lastFrame, 40);
  EXPECT_EQ(o.cropX, -8);
  EXPECT_EQ(o.cropY, 6);
  EXPECT_EQ(o.cropWidth, 64);
  EXPECT_EQ(o.cropHeight, 48);
  EXPECT_EQ(o.soundStart, 100);
  EXPECT_EQ(o.soundEnd, 900);
  EXPECT_EQ(o.rawOffset, 44u);
  EXPECT_EQ(o.soundRate, 22050);
  EXPECT_EQ(o.soundBits, 8);
  EXPECT_EQ(o.soundChannels, 2);
  EXPECT_EQ(rawFormat(o), 3u);  // /Y4: 16-bit stereo
  EXPECT_EQ(rawRate(o), 8000u);
  EXPECT_EQ(o.soundTrack, 2);
  EXPECT_TRUE(o.sound);
  EXPECT_EQ(o.paletteCount, 200);
  EXPECT_EQ(o.paletteFirst, 10);
  EXPECT_EQ(o.paletteOverlap, 16);
  EXPECT_EQ(o.paletteInterval, 30);
  EXPECT_EQ(o.paletteFile, "pal file.bmp");
  EXPECT_EQ(o.systemColours, 1);
  EXPECT_EQ(o.mode24, 2);
  EXPECT_EQ(o.paletteMode, 1);
  EXPECT_EQ(o.owner, 4321);
}

TEST(ConverterCommandLine, TellsThePicturesTopFromTheSoundFormat) {
  // Both are written as /y: the top before /w /h /z /v and the sound
  // switches, the format after them.
  struct Case {
    std::vector<const char*> args;
    int32_t top;
    uint32_t format;  // rawDescription & 7, +1 when present
  };
  const Case cases[] = {
      {{"in.avi", "out.avi", "/y5"}, 5, 0},
      {{"in.avi", "out.avi", "/x2", "/y5", "/n1"}, 5, 0},
      {{"in.avi", "out.avi", "/z", "/y3"}, 0, 3},
      {{"in.avi", "out.avi", "/y7", "/w10", "/y2"}, 7, 2},
      {{"in.avi", "out.avi", "/y7", "/y2"}, 7, 2},
      {{"in.raw", "out.wav", "/y1", "/g22050"}, 0, 1},
      {{"in.raw", "out.wav", "/y3"}, 0, 3},
  };
  for (const Case& c : cases) {
    ConvertOptions o;
    std::string error;
    ASSERT_TRUE(parse(c.args, o, error)) << error;
    EXPECT_EQ(o.cropY, c.top) << c.args.back();
    EXPECT_EQ(o.rawDescription ? rawFormat(o) + 1 : 0u, c.format) << c.args.back();
  }
}

TEST(ConverterCommandLine, TheOutputNameChoosesTheKindAndTheColours) {
  struct Case {
    const char* output;
    const char* switches;
    OutputKind kind;
    bool trueColour;
    const char* name;
  };
  const Case cases[] = {
      {"a.avi", "/z", OutputKind::Avi, true, "a.avi"},
      {"a.AVI", "", OutputKind::Avi, false, "a.AVI"},
      {"a.flc", "/z", OutputKind::Flic, false, "a.flc"},  // a FLIC holds 256 colours whatever /Z says
      {"dir.x/anim", "", OutputKind::Flic, false, "dir.x/anim.flc"},
      {"s.png", "/z", OutputKind::Series, true, "s.png"},
      {"s.jpg", "", OutputKind::Series, false, "s.jpg"},
      {"s.gif", "/z", OutputKind::Series, false, "s.gif"},
      {"s.pcx", "/z", OutputKind::Series, false, "s.pcx"},
      {"s.tga", "/z", OutputKind::Series, true, "s.tga"},
      {"t.wav", "/z", OutputKind::Wave, true, "t.wav"},
  };
  for (const Case& c : cases) {
    ConvertOptions o;
    std::string error;
    ASSERT_TRUE(parse({"in.avi", c.output, c.switches}, o, error)) << c.output << ": " << error;
    EXPECT_EQ(o.kind, c.kind) << c.output;
    EXPECT_EQ(o.trueColour, c.trueColour) << c.output;
    EXPECT_EQ(o.output, c.name);
  }
}

TEST(ConverterCommandLine, FramesChooseTheSoundUnlessMillisecondsAreGiven) {
  ConvertOptions o;
  std::string error;
  ASSERT_TRUE(parse({"in.avi", "out.wav", "/s3", "/e10"}, o, error)) << error;
  EXPECT_EQ(o.soundStart, -3);
  EXPECT_EQ(o.soundEnd, -10);
  EXPECT_FALSE(o.soundStartGiven);
  ConvertOptions p;
  ASSERT_TRUE(parse({"in.avi", "out.wav", "/s3", "/e10", "/j0", "/k500"}, p, error)) << error;
  EXPECT_EQ(p.soundStart, 0);
  EXPECT_EQ(p.soundEnd, 500);
  EXPECT_TRUE(p.soundStartGiven && p.soundEndGiven);
}

TEST(ConverterCommandLine, RefusesWhatItCannotDo) {
  struct Case {
    std::vector<const char*> args;
    const char* says;
  };
  const Case cases[] = {
      {{"in.avi"}, "an input and an output"},
      {{"\"\"", "out.avi"}, "an input and an output"},
      {{"in.avi", "out.avi", "extra.avi"}, "unexpected name"},
      {{"in.avi", "out.mp4"}, "no converter writes"},
      {{"in.avi", "out.avi", "/v"}, "must be a WAVE file"},
      {{"in.avi", "out.wav", "/n-1"}, "turns the sound off"},
      {{"in.avi", "out.avi", "/l4"}, "unknown switch: /l4"},
      {{"in.avi", "out.avi", "/o", "/o"}, "bad or repeated switch: /o"},
      {{"in.avi", "out.avi", "/f0"}, "/F needs a frame rate"},
      {{"in.avi", "out.avi", "/b12"}, "must be 8 or 16"},
      {{"in.avi", "out.avi", "/c3"}, "the channels (/C)"},
      {{"in.avi", "out.wav", "/y5"}, "headerless sound format (/Y)"},
      {{"in.avi", "out.avi", "/g8000"}, "need its format"},
      {{"in.avi", "out.avi", "/j-5"}, "the sound's start (/J)"},
      {{"in.avi", "out.avi", "/p3"}, "(/P)"},
      {{"in.avi", "out.avi", "/w20000"}, "the width (/W)"},
  };
  for (const Case& c : cases) {
    ConvertOptions o;
    std::string error;
    EXPECT_FALSE(parse(c.args, o, error)) << c.args.back();
    EXPECT_NE(error.find(c.says), std::string::npos) << c.args.back() << ": " << error;
  }
}

TEST(StagedOutput, SeriesNamesLoseTheMarkerAndFailuresLeaveNothing) {
  testutil::TempDir dir;
  const std::string output = dir.file("shot.png");
  {
    zurnconv::StagedOutput staged(output);
    const std::string name = staged.name();
    ASSERT_EQ(std::filesystem::path(name).parent_path(), dir.path());
    ASSERT_EQ(name.substr(name.size() - 9), ".shot.png");
    EXPECT_EQ(name.size(), output.size() + zurnconv::StagedOutput::extraLength());
    // The writer's pattern for the staged name, '%' doubled as it writes it.
    staged.setSeriesPattern(name.substr(0, name.size() - 4) + "%02i.png");
    EXPECT_EQ(staged.finalName(7), dir.file("shot07.png"));
    for (int i = 0; i < 3; ++i) testutil::writeFile(name.substr(0, name.size() - 4) + "0" + std::to_string(i) + ".png", {1});
    std::string error;
    ASSERT_TRUE(staged.commit(3, error)) << error;
  }
  for (const char* n : {"shot00.png", "shot01.png", "shot02.png"}) EXPECT_TRUE(std::filesystem::exists(dir.file(n)));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);

  // Staged files that are not committed go, the writer's ".tmp" too; what
  // was there stays.
  {
    zurnconv::StagedOutput staged(dir.file("clip.avi"));
    testutil::writeFile(staged.name(), {1});
    testutil::writeFile(staged.name() + ".tmp", {1});
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

}  // namespace
