// The code the tools share: the command line as one text, numbered PNG
// sequences in their three forms, and PNG colour types.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/command_line.h"
#include "common/png_sequence.h"
#include "png_files.h"
#include "testutil.h"

namespace {

tolapp::CommandLine split(std::vector<const char*> args) {
  args.insert(args.begin(), "tool");
  return tolapp::splitArguments(int(args.size()), args.data());
}

}  // namespace

TEST(SplitArguments, NamesApartFromSwitches) {
  const tolapp::CommandLine c = split({"in dir/a.png", "/abs/out.zrn", "/d150000", "/f29.97", "\"/quoted\"",
                                       "/&my palette.bmp", "/@*/tmp/h", "", "/#77", "/?"});
  EXPECT_EQ(c.names, (std::vector<std::string>{"in dir/a.png", "/abs/out.zrn", "/quoted"}));
  EXPECT_EQ(c.switches, "/d150000 /f29.97 /&\"my palette.bmp\" /@\"*/tmp/h\" /#77");
  EXPECT_TRUE(c.help);
  // A single-slash word that names an existing file or folder is a name.
  EXPECT_EQ(split({"/tmp", "/tmpx"}).names, (std::vector<std::string>{"/tmp"}));
  EXPECT_FALSE(split({"a", "b"}).help);
}

TEST(FitName, LongNamesBecomeRelativeOrAreRefused) {
  const std::string here = std::filesystem::current_path().string();
  const std::string leaf(120, 'n'), nearby = here + "/" + leaf;
  std::string name = nearby, error;
  ASSERT_TRUE(tolapp::fitName(name, error)) << error;
  EXPECT_EQ(name, nearby.size() > 127 ? leaf : nearby);
  name = "/" + std::string(200, 'z');
  EXPECT_FALSE(tolapp::fitName(name, error));
  EXPECT_NE(error.find("longer than 127 bytes"), std::string::npos) << error;
  name = "short";
  EXPECT_TRUE(tolapp::fitName(name, error));
}

TEST(ListSequence, FrameSequenceTextWithARangeNamesEveryNumber) {
  const auto files = tolapp::listSequence("d/img??.png*8-11");
  EXPECT_EQ(files, (std::vector<std::string>{"d/img08.png", "d/img09.png", "d/img10.png", "d/img11.png"}));
  EXPECT_EQ(tolapp::listSequence("img???.png*120"), (std::vector<std::string>{"img120.png"}));
  // Wider numbers than the field keep all their digits.
  EXPECT_EQ(tolapp::listSequence("f?.png*9-10"), (std::vector<std::string>{"f9.png", "f10.png"}));
  for (const char* bad : {"img??.png*", "img??.png*5-3", "img??.png*x", "img??.png*1-2z", "img??.png*1-"})
    EXPECT_TRUE(tolapp::listSequence(bad).empty()) << bad;
}

TEST(ListSequence, FrameSequenceTextWithoutRangeRunsFromTheLowestNumberToAGap) {
  testutil::TempDir dir;
  for (const char* name : {"c003.png", "c004.png", "c005.png", "c007.png", "c0002.png", "x001.png"})
    ASSERT_TRUE(tooltest::writeMarkedPng(dir.file(name), 2, 2, 0));
  // c0002.png is not a name the 3-digit field writes; 006 is missing.
  const auto files = tolapp::listSequence(dir.file("c???.png"));
  EXPECT_EQ(files, (std::vector<std::string>{dir.file("c003.png"), dir.file("c004.png"), dir.file("c005.png")}));
  EXPECT_TRUE(tolapp::listSequence(dir.file("none???.png")).empty());
}

TEST(ListSequence, FolderOrFirstFile) {
  testutil::TempDir dir;
  for (const char* name : {"b10.png", "b11.png", "b13.png", "a.PNG"})
    ASSERT_TRUE(tooltest::writeMarkedPng(dir.file(name), 2, 2, 0));
  testutil::writeFile(dir.file("notes.txt"), {1});
  EXPECT_EQ(tolapp::listSequence(dir.path().string()),
            (std::vector<std::string>{dir.file("a.PNG"), dir.file("b10.png"), dir.file("b11.png"), dir.file("b13.png")}));
  EXPECT_EQ(tolapp::listSequence(dir.file("b10.png")), (std::vector<std::string>{dir.file("b10.png"), dir.file("b11.png")}));
  // A file without a number is a sequence of one.
  EXPECT_EQ(tolapp::listSequence(dir.file("a.PNG")), (std::vector<std::string>{dir.file("a.PNG")}));
  EXPECT_TRUE(tolapp::listSequence(dir.file("absent.png")).empty());
}

TEST(ReadPng, EveryColourTypeBecomesRedGreenBlue) {
  testutil::TempDir dir;
  tolapp::RgbFrame frame;
  std::string error;
  auto pixel = [&](int x, int y) {
    const uint8_t* p = &frame.pixels[(size_t(y) * size_t(frame.width) + size_t(x)) * 4];
    return std::vector<int>{p[0], p[1], p[2]};
  };

  ASSERT_TRUE(tooltest::writePng(dir.file("grey.png"), 2, 1, PNG_COLOR_TYPE_GRAY, 8, {10, 200}));
  ASSERT_TRUE(tolapp::readPng(dir.file("grey.png"), frame, error)) << error;
  EXPECT_EQ(pixel(1, 0), (std::vector<int>{200, 200, 200}));

  ASSERT_TRUE(tooltest::writePng(dir.file("pal.png"), 2, 2, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 1, 0},
                                 {{255, 0, 0}, {0, 0, 255}}));
  ASSERT_TRUE(tolapp::readPng(dir.file("pal.png"), frame, error)) << error;
  EXPECT_EQ(pixel(0, 0), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(pixel(0, 1), (std::vector<int>{0, 0, 255}));

  // Alpha is dropped, not blended.
  ASSERT_TRUE(tooltest::writePng(dir.file("rgba.png"), 1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {1, 2, 3, 0}));
  ASSERT_TRUE(tolapp::readPng(dir.file("rgba.png"), frame, error)) << error;
  EXPECT_EQ(pixel(0, 0), (std::vector<int>{1, 2, 3}));

  ASSERT_TRUE(tooltest::writePng(dir.file("deep.png"), 1, 1, PNG_COLOR_TYPE_RGB, 16, {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0}));
  ASSERT_TRUE(tolapp::readPng(dir.file("deep.png"), frame, error)) << error;
  EXPECT_EQ(pixel(0, 0), (std::vector<int>{0x12, 0xAB, 0xFF}));
}
