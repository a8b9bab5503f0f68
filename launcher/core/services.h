// What the launcher's logic needs from its surroundings: message boxes,
// questions, starting programs and opening documents. The window front end
// implements it with real boxes and processes; tests record instead.
#pragma once

#include <string>

namespace tolvideo {

// A tool start: the program file and the whole command line as the
// launcher writes it (the program's path first, then its arguments).
struct ToolCommand {
  std::string program;
  std::string commandLine;
  std::string errorText;     // posted when the start is refused
  std::string commandTitle;  // title of the box that shows the command instead ("Zurn Command:")
  std::string workingFolder; // empty: the launcher's current folder
};

enum class Answer { Yes, No, Cancel };

class Services {
 public:
  virtual ~Services() = default;
  // "Error" box with the error icon, shown now.
  virtual void error(const std::string& text) = 0;
  // The show-error message: the same box, shown once the current action is over.
  virtual void postError(const std::string& text) = 0;
  // Question box; withCancel adds the Cancel button.
  virtual Answer ask(const std::string& text, const std::string& title, bool withCancel = false) = 0;
  // Box with the information icon.
  virtual void inform(const std::string& text, const std::string& title) = 0;
  // Starts the program without waiting; false when it could not be started.
  virtual bool start(const ToolCommand& command) = 0;
  // Opens a document or web page with the desktop's handler.
  virtual bool openDocument(const std::string& target) = 0;
  // Shift or Control held down.
  virtual bool commandKeysHeld() = 0;
};

}  // namespace tolvideo
