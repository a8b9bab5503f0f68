// The compressor's command line: file names and switches, as the launcher
// writes them ("input" "output" [sound] /d.. /m.. /o /l.. /p.. /f.. /a..
// /k.. /z.. /x.. /y.. /w.. /h.. /s.. /e.. /@"*hints" /#..).
#pragma once

#include <cstdint>
#include <string>

#include "common/command_line.h"

namespace zurntool {

struct Fraction {
  int32_t num = 0, den = 0;  // 0/0: not given
  bool given() const { return den != 0; }
};

struct CompressOptions {
  std::string input;   // anything the graphics input takes
  std::string output;  // the Zurn file
  std::string sound;   // sound file, or empty: the input's own sound
  std::string hints;   // hint file ("*name": delete after reading), or empty
  bool overwrite = false;                // /O
  int32_t dataRate = 250000;             // /D: bytes per second; 200 or less: percent of the raw input
  Fraction maxRate{3, 1};                // /M: times the data rate; above 10: bytes per second
  int32_t window = 8;                    // /P: frames of look-ahead, 2 to 64
  Fraction inputRate;                    // /F: frames per second of the input
  Fraction outputRate;                   // /A: frames per second of the output
  int32_t keyInterval = 0;               // /K: 0 none
  int32_t soundOption = 4;               // /L: -1 no sound
  int32_t lineMode = 0;                  // /Z: 0 every line, 1 interlaced, 2 doubled
  int32_t cropX = 0, cropY = 0;          // /X, /Y: offset of the picture in the input
  int32_t cropWidth = 0, cropHeight = 0; // /W, /H: 0 the input's size
  int32_t firstFrame = 0, lastFrame = 0; // /S, /E: 1-based, 0 the first and the last
  intptr_t owner = 0;                    // /#: the launcher that started the tool
  int32_t soundRate = 0, soundChannels = 0, soundTrack = 0;  // /R /C /T: 0 the source's
};

// false with a message for the user when a switch is unknown, repeated or
// out of range, or the file names do not fit.
bool parseCommandLine(const tolapp::CommandLine& line, CompressOptions& options, std::string& error);

// The text for --help and /?.
const char* usageText();

}  // namespace zurntool
