// The launcher's windows driven as a user would: files highlighted in the
// main window, buttons pressed, the dialogs' fields checked against the
// switch strings of the profile, and the command lines that would start.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <unistd.h>
#include <filesystem>
#include <fstream>

#include "gui_harness.h"
#include "platform/profile.h"
#include "qt/converter_dialog.h"
#include "qt/main_window.h"
#include "qt/widgets.h"
#include "testutil.h"
#include "tol/tolutil.h"

namespace tolvideo {
namespace {

using V = std::vector<std::string>;

// A main window over a scratch folder with a few files, with a profile that
// holds a switch string for every tool.
class Gui : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
    const std::string media = dir_.file("media");
    std::filesystem::create_directory(media);
    auto write = [&](const std::string& n, std::vector<uint8_t> b) { testutil::writeFile(media + "/" + n, b); };
    write("a.zrn", {'Z', 'R', 'N', 'f', 0});
    write("b.zrn", {'Z', 'R', 'N', 'f', 0});
    write("c.plv", {'P', 'L', 'V', '2', 0});
    write("clip.avi", {'R', 'I', 'F', 'F', 0});
    write("s.wav", {'R', 'I', 'F', 'F', 1});
    for (int i = 1; i <= 4; ++i) write("img0" + std::to_string(i) + ".bmp", {'B', 'M'});
    const std::pair<const char*, const char*> keys[] = {
        {"ZurnComp", "/D150 /O /Z1 /M500000 /F29.97"}, {"ZurnMix", "/O /B16 /C2 /Y5 /L9"},
        {"PlevMix", "/T3"},  {"ZurnPlay", "/D208 /A102 /L"}, {"PlevPlay", "/V259 /I2"},
        {"Path", media.c_str()}, {"LastVersionCheckDate", "2999-01-01"}, {"X", "20"}, {"Y", "30"},
        {"W", "700"}, {"H", "560"}};
    for (const auto& [k, v] : keys) tol::profile::writeString("TOL Video Tools", k, v);
    state_.tools = {"/opt/tol/", 4242};
    state_.settings.load();
    window_ = std::make_unique<MainWindow>(state_);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  void TearDown() override {
    window_.reset();
    std::filesystem::current_path(old_);
    unsetenv("XDG_CONFIG_HOME");
  }

  // Highlights files as the file-name box shows them.
  void highlight(const QString& text) { tolvideo::highlight(window_.get(), text); }
  void press(int id, Qt::KeyboardModifiers m = Qt::NoModifier) { click(window_.get(), QString("id%1").arg(id), m); }

