// The batch step: compressing the oldest frames of the window, writing them
// with their sound packets, and keeping the frame index, the rate control
// carry and the window in order.
#include <algorithm>
#include <cstdlib>

#include "encoder/container.h"
#include "encoder/file_guard.h"
#include "encoder/frame_budget.h"
#include "encoder/frame_compress.h"
#include "encoder/job.h"
#include "encoder/plane_stats.h"
#include "encoder/sound_track.h"
#include "fileio/tolfile.h"
#include "platform/os.h"

TOL_NS_BEGIN
namespace {

constexpr uint32_t kFlushBytes = 200000;
constexpr uint32_t kFlushMs = 60000;

PlaneGeometry geometryOf(const ZurnMakeState& job) {
  return {job.lumaWidth, job.lumaHeight, job.chromaWidth, job.chromaHeight};
}

FramePlanes slotPlanes(const ZurnMakeState& job, uint32_t slot) {
  return {job.slotY[slot], job.slotCr[slot], job.slotCb[slot]};
}

// A sample within `tolerance` of the reference takes the reference's value,
// so that noise does not make unchanged areas look changed.
void snapPlane(uint8_t* plane, const uint8_t* reference, size_t samples, int tolerance) {
  for (size_t i = 0; i < samples; ++i)
    if (std::abs(plane[i] - reference[i]) <= tolerance) plane[i] = reference[i];
}

void snapToReference(ZurnMakeState& job, uint32_t slot) {
  const size_t luma = size_t{job.lumaWidth} * job.lumaHeight;
  const size_t chroma = size_t{job.chromaWidth} * job.chromaHeight;
  const uint32_t r = job.reconSelect;
  snapPlane(job.slotY[slot], job.reconY[r], luma, 2);
  snapPlane(job.slotCr[slot], job.reconCr[r], chroma, 1);
  snapPlane(job.slotCb[slot], job.reconCb[r], chroma, 1);
}

// The last compressed frame's planes become the previous frame; the old
// previous planes and those of the other compressed frames are reused for
// new frames; the frames still waiting move to the front.
void rotateWindow(ZurnMakeState& job, uint32_t done) {
  struct Triple {
    uint8_t *y, *cr, *cb;
  };
  Triple planes[ZURNMAKE_MAX_WINDOW];
  const uint32_t fill = job.windowFill;
  uint32_t k = 0;
  for (uint32_t s = done; s < fill; ++s) {
    planes[k] = {job.slotY[s], job.slotCr[s], job.slotCb[s]};
    job.targetSize[k] = job.targetSize[s];
    job.maxSize[k] = job.maxSize[s];
    job.isKey[k] = job.isKey[s];
    ++k;
  }
  planes[k++] = {job.prevY, job.prevCr, job.prevCb};
  for (uint32_t s = 0; s + 1 < done; ++s) planes[k++] = {job.slotY[s], job.slotCr[s], job.slotCb[s]};
  const Triple last = {job.slotY[done - 1], job.slotCr[done - 1], job.slotCb[done - 1]};
  for (uint32_t s = 0; s < fill; ++s) {
    job.slotY[s] = planes[s].y;
    job.slotCr[s] = planes[s].cr;
    job.slotCb[s] = planes[s].cb;
  }
  job.prevY = last.y;
  job.prevCr = last.cr;
  job.prevCb = last.cb;
  job.windowFill = fill - done;
  job.slotTarget = &job.targetSize[job.windowFill];
  job.slotMax = &job.maxSize[job.windowFill];
  job.slotKey = &job.isKey[job.windowFill];
}

int32_t saturate32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

void flushIfDue(EncoderJob& job) {
  const uint32_t now = os::milliseconds();
  if (job.bytesWritten > job.nextFlushSize || static_cast<int32_t>(now - job.nextFlushTime) > 0) {
    job.nextFlushSize = job.bytesWritten + kFlushBytes;
    job.nextFlushTime = now + kFlushMs;
    ZurnMakeFlush(&job);
  }
}

}  // namespace

