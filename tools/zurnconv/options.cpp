#include "zurnconv/options.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "tol/gfile.h"
#include "tol/sfile.h"
#include "tol/tolutil.h"

namespace zurnconv {
namespace {

constexpr const char* kUsage =
    "usage: zurnconv INPUT OUTPUT [switches]\n"
    "\n"
    "Converts any picture input (still images, numbered sequences such as\n"
    "\"img????.png*0-29\", list files, AVI, QuickTime, FLIC, Pleven, Zurn, raw\n"
    "frame files) with its sound into the kind of file OUTPUT's extension names:\n"
    "  .avi               pictures (24-bit, or 8-bit with 256 colours) and PCM sound\n"
    "  .flc, none         a FLIC animation, always 256 colours\n"
    "  .bmp .jpg .png .tga .tif   one numbered picture a frame (out.png: out00.png,\n"
    "                     out01.png, ...; one frame: out.png itself)\n"
    "  .gif .pcx          the same, always 256 colours\n"
    "  .wav               the sound alone (from any sound input as well)\n"
    "\n"
    "  /O        replace OUTPUT without asking (otherwise a terminal is asked;\n"
    "            without one it is kept)\n"
    "  /Z        true colour; without /Z pictures are reduced to 256 colours\n"
    "  /V        no pictures: the sound alone, into a .wav OUTPUT\n"
    "  /Fr       input frame rate (default: the input's; 29.97 and 30;1.001 are\n"
    "            fine; a negative value is a frame time: milliseconds, or below\n"
    "            -1500 1/100000 seconds)\n"
    "  /Ar       output frame rate: frames are repeated or dropped to reach it\n"
    "  /Sn /En   first and last input frame, counted from 1 (also the sound's\n"
    "            start and end unless /J or /K is given; for the .wav OUTPUT\n"
    "            of a sound file without pictures they count milliseconds)\n"
    "  /Xn /Yn   offset of the picture in the input (negative: a black margin)\n"
    "  /Wn /Hn   picture width and height (default: the input's)\n"
    "Sound (into the AVI, or the WAVE file):\n"
    "  /Nn       the input's sound track (Pleven 1 to 7, AVI stream); /N-1 no sound\n"
    "  /Jn /Kn   start and end of the sound in milliseconds\n"
    "  /Rn       sample rate (default: the source's)\n"
    "  /B8 /B16  bits per sample; /C1 /C2 channels (default: the source's)\n"
    "  /Yn /Gn /Mn  headerless sound input: format (1 8-bit mono, 2 8-bit stereo,\n"
    "            3 16-bit mono, 4 16-bit stereo), rate (11025), bytes to skip.\n"
    "            The launcher writes /Y for the picture's top first: a /Y after\n"
    "            /W /H /Z /V /J /K /M /R /B /C or /G, a second /Y, or the one /Y\n"
    "            of a .wav OUTPUT is the sound format.\n"
    "256 colours (without /Z):\n"
    "  /Qn       palette entries to use (256); /In the first of them\n"
    "  /$n       entries the palette rotates by between palettes (0)\n"
    "  /Un       a new palette every n frames (default: one for the whole clip)\n"
    "  /&name    take the palette from this picture file\n"
    "  /D1 /D2   the 20 system colours: also written (1), ignored (2); default:\n"
    "            kept out of computed palettes\n"
    "  /T1 /T2   24-bit working copy before reducing: always (1), never (2);\n"
    "            default: for more than 9 frames of more than 256 colours\n"
    "  /P1 /P2   8-bit input: a new palette (1), a new one when it changes (2);\n"
    "            default: its own palette\n"
    "  /#n       the launcher that started the tool (gets the last status line)\n"
    "\n"
    "The launcher's default switches, \"/z\", give a true-colour conversion with\n"
    "the input's sound: an AVI of 24-bit frames and PCM sound, 24-bit still\n"
    "pictures, or for .flc, .gif and .pcx (which hold 256 colours) 256 colours.\n"
    "\n"
    "Ctrl-C stops; nothing is left under OUTPUT's names then, nor on failure.\n"
    "Exit codes: 0 done, 1 failed, 2 bad command line, 130 stopped.\n";

std::string upperExtension(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = name.substr(dot);
  for (char& c : ext) c = char(std::toupper(static_cast<unsigned char>(c)));
  return ext;
}

// The switch letters of the text in order (outside quotes, after a blank or
// at the start, as tolutil's switch parsers find them), upper case.
std::string switchLetters(const char* text) {
  std::string letters;
  bool quoted = false;
  for (size_t i = 0; text[i]; ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] != '/' || quoted || (i > 0 && static_cast<signed char>(text[i - 1]) > 32) || !text[i + 1]) continue;
    letters += char(std::toupper(static_cast<unsigned char>(text[i + 1])));
  }
  return letters;
}

