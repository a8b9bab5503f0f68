#include "core/mixer_options.h"

#include "core/switch_text.h"

namespace tolvideo {

int readSampleFormat(SwitchReader& r) {
  const int32_t bits = r.number('B', 0);
  const int32_t channels = r.number('C', 0);
  int format = (bits == 8 ? 1 : bits == 16 ? 3 : 0) + channels / 2;
  return format < 0 || format > 4 ? 0 : format;
}

const char* sampleFormatPiece(int format) {
  static const char* const pieces[] = {"", " /b8 /c1", " /b8 /c2", " /b16 /c1", " /b16 /c2"};
  return pieces[format >= 0 && format <= 4 ? format : 0];
}

MixerOptions MixerOptions::fromSwitches(const std::string& switches, bool zurn) {
  SwitchReader r(switches);
  MixerOptions o;
  o.overwrite = r.flag('O');
  o.loop = r.flag('P');
  o.level = r.text('L', zurn ? "4" : "");
  o.track = r.text('T');
  o.frameRate = r.text('F');
  o.startAt = r.text('N');
  o.outputRate = r.text('R');
  o.format = readSampleFormat(r);
  o.overrideRate = r.text('D');
  o.inputStart = r.text('S');
  o.inputEnd = r.text('E');
  o.inputTrack = r.text('I');
  o.skip = r.text('K');
  o.overrideFormat = r.choice('Y', 5);
  return o;
}

std::string MixerOptions::toSwitches() const {
  SwitchWriter w;
  if (overwrite) w.piece(" /o");
  if (loop) w.piece(" /p");
  w.value(" /l", level).value(" /t", track).value(" /f", frameRate).value(" /n", startAt).value(" /r", outputRate);
  w.piece(sampleFormatPiece(format));
  w.value(" /d", overrideRate).value(" /s", inputStart).value(" /e", inputEnd).value(" /i", inputTrack);
  w.value(" /k", skip).number(" /y", overrideFormat);
  return w.str();
}

}  // namespace tolvideo
