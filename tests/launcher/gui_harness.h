// Drives the launcher's windows in tests: a Qt application on the display
// there is (Qt's offscreen platform without one), the hooks that record tool
// starts, messages, documents and pickers, and a way to act on a modal
// dialog while the action that opened it waits.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "qt/pickers.h"
#include "qt/qt_services.h"

namespace tolvideo {

class Recorder {
 public:
  Recorder();
  ~Recorder();
  std::vector<ToolCommand> started;
  std::vector<MessageRequest> messages;
  std::deque<Answer> answers;  // Yes once used up
  std::vector<std::string> documents;
  std::deque<std::string> picks;
  std::vector<PickerRequest> pickerRequests;
  std::vector<std::string> lines() const;
};

// Runs fn on the next modal dialog that opens (within a few seconds) and
// closes that dialog afterwards if fn left it open.
void onNextModal(std::function<void(QDialog*)> fn);

// Highlights files as the main window's file-name box shows them: the
// view's selection cleared, the box's text set.
void highlight(QWidget* fileDialog, const QString& text);

// Clicks a control of a dialog by its id or object name.
void click(QWidget* parent, const QString& name, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

}  // namespace tolvideo