// Whether the first /Y of the text is the headerless sound format rather
// than the picture's top: the launcher writes the top before /W /H /Z /V and
// the sound switches, and the format after them. Without pictures (a WAVE
// output, /V) a lone /Y is the format.
bool firstYIsSoundFormat(const char* text, bool waveOutput) {
  const std::string letters = switchLetters(text);
  if (std::count(letters.begin(), letters.end(), 'Y') != 1) return false;
  if (waveOutput || letters.find('V') != std::string::npos) return true;
  return letters.find_first_of("WHZVJKMRBCG") < letters.find('Y');
}

// Cuts the converter's sound switch `from` out of `text` and appends it to
// `sound` under the sound input's letter `to`.
void moveSwitch(char* text, char from, char to, std::string& sound) {
  std::vector<char> value(std::strlen(text) + 1, 0);
  if (GetSwitchStrN(text, from, value.data(), uint32_t(value.size()), "") == 0) return;
  sound += std::string(" /") + to + value.data();
}

using tolapp::inRange;

}  // namespace

const char* usageText() { return kUsage; }

bool outputKindOf(const std::string& name, OutputKind& kind) {
  const std::string ext = upperExtension(name);
  if (ext == ".AVI") kind = OutputKind::Avi;
  else if (ext.empty() || ext == ".FLC") kind = OutputKind::Flic;
  else if (ext == ".WAV") kind = OutputKind::Wave;
  else if (ext == ".BMP" || ext == ".JPG" || ext == ".PNG" || ext == ".TGA" || ext == ".TIF" || ext == ".GIF" ||
           ext == ".PCX")
    kind = OutputKind::Series;
  else
    return false;
  return true;
}

