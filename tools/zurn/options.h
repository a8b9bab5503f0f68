// The compressor's command line: file names and switches, as the launcher
// writes them ("input" "output" [sound] /d.. /m.. /o /l.. /p.. /f.. /a.. /k..
// /z.. /x.. /y.. /w.. /h.. /s.. /e.. /#..).
#pragma once

#include <cstdint>
#include <string>

namespace zurntool {

struct Fraction {
  int32_t num = 0, den = 0;  // 0/0: not given
  bool given() const { return den != 0; }
};

struct CompressOptions {
  std::string input;   // PNG folder, first file or frame-sequence text
  std::string output;  // the Zurn file
  std::string sound;   // WAVE file, or empty
  bool overwrite = false;                // /O
  int32_t dataRate = 250000;             // /D: bytes per second; 200 or less: percent of the raw input
  Fraction maxRate{3, 1};                // /M: times the data rate; above 10: bytes per second
  int32_t window = 8;                    // /P: frames of look-ahead, 2 to 64
  Fraction inputRate;                    // /F: frames per second of the input
  Fraction outputRate;                   // /A: frames per second of the output
  int32_t keyInterval = 0;               // /K: 0 none
  int32_t soundOption = 4;               // /L: -1 no sound
  int32_t lineMode = 0;                  // /Z: 0, 1 or 2
  int32_t cropX = 0, cropY = 0;          // /X, /Y: offset of the picture in the input
  int32_t cropWidth = 0, cropHeight = 0; // /W, /H: 0 the input's size
  int32_t firstFrame = 0, lastFrame = 0; // /S, /E: 1-based, 0 the first and the last
};

// Reads the command-line text (see tolapp::joinArguments); false with a
// message for the user when a switch is unknown, repeated or out of range,
// or the file names do not fit.
bool parseCommandLine(const std::string& text, CompressOptions& options, std::string& error);

// The usage text for errors and for a run without arguments.
const char* usageText();

}  // namespace zurntool
