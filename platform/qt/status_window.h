// The status window: a title, a large status line, a small note line and one
// button (Cancel, later Done) on light grey. Pressing the button or closing
// the window is only counted; the library decides what follows.
#pragma once

#include <QPushButton>
#include <QWidget>
#include <functional>

namespace tolui {

class StatusWindow final : public QWidget {
 public:
  StatusWindow(const QString& title, const QString& note);
  ~StatusWindow() override;
  void setStatusText(const QString& text);
  void setButtonCaption(const QString& caption);
  // The presses and close requests since the last call.
  void takeEvents(int* presses, int* closes);
  bool hasEvents() const { return presses_ + closes_ > 0; }
  // Called whenever a press or close request comes in.
  std::function<void()> onEvent;

 protected:
  void paintEvent(QPaintEvent*) override;
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void count(int& counter);
  QString status_, note_;
  QPushButton* button_;
  bool shown_ = false;
  int presses_ = 0, closes_ = 0;
};

}  // namespace tolui
