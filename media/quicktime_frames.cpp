#include "media/quicktime_frames.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "media/mjpeg_decoder.h"
#include "media/movie_raw_pixels.h"
#include "media/movie_tracks.h"
#include "media/png_memory.h"

TOL_NS_BEGIN

namespace {

// A compressed sample may expand this much (beyond a fixed allowance) into
// the frame buffer; larger frame sizes are taken for damage.
constexpr uint64_t kMaxExpansion = 2048;
constexpr uint64_t kExpansionAllowance = 1u << 20;

// Bytes per stored row of a 'raw ' sample: the least a row needs, or the
// sample size shared out evenly over the rows when that is more (rows
// padded by the writer).
uint64_t rawStride(const VideoFormat& f, uint32_t sampleSize) {
  const uint64_t least = rawRowBytes(f.width, f.depth);
  const uint64_t even = sampleSize / uint64_t(f.height);
  return (sampleSize % uint64_t(f.height) == 0 && even > least) ? even : least;
}

bool decodeRaw(QTFrameReader& r, const uint8_t* data, uint32_t size) {
  const VideoFormat& f = r.format;
  const uint64_t stride = rawStride(f, size);
  if (stride * uint64_t(f.height - 1) + rawRowBytes(f.width, f.depth) > size) return false;
  for (int32_t y = 0; y < f.height; ++y)
    convertRawRow(data + stride * uint64_t(y), f.depth, f.width, r.pixels + size_t(r.pitch) * size_t(y));
  return true;
}

void flipRows(QTFrameReader& r) {
  const size_t pitch = size_t(r.pitch);
  for (int32_t top = 0, bottom = r.height - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(r.pixels + size_t(top) * pitch, r.pixels + size_t(top + 1) * pitch,
                     r.pixels + size_t(bottom) * pitch);
}

// The JPEG decoder works on bottom-up rows and may leave some of them as
// they were (a smaller picture, a damaged one), so the buffer is turned
// over for it and back.
bool decodeJpeg(QTFrameReader& r, const uint8_t* data, uint32_t size) {
  flipRows(r);
  const bool decoded = r.jpeg->decode(data, size, r.pixels, size_t(r.pitch), uint32_t(r.width), uint32_t(r.height));
  flipRows(r);
  return decoded;
}

bool decodeSample(QTFrameReader& r, const uint8_t* data, uint32_t size) {
  switch (r.format.codec) {
    case VideoCodec::kRaw:
      return decodeRaw(r, data, size);
    case VideoCodec::kJpeg:
      return decodeJpeg(r, data, size);
    case VideoCodec::kPng:
      return decodePngToBgr(data, size, r.width, r.height, r.pixels, size_t(r.pitch));
  }
  return false;
}

// Reads and decodes one sample into the frame buffer.
bool showSample(QTFrameReader& r, uint32_t sample) {
  uint64_t offset = 0;
  uint32_t size = 0;
  if (!r.samples.sampleBytes(sample, offset, size)) return false;
  r.frameBytes = int32_t(std::min<uint32_t>(size, 0x7FFFFFFF));
  if (sample == r.shownSample) return true;
  r.shownSample = -1;
  if (size == 0 || offset > r.source->size() || size > r.source->size() - offset) return false;
  try {
    if (r.sampleBytes.size() < size) r.sampleBytes.resize(size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!r.source->read(offset, r.sampleBytes.data(), size) || !decodeSample(r, r.sampleBytes.data(), size))
    return false;
  r.shownSample = sample;
  return true;
}

// The frame buffer a movie asks for must be one its samples can fill: raw
// samples hold a whole frame, compressed ones expand at most so much. A
// sample counts only as far as it fits in the file.
bool frameBufferPlausible(const QTFrameReader& r, uint64_t bufferBytes, uint64_t fileSize) {
  const uint64_t largest = std::min<uint64_t>(r.samples.largestSample(), fileSize);
  if (r.format.codec == VideoCodec::kRaw)
    return largest >= rawRowBytes(r.width, r.format.depth) * uint64_t(r.height);
  return bufferBytes <= largest * kMaxExpansion + kExpansionAllowance;
}

}  // namespace

QTFrameReader* openFrameReader(std::unique_ptr<MovieSource> source) try {
  if (!source) return nullptr;
  Movie movie;
  if (!readMovie(*source, movie)) return nullptr;
  const MovieTrack* video = movie.track(fourcc("vide"), 1);
  if (!video || !video->dataInFile || movie.duration == 0) return nullptr;

  std::unique_ptr<QTFrameReader> r(new QTFrameReader());
  if (!parseVideoFormat(video->stsd, r->format) || !r->samples.build(video->stbl) ||
      r->samples.sampleCount() == 0 || r->samples.sampleCount() > 0x7FFFFFFF)
    return nullptr;
  r->width = r->format.width;
  r->height = r->format.height;
  r->bitsPerPixel = r->format.outputBits;
  r->pitch = (r->bitsPerPixel * r->width / 8 + 3) & ~3;
  r->frameCount = int32_t(r->samples.sampleCount());
  fitRatio(uint64_t(movie.timeScale) * r->samples.sampleCount(), movie.duration, r->rateNum, r->rateDen);
  r->hasSound = movie.track(fourcc("soun"), 1) ? 1 : 0;
  std::memcpy(r->palette, r->format.palette, sizeof r->palette);
  r->movieScale = movie.timeScale;
  r->movieDuration = movie.duration;
  r->mediaScale = video->mediaScale;

  const uint64_t bufferBytes = uint64_t(r->pitch) * uint64_t(r->height);
  if (!frameBufferPlausible(*r, bufferBytes, source->size())) return nullptr;
  r->frameBuffer.assign(size_t(bufferBytes), 0);
  if (r->format.codec == VideoCodec::kJpeg) r->jpeg = std::make_unique<MjpegDecoder>();
  r->pixels = r->frameBuffer.data();
  r->source = std::move(source);
  return r.release();
} catch (const std::bad_alloc&) {
  return nullptr;
}

QTFile* QTFileOpen(const char* name) { return openFrameReader(openMovieFile(name)); }

int32_t QTFileGet(QTFile* file) {
  if (!file) return 1;
  auto& r = *static_cast<QTFrameReader*>(file);
  // Frame n of N falls at movie time n * duration / N (rounded down to the
  // movie's time scale); the frame is the sample shown then. A sample that
  // starts within that unit of movie time counts as shown, so rounding the
  // time down never picks the sample before.
  const unsigned __int128 movieTime = (unsigned __int128)r.nextFrame * r.movieDuration / uint32_t(r.frameCount);
  const unsigned __int128 mediaTime = ((movieTime + 1) * r.mediaScale + r.movieScale - 1) / r.movieScale - 1;
  const uint32_t sample = r.samples.sampleAtTime(mediaTime > UINT64_MAX ? UINT64_MAX : uint64_t(mediaTime));
  if (r.nextFrame < 0x7FFFFFFF) ++r.nextFrame;
  return showSample(r, sample) ? 0 : 1;
}

void QTFileGoto(QTFile* file, int32_t frame) {
  if (!file) return;
  static_cast<QTFrameReader*>(file)->nextFrame = uint32_t(std::max(frame, 0));
}

void QTFileClose(QTFile* file) { delete static_cast<QTFrameReader*>(file); }

TOL_NS_END
