// Command-line texts after tolutil's switch parsers took their switches out
// (the tools link tolutil for those parsers).
#pragma once

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

}  // namespace tolapp
