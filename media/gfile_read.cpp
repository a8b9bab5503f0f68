// Reading a graphics input: source frames, the rate conversion that turns
// them into output frames, delivering, rewinding and closing.
#include <cstdio>
#include <cstring>

#include "fileio/tolfile.h"
#include "media/gfile.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

// Source frame number n converted to output numbering (0-based).
int64_t toOutput(const GFileState& g, int64_t n) {
  __int128 v = static_cast<__int128>(n) * g.inRateDen * g.outRateNum /
               (static_cast<__int128>(g.inRateNum) * g.outRateDen);
  return v > INT32_MAX ? INT32_MAX : static_cast<int64_t>(v);
}

// A palette that came with a frame becomes the source palette.
void takePalette(GFileState& g, const SourceFrame& f) {
  if (!f.newPalette || !f.palette) return;
  if (f.palette != g.sourcePalette) std::memcpy(g.sourcePalette, f.palette, 768);
  g.frameNewPalette = true;
}

void skipToFirstFrame(GFileState& g) {
  g.firstSkipDone = true;
  if (!g.source->sequential()) return;
  for (int32_t k = 0; k < g.firstIndex; ++k) {
    if (g.callback) {
      char text[64];
      std::snprintf(text, sizeof text, "Skipping frame %li...", static_cast<long>(outputNumber(g, k)));
      g.callback(text, k == 0 ? TOL_MESSAGE_FIRST_PROGRESS : TOL_MESSAGE_PROGRESS);
    }
    SourceFrame f;
    g.source->skip(k, f);
    takePalette(g, f);
  }
}

bool readSourceFrame(GFileState& g, const FrameTarget& target) {
  if (!g.firstSkipDone) skipToFirstFrame(g);
  SourceFrame f;
  f.target = target;
  if (!g.source->read(g.firstIndex + g.framesRead, f)) return false;
  if (f.outOfMemory) sendMessage(g, "Out of memory", TOL_MESSAGE_ERROR);
  g.frame = f;
  takePalette(g, f);
  g.frame.palette = g.sourcePalette;
  g.frameBits = f.bits;
  // A still image stands for its whole file.
  g.frameBytes = g.kind < GFILE_KIND_AVI ? static_cast<int32_t>(g.fileSize) : f.frameBytes;
  g.frame.frameBytes = g.frameBytes;
  if (++g.framesRead >= g.frameCount) g.atEnd = true;
  if (g.working24 && !f.inOutput) makeWorkingCopy(g);
  return true;
}

}  // namespace

int32_t outputNumber(const GFileState& g, int64_t sourceFrame) {
  return static_cast<int32_t>(toOutput(g, sourceFrame) + 1);
}

void sendMessage(const GFileState& g, const char* text, int32_t kind) {
  if (g.callback) g.callback(text, kind);
}

bool sendProgress(const GFileState& g, int32_t kind) {
  if (!g.callback) return false;
  char text[GFILE_NAME_SIZE + 64];
  int64_t current = g.firstIndex + g.framesRead - (g.readAhead ? 1 : 0);
  std::snprintf(text, sizeof text, "%s frame %li of %li...", g.verb, static_cast<long>(outputNumber(g, current)),
                static_cast<long>(toOutput(g, static_cast<int64_t>(g.firstIndex) + g.frameCount)));
  return g.callback(text, kind) != 0;
}

bool readOutputFrame(GFileState& g, const FrameTarget& offer) {
  g.frameNewPalette = false;
  const int64_t n = g.framesOut;
  if (n == 0 && !readSourceFrame(g, offer)) return false;
  while (!g.atEnd) {
    __int128 target = static_cast<__int128>(n) * g.inRateNum * g.outRateDen /
                      (static_cast<__int128>(g.inRateDen) * g.outRateNum);
    if (target < g.framesRead) break;
    if (!readSourceFrame(g, offer)) return false;
  }
  if (g.framesOut < INT32_MAX) ++g.framesOut;
  return true;
}

int32_t GFileGet(GFileState& g) {
  if (sendProgress(g, TOL_MESSAGE_PROGRESS)) return 0;
  // A reader may write a true-colour frame straight into the frame buffer.
  FrameTarget target;
  if (g.trueColor && ensureFrameBuffer(g)) target = directTarget(g, g.inputWidth, g.inputHeight);
  if (!readOutputFrame(g, target)) return 0;
  return convertFrame(g) ? 1 : 0;
}

void GFileReset(GFileState& g) {
  g.framesRead = g.framesOut = 0;
  g.atEnd = g.firstSkipDone = false;
  g.paletteCountdown = 0;
  g.paletteFinal = false;
  g.bankToggle = false;
  g.readAhead = false;
  g.paletteValid = false;
  std::memset(g.palette, 0, sizeof g.palette);
  std::memset(g.sourcePalette, 0, sizeof g.sourcePalette);
  if (g.frameBuffer) std::memset(g.frameBuffer, 0, static_cast<size_t>(g.pitch) * ((g.height + 3) & ~3));
  // The colour matches belong to the palette just cleared.
  tolfree(g.remap);
  g.remap = nullptr;
  tolfree(g.colourCache);
  g.colourCache = nullptr;
  if (g.source) g.source->rewind();
  if (g.analysis) GFileClose(g.analysis);
  g.analysis = nullptr;
  g.pal.first = g.pal.openFirst;
}

void GFileClose(GFileState* g) {
  if (!g) return;
  delete g->source;  // a list's reader closes its current entry
  tolfree(g->frameBuffer);
  tolfree(g->remap);
  tolfree(g->colourCache);
  if (g->analysis) GFileClose(g->analysis);
  TOLFileClose(g->listFile);
  tolfree(g->working);
  tolfree(g->workingPlain);
  g->~GFileState();
  tolfree(g);
}

TOL_NS_END
