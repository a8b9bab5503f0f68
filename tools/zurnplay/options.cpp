#include "zurnplay/options.h"

#include <vector>

#include "common/command_line.h"
#include "common/switch_text.h"
#include "tol/tolutil.h"

namespace zurnplay {
namespace {

constexpr const char* kUsage =
    "usage: zurnplay \"FILE.zrn\" [\"FILE2.zrn\" ...] [switches]\n"
    "\n"
    "Plays Zurn files one after another, with sound, in sync.\n"
    "Without switches the profile's ZurnQuickPlay setting applies.\n"
    "\n"
    "  /L[n]     loop: play the list n times (blank: endlessly)\n"
    "  /F[r]     frame rate r instead of the file's (blank: as fast as\n"
    "            possible); sound plays only at the file's own rate\n"
    "  /S        show a summary at the end (frames shown and skipped,\n"
    "            achieved rate, data rate, peak read rate, and the largest\n"
    "            and mean offset between the picture and the sound)\n"
    "  /Q        show statistics while playing (in the caption)\n"
    "  /N        don't skip frames when late\n"
    "  /J        don't pause when the window loses the focus\n"
    "  /P        preload each file into memory\n"
    "  /K        no read-ahead thread\n"
    "  /G        don't fill the read-ahead buffer at open\n"
    "  /R        clear outside the picture to black\n"
    "  /C        hide the mouse cursor in the window\n"
    "  /In       window: 0 title bar and border, 1 border only, 2 neither\n"
    "  /Xn /Yn   window position\n"
    "  /Wn /Hn   window size (default: the video's)\n"
    "  /An       scaling: 0 as compressed, 1 height interlaced, 2 height\n"
    "            doubled, 3 no scaling; plus 100: monochrome\n"
    "  /En       read-ahead memory in kilobytes (default: the busiest second\n"
    "            of the file)\n"
    "  /Mn       simulated read speed in bytes per second\n"
    "  /Tn       sound track id (-1: no sound)\n"
    "  /Un       disable keys: 1 pause (space), 2 next file (period),\n"
    "            4 cancel (escape)\n"
    "  /Dn       full screen: 1 320x200, 2 320x240, 3 320x400, 4 400x300,\n"
    "            5 480x360, 6 512x384, 7 640x400, 8 640x480, 9 800x600,\n"
    "            10 960x720, 11 1024x768, 12 1152x852, 13 1280x1024\n"
    "            (plus 100 x depth: accepted, the desktop's depth is kept)\n"
    "  /Bn       rendering: 0 automatic, 1-2 RGB, 3 and 6 YV12, 4 and 7\n"
    "            YUY2, 5 and 8 UYVY, 9-10 RGB\n"
    "  /!        quick play (the launcher's double click)\n"
    "  /?        list these switches\n"
    "\n"
    "Keys: space pauses, period skips to the next file, Escape cancels,\n"
    "left and right arrows seek by key frames.\n";

Blit blitFromNumber(int32_t n) {
  switch (n) {
    case 1: case 9: case 10: return Blit::Rgb;
    case 2: return Blit::RgbSoftware;
    case 3: case 6: return Blit::Yv12;
    case 4: case 7: return Blit::Yuy2;
    case 5: case 8: return Blit::Uyvy;
    default: return Blit::Automatic;
  }
}

// Takes the switches out of text into o; the names stay in text.
bool parseSwitches(char* text, PlayOptions& o, std::string& error) {
  tolapp::SwitchTaker take(text);
  if (!take.loopAndRate(o.loops, o.fast, o.rateNum, o.rateDen, error)) return false;
  o.summary = take.flag('S', o.summary);
  o.liveStatistics = take.flag('Q', o.liveStatistics);
  o.noSkip = take.flag('N', o.noSkip);
  o.playWithoutFocus = take.flag('J', o.playWithoutFocus);
  o.preload = take.flag('P', o.preload);
  o.noReadAhead = take.flag('K', o.noReadAhead);
  o.noPrefill = take.flag('G', o.noPrefill);
  o.blackOutside = take.flag('R', o.blackOutside);
  o.hideCursor = take.flag('C', o.hideCursor);
  o.windowStyle = take.number('I', o.windowStyle);
  o.x = take.number('X', o.x);
  o.y = take.number('Y', o.y);
  o.width = take.number('W', o.width);
  o.height = take.number('H', o.height);
  const int32_t a = take.number('A', o.scaling + (o.monochrome ? 100 : 0));
  o.readAheadKilobytes = take.number('E', o.readAheadKilobytes);
  o.readBytesPerSecond = take.number('M', o.readBytesPerSecond);
  o.soundTrack = take.number('T', o.soundTrack);
  const int32_t u = take.number('U', int32_t(o.disabledKeys));
  const int32_t d = take.number('D', o.fullScreen + 100 * o.fullScreenDepth);
  const int32_t b = take.number('B', -1);
  if (GetSwitch(text, '!')) o.quickPlay = true;
  if (GetSwitch(text, '?')) o.listSwitches = true;
  GetSwitchNum(text, '#', 0);  // the launcher's window: nothing to report to
  GetSwitch(text, '#');

  o.switchesGiven = o.switchesGiven || take.given();
  error = tolapp::leftoverSwitchError(text, "LFSQNJPKGRCIXYWHAEMTUDB!#?");
  if (!error.empty()) return false;
  using tolapp::inRange;
  if (!inRange(o.windowStyle, 0, 2, "the window style (/I)", error) ||
      !inRange(a % 100, 0, 3, "the scaling (/A)", error) || !inRange(a / 100, 0, 1, "the scaling (/A)", error) ||
      !inRange(o.width, 0, 16384, "the width (/W)", error) ||
      !inRange(o.height, 0, 16384, "the height (/H)", error) ||
      !inRange(o.readAheadKilobytes, 0, 1 << 22, "the read-ahead memory (/E)", error) ||
      !inRange(o.readBytesPerSecond, 0, INT32_MAX, "the read speed (/M)", error) ||
      !inRange(o.soundTrack, -2, INT32_MAX, "the sound track (/T)", error) ||
      !inRange(u, 0, 7, "the disabled keys (/U)", error) || !inRange(d % 100, 0, 13, "full screen (/D)", error) ||
      !inRange(d / 100, 0, 3, "the full-screen depth (/D)", error) ||
      !inRange(b, -1, 10, "the rendering choice (/B)", error))
    return false;
  o.scaling = a % 100;
  o.monochrome = a / 100 == 1;
  o.disabledKeys = uint32_t(u);
  o.fullScreen = d % 100;
  o.fullScreenDepth = d / 100;
  if (b >= 0) o.blit = blitFromNumber(b);
  return true;
}

}  // namespace

const Mode kFullScreenModes[14] = {{0, 0},     {320, 200}, {320, 240},  {320, 400},  {400, 300},
                                   {480, 360}, {512, 384}, {640, 400},  {640, 480},  {800, 600},
                                   {960, 720}, {1024, 768}, {1152, 852}, {1280, 1024}};

const char* playUsageText() { return kUsage; }

bool parsePlayCommandLine(const std::string& line, PlayOptions& o, std::string& error) {
  return tolapp::parsePlayerLine(line, o, parseSwitches, error);
}

bool applyQuickPlay(const std::string& quick, PlayOptions& o, std::string& error) {
  return tolapp::applyPlayerQuickPlay(quick, "ZurnQuickPlay", o, parseSwitches, error);
}

}  // namespace zurnplay
