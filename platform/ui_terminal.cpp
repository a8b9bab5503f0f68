#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <unistd.h>

#include "platform/ui.h"

TOL_NS_BEGIN
namespace ui {
namespace {

const char* answerWord(Answer a) {
  switch (a) {
    case Answer::Yes: return "yes";
    case Answer::No: return "no";
    case Answer::Cancel: return "cancel";
    default: return "ok";
  }
}

class TerminalBackend final : public Backend {
 public:
  Answer messageBox(const Message& m) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const char* kind = m.icon == Icon::Error ? "error" : m.icon == Icon::Warning ? "warning" : nullptr;
    std::fprintf(stderr, "\n%s%s%s%s\n", m.title && *m.title ? m.title : "", m.title && *m.title ? ": " : "",
                 kind ? kind : "", kind ? ": " : "");
    std::fprintf(stderr, "%s\n", m.text ? m.text : "");
    if (m.buttons == Buttons::Ok) return Answer::Ok;
    if (!isatty(STDIN_FILENO)) {
      const Answer a = m.unattendedAnswer != Answer(0) ? m.unattendedAnswer : m.defaultAnswer;
      std::fprintf(stderr, "(no terminal to ask: answering %s)\n", answerWord(a));
      return a;
    }
    const char* prompt = m.buttons == Buttons::OkCancel  ? "[o]k / [c]ancel"
                         : m.buttons == Buttons::YesNo   ? "[y]es / [n]o"
                                                         : "[y]es / [n]o / [c]ancel";
    for (;;) {
      std::fprintf(stderr, "%s (default %s)? ", prompt, answerWord(m.defaultAnswer));
      std::fflush(stderr);
      char line[64];
      if (!std::fgets(line, sizeof line, stdin)) return m.defaultAnswer;
      // Drop the rest of a long line so that it is not taken as more answers.
      if (!std::strchr(line, '\n'))
        for (int c = std::getchar(); c != '\n' && c != EOF; c = std::getchar()) {
        }
      char c = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
      if (c == '\n' || c == '\r' || c == 0) return m.defaultAnswer;
      bool hasCancel = m.buttons != Buttons::YesNo;
      bool yesNo = m.buttons != Buttons::OkCancel;
      if (yesNo && c == 'y') return Answer::Yes;
      if (yesNo && c == 'n') return Answer::No;
      if (!yesNo && c == 'o') return Answer::Ok;
      if (hasCancel && c == 'c') return Answer::Cancel;
    }
  }

 private:
  std::mutex mutex_;
};

TerminalBackend g_terminal;
std::atomic<Backend*> g_backend{nullptr};
std::once_flag g_windowSearch;

// The installed back end; on the first need without one, the window back end
// when a display is there.
Backend* current() {
  std::call_once(g_windowSearch, [] {
    if (g_backend.load()) return;
    Backend* none = nullptr;
    if (Backend* w = findWindowBackend()) g_backend.compare_exchange_strong(none, w);
  });
  Backend* b = g_backend.load();
  return b ? b : &g_terminal;
}

}  // namespace

Backend* terminalBackend() { return &g_terminal; }

Backend* setBackend(Backend* backend) { return g_backend.exchange(backend); }

Answer messageBox(const char* text, const char* title, Icon icon, Buttons buttons, Answer defaultAnswer, void* owner,
                  Answer unattendedAnswer) {
  Message m{text, title, icon, buttons, defaultAnswer, owner, unattendedAnswer};
  return current()->messageBox(m);
}

StatusView* Backend::createStatusView(const char* title, const char* note, void*) {
  return createTerminalStatusView(title, note);
}

StatusView* createStatusView(const char* title, const char* note, void* owner) {
  return current()->createStatusView(title, note, owner);
}

}  // namespace ui
TOL_NS_END
