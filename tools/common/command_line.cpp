#include "command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tolapp {
namespace {

bool exists(const std::string& a) {
  struct stat st;
  return ::stat(a.c_str(), &st) == 0;
}

bool isSwitch(const std::string& a) {
  if (a.size() < 2 || a[0] != '/') return false;
  if (a[1] == '@') return true;
  if (a.find('"') != std::string::npos) return true;
  return a.find('/', 1) == std::string::npos && !exists(a);
}

// The parsers' blank: a byte that, read signed, is at most 32.
bool isBlank(char c) { return static_cast<signed char>(c) <= 32; }

bool hasBlank(const std::string& a) {
  for (char c : a)
    if (isBlank(c)) return true;
  return false;
}

std::string unquoted(const std::string& a) {
  if (a.size() >= 2 && a.front() == '"' && a.back() == '"') return a.substr(1, a.size() - 2);
  return a;
}

}  // namespace

CommandLine splitArguments(int argc, const char* const* argv) {
  CommandLine c;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.empty()) continue;
    if (a == "--help" || a == "-h" || a == "/?") {
      c.help = true;
    } else if (isSwitch(a)) {
      if (!c.switches.empty()) c.switches += ' ';
      // Values that may hold blanks or slashes (the hint and palette file
      // names) are quoted after the letter.
      const bool quote = a.find('"') == std::string::npos && (hasBlank(a) || a[1] == '@' || a[1] == '&');
      c.switches += quote ? a.substr(0, 2) + '"' + a.substr(2) + '"' : a;
    } else {
      c.names.push_back(unquoted(a));
    }
  }
  return c;
}

std::string joinArguments(int argc, const char* const* argv) {
  const CommandLine c = splitArguments(argc, argv);
  std::string text;
  for (const std::string& n : c.names) text += (text.empty() ? "\"" : " \"") + n + '"';
  if (!c.switches.empty()) text += (text.empty() ? "" : " ") + c.switches;
  return text;
}

bool fitName(std::string& name, std::string& error, size_t limit) {
  if (name.size() <= limit) return true;
  std::error_code ec;
  const std::filesystem::path here = std::filesystem::current_path(ec);
  if (!ec) {
    const std::string relative = std::filesystem::path(name).lexically_relative(here).string();
    if (!relative.empty() && relative.size() <= limit) {
      name = relative;
      return true;
    }
  }
  error = name + ": the name is longer than " + std::to_string(limit) +
          " bytes, even relative to the current folder; use a shorter name or change to a nearer folder";
  return false;
}

bool outputWritable(const std::string& output, std::string& error) {
  struct stat st;
  if (output.empty() || output.back() == '/' || (::stat(output.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) {
    error = systemMessage(output, EISDIR);
    return false;
  }
  const size_t slash = output.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : output.substr(0, slash);
  if (::access(folder.c_str(), W_OK) == 0) return true;
  error = systemMessage(folder, errno);
  return false;
}

std::string systemMessage(const std::string& name, int error) { return name + ": " + std::strerror(error); }

std::string leftoverSwitchError(const char* text, const std::string& knownLetters) {
  const std::string left = leftoverSwitch(text);
  if (left.empty()) return left;
  const char letter = char(std::toupper(static_cast<unsigned char>(left.size() > 1 ? left[1] : ' ')));
  return (knownLetters.find(letter) != std::string::npos ? "bad or repeated switch: " : "unknown switch: ") + left;
}

bool inRange(int32_t value, int32_t low, int32_t high, const char* what, std::string& error) {
  if (value >= low && value <= high) return true;
  error = std::string(what) + " must be from " + std::to_string(low) + " to " + std::to_string(high) + ", not " +
          std::to_string(value);
  return false;
}

std::string leftoverSwitch(const char* text) {
  bool quoted = false;
  for (const char* p = text; *p; ++p) {
    if (*p == '"') quoted = !quoted;
    if (*p != '/' || quoted || (p != text && !isBlank(p[-1]))) continue;
    const char* end = p;
    while (*end && !isBlank(*end)) ++end;
    return std::string(p, end);
  }
  return {};
}

std::string& lastLibraryMessage() {
  static std::string message;
  return message;
}

}  // namespace tolapp
