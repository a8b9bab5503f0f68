// Opening and closing a Zurn decoder, the background read-ahead thread, and
// the small accessors.
#include "decode/zurn_decoder.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "decode/zurn_decoder_block.h"
#include "decode/zurn_decoder_header.h"
#include "decode/zurn_frame.h"
#include "platform/alloc.h"

TOL_NS_BEGIN

namespace {

std::atomic<const char*> g_lastError{""};
std::atomic<int32_t> g_selectedTrack{-1};

constexpr uint32_t kLineModeBits = ZURNDEC_LINE_DOUBLING | ZURNDEC_SECOND_LINE;

ZurnDecoder* fail(const char* text) {
  g_lastError.store(text);
  return nullptr;
}

// Line doubling or the second line mode, from the open flags when they name
// one (both bits: neither), else from the file's video flags.
uint32_t resolveLineMode(uint32_t openFlags, uint32_t videoFlags) {
  uint32_t asked = openFlags & kLineModeBits;
  if (asked == kLineModeBits) return 0;
  if (asked & ZURNDEC_LINE_DOUBLING) return ZURNDEC_LINE_DOUBLING;
  if (asked & ZURNDEC_SECOND_LINE) return ZURNDEC_SECOND_LINE;
  if (videoFlags & ZURNDEC_LINE_DOUBLING) return ZURNDEC_LINE_DOUBLING;
  if (videoFlags & ZURNDEC_SECOND_LINE) return ZURNDEC_SECOND_LINE;
  return 0;
}

// Reads ahead until close asks it to stop; sleeps while the ring is more
// than half full.
void readAheadThread(ZurnDecoder* d) {
  int32_t expected = ZurnDecoder::kStarting;
  auto stopAsked = [d] { return d->threadState.load() != ZurnDecoder::kRunning; };
  if (d->threadState.compare_exchange_strong(expected, ZurnDecoder::kRunning)) {
    std::unique_lock<std::mutex> lock(d->wakeLock);
    while (!stopAsked()) {
      lock.unlock();
      d->source.fillStep();
      const bool fullEnough = d->source.fillPercent() > 50;
      lock.lock();
      if (fullEnough) d->wake.wait_for(lock, std::chrono::milliseconds(5), stopAsked);
    }
  }
  d->threadState.store(ZurnDecoder::kStopped);
}

void stopThread(ZurnDecoder* d) {
  {
    std::lock_guard<std::mutex> lock(d->wakeLock);
    d->threadState.store(ZurnDecoder::kStopRequested);
  }
  d->wake.notify_all();
  if (d->thread.joinable()) d->thread.join();
}

// Releases everything a decoder holds, the record's own block last.
void destroy(ZurnDecoder* d) {
  stopThread(d);
  if (d->ownsImage) tolfree(const_cast<uint8_t*>(d->image));
  tolfree(d->readAheadBlock);
  d->~ZurnDecoder();
  tolfree(d);
}

// Allocates the decoder's block (record, frame buffers, block-change map,
// element-stream buffers and, when copyTables, the index and track tables)
// and fills in what the header gives. Null when memory runs out.
ZurnDecoder* allocateDecoder(const ZurnFileHeader& h, bool copyTables) {
  const FrameGeometry g = frameGeometry(h.width, h.height);
  StaggeredBlock plan(sizeof(ZurnDecoder));
  const int frame0 = plan.add(g.frameBytes);
  const int frame1 = plan.add(g.frameBytes);
  const int map = plan.add(uint64_t{g.mapBytes} + 16);
  int streams[kStreamCount];
  for (int s = 0; s < kStreamCount; s++) streams[s] = plan.add(streamBufferBytes(StreamId(s), g.lumaPitch));
  int tables[4] = {};
  if (copyTables) {
    tables[0] = plan.add(h.indexEntries() * 4);
    for (int t = 1; t < 4; t++) tables[t] = plan.add(h.tableBytes());
  }
  if (plan.total() > 0xFFFFFFF0u) return nullptr;
  void* block = tolmalloc(static_cast<uint32_t>(plan.total()));
  if (!block) return nullptr;

  ZurnDecoder* d = new (block) ZurnDecoder();
  d->width = static_cast<int32_t>(h.width);
  d->height = static_cast<int32_t>(h.height);
  d->frames = static_cast<int32_t>(h.frames);
  d->fpsNumerator = static_cast<int32_t>(h.fpsNumerator);
  d->fpsDenominator = static_cast<int32_t>(h.fpsDenominator);
  d->geometry = g;
  d->lumaPitch = g.lumaPitch;
  d->lumaHeight = g.lumaBufferHeight;
  d->chromaWidth = g.chromaWidth;
  d->chromaHeight = g.chromaHeight;
  d->decodedHeight = h.height;
  d->mapPitch = g.mapPitch;
  d->mapSize = g.mapBytes;
  d->fileSizeLess8 = h.fileSizeLess8;
  d->indexFrames = h.indexFrames;
  d->soundTrackCount = h.soundTrackCount;
  d->videoFlags = h.videoFlags;
  for (int b = 0; b < 2; b++) {
    d->frameBuffers[b] = plan.buffer(block, b == 0 ? frame0 : frame1);
    std::memset(d->frameBuffers[b], 0, g.frameBytes);
  }
  // The map ends with a zero byte (the copy looks for one).
  d->changeMap = plan.buffer(block, map);
  std::memset(d->changeMap, 0, uint64_t{g.mapBytes} + 16);
  for (int s = 0; s < kStreamCount; s++) {
    d->streams.data[s] = plan.buffer(block, streams[s]);
    d->streams.capacity[s] = streamCapacity(StreamId(s), g.lumaPitch);
  }
  if (copyTables) {
    d->index = reinterpret_cast<const uint32_t*>(plan.buffer(block, tables[0]));
    d->soundMaxDecoded = reinterpret_cast<const uint32_t*>(plan.buffer(block, tables[1]));
    d->soundFlags = reinterpret_cast<const uint32_t*>(plan.buffer(block, tables[2]));
    d->soundTrackId = reinterpret_cast<const uint32_t*>(plan.buffer(block, tables[3]));
  }
  return d;
}

// The track tables and the index: read into the block, copied from an
// unaligned image, or pointed to in an aligned image (no block buffers).
bool takeTables(ZurnDecoder* d, const ZurnFileHeader& h, const uint8_t* image) {
  const uint32_t** tables[4] = {&d->soundMaxDecoded, &d->soundFlags, &d->soundTrackId, &d->index};
  for (int t = 0; t < 4; t++) {
    const uint64_t offset = t < 3 ? ZurnFileHeader::kSize + t * h.tableBytes() : h.indexOffset();
    const uint64_t bytes = t < 3 ? h.tableBytes() : h.indexEntries() * 4;
    const uint32_t* copy = *tables[t];
    if (image && !copy) {
      *tables[t] = reinterpret_cast<const uint32_t*>(image + offset);
    } else if (image) {
      std::memcpy(const_cast<uint32_t*>(copy), image + offset, bytes);
    } else if (bytes != 0 && d->source.readDirect(static_cast<uint32_t>(offset), const_cast<uint32_t*>(copy),
                                                  static_cast<uint32_t>(bytes)) != bytes) {
      return false;
    }
  }
  return true;
}

// Loads every frame into one block and closes the file.
const char* loadAllFrames(ZurnDecoder* d, uint64_t fileBytes) {
  uint32_t first = zurnFrameOffset(d->index[0]);
  uint64_t end = std::min<uint64_t>(zurnFrameOffset(d->index[d->frames]), fileBytes);
  uint32_t size = end > first ? static_cast<uint32_t>(end - first) : 0;
  uint8_t* image = static_cast<uint8_t*>(tolmalloc(std::max<uint32_t>(size, 16)));
  if (!image) return kZurnErrorMemory;
  d->image = image;
  d->ownsImage = true;
  d->imageSize = d->source.readDirect(first, image, size);
  d->source.close();
  return nullptr;
}

const char* makeReadAhead(ZurnDecoder* d, uint32_t ringSize, uint64_t fileBytes) {
  StaggeredBlock plan(0);
  int ring = plan.add(ringSize);
  int current = plan.add(d->largestFrame);
  if (plan.total() > 0xFFFFFFF0u) return kZurnErrorMemory;
  d->readAheadBlock = static_cast<uint8_t*>(tolmalloc(static_cast<uint32_t>(plan.total())));
  if (!d->readAheadBlock) return kZurnErrorMemory;
  d->readAheadSize = ringSize;
  d->frameBytes = plan.buffer(d->readAheadBlock, current);
  d->source.setBuffer(plan.buffer(d->readAheadBlock, ring), ringSize,
                      static_cast<uint32_t>(std::min<uint64_t>(fileBytes, 0xFFFFFFFFu)));
  return nullptr;
}

int32_t chooseTrack(const ZurnDecoder* d, int32_t selectedId) {
  if (d->soundTrackCount == 0) return -1;
  if (!(d->flags & ZURNDEC_SELECTED_TRACK)) return 0;
  if (selectedId == -1) return -1;
  for (uint32_t t = 0; t < d->soundTrackCount; t++)
    if (static_cast<int32_t>(d->soundTrackId[t]) == selectedId) return static_cast<int32_t>(t);
  return -1;
}

}  // namespace

