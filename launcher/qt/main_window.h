// The main window: a file browser (the desktop's file dialog widget, kept
// open) with the launcher's tool buttons below the file list. "&Play"
// (or a double click) plays the highlighted files instead of closing.
#pragma once

#include <QFileDialog>
#include <QSocketNotifier>
#include <memory>

#include "core/launcher.h"
#include "qt/qt_services.h"
#include "tol/tolutil.h"

namespace tolvideo {

class MainWindow : public QFileDialog, public DialogOpener {
 public:
  explicit MainWindow(LauncherState& state);
  ~MainWindow() override;

  // The text of the file-name box: one name bare, several each in quotes.
  std::string selection() const;
  Launcher& launcher() { return launcher_; }
  QtServices& services() { return services_; }

  // DialogOpener
  void listEditor(const std::string& text) override;
  void player(bool zurn, const std::string& files) override;
  void compressor(const std::string& input) override;
  void mixer(bool zurn, const std::string& video, const std::string& sound) override;
  void converter(const std::string& input) override;

  // The window placement into the settings.
  void storePlacement();
  // "&Play" or a double click: plays the highlighted files, or enters a folder.
  void accept() override;
  // The last status line a tool's window reported (tag 4660); kept, never acted on.
  const std::string& lastToolReport() const { return lastToolReport_; }

 protected:
  void done(int result) override;
  void showEvent(QShowEvent* e) override;

 private:
  void addToolButtons();
  void folderChanged(const QString& folder);
  void listenForTools();

  LauncherState& state_;
  QtServices services_;
  Launcher launcher_;
  bool shownOnce_ = false;
  TOLCopyDataReceiver* receiver_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::string lastToolReport_;
};

}  // namespace tolvideo
