#include "status_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace tolui {
namespace {

// With TOL_UI_TRACE naming a file, each status window appends what it shows
// to it, a line per change: "<process id> <event> <text>", the events being
// "shown", "text", "button" and "gone". Tests follow a tool's window from
// outside its process this way; nothing else reads it.
void trace(const char* event, const QString& text = QString()) {
  const char* file = std::getenv("TOL_UI_TRACE");
  if (!file || !*file) return;
  if (FILE* f = std::fopen(file, "a")) {
    std::fprintf(f, "%ld %s %s\n", static_cast<long>(::getpid()), event, text.toUtf8().constData());
    std::fclose(f);
  }
}

}  // namespace

StatusWindow::StatusWindow(const QString& title, const QString& note)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      status_("Loading..."),
      note_(note),
      button_(new QPushButton("&Cancel", this)) {
  setWindowTitle(title);
  setAccessibleName(status_);
  setAccessibleDescription(note_);
  // 32 caption buttons wide, 7 captions high, centred on the screen.
  const int caption = std::max(style()->pixelMetric(QStyle::PM_TitleBarHeight), 18);
  const int captionButton = std::max(style()->pixelMetric(QStyle::PM_TitleBarButtonSize), 16);
  setFixedSize(32 * captionButton, 7 * caption);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
  setAttribute(Qt::WA_OpaquePaintEvent);  // the painting covers everything
  button_->setDefault(true);
  button_->setAutoDefault(true);
  setFocusProxy(button_);  // focus always goes to the button
  connect(button_, &QPushButton::clicked, this, [this] { count(presses_); });
}

StatusWindow::~StatusWindow() {
  if (shown_) trace("gone");
}

void StatusWindow::setStatusText(const QString& text) {
  status_ = text;
  setAccessibleName(text);
  if (!shown_ && !isMinimized()) {
    shown_ = true;
    showNormal();
    raise();
    activateWindow();
    button_->setFocus();
    trace("shown", windowTitle());
  }
  trace("text", text);
  update();
}

void StatusWindow::setButtonCaption(const QString& caption) {
  button_->setText(caption);
  trace("button", caption);
}

void StatusWindow::takeEvents(int* presses, int* closes) {
  *presses += presses_;
  *closes += closes_;
  presses_ = closes_ = 0;
}

void StatusWindow::count(int& counter) {
  ++counter;
  if (onEvent) onEvent();
}

void StatusWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(192, 192, 192));
  p.setPen(Qt::black);
  // Both lines are centred on their base line.
  auto line = [&](const QString& text, int baseline) {
    const int w = p.fontMetrics().horizontalAdvance(text);
    p.drawText(width() / 2 - w / 2, baseline, text);
  };
  QFont large = font();
  large.setPointSizeF(large.pointSizeF() * 1.5);
  p.setFont(large);
  line(status_, height() * 8 / 27);
  QFont small = font();
  small.setWeight(QFont::Normal);
  p.setFont(small);
  line(note_, height() * 11 / 12);
}

void StatusWindow::closeEvent(QCloseEvent* e) {
  e->ignore();  // the library asks whether to cancel and takes the window away
  count(closes_);
}

void StatusWindow::resizeEvent(QResizeEvent*) {
  button_->setGeometry(width() * 7 / 16, height() * 8 / 21, width() / 8, height() / 5);
}

}  // namespace tolui
