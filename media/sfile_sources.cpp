// The source readers behind a sound input, per kind: reading the next bytes
// of source data, moving the start of the selection, rewinding and closing.
#include <algorithm>
#include <cstring>

#include "decode/pleven_decoder.h"
#include "decode/zurn_decoder.h"
#include "decode/zurn_track_reader.h"
#include "fileio/tolfile.h"
#include "media/avi_file.h"
#include "media/quicktime_sound.h"
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

// The same for the Pleven track: its sound chunk of the current frame.
uint32_t readPleven(SFile* s, uint8_t* dest) {
  auto* d = static_cast<PlevDecoder*>(s->pleven);
  while (s->framesRead < d->frames) {
    const int32_t got = PlevTrackSound(d, dest, s->trackMask);
    PlevNextFrame(d);
    ++s->framesRead;
    const uint32_t n = dropSkipped(s, dest, got > 0 ? static_cast<uint32_t>(got) : 0);
    if (n) return n;
  }
  return 0;
}

// Whole sample frames from the stream's position on.
uint32_t readAvi(SFile* s, uint8_t* dest, uint32_t room) {
  const int32_t frames = static_cast<int32_t>(std::min(room, s->remaining) / static_cast<uint32_t>(s->srcBlock));
  int32_t bytes = 0, samples = 0;
  if (frames <= 0 || AVIStreamRead(s->avi, s->aviStart + s->aviPosition, frames, dest,
                                   frames * s->srcBlock, &bytes, &samples) != kAVIErrOK)
    return 0;
  s->aviPosition += samples;
  return static_cast<uint32_t>(std::max(bytes, 0));
}

// The movie's sound from the reader's position; the selection's start is
// reached by reading through to it, so it falls on its exact sample frame.
uint32_t readQuickTime(SFile* s, uint8_t* dest, uint32_t room) {
  while (s->skip > 0) {
    const uint32_t n = QTSFileGet(s->quickTime, dest, std::min(room, s->skip));
    if (n == 0) return 0;
    s->skip -= n;
  }
  return QTSFileGet(s->quickTime, dest, std::min(room, s->remaining));
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
    case SFILE_KIND_PLEVEN:
      n = readPleven(s, dest);
      if (s->framesRead >= static_cast<PlevDecoder*>(s->pleven)->frames) s->sourceDone = true;
      break;
    case SFILE_KIND_AVI:
      n = readAvi(s, dest, room);
      break;
    case SFILE_KIND_QUICKTIME:
      n = readQuickTime(s, dest, room);
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
    case SFILE_KIND_AVI:
      s->aviPosition = s->aviOpening = static_cast<int32_t>(bytes / static_cast<uint32_t>(s->srcBlock));
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
    case SFILE_KIND_AVI:
      s->aviPosition = s->aviOpening;
      break;
    case SFILE_KIND_QUICKTIME:
      QTSFileGoto(s->quickTime, 0);
      break;
    case SFILE_KIND_PLEVEN:
      PlevGotoFrame(static_cast<PlevDecoder*>(s->pleven), 1);
      s->framesRead = 0;
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
  AVIStreamRelease(s->avi);
  s->avi = nullptr;
  QTSFileClose(s->quickTime);
  s->quickTime = nullptr;
  PlevClose(static_cast<PlevDecoder*>(s->pleven));
  s->pleven = nullptr;
}

TOL_NS_END
