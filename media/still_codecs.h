// The still-image formats one by one, as the dispatcher (still_image.cpp)
// calls them, and what they share: filling the caller's buffer and moving
// whole files between disk and memory.
//
// Our own readers (BMP, PCX, TGA) parse bytes in memory, so the fuzz targets
// drive them without files; the library-backed formats take file names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "media/still_image.h"
#include "platform/libns.h"

TOL_NS_BEGIN

// A picture's bytes held in memory.
struct StillBytes {
  const uint8_t* data;
  size_t size;
};

bool bmpInfo(StillBytes file, StillInfo& info);
bool bmpLoad(StillBytes file, StillImage& image);
bool bmpSave(const StillImage& image, std::vector<uint8_t>& file);

bool pcxInfo(StillBytes file, StillInfo& info);
bool pcxLoad(StillBytes file, StillImage& image);
bool pcxSave(const StillImage& image, std::vector<uint8_t>& file);

bool tgaInfo(StillBytes file, StillInfo& info);
bool tgaLoad(StillBytes file, StillImage& image);
bool tgaSave(const StillImage& image, std::vector<uint8_t>& file);

bool pngInfo(const char* name, StillInfo& info);
bool pngLoad(const char* name, StillImage& image);
bool pngSave(const char* name, const StillImage& image);
std::unique_ptr<StillFile> pngOpen(const char* name);

bool jpegInfo(const char* name, StillInfo& info);
bool jpegLoad(const char* name, StillImage& image);
bool jpegSave(const char* name, const StillImage& image, int32_t quality);
std::unique_ptr<StillFile> jpegOpen(const char* name);

bool tiffInfo(const char* name, StillInfo& info);
bool tiffLoad(const char* name, StillImage& image);
bool tiffSave(const char* name, const StillImage& image);

bool gifInfo(const char* name, StillInfo& info);
bool gifLoad(const char* name, StillImage& image);
bool gifSave(const char* name, const StillImage& image);

// At most `limit` bytes from the start of the named file; false when it
// cannot be opened or read.
bool readFileStart(const char* name, size_t limit, std::vector<uint8_t>& bytes);
// The whole file as bytes; false when it cannot be written (then nothing of
// that name is left behind).
bool writeWholeFile(const char* name, const std::vector<uint8_t>& bytes);

// A file that a library writes: removed again unless finish() found every
// write done.
class StillOutput {
 public:
  explicit StillOutput(const char* name);
  ~StillOutput();
  StillOutput(const StillOutput&) = delete;
  StillOutput& operator=(const StillOutput&) = delete;
  std::FILE* file() const { return file_; }
  bool finish();

 private:
  const char* name_;
  std::FILE* file_;
  bool finished_ = false;
};

// Filling the caller's buffer. A loader first checks that the buffer fits
// the picture: same size, a pitch that holds a row, 8 bits only for indexed
// pictures. An indexed picture then writes one index byte per pixel at the
// start of each row (whatever the buffer's bits) and its colours; finishing
// expands the indices through the colours in place when the buffer is 24-bit.
bool stillBufferFits(const StillImage& image, int32_t width, int32_t height, bool indexed);
// Row y of the picture counted from the top.
inline uint8_t* stillRow(const StillImage& image, int32_t y) {
  return image.pixels + static_cast<size_t>(image.height - 1 - y) * static_cast<size_t>(image.pitch);
}
// All colours black, coloursUsed 0.
void stillClearColours(StillImage& image);
// 2^bits grey levels from black to white.
void stillGreyColours(StillImage& image, int32_t bits);
void stillFinishIndexed(StillImage& image);
// Colours an indexed file must carry: all the image says it uses, and at
// least up to its pixels' largest index.
int32_t stillColoursToWrite(const StillImage& image);
// The caller's bits are 8 or 24 and its pitch holds a row of them.
bool stillImageValid(const StillImage& image);

TOL_NS_END
