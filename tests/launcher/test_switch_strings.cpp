// The option dialogs' switch strings: the fields a string fills in, and the
// string the fields give back.
#include <gtest/gtest.h>

#include "core/compressor_options.h"
#include "core/converter_options.h"
#include "core/mixer_options.h"
#include "core/player_options.h"
#include "core/switch_text.h"

namespace tolvideo {
namespace {

TEST(CompressorSwitches, RateChoicesFollowTheValue) {
  struct Case {
    const char* switches;
    bool percent;
    const char* rate;
    const char* percentValue;
    bool specific;
    const char* times;
    const char* specificValue;
  };
  const Case cases[] = {
      {"/D150", true, "", "150", false, "3.0", ""},
      {"/D250000", false, "250000", "", false, "3.0", ""},
      {"", false, "250000", "", false, "3.0", ""},
      {"/M3", false, "250000", "", false, "3.0", ""},
      {"/M500000", false, "250000", "", true, "", "500000"},
      {"/m2.5 /d200", true, "", "200", false, "2.5", ""},
      {"/M10", false, "250000", "", false, "10.0", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.switches);
    const auto o = CompressorOptions::fromSwitches(c.switches);
    EXPECT_EQ(o.percent, c.percent);
    EXPECT_EQ(o.rate, c.rate);
    EXPECT_EQ(o.percentValue, c.percentValue);
    EXPECT_EQ(o.specificRate, c.specific);
    EXPECT_EQ(o.times, c.times);
    EXPECT_EQ(o.specific, c.specificValue);
  }
}

// Strings in the order the dialogs write them read back to themselves.
TEST(SwitchStrings, WrittenStringsReadBackUnchanged) {
  const char* compressor[] = {
      " /d250000 /m3.0 /l4 /p8",
      " /d50 /m500000 /o /l-1 /p16 /f29.97 /a25 /k30 /z2 /x8 /y-4 /w320 /h240 /s1 /e99",
      " /d250000 /m3.0 /l4 /p8 /f30;1.001 /z1",
  };
  for (const char* s : compressor) EXPECT_EQ(CompressorOptions::fromSwitches(s).toSwitches(), s);
  const char* zurnMixer[] = {
      " /l4",
      " /o /p /l0 /t2 /f25 /n-500 /r22050 /b16 /c2 /d44100 /s100 /e900 /i1 /k44 /y5",
      " /l4 /b8 /c1 /y1",
  };
  for (const char* s : zurnMixer) EXPECT_EQ(MixerOptions::fromSwitches(s, true).toSwitches(), s);
  const char* plevMixer[] = {"", " /o /b8 /c2", " /l9 /t7"};
  for (const char* s : plevMixer) EXPECT_EQ(MixerOptions::fromSwitches(s, false).toSwitches(), s);
  const char* converter[] = {
      "",
      " /z",
      " /o /f15 /a10 /s2 /e20 /x1 /y10 /w64 /h48 /v /j5 /k50 /m7 /r11025 /b8 /c2 /g8000 /y3 /n-1 /q200 /i10 /$5 /u30"
      " /&\"pal/base.bmp\" /d2 /t1 /p2",
      " /n2 /&x.pal",
  };
  for (const char* s : converter) EXPECT_EQ(ConverterOptions::fromSwitches(s).toSwitches(), s);
  const char* zurnPlayer[] = {
      "",
      " /l /f",
      " /l3 /f12.5 /s /q /n /j /p /k /g /r /c /i2 /x10 /y20 /w300 /a102 /h200 /e65536 /m150000 /t1 /u7 /d208 /b3",
  };
  for (const char* s : zurnPlayer) EXPECT_EQ(ZurnPlayerOptions::fromSwitches(s).toSwitches(), s);
  const char* plevPlayer[] = {
      "",
      " /l /f10 /s /q /n /j /z /o /p /g /i2 /x1 /y2 /w3 /h4 /e5 /m6 /t3 /u5 /d4 /r2 /a3 /v259",
      " /i3 /v384",
      " /i4 /v4",
  };
  for (const char* s : plevPlayer) EXPECT_EQ(PlevenPlayerOptions::fromSwitches(s).toSwitches(), s);
}

TEST(SwitchStrings, DefaultsOfEmptyStrings) {
  EXPECT_EQ(CompressorOptions::fromSwitches("").toSwitches(), " /d250000 /m3.0 /l4 /p8");
  EXPECT_EQ(MixerOptions::fromSwitches("", true).level, "4");
  EXPECT_EQ(MixerOptions::fromSwitches("", false).level, "");
  const auto c = ConverterOptions::fromSwitches("/z");
  EXPECT_FALSE(c.colors256);
  EXPECT_TRUE(c.video);
  EXPECT_TRUE(c.audio);
}

TEST(PlayerSwitches, CombosPackIntoNumbers) {
  ZurnPlayerOptions z;
  z.fullScreen = 8;  // "640x480 full screen."
  z.depth = 2;       // "at 32-bits"
  EXPECT_EQ(z.toSwitches(), " /d208");
  z = {};
  z.depth = 2;  // no full screen: no depth either
  EXPECT_EQ(z.toSwitches(), "");
  z = {};
  z.scaling = 2;  // "Height doubled"
  z.monochrome = true;
  EXPECT_EQ(z.toSwitches(), " /a102");
  const auto back = ZurnPlayerOptions::fromSwitches(" /a102");
  EXPECT_EQ(back.scaling, 2);
  EXPECT_TRUE(back.monochrome);

  PlevenPlayerOptions p;
  p.blitting = 3;  // "Standard DIBs"
  p.zoom = 2;      // "Smoothed pixels"
  EXPECT_EQ(p.toSwitches(), " /v259");
  p.noAcceleration = true;
  EXPECT_EQ(p.toSwitches(), " /v387");
  const auto q = PlevenPlayerOptions::fromSwitches("/V387");
  EXPECT_TRUE(q.noAcceleration);
  EXPECT_EQ(q.blitting, 3);
  EXPECT_EQ(q.zoom, 0);
}

TEST(ConverterTypes, MenuChoicesSetTheBoxesAndTheOutputKind) {
  ConverterOptions o = ConverterOptions::fromSwitches("/z");
  int type = 0;
  o.chooseType(type, kTypeWav);
  EXPECT_FALSE(o.video);
  EXPECT_TRUE(o.audio);
  EXPECT_EQ(o.outputKind(type), 4);
  EXPECT_EQ(o.toSwitches(), " /z /v");
  o.chooseType(type, kTypeFlc);
  EXPECT_TRUE(o.video && o.colors256);
  EXPECT_FALSE(o.audio);
  EXPECT_EQ(o.outputKind(type), 5);
  o.colors256 = false;
  o.boxChanged(type, ConverterOptions::Box::Colors256);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(o.outputKind(type), 3);  // AVI
  o.video = false;
  o.audio = true;
  EXPECT_EQ(o.outputKind(type), 4);  // only sound: WAV
  type = kTypeAvi;
  o.boxChanged(type, ConverterOptions::Box::Video);
  EXPECT_EQ(type, 0);
}

TEST(ConverterTypes, OutputNameProposedAgain) {
  EXPECT_EQ(reproposeConverterOutput("clip.avi", "clip.avi", 4), "clip.wav");
  EXPECT_EQ(reproposeConverterOutput("New_clip.avi", "clip.avi", 3), "New_clip.avi");
  EXPECT_EQ(reproposeConverterOutput("New_clip.avi", "clip.mov", 3), "clip.avi");
  EXPECT_EQ(reproposeConverterOutput("out/x.bmp", "clip.mov", 12), "out/x.png");
}

TEST(SwitchWriter, ValuesTheParsersWouldCutAreQuoted) {
  EXPECT_EQ(switchValue("29.97"), "29.97");
  EXPECT_EQ(switchValue("a b"), "\"a b\"");
  EXPECT_EQ(switchValue("dir/pal.bmp"), "\"dir/pal.bmp\"");
  SwitchReader r(" /&\"dir/pal.bmp\" /d2");
  EXPECT_EQ(r.text('&'), "dir/pal.bmp");
  EXPECT_EQ(r.number('D', 0), 2);
  EXPECT_EQ(trimmed(r.rest()), "");
}

}  // namespace
}  // namespace tolvideo