  testutil::TempDir dir_;
  std::filesystem::path old_;
  LauncherState state_;
  Recorder rec_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(Gui, MainWindowHasTheToolButtonsAndFilters) {
  EXPECT_EQ(window_->windowTitle(), "TOL Video Tools");
  EXPECT_EQ(window_->geometry(), QRect(20, 30, 700, 560));
  for (int id : {149, 150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 160, 161, 101})
    EXPECT_NE(window_->findChild<QAbstractButton*>(QString("id%1").arg(id)), nullptr) << id;
  EXPECT_FALSE(window_->findChild<QAbstractButton*>("id150")->isEnabled());
  EXPECT_EQ(window_->nameFilters().size(), 6);
  EXPECT_TRUE(window_->selectedNameFilter().startsWith("All media files (*.zrn;*.plv;"));
  EXPECT_EQ(std::filesystem::current_path().string(), state_.settings.path);
}

TEST_F(Gui, CompressorFilledFromTheProfileStartsTheCompressor) {
  highlight("clip.avi");
  onNextModal([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Zurn Compressor - clip.avi ...");
    EXPECT_EQ(text(d, 500), "clip.zrn");
    EXPECT_TRUE(checked(d, 504));
    EXPECT_EQ(text(d, 507), "150");
    EXPECT_FALSE(control<QLineEdit>(d, 506)->isEnabled());
    EXPECT_TRUE(checked(d, 524));
    EXPECT_EQ(text(d, 526), "500000");
    EXPECT_TRUE(checked(d, 502));
    EXPECT_TRUE(checked(d, 513));
    EXPECT_EQ(text(d, 509), "29.97");
    EXPECT_EQ(text(d, 508), "8");
    EXPECT_EQ(text(d, 511), "4");
    control<QLineEdit>(d, 515)->setText("5");
    click(d, "id1");
  });
  press(149);
  EXPECT_EQ(rec_.lines(),
            V{"/opt/tol/zurn \"clip.avi\" \"clip.zrn\"  /d150 /m500000 /o /l4 /p8 /f29.97 /z1 /s5  /#4242"});
  EXPECT_EQ(rec_.started[0].program, "/opt/tol/zurn");
  EXPECT_EQ(state_.settings.zurnComp, " /d150 /m500000 /o /l4 /p8 /f29.97 /z1 /s5");
}

TEST_F(Gui, ShiftShowsTheCommandInABox) {
  highlight("clip.avi");
  onNextModal([&](QDialog* d) {
    control<QLineEdit>(d, 500)->setText("");
    click(d, "id1");  // no output name: the dialog stays
    EXPECT_TRUE(d->isVisible());
    control<QLineEdit>(d, 500)->setText("out");
    click(d, "id1", Qt::ShiftModifier);
  });
  press(149);
  EXPECT_TRUE(rec_.started.empty());
  ASSERT_EQ(rec_.messages.size(), 2u);
  EXPECT_EQ(rec_.messages[0].text, "No output filename chosen.");
  EXPECT_EQ(rec_.messages[1].kind, MessageRequest::Information);
  EXPECT_EQ(rec_.messages[1].title, "Zurn Command:");
  EXPECT_EQ(rec_.messages[1].text,
            "/opt/tol/zurn \"clip.avi\" \"out.zrn\"  /d150 /m500000 /o /l4 /p8 /f29.97 /z1  /#4242");
}

TEST_F(Gui, ShiftCommandBoxIsARealMessageBox) {
  QtServices::messageHook = nullptr;
  highlight("clip.avi");
  QString title, shown;
  onNextModal([&](QDialog* d) {
    onNextModal([&](QDialog* box) {
      title = box->windowTitle();
      shown = qobject_cast<QMessageBox*>(box)->text();
    });
    click(d, "id1", Qt::ControlModifier);
  });
  press(149);
  EXPECT_EQ(title, "Zurn Command:");
  EXPECT_TRUE(shown.startsWith("/opt/tol/zurn \"clip.avi\" \"clip.zrn\""));
  EXPECT_TRUE(rec_.started.empty());
}

TEST_F(Gui, SequenceQuestionBeforeTheCompressor) {
  highlight("img02.bmp");
  onNextModal([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Zurn Compressor - img??.bmp*1-4 ...");
    EXPECT_EQ(text(d, 500), "img.zrn");
  });
  press(149);
  ASSERT_EQ(rec_.messages.size(), 1u);
  EXPECT_EQ(rec_.messages[0].title, "Treat as sequence?");
}

TEST_F(Gui, MixerSwapsTheFilesAndBuildsItsCommand) {
  highlight("\"s.wav\" \"a.zrn\"");
  onNextModal([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Zurn Audio Mixer - a.zrn ...");
    EXPECT_EQ(text(d, 500), "s.wav");
    EXPECT_EQ(text(d, 502), "New_a.zrn");
    EXPECT_TRUE(checked(d, 504));
    EXPECT_TRUE(checked(d, 519));
    EXPECT_TRUE(checked(d, 526));
    EXPECT_EQ(text(d, 505), "9");
    click(d, "id1");
  });
  press(157);
  EXPECT_EQ(rec_.lines(), V{"/opt/tol/zurnmix \"a.zrn\" \"s.wav\" \"New_a.zrn\"  /o /l9 /b16 /c2 /y5 /#4242"});
}

TEST_F(Gui, PlevenMixerWhenTheUserSaysNo) {
  highlight("\"a.zrn\" \"c.plv\"");
  rec_.answers = {Answer::No};
  onNextModal([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Pleven Audio Mixer - c.plv ...");
    EXPECT_EQ(text(d, 500), "a.zrn");
    EXPECT_EQ(text(d, 502), "New_c.plv");
    EXPECT_EQ(text(d, 505), "");
    EXPECT_EQ(text(d, 506), "3");
    click(d, "id1");
  });
  press(157);
  EXPECT_EQ(rec_.lines(), V{"/opt/tol/plevmix \"c.plv\" \"a.zrn\" \"New_c.plv\"  /t3 /#4242"});
}

TEST_F(Gui, ConverterOutputTypeSetsBoxesAndName) {
  highlight("clip.avi");
  onNextModal([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Zurn Converter - clip.avi ...");
    EXPECT_EQ(text(d, 500), "New_clip.avi");
    EXPECT_FALSE(checked(d, 521));  // "/z" by default
    EXPECT_TRUE(checked(d, 504));
    EXPECT_TRUE(checked(d, 547));
    auto* conv = static_cast<ConverterDialog*>(d);
    conv->typeMenu()->actions()[2]->trigger();  // "WAV file"
    EXPECT_FALSE(checked(d, 504));
    EXPECT_EQ(text(d, 500), "clip.wav");
    EXPECT_FALSE(control<QLineEdit>(d, 506)->isEnabled());
    click(d, "id1");
  });
  press(155);
  EXPECT_EQ(rec_.lines(), V{"/opt/tol/zurnconv \"clip.avi\" \"clip.wav\"  /z /v /#4242"});
  EXPECT_EQ(state_.converterType, 2);
}

TEST_F(Gui, ZurnPlayerQuickSettingsAndExeCompiler) {
  highlight("a.zrn");
  onNextModal([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Zurn Player - a.zrn ...");
    EXPECT_EQ(control<QComboBox>(d, 509)->currentText(), "640x480 full screen.");
    EXPECT_EQ(control<QComboBox>(d, 510)->currentText(), "at 32-bits");
    EXPECT_EQ(control<QComboBox>(d, 537)->currentText(), "Height doubled");
    EXPECT_TRUE(checked(d, 524));
    EXPECT_TRUE(checked(d, 500));
    EXPECT_EQ(text(d, 501), "");
    click(d, "id1");  // "&Play": the dialog stays open
    EXPECT_TRUE(d->isVisible());
    click(d, "quick");
    onNextModal([&](QDialog* exe) {
      EXPECT_EQ(exe->windowTitle(), "TOL Video to EXE Compiler...");
      EXPECT_EQ(text(exe, 500), "a.zrn");
      EXPECT_EQ(text(exe, 502), "a.exe");
      EXPECT_EQ(text(exe, 505), "/l /a102 /d208");
      EXPECT_FALSE(control<QAbstractButton>(exe, 508)->isEnabled());
      click(exe, "id506");
      click(exe, "id1");
    });
    click(d, "exe");
  });
  press(159);
  EXPECT_EQ(rec_.lines(), (V{"/opt/tol/zurnplay \"a.zrn\"  /l /a102 /d208 /#4242 ", "/opt/tol/zurnplay /? /#4242",
                             "/opt/tol/tol2exe \"/opt/tol/zurnplay\" \"a.exe\" \"/l /a102 /d208\" a.zrn  /#4242"}));
  char quick[64];
  tol::profile::getString("TOL Video Tools", "ZurnQuickPlay", "", quick, sizeof quick);
  EXPECT_STREQ(quick, "/l /a102 /d208");
}

TEST_F(Gui, PlevenPlayerCombos) {
  highlight("\"c.plv\"");
  onNextModal([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Pleven Player - c.plv ...");
    EXPECT_EQ(control<QComboBox>(d, 511)->currentText(), "Standard DIBs");
    EXPECT_EQ(control<QComboBox>(d, 533)->currentText(), "Smoothed pixels");
    EXPECT_TRUE(checked(d, 534));
    click(d, "id1");
  });
  press(159);
  EXPECT_EQ(rec_.lines(), V{"/opt/tol/plevplw \"c.plv\"  /i2 /v259 /#4242 "});
}

TEST_F(Gui, PlayButtonStartsBothPlayers) {
  highlight("\"a.zrn\" \"c.plv\" \"b.zrn\"");
  window_->accept();
  QTest::qWait(50);
  EXPECT_EQ(rec_.lines(),
            (V{"/opt/tol/zurnplay  \"a.zrn\" \"b.zrn\" /! /#4242 ", "/opt/tol/plevplw  \"c.plv\" /! /#4242 "}));
  EXPECT_TRUE(window_->isVisible());
}

TEST_F(Gui, InformationButtonsAndPages) {
  highlight("\"a.zrn\" \"s.wav\"");
  press(154);
  highlight("c.plv");
  press(160);
  press(158);
  press(151);
  press(152);
  press(101);
  EXPECT_EQ(rec_.lines(), (V{"/opt/tol/tolinfo /#4242 \"a.zrn\"", "/opt/tol/tolinfo /#4242 \"s.wav\"",
                             "/opt/tol/tolana \"c.plv\"", "/opt/tol/tolsiw /#4242"}));
  ASSERT_EQ(rec_.documents.size(), 2u);
  EXPECT_NE(rec_.documents[0].find("/zurnhlp2.htm#START"), std::string::npos);
  ASSERT_EQ(rec_.messages.size(), 1u);
  EXPECT_EQ(rec_.messages[0].title, "About TOL Video Tools...");
}

TEST_F(Gui, ListEditorBuildsEditsAndSaves) {
  highlight("\"img01.bmp\" \"img02.bmp\" \"img03.bmp\" \"img04.bmp\" \"clip.avi\"");
  const std::string saved = dir_.file("media/films.lst");
  rec_.picks = {saved};
  onNextModal([&](QDialog* d) {
    auto* list = d->findChild<QListWidget*>("id300");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "img??.bmp*1-4");
    EXPECT_EQ(d->windowTitle(), "List file editor - Untitled.lst");
    list->setCurrentRow(1);
    QTest::keyClicks(control<QLineEdit>(d, 500), "10");
    EXPECT_EQ(list->item(1)->text(), "clip.avi /S10");
    click(d, "id605");  // move up
    EXPECT_EQ(list->item(0)->text(), "clip.avi /S10");
    EXPECT_EQ(text(d, 500), "10");
    click(d, "id1");  // close: asked to save, Yes, a name
  });
  press(156);
  ASSERT_EQ(rec_.pickerRequests.size(), 1u);
  EXPECT_EQ(rec_.pickerRequests[0].title, "Choose the output list filename...");
  EXPECT_EQ(rec_.pickerRequests[0].start, state_.settings.path + "/untitled");
  const auto bytes = testutil::readFile(saved);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "clip.avi /S10\r\nimg??.bmp*1-4\r\n");
  ASSERT_GE(rec_.messages.size(), 2u);
  EXPECT_EQ(rec_.messages.back().title, "Save?");

