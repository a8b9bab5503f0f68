// The status window and message boxes of the window back end, driven the way
// a user would: the button pressed, the window closed, the default button of
// a box clicked. With TOL_SCREENSHOT_DIR set, the status window is saved as
// status_window.png there.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/ui.h"

namespace ui = tol::ui;

namespace {

// Memory that system libraries under the window keep until exit (the
// application object lives as long as the process, as in a tool).
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\nleak:libfontconfig.so\n";
}

ui::Backend* windowBackend() {
  // The back end makes the application object on first need, as in a tool.
  // Without a display, or when the virtual one does not answer (another
  // program's server took its number), Qt's offscreen platform stands in.
  static ui::Backend* backend = [] {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (ui::Backend* b = ui::loadWindowBackend(TOL_UI_PLUGIN_PATH)) return b;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return ui::loadWindowBackend(TOL_UI_PLUGIN_PATH);
  }();
  return backend;
}

QWidget* windowTitled(const QString& title) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->windowTitle() == title && !qobject_cast<QMessageBox*>(w)) return w;
  return nullptr;
}

TEST(WindowUi, StatusWindowShowsTextsAndReportsTheUser) {
  ui::Backend* backend = windowBackend();
  ASSERT_NE(backend, nullptr);
  std::unique_ptr<ui::StatusView> view(backend->createStatusView("Zurn", "clip.avi to clip.zrn", nullptr));
  ASSERT_NE(view, nullptr);
  QWidget* window = windowTitled("Zurn");
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(view->visible()) << "created hidden";
  view->setText("Frame 3 of 10 (30%)");
  EXPECT_TRUE(view->visible());
  EXPECT_FALSE(view->minimised());
  EXPECT_EQ(window->accessibleName(), "Frame 3 of 10 (30%)");
  EXPECT_EQ(window->accessibleDescription(), "clip.avi to clip.zrn");
  ui::StatusEvents e = view->poll(0);
  EXPECT_EQ(e.buttonPresses + e.closeRequests, 0);

  auto* button = window->findChild<QPushButton*>();
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), "&Cancel");
  EXPECT_TRUE(button->isDefault());
  button->click();
  e = view->poll(0);
  EXPECT_EQ(e.buttonPresses, 1);
  EXPECT_EQ(e.closeRequests, 0);

  window->close();  // only reported: the library decides
  e = view->poll(0);
  EXPECT_EQ(e.closeRequests, 1);
  EXPECT_TRUE(view->visible());

  if (const char* out = std::getenv("TOL_SCREENSHOT_DIR"); out && *out) {
    QTimer::singleShot(300, window, [] {});
    view->poll(400);
    EXPECT_TRUE(window->grab().save(QString("%1/status_window.png").arg(out)));
  }

  // Waiting for the user: the press after the wait began ends it.
  view->setButton("&Done");
  EXPECT_EQ(button->text(), "&Done");
  QTimer::singleShot(50, button, [button] { button->click(); });
  e = view->poll(-1);
  EXPECT_EQ(e.buttonPresses, 1);
  e = view->poll(30);  // nothing happens: the wait ends by itself
  EXPECT_EQ(e.buttonPresses + e.closeRequests, 0);

  view.reset();
  EXPECT_EQ(windowTitled("Zurn"), nullptr);
}

struct BoxCase {
  ui::Icon icon;
  ui::Buttons buttons;
  ui::Answer defaultAnswer;
  QMessageBox::Icon shownIcon;
  int buttonCount;
};

TEST(WindowUi, MessageBoxesAnswerWithTheirDefaultButton) {
  ui::Backend* backend = windowBackend();
  ASSERT_NE(backend, nullptr);
  std::unique_ptr<ui::StatusView> owner(backend->createStatusView("Owner", "", nullptr));
  ASSERT_NE(owner, nullptr);
  owner->setText("Working");
  const BoxCase cases[] = {
      {ui::Icon::Information, ui::Buttons::Ok, ui::Answer::Ok, QMessageBox::Information, 1},
      {ui::Icon::Error, ui::Buttons::OkCancel, ui::Answer::Cancel, QMessageBox::Critical, 2},
      {ui::Icon::Question, ui::Buttons::YesNo, ui::Answer::No, QMessageBox::Question, 2},
      {ui::Icon::Question, ui::Buttons::YesNo, ui::Answer::Yes, QMessageBox::Question, 2},
      {ui::Icon::Warning, ui::Buttons::YesNoCancel, ui::Answer::Cancel, QMessageBox::Warning, 3},
  };
  for (const BoxCase& c : cases) {
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QWidget* parent = nullptr;
    QTimer::singleShot(100, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->defaultButton()) return;
      title = box->windowTitle();
      icon = box->icon();
      buttons = static_cast<int>(box->buttons().size());
      parent = box->parentWidget();
      box->defaultButton()->click();
    });
    const ui::Answer a =
        backend->messageBox({"Overwrite?", "Zurn", c.icon, c.buttons, c.defaultAnswer, owner.get(), ui::Answer(0)});
    SCOPED_TRACE(static_cast<int>(c.defaultAnswer));
    EXPECT_EQ(a, c.defaultAnswer);
    EXPECT_EQ(title, "Zurn");
    EXPECT_EQ(icon, c.shownIcon);
    EXPECT_EQ(buttons, c.buttonCount);
    EXPECT_EQ(parent, windowTitled("Owner")) << "owned by the status window";
  }
}

}  // namespace
