// Opening and closing a Pleven decoder: header, tables, tree block,
// statistics and the choice of buffering.
#include "decode/pleven_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "decode/pleven_format.h"
#include "platform/alloc.h"
#include "platform/profile.h"

TOL_NS_BEGIN

namespace {

using namespace pleven;

constexpr unsigned kWordLookupBits = 11;
constexpr unsigned kByteLookupBits = 8;
constexpr uint64_t kUnknownSize = UINT64_MAX;

bool tracingWanted() {
  static const bool wanted = profile::getInt("Pleven", "Debug", 0) == 1;
  return wanted;
}

void trace(bool on, const char* text, const char* detail = "") {
  if (on) std::fprintf(stderr, "%s%s\r\n", text, detail);
}

void* allocate(PlevDecoder* d, uint64_t size) {
  if (size == 0 || size >= 0xFFFFFFFFu) return nullptr;
  void* p = tolmalloc(static_cast<uint32_t>(size));
  if (p) d->memoryTotal += static_cast<uint32_t>(size);
  return p;
}

// Where the file's bytes come from while opening.
struct Source {
  const uint8_t* image = nullptr;
  uint64_t size = kUnknownSize;  // bytes from the start of the file
  int64_t base = 0;              // a handle's position at open

  // Reads size bytes at offset into dest (a file) or points at them (an
  // image; dest is then not used). Null when they are not there.
  const uint8_t* read(os::File file, uint64_t offset, uint32_t count, uint8_t* dest) const {
    if (size != kUnknownSize && (offset > size || count > size - offset)) return nullptr;
    if (image) return image + offset;
    if (os::seek(file, base + static_cast<int64_t>(offset), 0) != base + static_cast<int64_t>(offset)) return nullptr;
    return os::read(file, dest, count) == count ? dest : nullptr;
  }
};

bool openSource(PlevDecoder* d, const void* source, uint32_t options, int32_t bufferSize, Source& src) {
  if (options & PLEV_OPEN_MEMORY) {
    src.image = static_cast<const uint8_t*>(source);
    if (bufferSize > 0) src.size = static_cast<uint64_t>(bufferSize);
    return src.image != nullptr;
  }
  if (options & PLEV_OPEN_HANDLE) {
    d->file = static_cast<os::File>(reinterpret_cast<intptr_t>(source));
  } else {
    d->file = os::openExisting(static_cast<const char*>(source), false);
    d->ownsFile = true;
  }
  if (d->file == os::kInvalidFile) return false;
  src.base = os::seek(d->file, 0, 1);
  const int64_t end = os::seek(d->file, 0, 2);
  if (src.base < 0 || end < src.base) return false;
  src.size = static_cast<uint64_t>(end - src.base);
  return true;
}

bool headerIsSane(const PlevDecoder* d) {
  if (d->magic != kMagic) return false;
  if (d->width < 1 || d->width > kMaxDimension || d->height < 1 || d->height > kMaxDimension) return false;
  if (static_cast<uint64_t>(d->width) * static_cast<uint64_t>(d->height) > kMaxPixels) return false;
  if (d->frames < 1 || static_cast<uint32_t>(d->frames) > kMaxFrames) return false;
  for (uint32_t size : d->treeTableSize) {
    if (size > kMaxLeaves * kTreeTableUnit) return false;
  }
  return true;
}

bool readTables(PlevDecoder* d, os::File file, const Source& src) {
  const uint32_t n = d->entries;
  auto* block = static_cast<uint8_t*>(allocate(d, uint64_t{n} * 5 + 4 + uint64_t{n + 1} * 8));
  if (!block) return false;
  // Offsets first (8-byte aligned), then the sizes and the types.
  d->offsets = reinterpret_cast<uint64_t*>(block);
  auto* sizes = reinterpret_cast<uint32_t*>(block + uint64_t{n + 1} * 8);
  auto* types = reinterpret_cast<uint8_t*>(sizes + n);
  const uint8_t* raw = src.read(file, kHeaderSize, n * 5, reinterpret_cast<uint8_t*>(sizes));
  if (!raw) return false;
  if (raw != reinterpret_cast<uint8_t*>(sizes)) std::memcpy(sizes, raw, uint64_t{n} * 5);
  for (uint32_t i = 0; i < n; ++i) sizes[i] = load32(reinterpret_cast<uint8_t*>(sizes + i));
  d->frameSizes = sizes;
  d->frameTypes = types;
  return true;
}

bool readTrees(PlevDecoder* d, os::File file, const Source& src) {
  size_t total = 0;
  uint32_t leaves[4];
  for (int t = 0; t < 4; ++t) {
    leaves[t] = std::max<uint32_t>(1, d->treeTableSize[t] / kTreeTableUnit);
    total += HuffDecodeTree::bytesFor(leaves[t], kWordLookupBits) + 2 * HuffDecodeTree::bytesFor(256, kByteLookupBits);
  }
  d->treeStorage = static_cast<uint8_t*>(allocate(d, total));
  if (!d->treeStorage) return false;
  uint8_t* p = d->treeStorage;
  for (int t = 0; t < 4; ++t) {
    d->trees[t].init(p, leaves[t], kWordLookupBits);
    p += HuffDecodeTree::bytesFor(leaves[t], kWordLookupBits);
    for (int b = 0; b < 2; ++b) {
      d->byteTrees[2 * t + b].init(p, 256, kByteLookupBits);
      p += HuffDecodeTree::bytesFor(256, kByteLookupBits);
    }
  }
  const uint64_t at = kHeaderSize + uint64_t{d->entries} * 5;
  uint8_t* scratch = src.image ? nullptr : static_cast<uint8_t*>(tolmalloc(std::max<uint32_t>(d->treeBlockSize, 1)));
  if (!src.image && !scratch) return false;
  const uint8_t* block = src.read(file, at, d->treeBlockSize, scratch);
  bool ok = block != nullptr;
  LsbBitReader in(block, block + (ok ? d->treeBlockSize : 0));
  for (int t = 0; t < 4 && ok; ++t) ok = d->trees[t].loadWordTree(in, d->byteTrees[2 * t], d->byteTrees[2 * t + 1]);
  tolfree(scratch);
  return ok;
}

// Offsets, largest frame and the peak of framesPerSecond frames in a row.
bool measureFrames(PlevDecoder* d, const Source& src) {
  uint64_t total = 0;
  for (uint32_t i = 0; i < d->entries; ++i) {
    d->offsets[i] = total;
    total += d->frameSizes[i];
    d->largestFrame = std::max(d->largestFrame, d->frameSizes[i]);
  }
  d->offsets[d->entries] = total;
  if (total > 0xFFFFFFF0u) return false;
  if (src.size != kUnknownSize && (d->dataStart > src.size || total > src.size - d->dataStart)) return false;
  const uint32_t run = static_cast<uint32_t>(d->framesPerSecond);
  const uint32_t frames = static_cast<uint32_t>(d->frames);
  if (frames <= run) {
    d->peakRate = static_cast<uint32_t>(d->offsets[frames]);
    d->peakRateFrame = 0;
    return true;
  }
  for (uint32_t i = 0; i + run <= frames; ++i) {
    const uint64_t sum = d->offsets[i + run] - d->offsets[i];
    if (sum > d->peakRate) {
      d->peakRate = static_cast<uint32_t>(sum);
      d->peakRateFrame = static_cast<int32_t>(i);
    }
  }
  return true;
}

uint32_t readAheadSize(const PlevDecoder* d, int32_t bufferSize, uint64_t total) {
  uint64_t size;
  if (bufferSize > 0) {
    size = static_cast<uint64_t>(bufferSize);
  } else {
    size = d->rate == 0 ? 0x3000 : d->peakRate;
    size = std::max<uint64_t>(std::min(size, total / 4), 0x3000);
  }
  size = (size + 4095) / 4096 * 4096;
  return static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(size, 8192), 0x40000000));
}

