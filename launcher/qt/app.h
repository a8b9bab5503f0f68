// Start-up of the launcher: its state from the program's folder, command
// line and profile.
#pragma once

#include <string>

#include "core/launcher.h"

namespace tolvideo {

// Program folder, launcher id, start-up file (the arguments joined and
// trimmed), profile settings and the documentation site.
void initState(LauncherState& state, int argc, char** argv);

// The folder of the help pages, as a file URL: the installed copy beside
// the program, else the source tree's.
std::string documentationSite(const std::string& programFolder);

}  // namespace tolvideo
