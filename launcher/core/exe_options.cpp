#include "core/exe_options.h"

#include "core/file_names.h"
#include "core/switch_text.h"

namespace tolvideo {

ExeOptions ExeOptions::forPlayer(bool zurn, const std::string& files, const std::string& playerSwitches,
                                 bool overwrite, int target) {
  ExeOptions o;
  o.zurn = zurn;
  o.files = files;
  const auto names = splitSelection(files);
  if (!names.empty()) o.output = proposeOutputName(names[0], kSaveExe);
  o.playerSwitches = trimmed(playerSwitches);
  o.overwrite = overwrite;
  o.target = zurn || target < 0 || target > 2 ? 0 : target;
  return o;
}

std::string ExeOptions::playerName() const {
  if (zurn) return "zurnplay";
  static const char* const names[] = {"plevplw", "plevpw6", "plevply"};
  return names[target >= 0 && target <= 2 ? target : 0];
}

std::optional<ToolCommand> ExeOptions::command(const ToolContext& context, Services& services) const {
  const std::string out = trimmed(output), in = trimmed(files);
  if (out.empty() || in.empty()) {
    services.error("No input video filename and/or output EXE filename chosen.");
    return std::nullopt;
  }
  return exeCommand(context, playerName(), withDefaultExtension(out, "exe"), '"' + playerSwitches + '"', in,
                    overwrite);
}

}  // namespace tolvideo
