// Opening, feeding, flushing and closing an encoder job.
#include "encoder/job.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <numeric>

#include "encoder/colour_convert.h"
#include "encoder/container.h"
#include "encoder/file_guard.h"
#include "encoder/frame_compress.h"
#include "encoder/plane_stats.h"
#include "encoder/sound_track.h"
#include "encoder/work_plan.h"
#include "fileio/tolfile.h"
#include "platform/alloc.h"

TOL_NS_BEGIN
namespace {

constexpr uint32_t kFileBuffer = 65536;
constexpr size_t kMaxOutputName = 123;  // the temporary name must fit 127 bytes

constexpr const char* kCreateFailed =
    "Couldn't create temporary file.\n\nSome possible reasons for this error include:\n"
    "  1) compressing to a read-only drive (like a CD-ROM),\n"
    "  2) compressing to a drive that is full (out of disk space), or\n"
    "  3) compressing multiple files to the same Zurn output filename.";

void reduceFraction(uint32_t& num, uint32_t& den) {
  for (uint32_t g = std::gcd(num, den); g > 1; g = std::gcd(num, den)) {
    num /= g;
    den /= g;
  }
}

void planFrameBuffers(WorkPlan& plan, EncoderJob& job) {
  const uint64_t luma = uint64_t{job.lumaWidth} * job.lumaHeight;
  const uint64_t chroma = uint64_t{job.chromaWidth} * job.chromaHeight;
  plan.add(job.frameIndex, 4 * (uint64_t{job.frameCount} + 1));
  for (uint32_t s = 0; s < job.windowSize; ++s) {
    plan.add(job.slotY[s], luma);
    plan.add(job.slotCr[s], chroma);
    plan.add(job.slotCb[s], chroma);
  }
  plan.add(job.prevY, luma);
  plan.add(job.prevCr, chroma);
  plan.add(job.prevCb, chroma);
  for (int set = 0; set < 2; ++set) {
    plan.add(job.reconY[set], luma);
    plan.add(job.reconCr[set], chroma);
    plan.add(job.reconCb[set], chroma);
  }
  plan.add(job.outY, codedPlaneCapacity(job.lumaWidth, job.lumaHeight));
  plan.add(job.outCr, codedPlaneCapacity(job.chromaWidth, job.chromaHeight));
  plan.add(job.outCb, codedPlaneCapacity(job.chromaWidth, job.chromaHeight));
  plan.add(job.soundTracks, uint64_t{job.soundTrackCount} * sizeof(SoundTrackState));
}

void pointSlotCursors(ZurnMakeState& job) {
  job.slotTarget = &job.targetSize[job.windowFill];
  job.slotMax = &job.maxSize[job.windowFill];
  job.slotKey = &job.isKey[job.windowFill];
}

void writeFileStart(EncoderJob& job) {
  WriterGuard guard(job);
  ZurnHeader h{};
  h.indexFrames = job.frameCount;
  h.width = job.width;
  h.height = job.height;
  h.fpsNumerator = job.fpsNumerator;
  h.fpsDenominator = job.fpsDenominator;
  h.videoFlags = videoFlagsForLineMode(job.lineMode);
  h.soundTrackCount = job.soundTrackCount;
  writeZurnHeader(job.file, h);
  writeSoundTables(job.file, soundTracksOf(job), job.soundTrackCount);
  writeFrameIndex(job.file, job.frameIndex, job.frameCount);
  job.bytesWritten = TOLFileGetPos(job.file);
}

// The frame index and header on disk after close: retries a flush that met
// another thread's flush.
void finalFlush(ZurnMakeState* job) {
  for (int attempt = 0; attempt < 20 && !ZurnMakeFlush(job); ++attempt) {
  }
}

void renameIntoPlace(ZurnMakeState& job) {
  char message[700];
  if (TOLFileErase(job.outputName) == 2) {
    std::snprintf(message, sizeof message, "Zurn couldn't overwrite, '%s', so the new Zurn file is called: '%s'.",
                  job.outputName, job.tempName);
    reportMessage(&job, job.callback, message);
  } else if (TOLFileRename(job.outputName, job.tempName) != 0) {
    reportMessage(&job, job.callback, "Zurn couldn't rename the temporary file.");
  }
}

}  // namespace

