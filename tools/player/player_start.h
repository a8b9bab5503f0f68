// The players' start: "--help" or "/?" lists the switches, a command line
// that does not read gives its message and the list (exit code 2), and
// without switches the profile's quick-play setting applies.
#pragma once

#include <cstdio>
#include <string>

#include "common/command_line.h"
#include "platform/profile.h"

namespace tolapp {

// Options has the players' switchesGiven and listSwitches. Returns -1 when
// the player goes on to play, else the exit code.
template <class Options>
int readPlayerCommandLine(int argc, char** argv, const char* tool, const char* quickKey, const char* usage,
                          bool (*parse)(const std::string&, Options&, std::string&),
                          bool (*applyQuick)(const std::string&, Options&, std::string&), Options& options) {
  std::string error;
  if (splitArguments(argc, argv).help) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (!parse(joinArguments(argc, argv), options, error)) {
    std::fprintf(stderr, "%s: %s\n\n%s", tool, error.c_str(), usage);
    return 2;
  }
  if (options.listSwitches) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (!options.switchesGiven) {
    char quick[256];
    tol::profile::getString("TOL Video Tools", quickKey, "", quick, sizeof quick);
    if (!applyQuick(quick, options, error)) {
      std::fprintf(stderr, "%s: %s\n", tool, error.c_str());
      return 2;
    }
  }
  return -1;
}

}  // namespace tolapp