bool setUpBuffering(PlevDecoder* d, uint32_t options, int32_t bufferSize, const Source& src) {
  const uint64_t total = d->offsets[d->entries];
  bool whole = (options & (PLEV_OPEN_WHOLE_FILE | PLEV_OPEN_MEMORY)) != 0;
  const uint32_t ahead = whole ? 0 : readAheadSize(d, (options & PLEV_OPEN_MEMORY) ? -1 : bufferSize, total);
  if (!whole && ahead >= total * 4 / 5) whole = true;
  if (whole) {
    if (src.image) {
      d->frameArea = src.image + d->dataStart;
      return true;
    }
    d->ownedArea = static_cast<uint8_t*>(allocate(d, std::max<uint64_t>(total, 1)));
    if (!d->ownedArea) {
      trace(d->tracing, "Couldn't allocate input buffer");
      return false;
    }
    const uint32_t t0 = os::milliseconds();
    if (total && !src.read(d->file, d->dataStart, static_cast<uint32_t>(total), d->ownedArea)) return false;
    d->readMilliseconds = os::milliseconds() - t0;
    d->bytesRead = static_cast<uint32_t>(total);
    d->frameArea = d->ownedArea;
    if (d->ownsFile) {
      os::close(d->file);
      d->file = os::kInvalidFile;
      d->ownsFile = false;
    }
    return true;
  }
  d->readAheadBuffer = static_cast<uint8_t*>(allocate(d, uint64_t{ahead} + 4096));
  if (!d->readAheadBuffer) {
    trace(d->tracing, "Couldn't allocate input buffer");
    return false;
  }
  d->frameBuffer = static_cast<uint8_t*>(allocate(d, uint64_t{d->largestFrame} + 8));
  if (!d->frameBuffer) {
    trace(d->tracing, "Couldn't allocate I/O buffer");
    return false;
  }
  d->readAhead.init(d->file, src.base, d->readAheadBuffer, ahead + 4096, d->dataStart + total);
  return d->readAhead.start(d->dataStart);
}

