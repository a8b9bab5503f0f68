// The video-to-EXE compiler dialog: its fields, checks and command.
#pragma once

#include <optional>
#include <string>

#include "core/services.h"
#include "core/tool_commands.h"

namespace tolvideo {

struct ExeOptions {
  bool zurn = true;
  std::string files, output, playerSwitches;
  bool overwrite = false;
  int target = 0;  // 0 Win 95/98/NT, 1 Windows 3.1, 2 MS-DOS (Pleven only)

  // Filled from the player's file list and switch string (the first name
  // proposes the output); the overwrite flag and target as last chosen.
  static ExeOptions forPlayer(bool zurn, const std::string& files, const std::string& playerSwitches,
                              bool overwrite, int target);
  // The player program the compiled file runs.
  std::string playerName() const;
  // Null (after the error box) when a name is missing.
  std::optional<ToolCommand> command(const ToolContext& context, Services& services) const;
};

}  // namespace tolvideo
