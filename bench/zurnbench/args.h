// Command-line arguments of the form "--name value" (or "--flag") plus
// positional arguments, with typed look-ups.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace zurnbench {

class Args {
 public:
  // flags: names that take no value.
  Args(int argc, char** argv, int first, const std::vector<std::string>& flags);

  bool has(const std::string& name) const { return values_.count(name) != 0; }
  std::string str(const std::string& name, const std::string& fallback = {}) const;
  long num(const std::string& name, long fallback) const;
  // A comma-separated list of numbers.
  std::vector<long> nums(const std::string& name, const std::vector<long>& fallback) const;
  std::vector<std::string> list(const std::string& name, const std::vector<std::string>& fallback) const;
  const std::vector<std::string>& positional() const { return positional_; }
  // The first malformed value or unknown option seen, empty when all is well.
  const std::string& error() const { return error_; }

 private:
  std::map<std::string, std::string> values_;
  std::vector<std::string> positional_;
  mutable std::string error_;
};

// Parses "n" or "n/d" (both positive); false otherwise.
bool parseRate(const std::string& text, int& num, int& den);

}  // namespace zurnbench
