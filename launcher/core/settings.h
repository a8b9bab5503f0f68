// The launcher's settings in the per-user profile, section "TOL Video
// Tools": read at start, written back when the main window closes.
//
// Adaptation: the current folder is kept at full path length (4096 bytes)
// rather than 256, since folder paths here are often longer.
#pragma once

#include <cstdint>
#include <string>

namespace tolvideo {

extern const char* const kProfileSection;  // "TOL Video Tools"

struct Settings {
  std::string zurnComp, zurnMix, plevMix, zurnPlay, plevPlay;
  std::string zurnConv = "/z";
  std::string path;
  int32_t x = 100, y = 100, w = 0, h = 0;
  std::string lastVersionCheckDate = "1999-10-14";

  void load();
  // "Path", the six switch strings and the placement.
  void save() const;
};

// Reads and writes one text key of the section.
std::string profileText(const char* key, const char* defaultValue);
bool writeProfileText(const char* key, const std::string& value);

}  // namespace tolvideo
