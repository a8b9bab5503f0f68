// The FLIC writer: header, frame and chunk syntax, and the choice of the
// pixel encoding per frame; the encodings themselves are in
// flic_encode.cpp.
#include "media/flic_writer.h"

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

constexpr uint32_t kMaxSide = 0xFFFF;
// Largest palette chunk data: a packet count and one packet of every entry.
constexpr uint32_t kMaxPaletteData = 2 + 2 + 3 * kPaletteEntries;

void writeHeader(TOLFile* file, uint32_t width, uint32_t height, int32_t speed) {
  uint8_t header[kHeaderSize] = {};
  put16(header + kOffType, kTypeFlc);
  put16(header + kOffWidth, width);
  put16(header + kOffHeight, height);
  put16(header + kOffDepth, 8);
  put16(header + kOffFlags, 3);
  put32(header + kOffSpeed, uint32_t(speed >= 0 ? speed : speed / -100));
  put32(header + kOffExactFrameTime, uint32_t(speed >= 0 ? 0 : speed));
  const bool classic = width == 320 && height == 200;
  put16(header + kOffAspectX, classic ? 6 : 1);
  put16(header + kOffAspectY, classic ? 5 : 1);
  put32(header + kOffFrame1, kHeaderSize);
  TOLFilePut(file, header, kHeaderSize);
}

// Palette chunk data for a change from `stored` to `palette`; 0 when there is
// none. The first frame sends all 256 entries in one packet; later frames
// send each run of changed entries as a packet.
uint32_t paletteData(const uint8_t* stored, const uint8_t* palette, bool firstFrame, uint8_t* out) {
  if (!palette || std::memcmp(stored, palette, TOLFLIC_PALETTE_SIZE) == 0) return 0;
  auto same = [&](uint32_t e) { return std::memcmp(stored + 3 * e, palette + 3 * e, 3) == 0; };
  uint32_t size = 2, packets = 0, packetEnd = 0;
  for (uint32_t e = 0; e < kPaletteEntries;) {
    if (!firstFrame && same(e)) {
      e++;
      continue;
    }
    uint32_t end = e + 1;
    while (end < kPaletteEntries && (firstFrame || !same(end))) end++;
    out[size++] = uint8_t(e - packetEnd);
    out[size++] = uint8_t(end - e);  // 256 is written as 0
    std::memcpy(out + size, palette + 3 * e, 3 * (end - e));
    size += 3 * (end - e);
    packets++;
    packetEnd = e = end;
  }
  put16(out, packets);
  return size;
}

struct PixelChunk {
  uint16_t type;  // 0: no pixel chunk
  const uint8_t* data;
  uint32_t size;
};

// The smallest of the encodings the frame may use: none for a repeated frame,
// a delta after the first frame, byte-run, or the frame as it is.
PixelChunk choosePixelChunk(TOLOFlic* w, const uint8_t* pixels) {
  const uint32_t width = uint32_t(w->width), height = uint32_t(w->height), limit = width * height;
  if (w->framesWritten > 0) {
    if (std::memcmp(pixels, w->previousFrame, limit) == 0) return {0, nullptr, 0};
    const bool classic = width == 320 && height == 200;
    const uint32_t size = classic ? encodeByteDelta(pixels, w->previousFrame, width, height, w->work, limit)
                                  : encodeWordDelta(pixels, w->previousFrame, width, height, w->work, limit);
    if (size) return {classic ? kChunkByteDelta : kChunkWordDelta, w->work, size};
  }
  if (const uint32_t size = encodeByteRun(pixels, width, height, w->work, limit)) return {kChunkByteRun, w->work, size};
  return {kChunkCopy, pixels, limit};
}

void putChunkHeader(TOLFile* file, uint32_t dataSize, uint16_t type) {
  TOLFilePut32(file, kChunkHeaderSize + dataSize);
  TOLFilePut16(file, type);
}

