// The status window on a terminal: one progress line on stderr, rewritten in
// place when stderr is a terminal (else one line per second at most, and the
// last one), with the time since the window was shown and, when the status
// text says how far the work is ("frame 10 of 250", "(40%)"), an estimate of
// the time left. Ctrl-C stands for the Cancel button, SIGTERM and SIGHUP for
// closing the window. The Done button needs no press here: the last line
// stays on the terminal, so the view answers the wait for it at once.
#include <atomic>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

#include "platform/ui.h"

TOL_NS_BEGIN
namespace ui {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> g_interrupts{0};
std::atomic<int> g_terminations{0};
std::atomic<int> g_interruptsSeen{0};

void onInterrupt(int) {
  // A user who presses Ctrl-C three times while the program does not look
  // gets the plain interrupt.
  if (g_interrupts.fetch_add(1) + 1 - g_interruptsSeen.load() >= 3) {
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
  }
}
void onTermination(int) { g_terminations.fetch_add(1); }

// Reads "n%" or else "a of b" (the last one in the text, digits with
// thousands commas) as a fraction done; -1 when the text says neither.
double fractionDone(const std::string& text) {
  // A percentage says it most directly ("frame 48 of 48 read, 41 compressed (85%)").
  const size_t percent = text.rfind('%');
  if (percent != std::string::npos && percent > 0) {
    size_t a = percent;
    while (a > 0 && std::isdigit(static_cast<unsigned char>(text[a - 1]))) --a;
    if (a < percent) return std::atof(text.c_str() + a) / 100.0;
  }
  auto number = [&](size_t& i, double& v) {
    size_t start = i;
    v = 0;
    while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || (text[i] == ',' && i > start)))
      if (text[i++] != ',') v = v * 10 + (text[i - 1] - '0');
    return i > start;
  };
  double result = -1;
  for (size_t pos = 0; (pos = text.find(" of ", pos)) != std::string::npos; pos += 4) {
    size_t a = pos;
    while (a > 0 && (std::isdigit(static_cast<unsigned char>(text[a - 1])) || text[a - 1] == ',')) --a;
    size_t b = pos + 4;
    double done = 0, total = 0;
    size_t i = a;
    if (a < pos && number(i, done) && number(b, total) && total > 0) result = done / total;
  }
  return result > 1 ? 1 : result;
}

std::string clockText(double seconds) {
  const long s = static_cast<long>(seconds + 0.5);
  char buf[32];
  if (s >= 3600)
    std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
  return buf;
}

class TerminalStatusView final : public StatusView {
 public:
  TerminalStatusView(const char* title, const char* note)
      : title_(title ? title : ""), note_(note ? note : ""), tty_(isatty(STDERR_FILENO) != 0) {
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigaction(SIGINT, &sa, &oldInt_);
    sa.sa_handler = onTermination;
    sigaction(SIGTERM, &sa, &oldTerm_);
    sigaction(SIGHUP, &sa, &oldHup_);
    seenInt_ = g_interrupts.load();
    seenTerm_ = g_terminations.load();
    g_interruptsSeen = seenInt_;
  }
  ~TerminalStatusView() override {
    if (shown_) {
      if (printed_ != text_) draw();  // the last line always shows
      if (tty_) std::fputc('\n', stderr);
      std::fflush(stderr);
    }
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
    sigaction(SIGHUP, &oldHup_, nullptr);
  }

  void setText(const char* text) override {
    text_ = text ? text : "";
    const Clock::time_point now = Clock::now();
    if (!shown_) {
      shown_ = true;
      start_ = now;
      if (!title_.empty())
        std::fprintf(stderr, "%s%s%s\n", title_.c_str(), note_.empty() ? "" : " - ", note_.c_str());
    }
    const bool due = now - lastDraw_ >= (tty_ ? std::chrono::milliseconds(100) : std::chrono::milliseconds(1000));
    if (!due) return;
    lastDraw_ = now;
    draw();
  }

  void setButton(const char* caption) override { done_ = caption && std::strcmp(caption, "&Done") == 0; }

  StatusEvents poll(int waitMs) override {
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(waitMs < 0 ? 0 : waitMs);
    for (;;) {
      StatusEvents e;
      const int ints = g_interrupts.load(), terms = g_terminations.load();
      e.buttonPresses = ints - seenInt_;
      e.closeRequests = terms - seenTerm_;
      seenInt_ = ints;
      seenTerm_ = terms;
      g_interruptsSeen = ints;
      if (e.buttonPresses || e.closeRequests) {
        if (tty_ && shown_) std::fputc('\n', stderr);  // a question may follow on its own line
        return e;
      }
      if (done_ && waitMs != 0) {
        e.buttonPresses = 1;  // the last line stays in view: nothing to wait for
        return e;
      }
      if (waitMs == 0 || (waitMs > 0 && Clock::now() >= until)) return e;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  bool visible() const override { return shown_; }

 private:
  std::string line() const {
    std::string s = text_;
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    const double f = fractionDone(text_);
    s += "  [" + clockText(elapsed);
    if (f > 0.01 && f < 1 && elapsed >= 2) s += ", about " + clockText(elapsed * (1 - f) / f) + " left";
    s += "]";
    return s;
  }
  void draw() {
    std::string s = line();
    if (tty_) {
      winsize ws{};
      if (ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 1 && s.size() >= ws.ws_col)
        s.resize(ws.ws_col - 1);
      std::fprintf(stderr, "\r\033[K%s", s.c_str());
    } else {
      std::fprintf(stderr, "%s\n", s.c_str());
    }
    printed_ = text_;
    std::fflush(stderr);
  }

  std::string title_, note_, text_, printed_;
  bool tty_;
  bool shown_ = false;
  bool done_ = false;
  Clock::time_point start_{}, lastDraw_{};
  int seenInt_ = 0, seenTerm_ = 0;
  struct sigaction oldInt_ {}, oldTerm_ {}, oldHup_ {};
};

}  // namespace

StatusView* createTerminalStatusView(const char* title, const char* note) {
  return new TerminalStatusView(title, note);
}

}  // namespace ui
TOL_NS_END
