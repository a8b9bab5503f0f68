/* The records behind the QuickTime frame and sound readers. Callers may read
 * the leading fields below and must not write them; the library owns the rest
 * of each record.
 *
 * Layout (x86-64): QTFile: ten 32-bit fields at offsets 0 to 36, palette at
 * 40 (1024 bytes), pixels at 1064; QTSFile: seven 32-bit fields at offsets 0
 * to 24. */
#ifndef TOL_QUICKTIME_RECORD_H
#define TOL_QUICKTIME_RECORD_H

#include <stdint.h>

typedef struct QTFile {
  int32_t width;        /* frame size in pixels */
  int32_t height;
  int32_t pitch;        /* bytes per row of the frame buffer: (bitsPerPixel * width / 8 + 3) & ~3 */
  int32_t bitsPerPixel; /* 8 when the video depth is 8 or less (indices into palette), else 24 (blue, green, red) */
  int32_t frameCount;   /* samples of the video track */
  int32_t rateNum;      /* frame rate rateNum / rateDen = frameCount * movie time scale / movie duration; */
  int32_t rateDen;      /*   kept unreduced unless a term exceeds 32 bits, then reduced (and rounded if need be) */
  int32_t frameBytes;   /* size in bytes of the sample of the last frame delivered */
  int32_t reserved;
  int32_t hasSound;     /* 1 when the movie has a sound track */
  uint8_t palette[256 * 4]; /* 8 bits: blue, green, red, 0 per entry (the sample description's colour table) */
  uint8_t* pixels;      /* first pixel of the frame buffer; rows top to bottom, pitch bytes apart */
} QTFile;

typedef struct QTSFile {
  int32_t rate;              /* samples per second */
  int32_t bits;              /* 8 (unsigned) or 16 (signed little-endian), as delivered */
  int32_t channels;          /* 1 or 2, interleaved left then right */
  uint32_t totalBytes;       /* bytesPerSampleFrame * sample frames of the track */
  int32_t videoRateNum;      /* video frame count * movie time scale (0 without video) */
  int32_t videoRateDen;      /* movie duration; with the field above the video frame rate (reduced like QTFile's) */
  int32_t bytesPerSampleFrame; /* bits * channels / 8 */
} QTSFile;

#endif
