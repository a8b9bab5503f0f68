// The command lines of the tools the launcher starts. Every tool is a
// program in the launcher's own folder; "/#" and the launcher's id (its
// process id, where tools send their last status line) go on each line.
#pragma once

#include <string>

#include "core/services.h"

namespace tolvideo {

struct ToolContext {
  std::string folder;  // the launcher's folder, with a trailing '/'
  int id = 0;          // the launcher's id after "/#"
};

ToolCommand quickPlayCommand(const ToolContext& c, bool zurn, const std::string& quotedList);
ToolCommand analyserCommand(const ToolContext& c, const std::string& name);
ToolCommand fileInfoCommand(const ToolContext& c, const std::string& name);
ToolCommand systemInfoCommand(const ToolContext& c);
// files: the input and output, each in double quotes; hintPiece may be empty.
ToolCommand compressorCommand(const ToolContext& c, const std::string& files, const std::string& switches,
                              const std::string& hintPiece);
ToolCommand mixerCommand(const ToolContext& c, bool zurn, const std::string& video, const std::string& sound,
                         const std::string& output, const std::string& switches);
ToolCommand converterCommand(const ToolContext& c, const std::string& input, const std::string& output,
                             const std::string& switches);
ToolCommand playerCommand(const ToolContext& c, bool zurn, const std::string& files, const std::string& switches);
ToolCommand exeCommand(const ToolContext& c, const std::string& playerName, const std::string& output,
                       const std::string& quotedSwitches, const std::string& files, bool overwrite);
ToolCommand playerListCommand(const ToolContext& c, const std::string& playerName);

// Shows the command in its box when Shift or Control is held (and it has a
// box title), else starts it; a refused start posts its error text.
// True when the tool was started.
bool launch(const ToolCommand& command, Services& services);

// Writes the compressor's hint text to a new temporary file and returns the
// piece that names it: /@"*<file>". Empty when the text is empty or the
// file cannot be written.
std::string writeHintFile(const std::string& hint);

}  // namespace tolvideo
