// Message boxes and questions for the user. Two back ends: the terminal one
// built in here (text on stderr, questions on the terminal when stdin is one,
// the stated default otherwise, so a run without a user never blocks), and a
// window back end that a program with a display installs with setBackend.
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
  Answer defaultAnswer;  // the answer given when nobody can be asked
  void* owner;           // owner window for window back ends, may be null
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual Answer messageBox(const Message& m) = 0;
};

// Shows the message and returns the answer.
Answer messageBox(const char* text, const char* title, Icon icon, Buttons buttons = Buttons::Ok,
                  Answer defaultAnswer = Answer::Ok, void* owner = nullptr);

// Installs a back end (null restores the terminal one). Returns the old one.
Backend* setBackend(Backend* backend);
Backend* terminalBackend();

}  // namespace ui
TOL_NS_END