  // Played, a list file opens the editor again, unchanged: closing asks nothing.
  rec_.messages.clear();
  highlight("films.lst");
  onNextModal([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), QString::fromStdString("List file editor - films.lst"));
    EXPECT_EQ(d->findChild<QListWidget*>("id300")->count(), 2);
    click(d, "id1");
    EXPECT_FALSE(d->isVisible());
  });
  window_->accept();
  QTest::qWait(100);
  EXPECT_TRUE(rec_.messages.empty());
}

TEST_F(Gui, PlacementAndSwitchesWrittenAtClose) {
  window_->setGeometry(40, 50, 720, 580);
  window_->reject();
  state_.settings.save();
  Settings back;
  back.load();
  EXPECT_EQ(std::vector<int>({back.x, back.y, back.w, back.h}), std::vector<int>({40, 50, 720, 580}));
  EXPECT_EQ(back.path, state_.settings.path);
  EXPECT_EQ(back.zurnPlay, "/D208 /A102 /L");
}

}  // namespace
}  // namespace tolvideo

namespace tolvideo {
namespace {

TEST(GuiCopyData, ToolStatusLinesAreTakenAndIgnored) {
  testutil::TempDir dir;
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  tol::profile::writeString("TOL Video Tools", "LastVersionCheckDate", "2999-01-01");
  Recorder rec;
  LauncherState state;
  state.tools = {"/opt/tol/", static_cast<int>(getpid())};
  state.settings.load();
  {
    MainWindow window(state);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const char line[] = "Done: 30 frames";
    for (int i = 0; i < 3; ++i) EXPECT_EQ(CopyData(getpid(), 0, 4660, sizeof line, line), 1);
    QTest::qWait(50);
    EXPECT_TRUE(window.isVisible());
  }
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_TRUE(rec.started.empty());
  // The window took its socket away with it.
  EXPECT_EQ(CopyData(getpid(), 0, 4660, 1, "x"), 0);
  unsetenv("XDG_RUNTIME_DIR");
  unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace tolvideo
