// The frame operations of a Pleven decoder: fetching a frame and locating
// its chunks, the destination, decoding, moving between frames and taking
// out sound.
#include <bit>
#include <cstring>
#include <new>

#include "decode/pleven_decoder.h"
#include "decode/pleven_format.h"
#include "decode/pleven_palette.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace pleven {

namespace {

constexpr uint32_t kLineModes = PLEV_FLAG_DOUBLED | PLEV_FLAG_INTERLACED;

// Finds the palette chunk, the sound chunks and the video data; false when
// they do not fit the frame. The palette commands are applied when they do.
bool locateChunks(PlevDecoder* d, const uint8_t* data, uint32_t size, uint8_t type) {
  const uint8_t* p = data;
  const uint8_t* const end = data + size;
  const uint8_t* commands = nullptr;
  size_t commandBytes = 0;
  if (type & PLEV_TYPE_PALETTE) {
    const size_t length = p < end ? size_t{*p} * 4 : 0;
    if (length == 0 || length > static_cast<size_t>(end - p)) return false;
    commands = p + 1;
    commandBytes = length - 1;
    p += length;
  }
  const uint8_t* chunks[PLEV_TRACKS] = {};
  const uint8_t* chunkEnds[PLEV_TRACKS] = {};
  for (int k = 0; k < PLEV_TRACKS; ++k) {
    if (!(type & PLEV_TYPE_SOUND(k))) continue;
    if (end - p < 4) return false;
    const uint32_t length = load32(p);
    if (length < 4 || length > static_cast<size_t>(end - p)) return false;
    chunks[k] = p;
    chunkEnds[k] = p + length;
    p += length;
  }
  if (commands) applyPaletteCommands(commands, commandBytes, d->palette);
  std::memcpy(d->soundChunk, chunks, sizeof chunks);
  std::memcpy(d->soundEnd, chunkEnds, sizeof chunkEnds);
  d->video = p;
  d->videoSize = static_cast<uint32_t>(end - p);
  return true;
}

}  // namespace

void fetchFrame(PlevDecoder* d, int32_t n) {
  d->currentFrame = n;
  d->frameOffset = static_cast<uint32_t>(d->dataStart + d->offsets[n]);
  d->frameSize = d->frameSizes[n];
  d->frameValid = false;
  std::memset(d->soundChunk, 0, sizeof d->soundChunk);
  d->video = nullptr;
  d->videoSize = 0;
  if (d->frameArea) {
    d->frameData = d->frameArea + d->offsets[n];
  } else {
    const bool complete = d->readAhead.take(d->dataStart + d->offsets[n], d->frameSize, d->frameBuffer);
    d->bytesRead = d->readAhead.bytesRead();
    d->readMilliseconds = d->readAhead.readMilliseconds();
    if (!complete) {
      d->readError = 1;
      return;
    }
    d->frameData = d->frameBuffer;
  }
  if (n == 0) std::memset(d->palette, 0, sizeof d->palette);
  const uint8_t type = d->frameTypes[n];
  d->frameValid = locateChunks(d, d->frameData, d->frameSize, type);
  d->paletteChanged = d->frameValid && (type & PLEV_TYPE_PALETTE) && n != d->paletteTakenFrame;
}

}  // namespace pleven

int32_t PlevSetDestination(PlevDecoder* d, int32_t x, int32_t y, int32_t pitch, int32_t height, void* buffer,
                           uint32_t mode) {
  if (!d) return 0;
  d->canvas = pleven::Canvas{};
  if (!buffer) return 1;
  if (mode >= 0x40000000u) return 0;
  const int64_t rows = d->height;
  if (x < 0 || y < 0 || int64_t{x} + d->width > pitch || int64_t{y} + rows > height) return 0;
  const bool lineMode = (d->flags & pleven::kLineModes) != 0;
  auto* base = static_cast<uint8_t*>(buffer);
  const bool bottomUp = mode & PLEV_DEST_BOTTOM_UP;
  const int64_t firstRow = bottomUp ? int64_t{height} - 1 - y : y;
  d->canvas.row0 = base + firstRow * pitch + x;
  d->canvas.rowStep = (bottomUp ? -ptrdiff_t{pitch} : ptrdiff_t{pitch}) * (lineMode ? 2 : 1);
  d->canvas.width = d->width;
  d->canvas.height = static_cast<int32_t>(lineMode ? rows / 2 : rows);
  d->lineDoubling = (d->flags & PLEV_FLAG_DOUBLED) != 0;
  return 1;
}

int32_t PlevDecodeFrame(PlevDecoder* d) {
  if (!d || d->readError) return 0;
  d->paletteTakenFrame = d->currentFrame;
  d->paletteChanged = 0;
  if (!d->frameValid || !d->canvas.row0) return 0;
  pleven::decodeVideo(d->video, d->videoSize, d->trees, d->canvas);
  if (d->lineDoubling) {
    const ptrdiff_t nextRow = d->canvas.rowStep / 2;
    for (int32_t y = 0; y < d->canvas.height; ++y) {
      std::memcpy(d->canvas.row(y) + nextRow, d->canvas.row(y), static_cast<size_t>(d->width));
    }
  }
  return 0;
}

void PlevNextFrame(PlevDecoder* d) {
  if (!d) return;
  const int32_t last = d->frames - 1;
  const bool ring = d->flags & PLEV_FLAG_RING_FRAME;
  int32_t next = d->currentFrame + 1;
  if (d->currentFrame == last) next = ring ? d->frames : 0;
  else if (d->currentFrame > last) next = d->frames > 1 ? 1 : 0;
  if (d->readError) {
    d->currentFrame = next;
    return;
  }
  pleven::fetchFrame(d, next);
}

void PlevGotoFrame(PlevDecoder* d, int32_t n) {
  if (!d || d->readError) return;
  n = n < 1 ? 1 : n > d->frames ? d->frames : n;
  pleven::fetchFrame(d, n - 1);
}

int32_t PlevTrackSound(PlevDecoder* d, void* destination, uint32_t trackOption) {
  if (!d || d->readError || !d->frameValid || !destination) return 0;
  const uint32_t tracks = (trackOption / PLEV_OPEN_TRACK(0)) & 0x7F;
  if (!tracks) return 0;
  const int k = std::countr_zero(tracks);
  if (!d->soundChunk[k]) return 0;
  if (!d->soundWork) {
    void* block = tolmalloc(sizeof(soundchunk::DecodeWork));
    if (!block) return 0;
    d->soundWork = new (block) soundchunk::DecodeWork();
    d->memoryTotal += sizeof(soundchunk::DecodeWork);
  }
  const uint32_t word = d->trackWords[k];
  soundchunk::Format format;
  format.bits = (word & PLEV_TRACK_16BIT) ? 16 : 8;
  format.channels = (word & PLEV_TRACK_STEREO) ? 2 : 1;
  return soundchunk::readChunk(d->soundChunk[k], static_cast<size_t>(d->soundEnd[k] - d->soundChunk[k]),
                               (word & PLEV_TRACK_COMPRESSED) != 0, format, static_cast<uint8_t*>(destination),
                               d->maxSoundSize[k], *d->soundWork);
}

TOL_NS_END
