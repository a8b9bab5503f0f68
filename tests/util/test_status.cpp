// The status window and the threaded dialog through a user interface that
// records what it is asked to show and answers as scripted.
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/ui.h"
#include "util/copydata.h"
#include "util/status.h"

namespace ui = tol::ui;

namespace {

struct Script : ui::Backend {
  struct View : ui::StatusView {
    Script* s;
    explicit View(Script* script) : s(script) {}
    ~View() override { s->viewOpen = false; }
    void setText(const char* text) override {
      s->shown = true;
      s->texts.push_back(text);
    }
    void setButton(const char* caption) override { s->button = caption; }
    ui::StatusEvents poll(int waitMs) override {
      ui::StatusEvents e;
      if (!s->events.empty()) {
        e = s->events.front();
        s->events.pop_front();
      } else if (waitMs != 0 && s->button == "&Done") {
        e.buttonPresses = 1;  // the user presses Done
      }
      return e;
    }
    bool visible() const override { return s->shown; }
  };

  ui::Answer messageBox(const ui::Message& m) override {
    asked.push_back(m);
    askedTexts.push_back(m.text);
    if (answers.empty()) return m.defaultAnswer;
    ui::Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  ui::StatusView* createStatusView(const char*, const char*, void*) override {
    viewOpen = true;
    shown = false;
    return new View(this);
  }

  std::deque<ui::Answer> answers;
  std::deque<ui::StatusEvents> events;
  std::vector<ui::Message> asked;
  std::vector<std::string> askedTexts, texts;
  std::string button;
  bool viewOpen = false, shown = false;
};

class Status : public ::testing::Test {
 protected:
  void SetUp() override { old_ = ui::setBackend(&ui_); }
  void TearDown() override {
    tol::StatusClose(0);
    ui::setBackend(old_);
  }
  Script ui_;
  ui::Backend* old_ = nullptr;
};

int g_cancelCalls = 0;
void countCancel() { ++g_cancelCalls; }

}  // namespace

TEST_F(Status, WindowLifeFromOpenToClose) {
  EXPECT_EQ(tol::StatusSet("early"), 0);  // no window yet: nothing shown
  EXPECT_TRUE(ui_.texts.empty());
  tol::StatusInit(nullptr, 0, 0);
  ASSERT_EQ(tol::StatusOpen("Zurn", "clip.avi", countCancel), 1);
  EXPECT_EQ(tol::statusText(), "Loading...");
  EXPECT_FALSE(ui_.shown);
  EXPECT_NE(tol::StatusSet("Compressing frame 1 of 3..."), 0);
  EXPECT_TRUE(ui_.shown);
  EXPECT_EQ(tol::StatusGetHWND(), tol::StatusCheck());
  tol::StatusClose(1);  // waits for Done, which the script presses
  EXPECT_EQ(ui_.button, "&Done");
  EXPECT_FALSE(ui_.viewOpen);
  EXPECT_EQ(tol::StatusCheck(), nullptr);
}

TEST_F(Status, QuestionsAndCancelling) {
  tol::StatusInit(nullptr, 0, 1);
  ASSERT_EQ(tol::StatusOpen("Zurn", "", countCancel), 1);
  struct Case {
    ui::Answer answer;
    int32_t defaultNo;
    int32_t result;
    const char* text;
    ui::Answer defaultButton;
  } cases[] = {{ui::Answer::Yes, 1, 1, "Overwrite? Yes.", ui::Answer::No},
               {ui::Answer::No, 0, 0, "Overwrite? No.", ui::Answer::Yes}};
  for (const Case& c : cases) {
    ui_.answers = {c.answer};
    EXPECT_EQ(tol::StatusAsk("Overwrite?", c.defaultNo), c.result);
    EXPECT_EQ(tol::statusText(), c.text);
    EXPECT_EQ(ui_.asked.back().defaultAnswer, c.defaultButton);
    EXPECT_EQ(ui_.asked.back().icon, ui::Icon::Question);
  }

  // A press answered No goes on; one answered Yes cancels once, and later
  // presses ask nothing more. Unattended, the question answers Yes.
  g_cancelCalls = 0;
  ui_.answers = {ui::Answer::No, ui::Answer::Yes};
  ui_.events = {{1, 0}};
  EXPECT_NE(tol::StatusCheck(), nullptr);
  EXPECT_EQ(ui_.askedTexts.back(), "Do you want to cancel?");
  EXPECT_EQ(ui_.asked.back().defaultAnswer, ui::Answer::No);
  EXPECT_EQ(ui_.asked.back().unattendedAnswer, ui::Answer::Yes);
  EXPECT_EQ(g_cancelCalls, 0);
  ui_.events = {{0, 1}};  // closing the window, confirmed: it goes
  EXPECT_EQ(tol::StatusCheck(), nullptr);
  EXPECT_EQ(g_cancelCalls, 1);
  const size_t asked = ui_.asked.size();
  EXPECT_EQ(tol::StatusDoCancel(), 1);  // the flag stays, and nothing is asked again
  tol::StatusOpen("Zurn", "", countCancel);  // a new window starts uncancelled
  ui_.answers = {ui::Answer::Yes};
  EXPECT_EQ(tol::StatusDoCancel(), 1);
  EXPECT_EQ(tol::StatusDoCancel(), 1);
  EXPECT_EQ(ui_.asked.size(), asked + 1);  // only the first press of the new window asked
}

TEST_F(Status, ClosingSendsTheLastLineToTheLauncher) {
  const intptr_t me = getpid();
  tol::CopyDataReceiver* r = tol::CopyDataListen(me);
  ASSERT_NE(r, nullptr);
  tol::StatusInit(nullptr, me, 0);
  ASSERT_EQ(tol::StatusOpen("Zurn", "clip.avi", nullptr), 1);
  tol::StatusSet("Done: 30 frames.");
  tol::StatusClose(1);  // the launcher's user presses Done
  EXPECT_EQ(ui_.button, "&Done");
  uint32_t tag = 0, size = 0;
  char text[256] = {};
  ASSERT_EQ(tol::CopyDataReceive(r, &tag, text, sizeof text, &size, 1000), 1);
  EXPECT_EQ(tag, 4660u);
  const std::string expected = "Zurn - clip.avi\r\n  Done: 30 frames.";
  EXPECT_EQ(size, expected.size() + 1);
  EXPECT_EQ(std::string(text), expected);
  tol::CopyDataClose(r);

  // Nobody listens under the id any more: no Done to wait for.
  ui_.button.clear();
  ASSERT_EQ(tol::StatusOpen("Zurn", "clip.avi", nullptr), 1);
  tol::StatusSet("Done: 30 frames.");
  tol::StatusClose(1);
  EXPECT_TRUE(ui_.button.empty());
  EXPECT_FALSE(ui_.viewOpen);
}

TEST(StatusClass, NameFromTheInstanceHandle) {
  EXPECT_EQ(tol::statusClassName(0x10000000), "TOLSTATUSAAAA");
  EXPECT_EQ(tol::statusClassName(0x1234F), "TOLSTATUSCDEP");
}

TEST_F(Status, DialogBoxesChooseButtonsAndDefaults) {
  struct Case {
    bool ask;
    int32_t style;
    ui::Buttons buttons;
    ui::Answer defaultButton;
  } cases[] = {{true, 32, ui::Buttons::YesNoCancel, ui::Answer::No},
               {true, 1, ui::Buttons::YesNo, ui::Answer::Yes},
               {true, 34, ui::Buttons::YesNoCancel, ui::Answer::Cancel},
               {true, 0, ui::Buttons::YesNo, ui::Answer::No},
               {false, 0, ui::Buttons::Ok, ui::Answer::Ok},
               {false, 34, ui::Buttons::OkCancel, ui::Answer::Cancel},
               {false, 33, ui::Buttons::OkCancel, ui::Answer::Ok}};
  for (const Case& c : cases) {
    ui_.answers = {ui::Answer::Cancel};
    const int32_t r = c.ask ? tol::TOLDialogAsk("Go on?", c.style) : tol::TOLDialogMessage("Note", c.style);
    EXPECT_EQ(r, 2) << c.style;
    EXPECT_EQ(ui_.asked.back().buttons, c.buttons) << c.style;
    EXPECT_EQ(ui_.asked.back().defaultAnswer, c.defaultButton) << c.style;
  }
}

TEST_F(Status, DialogRunsTheWorkOnItsOwnThread) {
  struct Case {
    int32_t workerResult;
    const char* caption;
    const char* button;
  } cases[] = {{0, "Mixing - Done!", "&Done"}, {5, "Mixing", ""}};
  for (const Case& c : cases) {
    ui_.button.clear();
    static std::thread::id workerThread;
    static int32_t result;
    result = c.workerResult;
    const int32_t got = tol::TOLDialogInit(const_cast<char*>("Mixing"), 0, nullptr, 1, 0,
                                           [](void*, void*) -> int32_t {
                                             workerThread = std::this_thread::get_id();
                                             return result;
                                           },
                                           nullptr);
    EXPECT_EQ(got, c.workerResult);
    EXPECT_NE(workerThread, std::this_thread::get_id());
    EXPECT_EQ(tol::dialogCaption(), c.caption);
    EXPECT_EQ(ui_.button, c.button);
  }
}

TEST_F(Status, DialogCancelAsksTheToolAndWaitsForTheWorker) {
  static std::atomic<bool> stop{false};
  static std::atomic<int> commands{0};
  stop = false;
  commands = 0;
  ui_.events = {{1, 0}, {1, 0}};
  const int32_t got = tol::TOLDialogInit(
      const_cast<char*>("Work"), 0, nullptr, 1, 0,
      [](void*, void*) -> int32_t {
        while (!stop) std::this_thread::yield();
        return 0;
      },
      [](int32_t id, void*) -> int32_t {
        // The first Cancel is refused, the second accepted and stops the work.
        if (++commands == 2) stop = true;
        return id == 2 && commands == 2 ? 0 : 1;
      });
  EXPECT_EQ(got, 0);
  EXPECT_EQ(commands.load(), 2);
  EXPECT_TRUE(stop.load());
}
