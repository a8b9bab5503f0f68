// The converter's command line, as the launcher writes it:
// "input" "output" /o /f.. /a.. /s.. /e.. /x.. /y.. /w.. /h.. /z /v /j.. /k..
// /m.. /r.. /b.. /c.. /g.. /y.. /n.. /q.. /i.. /$.. /u.. /&.. /d.. /t.. /p.. /#..
// and what the output name's extension makes of it.
#pragma once

#include <cstdint>
#include <string>

#include "common/command_line.h"

namespace zurnconv {

// What the output name asks for.
enum class OutputKind {
  Avi,     // ".avi": pictures and their sound
  Flic,    // ".flc", or no extension (".flc" is added): 256 colours
  Series,  // ".bmp", ".jpg", ".png", ".tga", ".tif", ".gif", ".pcx": one still image a frame
  Wave,    // ".wav": the sound alone
};

struct ConvertOptions {
  std::string input, output;
  bool overwrite = false;  // /O
  bool trueColour = false; // /Z: 32-bit pictures; without it 256 colours (always for FLIC, GIF, PCX)
  bool video = true;       // /V turns the pictures off (a WAVE output)
  OutputKind kind = OutputKind::Avi;

  // Pictures, as GFileCommandLine reads them.
  int32_t inRateNum = 0, inRateDen = 0, outRateNum = 0, outRateDen = 0;  // /F, /A
  int32_t cropX = 0, cropY = 0, cropWidth = 0, cropHeight = 0;            // /X /Y /W /H
  int32_t firstFrame = 0, lastFrame = 0;                                  // /S /E
  uint8_t paletteMode = 0;      // /P: 8-bit input keeps its palette (0), new one (1), new on changes (2)
  int32_t paletteInterval = 0;  // /U: frames per palette
  int32_t paletteFirst = 0, paletteCount = 0, paletteOverlap = 0;  // /I /Q /$
  uint8_t systemColours = 0;    // /D
  uint8_t mode24 = 0;           // /T
  std::string paletteFile;      // /&

  // Sound, as SFileCommandLine reads it after the converter's letters are
  // turned into its own.
  bool sound = true;               // /N-1 turns it off
  int32_t soundTrack = 0;          // /N
  int32_t soundRate = 0, soundBits = 0, soundChannels = 0;  // /R /B /C: 0 the source's
  // /J /K: milliseconds, 0 none. Without them the frames /S and /E choose
  // the sound too: given as -/S and -/E here, the sound input's
  // frame numbers (milliseconds for a sound file alone).
  int32_t soundStart = 0, soundEnd = 0;
  bool soundStartGiven = false, soundEndGiven = false;
  uint32_t rawDescription = 0, rawOffset = 0;               // /Y /G /M: headerless PCM

  intptr_t owner = 0;  // /#
};

// The output kind for a name, or false when no writer takes its extension.
bool outputKindOf(const std::string& name, OutputKind& kind);

// Reads names and switches. false with a message for the user when a switch
// is unknown, repeated or out of range, the names do not fit, or the
// switches do not go with the output's kind.
bool parseConvertCommandLine(const tolapp::CommandLine& line, ConvertOptions& options, std::string& error);

// The text for --help and /?.
const char* usageText();

}  // namespace zurnconv
