// The launcher's services on the desktop: Qt message boxes, detached
// processes and the desktop's document handler. Tests replace the
// process start, the message boxes and the document handler with hooks.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "core/services.h"

namespace tolvideo {

struct MessageRequest {
  std::string text, title;
  enum Kind { Error, Question, QuestionWithCancel, Information } kind;
};

class QtServices : public Services {
 public:
  explicit QtServices(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }

  void error(const std::string& text) override;
  void postError(const std::string& text) override;
  Answer ask(const std::string& text, const std::string& title, bool withCancel) override;
  void inform(const std::string& text, const std::string& title) override;
  bool start(const ToolCommand& command) override;
  bool openDocument(const std::string& target) override;
  bool commandKeysHeld() override;

  // Test hooks: when set they replace the real thing.
  static std::function<bool(const ToolCommand&)> startHook;
  static std::function<Answer(const MessageRequest&)> messageHook;
  static std::function<bool(const std::string&)> documentHook;

 private:
  Answer show(const MessageRequest& m);
  QWidget* owner_;
};

// The arguments of a command line after its program: blanks separate them;
// an argument in double quotes loses its quotes, a switch keeps any quoted
// value as written (/@"*name").
std::vector<std::string> splitArguments(const std::string& text);

}  // namespace tolvideo
