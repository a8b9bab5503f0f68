// Message boxes, questions and the status window of the tools. Two back
// ends: the terminal one built in here (text on stderr, questions on the
// terminal when stdin is one, the stated default otherwise, so a run without
// a user never blocks; the status window as one progress line), and a window
// back end: the Qt plug-in loaded on first need when a display is there
// (ui_window_plugin.h), or one that a program installs with setBackend.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN
namespace ui {

enum class Icon { None, Information, Warning, Error, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
// Values as the window system's message box returns them.
enum class Answer : int32_t { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct Message {
  const char* text;
  const char* title;
  Icon icon;
  Buttons buttons;
  Answer defaultAnswer;  // the default button; also the answer when nobody can be asked
  void* owner;           // owner window for window back ends, may be null
  // The answer when nobody can be asked, where it differs from the default
  // button (a Ctrl-C of a run without a terminal is a yes to cancelling).
  Answer unattendedAnswer;
};

// What happened to a status window since it was last looked at.
struct StatusEvents {
  int buttonPresses = 0;  // its button (Cancel, later Done) pressed; Ctrl-C on a terminal
  int closeRequests = 0;  // closed by the user or the session; SIGTERM or SIGHUP on a terminal
};

// A status window: a title, a large status line, a small note line and one
// button. Created hidden; the first setText shows it.
class StatusView {
 public:
  virtual ~StatusView() = default;
  virtual void setText(const char* text) = 0;
  virtual void setButton(const char* caption) = 0;
  // Collects the events since the last call; when there are none, waits for
  // one up to waitMs milliseconds (0: only looks, -1: without limit).
  virtual StatusEvents poll(int waitMs) = 0;
  virtual bool visible() const = 0;
  virtual bool minimised() const { return false; }
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual Answer messageBox(const Message& m) = 0;
  // A new status window; null when none can be made. The terminal back end's
  // when not overridden.
  virtual StatusView* createStatusView(const char* title, const char* note, void* owner);
};

// Shows the message and returns the answer. unattendedAnswer 0: the default.
Answer messageBox(const char* text, const char* title, Icon icon, Buttons buttons = Buttons::Ok,
                  Answer defaultAnswer = Answer::Ok, void* owner = nullptr, Answer unattendedAnswer = Answer(0));
// A status window of the installed back end (the caller deletes it).
StatusView* createStatusView(const char* title, const char* note, void* owner);
// The terminal's status line, also for a window back end that finds no display.
StatusView* createTerminalStatusView(const char* title, const char* note);

// The window back end of the plug-in at pluginPath; null when it cannot be
// loaded or finds no display.
Backend* loadWindowBackend(const char* pluginPath);
// The plug-in next to this library or the program, loaded when DISPLAY or
// WAYLAND_DISPLAY is set and TOL_UI is not "terminal"; null otherwise. Tried
// once, on the first message or status window, unless a back end was
// installed before.
Backend* findWindowBackend();

// Installs a back end (null restores the terminal one). Returns the old one.
Backend* setBackend(Backend* backend);
Backend* terminalBackend();

}  // namespace ui
TOL_NS_END
