#include "common/switch_text.h"

#include <climits>
#include <cstring>

#include "tol/tolutil.h"

namespace tolapp {

std::vector<std::string> remainingNames(char* text) {
  std::vector<std::string> names;
  std::vector<char> word(std::strlen(text) + 1);
  for (;;) {
    Trim(text);
    if (!*text) break;
    GetAndRemoveFirstQuotedN(word.data(), uint32_t(word.size()), text);
    if (word[0]) names.push_back(word.data());
  }
  return names;
}

bool parseSwitchSetting(const std::string& setting, const char* key,
                        const std::function<bool(char* text, std::string& error)>& parse, std::string& error) {
  std::vector<char> buffer(setting.begin(), setting.end());
  buffer.push_back(0);
  if (!parse(buffer.data(), error)) {
    error = std::string("the ") + key + " setting: " + error;
    return false;
  }
  Trim(buffer.data());
  if (buffer[0]) {
    error = std::string("the ") + key + " setting holds more than switches: " + buffer.data();
    return false;
  }
  return true;
}

int32_t SwitchTaker::number(char letter, int32_t fallback) {
  const int32_t v = GetSwitchNum(text_, letter, INT32_MIN);
  if (v == INT32_MIN) return fallback;
  given_ = true;
  return v;
}

bool SwitchTaker::flag(char letter, bool current) {
  if (!GetSwitch(text_, letter)) return current;
  given_ = true;
  return true;
}

bool SwitchTaker::loopAndRate(int32_t& loops, bool& fast, int32_t& rateNum, int32_t& rateDen, std::string& error) {
  const int32_t n = number('L', -1);
  if (n >= 0) loops = n;
  else if (flag('L', false)) loops = 0;
  int32_t num = 0, den = 0;
  GetSwitchFractional(text_, 'F', &num, &den, 0, 0);
  if (den != 0) {
    if (num <= 0 || den < 0) {
      error = "/F needs a frame rate above 0";
      return false;
    }
    given_ = true;
    fast = false;
    rateNum = num;
    rateDen = den;
  } else if (flag('F', false)) {
    fast = true;
  }
  return true;
}

}  // namespace tolapp
