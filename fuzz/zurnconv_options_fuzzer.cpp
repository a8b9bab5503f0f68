// The converter's command line from arbitrary bytes: the words (split at
// line ends) as its arguments. Whatever it accepts must be in range.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "zurnconv/options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::vector<std::string> words(1, "zurnconv");
  std::string word;
  for (size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == '\n') {
      words.push_back(word);
      word.clear();
    } else if (data[i] != 0) {
      word += char(data[i]);
    }
  }
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  zurnconv::ConvertOptions o;
  std::string error;
  if (!zurnconv::parseConvertCommandLine(tolapp::splitArguments(int(argv.size()), argv.data()), o, error)) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  const bool inRange = !o.input.empty() && !o.output.empty() && o.paletteMode <= 2 && o.systemColours <= 2 &&
                       o.mode24 <= 2 && o.soundTrack >= -1 && o.soundChannels >= 0 && o.soundChannels <= 2 &&
                       (o.soundBits == 0 || o.soundBits == 8 || o.soundBits == 16) && o.cropWidth >= 0 &&
                       o.cropHeight >= 0 && (o.video || o.kind == zurnconv::OutputKind::Wave) &&
                       (o.sound || o.kind != zurnconv::OutputKind::Wave);
  if (!inRange) std::abort();
  return 0;
}
