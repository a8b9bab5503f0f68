#include "core/sequence.h"

#include <cstdio>
#include <filesystem>

#include "core/file_names.h"

namespace tolvideo {
namespace {

constexpr size_t kMaxDigits = 9;  // numbers stay within int

std::string numbered(const std::string& prefix, int number, size_t digits, const std::string& suffix) {
  char n[32];
  std::snprintf(n, sizeof n, "%0*d", static_cast<int>(digits), number);
  return prefix + n + suffix;
}

}  // namespace

bool isExistingFile(const std::string& name) {
  std::error_code ec;
  return std::filesystem::is_regular_file(name, ec);
}

Sequence detectSequence(const std::string& name, const std::function<bool(const std::string&)>& existsFn) {
  const auto& exists = existsFn ? existsFn : std::function<bool(const std::string&)>(isExistingFile);
  Sequence s;
  size_t start = name.find_first_of("0123456789", fileNamePart(name));
  if (start == std::string::npos) return s;
  size_t end = name.find_first_not_of("0123456789", start);
  if (end == std::string::npos) end = name.size();
  const size_t digits = end - start;
  if (digits > kMaxDigits) return s;
  const std::string prefix = name.substr(0, start), suffix = name.substr(end);
  const int number = std::stoi(name.substr(start, digits));
  int first = number, last = number;
  for (int n = number - 1; n >= 0 && exists(numbered(prefix, n, digits, suffix)); --n) first = n;
  for (int n = number + 1; n <= 999999999 && exists(numbered(prefix, n, digits, suffix)); ++n) last = n;
  if (first == last) return s;
  s.found = true;
  s.first = first;
  s.last = last;
  s.key = prefix + std::string(digits, '?') + suffix;
  s.text = s.key + "*" + std::to_string(first) + "-" + std::to_string(last);
  return s;
}

bool askSequence(const std::string& name, const Sequence& sequence, Services& services) {
  const std::string question = "File, \"" + name + "\", appears to be part of a sequence of files (" +
                               std::to_string(sequence.first) + " to " + std::to_string(sequence.last) +
                               ").\nDo you want to treat the sequence as a single animation?";
  return services.ask(question, "Treat as sequence?") == Answer::Yes;
}

std::string sequenceOrName(const std::string& name, Services& services) {
  Sequence s = detectSequence(name);
  return s.found && askSequence(name, s, services) ? s.text : name;
}

}  // namespace tolvideo
