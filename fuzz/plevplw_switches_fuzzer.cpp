// The Pleven player's switches on arbitrary text: an accepted command line
// holds only values in their ranges, and the picture it places lies inside
// its drawing area. The first four bytes give the picture's size.
#include <cstdint>
#include <string>

#include "plevplw/options.h"
#include "plevplw/picture.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

void checkPlacement(const plevplw::PlayOptions& o, int32_t width, int32_t height) {
  const plevplw::DrawingArea area = plevplw::drawingArea(o, width, height);
  check(area.width >= 1 && area.height >= 1);
  const plevplw::Placement p = plevplw::placePicture(area, width, height);
  check(p.width >= 1 && p.height >= 1 && p.x >= 0 && p.y >= 0);
  check(p.x + p.width <= area.width && p.y + p.height <= area.height);
  const plevplw::TextureRows rows = plevplw::textureRows(o, 0, p, height);
  check(rows.rows(height) == height || rows.rows(height) == 2 * height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4 || size > 2048) return 0;
  const int32_t width = 1 + (data[0] | data[1] << 8) % 16384, height = 1 + (data[2] | data[3] << 8) % 16384;
  std::string text(reinterpret_cast<const char*>(data + 4), size - 4);
  text = text.substr(0, text.find('\0'));
  plevplw::PlayOptions o;
  std::string error;
  if (plevplw::parsePlayCommandLine(text, o, error)) {
    check(!o.files.empty() || o.listSwitches);
    check(o.windowStyle == 0 || (o.windowStyle >= 2 && o.windowStyle <= 4));
    check(o.resolution >= 0 && o.resolution <= 4 && o.disabledKeys <= 7 && o.trackMask >= -1 && o.trackMask <= 127);
    check(o.width >= 0 && o.height >= 0 && o.readAheadKilobytes >= 0 && o.readAheadKilobytes <= 1 << 20);
    checkPlacement(o, width, height);
  } else {
    check(!error.empty());
  }
  plevplw::PlayOptions quick;
  if (plevplw::applyQuickPlay(text, quick, error)) checkPlacement(quick, width, height);
  return 0;
}
