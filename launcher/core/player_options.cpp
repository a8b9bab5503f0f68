#include "core/player_options.h"

#include "core/switch_text.h"

namespace tolvideo {

const std::vector<const char*> kZurnFullScreen = {
    "Don't switch to full screen.", "320x200 full screen.", "320x240 full screen.", "320x400 full screen.",
    "400x300 full screen.",         "480x360 full screen.", "512x384 full screen.", "640x400 full screen.",
    "640x480 full screen.",         "800x600 full screen.", "960x720 full screen.", "1024x768 full screen.",
    "1152x852 full screen.",        "1280x1024 full screen."};
const std::vector<const char*> kZurnDepth = {"at 16-bits", "at 24-bits", "at 32-bits", "at 8-bits"};
const std::vector<const char*> kZurnBlitting = {"Choose blitting style automatically.",
                                                "DirectDraw to primary surface (best quality, very fast)",
                                                "DIB Section (best quality, most compatible)",
                                                "DirectDraw YV12 overlay",
                                                "DirectDraw YUY2 overlay",
                                                "DirectDraw UYVY overlay",
                                                "DirectDraw YV12 off-screen",
                                                "DirectDraw YUY2 off-screen",
                                                "DirectDraw UYVY off-screen",
                                                "DirectDraw RGB video memory off-screen",
                                                "DirectDraw RGB system memory off-screen"};
const std::vector<const char*> kZurnScaling = {"As file was compressed", "Height interlaced", "Height doubled",
                                               "Force no video scaling"};
const std::vector<const char*> kPlevResolution = {"Current", "640x400", "640x480", "800x600", "1024x768"};
const std::vector<const char*> kPlevBlitting = {"Choose automatically", "320x240 DispDIB", "320x200 DispDIB",
                                                "Standard DIBs", "DIBSection or WinG"};
const std::vector<const char*> kPlevPalette = {"Remap if necessary", "Remap to system", "Never remap"};
const std::vector<const char*> kPlevZoom = {"Doubled pixels", "Interlaced pixels", "Smoothed pixels"};
const std::vector<const char*> kPlevHeight = {"As compressed", "Height interlaced", "Height doubled",
                                              "Force no scaling"};

namespace {

int inRange(int value, const std::vector<const char*>& entries) {
  return value >= 0 && value < static_cast<int>(entries.size()) ? value : 0;
}

void writeLoopAndRate(SwitchWriter& w, bool loop, const std::string& loops, bool rate, const std::string& frameRate) {
  if (loop) w.piece(" /l").piece(switchValue(loops));
  if (rate) w.piece(" /f").piece(switchValue(frameRate));
}

void writeDisabledKeys(SwitchWriter& w, bool pause, bool skip, bool cancel) {
  w.number(" /u", (pause ? 1 : 0) | (skip ? 2 : 0) | (cancel ? 4 : 0));
}

}  // namespace

ZurnPlayerOptions ZurnPlayerOptions::fromSwitches(const std::string& switches) {
  SwitchReader r(switches);
  ZurnPlayerOptions o;
  o.loop = r.flagOrText('L', o.loops);
  o.rate = r.flagOrText('F', o.frameRate);
  o.summary = r.flag('S');
  o.statistics = r.flag('Q');
  o.noSkip = r.flag('N');
  o.noPause = r.flag('J');
  o.preload = r.flag('P');
  o.noThreads = r.flag('K');
  o.noFill = r.flag('G');
  o.clearOutside = r.flag('R');
  o.hideCursor = r.flag('C');
  o.winStyle = r.choice('I', 2);
  o.left = r.text('X');
  o.top = r.text('Y');
  o.width = r.text('W');
  const int32_t a = r.number('A', 0);
  o.scaling = inRange(a % 100, kZurnScaling);
  o.monochrome = a / 100 == 1;
  o.height = r.text('H');
  o.readAhead = r.text('E');
  o.readSpeed = r.text('M');
  o.track = r.text('T');
  const int32_t u = r.number('U', 0);
  o.disablePause = u & 1;
  o.disableSkip = u & 2;
  o.disableCancel = u & 4;
  const int32_t d = r.number('D', 0);
  o.fullScreen = inRange(d % 100, kZurnFullScreen);
  o.depth = inRange(d / 100, kZurnDepth);
  o.blitting = inRange(r.number('B', 0), kZurnBlitting);
  return o;
}

std::string ZurnPlayerOptions::toSwitches() const {
  SwitchWriter w;
  writeLoopAndRate(w, loop, loops, rate, frameRate);
  const std::pair<bool, const char*> flags[] = {{summary, " /s"},    {statistics, " /q"}, {noSkip, " /n"},
                                                {noPause, " /j"},    {preload, " /p"},    {noThreads, " /k"},
                                                {noFill, " /g"},     {clearOutside, " /r"}, {hideCursor, " /c"}};
  for (const auto& [on, piece] : flags)
    if (on) w.piece(piece);
  w.number(" /i", winStyle);
  w.value(" /x", left).value(" /y", top).value(" /w", width);
  w.number(" /a", scaling + (monochrome ? 100 : 0));
  w.value(" /h", height).value(" /e", readAhead).value(" /m", readSpeed).value(" /t", track);
  writeDisabledKeys(w, disablePause, disableSkip, disableCancel);
  if (fullScreen != 0) w.number(" /d", fullScreen + 100 * depth);
  w.number(" /b", blitting);
  return w.str();
}

namespace {

// Pleven window styles in dialog order and their "/I" values.
constexpr int kPlevStyleSwitch[] = {0, 3, 2, 4};

}  // namespace

PlevenPlayerOptions PlevenPlayerOptions::fromSwitches(const std::string& switches) {
  SwitchReader r(switches);
  PlevenPlayerOptions o;
  o.loop = r.flagOrText('L', o.loops);
  o.rate = r.flagOrText('F', o.frameRate);
  o.summary = r.flag('S');
  o.frameNumbers = r.flag('Q');
  o.noSkip = r.flag('N');
  o.noPause = r.flag('J');
  o.directSound = r.flag('Z');
  o.soundOnly = r.flag('O');
  o.preload = r.flag('P');
  o.fill = r.flag('G');
  const int32_t style = r.number('I', 0);
  for (int i = 1; i < 4; ++i)
    if (style == kPlevStyleSwitch[i]) o.winStyle = i;
  o.left = r.text('X');
  o.top = r.text('Y');
  o.width = r.text('W');
  o.height = r.text('H');
  o.readAhead = r.text('E');
  o.readSpeed = r.text('M');
  o.tracks = r.text('T');
  const int32_t u = r.number('U', 0);
  o.disablePause = u & 1;
  o.disableSkip = u & 2;
  o.disableCancel = u & 4;
  o.resolution = inRange(r.number('D', 0), kPlevResolution);
  o.palette = inRange(r.number('R', 0), kPlevPalette);
  o.heightScale = inRange(r.number('A', 0), kPlevHeight);
  const int32_t v = r.number('V', 0);
  o.blitting = inRange(v & 127, kPlevBlitting);
  o.noAcceleration = (v & 384) == 384;
  if (!o.noAcceleration) o.zoom = inRange((v & 384) / 128, kPlevZoom);
  return o;
}

std::string PlevenPlayerOptions::toSwitches() const {
  SwitchWriter w;
  writeLoopAndRate(w, loop, loops, rate, frameRate);
  const std::pair<bool, const char*> flags[] = {{summary, " /s"},     {frameNumbers, " /q"}, {noSkip, " /n"},
                                                {noPause, " /j"},     {directSound, " /z"},  {soundOnly, " /o"},
                                                {preload, " /p"},     {fill, " /g"}};
  for (const auto& [on, piece] : flags)
    if (on) w.piece(piece);
  w.number(" /i", kPlevStyleSwitch[winStyle >= 0 && winStyle < 4 ? winStyle : 0]);
  w.value(" /x", left).value(" /y", top).value(" /w", width).value(" /h", height);
  w.value(" /e", readAhead).value(" /m", readSpeed).value(" /t", tracks);
  writeDisabledKeys(w, disablePause, disableSkip, disableCancel);
  w.number(" /d", resolution).number(" /r", palette).number(" /a", heightScale);
  w.number(" /v", blitting + (noAcceleration ? 384 : 128 * zoom));
  return w.str();
}

}  // namespace tolvideo
