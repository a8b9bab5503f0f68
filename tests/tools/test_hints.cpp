// The compressor's hint language.
#include <gtest/gtest.h>

#include <filesystem>

#include "testutil.h"
#include "zurn/hints.h"

namespace {

using zurntool::Hints;

TEST(CompressorHints, KeyFramesRatesAndLargestFramesOverRanges) {
  Hints h;
  std::string error;
  ASSERT_TRUE(zurntool::parseHints("# a comment\n  key 1 40 100-120/10\n\nrate 10-19 400000\nrate 15- 50 # late\n"
                                   "max 5 2.5\nmax 6-7 7/2\n",
                                   h, error))
      << error;
  for (uint32_t f : {1u, 40u, 100u, 110u, 120u}) EXPECT_TRUE(h.keyAt(f)) << f;
  for (uint32_t f : {2u, 39u, 105u, 130u}) EXPECT_FALSE(h.keyAt(f)) << f;
  struct Case {
    uint32_t frame;
    const std::vector<Hints::Value>& values;
    int32_t num, den;  // 0: none
  };
  for (const Case& c : {Case{9, h.rates, 0, 1}, Case{10, h.rates, 400000, 1}, Case{15, h.rates, 50, 1},
                        Case{4000000, h.rates, 50, 1}, Case{5, h.maxima, 25, 10}, Case{7, h.maxima, 7, 2},
                        Case{8, h.maxima, 0, 1}}) {
    const Hints::Value* v = Hints::valueAt(c.values, c.frame);
    if (c.num == 0) {
      EXPECT_EQ(v, nullptr) << c.frame;
    } else {
      ASSERT_NE(v, nullptr) << c.frame;
      EXPECT_EQ(v->num, c.num) << c.frame;
      EXPECT_EQ(v->den, c.den) << c.frame;
    }
  }
}

TEST(CompressorHints, BadLinesAreNamedByNumber) {
  struct Case {
    const char* text;
    const char* message;
  };
  for (const Case& c : {Case{"speed 1-2 3", "line 1: unknown instruction"}, Case{"key", "line 1: key needs frames"},
                        Case{"\nkey 0", "line 2: not a frame"}, Case{"key 9-3", "not a frame or range: 9-3"},
                        Case{"key 1-9/0", "not a frame"}, Case{"rate 1-2", "needs a range and a value"},
                        Case{"rate 1-2 5 6", "needs a range and a value"}, Case{"rate 1-2 2.5", "whole number"},
                        Case{"max 1 0", "above 0"}, Case{"rate 1 99999999999", "above 0"}}) {
    Hints h;
    std::string error;
    EXPECT_FALSE(zurntool::parseHints(c.text, h, error)) << c.text;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.text << ": " << error;
  }
}

TEST(CompressorHints, StarredFilesAreDeletedAfterReading) {
  testutil::TempDir dir;
  const std::string name = dir.file("h.txt");
  for (const bool starred : {false, true}) {
    testutil::writeFile(name, {'k', 'e', 'y', ' ', '3', '\n'});
    Hints h;
    std::string error;
    ASSERT_TRUE(zurntool::readHintFile((starred ? "*" : "") + name, h, error)) << error;
    EXPECT_TRUE(h.keyAt(3));
    EXPECT_EQ(std::filesystem::exists(name), !starred);
  }
  Hints h;
  std::string error;
  EXPECT_FALSE(zurntool::readHintFile("*" + name, h, error));
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

}  // namespace
