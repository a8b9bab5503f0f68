// The threaded dialog: the caller's thread shows the dialog and answers the
// user while the work runs on a thread of its own.
//
// Adaptations: a program has no dialog template here. The instance argument
// carries the dialog's caption (a zero-terminated text; null takes the
// program's name), and the dialog is shown as a status view of the platform's
// user interface: its line holds the caption, " - Done!" is appended when the
// work ends without closing it, and its button is control 2 (Cancel, later
// "&Done"). Closing the dialog while the work still runs waits for the worker
// before TOLDialogInit returns, so the result handed back is always the
// worker's own and no thread outlives the call.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "platform/ui.h"
#include "util/status.h"

TOL_NS_BEGIN

namespace {

constexpr int32_t kCancelCommand = 2;

struct DialogState {
  std::unique_ptr<ui::StatusView> view;
  intptr_t owner = 0;
  void* userValue = nullptr;
  std::atomic<bool> autoClose{false};
  TOLDialogCommand command = nullptr;
  std::atomic<TOLDialogTimer> timer{nullptr};
  std::atomic<uint32_t> timerMs{0};
  std::atomic<int32_t> result{0};
  std::atomic<bool> finished{false};
  std::atomic<bool> finishedPosted{false};
  std::mutex captionLock;
  std::string caption;
};

DialogState g;

std::string programName() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "TOL";
  self[n] = 0;
  const char* slash = std::strrchr(self, '/');
  return slash ? slash + 1 : self;
}

ui::Answer boxOwnerless(const char* text, ui::Buttons buttons, ui::Answer defaultAnswer, ui::Icon icon) {
  void* owner = g.view ? static_cast<void*>(g.view.get()) : reinterpret_cast<void*>(g.owner);
  return ui::messageBox(text, dialogCaption().c_str(), icon, buttons, defaultAnswer, owner);
}

}  // namespace

std::string dialogCaption() {
  std::lock_guard<std::mutex> lock(g.captionLock);
  return g.caption;
}

int32_t TOLDialogInit(void* instance, intptr_t owner, void* userValue, int32_t showState, int32_t autoClose,
                      TOLDialogWorker worker, TOLDialogCommand command) {
  g.owner = owner;
  g.userValue = userValue;
  g.autoClose = autoClose != 0;
  g.command = command;
  g.result = 0;
  g.finished = false;
  g.finishedPosted = false;
  {
    std::lock_guard<std::mutex> lock(g.captionLock);
    g.caption = instance ? static_cast<const char*>(instance) : programName();
    if (g.caption.size() > 255) g.caption.resize(255);
  }
  g.view.reset(ui::createStatusView("", "", reinterpret_cast<void*>(owner)));
  if (!g.view) {
    TOLDialogMessage("Couldn't create window.", 0);
    return 0;
  }
  void* dialog = g.view.get();
  if (showState != 0) g.view->setText(dialogCaption().c_str());

  std::thread work([worker, dialog] {
    const int32_t r = worker ? worker(g.userValue, dialog) : 0;
    g.result = r;
    if (r != 0) {
      g.autoClose = true;
    } else {
      std::lock_guard<std::mutex> lock(g.captionLock);
      g.caption += " - Done!";
    }
    g.finishedPosted = true;
    g.finished = true;
  });

  auto nextTick = std::chrono::steady_clock::now();
  bool open = true;
  while (open) {
    const uint32_t ms = g.timerMs.load();
    const ui::StatusEvents e = g.view->poll(ms ? static_cast<int>(ms < 50 ? ms : 50) : 50);
    for (int i = 0; i < e.buttonPresses + e.closeRequests && open; ++i) {
      // Before the work ends, the button and closing ask the tool; afterwards they close.
      if (g.finished)
        open = false;
      else if (g.command && g.command(kCancelCommand, dialog) == 0)
        open = false;
    }
    if (TOLDialogTimer t = g.timer.load(); t && ms && std::chrono::steady_clock::now() >= nextTick) {
      nextTick = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
      t(dialog);
    }
    if (open && g.finishedPosted.exchange(false)) {
      if (g.autoClose) {
        open = false;
      } else {
        g.view->setText(dialogCaption().c_str());
        g.view->setButton("&Done");
      }
    }
  }
  work.join();
  g.view.reset();
  g.timer = nullptr;
  g.timerMs = 0;
  return g.result;
}

void TOLDialogSetTimer(TOLDialogTimer callback, uint32_t milliseconds) {
  g.timerMs = milliseconds;
  g.timer = callback;
}

int32_t TOLDialogAsk(const char* text, int32_t style) {
  const bool withCancel = style >= 32 && style <= 63;
  const int32_t which = style & 31;
  const ui::Answer defaults[3] = {ui::Answer::Yes, ui::Answer::No, ui::Answer::Cancel};
  ui::Answer defaultAnswer = which == 0 ? defaults[1] : which == 2 && withCancel ? defaults[2] : defaults[0];
  const ui::Answer a = boxOwnerless(text, withCancel ? ui::Buttons::YesNoCancel : ui::Buttons::YesNo, defaultAnswer,
                                    ui::Icon::Question);
  return a == ui::Answer::Yes ? 1 : a == ui::Answer::No ? 0 : 2;
}

int32_t TOLDialogMessage(const char* text, int32_t style) {
  const bool withCancel = style >= 32 && style <= 63;
  const ui::Answer defaultAnswer = withCancel && (style & 31) == 2 ? ui::Answer::Cancel : ui::Answer::Ok;
  const ui::Answer a = boxOwnerless(text, withCancel ? ui::Buttons::OkCancel : ui::Buttons::Ok, defaultAnswer,
                                    ui::Icon::Information);
  return a == ui::Answer::Ok ? 0 : 2;
}

TOL_NS_END
