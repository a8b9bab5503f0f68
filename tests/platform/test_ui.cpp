// Message boxes: the terminal back end never waits without a terminal, and a
// program can install its own back end.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "platform/ui.h"

namespace ui = tol::ui;

namespace {

// Replaces stdin with the reading end of a pipe holding text.
class StdinFromPipe {
 public:
  explicit StdinFromPipe(const char* text) : saved_(dup(STDIN_FILENO)) {
    int p[2];
    if (pipe(p) == 0) {
      (void)!write(p[1], text, strlen(text));
      close(p[1]);
      dup2(p[0], STDIN_FILENO);
      close(p[0]);
    }
  }
  ~StdinFromPipe() {
    dup2(saved_, STDIN_FILENO);
    close(saved_);
  }

 private:
  int saved_;
};

class Recorder : public ui::Backend {
 public:
  ui::Answer messageBox(const ui::Message& m) override {
    last = m;
    return ui::Answer::No;
  }
  ui::Message last{};
};

}  // namespace

TEST(TerminalUi, WithoutATerminalTheDefaultAnswerIsGiven) {
  StdinFromPipe input("y\nc\n");  // input that is no terminal is not read
  ASSERT_FALSE(isatty(STDIN_FILENO));
  EXPECT_EQ(ui::messageBox("Replace it?", "Question", ui::Icon::Question, ui::Buttons::YesNo, ui::Answer::No),
            ui::Answer::No);
  EXPECT_EQ(ui::messageBox("Go on?", "Question", ui::Icon::Question, ui::Buttons::YesNoCancel, ui::Answer::Cancel),
            ui::Answer::Cancel);
  EXPECT_EQ(ui::messageBox("Go on?", "", ui::Icon::Warning, ui::Buttons::OkCancel, ui::Answer::Ok), ui::Answer::Ok);
  EXPECT_EQ(ui::messageBox("Error: ran out of memory!", "Memory Error", ui::Icon::Error), ui::Answer::Ok);
  char rest[8] = {};
  EXPECT_EQ(read(STDIN_FILENO, rest, sizeof rest), 4);  // all still there
}

TEST(TerminalUi, AnInstalledBackendTakesTheMessages) {
  Recorder recorder;
  EXPECT_EQ(ui::setBackend(&recorder), nullptr);
  int owner = 0;
  EXPECT_EQ(ui::messageBox("text", "title", ui::Icon::Information, ui::Buttons::YesNo, ui::Answer::Yes, &owner),
            ui::Answer::No);
  EXPECT_STREQ(recorder.last.text, "text");
  EXPECT_STREQ(recorder.last.title, "title");
  EXPECT_EQ(recorder.last.icon, ui::Icon::Information);
  EXPECT_EQ(recorder.last.buttons, ui::Buttons::YesNo);
  EXPECT_EQ(recorder.last.defaultAnswer, ui::Answer::Yes);
  EXPECT_EQ(recorder.last.owner, &owner);
  EXPECT_EQ(ui::setBackend(nullptr), &recorder);
  EXPECT_NE(ui::terminalBackend(), nullptr);
}
