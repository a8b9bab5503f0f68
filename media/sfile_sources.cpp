// The source readers behind a sound input, per kind: reading the next bytes
// of source data, moving the start of the selection, rewinding and closing.
#include <algorithm>
#include <cstring>

#include "decode/zurn_decoder.h"
#include "decode/zurn_track_reader.h"
#include "fileio/tolfile.h"
#include "media/sfile.h"

TOL_NS_BEGIN

namespace {

// Drops the first bytes of a decoded block while the selection's start
// has not been reached; returns what is left of the block.
uint32_t dropSkipped(SFile* s, uint8_t* dest, uint32_t n) {
  const uint32_t drop = std::min(s->skip, n);
  if (drop) {
    std::memmove(dest, dest + drop, n - drop);
    s->skip -= drop;
  }
  return n - drop;
}

// One frame's sound of the Zurn track, then the next frame; frames without
// sound for the track (or thrown away whole) are passed over.
uint32_t readZurn(SFile* s, uint8_t* dest) {
  while (s->framesRead < s->zurn->frames) {
    uint32_t n = ZurnTrackReaderGet(s->zurnTrack, dest);
    ZurnDecoderNextFrame(static_cast<ZurnDecoder*>(s->zurn));
    ++s->framesRead;
    n = dropSkipped(s, dest, n);
    if (n) return n;
  }
  return 0;
}

}  // namespace

uint32_t readSource(SFile* s, uint8_t* dest, uint32_t room) {
  uint32_t n = 0;
  switch (s->kind) {
    case SFILE_KIND_WAVE: {
      const uint32_t want = std::min(room, s->remaining);
      n = TOLFileGet(s->file, dest, want);
      if (n < want) s->sourceDone = true;
      break;
    }
    case SFILE_KIND_ZURN:
      n = readZurn(s, dest);
      if (s->framesRead >= s->zurn->frames) s->sourceDone = true;
      break;
    default:
      break;
  }
  if (n == 0) s->sourceDone = true;
  return n;
}

void skipSourceBytes(SFile* s, uint32_t bytes) {
  switch (s->kind) {
    case SFILE_KIND_WAVE:
      s->dataOffset += bytes;
      TOLFileSetPos(s->file, s->dataOffset);
      break;
    default:
      s->skip = bytes;
      break;
  }
}

void rewindSource(SFile* s) {
  switch (s->kind) {
    case SFILE_KIND_WAVE:
      TOLFileSetPos(s->file, s->dataOffset);
      break;
    case SFILE_KIND_ZURN: {
      // A fresh track reader: the old one would blend its last sound into
      // the first block after the jump.
      auto* d = static_cast<ZurnDecoder*>(s->zurn);
      ZurnDecoderGoto(d, 1, ZURNDEC_GOTO_FETCH_ONLY);
      const int32_t track = s->zurnTrack->track;
      ZurnTrackReaderClose(s->zurnTrack);
      s->zurnTrack = ZurnTrackReaderOpen(d, track);
      s->framesRead = 0;
      if (!s->zurnTrack) s->length = 0;
      break;
    }
    default:
      break;
  }
}

void closeSource(SFile* s) {
  TOLFileClose(s->file);
  s->file = nullptr;
  ZurnTrackReaderClose(s->zurnTrack);
  s->zurnTrack = nullptr;
  ZurnDecoderClose(static_cast<ZurnDecoder*>(s->zurn));
  s->zurn = nullptr;
}

TOL_NS_END
