// Opening a graphics input: the record, list files and numbered sequences,
// the probes of the single-file kinds, and the common step that selects the
// range, places the output and settles the rates.
#include <cstdio>
#include <cstring>
#include <new>

#include "fileio/tolfile.h"
#include "media/gfile.h"
#include "media/gfile_probes.h"
#include "platform/alloc.h"
#include "util/paths.h"
#include "util/rates.h"
#include "util/text.h"

TOL_NS_BEGIN

namespace {

constexpr int32_t kLastFrameDefault = 16777215;
// Largest picture taken in or delivered: the frame buffers are allocated
// from these sizes.
constexpr int32_t kMaxSide = 16384;
constexpr int64_t kMaxPixels = 64 << 20;
// List files naming list files: deeper nesting is refused, which also stops
// a list that names itself.
constexpr int32_t kMaxListDepth = 8;
thread_local int32_t listDepth = 0;

void copyName(char* dest, const char* src) { copyCut(dest, GFILE_NAME_SIZE, src, std::strlen(src)); }

bool extensionIs(const char* name, const char* ext) {
  const char* dot = HasExtension(name);
  return dot && strcasecmp(dot, ext) == 0;
}

void reportOpenError(const GFileState& g, const char* name) {
  char text[GFILE_NAME_SIZE + 32];
  std::snprintf(text, sizeof text, "Error opening: %s", name);
  sendMessage(g, text, TOL_MESSAGE_ERROR);
}

int32_t clampToInt(__int128 v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// A rate usable for arithmetic: both parts positive, reduced; else 15/1.
void settleRate(int32_t& num, int32_t& den) {
  if (num < 0) num = -num;
  if (den < 0) den = -den;
  if (num <= 0 || den <= 0) num = 15, den = 1;
  GCDNums(&num, &den);
}

void storePaletteParams(GFileState& g, int32_t mode, int32_t interval, int32_t first, int32_t count, int32_t overlap,
                        int32_t systemColours) {
  PaletteParams& p = g.pal;
  p.mode = mode;
  p.interval = interval <= 0 || interval > 65536 ? 65536 : interval;
  p.systemColours = systemColours;
  if (count <= 0 || count > 256) count = 256;
  if (first < 0) first = 0;
  if (first + count > 256) first = 256 - count;
  p.openFirst = p.first = first;
  p.openCount = count;
  if (overlap < 0) overlap = 0;
  if (overlap > (count + 1) / 2) overlap = (count + 1) / 2;
  p.overlap = overlap;
  p.count = count - overlap;
  if (p.count < 1) p.count = 1;
}

bool scanList(GFileState& g, ListEntry& e, bool haveEntry) {
  copyName(g.typeName, "List");
  int64_t frames = 0;
  uint64_t bytes = 0;
  bool haveRate = false;
  for (;;) {
    if (!haveEntry) listEntriesNext(g.entries, e);
    haveEntry = false;
    if (e.name[0] == 0) break;
    GFileState* entry = openListEntry(g, e, e.first);
    if (!entry) return false;
    if (entry->bitsPerPixel > g.bitsPerPixel) g.bitsPerPixel = entry->bitsPerPixel;
    if (entry->inputWidth > g.inputWidth) g.inputWidth = entry->inputWidth;
    if (entry->inputHeight > g.inputHeight) g.inputHeight = entry->inputHeight;
    if (!haveRate) {
      g.fileRateNum = entry->fileRateNum;
      g.fileRateDen = entry->fileRateDen;
      haveRate = true;
    }
    if (entry->hasSound) g.hasSound = 1;
    frames += entry->frameCount;
    bytes += entry->fileSize;
    GFileClose(entry);
    if (frames > kLastFrameDefault) {
      // Longer than any range can select; the rest cannot be reached.
      frames = kLastFrameDefault;
      break;
    }
  }
  if (frames == 0) {
    sendMessage(g, "No files in the list file.", TOL_MESSAGE_ERROR);
    return false;
  }
  g.kind = GFILE_KIND_LIST;
  g.frameCount = static_cast<int32_t>(frames);
  g.fileSize = bytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(bytes);
  listEntriesRestart(g.entries);
  g.source = makeListSource(g);
  return g.source != nullptr;
}

bool probeSingleFile(GFileState& g, const char* name) {
  ProbeResult r;
  if (!runProbes(name, r)) return false;
  g.source = r.source;
  g.kind = r.kind;
  copyName(g.typeName, r.typeName);
  copyName(g.name, r.name);
  g.inputWidth = r.width;
  g.inputHeight = r.height;
  g.bitsPerPixel = r.bits;
  g.frameCount = r.frames;
  g.fileRateNum = r.rateNum;
  g.fileRateDen = r.rateDen;
  g.hasSound = r.hasSound;
  std::memcpy(g.trackWords, r.trackWords, sizeof g.trackWords);
  std::memcpy(g.trackIds, r.trackIds, sizeof g.trackIds);
  g.fileSize = r.fileSize;
  return true;
}

bool sideSane(int32_t side) { return side > 0 && side <= kMaxSide; }

bool sizesSane(const GFileState& g, int32_t width, int32_t height) {
  const int32_t w = width > 0 ? width : g.inputWidth, h = height > 0 ? height : g.inputHeight;
  return sideSane(g.inputWidth) && sideSane(g.inputHeight) &&
         static_cast<int64_t>(g.inputWidth) * g.inputHeight <= kMaxPixels && sideSane(w) && sideSane(h) &&
         static_cast<int64_t>(w) * h <= kMaxPixels && g.frameCount > 0;
}

void commonStep(GFileState& g, int32_t x, int32_t y, int32_t width, int32_t height, int32_t first, int32_t last) {
  // Range.
  if (first <= 0) first = 1;
  if (last <= 0) last = kLastFrameDefault;
  g.totalFrames = g.frameCount;
  if (first > g.frameCount) first = g.frameCount;
  if (last > g.frameCount) last = g.frameCount;
  g.firstIndex = first - 1;
  g.frameCount = (last > first ? last : first) - first + 1;

  // Output size and placement.
  g.width = width > 0 ? width : g.inputWidth;
  g.height = height > 0 ? height : g.inputHeight;
  g.pitch = (g.width + 3) & ~3;
  g.argX = x;
  g.argY = y;
  computePlacement(g, g.inputWidth, g.inputHeight);

  // 24-bit working copy.
  g.sourceBits = g.bitsPerPixel;
  if (g.mode24 == 1 || (g.mode24 == 0 && !g.trueColor && g.bitsPerPixel > 8 && g.frameCount > 9)) {
    g.working24 = true;
    g.bitsPerPixel = 24;
    g.workingPitch = g.place.copyWidth * 3;
  }

  // Rates.
  settleRate(g.fileRateNum, g.fileRateDen);
  if (g.argInNum != 0 && g.argInDen != 0) {
    g.inRateNum = g.argInNum;
    g.inRateDen = g.argInDen;
  } else {
    g.inRateNum = g.fileRateNum;
    g.inRateDen = g.fileRateDen;
  }
  settleRate(g.inRateNum, g.inRateDen);
  if (g.argOutNum != 0 && g.argOutDen != 0) {
    g.outRateNum = g.argOutNum;
    g.outRateDen = g.argOutDen;
    settleRate(g.outRateNum, g.outRateDen);
  } else {
    g.outRateNum = g.inRateNum;
    g.outRateDen = g.inRateDen;
  }
  g.frameDuration = clampToInt(-(static_cast<__int128>(100000) * g.outRateDen / g.outRateNum));
  g.outFrameCount = clampToInt(static_cast<__int128>(g.frameCount) * g.inRateDen * g.outRateNum /
                               (static_cast<__int128>(g.inRateNum) * g.outRateDen));
}

}  // namespace

void placeAxis(int32_t x, int32_t w, int32_t sourceWidth, int32_t& sourceX, int32_t& outX, int32_t& copy,
               int32_t& excess) {
  int64_t end = static_cast<int64_t>(x) + w;
  sourceX = outX = copy = excess = 0;
  if (x < 0) {
    if (end < 0) return;
    outX = -x;
    copy = static_cast<int32_t>(end < sourceWidth ? end : sourceWidth);
    excess = static_cast<int32_t>(end > sourceWidth ? end - sourceWidth : 0);
  } else if (end <= sourceWidth) {
    sourceX = x;
    copy = w;
  } else if (x <= sourceWidth) {
    sourceX = x;
    copy = sourceWidth - x;
    excess = static_cast<int32_t>(end - sourceWidth);
  }
  // Nothing fits past the output's own edge.
  if (outX > w) outX = w;
  if (copy > w - outX) copy = w - outX;
}

void computePlacement(GFileState& g, int32_t sourceWidth, int32_t sourceHeight) {
  Placement& p = g.place;
  placeAxis(g.argX, g.width, sourceWidth, p.sourceX, p.outX, p.copyWidth, p.rightExcess);
  placeAxis(g.argY, g.height, sourceHeight, p.sourceY, p.outY, p.copyHeight, p.bottomExcess);
}

GFileState* GFileOpen(const char* name, uint32_t flags, int32_t inRateNum, int32_t inRateDen, int32_t outRateNum,
                      int32_t outRateDen, int32_t x, int32_t y, int32_t width, int32_t height, int32_t first,
                      int32_t last, int32_t paletteMode, int32_t paletteInterval, int32_t paletteFirst,
                      int32_t paletteCount, int32_t paletteOverlap, int32_t systemColours, int32_t mode24,
                      const char* paletteFile, const char* verb, TOLMediaCallback callback) {
  void* memory = tolmalloc(sizeof(GFileState));
  if (!memory) return nullptr;
  std::memset(memory, 0, sizeof(GFileState));
  GFileState* g = new (memory) GFileState();
  g->trueColor = flags & GFILE_TRUE_COLOR;
  g->mode24 = mode24;
  storePaletteParams(*g, paletteMode, paletteInterval, paletteFirst, paletteCount, paletteOverlap, systemColours);
  g->argInNum = inRateNum;
  g->argInDen = inRateDen;
  g->argOutNum = outRateNum;
  g->argOutDen = outRateDen;
  g->callback = callback;
  copyName(g->verb, verb ? verb : "Processing");
  if (paletteFile) copyName(g->paletteFile, paletteFile);
  if (!name) name = "";
  copyName(g->name, name);

  bool opened = false;
  if (listDepth < kMaxListDepth) {
    ++listDepth;
    ListEntry e;
    listEntriesStart(g->entries, nullptr, name);
    listEntriesNext(g->entries, e);
    if (e.generated) {
      opened = scanList(*g, e, true);
    } else if (extensionIs(name, ".lst") || extensionIs(name, ".list")) {
      g->listFile = TOLFileOpen(4096, name, TOLFILE_READ_ONLY);
      if (g->listFile) {
        listEntriesStart(g->entries, g->listFile, name);
        opened = scanList(*g, e, false);
      } else {
        reportOpenError(*g, name);
      }
    } else {
      opened = probeSingleFile(*g, name);
      if (!opened) reportOpenError(*g, name);
    }
    --listDepth;
  } else {
    reportOpenError(*g, name);
  }
  if (opened && !sizesSane(*g, width, height)) {
    reportOpenError(*g, name);
    opened = false;
  }
  if (!opened) {
    GFileClose(g);
    return nullptr;
  }
  commonStep(*g, x, y, width, height, first, last);
  return g;
}

TOL_NS_END
