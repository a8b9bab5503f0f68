// Opening, rewinding and closing a sound input: the record, the choice
// between a single source and a list, the selection (start and end), and
// the delivered format.
#include <cstring>
#include <new>

#include "media/sfile.h"
#include "platform/alloc.h"
#include "util/paths.h"

TOL_NS_BEGIN

namespace {

// A selection point as a sample frame of the source: -n is the start of
// video frame n (or the end of it for an end point) at the video rate, n
// milliseconds without video; n >= 0 is n milliseconds.
uint64_t selectionFrame(int32_t value, bool isEnd, uint32_t rate, const VideoRate& video) {
  using Wide = unsigned __int128;
  if (value >= 0) return static_cast<uint64_t>(Wide{rate} * static_cast<uint32_t>(value) / 1000);
  const uint64_t n = static_cast<uint64_t>(-static_cast<int64_t>(value));
  if (video.frames <= 0 || video.per <= 0) return static_cast<uint64_t>(Wide{rate} * n / 1000);
  const uint64_t frames = isEnd ? n : n - 1;
  return static_cast<uint64_t>(Wide{rate} * frames * static_cast<uint64_t>(video.per) /
                               static_cast<uint64_t>(video.frames));
}

// Cuts the length to the selection; the start is handed to the source.
void applySelection(SFile* s, int32_t start, int32_t end, const VideoRate& video) {
  if (start == 0 && end == 0) return;
  const uint64_t block = static_cast<uint64_t>(s->srcBlock);
  const uint64_t first = start ? selectionFrame(start, false, s->srcRate, video) : 0;
  const uint64_t skip = first * block;
  if (skip < s->length) {
    skipSourceBytes(s, static_cast<uint32_t>(skip));
    s->length -= static_cast<uint32_t>(skip);
  }
  if (end == 0) return;
  const uint64_t last = selectionFrame(end, true, s->srcRate, video);
  if (last >= first && (last - first) * block < s->length) s->length = static_cast<uint32_t>((last - first) * block);
}

// The delivered format: the source's unless 8/16 bits, 1/2 channels or a
// rate were asked for.
void chooseOutput(SFile* s, int32_t rate, int32_t bits, int32_t channels) {
  s->outRate = rate > 0 ? rate : s->srcRate;
  s->outBits = bits == 8 || bits == 16 ? bits : s->srcBits;
  s->outChannels = channels == 1 || channels == 2 ? channels : s->srcChannels;
  s->outBlock = s->outBits * s->outChannels / 8;
}

}  // namespace

void soundMessage(const SFile* s, const char* text, int32_t kind) {
  if (s->callback) s->callback(text, kind);
}

SFile* SFileOpen(const char* name, int32_t rate, int32_t bits, int32_t channels, int32_t start, int32_t end,
                 int32_t track, uint32_t rawDescription, uint32_t rawOffset, TOLMediaCallback callback) {
  if (!name) return nullptr;
  void* block = tolmalloc(sizeof(SFile));
  if (!block) return nullptr;
  std::memset(block, 0, sizeof(SFile));
  SFile* s = new (block) SFile;
  s->callback = callback;

  // The working name, with ".wav" when it has no extension.
  const size_t len = std::strlen(name);
  if (len + (HasExtension(name) ? 0 : 4) >= sizeof s->name) {
    soundMessage(s, "Error opening the audio input file.", TOL_MESSAGE_ERROR);
    SFileClose(s);
    return nullptr;
  }
  std::memcpy(s->name, name, len + 1);
  if (!HasExtension(name)) std::strcat(s->name, ".wav");

  VideoRate video;
  bool isList = false;
  const bool opened = tryOpenList(s, rate, bits, channels, isList) ||
                      (!isList && openSingleSource(s, name, track, rawDescription, rawOffset, video));
  if (!opened) {
    SFileClose(s);
    return nullptr;
  }
  applySelection(s, start, end, video);
  s->skipOpening = s->skip;
  s->remaining = s->length;
  s->atEnd = s->length == 0;
  chooseOutput(s, rate, bits, channels);
  return s;
}

void SFileReset(SFile* s) {
  if (!s) return;
  if (s->kind == SFILE_KIND_LIST)
    rewindList(s);
  else
    rewindSource(s);
  s->cursor = s->bufferEnd = s->buffer;
  s->remaining = s->length;
  s->skip = s->skipOpening;
  s->atEnd = s->length == 0;
  s->sourceDone = false;
  s->primed = false;
  s->srcBase = s->srcCount;
  s->outBase = s->outCount;
}

void SFileClose(SFile* s) {
  if (!s) return;
  closeList(s);
  closeSource(s);
  tolfree(s->buffer);
  s->~SFile();
  tolfree(s);
}

TOL_NS_END
