// The compressor's command line, as the launcher writes it and as a user
// gets it wrong.
#include <gtest/gtest.h>

#include "zurn/options.h"

namespace {

using zurntool::CompressOptions;

CompressOptions parsed(const std::string& text) {
  CompressOptions o;
  std::string error;
  EXPECT_TRUE(zurntool::parseCommandLine(text, o, error)) << text << ": " << error;
  return o;
}

std::string refusal(const std::string& text) {
  CompressOptions o;
  std::string error;
  EXPECT_FALSE(zurntool::parseCommandLine(text, o, error)) << text;
  return error;
}

}  // namespace

TEST(CompressorCommandLine, ReadsEverySwitchTheLauncherWrites) {
  const CompressOptions o = parsed(
      "\"my clips/img????.png*0-29\" \"/tmp/out.zrn\" \"a b.wav\" /d150000 /m2.5 /o /l7 /p12 /f29.97 /a15 /k30 "
      "/z2 /x-4 /y6 /w32 /h16 /s2 /e10 /#1234");
  EXPECT_EQ(o.input, "my clips/img????.png*0-29");
  EXPECT_EQ(o.output, "/tmp/out.zrn");
  EXPECT_EQ(o.sound, "a b.wav");
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
}

TEST(CompressorCommandLine, DefaultsAndFrameTimes) {
  CompressOptions o = parsed("in out");
  EXPECT_FALSE(o.overwrite);
  EXPECT_EQ(o.dataRate, 250000);
  EXPECT_EQ(o.maxRate.num, 3);
  EXPECT_EQ(o.window, 8);
  EXPECT_EQ(o.soundOption, 4);
  EXPECT_FALSE(o.inputRate.given());
  EXPECT_TRUE(o.sound.empty());
  // Negative rates are frame times: milliseconds, or 1/100000 s below -1500.
  o = parsed("in out /F-66 /A-6666");
  EXPECT_EQ(o.inputRate.num, 500);
  EXPECT_EQ(o.inputRate.den, 33);
  EXPECT_EQ(o.outputRate.num, 50000);
  EXPECT_EQ(o.outputRate.den, 3333);
  o = parsed("in out /F30;1.001");
  EXPECT_EQ(o.inputRate.num, 30000);
  EXPECT_EQ(o.inputRate.den, 1001);
}

TEST(CompressorCommandLine, RefusesWhatItCannotDo) {
  EXPECT_EQ(refusal("in out /Q5"), "unknown switch: /Q5");
  EXPECT_EQ(refusal("in out /D1 /D2"), "bad or repeated switch: /D2");
  EXPECT_EQ(refusal("in out /Dfast"), "bad or repeated switch: /Dfast");
  EXPECT_EQ(refusal("in out s.wav /f29.97fps"), "unexpected text: fps");
  EXPECT_NE(refusal("in out /@\"*hints.txt\"").find("not supported"), std::string::npos);
  EXPECT_NE(refusal("in out /P1").find("/P"), std::string::npos);
  EXPECT_NE(refusal("in out /Z3").find("/Z"), std::string::npos);
  EXPECT_NE(refusal("in out /L-2").find("/L"), std::string::npos);
  EXPECT_NE(refusal("in out /D0").find("/D"), std::string::npos);
  EXPECT_NE(refusal("in out /F0").find("/F"), std::string::npos);
  EXPECT_EQ(refusal("\"in\" \"out\" \"s.wav\" \"extra\""), "unexpected text: \"extra\"");
  EXPECT_EQ(refusal("in /o"), "an input and an output file name are needed");
}
