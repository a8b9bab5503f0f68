// The Zurn player's command line: a list of file names (quoted, as the
// launcher passes them) and the switches of the player dialog
// (/L /F /S /Q /N /J /P /K /G /R /C /I /X /Y /W /H /A /E /M /T /U /D /B,
// plus /! for quick play, /# for the launcher's id and /? for the list).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zurnplay {

// Texture kinds the renderer may be asked for (/B), in the dialog's order.
enum class Blit { Automatic, Rgb, RgbSoftware, Yv12, Yuy2, Uyvy };

struct PlayOptions {
  std::vector<std::string> files;
  int32_t loops = 1;                // /L: plays of the list; 0 endless (/L alone)
  bool fast = false;                // /F alone: as fast as possible
  int32_t rateNum = 0, rateDen = 0; // /Fr: frame rate instead of the file's (0/0 not given)
  bool summary = false;             // /S
  bool liveStatistics = false;      // /Q
  bool noSkip = false;              // /N
  bool playWithoutFocus = false;    // /J
  bool preload = false;             // /P
  bool noReadAhead = false;         // /K
  bool noPrefill = false;           // /G
  bool blackOutside = false;        // /R
  bool hideCursor = false;          // /C
  int32_t windowStyle = 0;          // /I: 0 title and border, 1 thick border, 2 none
  int32_t x = -1, y = -1;           // /X /Y: -1 centred
  int32_t width = 0, height = 0;    // /W /H: 0 the video's size
  int32_t scaling = 0;              // /A mod 100: as compressed, interlaced, doubled, none
  bool monochrome = false;          // /A / 100 == 1
  int32_t readAheadKilobytes = 0;   // /E
  int32_t readBytesPerSecond = 0;   // /M: 0 the disk's own speed
  int32_t soundTrack = -2;          // /T: track id, -1 no sound, -2 the first playable
  uint32_t disabledKeys = 0;        // /U: tolapp::PlayerKeyBits
  int32_t fullScreen = 0;           // /D mod 100: 0 windowed, else a mode of kFullScreenModes
  int32_t fullScreenDepth = 0;      // /D / 100
  Blit blit = Blit::Automatic;      // /B
  bool quickPlay = false;           // /!
  bool listSwitches = false;        // /?
  bool switchesGiven = false;       // any switch besides /!, /# and /?
};

struct Mode {
  int32_t width, height;
};
// The full-screen sizes of /D (index 1 on; 0 is windowed).
extern const Mode kFullScreenModes[14];

// Reads the command-line text; false with a message for a switch that is
// unknown, repeated or out of range.
bool parsePlayCommandLine(const std::string& text, PlayOptions& options, std::string& error);

// The switches of the profile's quick-play setting are used when the command
// line gives none: parses `quick` (switches only) over options, keeping the
// files.
bool applyQuickPlay(const std::string& quick, PlayOptions& options, std::string& error);

const char* playUsageText();

}  // namespace zurnplay
