// The sound switches of a tool's command line.
#include "media/sfile.h"
#include "util/switches.h"

TOL_NS_BEGIN

namespace {

// Rate of headerless PCM when /D is not given.
constexpr int32_t kDefaultRawRate = 11025;

// Reads one switch into *dest when dest is asked for; keeps the last value.
void readSwitch(char* text, char letter, int32_t* dest, int32_t& last) {
  if (!dest) return;
  last = GetSwitchNum(text, letter, 0);
  *dest = last;
}

}  // namespace

int32_t SFileCommandLine(char* text, int32_t* rate, int32_t* bits, int32_t* channels, int32_t* start, int32_t* end,
                         int32_t* track, uint32_t* rawDescription, uint32_t* rawOffset) {
  int32_t last = 0;
  if (!text) return last;
  readSwitch(text, 'R', rate, last);
  readSwitch(text, 'C', channels, last);
  readSwitch(text, 'B', bits, last);
  readSwitch(text, 'S', start, last);
  readSwitch(text, 'E', end, last);
  readSwitch(text, 'T', track, last);
  if (!rawDescription) return last;
  // /Y1 to /Y5: headerless PCM, Y - 1 giving stereo (bit 0) and 16 bits
  // (bit 1), at the /D rate; /K its offset. Other /Y values are kept as the
  // description.
  const int32_t y = last = GetSwitchNum(text, 'Y', 0);
  *rawDescription = static_cast<uint32_t>(y);
  if (y < 1 || y > 5) {
    if (rawOffset) *rawOffset = 0;
    return last;
  }
  const int32_t rate8 = last = GetSwitchNum(text, 'D', kDefaultRawRate);
  *rawDescription = static_cast<uint32_t>(y - 1) + 8u * static_cast<uint32_t>(rate8);
  if (rawOffset) {
    last = GetSwitchNum(text, 'K', 0);
    *rawOffset = static_cast<uint32_t>(last);
  }
  return last;
}

TOL_NS_END
