// The video-to-EXE compiler dialog.
#pragma once

#include <QDialog>

#include "core/exe_options.h"
#include "core/launcher.h"

namespace tolvideo {

class ExeDialog : public QDialog {
 public:
  ExeDialog(QWidget* owner, Launcher& launcher, const ExeOptions& options);

 private:
  ExeOptions read() const;
  Launcher& launcher_;
  bool zurn_;
};

}  // namespace tolvideo