int32_t reportProgress(ZurnMakeState& job, int32_t frame, const char* text) {
  job.progressFrame = frame;
  if (!job.callback) return 0;
  const int32_t answer = job.callback(ZURNMAKE_PROGRESS, &job, text);
  if (answer != 0) job.stopRequest = 1;
  return answer;
}

void reportMessage(ZurnMakeState* job, ZurnMakeCallback callback, const char* text) {
  if (callback) callback(ZURNMAKE_MESSAGE, job, text);
}

ZurnMakeState* ZurnMake(const char* outputName, uint32_t pitch, uint32_t width, uint32_t height,
                        uint32_t frameCount, uint32_t keyInterval, uint32_t lineMode, uint32_t fpsNumerator,
                        uint32_t fpsDenominator, uint32_t soundTrackCount, const ZurnMakeSoundTrack* soundTracks,
                        uint32_t windowSize, ZurnMakeCallback callback) {
  if (lineMode) height /= 2;
  if (width == 0 || height == 0 || width > 32768 || height > 32768 || fpsNumerator == 0 ||
      fpsDenominator == 0 || (soundTrackCount && !soundTracks))
    return nullptr;

  // 1. The temporary file.
  char tempName[TOLFILE_NAME_SIZE];
  TOLFile* file = nullptr;
  if (outputName && std::strlen(outputName) <= kMaxOutputName) {
    std::snprintf(tempName, sizeof tempName, "%s.tmp", outputName);
    file = TOLFileCreateWithRead(kFileBuffer, tempName);
  }
  if (!file) {
    reportMessage(nullptr, callback, kCreateFailed);
    return nullptr;
  }

  // 2. The record and every buffer of the job in one allocation.
  EncoderJob shape{};
  shape.frameCount = frameCount;
  shape.windowSize = std::clamp<uint32_t>(windowSize, 2, ZURNMAKE_MAX_WINDOW);
  const PlaneGeometry g = planeGeometry(width, height);
  shape.lumaWidth = g.lumaWidth;
  shape.lumaHeight = g.lumaHeight;
  shape.chromaWidth = g.chromaWidth;
  shape.chromaHeight = g.chromaHeight;
  shape.soundTrackCount = soundTrackCount;
  WorkPlan plan(sizeof(EncoderJob));
  planFrameBuffers(plan, shape);
  void* block = plan.allocate();
  if (!block) {
    reportMessage(nullptr, callback, "Out of memory!");
    TOLFileClose(file);
    TOLFileErase(tempName);
    return nullptr;
  }
  EncoderJob& job = *new (block) EncoderJob(shape);
  std::strcpy(job.outputName, outputName);
  std::strcpy(job.tempName, tempName);
  job.width = width;
  job.height = height;
  reduceFraction(fpsNumerator, fpsDenominator);
  job.fpsNumerator = fpsNumerator;
  job.fpsDenominator = fpsDenominator;
  job.pitch = pitch;
  job.keyInterval = keyInterval;
  job.lineMode = lineMode;
  job.file = file;
  job.callback = callback;
  job.progressFrame = -1;

  // 3. Empty index and window. The reference planes start black, as the
  // decoder's frame buffers do.
  std::memset(job.frameIndex, 0, 4 * (uint64_t{frameCount} + 1));
  std::memset(job.soundTracks, 0, uint64_t{soundTrackCount} * sizeof(SoundTrackState));
  const size_t luma = size_t{job.lumaWidth} * job.lumaHeight;
  const size_t chroma = size_t{job.chromaWidth} * job.chromaHeight;
  for (uint8_t* p : {job.prevY, job.reconY[0], job.reconY[1]}) std::memset(p, 0, luma);
  for (uint8_t* p : {job.prevCr, job.prevCb, job.reconCr[0], job.reconCr[1], job.reconCb[0], job.reconCb[1]})
    std::memset(p, 0, chroma);
  pointSlotCursors(job);
  job.keyCountdown = static_cast<int32_t>(std::min<uint32_t>(keyInterval, INT32_MAX));

  // 4. Sound tracks.
  for (uint32_t t = 0; t < soundTrackCount; ++t) {
    if (soundTrackOpen(soundTracksOf(job)[t], soundTracks[t], frameCount, job.fpsNumerator, job.fpsDenominator))
      continue;
    for (uint32_t u = 0; u <= t; ++u) soundTrackClose(soundTracksOf(job)[u]);
    reportMessage(nullptr, callback, "Out of memory!");
    TOLFileClose(file);
    TOLFileErase(tempName);
    tolfree(block);
    return nullptr;
  }

  // 5. Header, tables and empty index.
  writeFileStart(job);

  // 6. Statistics.
  initPlaneStats(job.lumaStats, false);
  initPlaneStats(job.crStats, true);
  initPlaneStats(job.cbStats, true);
  return &job;
}

