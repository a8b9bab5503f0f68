#include "media/movie_tracks.h"

#include <algorithm>
#include <new>
#include <numeric>

TOL_NS_BEGIN

namespace {

// Version 0 full boxes keep times in 32 bits, version 1 in 64.
bool readTimeHeader(ByteView body, uint32_t& scale, uint64_t& duration) {
  if (body.u32(0) >> 24 == 1) {
    if (!body.has(0, 32)) return false;
    scale = body.u32(20);
    duration = body.u64(24);
  } else {
    if (!body.has(0, 20)) return false;
    scale = body.u32(12);
    duration = body.u32(16);
  }
  return scale != 0;
}

// The first data reference says with flag 1 that the media is in this file.
bool mediaInThisFile(ByteView minf) {
  Box dref;
  if (!findPath(minf, {fourcc("dinf"), fourcc("dref")}, dref)) return true;
  if (!dref.body.has(0, 8) || dref.body.u32(4) == 0) return false;
  Box entry;
  BoxWalker walker(dref.body.from(8));
  return walker.next(entry) && (entry.body.u32(0) & 1) != 0;
}

bool readTrack(ByteView trak, MovieTrack& track) {
  Box mdia, mdhd, hdlr, minf, stbl, stsd;
  if (!findChild(trak, fourcc("mdia"), mdia) || !findChild(mdia.body, fourcc("mdhd"), mdhd) ||
      !findChild(mdia.body, fourcc("hdlr"), hdlr) || !findChild(mdia.body, fourcc("minf"), minf) ||
      !findChild(minf.body, fourcc("stbl"), stbl) || !findChild(stbl.body, fourcc("stsd"), stsd))
    return false;
  if (!readTimeHeader(mdhd.body, track.mediaScale, track.mediaDuration) || !hdlr.body.has(0, 12)) return false;
  track.handler = hdlr.body.u32(8);
  track.dataInFile = mediaInThisFile(minf.body);
  track.stbl = stbl.body;
  track.stsd = stsd.body;
  return true;
}

}  // namespace

const MovieTrack* Movie::track(uint32_t handler, int32_t n) const {
  for (const MovieTrack& t : tracks)
    if (t.handler == handler && --n <= 0) return &t;
  return nullptr;
}

bool readMovie(MovieSource& source, Movie& movie) try {
  if (!loadMovieBox(source, movie.box)) return false;
  const ByteView body{movie.box.data(), movie.box.size()};
  Box mvhd;
  if (!findChild(body, fourcc("mvhd"), mvhd) || !readTimeHeader(mvhd.body, movie.timeScale, movie.duration))
    return false;
  BoxWalker walker(body);
  Box box;
  uint64_t longest = 0;
  while (walker.next(box)) {
    MovieTrack track;
    if (box.type != fourcc("trak") || !readTrack(box.body, track)) continue;
    movie.tracks.push_back(track);
    const unsigned __int128 inMovieTime =
        (unsigned __int128)track.mediaDuration * movie.timeScale / track.mediaScale;
    longest = std::max<uint64_t>(longest, inMovieTime > UINT64_MAX ? UINT64_MAX : uint64_t(inMovieTime));
  }
  if (movie.duration == 0) movie.duration = longest;
  return true;
} catch (const std::bad_alloc&) {
  return false;
}

void fitRatio(uint64_t num, uint64_t den, int32_t& outNum, int32_t& outDen) {
  constexpr uint64_t kLimit = 0x7FFFFFFF;
  if (num > kLimit || den > kLimit) {
    const uint64_t g = std::gcd(num, den);
    if (g > 1) {
      num /= g;
      den /= g;
    }
  }
  while (num > kLimit || den > kLimit) {
    num = (num + 1) / 2;
    den = (den + 1) / 2;
  }
  outNum = int32_t(num);
  outDen = int32_t(den);
}

TOL_NS_END
