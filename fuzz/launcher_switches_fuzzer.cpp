// Switch strings read into every launcher dialog's fields and written back;
// a string the dialogs wrote must read back to the same string. Selection
// texts split and joined again must give the same names.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/compressor_options.h"
#include "core/converter_options.h"
#include "core/file_names.h"
#include "core/list_model.h"
#include "core/mixer_options.h"
#include "core/player_options.h"
#include "core/switch_text.h"

namespace {

template <class RoundTrip>
void settles(const std::string& text, RoundTrip roundTrip) {
  const std::string once = roundTrip(text);
  const std::string twice = roundTrip(once);
  if (roundTrip(twice) != twice) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 2048) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.substr(0, text.find('\0'));  // switch strings are zero-terminated texts
  using namespace tolvideo;
  settles(text, [](const std::string& s) { return CompressorOptions::fromSwitches(s).toSwitches(); });
  settles(text, [](const std::string& s) { return MixerOptions::fromSwitches(s, true).toSwitches(); });
  settles(text, [](const std::string& s) { return MixerOptions::fromSwitches(s, false).toSwitches(); });
  settles(text, [](const std::string& s) { return ConverterOptions::fromSwitches(s).toSwitches(); });
  settles(text, [](const std::string& s) { return ZurnPlayerOptions::fromSwitches(s).toSwitches(); });
  settles(text, [](const std::string& s) { return PlevenPlayerOptions::fromSwitches(s).toSwitches(); });

  // Names of a selection come back from the text they make (a name holding
  // a double quote cannot be written into one; a lone bare name loses the
  // blanks at its ends, as the file-name box's text does).
  const auto names = splitSelection(text);
  bool plain = true;
  for (const auto& n : names) plain &= n.find('"') == std::string::npos && trimmed(n) == n;
  if (plain && splitSelection(selectionText(names)) != names) std::abort();
  (void)isListName(text);
  (void)proposeOutputName(text, static_cast<int>(size % kSaveKindCount));
  return 0;
}
