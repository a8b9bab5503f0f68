/* The public leading part of a Pleven decoder record. A decoder handle
 * points to a record that starts with these fields; callers may read them
 * and must not write them. The rest of the record is private. */
#ifndef TOL_PLEVEN_RECORD_H
#define TOL_PLEVEN_RECORD_H

#include <stdint.h>

#define PLEV_TRACKS 7

typedef struct PlevDecoder {
  /* The file header as read (height doubled when a line mode is on). */
  uint32_t magic;                          /* "PLV2" */
  int32_t width;
  int32_t height;
  int32_t frames;                          /* F, not counting the ring frame */
  int32_t rate;                            /* > 0: ms per frame; < 0: -(1/100000 s per frame) */
  uint32_t flags;                          /* PLEV_FLAG_*, line-mode bits as the open resolved them */
  uint32_t maxSoundSize[PLEV_TRACKS];      /* bytes of PCM of each track's largest sound chunk */
  uint32_t treeBlockSize;
  uint32_t treeTableSize[4];
  uint32_t trackWords[PLEV_TRACKS];        /* PLEV_TRACK_* bits and the sample rate */
  uint32_t reserved;
  /* Tables and the current frame. */
  const uint32_t* frameSizes;              /* F (+1 with a ring frame) entries */
  const uint8_t* frameTypes;               /* PLEV_TYPE_* bits, one per frame */
  int32_t currentFrame;                    /* 0-based; F is the ring frame */
  uint32_t frameOffset;                    /* file offset of the current frame */
  uint8_t palette[256 * 3];                /* red, green, blue of each entry */
  int32_t paletteChanged;
  int32_t frameTime;                       /* 1/100000 s */
  int32_t framesPerSecond;                 /* rounded down, at least 1 */
  int32_t readError;                       /* a read came up short: frame operations stop */
  /* Statistics. */
  uint32_t bytesRead;
  uint32_t readMilliseconds;
  uint32_t largestFrame;
  uint32_t peakRate;                       /* bytes of the heaviest framesPerSecond frames in a row */
  int32_t peakRateFrame;                   /* 0-based first frame of that run */
  uint32_t memoryTotal;                    /* bytes allocated for the decoder */
} PlevDecoder;

/* Header flags. */
#define PLEV_FLAG_RING_FRAME  0x1u
#define PLEV_FLAG_DOUBLED     0x2u /* stored at half height, every line shown twice */
#define PLEV_FLAG_INTERLACED  0x4u /* stored at half height, shown on every second line */

/* Track word bits; bits 0 to 23 are the sample rate in Hz. */
#define PLEV_TRACK_COMPRESSED 0x80000000u
#define PLEV_TRACK_HAS_SOUND  0x40000000u
#define PLEV_TRACK_STEREO     0x20000000u
#define PLEV_TRACK_16BIT      0x10000000u
#define PLEV_TRACK_RATE_MASK  0x00FFFFFFu

/* Frame type bits: a palette chunk, and a sound chunk for track k. */
#define PLEV_TYPE_PALETTE     0x1u
#define PLEV_TYPE_SOUND(k)    (0x2u << (k))

/* Open options. */
#define PLEV_OPEN_MEMORY      0x10u     /* source is the whole file in memory */
#define PLEV_OPEN_FILL        0x100u    /* fill the read-ahead buffer before returning */
#define PLEV_OPEN_WHOLE_FILE  0x200u    /* read all frames into memory at open */
#define PLEV_OPEN_NO_SOUND_WAIT 0x400u  /* decode without waiting for sound timing */
#define PLEV_OPEN_HANDLE      0x1000u   /* source is an open file descriptor */
#define PLEV_OPEN_TRACK(k)    (0x2000u << (k)) /* play track k; also the track option of PlevTrackSound */
#define PLEV_OPEN_DOUBLED     0x100000u /* line doubling, whatever the header says */
#define PLEV_OPEN_INTERLACED  0x200000u /* interlacing, whatever the header says */
#define PLEV_OPEN_SINGLE      0x300000u /* neither */

/* Destination mode bits. */
#define PLEV_DEST_BOTTOM_UP   0x1u

#endif
