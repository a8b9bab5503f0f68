#include "media/quicktime_sound.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "media/movie_tracks.h"

TOL_NS_BEGIN

namespace {

// Sample frames read at a time: one second, at most this many.
constexpr uint64_t kMaxPieceFrames = 65536;
constexpr uint32_t kSilenceBytes = 16;

// Reads and converts the next piece: the sample frames from the position to
// the end of their chunk, at most a piece. False at the end or on damage.
bool readPiece(QTSoundReader& r) {
  if (r.position >= r.endFrame) return false;
  SampleTable::Chunk chunk;
  if (!r.samples.chunkOf(r.position, chunk)) return false;
  const uint64_t intoChunk = r.position - chunk.firstSample;
  const uint64_t pieceFrames = r.block.size() / r.format.storedBytesPerFrame;
  const uint64_t frames = std::min({chunk.samples - intoChunk, r.endFrame - r.position, pieceFrames});
  const uint64_t offset = chunk.offset + intoChunk * r.format.storedBytesPerFrame;
  const uint64_t bytes = frames * r.format.storedBytesPerFrame;
  if (offset < chunk.offset || !r.source->read(offset, r.block.data(), bytes)) return false;
  convertSound(r.format, r.block.data(), frames, r.block.data());
  r.position += frames;
  r.bufferedAt = 0;
  r.buffered = size_t(frames * r.format.outputBytesPerFrame);
  return true;
}

}  // namespace

QTSoundReader* openSoundReader(std::unique_ptr<MovieSource> source, int32_t track) try {
  if (!source) return nullptr;
  Movie movie;
  if (!readMovie(*source, movie)) return nullptr;
  const MovieTrack* sound = movie.track(fourcc("soun"), std::max(track, 1));
  if (!sound || !sound->dataInFile) return nullptr;

  std::unique_ptr<QTSoundReader> r(new QTSoundReader());
  if (!parseSoundFormat(sound->stsd, sound->mediaScale, r->format) || !r->samples.build(sound->stbl))
    return nullptr;
  const SoundFormat& f = r->format;
  r->rate = f.rate;
  r->bits = f.outputBits;
  r->channels = f.channels;
  r->bytesPerSampleFrame = int32_t(f.outputBytesPerFrame);
  r->endFrame = std::min<uint64_t>(r->samples.samplesInChunks(), 0xFFFFFFFFu / f.outputBytesPerFrame);
  r->totalBytes = uint32_t(r->endFrame * f.outputBytesPerFrame);
  // The video's frame rate as video frames * time scale over the duration.
  Box stsz;
  const MovieTrack* video = movie.track(fourcc("vide"), 1);
  const uint64_t frames =
      video && movie.duration != 0 && findChild(video->stbl, fourcc("stsz"), stsz) ? stsz.body.u32(8) : 0;
  fitRatio(frames * movie.timeScale, movie.duration, r->videoRateNum, r->videoRateDen);
  r->movieScale = movie.timeScale;
  r->mediaScale = sound->mediaScale;
  r->block.resize(size_t(std::min<uint64_t>(uint64_t(f.rate), kMaxPieceFrames) * f.storedBytesPerFrame));
  r->source = std::move(source);
  return r.release();
} catch (const std::bad_alloc&) {
  return nullptr;
}

QTSFile* QTSFileOpen(const char* name, int32_t track) { return openSoundReader(openMovieFile(name), track); }

uint32_t QTSFileGet(QTSFile* file, void* buffer, uint32_t bytes) {
  if (!file || !buffer) return 0;
  auto& r = *static_cast<QTSoundReader*>(file);
  auto* out = static_cast<uint8_t*>(buffer);
  uint32_t delivered = 0;
  while (delivered < bytes) {
    if (r.buffered == 0 && !readPiece(r)) break;
    const uint32_t n = uint32_t(std::min<size_t>(r.buffered, bytes - delivered));
    std::memcpy(out + delivered, r.block.data() + r.bufferedAt, n);
    r.bufferedAt += n;
    r.buffered -= n;
    delivered += n;
  }
  if (delivered == 0 && bytes > 0) {
    // Past the end: a little silence, so that callers that wait for sound
    // keep going.
    delivered = std::min(bytes, kSilenceBytes);
    std::memset(out, r.bits == 8 ? 0x80 : 0, delivered);
  }
  return delivered;
}

void QTSFileGoto(QTSFile* file, int32_t milliseconds) {
  if (!file) return;
  auto& r = *static_cast<QTSoundReader*>(file);
  r.buffered = 0;
  r.currentTime = uint64_t(std::max(milliseconds, 0)) * r.movieScale / 1000;
  const uint64_t mediaTime = uint64_t((unsigned __int128)r.currentTime * r.mediaScale / r.movieScale);
  r.position = mediaTime > 0 && mediaTime >= r.samples.duration() ? r.endFrame : r.samples.sampleAtTime(mediaTime);
}

void QTSFileClose(QTSFile* file) { delete static_cast<QTSoundReader*>(file); }

TOL_NS_END
