// The launcher's actions behind the main window's buttons and its option
// dialogs: checks of the highlighted files, messages, and the tool starts.
// The window front end shows the dialogs (DialogOpener) and calls back here
// when the user confirms one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/exe_options.h"
#include "core/file_probe.h"
#include "core/services.h"
#include "core/settings.h"
#include "core/tool_commands.h"
#include "core/version_check.h"

namespace tolvideo {

// Global state of one launcher process.
struct LauncherState {
  ToolContext tools;        // program folder and launcher id
  std::string startupFile;  // the command line, trimmed
  Settings settings;        // profile keys, current folder ("Path") included
  std::string hint;         // compressor hint text
  int converterType = 0;
  bool exeOverwrite = false;
  int exeTarget = 0;
  std::string site;  // where the help, questions and version pages are
};

class DialogOpener {
 public:
  virtual ~DialogOpener() = default;
  virtual void listEditor(const std::string& text) = 0;
  virtual void player(bool zurn, const std::string& files) = 0;
  virtual void compressor(const std::string& input) = 0;
  virtual void mixer(bool zurn, const std::string& video, const std::string& sound) = 0;
  virtual void converter(const std::string& input) = 0;
};

extern const char* const kNoFileMessage;  // "You haven't highlighted a file."

class Launcher {
 public:
  Launcher(LauncherState& state, Services& services, DialogOpener& dialogs)
      : state_(state), services_(services), dialogs_(dialogs) {}

  // Main window actions on a selection text.
  void quickPlay(const std::string& selection);
  void advancedPlay(const std::string& selection);
  void openStartupFile();
  void analyse(const std::string& selection);
  void fileInfo(const std::string& selection);
  void systemInfo();
  void compress(const std::string& selection);
  void mix(const std::string& selection);
  void convert(const std::string& selection);
  void listFiles(const std::string& selection) { dialogs_.listEditor(selection); }
  void findFile();
  void help(const std::string& key);
  void questions();
  void about();
  // The new-version prompt (button, or at start when due); true when the
  // user chose to check and the main window is to close.
  bool newVersion(const Date& today);
  bool versionCheck(const Date& today);

  // Dialog confirmations. Each returns false when the dialog is to stay open
  // (a required name is missing; its message has been shown).
  bool compressorOk(const std::string& input, const std::string& output, const std::string& switches);
  bool mixerOk(bool zurn, const std::string& video, const std::string& sound, const std::string& output,
               const std::string& switches);
  bool converterOk(const std::string& input, const std::string& output, const std::string& switches);
  void play(bool zurn, const std::string& files, const std::string& switches);
  void setQuick(bool zurn, const std::string& switches);
  bool exeOk(const ExeOptions& options);
  void exeList(const ExeOptions& options);

  LauncherState& state() { return state_; }
  Services& services() { return services_; }

 private:
  std::optional<std::string> singleName(const std::string& selection);
  bool launchInFolder(ToolCommand command);
  bool confirmVersionCheck(const char* question, const Date& today);

  LauncherState& state_;
  Services& services_;
  DialogOpener& dialogs_;
};

}  // namespace tolvideo
