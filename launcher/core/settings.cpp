#include "core/settings.h"

#include <vector>

#include "platform/profile.h"

namespace tolvideo {

const char* const kProfileSection = "TOL Video Tools";

namespace {

constexpr size_t kSwitchSize = 256;
constexpr size_t kPathSize = 4096;

std::string readText(const char* key, const char* defaultValue, size_t cap) {
  std::vector<char> buf(cap, 0);
  tol::profile::getString(kProfileSection, key, defaultValue, buf.data(), cap);
  return buf.data();
}

}  // namespace

std::string profileText(const char* key, const char* defaultValue) {
  return readText(key, defaultValue, kSwitchSize);
}

bool writeProfileText(const char* key, const std::string& value) {
  return tol::profile::writeString(kProfileSection, key, value.c_str());
}

void Settings::load() {
  zurnComp = profileText("ZurnComp", "");
  zurnMix = profileText("ZurnMix", "");
  plevMix = profileText("PlevMix", "");
  zurnPlay = profileText("ZurnPlay", "");
  plevPlay = profileText("PlevPlay", "");
  zurnConv = profileText("ZurnConv", "/z");
  path = readText("Path", "", kPathSize);
  x = tol::profile::getInt(kProfileSection, "X", 100);
  y = tol::profile::getInt(kProfileSection, "Y", 100);
  w = tol::profile::getInt(kProfileSection, "W", 0);
  h = tol::profile::getInt(kProfileSection, "H", 0);
  lastVersionCheckDate = profileText("LastVersionCheckDate", "1999-10-14");
}

void Settings::save() const {
  writeProfileText("Path", path);
  writeProfileText("ZurnComp", zurnComp);
  writeProfileText("ZurnMix", zurnMix);
  writeProfileText("PlevMix", plevMix);
  writeProfileText("ZurnPlay", zurnPlay);
  writeProfileText("PlevPlay", plevPlay);
  writeProfileText("ZurnConv", zurnConv);
  tol::profile::writeInt(kProfileSection, "X", x);
  tol::profile::writeInt(kProfileSection, "Y", y);
  tol::profile::writeInt(kProfileSection, "W", w);
  tol::profile::writeInt(kProfileSection, "H", h);
}

}  // namespace tolvideo
