// Fixed colour tables shared by frame conversion and palette reduction.
#include <cstring>

#include "media/gfile.h"

TOL_NS_BEGIN

// The 20 colours the window system keeps in entries 0 to 9 and 246 to 255.
const uint8_t kStaticColours[20][3] = {
    {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
    {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
    {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
    {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};

void writeStaticColours(uint8_t* palette) {
  std::memcpy(palette, kStaticColours, 30);
  std::memcpy(palette + 246 * 3, kStaticColours[10], 30);
}

// Entry i: ((i >> 6) - (i & 63)) squared, the distance of two 6-bit values.
const uint16_t* squareTable() {
  static const struct Table {
    uint16_t v[4096];
    Table() {
      for (int i = 0; i < 4096; ++i) {
        int d = (i >> 6) - (i & 63);
        v[i] = static_cast<uint16_t>(d * d);
      }
    }
  } table;
  return table.v;
}

TOL_NS_END
