// The Pleven writer and decoder through the shared library's exports, and
// the trace lines that the profile switches on. (The profile is read once
// per process, so this program points it at a scratch folder first.)
#include <cstdlib>
#include <vector>

#include <filesystem>
#include "testutil.h"
#include "tol/pleven.h"
#include "tol/plevenwriter.h"

extern "C" const void* const pleven_api_functions[];
extern "C" const unsigned pleven_api_function_count;

namespace {

TEST(PlevenApi, HeaderCompilesAsCAndEveryFunctionIsExported) {
  ASSERT_EQ(pleven_api_function_count, 10u);
  for (unsigned i = 0; i < pleven_api_function_count; ++i) EXPECT_NE(pleven_api_functions[i], nullptr);
}

TEST(PlevenApi, WrittenClipDecodesAndTracesWhenAsked) {
  testutil::TempDir dir;
  ASSERT_EQ(::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1), 0);
  std::filesystem::create_directories(dir.path() / "tolvideo");
  testutil::writeFile(dir.file("tolvideo/tolvideo.ini"), {'[', 'P', 'l', 'e', 'v', 'e', 'n', ']', '\n', 'D', 'e', 'b', 'u', 'g', '=', '1', '\n'});

  const std::string name = dir.file("api.plv");
  PlevWriterSettings settings{};
  settings.width = 8;
  settings.height = 4;
  settings.rate = -4000;
  settings.tracks[3] = {8000, 16, 1, 1, 0};
  PlevWriter* w = PlevWriterCreate(name.c_str(), &settings);
  ASSERT_NE(w, nullptr);
  std::vector<uint8_t> palette(768, 40);
  for (uint8_t f = 0; f < 3; ++f) {
    std::vector<uint8_t> pixels(32, f);
    pixels[5] = 9;
    std::vector<int16_t> pcm(100, static_cast<int16_t>(f * 1000 - 500));
    const void* sound[PLEV_TRACKS] = {nullptr, nullptr, nullptr, pcm.data()};
    const uint32_t bytes[PLEV_TRACKS] = {0, 0, 0, 200};
    ASSERT_EQ(PlevWriterPutFrame(w, pixels.data(), 8, palette.data(), sound, bytes), 1);
  }
  ASSERT_EQ(PlevWriterClose(w), 1);

  testing::internal::CaptureStderr();
  PlevDecoder* d = PlevOpen(name.c_str(), PLEV_OPEN_FILL, -1);
  PlevDecoder* bad = PlevOpen(dir.file("missing.plv").c_str(), 0, -1);
  const std::string traced = testing::internal::GetCapturedStderr();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(bad, nullptr);
  EXPECT_NE(traced.find("PlevOpen - file: " + name + "\r\n"), std::string::npos) << traced;
  EXPECT_NE(traced.find("PlevOpen returned: "), std::string::npos) << traced;
  EXPECT_NE(traced.find("Couldn't open the Pleven file\r\n"), std::string::npos) << traced;

  EXPECT_EQ(d->framesPerSecond, 25);
  EXPECT_EQ(d->maxSoundSize[3], 200u);
  std::vector<uint8_t> screen(32);
  ASSERT_EQ(PlevSetDestination(d, 0, 0, 8, 4, screen.data(), 0), 1);
  PlevNextFrame(d);
  PlevGotoFrame(d, 0);  // taken as 1
  EXPECT_EQ(d->currentFrame, 0);
  for (uint8_t f = 0; f < 3; ++f) {
    PlevDecodeFrame(d);
    EXPECT_EQ(screen[0], f);
    EXPECT_EQ(screen[5], 9);
    std::vector<int16_t> pcm(100);
    EXPECT_EQ(PlevTrackSound(d, pcm.data(), PLEV_OPEN_TRACK(3) | PLEV_OPEN_TRACK(5)), 200);
    EXPECT_EQ(pcm[99], f * 1000 - 500);
    PlevNextFrame(d);
  }
  testing::internal::CaptureStderr();
  PlevClose(d);
  EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("PlevClose: ", 0), 0u);
}

}  // namespace
