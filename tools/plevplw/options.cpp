#include "plevplw/options.h"

#include <climits>
#include <vector>

#include "common/command_line.h"
#include "common/switch_text.h"
#include "tol/tolutil.h"

namespace plevplw {
namespace {

constexpr const char* kUsage =
    "usage: plevplw \"FILE.plv\" [\"FILE2.plv\" ...] [switches]\n"
    "\n"
    "Plays Pleven files one after another, with their sound, in sync.\n"
    "Without switches the profile's PlevQuickPlay setting applies.\n"
    "\n"
    "  /L[n]     loop: play the list n times (blank: endlessly); a single\n"
    "            file loops through its ring frame when it has one\n"
    "  /F[r]     frame rate r instead of the file's (blank: as fast as\n"
    "            possible); sound plays only at the file's own rate\n"
    "  /S        show a summary at the end (frames shown and skipped,\n"
    "            achieved rate, data rate, peak read rate, sound sync)\n"
    "  /Q        show frame numbers in the caption\n"
    "  /N        don't skip frames when late\n"
    "  /J        don't pause when the window loses the focus\n"
    "  /Z        use the sound device (accepted; SDL picks the device)\n"
    "  /O        sound only: no window\n"
    "  /P        preload each file into memory\n"
    "  /G        fill the read-ahead buffer when a file opens\n"
    "  /In       window: 0 title bar and border, 3 borderless and\n"
    "            resizable, 2 and 4 borderless\n"
    "  /Xn /Yn   window position\n"
    "  /Wn /Hn   drawing area size (default: the picture's; one of them\n"
    "            alone keeps the picture's proportions)\n"
    "  /En       read-ahead memory in kilobytes\n"
    "  /Mn       simulated read speed in bytes per second\n"
    "  /Tn       sound tracks to play, mixed: bit k plays track k\n"
    "            (default: the first track with sound; 0: no sound)\n"
    "  /Un       disable keys: 1 pause (space), 2 next file (period),\n"
    "            4 cancel (escape)\n"
    "  /Dn       full screen: 1 640x400, 2 640x480, 3 800x600, 4 1024x768\n"
    "            (0: the current screen, in a window)\n"
    "  /Rn       palette: 0 remap if necessary and 2 never remap (exact\n"
    "            colours), 1 remap to the system's 6x6x6 colour cube\n"
    "  /An       height: 0 as compressed, 1 interlaced, 2 doubled, 3 single\n"
    "  /Vn       blitting: 0 automatic, 1 full screen 320x240, 2 full screen\n"
    "            320x200, 3 software renderer, 4 accelerated renderer;\n"
    "            plus 128 x the 2x zoom (used when the drawing area holds\n"
    "            twice the picture): 0 doubled, 1 interlaced, 2 smoothed\n"
    "            pixels; plus 384: no acceleration (software renderer)\n"
    "  /!        quick play (the launcher's double click)\n"
    "  /?        list these switches\n"
    "\n"
    "Keys: space pauses, period skips to the next file, Escape cancels,\n"
    "the right and left arrows seek a second forward and back.\n";

// Takes the switches out of text into o; the names stay in text.
bool parseSwitches(char* text, PlayOptions& o, std::string& error) {
  tolapp::SwitchTaker take(text);
  if (!take.loopAndRate(o.loops, o.fast, o.rateNum, o.rateDen, error)) return false;
  o.summary = take.flag('S', o.summary);
  o.frameNumbers = take.flag('Q', o.frameNumbers);
  o.noSkip = take.flag('N', o.noSkip);
  o.playWithoutFocus = take.flag('J', o.playWithoutFocus);
  o.soundDevice = take.flag('Z', o.soundDevice);
  o.soundOnly = take.flag('O', o.soundOnly);
  o.preload = take.flag('P', o.preload);
  o.fillAtOpen = take.flag('G', o.fillAtOpen);
  const int32_t style = take.number('I', o.windowStyle);
  o.x = take.number('X', o.x);
  o.y = take.number('Y', o.y);
  o.width = take.number('W', o.width);
  o.height = take.number('H', o.height);
  o.readAheadKilobytes = take.number('E', o.readAheadKilobytes);
  o.readBytesPerSecond = take.number('M', o.readBytesPerSecond);
  o.trackMask = take.number('T', o.trackMask);
  const int32_t keys = take.number('U', int32_t(o.disabledKeys));
  o.resolution = take.number('D', o.resolution);
  const int32_t palette = take.number('R', int32_t(o.palette));
  const int32_t height = take.number('A', int32_t(o.heightScale));
  const int32_t blit = take.number('V', int32_t(o.blit) | (o.noAcceleration ? 384 : int32_t(o.zoom) << 7));
  if (GetSwitch(text, '!')) o.quickPlay = true;
  if (GetSwitch(text, '?')) o.listSwitches = true;
  GetSwitchNum(text, '#', 0);  // the launcher's window: nothing to report to
  GetSwitch(text, '#');

  o.switchesGiven = o.switchesGiven || take.given();
  error = tolapp::leftoverSwitchError(text, "LFSQNJZOPGIXYWHEMTUDRAV!#?");
  if (!error.empty()) return false;
  using tolapp::inRange;
  if (!inRange(style, 0, 4, "the window style (/I)", error) ||
      !inRange(o.width, 0, 16384, "the width (/W)", error) ||
      !inRange(o.height, 0, 16384, "the height (/H)", error) ||
      !inRange(o.readAheadKilobytes, 0, 1 << 20, "the read-ahead memory (/E)", error) ||
      !inRange(o.readBytesPerSecond, 0, INT32_MAX, "the read speed (/M)", error) ||
      !inRange(o.trackMask, -1, 127, "the tracks (/T)", error) ||
      !inRange(keys, 0, 7, "the disabled keys (/U)", error) ||
      !inRange(o.resolution, 0, 4, "the resolution (/D)", error) ||
      !inRange(palette, 0, 2, "the palette choice (/R)", error) ||
      !inRange(height, 0, 3, "the height scale (/A)", error) ||
      !inRange(blit, 0, 511, "the blitting choice (/V)", error) ||
      !inRange(blit & 127, 0, 4, "the blitting style (/V)", error))
    return false;
  o.windowStyle = style == 1 ? 0 : style;
  o.disabledKeys = uint32_t(keys);
  o.palette = PaletteRemap(palette);
  o.heightScale = HeightScale(height);
  o.blit = BlitStyle(blit & 127);
  o.noAcceleration = (blit >> 7) == 3;
  o.zoom = o.noAcceleration ? Zoom::Doubled : Zoom(blit >> 7);
  return true;
}

}  // namespace

const Size kResolutions[5] = {{0, 0}, {640, 400}, {640, 480}, {800, 600}, {1024, 768}};

const char* playUsageText() { return kUsage; }

bool parsePlayCommandLine(const std::string& line, PlayOptions& o, std::string& error) {
  return tolapp::parsePlayerLine(line, o, parseSwitches, error);
}

bool applyQuickPlay(const std::string& quick, PlayOptions& o, std::string& error) {
  return tolapp::applyPlayerQuickPlay(quick, "PlevQuickPlay", o, parseSwitches, error);
}

}  // namespace plevplw
