// The Zurn and Pleven mixer dialogs' fields and their switch strings.
#pragma once

#include <string>

namespace tolvideo {

// Output and override sample formats: 0 the input's (or default), then
// 8-bit mono, 8-bit stereo, 16-bit mono, 16-bit stereo.
int readSampleFormat(class SwitchReader& r);
const char* sampleFormatPiece(int format);  // " /b8 /c1" ... ; "" for 0

struct MixerOptions {
  bool overwrite = false, loop = false;
  std::string level, track, frameRate, startAt, outputRate;
  int format = 0;
  std::string overrideRate, inputStart, inputEnd, inputTrack, skip;
  int overrideFormat = 0;  // 0 default .. 5 non-sound

  static MixerOptions fromSwitches(const std::string& switches, bool zurn);
  std::string toSwitches() const;
};

}  // namespace tolvideo
