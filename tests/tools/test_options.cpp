// The compressor's command line, as the launcher writes it and as a user
// gets it wrong.
#include <gtest/gtest.h>

#include "zurn/options.h"

namespace {

using zurntool::CompressOptions;

bool parse(std::vector<const char*> args, CompressOptions& o, std::string& error) {
  args.insert(args.begin(), "zurn");
  return zurntool::parseCommandLine(tolapp::splitArguments(int(args.size()), args.data()), o, error);
}

CompressOptions parsed(std::vector<const char*> args) {
  CompressOptions o;
  std::string error;
  EXPECT_TRUE(parse(args, o, error)) << error;
  return o;
}

std::string refusal(std::vector<const char*> args) {
  CompressOptions o;
  std::string error;
  EXPECT_FALSE(parse(args, o, error)) << args.back();
  return error;
}

}  // namespace

TEST(CompressorCommandLine, ReadsEverySwitchTheLauncherWrites) {
  const CompressOptions o =
      parsed({"my clips/img????.png*0-29", "/tmp/out.zrn", "a b.wav", "/d150000", "/m2.5", "/o", "/l7", "/p12",
              "/f29.97", "/a15", "/k30", "/z2", "/x-4", "/y6", "/w32", "/h16", "/s2", "/e10", "/r22050", "/c1",
              "/t2", "/@\"*/tmp/x y/hints\"", "/#1234"});
  EXPECT_EQ(o.input, "my clips/img????.png*0-29");
  EXPECT_EQ(o.output, "/tmp/out.zrn");
  EXPECT_EQ(o.sound, "a b.wav");
  EXPECT_EQ(o.hints, "*/tmp/x y/hints");
  EXPECT_TRUE(o.overwrite);
  EXPECT_EQ(o.dataRate, 150000);
  EXPECT_EQ(o.maxRate.num, 5);
  EXPECT_EQ(o.maxRate.den, 2);
  EXPECT_EQ(o.soundOption, 7);
  EXPECT_EQ(o.window, 12);
  EXPECT_EQ(o.inputRate.num, 2997);
  EXPECT_EQ(o.inputRate.den, 100);
  EXPECT_EQ(o.outputRate.num, 15);
  EXPECT_EQ(o.keyInterval, 30);
  EXPECT_EQ(o.lineMode, 2);
  EXPECT_EQ(o.cropX, -4);
  EXPECT_EQ(o.cropY, 6);
  EXPECT_EQ(o.cropWidth, 32);
  EXPECT_EQ(o.cropHeight, 16);
  EXPECT_EQ(o.firstFrame, 2);
  EXPECT_EQ(o.lastFrame, 10);
  EXPECT_EQ(o.soundRate, 22050);
  EXPECT_EQ(o.soundChannels, 1);
  EXPECT_EQ(o.soundTrack, 2);
  // The hint piece as a shell hands it over, quotes gone.
  EXPECT_EQ(parsed({"in", "out", "/@*/tmp/h.txt"}).hints, "*/tmp/h.txt");
}

TEST(CompressorCommandLine, DefaultsAndFrameTimes) {
  CompressOptions o = parsed({"in", "out"});
  EXPECT_FALSE(o.overwrite);
  EXPECT_EQ(o.dataRate, 250000);
  EXPECT_EQ(o.maxRate.num, 3);
  EXPECT_EQ(o.window, 8);
  EXPECT_EQ(o.soundOption, 4);
  EXPECT_FALSE(o.inputRate.given());
  EXPECT_TRUE(o.sound.empty());
  EXPECT_TRUE(o.hints.empty());
  o = parsed({"in", "out", "/F-66"});  // a frame time in milliseconds
  EXPECT_EQ(o.inputRate.num, 500);
  EXPECT_EQ(o.inputRate.den, 33);
}

TEST(CompressorCommandLine, RefusesWhatItCannotDo) {
  EXPECT_EQ(refusal({"in", "out", "/Q5"}), "unknown switch: /Q5");
  EXPECT_EQ(refusal({"in", "out", "/D1", "/D2"}), "bad or repeated switch: /D2");
  EXPECT_EQ(refusal({"in", "out", "/Dfast"}), "bad or repeated switch: /Dfast");
  for (const char* bad : {"/P1", "/Z3", "/L-2", "/D0", "/C3", "/R70000"})
    EXPECT_NE(refusal({"in", "out", bad}).find(std::string("/") + bad[1]), std::string::npos) << bad;
  EXPECT_EQ(refusal({"in", "out", "s.wav", "extra"}), "unexpected name: extra");
  EXPECT_EQ(refusal({"in", "/o"}), "an input and an output file name are needed");
  const std::string tooLong = "/" + std::string(200, 'x') + "/in.png";
  EXPECT_NE(refusal({tooLong.c_str(), "out"}).find("longer than 127 bytes"), std::string::npos);
}