int32_t putFrame(TOLOFlic* w, const uint8_t* pixels, const uint8_t* palette) {
  TOLFile* file = w->file;
  if (file->writeError) w->error = 1;
  uint8_t paletteBytes[kMaxPaletteData];
  const uint32_t paletteSize = paletteData(w->palette, palette, w->framesWritten == 0, paletteBytes);
  const PixelChunk pixelChunk = choosePixelChunk(w, pixels);

  const uint32_t frameSize = kFrameHeaderSize + (paletteSize ? kChunkHeaderSize + paletteSize : 0) +
                             (pixelChunk.type ? kChunkHeaderSize + pixelChunk.size : 0);
  uint8_t frameHeader[kFrameHeaderSize] = {};
  put32(frameHeader, frameSize);
  put16(frameHeader + 4, kFrameType);
  put16(frameHeader + 6, (paletteSize ? 1 : 0) + (pixelChunk.type ? 1 : 0));
  TOLFilePut(file, frameHeader, kFrameHeaderSize);
  if (paletteSize) {
    putChunkHeader(file, paletteSize, kChunkPalette8);
    TOLFilePut(file, paletteBytes, paletteSize);
    std::memcpy(w->palette, palette, TOLFLIC_PALETTE_SIZE);
  }
  if (pixelChunk.type) {
    putChunkHeader(file, pixelChunk.size, pixelChunk.type);
    TOLFilePut(file, pixelChunk.data, pixelChunk.size);
  }

  const size_t frameBytes = size_t(w->width) * size_t(w->height);
  if (w->framesWritten == 0) {
    std::memcpy(w->firstFrame, pixels, frameBytes);
    w->secondFrameOffset = TOLFileGetPos(file);
  }
  std::memcpy(w->previousFrame, pixels, frameBytes);
  w->framesWritten++;
  if (file->writeError) w->error = 1;
  return file->writeError ? 0 : 1;
}

// Sets the frame count, file size and offset of frame 2 in the header.
void finishHeader(TOLOFlic* w, uint32_t fileSize) {
  uint8_t header[kHeaderSize];
  TOLFileSetPos(w->file, 0);
  if (TOLFileGet(w->file, header, kHeaderSize) != kHeaderSize) return;
  put32(header + kOffFileSize, fileSize);
  put16(header + kOffFrames, uint32_t(std::clamp(w->framesWritten - 1, 0, 0xFFFF)));
  put32(header + kOffFrame2, w->secondFrameOffset);
  TOLFileSetPos(w->file, 0);
  TOLFilePut(w->file, header, kHeaderSize);
}

}  // namespace

}  // namespace flic

using namespace flic;

TOLOFlic* TOLOFlicCreate(const char* name, int32_t width, int32_t height, int32_t speed) {
  if (!name || width <= 0 || height <= 0 || width > int32_t(kMaxSide) || height > int32_t(kMaxSide)) return nullptr;
  if (width & 1) return nullptr;  // the word delta needs whole words in a row
  const uint64_t frameBytes = uint64_t(width) * uint64_t(height);
  if (3 * frameBytes >= 0xFFFFFFFFu) return nullptr;

  const std::string fileName = HasExtension(name) ? std::string(name) : std::string(name) + ".flc";
  TOLFile* file = TOLFileCreate(kFileBufferSize, fileName.c_str());
  if (!file) return nullptr;
  auto* w = static_cast<TOLOFlic*>(tolmalloc(sizeof(TOLOFlic)));
  auto* frames = static_cast<uint8_t*>(tolmalloc(uint32_t(3 * frameBytes)));
  if (!w || !frames) {
    tolfree(w);
    tolfree(frames);
    TOLFileClose(file);
    TOLFileErase(fileName.c_str());
    return nullptr;
  }
  std::memset(w, 0, sizeof(TOLOFlic));
  std::memset(frames, 0, size_t(2 * frameBytes));
  w->file = file;
  w->width = width;
  w->height = height;
  w->previousFrame = frames;
  w->firstFrame = frames + frameBytes;
  w->work = frames + 2 * frameBytes;
  writeHeader(file, uint32_t(width), uint32_t(height), speed);
  return w;
}

int32_t TOLOFlicPutNext(TOLOFlic* writer, const uint8_t* pixels, const uint8_t* palette) {
  if (!writer || !writer->file || !pixels) return 0;
  return putFrame(writer, pixels, palette);
}

uint32_t TOLOFlicClose(TOLOFlic* writer) {
  if (!writer) return 0;
  uint32_t size = 0;
  if (writer->file) {
    // The ring frame leads from the last frame back to frame 1.
    if (writer->framesWritten > 0) putFrame(writer, writer->firstFrame, nullptr);
    size = TOLFileGetPos(writer->file);
    finishHeader(writer, size);
    TOLFileClose(writer->file);
  }
  tolfree(writer->previousFrame);
  tolfree(writer);
  return size;
}

TOL_NS_END
