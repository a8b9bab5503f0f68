// The plug-in's entry: message boxes and status windows of Qt Widgets behind
// the C table of ui_window_plugin.h. Everything runs on the thread of the
// application object (the launcher's, or one made here on first need); calls
// from any other thread are declined so that the library uses the terminal.
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <cstdlib>
#include <cstring>
#ifdef TOL_HAVE_XCB
#include <xcb/xcb.h>
#endif

#include "platform/ui_window_plugin.h"
#include "status_window.h"

namespace tolui {
namespace {

QApplication* application() {
  QCoreApplication* existing = QCoreApplication::instance();
  if (!existing) {
    static int argc = 1;
    static char name[] = "tolvideo";
    static char* argv[] = {name, nullptr};
    existing = new QApplication(argc, argv);  // lives as long as the process
  }
  auto* app = qobject_cast<QApplication*>(existing);
  return app && app->thread() == QThread::currentThread() ? app : nullptr;
}

StatusWindow* windowOf(void* view) { return static_cast<StatusWindow*>(view); }

int messageBox(const char* text, const char* title, int icon, int buttons, int defaultAnswer, void* ownerView) {
  if (!application()) return 0;
  static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information, QMessageBox::Warning,
                                            QMessageBox::Critical, QMessageBox::Question};
  static const QMessageBox::StandardButtons sets[] = {
      QMessageBox::Ok, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Yes | QMessageBox::No,
      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel};
  if (icon < 0 || icon > 4 || buttons < 0 || buttons > 3) return 0;
  QMessageBox box(icons[icon], QString::fromUtf8(title), QString::fromUtf8(text), sets[buttons],
                  ownerView ? windowOf(ownerView) : nullptr);
  const QMessageBox::StandardButton wanted = defaultAnswer == 2   ? QMessageBox::Cancel
                                             : defaultAnswer == 6 ? QMessageBox::Yes
                                             : defaultAnswer == 7 ? QMessageBox::No
                                                                  : QMessageBox::Ok;
  if (sets[buttons] & wanted) box.setDefaultButton(wanted);
  box.exec();
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok: return 1;
    case QMessageBox::Yes: return 6;
    case QMessageBox::No: return 7;
    default: return 2;  // Cancel, or the box closed without a choice
  }
}

void* statusCreate(const char* title, const char* note) {
  if (!application()) return nullptr;
  return new StatusWindow(QString::fromUtf8(title), QString::fromUtf8(note));
}

void statusDestroy(void* view) { delete windowOf(view); }
void statusSetText(void* view, const char* text) { windowOf(view)->setStatusText(QString::fromUtf8(text)); }
void statusSetButton(void* view, const char* caption) { windowOf(view)->setButtonCaption(QString::fromUtf8(caption)); }

void statusPoll(void* view, int waitMs, int* presses, int* closes) {
  StatusWindow* w = windowOf(view);
  QCoreApplication::processEvents();
  if (!w->hasEvents() && waitMs != 0) {
    QEventLoop loop;
    w->onEvent = [&loop] { loop.quit(); };
    if (waitMs > 0) QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    loop.exec();
    w->onEvent = nullptr;
  }
  w->takeEvents(presses, closes);
}

int statusVisible(void* view) { return windowOf(view)->isVisible() ? 1 : 0; }
int statusMinimised(void* view) { return windowOf(view)->isMinimized() ? 1 : 0; }

const TolUiPlugin kTable = {TOL_UI_PLUGIN_VERSION, messageBox,    statusCreate, statusDestroy, statusSetText,
                            statusSetButton,       statusPoll,    statusVisible, statusMinimised};

// The toolkit ends the program when it cannot reach the X display, which a
// stale DISPLAY (an old remote session) would cause; such a display is tried
// here first so that the library keeps the terminal instead.
bool displayReachable() {
#ifdef TOL_HAVE_XCB
  if (QCoreApplication::instance()) return true;
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool x11 = platform && *platform ? std::strncmp(platform, "xcb", 3) == 0 : !(wayland && *wayland);
  if (!x11) return true;
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  const bool ok = xcb_connection_has_error(c) == 0;
  xcb_disconnect(c);
  return ok;
#else
  return true;
#endif
}

}  // namespace
}  // namespace tolui

extern "C" __attribute__((visibility("default"))) const TolUiPlugin* tolUiPluginOpen(void) {
  return tolui::displayReachable() ? &tolui::kTable : nullptr;
}
