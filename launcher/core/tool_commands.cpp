#include "core/tool_commands.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tolvideo {
namespace {

std::string id(const ToolContext& c) { return "/#" + std::to_string(c.id); }

ToolCommand command(const ToolContext& c, const char* program, const std::string& arguments, const char* error,
                    const char* title = "") {
  ToolCommand t;
  t.program = c.folder + program;
  t.commandLine = t.program + arguments;
  t.errorText = error;
  t.commandTitle = title;
  return t;
}

std::string q(const std::string& s) { return '"' + s + '"'; }

}  // namespace

ToolCommand quickPlayCommand(const ToolContext& c, bool zurn, const std::string& list) {
  return command(c, zurn ? "zurnplay" : "plevplw", " " + list + " /! " + id(c) + " ",
                 zurn ? "Error loading the Zurn player." : "Error loading the Pleven player.");
}

ToolCommand analyserCommand(const ToolContext& c, const std::string& name) {
  return command(c, "tolana", " " + q(name), "Error loading TOLAna.");
}

ToolCommand fileInfoCommand(const ToolContext& c, const std::string& name) {
  return command(c, "tolinfo", " " + id(c) + " " + q(name), "Error loading TOLInfo.");
}

ToolCommand systemInfoCommand(const ToolContext& c) {
  return command(c, "tolsiw", " " + id(c), "Error loading TOL system info.");
}

ToolCommand compressorCommand(const ToolContext& c, const std::string& files, const std::string& switches,
                              const std::string& hintPiece) {
  return command(c, "zurn", " " + files + " " + switches + " " + hintPiece + " " + id(c),
                 "Error loading the Zurn Compressor.", "Zurn Command:");
}

ToolCommand mixerCommand(const ToolContext& c, bool zurn, const std::string& video, const std::string& sound,
                         const std::string& output, const std::string& switches) {
  return command(c, zurn ? "zurnmix" : "plevmix",
                 " " + q(video) + " " + q(sound) + " " + q(output) + " " + switches + " " + id(c),
                 zurn ? "Error loading the Zurn Audio Mixer." : "Error loading the Pleven Audio Mixer.",
                 zurn ? "ZurnMix Command:" : "PlevMix Command:");
}

ToolCommand converterCommand(const ToolContext& c, const std::string& input, const std::string& output,
                             const std::string& switches) {
  return command(c, "zurnconv", " " + q(input) + " " + q(output) + " " + switches + " " + id(c),
                 "Error loading the Zurn Converter Mixer.", "ZurnConv Command:");
}

ToolCommand playerCommand(const ToolContext& c, bool zurn, const std::string& files, const std::string& switches) {
  const char wrap = !files.empty() && files[0] == '"' ? ' ' : '"';
  return command(c, zurn ? "zurnplay" : "plevplw", " " + (wrap + files + wrap) + " " + switches + " " + id(c) + " ",
                 zurn ? "Error loading the Zurn Player." : "Error loading the Pleven Player.",
                 zurn ? "ZurnPlay Command:" : "PlevPlw Command:");
}

ToolCommand exeCommand(const ToolContext& c, const std::string& playerName, const std::string& output,
                       const std::string& quotedSwitches, const std::string& files, bool overwrite) {
  return command(c, "tol2exe",
                 " " + q(c.folder + playerName) + " " + q(output) + " " + quotedSwitches + " " + files + " " +
                     (overwrite ? "/o" : "") + " " + id(c),
                 "Error loading the TOL to Video Compiler.", "TOL2EXE Command:");
}

ToolCommand playerListCommand(const ToolContext& c, const std::string& playerName) {
  return command(c, playerName.c_str(), " /? " + id(c), "Error loading the player.");
}

bool launch(const ToolCommand& command, Services& services) {
  if (!command.commandTitle.empty() && services.commandKeysHeld()) {
    services.inform(command.commandLine, command.commandTitle);
    return false;
  }
  if (services.start(command)) return true;
  services.postError(command.errorText);
  return false;
}

std::string writeHintFile(const std::string& hint) {
  if (hint.empty()) return "";
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  int fd = ::mkstemp(name.data());
  if (fd < 0) return "";
  bool ok = ::write(fd, hint.data(), hint.size()) == static_cast<ssize_t>(hint.size());
  ::close(fd);
  if (!ok) {
    ::unlink(name.data());
    return "";
  }
  return std::string("/@\"*") + name.data() + "\"";
}

}  // namespace tolvideo
