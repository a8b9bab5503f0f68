// The Zurn and Pleven player dialogs: combo entries, fields and switch
// strings.
#pragma once

#include <string>
#include <vector>

namespace tolvideo {

struct ZurnPlayerOptions {
  bool loop = false;
  std::string loops;
  bool rate = false;
  std::string frameRate;
  bool summary = false, statistics = false, noSkip = false, noPause = false, preload = false, noThreads = false,
       noFill = false, clearOutside = false, hideCursor = false;
  int winStyle = 0;  // title bar and border, thick border, no title bar or border
  std::string left, top, width;
  int scaling = 0;
  bool monochrome = false;
  std::string height, readAhead, readSpeed, track;
  bool disablePause = false, disableSkip = false, disableCancel = false;
  int fullScreen = 0, depth = 0, blitting = 0;

  static ZurnPlayerOptions fromSwitches(const std::string& switches);
  std::string toSwitches() const;
};

struct PlevenPlayerOptions {
  bool loop = false;
  std::string loops;
  bool rate = false;
  std::string frameRate;
  bool summary = false, frameNumbers = false, noSkip = false, noPause = false, directSound = false,
       soundOnly = false, preload = false, fill = false;
  int winStyle = 0;  // title bar and border, thick border, thin border, no title bar or border
  std::string left, top, width, height, readAhead, readSpeed, tracks;
  bool disablePause = false, disableSkip = false, disableCancel = false;
  int resolution = 0, palette = 0, heightScale = 0, blitting = 0, zoom = 0;
  bool noAcceleration = false;

  static PlevenPlayerOptions fromSwitches(const std::string& switches);
  std::string toSwitches() const;
};

extern const std::vector<const char*> kZurnFullScreen, kZurnDepth, kZurnBlitting, kZurnScaling;
extern const std::vector<const char*> kPlevResolution, kPlevBlitting, kPlevPalette, kPlevZoom, kPlevHeight;

}  // namespace tolvideo
