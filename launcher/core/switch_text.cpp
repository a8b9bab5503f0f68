#include "core/switch_text.h"

#include <algorithm>

#include "tol/tolutil.h"

namespace tolvideo {

SwitchReader::SwitchReader(std::string_view text) : text_(std::max<size_t>(text.size() + 1, TOL_TEXT_SIZE), 0) {
  std::copy(text.begin(), text.end(), text_.begin());
}

bool SwitchReader::flag(char letter) { return GetSwitch(text_.data(), letter) != 0; }

int32_t SwitchReader::number(char letter, int32_t defaultValue) {
  return GetSwitchNum(text_.data(), letter, defaultValue);
}

int32_t SwitchReader::choice(char letter, int32_t last, int32_t defaultValue) {
  int32_t v = number(letter, defaultValue);
  return v < 0 || v > last ? defaultValue : v;
}

bool SwitchReader::text(char letter, std::string& value) {
  std::vector<char> dest(text_.size(), 0);
  int32_t found = GetSwitchStrN(text_.data(), letter, dest.data(), static_cast<uint32_t>(dest.size()), "");
  value = dest.data();
  return found != 0;
}

std::string SwitchReader::text(char letter, std::string_view defaultValue) {
  std::string value;
  return text(letter, value) ? value : std::string(defaultValue);
}

void SwitchReader::fraction(char letter, int32_t& numerator, int32_t& denominator, int32_t defaultNumerator,
                            int32_t defaultDenominator) {
  GetSwitchFractional(text_.data(), letter, &numerator, &denominator, defaultNumerator, defaultDenominator);
}

bool SwitchReader::flagOrText(char letter, std::string& value) {
  if (text(letter, value)) return true;
  value.clear();
  return flag(letter);
}

SwitchWriter& SwitchWriter::piece(std::string_view p) {
  out_ += p;
  return *this;
}

SwitchWriter& SwitchWriter::value(std::string_view p, std::string_view v) {
  if (!v.empty()) {
    out_ += p;
    out_ += switchValue(v);
  }
  return *this;
}

SwitchWriter& SwitchWriter::number(std::string_view p, int32_t v) {
  if (v != 0) {
    out_ += p;
    out_ += std::to_string(v);
  }
  return *this;
}

std::string switchValue(std::string_view value) {
  // A double quote cannot stand inside a value: it would hide the switches
  // after it from the parsers.
  std::string v;
  for (char c : value)
    if (c != '"') v += c;
  bool cut = std::any_of(v.begin(), v.end(), [](char c) { return c == '/' || static_cast<signed char>(c) <= 32; });
  return cut ? '"' + v + '"' : v;
}

std::string trimmed(std::string_view text) {
  auto blank = [](char c) { return static_cast<signed char>(c) <= 32; };
  size_t b = 0, e = text.size();
  while (b < e && blank(text[b])) ++b;
  while (e > b && blank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

}  // namespace tolvideo
