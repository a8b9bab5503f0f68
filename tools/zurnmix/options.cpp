#include "zurnmix/options.h"

#include <cstdio>
#include <vector>

#include "tol/sfile.h"
#include "tol/tolutil.h"

namespace zurnmixtool {

bool parseMixCommandLine(const tolapp::CommandLine& line, int32_t defaultLevel, MixOptions& o, std::string& error,
                         size_t outputLimit) {
  std::vector<char> buffer(line.switches.begin(), line.switches.end());
  buffer.push_back(0);
  char* text = buffer.data();
  // The mixer's own letters first; /T is the track to mix into, /I the
  // source's track, so the sound input must not read /T.
  o.overwrite = GetSwitch(text, 'O') != 0;
  o.loop = GetSwitch(text, 'P') != 0;
  o.level = GetSwitchNum(text, 'L', defaultLevel);
  o.track = GetSwitchNum(text, 'T', 0);
  GetSwitchFractional(text, 'F', &o.fpsNum, &o.fpsDen, 0, 0);
  o.startFrame = GetSwitchNum(text, 'N', 0);
  o.inputTrack = GetSwitchNum(text, 'I', 0);
  o.owner = GetSwitchNum(text, '#', 0);
  SFileCommandLine(text, &o.rate, &o.bits, &o.channels, &o.inputStart, &o.inputEnd, nullptr, &o.rawDescription,
                   &o.rawOffset);
  const std::string left = tolapp::leftoverSwitch(text);
  if (!left.empty()) {
    error = "unknown, bad or repeated switch: " + left;
    return false;
  }
  if ((o.level < 0 && o.level != defaultLevel) || o.track < 0 || o.inputTrack < 0 || (o.bits != 0 && o.bits != 8 && o.bits != 16) ||
      o.channels < 0 || o.channels > 2 || o.rate < 0 || o.rate > 65535 || o.fpsNum < 0 || o.fpsDen < 0) {
    error = "a switch is out of range: /L, /T, /I from 0; /B 8 or 16; /C 1 or 2; /R below 65536; /F above 0";
    return false;
  }
  if (line.names.size() != 3) {
    error = "a video file, a sound file and an output file are needed";
    return false;
  }
  o.video = line.names[0];
  o.sound = line.names[1];
  o.output = line.names[2];
  return tolapp::fitName(o.video, error) && tolapp::fitName(o.sound, error) &&
         tolapp::fitName(o.output, error, outputLimit);
}

int mixerMain(int argc, char** argv, const char* tool, const char* usage, int32_t defaultLevel, size_t outputLimit,
              int (*run)(const MixOptions&)) {
  const tolapp::CommandLine line = tolapp::splitArguments(argc, argv);
  if (line.help || argc < 2) {
    std::fputs(usage, line.help ? stdout : stderr);
    return line.help ? 0 : 2;
  }
  MixOptions options;
  std::string error;
  if (!parseMixCommandLine(line, defaultLevel, options, error, outputLimit)) {
    std::fprintf(stderr, "%s: %s\n(%s --help lists the switches)\n", tool, error.c_str(), tool);
    return 2;
  }
  return run(options);
}

}  // namespace zurnmixtool
