// The launcher for real on an X display: a corpus clip compressed through
// the compressor dialog by the zurn program the launcher starts, its status
// window followed through the window back end's trace (TOL_UI_TRACE) and a
// screenshot, closed with its "&Done" button's window close as a user would;
// then the result played by zurnplay through quick play. Skipped without an
// X display (xvfb-run), the tools or the corpus.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "gui_harness.h"
#include "platform/profile.h"
#include "qt/main_window.h"
#include "qt/widgets.h"
#include "testutil.h"
#include "tol/tolutil.h"
#include "tol/zurndecoder.h"

namespace tolvideo {
namespace {

// Waits, keeping the launcher's events going, until done() or the time is up.
bool waitUntil(const std::function<bool()>& done, int seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QTest::qWait(20);
  }
  return true;
}

// A tool the launcher started, once it has ended. The test process is a
// subreaper, so the tools (started by a double fork) become its children
// when the launcher's middle process has gone.
struct Ended {
  std::string name;
  int status = -1;
};

bool reapTool(Ended& ended, int seconds, const std::function<void()>& meanwhile = {}) {
  return waitUntil(
      [&] {
        if (meanwhile) meanwhile();
        siginfo_t info{};
        if (waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid == 0) return false;
        std::ifstream comm("/proc/" + std::to_string(info.si_pid) + "/comm");
        std::getline(comm, ended.name);
        waitpid(info.si_pid, &ended.status, 0);
        return true;
      },
      seconds);
}

// The lines of the status window trace that came from one process: "<event> <text>".
std::vector<std::string> traceLines(const std::string& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    const size_t blank = line.find(' ');
    if (blank != std::string::npos) lines.push_back(line.substr(blank + 1));
  }
  return lines;
}

bool contains(const std::vector<std::string>& lines, const std::string& wanted) {
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

// Asks the top-level X window with this title to close, as its title bar's
// close button does.
bool closeXWindow(const std::string& title) {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return false;
  }
  auto atom = [c](const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(r);
    return a;
  };
  const xcb_atom_t protocols = atom("WM_PROTOCOLS"), deleteWindow = atom("WM_DELETE_WINDOW");
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  bool sent = false;
  if (xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr)) {
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !sent; ++i) {
      xcb_get_property_reply_t* name = xcb_get_property_reply(
          c, xcb_get_property(c, 0, children[i], XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
      if (name && std::string(static_cast<const char*>(xcb_get_property_value(name)),
                              xcb_get_property_value_length(name)) == title) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = children[i];
        event.type = protocols;
        event.data.data32[0] = deleteWindow;
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, children[i], XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        sent = true;
      }
      free(name);
    }
    free(tree);
  }
  xcb_flush(c);
  xcb_disconnect(c);
  return sent;
}

// Pixels of the status window's light grey on the whole screen.
int statusGreyPixels(const std::string& shot) {
  QImage image(QString::fromStdString(shot));
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == qRgb(192, 192, 192);
  return n;
}

class RoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X display (xvfb-run)";
    old_ = std::filesystem::current_path();
    if (const char* ui = std::getenv("TOL_UI")) oldUi_ = ui;
    setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
    // What the tools inherit: their window back end, tracing into the
    // scratch folder; no sound device; no leak report from the system
    // libraries under a display.
    unsetenv("TOL_UI");
    setenv("TOL_UI_TRACE", trace_.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1", 1);
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    tol::profile::writeString("TOL Video Tools", "LastVersionCheckDate", "2999-01-01");
    // The players play on when other tests' windows take the focus.
    tol::profile::writeString("TOL Video Tools", "ZurnQuickPlay", "/J");
    tol::profile::writeString("TOL Video Tools", "PlevPlay", "/J");
    // Any box is a failure: recorded instead of waiting for a user.
    QtServices::messageHook = [this](const MessageRequest& m) {
      boxes_.push_back(m.title + ": " + m.text);
      return Answer::No;
    };
  }
  void TearDown() override {
    if (old_.empty()) return;
    QtServices::messageHook = nullptr;
    endLeftoverTools();
    prctl(PR_SET_CHILD_SUBREAPER, 0);
    std::filesystem::current_path(old_);
    for (const char* v : {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "TOL_UI_TRACE", "SDL_AUDIODRIVER"}) unsetenv(v);
    if (!oldUi_.empty()) setenv("TOL_UI", oldUi_.c_str(), 1);
  }

  // A tool still running after a failure (a status window waiting for its
  // Done button) is ended here.
  static void endLeftoverTools() {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      std::ifstream stat(entry.path() / "stat");
      std::string line;
      if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
      int parent = 0;
      char state = 0;
      std::istringstream(line.substr(line.rfind(')') + 1)) >> state >> parent;
      const pid_t pid = static_cast<pid_t>(std::atoi(entry.path().filename().c_str()));
      if (parent != getpid() || pid <= 0) continue;
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

  testutil::TempDir dir_;
  std::string trace_ = dir_.file("trace.txt");
  std::vector<std::string> boxes_;
  std::filesystem::path old_;
  std::string oldUi_;
};

TEST_F(RoundTrip, CompressWithTheStatusWindowThenQuickPlay) {
  TOL_REQUIRE_FILE(clip, testutil::corpusFile("mov/raw_rgb24_100x60_10fps_sowt16_22050_stereo.mov"));
  const std::filesystem::path clipPath = std::filesystem::absolute(clip);
  const std::string output = dir_.file("clip.zrn");
  const std::string title = "Zurn Compressor - " + output;
  LauncherState state;
  state.tools = {TOL_TOOLS_DIR "/", static_cast<int>(getpid())};
  state.settings.load();
  state.settings.path = clipPath.parent_path().string();
  MainWindow window(state);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  // The compressor dialog, as a user fills it: the output, the last frame.
  highlight(&window, QString::fromStdString(clipPath.filename().string()));
  onNextModal([&](QDialog* d) {
    control<QLineEdit>(d, 500)->setText(QString::fromStdString(output));
    control<QLineEdit>(d, 516)->setText("5");
    click(d, "id1");
  });
  click(&window, "id149");

  // Progress, then the outcome with "&Done", in the tool's window.
  std::vector<std::string> shown;
  ASSERT_TRUE(waitUntil([&] { return contains(shown = traceLines(trace_), "button &Done"); }, 300))
      << "no Done button";
  EXPECT_EQ(shown.front(), "shown " + title);
  EXPECT_TRUE(contains(shown, "text Compressing: frame 5 of 5 read, 5 compressed (100%)"));
  EXPECT_EQ(shown.end()[-2].rfind("text Done: 5 frames, ", 0), 0u) << shown.end()[-2];
  if (access("/usr/bin/import", X_OK) == 0) {
    const std::string shot = dir_.file("screen.png");
    ASSERT_EQ(std::system(("/usr/bin/import -window root " + shot).c_str()), 0);
    EXPECT_GT(statusGreyPixels(shot), 30000) << "the status window is on the screen";
  }

  // Closing the window ends the wait; the tool reports its last line to the
  // launcher, which keeps it and does nothing else.
  ASSERT_TRUE(closeXWindow(title));
  Ended zurn;
  // Other tests' windows on the same display can take the first close away
  // (as a user's second click would, it is sent again).
  int closes = 1;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(reapTool(zurn, 60, [&] {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5 * closes) && closeXWindow(title)) ++closes;
  })) << testing::PrintToString(traceLines(trace_));
  EXPECT_EQ(zurn.name, "zurn");
  EXPECT_TRUE(WIFEXITED(zurn.status) && WEXITSTATUS(zurn.status) == 0) << zurn.status;
  EXPECT_EQ(traceLines(trace_).back(), "gone ");
  EXPECT_TRUE(waitUntil([&] { return !window.lastToolReport().empty(); }, 10));
  EXPECT_EQ(window.lastToolReport().rfind(title + " - \r\n  Done: 5 frames, ", 0), 0u) << window.lastToolReport();
  EXPECT_TRUE(window.isVisible());

  ZurnDecoder* decoder = ZurnDecoderOpen(output.c_str(), ZURNDEC_NO_READ_AHEAD);
  ASSERT_NE(decoder, nullptr) << ZurnDecoderGetError();
  EXPECT_EQ(decoder->width, 100);
  EXPECT_EQ(decoder->height, 60);
  EXPECT_EQ(decoder->frames, 5);
  for (int i = 0; i < decoder->frames; ++i, ZurnDecoderNextFrame(decoder))
    EXPECT_NE(ZurnDecoderDecodeFrame(decoder), 0) << "frame " << i + 1;
  ZurnDecoderClose(decoder);

  // Into the output's folder (its name typed, then "&Play"), where "&Play" on
  // the new file starts the player beside the launcher.
  highlight(&window, QString::fromStdString(dir_.path().string()));
  window.accept();
  EXPECT_EQ(state.settings.path, dir_.path().string());
  EXPECT_EQ(std::filesystem::current_path(), dir_.path());
  highlight(&window, "clip.zrn");
  window.accept();
  Ended player;
  ASSERT_TRUE(reapTool(player, 120)) << (boxes_.empty() ? "" : boxes_.back());
  EXPECT_EQ(player.name, "zurnplay");
  EXPECT_TRUE(WIFEXITED(player.status) && WEXITSTATUS(player.status) == 0) << player.status;
  EXPECT_EQ(boxes_, std::vector<std::string>());
}

