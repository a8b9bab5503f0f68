// The graphics input's switches on a tool's command line.
#include <cstdint>
#include <cstdlib>

#include "media/gfile.h"
#include "util/rates.h"
#include "util/switches.h"

TOL_NS_BEGIN

namespace {

// A negative value is a frame time: below -1500 in 1/100000 s, else in
// milliseconds. The result is the rate, reduced.
void normaliseRate(int32_t& num, int32_t& den) {
  if (den == 0 || (num < 0) == (den < 0) || num == 0) return;
  int64_t n = std::llabs(num), d = std::llabs(den);
  int64_t whole = static_cast<int64_t>(num) / den;
  int64_t rateNum = d * (whole < -1500 ? 100000 : 1000), rateDen = n;
  reduceFraction(rateNum, rateDen);
  while (rateNum > INT32_MAX || rateDen > INT32_MAX) rateNum = (rateNum + 1) / 2, rateDen = (rateDen + 1) / 2;
  num = static_cast<int32_t>(rateNum);
  den = static_cast<int32_t>(rateDen);
}

void readRate(char* text, char letter, int32_t* num, int32_t* den) {
  if (!num || !den) return;
  GetSwitchFractional(text, letter, num, den, 0, 0);
  normaliseRate(*num, *den);
}

void readNumber(char* text, char letter, int32_t* dest, bool always) {
  if (!dest && !always) return;
  int32_t v = GetSwitchNum(text, letter, 0);
  if (dest) *dest = v;
}

void readByte(char* text, char letter, uint8_t* dest) {
  if (dest) *dest = static_cast<uint8_t>(GetSwitchNum(text, letter, 0));
}

}  // namespace

void GFileCommandLine(char* text, int32_t* inRateNum, int32_t* inRateDen, int32_t* outRateNum, int32_t* outRateDen,
                      int32_t* x, int32_t* y, int32_t* width, int32_t* height, int32_t* first, int32_t* last,
                      uint8_t* paletteMode, int32_t* paletteInterval, int32_t* paletteFirst, int32_t* paletteCount,
                      int32_t* paletteOverlap, uint8_t* systemColours, uint8_t* mode24, char* paletteFile) {
  if (!text) return;
  readRate(text, 'F', inRateNum, inRateDen);
  readRate(text, 'A', outRateNum, outRateDen);
  readNumber(text, 'X', x, true);
  readNumber(text, 'Y', y, true);
  readNumber(text, 'W', width, true);
  readNumber(text, 'H', height, true);
  readNumber(text, 'S', first, true);
  readNumber(text, 'E', last, true);
  readByte(text, 'P', paletteMode);
  if (paletteInterval) {
    int32_t v = GetSwitchNum(text, 'U', 65536);
    *paletteInterval = v <= 0 || v > 65536 ? 65536 : v;
  }
  int32_t count = 256;
  if (paletteCount) {
    count = GetSwitchNum(text, 'Q', 256);
    if (count <= 0 || count > 256) count = 256;
    *paletteCount = count;
  }
  if (paletteFirst) {
    int32_t v = GetSwitchNum(text, 'I', (256 - count) / 2);
    if (v < 0) v = 0;
    if (v > 256 - count) v = 256 - count;  // compared so that a huge /I cannot overflow
    *paletteFirst = v;
  }
  if (paletteOverlap) {
    int32_t v = GetSwitchNum(text, '$', 0);
    *paletteOverlap = v < 0 ? 0 : v;
  }
  readByte(text, 'D', systemColours);
  readByte(text, 'T', mode24);
  if (paletteFile) GetSwitchStrN(text, '&', paletteFile, GFILE_NAME_SIZE, "");
}

TOL_NS_END
