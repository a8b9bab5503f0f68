#include "core/converter_options.h"

#include "core/file_names.h"
#include "core/mixer_options.h"
#include "core/switch_text.h"

namespace tolvideo {

const char* const kConverterTypeNames[kConverterTypeCount] = {
    "Default", "AVI file", "WAV file", "FLC file", "BMP files", "GIF files",
    "JPEG files", "TGA files", "TIFF files", "PCX files", "PNG files"};

ConverterOptions ConverterOptions::fromSwitches(const std::string& switches) {
  SwitchReader r(switches);
  ConverterOptions o;
  o.overwrite = r.flag('O');
  o.frameRate = r.text('F');
  o.adjustRate = r.text('A');
  o.start = r.text('S');
  o.end = r.text('E');
  o.left = r.text('X');
  o.top = r.text('Y');  // written before the override format's " /y": read first
  o.width = r.text('W');
  o.height = r.text('H');
  o.colors256 = !r.flag('Z');
  o.video = !r.flag('V');
  o.audioStart = r.text('J');
  o.audioEnd = r.text('K');
  o.skip = r.text('M');
  o.outputRate = r.text('R');
  o.format = readSampleFormat(r);
  o.overrideRate = r.text('G');
  o.overrideFormat = r.choice('Y', 4);
  const int32_t track = r.number('N', 0);
  o.audio = track != -1;
  if (track > 0) o.audioTrack = std::to_string(track);
  o.paletteEntries = r.text('Q');
  o.paletteStart = r.text('I');
  o.paletteRotate = r.text('$');
  o.paletteEvery = r.text('U');
  o.paletteFromFile = r.text('&', o.paletteFile);
  o.systemColours = r.choice('D', 2);
  o.halftoning = r.choice('T', 2);
  o.eightBit = r.choice('P', 2);
  return o;
}

std::string ConverterOptions::toSwitches() const {
  SwitchWriter w;
  if (overwrite) w.piece(" /o");
  w.value(" /f", frameRate).value(" /a", adjustRate).value(" /s", start).value(" /e", end);
  w.value(" /x", left).value(" /y", top).value(" /w", width).value(" /h", height);
  if (!colors256) w.piece(" /z");
  if (!video) w.piece(" /v");
  w.value(" /j", audioStart).value(" /k", audioEnd).value(" /m", skip).value(" /r", outputRate);
  w.piece(sampleFormatPiece(format));
  w.value(" /g", overrideRate).number(" /y", overrideFormat);
  if (!audio)
    w.piece(" /n-1");
  else
    w.value(" /n", audioTrack);
  w.value(" /q", paletteEntries).value(" /i", paletteStart).value(" /$", paletteRotate).value(" /u", paletteEvery);
  if (paletteFromFile) w.value(" /&", paletteFile);
  w.number(" /d", systemColours).number(" /t", halftoning).number(" /p", eightBit);
  return w.str();
}

void ConverterOptions::chooseType(int& type, int chosen) {
  type = chosen;
  if (chosen == 1 || chosen > 2) video = true;
  if (chosen >= 3) audio = false;
  if (chosen == 2) {
    video = false;
    audio = true;
  }
  if (chosen == 3 || chosen == 5) colors256 = true;
}

void ConverterOptions::boxChanged(int& type, Box box) const {
  if (box == Box::Video && !video && type == 1) type = 0;
  if (box == Box::Colors256 && !colors256 && (type == 3 || type == 5)) type = 0;
  if (box == Box::Audio && !audio && type > 2) type = 0;
}

int ConverterOptions::outputKind(int type) const {
  if (type != 0) return type + 2;
  return !video && audio ? kSaveWav : kSaveAvi;
}

std::string reproposeConverterOutput(const std::string& output, const std::string& input, int kind) {
  std::string name = output;
  const size_t part = fileNamePart(name);
  if (name.compare(part, 4, "New_") == 0) name.erase(part, 4);
  const size_t inDot = input.rfind('.');
  const std::string inExt = inDot != std::string::npos && inDot >= fileNamePart(input) ? input.substr(inDot) : "";
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot >= fileNamePart(name)) name.erase(dot);
  name += inExt;
  return proposeOutputName(name, kind);
}

}  // namespace tolvideo
