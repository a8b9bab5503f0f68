#include "zurn/hints.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/command_line.h"

namespace zurntool {
namespace {

bool readNumber(const std::string& text, size_t& pos, uint64_t& value) {
  const size_t start = pos;
  value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + uint64_t(text[pos++] - '0');
    if (value > UINT32_MAX) return false;
  }
  return pos > start;
}

bool readRange(const std::string& word, FrameRange& r) {
  size_t pos = 0;
  uint64_t v;
  if (!readNumber(word, pos, v) || v == 0) return false;
  r.first = r.last = uint32_t(v);
  r.step = 1;
  if (pos < word.size() && word[pos] == '-') {
    ++pos;
    if (pos == word.size() || word[pos] == '/')
      r.last = UINT32_MAX;
    else if (!readNumber(word, pos, v) || v < r.first)
      return false;
    else
      r.last = uint32_t(v);
  }
  if (pos < word.size() && word[pos] == '/') {
    ++pos;
    if (!readNumber(word, pos, v) || v == 0) return false;
    r.step = uint32_t(v);
  }
  return pos == word.size();
}

// "3", "2.5" or "7/2" as a fraction above 0.
bool readValue(const std::string& word, int32_t& num, int32_t& den) {
  size_t pos = 0;
  uint64_t whole, part = 0, scale = 1;
  if (!readNumber(word, pos, whole)) return false;
  if (pos < word.size() && word[pos] == '/') {
    ++pos;
    if (!readNumber(word, pos, part) || part == 0 || pos != word.size() || whole > INT32_MAX || part > INT32_MAX)
      return false;
    num = int32_t(whole), den = int32_t(part);
    return whole > 0;
  }
  if (pos < word.size() && word[pos] == '.') {
    ++pos;
    while (pos < word.size() && word[pos] >= '0' && word[pos] <= '9' && scale < 1000) {
      part = part * 10 + uint64_t(word[pos++] - '0');
      scale *= 10;
    }
  }
  const uint64_t n = whole * scale + part;
  if (pos != word.size() || n == 0 || n > INT32_MAX) return false;
  num = int32_t(n), den = int32_t(scale);
  return true;
}

}  // namespace

bool Hints::keyAt(uint32_t frame) const {
  for (const FrameRange& r : keys)
    if (r.holds(frame)) return true;
  return false;
}

const Hints::Value* Hints::valueAt(const std::vector<Value>& values, uint32_t frame) {
  for (auto it = values.rbegin(); it != values.rend(); ++it)
    if (it->range.holds(frame)) return &*it;
  return nullptr;
}

bool parseHints(const std::string& text, Hints& hints, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string verb, word;
    if (!(words >> verb)) continue;
    const auto fail = [&](const std::string& why) {
      error = "hints, line " + std::to_string(number) + ": " + why;
      return false;
    };
    if (verb == "key") {
      int count = 0;
      for (FrameRange r; words >> word; ++count) {
        if (!readRange(word, r)) return fail("not a frame or range: " + word);
        hints.keys.push_back(r);
      }
      if (count == 0) return fail("key needs frames");
    } else if (verb == "rate" || verb == "max") {
      Hints::Value v;
      std::string range, value, extra;
      if (!(words >> range >> value) || (words >> extra)) return fail(verb + " needs a range and a value");
      if (!readRange(range, v.range)) return fail("not a frame or range: " + range);
      if (!readValue(value, v.num, v.den)) return fail("not a value above 0: " + value);
      if (verb == "rate" && v.den != 1) return fail("a data rate is a whole number: " + value);
      (verb == "rate" ? hints.rates : hints.maxima).push_back(v);
    } else {
      return fail("unknown instruction \"" + verb + "\" (key, rate or max)");
    }
  }
  return true;
}

bool readHintFile(const std::string& given, Hints& hints, std::string& error) {
  const bool temporary = !given.empty() && given[0] == '*';
  const std::string name = temporary ? given.substr(1) : given;
  std::ifstream in(name, std::ios::binary);
  if (!in) {
    error = tolapp::systemMessage(name, errno);
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  in.close();
  if (temporary) std::remove(name.c_str());
  return parseHints(text.str(), hints, error);
}

}  // namespace zurntool
