// The Zurn decoder: an open Zurn file with everything needed to walk its
// frames (header and tables, frame index, read-ahead ring fed by a background
// thread, the current frame's raw bytes, two frame buffers, the element-stream
// buffers and the block-change map).
//
// A caller opens a decoder (frame 1 is then current and not decoded), then
// alternates decode, copy to surface and next frame, or jumps with goto.
// Decoding and copying run on the caller's thread; the background thread only
// reads the file ahead. The record and all fixed buffers are one allocation.
//
// Sound track readers use the track tables (soundTrackCount, soundFlags,
// soundTrackId, soundMaxDecoded) and the current frame's bytes
// (zurnCurrentFrame); the frame begins with one packet per track.
//
// Robustness: open checks the header, tables and index against the file
// (damaged files fail with kZurnErrorDamaged); a frame whose bytes could not
// all be read, whose packets run past its end or whose video data is damaged
// is not decoded: decode reports 0 and the previous picture stays current.
// Damaged video data is decoded up to the damage, the rest of the picture is
// taken from the reference, and decode reports 0. Frames decoded from such a
// picture also report 0 until the next keyframe decodes cleanly.
//
// Adaptations: the background thread is a std::thread that sleeps on a
// condition variable (so close does not wait out its sleep); the thread state
// and busy counters are std::atomic; Sleep(0) is a yield. A decoder with
// nothing to read ahead (every frame in memory, or read-ahead switched off
// with ZURNDEC_NO_READ_AHEAD) starts no thread at all instead of one that
// only sleeps; its thread state stays "stopped". The last open failure is
// kept as a pointer to its fixed text, so opens on several threads do not
// race on a shared text buffer. A passed-in file
// handle is a POSIX descriptor carried in the source pointer. The per-frame
// timing arrays and statistics are left out (nothing reads them), and no
// sound output is attached, so no track ever plays.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "decode/core/element_streams.h"
#include "decode/readahead.h"
#include "decode/zurn_frame.h"
#include "platform/libns.h"
#include "tol/zurndecoder_record.h"

TOL_NS_BEGIN

struct ZurnDecoder : ::ZurnDecoder {
  enum ThreadState : int32_t { kStopRequested = 0, kStarting = 1, kRunning = 2, kStopped = 3 };

  // Geometry of the frame buffers (luma pitch P and buffer height H, chroma
  // plane size, map layout); decodedHeight is the coded height (not doubled).
  FrameGeometry geometry = {};
  uint32_t lumaPitch = 0;
  uint32_t lumaHeight = 0;
  uint32_t chromaWidth = 0;
  uint32_t chromaHeight = 0;
  uint32_t decodedHeight = 0;
  // One byte per 16x16 luma area, non-zero where the last decode changed it;
  // a zero byte follows the last row.
  uint8_t* changeMap = nullptr;
  uint32_t mapPitch = 0;
  uint32_t mapSize = 0;

  // Copies of the header fields; largestFrame is the largest frame that the
  // index describes (what the header should say).
  uint32_t fileSizeLess8 = 0;
  uint32_t largestFrame = 0;
  uint32_t indexFrames = 0;
  uint32_t soundTrackCount = 0;
  uint32_t videoFlags = 0;

  // Track tables (soundTrackCount entries each) and frame index (indexFrames
  // + 1 entries; bit 0 marks keyframes), in the file's order.
  const uint32_t* soundMaxDecoded = nullptr;
  const uint32_t* soundFlags = nullptr;
  const uint32_t* soundTrackId = nullptr;
  const uint32_t* index = nullptr;

  // The current frame's bytes: frameSize of the frame's frameExpected bytes
  // could be had (fewer when the file ends early or a read failed).
  const uint8_t* frameData = nullptr;
  uint32_t frameSize = 0;
  uint32_t frameExpected = 0;
  bool keyFrame = false;

  // All frames in memory: image points to the first frame, imageSize bytes
  // follow. ownsImage when open loaded it (not a caller's memory image).
  const uint8_t* image = nullptr;
  uint32_t imageSize = 0;
  bool ownsImage = false;
  // Second block: read-ahead ring, then the current-frame buffer.
  uint8_t* readAheadBlock = nullptr;
  uint32_t readAheadSize = 0;
  uint8_t* frameBytes = nullptr;

  // Two frame buffers (Y, then Cr, then Cb); currentBuffer holds the picture
  // of lastDecoded, the other one receives the next decode.
  uint8_t* frameBuffers[2] = {};
  int32_t currentBuffer = 0;
  ElementBuffers streams = {};

  ZurnFrameSource source;
  std::thread thread;
  std::atomic<int32_t> threadState{kStopped};
  std::mutex wakeLock;
  std::condition_variable wake;

  int32_t paused = 0;
  int32_t videoOn = 1;
  uint32_t peakSecondBytes = 0;
  uint32_t peakSecondFrame = 0;
  int32_t soundTrack = -1;  // the track a player would choose; nothing plays it

  int32_t lastResult = 0;         // what decoding lastDecoded reported
  bool referenceDamaged = false;  // the current picture derives from a damaged frame
  uint32_t decodeCount = 0;       // frames decoded since open (statistics)
};

ZurnDecoder* ZurnDecoderOpen(const void* source, uint32_t flags);
// readAheadBytes: the size of the read-ahead ring instead of the busiest
// second of the file (0: that second).
ZurnDecoder* ZurnDecoderOpenWithReadAhead(const void* source, uint32_t flags, uint32_t readAheadBytes);
void ZurnDecoderSelectTrack(int32_t id);
// Decodes the current frame unless done already. 1 when its picture is
// sound, 0 for a null decoder or a damaged frame.
int32_t ZurnDecoderDecodeFrame(ZurnDecoder* d);
void ZurnDecoderNextFrame(ZurnDecoder* d);
void ZurnDecoderGoto(ZurnDecoder* d, int32_t frame, uint32_t flags);
int32_t ZurnDecoderCopyToSurface(ZurnDecoder* d, void* dest, int32_t pitch, int32_t destHeight, int32_t x,
                                 int32_t y, uint32_t flags);
void ZurnDecoderSetVideo(ZurnDecoder* d, int32_t on);
int32_t ZurnDecoderPause(ZurnDecoder* d, int32_t on);
uint32_t ZurnDecoderTrackFlags(ZurnDecoder* d, int32_t track);
uint32_t ZurnDecoderTrackId(ZurnDecoder* d, int32_t track);
void ZurnDecoderClose(ZurnDecoder* d);
// The text of the last open failure ("" after a successful open).
const char* ZurnDecoderGetError();

// The current frame's bytes and how many of them there are (for the sound
// track readers). Null for a null decoder.
inline const uint8_t* zurnCurrentFrame(const ZurnDecoder* d, uint32_t* size) {
  if (!d) return nullptr;
  if (size) *size = d->frameSize;
  return d->frameData;
}

// Makes frame n current (clamped to 1..frames) and fetches its bytes.
void zurnFetchFrame(ZurnDecoder* d, int64_t n);
// Yields to the background thread when the ring is less than 75 % full.
void zurnLetReadAheadCatchUp(ZurnDecoder* d);

TOL_NS_END
