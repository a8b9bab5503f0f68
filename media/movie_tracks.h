// A movie's header and the tracks it holds, read from its movie box: time
// scale and duration of the movie, and per track the handler ('vide',
// 'soun'), the media time scale and where its sample tables lie.
#pragma once

#include <cstdint>
#include <vector>

#include "media/movie_boxes.h"
#include "media/movie_source.h"
#include "platform/libns.h"

TOL_NS_BEGIN

struct MovieTrack {
  uint32_t handler = 0;
  uint32_t mediaScale = 0;
  uint64_t mediaDuration = 0;
  bool dataInFile = true;  // false when the media lies in another file
  ByteView stbl;           // sample table box body
  ByteView stsd;           // sample description box body
};

struct Movie {
  uint32_t timeScale = 0;
  uint64_t duration = 0;  // the header's, or the longest track's when the header says 0
  std::vector<uint8_t> box;  // the movie box body the views point into
  std::vector<MovieTrack> tracks;

  // The n-th track (1-based) with the handler, or null.
  const MovieTrack* track(uint32_t handler, int32_t n) const;
};

// False when the source holds no readable movie box or the movie header is
// missing or has no time scale. Tracks without a media header, time scale or
// sample tables are left out.
bool readMovie(MovieSource& source, Movie& movie);

// Stores num / den in 32-bit fields: unchanged when both fit below 2^31,
// else reduced, and if still too large scaled down (rounded) together.
void fitRatio(uint64_t num, uint64_t den, int32_t& outNum, int32_t& outDen);

TOL_NS_END
