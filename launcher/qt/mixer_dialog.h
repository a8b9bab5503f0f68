// The Zurn and Pleven mixers' option dialog.
#pragma once

#include "qt/tool_dialog.h"

namespace tolvideo {

class MixerDialog : public ToolDialog {
 public:
  MixerDialog(QWidget* owner, Launcher& launcher, bool zurn, const std::string& video, const std::string& sound);

 protected:
  void fill(const std::string& switches) override;
  std::string build() override;
  bool confirm() override;

 private:
  bool zurn_;
  std::string video_;
};

}  // namespace tolvideo
