// The FLIC reader: header, frame and chunk syntax; the pixel chunks are
// drawn by the kernels of flic_decode.cpp.
#include "media/flic_reader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "fileio/tolfile.h"
#include "media/flic_format.h"
#include "media/flic_pixels.h"
#include "platform/alloc.h"
#include "util/paths.h"

TOL_NS_BEGIN

namespace flic {

namespace {

TOLFile* openFile(const char* name) {
  if (HasExtension(name)) return TOLFileOpen(kFileBufferSize, name, TOLFILE_READ_ONLY);
  for (const char* extension : {".flc", ".fli"}) {
    if (TOLFile* f = TOLFileOpen(kFileBufferSize, (std::string(name) + extension).c_str(), TOLFILE_READ_ONLY))
      return f;
  }
  return nullptr;
}

uint32_t roundUp4(uint32_t v) { return (v + 3) & ~3u; }

void startOver(TOLFlic* flic) {
  flic->framesDecoded = 0;
  TOLFileSetPos(flic->file, flic->firstFrameOffset);
}

// Zeroes what lies outside width x height in the pitch x bufferHeight buffer.
void clearMargins(const TOLFlic* flic, uint8_t* buffer) {
  const uint32_t pitch = uint32_t(flic->pitch), width = uint32_t(flic->width);
  for (uint32_t y = 0; y < uint32_t(flic->height); y++) std::memset(buffer + size_t(y) * pitch + width, 0, pitch - width);
  std::memset(buffer + size_t(flic->height) * pitch, 0, size_t(flic->bufferHeight - flic->height) * pitch);
}

// Decodes the sub-chunks of one frame's data; 2 when a palette changed.
int32_t decodeChunks(TOLFlic* flic, const uint8_t* data, uint32_t size, uint32_t chunks, uint8_t* buffer) {
  const Picture picture{buffer, uint32_t(flic->pitch), uint32_t(flic->width), uint32_t(flic->height)};
  int32_t result = 1;
  uint32_t at = 0;
  for (uint32_t k = 0; k < chunks && size - at >= kChunkHeaderSize; k++) {
    uint32_t chunkSize = get32(data + at);
    if (chunkSize < kChunkHeaderSize) break;
    chunkSize = std::min(chunkSize, size - at);
    const uint8_t* body = data + at + kChunkHeaderSize;
    const size_t bodySize = chunkSize - kChunkHeaderSize;
    switch (get16(data + at + 4)) {
      case kChunkPalette8:
      case kChunkPalette6:
        applyPaletteChunk(body, bodySize, get16(data + at + 4) == kChunkPalette6, flic->palette);
        result = 2;
        break;
      case kChunkWordDelta:
        decodeWordDelta(body, bodySize, picture);
        break;
      case kChunkByteDelta:
        decodeByteDelta(body, bodySize, picture);
        break;
      case kChunkBlack:
        decodeBlack(picture);
        break;
      case kChunkByteRun:
        decodeByteRun(body, bodySize, picture);
        break;
      case kChunkCopy:
        decodeCopy(body, bodySize, picture);
        break;
      default:  // other kinds are passed over
        break;
    }
    at += chunkSize;
  }
  return result;
}

// Makes room for a frame's data; false when it cannot be allocated.
bool reserveFrameData(TOLFlic* flic, uint32_t size) {
  if (size <= flic->frameDataCapacity) return true;
  tolfree(flic->frameData);
  flic->frameData = static_cast<uint8_t*>(tolmalloc(size));
  flic->frameDataCapacity = flic->frameData ? size : 0;
  return flic->frameData != nullptr;
}

}  // namespace

int32_t frameTimeOf(uint32_t type, uint32_t speed, int32_t exactFrameTime) {
  if (type == kTypeFli) {
    if (speed == 0) return -20000;
    return int32_t(-std::min<int64_t>(int64_t(speed) * 100000 / 70, INT32_MAX));
  }
  if (type != kTypeFlc) return 0;
  if (speed == 0 || speed > 30000) speed = 200;
  if (exactFrameTime < 0 && uint32_t(exactFrameTime / -100) == speed) return exactFrameTime;
  return -100 * int32_t(speed);
}

void applyPaletteChunk(const uint8_t* data, size_t size, bool sixBit, uint8_t* palette) {
  if (size < 2) return;
  const uint32_t packets = get16(data);
  size_t at = 2;
  uint32_t entry = 0;
  for (uint32_t k = 0; k < packets && size - at >= 2; k++) {
    entry += data[at];
    uint32_t count = data[at + 1] ? data[at + 1] : 256;
    at += 2;
    for (; count > 0 && size - at >= 3; count--, entry++, at += 3) {
      if (entry >= kPaletteEntries) continue;
      for (uint32_t c = 0; c < 3; c++) {
        // 6-bit components widen to 8 bits (0 -> 0, 63 -> 255); larger
        // values, out of range, count as 63.
        const uint32_t v = data[at + c];
        palette[3 * entry + c] = sixBit ? uint8_t(std::min(v, 63u) << 2 | std::min(v, 63u) >> 4) : uint8_t(v);
      }
    }
  }
}

}  // namespace flic

