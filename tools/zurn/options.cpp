#include "zurn/options.h"

#include <cctype>
#include <climits>
#include <vector>

#include "tol/gfile.h"
#include "tol/sfile.h"
#include "tol/tolutil.h"

namespace zurntool {
namespace {

constexpr const char* kUsage =
    "usage: zurn INPUT OUTPUT.zrn [SOUND] [switches]\n"
    "\n"
    "Compresses any picture input into a Zurn file, then checks the file by\n"
    "decoding it. INPUT is a still image (BMP, GIF, TIFF, JPEG, TGA, PNG, PCX),\n"
    "an AVI, QuickTime, FLIC, Pleven or Zurn file, a raw frame file, a list\n"
    "file (.lst) or a numbered sequence (\"img????.png*0-29\"). The sound comes\n"
    "from SOUND (WAVE, AVI, QuickTime, Pleven, Zurn or a list) or else from\n"
    "the input itself when it has sound.\n"
    "\n"
    "  /O        replace OUTPUT without asking\n"
    "  /Dn       data rate in bytes per second (default 250000); 200 or less:\n"
    "            percent of the raw 24-bit input\n"
    "  /Mx       largest frame: x times the data rate's frame (default 3), or,\n"
    "            above 10, a data rate in bytes per second\n"
    "  /Pn       frames looked ahead to share the data rate, 2 to 64 (default 8)\n"
    "  /Fr       input frame rate (default: the input's; 29.97 and 30;1.001 are\n"
    "            fine; a negative value is a frame time: milliseconds, or below\n"
    "            -1500 1/100000 seconds)\n"
    "  /Ar       output frame rate: frames are repeated or dropped to reach it\n"
    "  /Kn       a key frame at least every n frames\n"
    "  /Ln       sound compression: 0 lossless, 4 perceptibly lossless\n"
    "            (default), 20 very lossy, -1 no sound\n"
    "  /Zn       height: 0 every line; 1 interlaced (every other line, shown\n"
    "            on every second line); 2 doubled (every other line, each\n"
    "            shown twice)\n"
    "  /Xn /Yn   offset of the picture in the input (negative: a margin)\n"
    "  /Wn /Hn   picture width and height (default: the input's)\n"
    "  /Sn /En   first and last input frame, counted from 1\n"
    "  /Rn       sound rate in samples per second (default: the source's)\n"
    "  /Cn       sound channels, 1 or 2 (default: the source's)\n"
    "  /Tn       sound track of the sound source (Pleven 1 to 7, AVI stream)\n"
    "  /@name    hints from a file; /@*name deletes the file after reading\n"
    "  /#n       the launcher that started the tool (gets the last status line)\n"
    "\n"
    "Hints, one a line, frames counted from 1 in the output, '#' comments:\n"
    "  key 1 40 100          key frames at these frames\n"
    "  key 200-400/25        a key frame every 25 frames from 200 to 400\n"
    "  rate 100-199 400000   data rate for those frames (as /D)\n"
    "  rate 500- 50          from frame 500 to the end, 50 percent\n"
    "  max 100-199 6         largest frame for those frames (as /M)\n"
    "\n"
    "Ctrl-C stops and keeps a valid file of the frames compressed so far.\n"
    "Exit codes: 0 done, 1 failed, 2 bad command line, 130 stopped.\n";

using tolapp::inRange;

}  // namespace

const char* usageText() { return kUsage; }

bool parseCommandLine(const tolapp::CommandLine& line, CompressOptions& o, std::string& error) {
  std::vector<char> buffer(line.switches.begin(), line.switches.end());
  buffer.push_back(0);
  char* text = buffer.data();

  // The hint piece first: its quoted name may hold anything.
  std::vector<char> hint(buffer.size() + 1, 0);
  if (GetSwitchStrN(text, '@', hint.data(), uint32_t(hint.size()), "")) o.hints = hint.data();
  GFileCommandLine(text, &o.inputRate.num, &o.inputRate.den, &o.outputRate.num, &o.outputRate.den, &o.cropX,
                   &o.cropY, &o.cropWidth, &o.cropHeight, &o.firstFrame, &o.lastFrame, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr, nullptr, nullptr);
  SFileCommandLine(text, &o.soundRate, nullptr, &o.soundChannels, nullptr, nullptr, &o.soundTrack, nullptr, nullptr);
  o.overwrite = GetSwitch(text, 'O') != 0;
  o.dataRate = GetSwitchNum(text, 'D', o.dataRate);
  GetSwitchFractional(text, 'M', &o.maxRate.num, &o.maxRate.den, o.maxRate.num, o.maxRate.den);
  o.window = GetSwitchNum(text, 'P', o.window);
  o.keyInterval = GetSwitchNum(text, 'K', o.keyInterval);
  o.soundOption = GetSwitchNum(text, 'L', o.soundOption);
  o.lineMode = GetSwitchNum(text, 'Z', o.lineMode);
  o.owner = GetSwitchNum(text, '#', 0);

  const std::string left = tolapp::leftoverSwitch(text);
  if (!left.empty()) {
    const char letter = char(std::toupper(static_cast<unsigned char>(left.size() > 1 ? left[1] : ' ')));
    const std::string known = "ODMPFAKLZXYWHSERCT@#";
    error = (known.find(letter) != std::string::npos ? "bad or repeated switch: " : "unknown switch: ") + left;
    return false;
  }
  if (o.inputRate.given() && (o.inputRate.num <= 0 || o.inputRate.den <= 0)) {
    error = "/F needs a frame rate above 0";
    return false;
  }
  if (o.outputRate.given() && (o.outputRate.num <= 0 || o.outputRate.den <= 0)) {
    error = "/A needs a frame rate above 0";
    return false;
  }
  if (o.dataRate <= 0) {
    error = "/D needs a data rate above 0";
    return false;
  }
  if (o.maxRate.num <= 0 || o.maxRate.den <= 0) {
    error = "/M needs a value above 0";
    return false;
  }
  if (!inRange(o.window, 2, 64, "preview frames (/P)", error) ||
      !inRange(o.keyInterval, 0, INT32_MAX, "the key frame interval (/K)", error) ||
      !inRange(o.soundOption, -1, INT32_MAX, "sound compression (/L)", error) ||
      !inRange(o.lineMode, 0, 2, "the height mode (/Z)", error) ||
      !inRange(o.cropWidth, 0, 32768, "the width (/W)", error) ||
      !inRange(o.cropHeight, 0, 32768, "the height (/H)", error) ||
      !inRange(o.firstFrame, 0, INT32_MAX, "the first frame (/S)", error) ||
      !inRange(o.lastFrame, 0, INT32_MAX, "the last frame (/E)", error) ||
      !inRange(o.soundRate, 0, 65535, "the sound rate (/R)", error) ||
      !inRange(o.soundChannels, 0, 2, "the sound channels (/C)", error))
    return false;

  if (line.names.size() < 2 || line.names.size() > 3) {
    error = line.names.size() < 2 ? "an input and an output file name are needed"
                                  : "unexpected name: " + line.names.back();
    return false;
  }
  o.input = line.names[0];
  o.output = line.names[1];
  o.sound = line.names.size() > 2 ? line.names[2] : "";
  for (std::string* name : {&o.input, &o.sound})
    if (!name->empty() && !tolapp::fitName(*name, error)) return false;
  // The encoder writes under the name with ".tmp" appended.
  return tolapp::fitName(o.output, error, 123);
}

}  // namespace zurntool
