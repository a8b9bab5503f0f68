// The encoder job: the record behind a ZurnMake handle and the functions
// that the exports wrap.
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/zurnmake_record.h"

TOL_NS_BEGIN

struct SoundTrackState;
struct FrameWorkspace;

// Called after each frame has been written; the decoder's picture of the
// frame is then reconstruction set job.reconSelect.
using FrameWrittenFn = void (*)(void* context, const ZurnMakeState& job, uint32_t frame);

// The job record: the public fields first, then what only the library uses.
struct EncoderJob : ZurnMakeState {
  uint32_t analysisThreads;  // threads for the per-block analysis; 0 = one per core
  FrameWrittenFn frameWritten;
  void* frameWrittenContext;
  FrameWorkspace* workspace;  // the plane writer's buffers, kept from frame to frame
};

inline EncoderJob& jobOf(ZurnMakeState* handle) { return *static_cast<EncoderJob*>(handle); }
inline SoundTrackState* soundTracksOf(ZurnMakeState& job) {
  return static_cast<SoundTrackState*>(job.soundTracks);
}

ZurnMakeState* ZurnMake(const char* outputName, uint32_t pitch, uint32_t width, uint32_t height,
                        uint32_t frameCount, uint32_t keyInterval, uint32_t lineMode, uint32_t fpsNumerator,
                        uint32_t fpsDenominator, uint32_t soundTrackCount, const ZurnMakeSoundTrack* soundTracks,
                        uint32_t windowSize, ZurnMakeCallback callback);
void ZurnMakePutVideo(ZurnMakeState* handle, uint32_t targetSize, uint32_t maxSize, uint32_t keyframe,
                      const void* pixels);
int32_t ZurnMakeFlush(ZurnMakeState* handle);
uint32_t ZurnMakeClose(ZurnMakeState* handle, int32_t discard);

// Bytes reserved for one coded plane of width x height samples: 1.1 bytes a
// sample, plus room for the per-plane and per-block-row overheads that
// dominate very narrow planes.
inline uint64_t codedPlaneCapacity(uint64_t width, uint64_t height) {
  return width * height * 11 / 10 + 32 * (height / 8) + 1024;
}

// Library-internal settings (tests and benchmarks).
void setAnalysisThreads(ZurnMakeState* handle, uint32_t threads);
void setFrameWrittenObserver(ZurnMakeState* handle, FrameWrittenFn fn, void* context);

// Reports a progress step to the host (kind 1) with progressFrame set to
// frame; a non-zero answer sets stopRequest. Returns the answer.
int32_t reportProgress(ZurnMakeState& job, int32_t frame, const char* text);
// Hands a message to the host (kind 2), if there is a callback.
void reportMessage(ZurnMakeState* job, ZurnMakeCallback callback, const char* text);

// Compresses the n oldest frames of the window and writes them (the batch
// step), then rotates the window and flushes when one is due.
void compressFromWindow(EncoderJob& job, uint32_t n);

TOL_NS_END
