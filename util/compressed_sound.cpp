#include "util/compressed_sound.h"

#include <algorithm>
#include <cstring>

#include "media/sfile.h"
#include "platform/alloc.h"
#include "util/huffman.h"
#include "util/sound_chunk.h"
#include "util/switches.h"

TOL_NS_BEGIN

namespace {

SFile* inputOf(const CSFile* cs) { return static_cast<SFile*>(cs->input); }

uint32_t frameBytes(const CSFile* cs) { return static_cast<uint32_t>(inputOf(cs)->outBlock); }

// ms of sound at the delivered format (bytes, rounded down), rounded up to
// whole frames.
uint32_t bytesForMs(const CSFile* cs, uint32_t ms) {
  const uint64_t frame = frameBytes(cs);
  const uint64_t bytes = uint64_t{ms} * static_cast<uint32_t>(inputOf(cs)->outRate) * frame / 1000;
  return static_cast<uint32_t>(std::min<uint64_t>((bytes + frame - 1) / frame * frame, 0xFFFFFFFFu / frame * frame));
}

// The input's whole length at the delivered format, in whole frames.
uint32_t inputLength(const CSFile* cs) {
  const SFile* in = inputOf(cs);
  const uint64_t frame = frameBytes(cs);
  const uint64_t bytes = uint64_t{in->length} * static_cast<uint32_t>(in->outRate) * frame /
                         (uint64_t(static_cast<uint32_t>(in->srcRate)) * static_cast<uint32_t>(in->srcBlock));
  return static_cast<uint32_t>(std::min<uint64_t>(bytes / frame * frame, 0xFFFFFFFFu / frame * frame));
}

// Fills dest with up to `want` bytes of the input; an input that ends early
// is started again when looping (once per call, so an empty input cannot
// loop for ever). Returns the bytes read.
uint32_t readInput(CSFile* cs, uint8_t* dest, uint32_t want) {
  uint32_t got = 0;
  bool restarted = false;
  while (got < want) {
    const uint32_t n = SFileGet(inputOf(cs), dest + got, want - got);
    got += n;
    if (n > 0) {
      restarted = false;
      continue;
    }
    if (!cs->loopInput || restarted) break;
    SFileReset(inputOf(cs));
    restarted = true;
  }
  return got;
}

// Fills chunk[0, bytes) by the pass rules; returns how much was produced.
uint32_t produce(CSFile* cs, uint8_t* chunk, uint32_t bytes) {
  uint32_t pos = 0;
  while (pos < bytes) {
    const uint32_t silence = std::min(cs->delayLeft, bytes - pos);
    cs->delayLeft -= silence;
    pos += silence;
    const uint32_t share = std::min(cs->left, bytes - pos);
    readInput(cs, chunk + pos, share);  // what the input does not give stays silent
    cs->left -= share;
    pos += share;
    if (cs->left > 0 || cs->delayLeft > 0 || !cs->repeat || cs->delay + cs->length == 0) break;
    SFileReset(inputOf(cs));
    cs->delayLeft = cs->delay;
    cs->left = cs->length;
  }
  return pos;
}

}  // namespace

CSFile* CSFileOpen(const char* name, int32_t level, int32_t loopInput, int32_t repeat, uint32_t delayMs,
                   uint32_t lengthMs, int32_t rate, int32_t bits, int32_t channels, int32_t start, int32_t end,
                   int32_t track, uint32_t rawDescription, uint32_t rawOffset, TOLMediaCallback callback) {
  auto* cs = static_cast<CSFile*>(tolmalloc(sizeof(CSFile)));
  if (!cs) return nullptr;
  std::memset(cs, 0, sizeof *cs);
  if (rawDescription) {
    // Headerless input keeps its own format.
    rate = static_cast<int32_t>(rawDescription >> SFILE_RAW_RATE_SHIFT);
    bits = channels = 0;
    cs->raw = rawDescription > 3;
  }
  cs->input = SFileOpen(name, rate, bits, channels, start, end, track, rawDescription, rawOffset, callback);
  for (HuffTree*& tree : cs->trees) tree = cs->input ? HuffOpen(1) : nullptr;
  if (!cs->input || !cs->trees[0] || !cs->trees[1] || !cs->trees[2] || !cs->trees[3]) {
    tol::CSFileClose(cs);
    return nullptr;
  }
  const SFile* in = inputOf(cs);
  cs->fill = in->outBits == 16 ? 0 : 128;
  cs->delay = cs->delayLeft = bytesForMs(cs, delayMs);
  cs->length = cs->left = lengthMs == 0 || cs->raw ? inputLength(cs) : bytesForMs(cs, lengthMs);
  const soundchunk::Quantiser q = soundchunk::levelQuantiser(level, static_cast<uint32_t>(in->outBits));
  cs->mask = q.mask;
  cs->threshold = q.threshold;
  cs->loopInput = loopInput != 0;
  cs->repeat = repeat != 0;
  return cs;
}

void CSFileSetOutput(CSFile* cs, TOLFile* file) {
  if (!cs) return;
  cs->output = file;
  for (HuffTree* tree : cs->trees) HuffSetOutput(tree, file);
}

uint32_t CSFilePut(CSFile* cs, uint32_t bytes) {
  if (!cs || !cs->output) return 0;
  const uint32_t frame = frameBytes(cs);
  bytes = bytes / frame * frame;
  cs->lastSoundBytes = cs->lastChunkSize = 0;
  if (bytes == 0) return 0;
  auto* chunk = static_cast<uint8_t*>(tolmalloc(bytes));
  if (!chunk) return 0;
  std::memset(chunk, cs->fill, bytes);
  const uint32_t produced = produce(cs, chunk, bytes);
  if (produced > 0) {
    const SFile* in = inputOf(cs);
    const soundchunk::Format format{static_cast<uint32_t>(in->outBits), static_cast<uint32_t>(in->outChannels)};
    cs->lastChunkSize = soundchunk::writeChunk(cs->output, chunk, produced, format,
                                               soundchunk::Quantiser{cs->mask, cs->threshold}, cs->trees, cs->raw);
    cs->lastSoundBytes = produced;
    cs->totalSoundBytes += produced;
    cs->totalChunkBytes += cs->lastChunkSize;
  }
  tolfree(chunk);
  return cs->lastSoundBytes;
}

void CSFileClose(CSFile* cs) {
  if (!cs) return;
  SFileClose(inputOf(cs));
  for (HuffTree* tree : cs->trees) HuffClose(tree);
  std::memset(cs, 0, sizeof *cs);
  tolfree(cs);
}

int32_t CSFileCommandline(char* text, int32_t* level, int32_t* loop, int32_t* rate, int32_t* bits, int32_t* channels,
                          int32_t* start, int32_t* end, int32_t* track, uint32_t* rawDescription, uint32_t* rawOffset) {
  if (!text) return 0;
  if (level) *level = GetSwitchNum(text, 'L', 0);
  if (loop) *loop = GetSwitch(text, 'P');
  return SFileCommandLine(text, rate, bits, channels, start, end, track, rawDescription, rawOffset);
}

TOL_NS_END
