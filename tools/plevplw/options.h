// The Pleven player's command line: a list of file names (quoted, as the
// launcher passes them) and the switches of the Pleven player dialog
// (/L /F /S /Q /N /J /Z /O /P /G /I /X /Y /W /H /E /M /T /U /D /R /A /V,
// plus /! for quick play, /# for the launcher's id and /? for the list).
//
// What each means on SDL2 (the dialog's choices were made for an 8-bit
// palettised display; here the picture goes through a true-colour texture):
// - /Z "use DirectSound": accepted; SDL picks the sound device.
// - /I 0 title bar and border; 3 "thick border, no title bar": borderless
//   and resizable; 2 "thin border" and 4 "no title bar or border":
//   borderless (SDL has no border without a title bar). 1 reads as 0, as
//   the dialog reads it.
// - /D 1-4 switch to full screen (640x400, 640x480, 800x600, 1024x768): the
//   desktop's full screen with a drawing area of that size; 0 "current"
//   stays in a window.
// - /R 0 "remap if necessary" and 2 "never remap" show the palette's exact
//   colours (a true-colour display never needs remapping); 1 "remap to
//   system" shows each colour as the nearest of the fixed 6x6x6 colour cube
//   of an 8-bit display.
// - /A 0 the file's own line mode, 1 interlaced, 2 doubled, 3 neither.
// - /V bits 0-6, blitting: 0 automatic, 1 and 2 (the 320x240 and 320x200
//   low-resolution screens) full screen with a 320x240 or 320x200 drawing
//   area, 3 "standard DIBs" the software renderer, 4 "DIB section" the
//   accelerated renderer. Bits 7-8, how a picture is zoomed 2x (it is when
//   the drawing area holds twice its size): 0 doubled pixels, 1 interlaced
//   pixels (blank lines between), 2 smoothed pixels (linear filtering);
//   both bits set: "no blit acceleration", the software renderer.
// - /E read-ahead memory in kilobytes (the decoder's read-ahead size); /M
//   simulated read speed in bytes per second.
// - /T the sound tracks to play as a bit mask (bit k: track k), mixed;
//   without /T the first track with sound, /T0 none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plevplw {

enum class PaletteRemap { IfNeeded, ToSystem, Never };          // /R
enum class HeightScale { AsCompressed, Interlaced, Doubled, None };  // /A
enum class BlitStyle { Automatic, Screen320x240, Screen320x200, Software, Accelerated };  // /V bits 0-6
enum class Zoom { Doubled, Interlaced, Smoothed };              // /V bits 7-8

struct PlayOptions {
  std::vector<std::string> files;
  int32_t loops = 1;                 // /L: plays of the list; 0 endless (/L alone)
  bool fast = false;                 // /F alone: as fast as possible
  int32_t rateNum = 0, rateDen = 0;  // /Fr: frame rate instead of the file's (0/0 not given)
  bool summary = false;              // /S
  bool frameNumbers = false;         // /Q: frame numbers in the caption
  bool noSkip = false;               // /N
  bool playWithoutFocus = false;     // /J
  bool soundDevice = false;          // /Z
  bool soundOnly = false;            // /O
  bool preload = false;              // /P
  bool fillAtOpen = false;           // /G
  int32_t windowStyle = 0;           // /I: 0, 2, 3 or 4
  int32_t x = -1, y = -1;            // /X /Y: -1 centred
  int32_t width = 0, height = 0;     // /W /H: 0 from the picture
  int32_t readAheadKilobytes = 0;    // /E: 0 automatic
  int32_t readBytesPerSecond = 0;    // /M: 0 the disk's own speed
  int32_t trackMask = -1;            // /T: bit k plays track k; -1 the first track with sound
  uint32_t disabledKeys = 0;         // /U: tolapp::PlayerKeyBits
  int32_t resolution = 0;            // /D: 0 windowed, else a size of kResolutions
  PaletteRemap palette = PaletteRemap::IfNeeded;
  HeightScale heightScale = HeightScale::AsCompressed;
  BlitStyle blit = BlitStyle::Automatic;
  Zoom zoom = Zoom::Doubled;
  bool noAcceleration = false;       // /V bits 7 and 8 both set
  bool quickPlay = false;            // /!
  bool listSwitches = false;         // /?
  bool switchesGiven = false;        // any switch besides /!, /# and /?
};

struct Size {
  int32_t width, height;
};
// The full-screen sizes of /D (index 1 on; 0 is the current screen).
extern const Size kResolutions[5];

// Reads the command-line text; false with a message for a switch that is
// unknown, repeated or out of range.
bool parsePlayCommandLine(const std::string& text, PlayOptions& options, std::string& error);

// The switches of the profile's quick-play setting, used when the command
// line gives none: parses `quick` (switches only) over options, keeping the
// files.
bool applyQuickPlay(const std::string& quick, PlayOptions& options, std::string& error);

const char* playUsageText();

}  // namespace plevplw
