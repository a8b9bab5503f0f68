// The QuickTime frame reader behind QTFileOpen and friends: the first video
// track of a movie, one frame buffer, frames chosen by sample time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "media/mjpeg_decoder.h"
#include "media/movie_sample_table.h"
#include "media/movie_source.h"
#include "media/movie_video_format.h"
#include "platform/libns.h"
#include "tol/quicktime_record.h"

TOL_NS_BEGIN

struct QTFrameReader : ::QTFile {
  std::unique_ptr<MovieSource> source;
  VideoFormat format;
  SampleTable samples;
  uint32_t movieScale = 0;
  uint64_t movieDuration = 0;
  uint32_t mediaScale = 0;
  uint32_t nextFrame = 0;
  int64_t shownSample = -1;  // the sample the buffer holds, -1 for none
  std::vector<uint8_t> sampleBytes;
  std::vector<uint8_t> frameBuffer;
  std::unique_ptr<MjpegDecoder> jpeg;
};

// Opens the first video track of the movie in source; null when it cannot
// be played.
QTFrameReader* openFrameReader(std::unique_ptr<MovieSource> source);

QTFile* QTFileOpen(const char* name);
int32_t QTFileGet(QTFile* file);
void QTFileGoto(QTFile* file, int32_t frame);
void QTFileClose(QTFile* file);

TOL_NS_END