ZurnDecoder* ZurnDecoderOpen(const void* source, uint32_t flags) {
  return ZurnDecoderOpenWithReadAhead(source, flags, 0);
}

ZurnDecoder* ZurnDecoderOpenWithReadAhead(const void* source, uint32_t flags, uint32_t readAheadBytes) {
  const int32_t selectedId = g_selectedTrack.exchange(-1);
  g_lastError.store("");
  if (!source) return fail(kZurnErrorOpening);

  // The file: a memory image, a caller's handle or a name.
  const bool inMemory = flags & ZURNDEC_MEMORY_IMAGE;
  const uint8_t* image = inMemory ? static_cast<const uint8_t*>(source) : nullptr;
  ZurnFrameSource file;
  if (!inMemory) {
    bool opened = (flags & ZURNDEC_FILE_HANDLE)
                      ? file.attach(static_cast<os::File>(reinterpret_cast<intptr_t>(source)))
                      : file.open(static_cast<const char*>(source));
    if (!opened) return fail(kZurnErrorOpening);
  }

  ZurnFileHeader h;
  uint64_t fileBytes;  // what the file holds of what its header promises
  if (inMemory) {
    h.parse(image);
    fileBytes = h.fileSize();
  } else {
    uint8_t bytes[ZurnFileHeader::kSize];
    if (file.readDirect(0, bytes, sizeof bytes) != sizeof bytes) return fail(kZurnErrorNotZurn);
    h.parse(bytes);
    fileBytes = std::min(file.fileSize(), h.fileSize());
  }
  if (const char* error = h.check(fileBytes)) return fail(error);

  // Tables are read into the block, or used in place in an aligned image.
  const bool copyTables = !inMemory || reinterpret_cast<uintptr_t>(image) % 4 != 0;
  ZurnDecoder* d = allocateDecoder(h, copyTables);
  if (!d) return fail(kZurnErrorMemory);
  d->source.moveFileFrom(file);
  const uint32_t lineMode = resolveLineMode(flags, h.videoFlags);
  d->flags = (flags & ~kLineModeBits) | lineMode;
  if (lineMode == ZURNDEC_LINE_DOUBLING) d->height *= 2;

  uint32_t largest = 0;
  if (!takeTables(d, h, image) || !zurnIndexIsSound(d->index, h.frames, h.dataOffset(), h.fileSize(), &largest)) {
    destroy(d);
    return fail(kZurnErrorDamaged);
  }
  d->largestFrame = largest;

  // Read ahead the busiest second of the file, or what the caller asked for
  // (never more than the file holds), or hold every frame in memory when
  // that is most of the file.
  const uint64_t peak = zurnPeakSecond(d->index, h.frames, h.roundedRate(), &d->peakSecondFrame);
  const uint64_t wanted = readAheadBytes ? uint64_t{readAheadBytes} : peak;
  const uint32_t ringSize = ZurnFrameSource::roundSize(std::min(wanted, fileBytes));
  d->peakSecondBytes = static_cast<uint32_t>(std::min<uint64_t>(peak, 0xFFFFFFFFu));
  const char* error = nullptr;
  if (inMemory) {
    d->image = image + zurnFrameOffset(d->index[0]);
    d->imageSize = zurnFrameOffset(d->index[h.frames]) - zurnFrameOffset(d->index[0]);
  } else if (uint64_t{ringSize} * 10 >= uint64_t{h.fileSizeLess8} * 9 || (flags & ZURNDEC_LOAD_ALL)) {
    error = loadAllFrames(d, fileBytes);
  } else {
    error = makeReadAhead(d, ringSize, fileBytes);
  }
  if (error) {
    destroy(d);
    return fail(error);
  }

  zurnFetchFrame(d, 1);
  if (!d->image && !(flags & ZURNDEC_NO_PREFILL))
    while (d->source.fillStep() > 0) {
    }
  d->soundTrack = chooseTrack(d, selectedId);

  // With every frame in memory, or read-ahead switched off or impossible,
  // there is nothing for a background thread to do, so none is started.
  if (d->image || (flags & ZURNDEC_NO_READ_AHEAD) || d->readAheadSize == 0) return d;
  d->threadState.store(ZurnDecoder::kStarting);
  try {
    d->thread = std::thread([d] { readAheadThread(d); });
  } catch (...) {
    destroy(d);
    return fail(kZurnErrorMemory);
  }
  return d;
}

void ZurnDecoderSelectTrack(int32_t id) { g_selectedTrack.store(id); }

const char* ZurnDecoderGetError() { return g_lastError.load(); }

void ZurnDecoderClose(ZurnDecoder* d) {
  if (!d) return;
  d->paused = 1;
  destroy(d);
}

void ZurnDecoderSetVideo(ZurnDecoder* d, int32_t on) {
  if (d) d->videoOn = on ? 1 : 0;
}

int32_t ZurnDecoderPause(ZurnDecoder* d, int32_t on) {
  if (!d) return 0;
  d->paused = on;
  return d->paused;
}

uint32_t ZurnDecoderTrackFlags(ZurnDecoder* d, int32_t track) {
  if (!d || track < 0 || static_cast<uint32_t>(track) >= d->soundTrackCount) return 0;
  return d->soundFlags[track];
}

uint32_t ZurnDecoderTrackId(ZurnDecoder* d, int32_t track) {
  if (!d || track < 0 || static_cast<uint32_t>(track) >= d->soundTrackCount) return 0;
  return d->soundTrackId[track];
}

TOL_NS_END
