#include "zurnplay/options.h"

#include <vector>

#include "common/command_line.h"
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

bool inRange(int32_t value, int32_t low, int32_t high, const char* what, std::string& error) {
  if (value >= low && value <= high) return true;
  error = std::string(what) + " must be from " + std::to_string(low) + " to " + std::to_string(high) + ", not " +
          std::to_string(value);
  return false;
}

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
  auto number = [&](char letter, int32_t fallback) {
    const int32_t v = GetSwitchNum(text, letter, INT32_MIN);
    if (v == INT32_MIN) return fallback;
    o.switchesGiven = true;
    return v;
  };
  auto flag = [&](char letter, bool current) {
    if (!GetSwitch(text, letter)) return current;
    o.switchesGiven = true;
    return true;
  };

  const int32_t loops = number('L', -1);
  if (loops >= 0) o.loops = loops;
  else if (flag('L', false)) o.loops = 0;
  int32_t num = 0, den = 0;
  GetSwitchFractional(text, 'F', &num, &den, 0, 0);
  if (den != 0) {
    if (num <= 0 || den < 0) {
      error = "/F needs a frame rate above 0";
      return false;
    }
    o.switchesGiven = true;
    o.fast = false;
    o.rateNum = num;
    o.rateDen = den;
  } else if (flag('F', false)) {
    o.fast = true;
  }
  o.summary = flag('S', o.summary);
  o.liveStatistics = flag('Q', o.liveStatistics);
  o.noSkip = flag('N', o.noSkip);
  o.playWithoutFocus = flag('J', o.playWithoutFocus);
  o.preload = flag('P', o.preload);
  o.noReadAhead = flag('K', o.noReadAhead);
  o.noPrefill = flag('G', o.noPrefill);
  o.blackOutside = flag('R', o.blackOutside);
  o.hideCursor = flag('C', o.hideCursor);
  o.windowStyle = number('I', o.windowStyle);
  o.x = number('X', o.x);
  o.y = number('Y', o.y);
  o.width = number('W', o.width);
  o.height = number('H', o.height);
  const int32_t a = number('A', o.scaling + (o.monochrome ? 100 : 0));
  o.readAheadKilobytes = number('E', o.readAheadKilobytes);
  o.readBytesPerSecond = number('M', o.readBytesPerSecond);
  o.soundTrack = number('T', o.soundTrack);
  const int32_t u = number('U', int32_t(o.disabledKeys));
  const int32_t d = number('D', o.fullScreen + 100 * o.fullScreenDepth);
  const int32_t b = number('B', -1);
  if (GetSwitch(text, '!')) o.quickPlay = true;
  if (GetSwitch(text, '?')) o.listSwitches = true;
  GetSwitchNum(text, '#', 0);  // the launcher's window: nothing to report to
  GetSwitch(text, '#');

  const std::string left = tolapp::leftoverSwitch(text);
  if (!left.empty()) {
    const std::string known = "LFSQNJPKGRCIXYWHAEMTUDB!#?";
    const char letter = char(std::toupper(static_cast<unsigned char>(left.size() > 1 ? left[1] : ' ')));
    error = (known.find(letter) != std::string::npos ? "bad or repeated switch: " : "unknown switch: ") + left;
    return false;
  }
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
  o = PlayOptions{};
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back(0);
  char* text = buffer.data();
  if (!parseSwitches(text, o, error)) return false;
  std::vector<char> word(buffer.size());
  for (;;) {
    Trim(text);
    if (!*text) break;
    GetAndRemoveFirstQuotedN(word.data(), uint32_t(word.size()), text);
    if (word[0]) o.files.push_back(word.data());
  }
  if (o.files.empty() && !o.listSwitches) {
    error = "no file to play";
    return false;
  }
  return true;
}

bool applyQuickPlay(const std::string& quick, PlayOptions& o, std::string& error) {
  std::vector<char> buffer(quick.begin(), quick.end());
  buffer.push_back(0);
  PlayOptions merged = o;
  if (!parseSwitches(buffer.data(), merged, error)) {
    error = "the ZurnQuickPlay setting: " + error;
    return false;
  }
  Trim(buffer.data());
  if (buffer[0]) {
    error = std::string("the ZurnQuickPlay setting holds more than switches: ") + buffer.data();
    return false;
  }
  o = merged;
  return true;
}

}  // namespace zurnplay
