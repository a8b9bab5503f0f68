// The converter's option dialog, with its output-type menu.
#pragma once

#include <QMenu>

#include "core/converter_options.h"
#include "qt/tool_dialog.h"

namespace tolvideo {

class ConverterDialog : public ToolDialog {
 public:
  ConverterDialog(QWidget* owner, Launcher& launcher, const std::string& input);

  // The output-type menu's choice (also what the menu calls).
  void chooseType(int type);
  QMenu* typeMenu() { return menu_; }

 protected:
  void fill(const std::string& switches) override;
  std::string build() override;
  bool confirm() override;
  void defaults() override;

 private:
  ConverterOptions read();
  void boxChanged(ConverterOptions::Box box);
  void update();
  void showBoxes(const ConverterOptions& o);

  std::string input_;
  QMenu* menu_;
  QGroupBox *video_, *palette_, *audio_;
  bool filling_ = false;
};

}  // namespace tolvideo
