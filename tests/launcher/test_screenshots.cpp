// Pictures of the launcher's windows for the documentation: run with
// TOL_SCREENSHOT_DIR set (on a virtual display) to write one PNG a window;
// skipped otherwise.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "gui_harness.h"
#include "platform/profile.h"
#include "qt/main_window.h"
#include "testutil.h"

namespace tolvideo {
namespace {

TEST(Screenshots, EveryWindow) {
  const char* out = std::getenv("TOL_SCREENSHOT_DIR");
  if (!out || !*out) GTEST_SKIP() << "TOL_SCREENSHOT_DIR not set";
  testutil::TempDir dir;
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  const std::string media = dir.file("media");
  std::filesystem::create_directory(media);
  const char* corpus[] = {"avi/raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi", "audio/speech_16bit_mono_22050.wav",
                          "mov/raw_rgb24_100x60_10fps_sowt16_22050_stereo.mov", "stills/leaf_100x60.gif"};
  for (const char* c : corpus) {
    const std::string f = testutil::corpusFile(c);
    if (!f.empty()) std::filesystem::create_symlink(f, media + "/" + std::filesystem::path(f).filename().string());
  }
  testutil::writeFile(media + "/forest.zrn", {'Z', 'R', 'N', 'f'});
  testutil::writeFile(media + "/intro.plv", {'P', 'L', 'V', '2'});
  for (int i = 1; i <= 3; ++i) testutil::writeFile(media + "/title0" + std::to_string(i) + ".png", {1});
  tol::profile::writeString("TOL Video Tools", "Path", media.c_str());
  tol::profile::writeString("TOL Video Tools", "LastVersionCheckDate", "2999-01-01");
  tol::profile::writeString("TOL Video Tools", "W", "760");
  tol::profile::writeString("TOL Video Tools", "H", "520");

  Recorder rec;
  LauncherState state;
  state.tools = {"/usr/bin/", 1};
  state.settings.load();
  MainWindow window(state);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTest::qWait(500);  // the folder is listed in the background
  auto shot = [out](QWidget* w, const char* name) {
    QTest::qWait(100);
    EXPECT_TRUE(w->grab().save(QString("%1/%2.png").arg(out, name)));
  };
  auto select = [&](const char* text) { highlight(&window, text); };
  window.selectFile("forest.zrn");
  shot(&window, "main_window");
  auto dialog = [&](const char* selection, int button, const char* name) {
    select(selection);
    onNextModal([shot, name](QDialog* d) { shot(d, name); });
    click(&window, QString("id%1").arg(button));
    for (const auto& m : rec.messages)
      if (m.title != "Treat as sequence?") ADD_FAILURE() << name << ": " << m.text;
    rec.messages.clear();
  };
  dialog("raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi", 149, "compressor");
  dialog("\"forest.zrn\" \"speech_16bit_mono_22050.wav\"", 157, "zurn_mixer");
  dialog("raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi", 155, "converter");
  dialog("forest.zrn", 159, "zurn_player");
  dialog("intro.plv", 159, "pleven_player");
  select("forest.zrn");
  onNextModal([&](QDialog* d) {
    onNextModal([&](QDialog* exe) { shot(exe, "video_to_exe"); });
    click(d, "exe");
  });
  click(&window, "id159");
  dialog("\"title01.png\" \"forest.zrn\" \"raw_rgb24_100x60_10fps_sowt16_22050_stereo.mov\"", 156, "list_editor");
  unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace tolvideo
