// The header of a RIFF WAVE file: the chunk walk that finds the format and
// the sound data.
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/tolfile_record.h"

TOL_NS_BEGIN

struct WaveHeader {
  uint32_t formatTag = 0;  // 1 for PCM, also for the extensible form with the PCM sub-format
  uint32_t channels = 0;
  uint32_t rate = 0;
  uint32_t bits = 0;
  uint32_t dataOffset = 0;  // file offset of the sound data
  uint32_t dataLength = 0;  // bytes of sound data, cut to the end of the file
};

constexpr uint32_t kWaveFormatPcm = 1;
constexpr uint32_t kWaveFormatExtensible = 0xFFFE;

// Reads "RIFF", size, "WAVE" from the start of the file and walks the chunks
// (each chunk's size rounded up to an even number) until both the "fmt "
// and the "data" chunk have been seen, in either order. False when the file
// is no WAVE file or lacks one of them. The RIFF size field is not trusted:
// the walk ends at the end of the file.
bool readWaveHeader(TOLFile* f, WaveHeader& header);

TOL_NS_END
