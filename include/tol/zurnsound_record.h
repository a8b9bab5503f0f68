/* The record behind a Zurn sound track reader. Callers may read its leading
 * fields and must not write them; the library owns the rest. */
#ifndef TOL_ZURNSOUND_RECORD_H
#define TOL_ZURNSOUND_RECORD_H

#include <stdint.h>

#include "tol/zurndecoder_record.h"

typedef struct ZurnTrackReader {
  int32_t rate;         /* samples per second */
  int32_t bits;         /* 8 or 16: the width of the samples delivered */
  int32_t channels;     /* 1 or 2, interleaved */
  uint32_t bufferSize;  /* bytes a destination of ZurnTrackReaderGet must hold */
  ZurnDecoder* decoder; /* the decoder whose current frame is read */
  void* state;          /* the track's sound decoder */
  int32_t track;        /* track index in the file */
} ZurnTrackReader;

#endif
