#include "util/status.h"

#include <memory>

#include "platform/ui.h"
#include "util/copydata.h"

TOL_NS_BEGIN

namespace {

constexpr uint32_t kStatusCopyDataTag = 4660;

// One status window per module, driven by the thread that opened it.
struct StatusState {
  void* instance = nullptr;
  intptr_t owner = 0;
  bool closeAtOnce = false;
  std::unique_ptr<ui::StatusView> view;
  bool cancelled = false;
  uint8_t presses = 0;
  StatusCancelCallback onCancel = nullptr;
  std::string title, note, text;
};

StatusState g;

void destroyWindow() { g.view.reset(); }

// Answers what the window was told since the last look: the button asks
// whether to cancel; closing the window also takes it away once cancelled.
void handle(const ui::StatusEvents& e) {
  for (int i = 0; i < e.buttonPresses && g.view; ++i) StatusDoCancel();
  for (int i = 0; i < e.closeRequests && g.view; ++i)
    if (StatusDoCancel()) destroyWindow();
}

}  // namespace

std::string statusClassName(uintptr_t instance) {
  std::string name = "TOLSTATUS";
  for (int shift = 12; shift >= 0; shift -= 4) name += static_cast<char>('A' + ((instance >> shift) & 15));
  return name;
}

std::string statusText() { return g.view ? g.text : std::string(); }

void* StatusInit(void* instance, intptr_t owner, int32_t closeAtOnce) {
  g.instance = instance;
  g.owner = owner;
  g.closeAtOnce = closeAtOnce != 0;
  return instance;
}

int32_t StatusOpen(const char* title, const char* note, StatusCancelCallback onCancel) {
  g.onCancel = onCancel;
  g.note = note ? note : "";
  g.title = title ? title : "";
  g.cancelled = false;
  g.presses = 0;
  g.view.reset(ui::createStatusView(g.title.c_str(), g.note.c_str(), reinterpret_cast<void*>(g.owner)));
  if (!g.view) return 0;
  g.text = "Loading...";
  g.view->poll(0);
  return 1;
}

int32_t StatusSet(const char* text) {
  if (!g.view) return 0;
  g.text = text ? text : "";
  g.view->setText(g.text.c_str());
  return 1;
}

void* StatusCheck() {
  if (g.view) handle(g.view->poll(0));
  return g.view.get();
}

void* StatusMessage(const char* text, int32_t isError) {
  return StatusMessageTitle(text, g.view ? g.title.c_str() : "", isError);
}

void* StatusMessageTitle(const char* text, const char* caption, int32_t isError) {
  ui::messageBox(text, caption, isError ? ui::Icon::Error : ui::Icon::Information, ui::Buttons::Ok, ui::Answer::Ok,
                 StatusGetHWND());
  if (g.view && g.view->visible()) g.view->setText(g.text.c_str());
  return StatusCheck();
}

int32_t StatusAsk(const char* text, int32_t defaultNo) {
  const std::string question = text ? text : "";
  StatusSet(question.c_str());
  const ui::Answer a = ui::messageBox(question.c_str(), g.view ? g.title.c_str() : "", ui::Icon::Question,
                                      ui::Buttons::YesNo, defaultNo ? ui::Answer::No : ui::Answer::Yes, StatusGetHWND());
  const bool yes = a == ui::Answer::Yes;
  StatusSet((question + (yes ? " Yes." : " No.")).c_str());
  return yes ? 1 : 0;
}

int32_t StatusDoCancel() {
  ++g.presses;
  if (!g.cancelled) {
    // No is the default button; a run that nobody can ask was stopped on purpose.
    const ui::Answer a = ui::messageBox("Do you want to cancel?", g.view ? g.title.c_str() : "", ui::Icon::Question,
                                        ui::Buttons::YesNo, ui::Answer::No, StatusGetHWND(), ui::Answer::Yes);
    if (a == ui::Answer::Yes) {
      g.cancelled = true;
      if (g.onCancel) g.onCancel();
    }
  }
  return g.cancelled ? 1 : 0;
}

void* StatusGetHWND() {
  if (g.view && g.view->visible()) return g.view.get();
  return reinterpret_cast<void*>(g.owner);
}

void StatusClose(int32_t waitForUser) {
  bool ownerGone = false;
  if (g.view && g.owner > 0) {
    const std::string line = g.title + " - " + g.note + "\r\n  " + g.text;
    ownerGone = CopyData(g.owner, 0, kStatusCopyDataTag, static_cast<uint32_t>(line.size() + 1), line.c_str()) == 0;
  }
  // A launcher that no longer listens (closed, or an id a script made up)
  // leaves nobody who is sure to press "&Done".
  if (g.view && !g.closeAtOnce && waitForUser && !ownerGone && g.view->visible()) {
    g.cancelled = true;  // a press now means Done and asks nothing
    g.view->setButton("&Done");
    const uint8_t presses = g.presses;
    while (g.view && g.presses == presses) {
      const ui::StatusEvents e = g.view->poll(-1);
      g.presses = static_cast<uint8_t>(g.presses + e.buttonPresses + e.closeRequests);
    }
  }
  destroyWindow();
}

TOL_NS_END