using namespace flic;

TOLFlic* TOLFlicOpen(const char* name) {
  if (!name) return nullptr;
  TOLFile* file = openFile(name);
  if (!file) return nullptr;
  uint8_t header[kHeaderSize];
  const uint32_t fileBytes = TOLFileSize(file);
  const bool headerRead = TOLFileGet(file, header, kHeaderSize) == kHeaderSize;
  const uint32_t type = get16(header + kOffType);
  const int32_t frameTime = headerRead ? frameTimeOf(type, get32(header + kOffSpeed),
                                                     int32_t(get32(header + kOffExactFrameTime)))
                                       : 0;
  const uint32_t width = get16(header + kOffWidth), height = get16(header + kOffHeight);
  TOLFlic* flic = nullptr;
  if (frameTime != 0 && width > 0 && height > 0) flic = static_cast<TOLFlic*>(tolmalloc(sizeof(TOLFlic)));
  if (!flic) {
    TOLFileClose(file);
    return nullptr;
  }
  std::memset(flic, 0, sizeof(TOLFlic));
  flic->fileSize = get32(header + kOffFileSize);
  flic->pitch = int32_t(roundUp4(width));
  flic->bufferHeight = int32_t(roundUp4(height));
  flic->frameCount = int32_t(get16(header + kOffFrames));
  flic->frameTime = frameTime;
  flic->width = int32_t(width);
  flic->height = int32_t(height);
  flic->file = file;
  // Frame 1 of a FLI follows the header; a FLC says where it is (an offset
  // inside the header cannot be right and means the same place).
  const uint32_t firstFrame = type == kTypeFlc ? get32(header + kOffFrame1) : kHeaderSize;
  flic->firstFrameOffset = std::max(firstFrame, kHeaderSize);
  flic->fileBytes = fileBytes;
  startOver(flic);
  return flic;
}

int32_t TOLFlicGetNext(TOLFlic* flic, uint8_t* buffer) {
  if (!flic || !flic->file || !buffer) return 0;
  if (flic->framesDecoded >= flic->frameCount) startOver(flic);
  if (flic->framesDecoded == 0) std::memset(buffer, 0, size_t(flic->pitch) * size_t(flic->bufferHeight));

  uint8_t header[kFrameHeaderSize];
  if (TOLFileGet(flic->file, header, kFrameHeaderSize) != kFrameHeaderSize) return 1;
  const uint32_t size = get32(header);
  const uint32_t dataSize = size > kFrameHeaderSize ? size - kFrameHeaderSize : 0;
  flic->frameDataSize = dataSize;
  int32_t result = 1;
  if (dataSize > 0) {
    const uint32_t at = TOLFileGetPos(flic->file);
    const uint32_t left = at < flic->fileBytes ? flic->fileBytes - at : 0;
    if (dataSize <= left && reserveFrameData(flic, dataSize) &&
        TOLFileGet(flic->file, flic->frameData, dataSize) == dataSize) {
      if (get16(header + 4) == kFrameType)
        result = decodeChunks(flic, flic->frameData, dataSize, get16(header + 6), buffer);
    } else {
      TOLFileSetPos(flic->file, at + std::min(dataSize, left));  // passed over
    }
  }
  flic->framesDecoded++;
  if (flic->framesDecoded == 1) clearMargins(flic, buffer);
  return result;
}

int32_t TOLFlicGoto(TOLFlic* flic, int32_t frame, uint8_t* buffer) {
  if (!flic || !flic->file) return 0;
  const int32_t target = std::clamp(frame, 0, flic->frameCount);
  if (target <= flic->framesDecoded) startOver(flic);
  int32_t result = 1;
  while (flic->framesDecoded < target) {
    const int32_t before = flic->framesDecoded;
    const int32_t decoded = TOLFlicGetNext(flic, buffer);
    if (decoded == 0 || flic->framesDecoded == before) return 0;  // the file ends early
    if (decoded == 2) result = 2;
  }
  return result;
}

uint8_t* TOLFlicGetPalette(TOLFlic* flic) { return flic ? flic->palette : nullptr; }

const char* TOLFlicGetName(TOLFlic* flic, char* out) {
  return flic && flic->file ? TOLFileGetName(flic->file, out) : nullptr;
}

void TOLFlicClose(TOLFlic* flic) {
  if (!flic) return;
  TOLFileClose(flic->file);
  tolfree(flic->frameData);
  tolfree(flic);
}

TOL_NS_END
