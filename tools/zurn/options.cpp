#include "zurn/options.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "tol/tolutil.h"

namespace zurntool {
namespace {

constexpr const char* kUsage =
    "usage: zurn INPUT OUTPUT.zrn [SOUND.wav] [switches]\n"
    "\n"
    "Compresses a numbered PNG sequence, with an optional WAVE sound track,\n"
    "into a Zurn file, then checks the file by decoding it.\n"
    "INPUT is a folder of PNG files, the first file of a numbered sequence\n"
    "(img0000.png) or a frame-sequence text (\"img????.png*0-29\": the run of\n"
    "'?' is the frame number, '*first-last' the numbers to take).\n"
    "\n"
    "  /O        replace OUTPUT without asking\n"
    "  /Dn       data rate in bytes per second (default 250000); 200 or less:\n"
    "            percent of the raw 24-bit input\n"
    "  /Mx       largest frame: x times the data rate's frame (default 3), or,\n"
    "            above 10, a data rate in bytes per second\n"
    "  /Pn       frames looked ahead to share the data rate, 2 to 64 (default 8)\n"
    "  /Fr       input frame rate (default 15; 29.97 and 30;1.001 are fine; a\n"
    "            negative value is a frame time: milliseconds, or below -1500\n"
    "            1/100000 seconds)\n"
    "  /Ar       output frame rate: frames are repeated or dropped to reach it\n"
    "  /Kn       a key frame at least every n frames\n"
    "  /Ln       sound compression: 0 lossless, 4 perceptibly lossless\n"
    "            (default), 20 very lossy, -1 no sound\n"
    "  /Zn       height: 0 every line, 1 every other line, 2 every other line\n"
    "            shown doubled\n"
    "  /Xn /Yn   offset of the picture in the input (negative: a margin)\n"
    "  /Wn /Hn   picture width and height (default: the input's)\n"
    "  /Sn /En   first and last input frame, counted from 1\n"
    "  /#n       the launcher's id (ignored)\n";

bool isBlank(char c) { return static_cast<signed char>(c) <= 32; }

// Frame times given as negative rates become rates: below -1500 the value
// is in 1/100000 s, otherwise in milliseconds.
bool normaliseRate(Fraction& f, char letter, std::string& error) {
  if (!f.given()) return true;
  int64_t num = f.num, den = f.den;
  if (num < 0) {
    const int64_t scale = num / den < -1500 ? 100000 : 1000;
    const int64_t time = -num;
    num = std::llabs(den) * scale;
    den = time;
  }
  const int64_t g = std::gcd(num, den);
  if (g > 1) {
    num /= g;
    den /= g;
  }
  if (num <= 0 || den <= 0 || num > INT32_MAX || den > INT32_MAX) {
    error = std::string("/") + letter + " needs a frame rate above 0 that fits 32 bits";
    return false;
  }
  f = Fraction{int32_t(num), int32_t(den)};
  return true;
}

bool inRange(int32_t value, int32_t low, int32_t high, const char* what, std::string& error) {
  if (value >= low && value <= high) return true;
  error = std::string(what) + " must be from " + std::to_string(low) + " to " + std::to_string(high) + ", not " +
          std::to_string(value);
  return false;
}

// The first switch left in the text (a slash at the start or after a blank,
// outside quotes), or empty.
std::string leftoverSwitch(const char* text) {
  bool quoted = false;
  for (const char* p = text; *p; ++p) {
    if (*p == '"') quoted = !quoted;
    if (*p != '/' || quoted || (p != text && !isBlank(p[-1]))) continue;
    const char* end = p;
    while (*end && !isBlank(*end)) ++end;
    return std::string(p, end);
  }
  return {};
}

}  // namespace

const char* usageText() { return kUsage; }

bool parseCommandLine(const std::string& line, CompressOptions& o, std::string& error) {
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back(0);
  char* text = buffer.data();

  o.overwrite = GetSwitch(text, 'O') != 0;
  o.dataRate = GetSwitchNum(text, 'D', o.dataRate);
  GetSwitchFractional(text, 'M', &o.maxRate.num, &o.maxRate.den, o.maxRate.num, o.maxRate.den);
  o.window = GetSwitchNum(text, 'P', o.window);
  GetSwitchFractional(text, 'F', &o.inputRate.num, &o.inputRate.den, 0, 0);
  GetSwitchFractional(text, 'A', &o.outputRate.num, &o.outputRate.den, 0, 0);
  o.keyInterval = GetSwitchNum(text, 'K', o.keyInterval);
  o.soundOption = GetSwitchNum(text, 'L', o.soundOption);
  o.lineMode = GetSwitchNum(text, 'Z', o.lineMode);
  o.cropX = GetSwitchNum(text, 'X', 0);
  o.cropY = GetSwitchNum(text, 'Y', 0);
  o.cropWidth = GetSwitchNum(text, 'W', 0);
  o.cropHeight = GetSwitchNum(text, 'H', 0);
  o.firstFrame = GetSwitchNum(text, 'S', 0);
  o.lastFrame = GetSwitchNum(text, 'E', 0);
  GetSwitchNum(text, '#', 0);  // the launcher's id: there is no status window to own

  const std::string left = leftoverSwitch(text);
  if (!left.empty()) {
    const char letter = char(std::toupper(static_cast<unsigned char>(left.size() > 1 ? left[1] : ' ')));
    const std::string known = "ODMPFAKLZXYWHSE#";
    if (letter == '@')
      error = "compressor hints (" + left + ") are not supported";
    else if (known.find(letter) != std::string::npos)
      error = "bad or repeated switch: " + left;
    else
      error = "unknown switch: " + left;
    return false;
  }

  if (!normaliseRate(o.inputRate, 'F', error) || !normaliseRate(o.outputRate, 'A', error)) return false;
  if (o.dataRate <= 0) {
    error = "/D needs a data rate above 0";
    return false;
  }
  if (o.maxRate.num <= 0) {
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
      !inRange(o.lastFrame, 0, INT32_MAX, "the last frame (/E)", error))
    return false;

  // File names: input, output, optional sound.
  std::string* names[] = {&o.input, &o.output, &o.sound};
  std::vector<char> word(buffer.size());
  for (std::string* name : names) {
    name->clear();
    if (!*text) break;
    GetAndRemoveFirstQuotedN(word.data(), uint32_t(word.size()), text);
    *name = word.data();
  }
  Trim(text);
  if (*text) {
    error = std::string("unexpected text: ") + text;
    return false;
  }
  if (o.input.empty() || o.output.empty()) {
    error = "an input and an output file name are needed";
    return false;
  }
  return true;
}

}  // namespace zurntool
