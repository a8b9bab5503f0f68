// Switch strings of the tool dialogs: read with the library's switch parsers
// (each value is cut out of a working copy, so every letter is read once)
// and built by appending pieces such as " /d250000" in a fixed order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvideo {

class SwitchReader {
 public:
  explicit SwitchReader(std::string_view text);

  // "/X" standing alone (followed by the end, a blank or punctuation).
  bool flag(char letter);
  // "/X" and a signed decimal number, else defaultValue.
  int32_t number(char letter, int32_t defaultValue);
  // "/X" and a number, held to first..last; outside gives defaultValue.
  int32_t choice(char letter, int32_t last, int32_t defaultValue = 0);
  // "/X" and a value (quoted, or up to a blank or slash), else defaultValue.
  std::string text(char letter, std::string_view defaultValue = "");
  // As text(); false when the switch is missing.
  bool text(char letter, std::string& value);
  // "/X" and a fraction ("29.97", "30;1.001"), reduced; else the defaults.
  void fraction(char letter, int32_t& numerator, int32_t& denominator, int32_t defaultNumerator,
                int32_t defaultDenominator);
  // "/X" with a value, or standing alone: true, value filled in the first case.
  bool flagOrText(char letter, std::string& value);
  // What is left of the text after the switches read so far were cut out.
  std::string rest() const { return text_.data(); }

 private:
  std::vector<char> text_;
};

class SwitchWriter {
 public:
  // Appends a fixed piece (" /o", " /b8 /c1").
  SwitchWriter& piece(std::string_view p);
  // Appends piece + value when the value is not empty, as switchValue.
  SwitchWriter& value(std::string_view p, std::string_view value);
  // Appends piece + the decimal number when it is not 0.
  SwitchWriter& number(std::string_view p, int32_t value);
  const std::string& str() const { return out_; }

 private:
  std::string out_;
};

// The value as the parsers read it back: quoted when it holds a blank or
// '/'; double quotes in it are dropped.
std::string switchValue(std::string_view value);
// Leading and trailing blanks (bytes at most 32 read signed) removed.
std::string trimmed(std::string_view text);

}  // namespace tolvideo
