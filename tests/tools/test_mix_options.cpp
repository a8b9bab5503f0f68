// The sound mixer's command line.
#include <gtest/gtest.h>

#include "zurnmix/options.h"

namespace {

using zurnmixtool::MixOptions;

bool parse(std::vector<const char*> args, MixOptions& o, std::string& error) {
  args.insert(args.begin(), "zurnmix");
  return zurnmixtool::parseMixCommandLine(tolapp::splitArguments(int(args.size()), args.data()), 4, o, error);
}

TEST(MixerCommandLine, ReadsEverySwitchTheLauncherWrites) {
  MixOptions o;
  std::string error;
  ASSERT_TRUE(parse({"v.zrn", "s.wav", "out.zrn", "/o", "/p", "/l7", "/t2", "/f25", "/n-500", "/r22050", "/b8",
                     "/c2", "/d8000", "/s100", "/e900", "/i3", "/k44", "/y3", "/#99"},
                    o, error))
      << error;
  EXPECT_EQ(o.video, "v.zrn");
  EXPECT_EQ(o.sound, "s.wav");
  EXPECT_EQ(o.output, "out.zrn");
  EXPECT_TRUE(o.overwrite);
  EXPECT_TRUE(o.loop);
  EXPECT_EQ(o.level, 7);
  EXPECT_EQ(o.track, 2);  // not read as the source's track
  EXPECT_EQ(o.inputTrack, 3);
  EXPECT_EQ(o.fpsNum, 25);
  EXPECT_EQ(o.fpsDen, 1);
  EXPECT_EQ(o.startFrame, -500);
  EXPECT_EQ(o.rate, 22050);
  EXPECT_EQ(o.bits, 8);
  EXPECT_EQ(o.channels, 2);
  EXPECT_EQ(o.inputStart, 100);
  EXPECT_EQ(o.inputEnd, 900);
  EXPECT_EQ(o.rawOffset, 44u);
  EXPECT_NE(o.rawDescription, 0u);
  EXPECT_EQ(o.owner, 99);

  MixOptions d;
  ASSERT_TRUE(parse({"v", "s", "o"}, d, error)) << error;
  EXPECT_EQ(d.level, 4);
  EXPECT_EQ(d.track, 0);
  EXPECT_FALSE(d.loop);
}

TEST(MixerCommandLine, RefusesWhatItCannotDo) {
  struct Case {
    std::vector<const char*> args;
    const char* message;
  };
  for (const Case& c : {Case{{"v", "s", "o", "/q"}, "switch: /q"}, Case{{"v", "s"}, "are needed"},
                        Case{{"v", "s", "o", "x"}, "are needed"}, Case{{"v", "s", "o", "/b12"}, "out of range"},
                        Case{{"v", "s", "o", "/c3"}, "out of range"}, Case{{"v", "s", "o", "/t-1"}, "out of range"}}) {
    MixOptions o;
    std::string error;
    EXPECT_FALSE(parse(c.args, o, error)) << c.args.back();
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

}  // namespace
