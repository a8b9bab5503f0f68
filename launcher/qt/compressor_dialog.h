// The compressor's option dialog.
#pragma once

#include <QPlainTextEdit>

#include "qt/tool_dialog.h"

namespace tolvideo {

class CompressorDialog : public ToolDialog {
 public:
  CompressorDialog(QWidget* owner, Launcher& launcher, const std::string& input);

 protected:
  void fill(const std::string& switches) override;
  std::string build() override;
  bool confirm() override;
  void defaults() override;

 private:
  void enableChoices();
  std::string input_;
  QPlainTextEdit* hint_;
};

}  // namespace tolvideo
