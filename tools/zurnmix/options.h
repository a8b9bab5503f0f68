// The sound mixer's command line, as the launcher writes it:
// "video" "sound" "output" /o /p /l.. /t.. /f.. /n.. /r.. /b.. /c.. /d..
// /s.. /e.. /i.. /k.. /y.. /#..
#pragma once

#include <cstdint>
#include <string>

#include "common/command_line.h"

namespace zurnmixtool {

struct MixOptions {
  std::string video, sound, output;
  bool overwrite = false;                  // /O
  bool loop = false;                       // /P: repeat the sound to the end of the video
  int32_t level = 4;                       // /L: sound compression
  int32_t track = 0;                       // /T: the track to replace or add
  int32_t fpsNum = 0, fpsDen = 0;          // /F: new frame rate (0: keep)
  int32_t startFrame = 0;                  // /N: frame the sound starts at; negative: milliseconds
  int32_t rate = 0, bits = 0, channels = 0;  // /R /B /C: the new track's format (0: the source's)
  int32_t inputStart = 0, inputEnd = 0;    // /S /E: milliseconds of the source to take
  int32_t inputTrack = 0;                  // /I: track or stream of the source
  uint32_t rawDescription = 0, rawOffset = 0;  // /D /Y /K: headerless sound
  intptr_t owner = 0;                      // /#
};

// false with a message when a switch is unknown or out of range or the
// three names are not there or do not fit. defaultLevel: the level without
// /L; outputLimit: the longest output name, leaving room for the mixer's
// temporary name.
bool parseMixCommandLine(const tolapp::CommandLine& line, int32_t defaultLevel, MixOptions& options,
                         std::string& error, size_t outputLimit = 123);

// A mixer's main: "--help" (or no arguments) prints usage; a command line
// that does not read gives its message (exit code 2); else run's exit code.
int mixerMain(int argc, char** argv, const char* tool, const char* usage, int32_t defaultLevel, size_t outputLimit,
              int (*run)(const MixOptions&));

}  // namespace zurnmixtool
