// The QuickTime sound reader behind QTSFileOpen and friends: one sound track
// of a movie read chunk by chunk, converted and handed out in any amounts.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "media/movie_sample_table.h"
#include "media/movie_sound_format.h"
#include "media/movie_source.h"
#include "platform/libns.h"
#include "tol/quicktime_record.h"

TOL_NS_BEGIN

struct QTSoundReader : ::QTSFile {
  std::unique_ptr<MovieSource> source;
  SoundFormat format;
  SampleTable samples;
  uint32_t movieScale = 0;
  uint32_t mediaScale = 0;
  uint64_t currentTime = 0;  // movie time of the last move
  uint64_t position = 0;     // next sample frame to read
  uint64_t endFrame = 0;     // sample frames that can be read
  std::vector<uint8_t> block;  // one piece read and converted
  size_t bufferedAt = 0;
  size_t buffered = 0;
};

// Opens sound track `track` (0 and 1 the first) of the movie in source; null
// when it cannot be played.
QTSoundReader* openSoundReader(std::unique_ptr<MovieSource> source, int32_t track);

QTSFile* QTSFileOpen(const char* name, int32_t track);
uint32_t QTSFileGet(QTSFile* file, void* buffer, uint32_t bytes);
void QTSFileGoto(QTSFile* file, int32_t milliseconds);
void QTSFileClose(QTSFile* file);

TOL_NS_END
