/* The records behind a FLIC reader and a FLIC writer. Callers may read the
 * leading fields and must not write them; the library owns the rest. */
#ifndef TOL_FLIC_RECORD_H
#define TOL_FLIC_RECORD_H

#include <stdint.h>

#include "tol/tolfile_record.h"

#define TOLFLIC_PALETTE_SIZE 768

typedef struct TOLFlic {
  uint32_t fileSize;         /* the header's file size field */
  int32_t pitch;             /* width rounded up to a multiple of 4: bytes between rows */
  int32_t bufferHeight;      /* height rounded up to a multiple of 4 */
  int32_t frameCount;        /* frames, not counting the ring frame */
  int32_t frameTime;         /* minus the frame time in 1/100000 s (-7142 = 14 frames/s) */
  int32_t width;
  int32_t height;
  TOLFile* file;
  int32_t framesDecoded;     /* since the start of the pass (0 = before frame 1) */
  uint32_t frameDataSize;    /* bytes of the last frame's data (chunk size - 16) */
  uint32_t firstFrameOffset; /* file offset of frame 1 */
  uint8_t palette[TOLFLIC_PALETTE_SIZE]; /* red, green, blue, 8 bits each */
  /* private */
  uint8_t* frameData;        /* the frame being decoded, kept between frames */
  uint32_t frameDataCapacity;
  uint32_t fileBytes;        /* the file's real size at open */
} TOLFlic;

typedef struct TOLOFlic {
  TOLFile* file;
  int32_t width;
  int32_t height;
  int32_t error;             /* 1 after any write failure; never cleared */
  int32_t framesWritten;
  uint8_t* previousFrame;    /* width x height */
  uint8_t* firstFrame;       /* a copy of frame 1, for the ring frame */
  uint8_t* work;             /* encoded pixel data, width x height */
  uint32_t secondFrameOffset;
  uint8_t palette[TOLFLIC_PALETTE_SIZE]; /* of the last frame written */
} TOLOFlic;

#endif
