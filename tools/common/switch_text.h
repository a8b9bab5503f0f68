// Command-line texts after tolutil's switch parsers took their switches out
// (the tools link tolutil for those parsers).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tolapp {

// The names left in a command-line text once the switches were taken out,
// in order, quoted ones without their quotes.
std::vector<std::string> remainingNames(char* text);

// Reads a profile setting that holds switches only (a player's quick-play
// setting) with parse, which takes its switches out of the text; false with
// a message naming the key when parse fails or anything else is left.
bool parseSwitchSetting(const std::string& setting, const char* key,
                        const std::function<bool(char* text, std::string& error)>& parse, std::string& error);

// A player's command line: its switches read by parseSwitches over fresh
// options, the rest its files (at least one unless it lists its switches).
template <class Options>
bool parsePlayerLine(const std::string& line, Options& o, bool (*parseSwitches)(char*, Options&, std::string&),
                     std::string& error) {
  o = Options{};
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back(0);
  if (!parseSwitches(buffer.data(), o, error)) return false;
  o.files = remainingNames(buffer.data());
  if (o.files.empty() && !o.listSwitches) {
    error = "no file to play";
    return false;
  }
  return true;
}

// A player's quick-play setting (switches only) read over options; they
// stay as they were when it does not read.
template <class Options>
bool applyPlayerQuickPlay(const std::string& quick, const char* key, Options& o,
                          bool (*parseSwitches)(char*, Options&, std::string&), std::string& error) {
  Options merged = o;
  if (!parseSwitchSetting(quick, key, [&](char* text, std::string& e) { return parseSwitches(text, merged, e); },
                          error))
    return false;
  o = merged;
  return true;
}

// Takes switches out of a command-line text with tolutil's parsers, noting
// whether any was there.
class SwitchTaker {
 public:
  explicit SwitchTaker(char* text) : text_(text) {}
  // The number after the letter; fallback without the switch.
  int32_t number(char letter, int32_t fallback);
  // True when the letter stands alone; current without it.
  bool flag(char letter, bool current);
  // The players' /L[n] (plays of the list; alone: 0, endlessly) and /F[r]
  // (a frame rate; alone: as fast as possible). False with a message for a
  // rate not above 0.
  bool loopAndRate(int32_t& loops, bool& fast, int32_t& rateNum, int32_t& rateDen, std::string& error);
  bool given() const { return given_; }

 private:
  char* text_;
  bool given_ = false;
};

}  // namespace tolapp
