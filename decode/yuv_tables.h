// Conversion tables of the YUV blitters, computed at compile time so that
// they exist once per process, need no initialisation and are safe to read
// from any thread.
//
// For an 8-bit sample v (all divisions truncate toward zero):
//   luma     L[v]  = (v - 16) * 38154 / 32768, 0 for v <= 16
//   red      R[v]  = (v * 52299 - 6694272) / 32768      (from Cr)
//   green    Gr[v] = (3409792 - v * 26639) / 32768      (from Cr)
//   green    Gb[v] = (1643136 - v * 12837) / 32768      (from Cb)
//   blue     B[v]  = (v * 66101 - 8460928) / 32768      (from Cb)
// A pixel's channel is clamp(L[Y] + R[Cr]), clamp(L[Y] + Gr[Cr] + Gb[Cb]),
// clamp(L[Y] + B[Cb]). The clamp and the 16-bit packing tables are indexed
// by that unclamped sum. The sums reach -258 (Y <= 16, Cb = 0) and 534
// (Y = Cb = 255), so the tables cover -288 to 543 rather than only
// -256 to 511.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

constexpr int kYuvSumBias = 288;   // table index of the sum 0
constexpr int kYuvSumRange = 832;  // sums -288 to 543

// 16-bit layouts, surface types 3 to 6: channel widths and bit positions.
struct YuvLayout16 {
  int redBits, greenBits, blueBits, blueShift;  // red at bit 0, green at redBits
};
constexpr YuvLayout16 kYuvLayouts16[4] = {
    {5, 5, 5, 10},  // type 3: 5-5-5
    {5, 6, 5, 11},  // type 4: 5-6-5
    {6, 5, 5, 11},  // type 5: 6-5-5
    {6, 6, 4, 12},  // type 6: 6-6-4
};

struct YuvTables {
  int16_t luma[256];
  int16_t red[256];
  int16_t greenCr[256];
  int16_t greenCb[256];
  int16_t blue[256];
  uint8_t clamp[kYuvSumRange];
  // [type - 3][channel: red, green, blue][sum + kYuvSumBias]
  uint16_t pack[4][3][kYuvSumRange];
};

constexpr YuvTables buildYuvTables() {
  YuvTables t{};
  for (int v = 0; v < 256; ++v) {
    t.luma[v] = static_cast<int16_t>(v > 16 ? (v - 16) * 38154 / 32768 : 0);
    t.red[v] = static_cast<int16_t>((v * 52299 - 6694272) / 32768);
    t.greenCr[v] = static_cast<int16_t>((3409792 - v * 26639) / 32768);
    t.greenCb[v] = static_cast<int16_t>((1643136 - v * 12837) / 32768);
    t.blue[v] = static_cast<int16_t>((v * 66101 - 8460928) / 32768);
  }
  for (int i = 0; i < kYuvSumRange; ++i) {
    const int s = i - kYuvSumBias;
    const int c = s < 0 ? 0 : s > 255 ? 255 : s;
    t.clamp[i] = static_cast<uint8_t>(c);
    for (int k = 0; k < 4; ++k) {
      const YuvLayout16& l = kYuvLayouts16[k];
      t.pack[k][0][i] = static_cast<uint16_t>(c >> (8 - l.redBits));
      t.pack[k][1][i] = static_cast<uint16_t>((c >> (8 - l.greenBits)) << l.redBits);
      t.pack[k][2][i] = static_cast<uint16_t>((c >> (8 - l.blueBits)) << l.blueShift);
    }
  }
  return t;
}

inline constexpr YuvTables kYuvTables = buildYuvTables();

// Every sum the pixel formula can form lies inside the tables.
constexpr bool yuvSumsInRange() {
  const YuvTables& t = kYuvTables;
  int lo = 0, hi = 0;
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const int g = t.greenCr[a] + t.greenCb[b];
      lo = g < lo ? g : lo;
      hi = g > hi ? g : hi;
    }
    const int r = t.red[a], bl = t.blue[a];
    lo = r < lo ? r : lo;
    lo = bl < lo ? bl : lo;
    hi = r > hi ? r : hi;
    hi = bl > hi ? bl : hi;
  }
  return lo >= -kYuvSumBias && hi + t.luma[255] < kYuvSumRange - kYuvSumBias;
}
static_assert(yuvSumsInRange(), "conversion sums exceed the clamp tables");

TOL_NS_END
