// The output writer: internal functions behind the exported OGFile calls
// (include/tol/ogfile.h describes them), and the parts each kind of output
// contributes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/avi_file.h"
#include "media/still_image.h"
#include "platform/libns.h"
#include "tol/ogfile.h"

// The library-owned part of an OGFile record.
struct OGFileWork {
  std::string target;  // FLIC and AVI: the file made at close
  std::string temp;    // where it is written until then
  std::vector<uint8_t> frame;  // FLIC: packed rows; AVI: header block, colours, pixels
  // Still images.
  tol::StillImage still{};
  std::vector<uint8_t> stillPixels;
  // AVI.
  tol::AVIFile* avi = nullptr;
  tol::AVIStream* video = nullptr;       // uncompressed stream
  tol::AVIStream* compressed = nullptr;  // Motion-JPEG stream into it, or null
  tol::AVIStream* sound = nullptr;
  uint32_t formatBytes = 0;  // header block and colour table
  uint32_t rowBytes = 0;
  uint32_t imageSize = 0;
  tol::WaveFormat wave{};
  uint64_t soundAllowance = 0;  // bytes the track may still take
  uint64_t soundBytes = 0;      // bytes written so far
  uint32_t soundWrites = 0;
  uint32_t leadIn = 0;          // bytes the track runs ahead of the video
  int32_t soundPosition = 0;    // sample frames written
  bool soundFailed = false;
};

TOL_NS_BEGIN

OGFile* OGFileCreate(void* parentWindow, const char* name, int32_t trueColor, int32_t frameCount, int32_t rateNum,
                     int32_t rateDen, int32_t width, int32_t height, int32_t inputPitch, TOLMediaCallback callback,
                     uint32_t flags);
void OGFilePut(OGFile* handle, const void* pixels, const uint8_t* palette);
uint32_t OGFilePutSoundAmount(OGFile* handle, int32_t rate, int32_t bits, int32_t channels);
int32_t OGFilePutSound(OGFile* handle, const void* samples, uint32_t bytes);
uint32_t OGFileClose(OGFile* handle);

namespace ogfile {

constexpr const char* kFlicFailed = "Error creating the output flic.";
constexpr const char* kAviFailed = "Error creating the output AVI file.";
constexpr const char* kUnsupported = "Unsupported output file type or color depth.";
constexpr const char* kOutOfMemory = "Out of memory.";
constexpr const char* kSoundFailed = "Error creating the output sound track.";

inline void message(const OGFile& og, const char* text, int32_t kind = TOL_MESSAGE_ERROR) {
  if (og.callback) og.callback(text, kind);
}

// 1 when `name` may be written (flags: OGFILE_REPLACE skips the question);
// otherwise the refusal goes to the callback.
bool mayReplace(const OGFile& og, const char* name, uint32_t flags);

// The temporary name beside `target`, or empty when it would not fit a
// file record.
std::string temporaryName(const std::string& target);
// Puts the finished temporary file in place of the target. False (and the
// temporary file removed) when that fails.
bool commitTemporary(const std::string& temp, const std::string& target);

// Input row `y` of the caller's frame (top row first).
inline const uint8_t* inputRow(const OGFile& og, const void* pixels, int32_t y) {
  const int64_t bytesPerPixel = og.trueColor ? 4 : 1;
  return static_cast<const uint8_t*>(pixels) + int64_t(y) * og.inputPitch * bytesPerPixel;
}
// One input row as bottom-up DIB pixels of `bits` (8: indices; 24: blue,
// green, red, 8-bit input expanded through the palette).
void rowToDib(const OGFile& og, const uint8_t* in, const uint8_t* palette, int32_t bits, uint8_t* out);
// A 256-entry colour table (blue, green, red, 0) from a red, green, blue palette.
void paletteToColours(const uint8_t* palette, uint8_t* colours);

bool flicCreate(OGFile& og, const char* name, uint32_t flags);
void flicPut(OGFile& og, const uint8_t* pixels, const uint8_t* palette);
uint32_t flicClose(OGFile& og);

bool aviCreate(OGFile& og, const char* name, uint32_t flags);
void aviPut(OGFile& og, const uint8_t* pixels, const uint8_t* palette);
uint32_t aviSoundAmount(OGFile& og, int32_t rate, int32_t bits, int32_t channels);
int32_t aviPutSound(OGFile& og, const void* samples, uint32_t bytes);
uint32_t aviClose(OGFile& og);

bool stillCreate(OGFile& og, const char* name, uint32_t flags);
void stillPut(OGFile& og, const uint8_t* pixels, const uint8_t* palette);

}  // namespace ogfile

TOL_NS_END
