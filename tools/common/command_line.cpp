#include "command_line.h"

namespace tolapp {
namespace {

bool isSwitch(const std::string& a) { return a.size() >= 2 && a[0] == '/' && a.find('/', 1) == std::string::npos; }

// The parsers' blank: a byte that, read signed, is at most 32.
bool hasBlank(const std::string& a) {
  for (char c : a)
    if (static_cast<signed char>(c) <= 32) return true;
  return false;
}

}  // namespace

std::string joinArguments(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.empty()) continue;
    if (!text.empty()) text += ' ';
    if (a.find('"') != std::string::npos)
      text += a;
    else if (isSwitch(a))
      text += hasBlank(a) ? a.substr(0, 2) + '"' + a.substr(2) + '"' : a;
    else
      text += '"' + a + '"';
  }
  return text;
}

}  // namespace tolapp

namespace tolapp {

std::string firstSwitchLeft(const char* text) {
  bool quoted = false;
  for (const char* p = text; *p; ++p) {
    if (*p == '"') quoted = !quoted;
    if (*p != '/' || quoted || (p != text && static_cast<signed char>(p[-1]) > 32)) continue;
    const char* end = p;
    while (static_cast<signed char>(*end) > 32) ++end;
    return std::string(p, end);
  }
  return {};
}

}  // namespace tolapp
