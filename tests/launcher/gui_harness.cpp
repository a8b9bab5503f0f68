#include "gui_harness.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>
#include <cstdlib>
#include <memory>

// Memory that system libraries under the window tests keep until exit.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\nleak:libfontconfig.so\n"; }

namespace tolvideo {
namespace {

// The application for the whole test program, made when the tests run (not
// when they are only listed).
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "test_launcher_gui";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

Recorder::Recorder() {
  QtServices::startHook = [this](const ToolCommand& c) {
    started.push_back(c);
    return true;
  };
  QtServices::messageHook = [this](const MessageRequest& m) {
    messages.push_back(m);
    if (answers.empty()) return Answer::Yes;
    Answer a = answers.front();
    answers.pop_front();
    return a;
  };
  QtServices::documentHook = [this](const std::string& d) {
    documents.push_back(d);
    return true;
  };
  pickerHook = [this](const PickerRequest& r) {
    pickerRequests.push_back(r);
    if (picks.empty()) return std::string();
    std::string p = picks.front();
    picks.pop_front();
    return p;
  };
}

Recorder::~Recorder() {
  QtServices::startHook = nullptr;
  QtServices::messageHook = nullptr;
  QtServices::documentHook = nullptr;
  pickerHook = nullptr;
}

std::vector<std::string> Recorder::lines() const {
  std::vector<std::string> out;
  for (const auto& c : started) out.push_back(c.commandLine);
  return out;
}

void onNextModal(std::function<void(QDialog*)> fn) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QWidget* before = QApplication::activeModalWidget();
  auto tries = std::make_shared<int>(500);
  QObject::connect(timer, &QTimer::timeout, [timer, fn, before, tries] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (--*tries < 0) {
      ADD_FAILURE() << "no dialog opened";
      timer->deleteLater();
      timer->stop();
      return;
    }
    if (!dialog || dialog == before || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    fn(dialog);
    if (dialog->isVisible()) dialog->done(QDialog::Rejected);
  });
  timer->start();
}

void highlight(QWidget* fileDialog, const QString& text) {
  for (auto* view : fileDialog->findChildren<QAbstractItemView*>())
    if (view->selectionModel()) view->selectionModel()->clearSelection();
  auto* edit = fileDialog->findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(edit, nullptr);
  edit->setText(text);
}

void click(QWidget* parent, const QString& name, Qt::KeyboardModifiers modifiers) {
  auto* b = parent->findChild<QAbstractButton*>(name);
  ASSERT_NE(b, nullptr) << name.toStdString();
  QTest::mouseClick(b, Qt::LeftButton, modifiers);
}

}  // namespace tolvideo