void ZurnMakePutVideo(ZurnMakeState* handle, uint32_t targetSize, uint32_t maxSize, uint32_t keyframe,
                      const void* pixels) {
  if (!handle || !pixels) return;
  EncoderJob& job = jobOf(handle);
  if (job.failed || job.framesWritten == job.frameCount || job.stopRequest) return;

  const uint32_t slot = job.windowFill;
  const PlaneGeometry g{job.lumaWidth, job.lumaHeight, job.chromaWidth, job.chromaHeight};
  convertFrame(static_cast<const uint8_t*>(pixels), static_cast<int32_t>(job.pitch), job.width, job.height,
               job.lineMode, g, job.slotY[slot], job.slotCr[slot], job.slotCb[slot]);
  *job.slotTarget = targetSize;
  *job.slotMax = maxSize;

  bool key = keyframe != 0;
  if (job.keyInterval != 0 && job.keyCountdown-- <= 1) key = true;
  if (key) job.keyCountdown = static_cast<int32_t>(std::min<uint32_t>(job.keyInterval, INT32_MAX));
  // The first frame has no usable reference, so it is always a keyframe (the
  // countdown is left as the host's requests and the interval set it).
  if (job.framesWritten + job.windowFill == 0) key = true;
  *job.slotKey = key ? 1 : 0;

  ++job.windowFill;
  if (job.framesWritten + job.windowFill == job.frameCount)
    compressFromWindow(job, job.windowFill);
  else if (job.windowFill == job.windowSize)
    compressFromWindow(job, 1);
  else
    pointSlotCursors(job);
}

int32_t ZurnMakeFlush(ZurnMakeState* handle) {
  if (!handle || !handle->file) return 0;
  ZurnMakeState& job = *handle;
  if (!beginFlush(job)) return 0;
  // The tables and the index go first and the counts last, so that a
  // program reading the file meanwhile never sees a frame count that the
  // index does not cover yet.
  const uint32_t pos = TOLFileGetPos(job.file);
  const uint32_t size = TOLFileSize(job.file);
  writeSoundTables(job.file, soundTracksOf(job), job.soundTrackCount);
  writeFrameIndex(job.file, job.frameIndex, job.frameCount);
  rewriteZurnCounts(job.file, size, job.framesWritten, job.largestFrame);
  TOLFileSetPos(job.file, pos);
  endFlush(job);
  WriterGuard guard(job);
  TOLFileFlush(job.file);
  return 1;
}

uint32_t ZurnMakeClose(ZurnMakeState* handle, int32_t discard) {
  if (!handle) return 0;
  EncoderJob& job = jobOf(handle);
  bool drop = discard != 0 || job.failed;
  if (!drop) {
    if (!job.stopRequest && job.windowFill > 0) compressFromWindow(job, job.windowFill);
    drop = job.failed != 0;
    if (!drop) finalFlush(&job);
  }
  for (uint32_t t = 0; t < job.soundTrackCount; ++t) soundTrackClose(soundTracksOf(job)[t]);
  releaseFrameWorkspace(job);

  uint32_t size;
  {
    WriterGuard guard(job);
    size = TOLFileSize(job.file);
    TOLFileClose(job.file);
    job.file = nullptr;
    if (drop)
      TOLFileErase(job.tempName);
    else
      renameIntoPlace(job);
  }
  std::memset(static_cast<void*>(&job), 0, sizeof(EncoderJob));
  tolfree(&job);
  return size;
}

void setAnalysisThreads(ZurnMakeState* handle, uint32_t threads) {
  if (handle) jobOf(handle).analysisThreads = threads;
}

void setFrameWrittenObserver(ZurnMakeState* handle, FrameWrittenFn fn, void* context) {
  if (!handle) return;
  jobOf(handle).frameWritten = fn;
  jobOf(handle).frameWrittenContext = context;
}

TOL_NS_END
