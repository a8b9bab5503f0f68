// The converter dialog's fields, its switch string, the output-type menu's
// rules and the output name proposed for each type.
#pragma once

#include <string>

namespace tolvideo {

// Output types of the "Output type..." menu.
enum ConverterType {
  kTypeDefault = 0, kTypeAvi, kTypeWav, kTypeFlc, kTypeBmp, kTypeGif, kTypeJpeg, kTypeTga, kTypeTiff, kTypePcx,
  kTypePng, kConverterTypeCount
};
extern const char* const kConverterTypeNames[kConverterTypeCount];

struct ConverterOptions {
  bool overwrite = false;
  std::string frameRate, adjustRate, start, end, left, top, width, height;
  bool colors256 = true, video = true;
  std::string audioStart, audioEnd, skip, outputRate;
  int format = 0;
  std::string overrideRate;
  int overrideFormat = 0;  // 0 default .. 4
  bool audio = true;
  std::string audioTrack;
  std::string paletteEntries, paletteStart, paletteRotate, paletteEvery;
  bool paletteFromFile = false;
  std::string paletteFile;
  int systemColours = 0, halftoning = 0, eightBit = 0;

  static ConverterOptions fromSwitches(const std::string& switches);
  std::string toSwitches() const;

  // The menu choice of an output type sets the check boxes it implies.
  void chooseType(int& type, int chosen);
  // After the user changed one of the check boxes: unchecking video with
  // type 1, 256 colours with type 3 or 5, or sound with a type above 2
  // takes the type back to 0.
  enum class Box { Video, Colors256, Audio };
  void boxChanged(int& type, Box box) const;
  // Which control groups are enabled.
  bool videoControls() const { return video; }
  bool paletteControls() const { return video && colors256; }
  bool paletteFileControls() const { return video && colors256 && paletteFromFile; }
  bool audioControls() const { return audio; }
  // Save kind of the output for a type: type + 2, for the default AVI, or
  // WAV when only sound is converted.
  int outputKind(int type) const;
};

// The output name proposed again after a change: a leading "New_" dropped,
// the input's extension put on, then the output-name rule.
std::string reproposeConverterOutput(const std::string& output, const std::string& input, int kind);

}  // namespace tolvideo
