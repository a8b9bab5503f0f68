#include "common/switch_text.h"

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

}  // namespace tolapp
