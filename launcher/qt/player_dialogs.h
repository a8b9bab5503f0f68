// The Zurn and Pleven player dialogs: "&Play" starts the player and the
// dialog stays open; "Set as &Quick" stores the quick-play settings;
// "Make &EXE" opens the video-to-EXE dialog.
#pragma once

#include "qt/tool_dialog.h"

namespace tolvideo {

class PlayerDialog : public ToolDialog {
 public:
  PlayerDialog(QWidget* owner, Launcher& launcher, bool zurn, const std::string& files);

 protected:
  bool confirm() override;
  // Adds the button row with the player's own buttons.
  void addPlayerButtons();
  bool zurn_;
  std::string files_;
};

class ZurnPlayerDialog : public PlayerDialog {
 public:
  ZurnPlayerDialog(QWidget* owner, Launcher& launcher, const std::string& files);

 protected:
  void fill(const std::string& switches) override;
  std::string build() override;
};

class PlevenPlayerDialog : public PlayerDialog {
 public:
  PlevenPlayerDialog(QWidget* owner, Launcher& launcher, const std::string& files);

 protected:
  void fill(const std::string& switches) override;
  std::string build() override;
};

}  // namespace tolvideo
