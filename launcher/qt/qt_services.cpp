#include "qt/qt_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include "platform/os.h"

namespace tolvideo {

std::function<bool(const ToolCommand&)> QtServices::startHook;
std::function<Answer(const MessageRequest&)> QtServices::messageHook;
std::function<bool(const std::string&)> QtServices::documentHook;

Answer QtServices::show(const MessageRequest& m) {
  if (messageHook) return messageHook(m);
  QMessageBox box(owner_);
  box.setWindowTitle(QString::fromStdString(m.title));
  box.setText(QString::fromStdString(m.text));
  switch (m.kind) {
    case MessageRequest::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageRequest::Information: box.setIcon(QMessageBox::Information); break;
    case MessageRequest::Question:
      box.setIcon(QMessageBox::Question);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case MessageRequest::QuestionWithCancel:
      box.setIcon(QMessageBox::Question);
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  const int r = box.exec();
  return r == QMessageBox::Yes ? Answer::Yes : r == QMessageBox::No ? Answer::No : Answer::Cancel;
}

void QtServices::error(const std::string& text) { show({text, "Error", MessageRequest::Error}); }

void QtServices::postError(const std::string& text) {
  QTimer::singleShot(0, qApp, [this, text] { error(text); });
}

Answer QtServices::ask(const std::string& text, const std::string& title, bool withCancel) {
  return show({text, title, withCancel ? MessageRequest::QuestionWithCancel : MessageRequest::Question});
}

void QtServices::inform(const std::string& text, const std::string& title) {
  show({text, title, MessageRequest::Information});
}

bool QtServices::start(const ToolCommand& command) {
  if (!command.workingFolder.empty()) QDir::setCurrent(QString::fromStdString(command.workingFolder));
  if (startHook) return startHook(command);
  const std::string rest = command.commandLine.substr(std::min(command.program.size(), command.commandLine.size()));
  std::vector<std::string> args = splitArguments(rest);
  args.insert(args.begin(), command.program);
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  return tol::os::startProgram(argv.data());
}

bool QtServices::openDocument(const std::string& target) {
  if (documentHook) return documentHook(target);
  const QString t = QString::fromStdString(target);
  const QUrl url = t.contains("://") ? QUrl(t) : QUrl::fromLocalFile(QFileInfo(t).absoluteFilePath());
  return QDesktopServices::openUrl(url);
}

bool QtServices::commandKeysHeld() {
  return QApplication::keyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
}

std::vector<std::string> splitArguments(const std::string& text) {
  std::vector<std::string> args;
  size_t i = 0;
  auto blank = [](char c) { return static_cast<signed char>(c) <= 32; };
  while (i < text.size()) {
    while (i < text.size() && blank(text[i])) ++i;
    if (i >= text.size()) break;
    const bool isSwitch = text[i] == '/';
    std::string arg;
    bool quoted = false;
    for (; i < text.size() && (quoted || !blank(text[i])); ++i) {
      if (text[i] == '"') {
        quoted = !quoted;
        if (!isSwitch) continue;
      }
      arg += text[i];
    }
    if (!arg.empty() || !isSwitch) args.push_back(arg);
  }
  return args;
}

}  // namespace tolvideo