TEST_F(RoundTrip, ConverterAndPlevenPlayerStartTheirTools) {
  // A Pleven clip made by the suite's sample maker.
  const std::string sample = dir_.file("sample");
  const pid_t maker = fork();
  if (maker == 0) {
    execl(TOL_TOOLS_DIR "/zurnsample", "zurnsample", sample.c_str(), "/N8", "/W64", "/H48", "/P", nullptr);
    _exit(127);
  }
  int made = -1;
  ASSERT_EQ(waitpid(maker, &made, 0), maker);
  ASSERT_TRUE(WIFEXITED(made) && WEXITSTATUS(made) == 0);
  LauncherState state;
  state.tools = {TOL_TOOLS_DIR "/", static_cast<int>(getpid())};
  state.settings.load();
  state.settings.path = sample;
  MainWindow window(state);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  // The converter dialog's proposal, an AVI file beside the clip.
  highlight(&window, "clip.plv");
  onNextModal([&](QDialog* d) {
    EXPECT_EQ(control<QLineEdit>(d, 500)->text(), "clip.avi");
    click(d, "id1");
  });
  click(&window, "id155");
  Ended converter;
  ASSERT_TRUE(reapTool(converter, 120));
  EXPECT_EQ(converter.name, "zurnconv");
  EXPECT_TRUE(WIFEXITED(converter.status) && WEXITSTATUS(converter.status) == 0) << converter.status;
  const std::vector<uint8_t> avi = testutil::readFile(sample + "/clip.avi");
  ASSERT_GT(avi.size(), 12u);
  EXPECT_EQ(std::string(avi.begin(), avi.begin() + 4) + std::string(avi.begin() + 8, avi.begin() + 12), "RIFFAVI ");

  // The Pleven player dialog's "&Play" starts the Pleven player; the dialog stays.
  highlight(&window, "clip.plv");
  Ended player;
  onNextModal([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Pleven Player - clip.plv ...");
    click(d, "id1");
    EXPECT_TRUE(d->isVisible());
    ASSERT_TRUE(reapTool(player, 120));
  });
  click(&window, "id159");
  EXPECT_EQ(player.name, "plevplw");
  EXPECT_TRUE(WIFEXITED(player.status) && WEXITSTATUS(player.status) == 0) << player.status;
  EXPECT_EQ(boxes_, std::vector<std::string>());
}

}  // namespace
}  // namespace tolvideo
