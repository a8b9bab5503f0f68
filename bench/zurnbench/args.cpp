#include "args.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace zurnbench {

Args::Args(int argc, char** argv, int first, const std::vector<std::string>& flags) {
  for (int i = first; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--", 0) != 0 || a.size() == 2) {
      positional_.push_back(a);
      continue;
    }
    const std::string name = a.substr(2);
    if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
      values_.insert_or_assign(name, std::string(1, '1'));
    } else if (i + 1 < argc) {
      values_[name] = argv[++i];
    } else {
      error_ = "option " + a + " needs a value";
    }
  }
}

std::string Args::str(const std::string& name, const std::string& fallback) const {
  const auto it = values_.find(name);
  return it == values_.end() ? fallback : it->second;
}

long Args::num(const std::string& name, long fallback) const {
  const auto it = values_.find(name);
  if (it == values_.end()) return fallback;
  char* end = nullptr;
  const long v = std::strtol(it->second.c_str(), &end, 10);
  if (end == it->second.c_str() || *end) error_ = "--" + name + " wants a number, not " + it->second;
  return v;
}

std::vector<std::string> Args::list(const std::string& name, const std::vector<std::string>& fallback) const {
  if (!has(name)) return fallback;
  std::vector<std::string> out;
  std::stringstream s(str(name));
  for (std::string item; std::getline(s, item, ',');)
    if (!item.empty()) out.push_back(item);
  return out;
}

std::vector<long> Args::nums(const std::string& name, const std::vector<long>& fallback) const {
  if (!has(name)) return fallback;
  std::vector<long> out;
  for (const std::string& item : list(name, {})) {
    char* end = nullptr;
    out.push_back(std::strtol(item.c_str(), &end, 10));
    if (end == item.c_str() || *end) error_ = "--" + name + " wants numbers, not " + item;
  }
  return out;
}

bool parseRate(const std::string& text, int& num, int& den) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  long d = 1;
  if (*end == '/') {
    const char* rest = end + 1;
    d = std::strtol(rest, &end, 10);
    if (end == rest) return false;
  }
  if (*end || n <= 0 || d <= 0 || n > 1000000 || d > 1000000) return false;
  num = int(n);
  den = int(d);
  return true;
}

}  // namespace zurnbench