void applyLineMode(PlevDecoder* d, uint32_t options) {
  switch (options & PLEV_OPEN_SINGLE) {
    case PLEV_OPEN_DOUBLED: d->flags = (d->flags | PLEV_FLAG_DOUBLED) & ~PLEV_FLAG_INTERLACED; break;
    case PLEV_OPEN_INTERLACED: d->flags = (d->flags | PLEV_FLAG_INTERLACED) & ~PLEV_FLAG_DOUBLED; break;
    case PLEV_OPEN_SINGLE: d->flags &= ~(PLEV_FLAG_DOUBLED | PLEV_FLAG_INTERLACED); break;
    default: break;
  }
  if (d->flags & (PLEV_FLAG_DOUBLED | PLEV_FLAG_INTERLACED)) d->height *= 2;
}

bool openParts(PlevDecoder* d, const void* source, uint32_t options, int32_t bufferSize) {
  Source src;
  if (!openSource(d, source, options, bufferSize, src)) {
    trace(d->tracing, "Couldn't open the Pleven file");
    return false;
  }
  uint8_t header[kHeaderSize];
  const uint8_t* h = src.read(d->file, 0, kHeaderSize, header);
  if (h) {
    for (uint32_t i = 0; i < kHeaderFields; ++i) headerWords(d)[i] = load32(h + 4 * i);
  }
  if (!h || !headerIsSane(d)) {
    trace(d->tracing, "Wasn't a Pleven file");
    return false;
  }
  d->entries = static_cast<uint32_t>(d->frames) + (d->flags & PLEV_FLAG_RING_FRAME);
  d->dataStart = kHeaderSize + uint64_t{d->entries} * 5 + d->treeBlockSize;
  // Nothing is allocated for the tables and trees before the file is seen
  // to hold them.
  if (src.size != kUnknownSize && d->dataStart > src.size) {
    trace(d->tracing, "Wasn't a Pleven file");
    return false;
  }
  for (uint32_t size : d->treeTableSize) {
    if (size / kTreeTableUnit > uint64_t{d->treeBlockSize} * 8) {
      trace(d->tracing, "Wasn't a Pleven file");
      return false;
    }
  }
  d->frameTime = frameTimeOf(d->rate);
  d->framesPerSecond = framesPerSecondOf(d->frameTime);
  if (!readTables(d, d->file, src)) {
    trace(d->tracing, d->offsets ? "Wasn't a Pleven file" : "Couldn't allocate track table");
    return false;
  }
  if (!readTrees(d, d->file, src) || !measureFrames(d, src)) {
    trace(d->tracing, "Wasn't a Pleven file");
    return false;
  }
  if (!setUpBuffering(d, options, bufferSize, src)) return false;
  pleven::fetchFrame(d, 0);
  if (options & PLEV_OPEN_FILL) d->readAhead.fillAll();
  applyLineMode(d, options);
  return true;
}

}  // namespace

PlevDecoder* PlevOpen(const void* source, uint32_t options, int32_t bufferSize) {
  const bool tracing = tracingWanted();
  if (tracing) {
    char detail[64];
    if (options & PLEV_OPEN_HANDLE) {
      std::snprintf(detail, sizeof detail, "%ld", static_cast<long>(reinterpret_cast<intptr_t>(source)));
      trace(true, "PlevOpen - file handle: ", detail);
    } else if (!(options & PLEV_OPEN_MEMORY)) {
      trace(true, "PlevOpen - file: ", source ? static_cast<const char*>(source) : "");
    }
  }
  if (!source) return nullptr;
  void* block = tolmalloc(sizeof(PlevDecoder));
  if (!block) {
    trace(tracing, "Couldn't allocate Plev structure");
    return nullptr;
  }
  auto* d = new (block) PlevDecoder();
  d->memoryTotal = sizeof(PlevDecoder);
  d->tracing = tracing;
  d->options = options;
  if (!openParts(d, source, options, bufferSize)) {
    PlevClose(d);
    return nullptr;
  }
  if (tracing) {
    char detail[32];
    std::snprintf(detail, sizeof detail, "%p", static_cast<void*>(d));
    trace(true, "PlevOpen returned: ", detail);
  }
  return d;
}

void PlevClose(PlevDecoder* d) {
  if (!d) return;
  if (d->tracing) {
    char detail[32];
    std::snprintf(detail, sizeof detail, "%p", static_cast<void*>(d));
    trace(true, "PlevClose: ", detail);
  }
  if (d->ownsFile && d->file != os::kInvalidFile) os::close(d->file);
  tolfree(d->offsets);
  tolfree(d->treeStorage);
  tolfree(d->ownedArea);
  tolfree(d->readAheadBuffer);
  tolfree(d->frameBuffer);
  tolfree(d->soundWork);
  d->~PlevDecoder();
  tolfree(d);
}

TOL_NS_END