bool parseConvertCommandLine(const tolapp::CommandLine& line, ConvertOptions& o, std::string& error) {
  if (line.names.size() != 2 || line.names[0].empty() || line.names[1].empty()) {
    error = line.names.size() <= 2 ? "an input and an output file name are needed"
                                  : "unexpected name: " + line.names.back();
    return false;
  }
  o.input = line.names[0];
  o.output = line.names[1];
  if (!outputKindOf(o.output, o.kind)) {
    error = o.output + ": no converter writes this kind of file (.avi, .flc, .wav, .bmp, .gif, .jpg, .tga, .tif, "
                       ".pcx or .png)";
    return false;
  }

  std::vector<char> buffer(line.switches.begin(), line.switches.end());
  buffer.push_back(0);
  char* text = buffer.data();
  // Before any switch is cut: where the /Y stands says what it is.
  const bool formatFirst = firstYIsSoundFormat(text, o.kind == OutputKind::Wave);
  o.overwrite = GetSwitch(text, 'O') != 0;
  o.trueColour = GetSwitch(text, 'Z') != 0;
  o.video = GetSwitch(text, 'V') == 0;
  o.owner = GetSwitchNum(text, '#', 0);

  // The sound switches, in the sound input's letters.
  std::string sound;
  if (formatFirst) moveSwitch(text, 'Y', 'Y', sound);
  char paletteFile[GFILE_NAME_SIZE] = {};
  GFileCommandLine(text, &o.inRateNum, &o.inRateDen, &o.outRateNum, &o.outRateDen, &o.cropX, &o.cropY, &o.cropWidth,
                   &o.cropHeight, &o.firstFrame, &o.lastFrame, &o.paletteMode, &o.paletteInterval, &o.paletteFirst,
                   &o.paletteCount, &o.paletteOverlap, &o.systemColours, &o.mode24, paletteFile);
  o.paletteFile = paletteFile;
  if (!formatFirst) moveSwitch(text, 'Y', 'Y', sound);
  for (const auto& [from, to] : {std::pair{'J', 'S'}, {'K', 'E'}, {'M', 'K'}, {'R', 'R'}, {'B', 'B'}, {'C', 'C'},
                                 {'G', 'D'}, {'N', 'T'}})
    moveSwitch(text, from, to, sound);
  o.soundStartGiven = sound.find(" /S") != std::string::npos;
  o.soundEndGiven = sound.find(" /E") != std::string::npos;
  std::vector<char> soundText(sound.begin(), sound.end());
  soundText.push_back(0);
  std::vector<char> peek = soundText;
  const int32_t format = GetSwitchNum(peek.data(), 'Y', 0);
  SFileCommandLine(soundText.data(), &o.soundRate, &o.soundBits, &o.soundChannels, &o.soundStart, &o.soundEnd,
                   &o.soundTrack, &o.rawDescription, &o.rawOffset);
  o.sound = o.soundTrack != -1;

  const std::string left = tolapp::leftoverSwitch(text);
  if (!left.empty()) {
    const char letter = char(std::toupper(static_cast<unsigned char>(left.size() > 1 ? left[1] : ' ')));
    const std::string known = "OZVFASEXYWHNJKMRBCGQI$U&DTP#";
    error = (known.find(letter) == std::string::npos ? "unknown switch: " : "bad or repeated switch: ") + left;
    return false;
  }
  const std::string soundLeft = tolapp::leftoverSwitch(soundText.data());
  if (!soundLeft.empty()) {
    error = soundLeft[1] == 'D' || soundLeft[1] == 'K'
                ? "/G and /M describe headerless sound and need its format, /Y1 to /Y4"
                : "bad or repeated sound switch (/J /K /M /R /B /C /G /Y /N)";
    return false;
  }
  if ((o.inRateDen != 0 && o.inRateNum <= 0) || (o.outRateDen != 0 && o.outRateNum <= 0)) {
    error = std::string(o.inRateDen != 0 && o.inRateNum <= 0 ? "/F" : "/A") + " needs a frame rate above 0";
    return false;
  }
  if (!inRange(o.cropWidth, 0, 16384, "the width (/W)", error) ||
      !inRange(o.cropHeight, 0, 16384, "the height (/H)", error) ||
      !inRange(o.firstFrame, 0, INT32_MAX, "the first frame (/S)", error) ||
      !inRange(o.lastFrame, 0, INT32_MAX, "the last frame (/E)", error) ||
      !inRange(o.paletteMode, 0, 2, "the 8-bit input's palette (/P)", error) ||
      !inRange(o.systemColours, 0, 2, "the system colours (/D)", error) ||
      !inRange(o.mode24, 0, 2, "the 24-bit working copy (/T)", error) ||
      !inRange(o.paletteOverlap, 0, 256, "the palette rotation (/$)", error) ||
      !inRange(o.soundTrack, -1, INT32_MAX, "the sound track (/N)", error) ||
      !inRange(o.soundStart, 0, INT32_MAX, "the sound's start (/J)", error) ||
      !inRange(o.soundEnd, 0, INT32_MAX, "the sound's end (/K)", error) ||
      !inRange(o.soundRate, 0, 1000000, "the sample rate (/R)", error) ||
      !inRange(o.soundChannels, 0, 2, "the channels (/C)", error) ||
      !inRange(format, 0, 4, "the headerless sound format (/Y)", error) ||
      !inRange(int32_t(o.rawDescription >> SFILE_RAW_RATE_SHIFT), 0, 1000000, "the headerless sound's rate (/G)",
               error))
    return false;
  if (o.soundBits != 0 && o.soundBits != 8 && o.soundBits != 16) {
    error = "the bits per sample (/B) must be 8 or 16, not " + std::to_string(o.soundBits);
    return false;
  }
  if (!o.video && o.kind != OutputKind::Wave) {
    error = "without pictures (/V) the output must be a WAVE file (.wav): " + o.output;
    return false;
  }
  if (o.kind == OutputKind::Wave && !o.sound) {
    error = "a WAVE file holds sound, and /N-1 turns the sound off";
    return false;
  }
  if (!o.soundStartGiven && o.firstFrame > 0) o.soundStart = -o.firstFrame;
  if (!o.soundEndGiven && o.lastFrame > 0) o.soundEnd = -o.lastFrame;
  if (o.kind == OutputKind::Flic && upperExtension(o.output).empty()) o.output += ".flc";
  // These hold 256 colours at most, whatever /Z says.
  const std::string ext = upperExtension(o.output);
  if (ext == ".FLC" || ext == ".GIF" || ext == ".PCX") o.trueColour = false;
  for (std::string* name : {&o.input, &o.output})
    if (!tolapp::fitName(*name, error)) return false;
  return true;
}

}  // namespace zurnconv
