// Walking the frames of a Zurn decoder: fetch, decode, next frame, goto.
#include <algorithm>
#include <cstring>

#include "decode/zurn_decoder.h"
#include "decode/zurn_decoder_header.h"
#include "decode/zurn_frame.h"
#include "platform/os.h"

TOL_NS_BEGIN

namespace {

// Offset of the video data behind the frame's sound packets, or -1 when the
// packets run past the frame's bytes.
int64_t videoStart(const ZurnDecoder* d) {
  uint32_t pos = 0;
  for (uint32_t t = 0; t < d->soundTrackCount; t++) {
    if (d->frameSize - pos < 4) return -1;
    uint32_t packet = loadLE32(d->frameData + pos);
    pos += 4;
    if (packet > d->frameSize - pos) return -1;
    pos += packet;
  }
  return pos;
}

// Decodes the video data (at offset `video` of the frame, -1 when the frame
// is unusable) into the spare frame buffer and makes that current. Damaged
// video data is decoded up to the damage and the rest of the picture comes
// from the reference; an unusable frame is not decoded at all and the
// picture stays. Returns whether the frame decoded cleanly.
bool decodeVideo(ZurnDecoder* d, int64_t video) {
  std::memset(d->changeMap, 0, d->mapSize);
  zurnLetReadAheadCatchUp(d);
  if (video < 0) return false;
  FrameJob job;
  job.dst = d->frameBuffers[1 - d->currentBuffer];
  job.ref = d->frameBuffers[d->currentBuffer];
  job.map = d->changeMap;
  job.geometry = d->geometry;
  job.data = d->frameData + video;
  job.end = d->frameData + d->frameSize;
  job.streams = &d->streams;
  job.keyFrame = d->keyFrame;
  const PlaneResult result = decodeVideoFrame(job);
  d->currentBuffer = 1 - d->currentBuffer;
  return result.fault == DecodeFault::none;
}

}  // namespace

void zurnLetReadAheadCatchUp(ZurnDecoder* d) {
  if ((d->flags & ZURNDEC_NO_READ_AHEAD) || d->image || d->source.readInProgress()) return;
  if (d->source.fillPercent() < 75) os::yield();
}

void zurnFetchFrame(ZurnDecoder* d, int64_t n) {
  if (n < 1) n = 1;
  if (n > d->frames) n = d->frames;
  const uint32_t entry = d->index[n - 1];
  const uint32_t start = zurnFrameOffset(entry);
  const uint32_t size = zurnFrameOffset(d->index[n]) - start;
  if (d->image) {
    const uint32_t at = start - zurnFrameOffset(d->index[0]);
    d->frameData = d->image + std::min(at, d->imageSize);
    d->frameSize = at < d->imageSize ? std::min(size, d->imageSize - at) : 0;
  } else {
    d->frameData = d->frameBytes;
    d->frameSize = d->source.readFrame(start, d->frameBytes, size);
  }
  d->frameExpected = size;
  d->keyFrame = entry & ZurnFileHeader::kKeyFrameBit;
  d->currentFrame = static_cast<int32_t>(n);
}

int32_t ZurnDecoderDecodeFrame(ZurnDecoder* d) {
  if (!d) return 0;
  if (d->lastDecoded == d->currentFrame) return d->lastResult;
  // A frame whose bytes could not all be had, or whose sound packets run
  // past its end, is unusable.
  const int64_t video = d->frameSize == d->frameExpected ? videoStart(d) : -1;
  bool sound = video >= 0;
  if (d->videoOn) {
    sound = decodeVideo(d, video);
    d->referenceDamaged = !sound || (d->referenceDamaged && !d->keyFrame);
  }
  d->lastDecoded = d->currentFrame;
  d->decodeCount++;
  d->lastResult = sound && !(d->videoOn && d->referenceDamaged) ? 1 : 0;
  return d->lastResult;
}

void ZurnDecoderNextFrame(ZurnDecoder* d) {
  if (!d) return;
  zurnFetchFrame(d, d->currentFrame >= d->frames ? 1 : int64_t{d->currentFrame} + 1);
}

void ZurnDecoderGoto(ZurnDecoder* d, int32_t frame, uint32_t flags) {
  if (!d) return;
  int32_t target = frame < 1 ? 1 : frame > d->frames ? d->frames : frame;
  if (flags & ZURNDEC_GOTO_FETCH_ONLY) {
    zurnFetchFrame(d, target);
    return;
  }
  if (target == d->currentFrame) return;
  int32_t key = target;
  while (key > 1 && !(d->index[key - 1] & ZurnFileHeader::kKeyFrameBit)) key--;
  if (target < d->currentFrame || d->currentFrame < key) {
    zurnFetchFrame(d, key);
    if (key == target) return;
  }
  // Decode forward to the frame before the target, which is then fetched.
  const int32_t wasPaused = d->paused;
  d->paused = 1;
  ZurnDecoderDecodeFrame(d);
  for (;;) {
    ZurnDecoderNextFrame(d);
    if (d->currentFrame == target) break;
    ZurnDecoderDecodeFrame(d);
  }
  d->paused = wasPaused;
}

TOL_NS_END
