// The compressor dialog's fields and its switch string.
#pragma once

#include <string>

namespace tolvideo {

struct CompressorOptions {
  bool overwrite = false;
  bool percent = false;  // "/D" of 200 or less: a percent of the original size
  std::string rate, percentValue;
  bool specificRate = false;  // "/M" above 10: a data rate rather than a multiple
  std::string times, specific;
  std::string preview = "8", frameRate, adjustRate, keyEvery, audio = "4";
  int height = 0;  // 0 none, 1 interlaced, 2 doubled
  std::string left, top, width, height_, start, end;

  static CompressorOptions fromSwitches(const std::string& switches);
  std::string toSwitches() const;
};

}  // namespace tolvideo
