// What the launcher's option dialogs share: modal, owned by the main window,
// a switch string they are filled from and turn the controls back into, and
// the common buttons (OK, "&Cancel", "&Defaults", "&Help", "Ho&w do I?").
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QVBoxLayout>
#include <string>

#include "core/launcher.h"
#include "qt/widgets.h"

namespace tolvideo {

class ToolDialog : public QDialog {
 public:
  ToolDialog(QWidget* owner, Launcher& launcher, std::string& switches, const std::string& title,
             const char* helpKey, bool pleven);

  // Fills the controls from the switch string; call once the controls exist.
  void load() { fill(switches_); }

 protected:
  QVBoxLayout* body() { return body_; }
  // The button row; okText replaces "OK" where the dialog says so.
  QDialogButtonBox* addButtons(const char* okText = "OK", bool withDefaults = true);
  // A name box with a "Browse..." button beside it.
  QLineEdit* nameRow(QGridLayout* grid, int row, const char* label, int editId, int browseId);

  virtual void fill(const std::string& switches) = 0;
  virtual std::string build() = 0;
  // OK was pressed (the switch string already stored); true closes.
  virtual bool confirm() = 0;
  virtual void defaults();
  // Cancel keeps the edited switches.
  void reject() override;

  Launcher& launcher_;
  std::string& switches_;

 private:
  QVBoxLayout* body_;
};

}  // namespace tolvideo
