/* Records of the Zurn encoder library (zurnmake): the encoder job handle,
 * the sound track description and the callback types. Hosts include
 * tol/zurnmake.h, which declares the functions; this header holds only the
 * types so that the library's internal code can share them.
 *
 * Hosts may read the leading fields of ZurnMakeState (failed to
 * progressFrame in particular); everything else belongs to the library.
 *
 * Adaptations: the two concurrency counters (writeBusy, flushWanted) are
 * changed only with atomic operations by the library; pointers are native
 * pointers, so the record is larger on 64-bit builds than on 32-bit ones. */
#ifndef TOL_ZURNMAKE_RECORD_H
#define TOL_ZURNMAKE_RECORD_H

#include <stdint.h>

#include "tol/api.h"
#include "tol/tolfile_record.h"

#define ZURNMAKE_MAX_WINDOW 64
#define ZURNMAKE_COLLECTIONS 8

/* Callback kinds. */
#define ZURNMAKE_PROGRESS 1 /* text names the step; a non-zero answer stops the job */
#define ZURNMAKE_MESSAGE 2  /* text is a complete message for the user */

struct ZurnMakeState;

/* kind, job handle (null for failures at open), text. */
typedef int32_t(TOL_CC* ZurnMakeCallback)(int32_t kind, struct ZurnMakeState* handle, const char* text);

/* Delivers up to byteCount bytes of interleaved signed 16-bit little-endian
 * samples into buffer; returns the number of bytes delivered. handle is the
 * encoder job (or the mixer's progress record). */
typedef int32_t(TOL_CC* ZurnMakeReadSound)(void* handle, void* userData, void* buffer, int32_t byteCount);

typedef struct ZurnMakeSoundTrack {
  uint32_t trackId;     /* identifier written to the file */
  uint32_t rate;        /* samples per second, below 65536 */
  uint32_t bits;        /* 16 or 8 */
  uint32_t channels;    /* 1 or 2 */
  uint32_t soundOption; /* handed to the sound coder unchanged */
  void* userData;       /* handed back to readSound */
  ZurnMakeReadSound readSound;
} ZurnMakeSoundTrack;

/* Symbol statistics of one plane, used to estimate coded sizes. All sizes
 * are in 1/256 bit. Collections: 0 block types, 1 sub-block types,
 * 2 colours, 3 pattern bytes, 4 motion vectors, 5 intra DC, 6 inter DC,
 * 7 run lengths. */
typedef struct PlaneCollectionStats {
  uint32_t minEst, maxEst;  /* clamp bounds of est[k] */
  uint32_t bitsHistory[4];  /* bits spent in recent planes */
  uint32_t countHistory[4]; /* symbols + 1 in recent planes */
} PlaneCollectionStats;

typedef struct PlaneStats {
  uint32_t est[ZURNMAKE_COLLECTIONS];
  PlaneCollectionStats collection[ZURNMAKE_COLLECTIONS];
} PlaneStats;

typedef struct ZurnMakeState {
  int32_t failed;         /* 1 once a frame could not be compressed or a write came up short */
  uint32_t frameCount;    /* frames promised to ZurnMake */
  uint32_t framesWritten; /* frames compressed and written so far */
  uint32_t bytesWritten;  /* size of the temporary file after the last written frame */
  int32_t progressFrame;  /* frame of the current progress step; -1 inside a frame */
  char outputName[256];
  char tempName[256];
  uint32_t width, height; /* height already halved in line mode */
  uint32_t fpsNumerator, fpsDenominator;
  uint32_t pitch;
  uint32_t windowSize; /* 2 to 64 */
  uint32_t lumaWidth, lumaHeight;
  uint32_t chromaWidth, chromaHeight;
  void* soundTracks; /* the library's per-track sound states */
  uint32_t soundTrackCount;
  uint32_t keyInterval;
  int32_t keyCountdown;
  uint32_t lineMode;
  TOLFile* file;
  uint32_t* frameIndex; /* frameCount + 1 entries */
  uint32_t targetSize[ZURNMAKE_MAX_WINDOW];
  uint32_t maxSize[ZURNMAKE_MAX_WINDOW];
  uint32_t isKey[ZURNMAKE_MAX_WINDOW];
  uint32_t* slotTarget;
  uint32_t* slotMax;
  int32_t bitCarry;
  uint32_t* slotKey;
  uint32_t windowFill;
  uint8_t* slotY[ZURNMAKE_MAX_WINDOW];
  uint8_t* slotCr[ZURNMAKE_MAX_WINDOW];
  uint8_t* slotCb[ZURNMAKE_MAX_WINDOW];
  uint8_t *prevY, *prevCr, *prevCb;
  uint32_t reconSelect;
  uint8_t* reconY[2];
  uint8_t* reconCr[2];
  uint8_t* reconCb[2];
  uint8_t *outY, *outCr, *outCb;
  uint32_t largestFrame;
  uint32_t stopRequest;
  PlaneStats lumaStats, crStats, cbStats;
  ZurnMakeCallback callback;
  uint32_t nextFlushSize;
  uint32_t nextFlushTime;
  uint8_t writeBusy;   /* writers inside the file */
  int32_t flushWanted; /* flushes waiting or running */
} ZurnMakeState;

#endif
