#include "media/wave_header.h"

#include <algorithm>
#include <cstring>

#include "fileio/tolfile.h"

TOL_NS_BEGIN

namespace {

uint32_t le16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

// The sub-format of the extensible form: the PCM tag followed by the fixed
// tail that every such sub-format identifier shares.
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The "fmt " chunk body; the extensible form counts as PCM when its
// sub-format is.
bool readFormat(const uint8_t* body, uint32_t size, WaveHeader& h) {
  if (size < 16) return false;
  h.formatTag = le16(body);
  h.channels = le16(body + 2);
  h.rate = le32(body + 4);
  h.bits = le16(body + 14);
  if (h.formatTag == kWaveFormatExtensible) {
    const bool pcm = size >= 40 && le16(body + 16) >= 22 && std::memcmp(body + 24, kPcmSubFormat, 16) == 0;
    h.formatTag = pcm ? kWaveFormatPcm : kWaveFormatExtensible;
  }
  return true;
}

}  // namespace

bool readWaveHeader(TOLFile* f, WaveHeader& h) {
  h = WaveHeader{};
  uint8_t head[12];
  TOLFileSetPos(f, 0);
  if (TOLFileGet(f, head, 12) != 12) return false;
  if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) return false;

  const uint64_t fileSize = TOLFileSize(f);
  bool haveFormat = false, haveData = false;
  uint64_t pos = 12;
  while (!(haveFormat && haveData) && pos + 8 <= fileSize) {
    uint8_t chunk[8];
    TOLFileSetPos(f, static_cast<uint32_t>(pos));
    if (TOLFileGet(f, chunk, 8) != 8) return false;
    const uint32_t size = le32(chunk + 4);
    const uint64_t body = pos + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
      uint8_t format[40] = {};
      const uint32_t want = std::min<uint32_t>(size, sizeof format);
      if (body + want > fileSize || TOLFileGet(f, format, want) != want || !readFormat(format, want, h)) return false;
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
      h.dataOffset = static_cast<uint32_t>(body);
      h.dataLength = static_cast<uint32_t>(std::min<uint64_t>(size, fileSize - body));
      haveData = true;
    }
    pos = body + size + (size & 1);
  }
  return haveFormat && haveData;
}

TOL_NS_END