void compressFromWindow(EncoderJob& job, uint32_t n) {
  const PlaneGeometry g = geometryOf(job);
  const uint32_t fill = job.windowFill;
  SoundTrackState* tracks = soundTracksOf(job);

  // 1. Weights and the window's budget.
  uint32_t weights[ZURNMAKE_MAX_WINDOW];
  uint64_t weightSum = 0;
  int64_t windowTargets = 0;
  for (uint32_t s = 0; s < fill; ++s) {
    const FramePlanes previous = s == 0 ? FramePlanes{job.prevY, job.prevCr, job.prevCb} : slotPlanes(job, s - 1);
    weights[s] = frameWeight(slotPlanes(job, s), previous, g, job.isKey[s] != 0);
    weightSum += weights[s];
    windowTargets += job.targetSize[s];
  }
  int64_t windowBudget = windowTargets + job.bitCarry;
  int64_t carry = job.bitCarry;

  uint32_t done = 0;
  while (done < n) {
    const uint32_t slot = done;
    const uint32_t frame = job.framesWritten;
    const bool key = job.isKey[slot] != 0;
    uint32_t frameStart;
    {
      WriterGuard guard(job);
      frameStart = TOLFileGetPos(job.file);
      job.frameIndex[frame] = frameStart | (key ? kIndexKeyframeBit : 0);
    }
    reportProgress(job, static_cast<int32_t>(frame), "Compressing");

    const uint64_t sound =
        soundEstimate(tracks, job.soundTrackCount, fill - slot, job.fpsNumerator, job.fpsDenominator);
    const uint32_t share = frameShare(windowBudget, sound, weights[slot], weightSum, fill);
    if (frame > 0) snapToReference(job, slot);
    refreshEstimates(job.lumaStats);
    refreshEstimates(job.crStats);
    refreshEstimates(job.cbStats);
    const uint32_t budget = clampFrameBudget(share, job.targetSize[slot], job.maxSize[slot], job.lumaStats,
                                             job.crStats, job.cbStats, g);

    CodedSizes sizes{};
    if (!compressFrame(job, slot, budget, sizes)) {
      job.failed = 1;
      return;
    }

    bool shortWrite;
    {
      WriterGuard guard(job);
      for (uint32_t t = 0; t < job.soundTrackCount; ++t)
        soundTrackWritePacket(tracks[t], job.file, &job, frame, job.fpsNumerator, job.fpsDenominator);
      TOLFilePut(job.file, job.outY, sizes.y);
      TOLFilePut(job.file, job.outCr, sizes.cr);
      TOLFilePut(job.file, job.outCb, sizes.cb);
      const uint32_t frameEnd = TOLFileGetPos(job.file);
      job.largestFrame = std::max(job.largestFrame, frameEnd - frameStart);
      // The first frame is charged for its video only.
      const int64_t bytes = frame == 0 ? int64_t{sizes.y} + sizes.cr + sizes.cb : int64_t{frameEnd} - frameStart;
      windowBudget -= bytes;
      carry += int64_t{job.targetSize[slot]} - bytes;
      job.bitCarry = saturate32(carry);
      weightSum -= weights[slot];
      job.bytesWritten = TOLFileSize(job.file);
      shortWrite = job.file->writeError != 0;
      if (!shortWrite) {
        job.frameIndex[frame + 1] = frameEnd;
        ++job.framesWritten;
      }
    }
    if (shortWrite) {
      job.failed = 1;
      return;
    }
    ++done;
    if (job.frameWritten) job.frameWritten(job.frameWrittenContext, job, frame);
    if (job.stopRequest) break;
  }

  rotateWindow(job, done);
  job.bitCarry = saturate32(std::clamp(carry, -windowTargets, windowTargets));
  flushIfDue(job);
}

TOL_NS_END
