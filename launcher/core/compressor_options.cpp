#include "core/compressor_options.h"

#include <cstdio>

#include "core/switch_text.h"

namespace tolvideo {

CompressorOptions CompressorOptions::fromSwitches(const std::string& switches) {
  SwitchReader r(switches);
  CompressorOptions o;
  o.overwrite = r.flag('O');
  const int32_t d = r.number('D', 250000);
  o.percent = d <= 200;
  (o.percent ? o.percentValue : o.rate) = std::to_string(d);
  int32_t num, den;
  r.fraction('M', num, den, 3, 1);
  const double ratio = static_cast<double>(num) / den;
  o.specificRate = ratio > 10;
  if (o.specificRate) {
    o.specific = std::to_string(num / den);
  } else {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ratio);
    o.times = text;
  }
  o.preview = r.text('P', "8");
  o.frameRate = r.text('F');
  o.adjustRate = r.text('A');
  o.keyEvery = r.text('K');
  o.audio = r.text('L', "4");
  o.height = r.choice('Z', 2);
  o.left = r.text('X');
  o.top = r.text('Y');
  o.width = r.text('W');
  o.height_ = r.text('H');
  o.start = r.text('S');
  o.end = r.text('E');
  return o;
}

std::string CompressorOptions::toSwitches() const {
  SwitchWriter w;
  w.piece(" /d").piece(switchValue(percent ? percentValue : rate));
  w.piece(" /m").piece(switchValue(specificRate ? specific : times));
  if (overwrite) w.piece(" /o");
  w.value(" /l", audio).value(" /p", preview).value(" /f", frameRate).value(" /a", adjustRate).value(" /k", keyEvery);
  if (height == 1) w.piece(" /z1");
  if (height == 2) w.piece(" /z2");
  w.value(" /x", left).value(" /y", top).value(" /w", width).value(" /h", height_);
  w.value(" /s", start).value(" /e", end);
  return w.str();
}

}  // namespace tolvideo
