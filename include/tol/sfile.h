/* Sound input, exported by tolutil: the sound of a WAVE file, a headerless
 * PCM file, a Pleven or Zurn file's sound track, an AVI audio stream, a
 * QuickTime sound track, or a list file or numbered pattern of such sources,
 * delivered as PCM at the rate, width and channel count a tool asks for.
 *
 * Usage: SFileOpen, then SFileGet until it returns 0; SFileReset starts the
 * selection again; SFileClose frees everything. Delivered samples are
 * little-endian signed 16-bit or unsigned 8-bit, stereo left then right.
 * A handle is used by one thread; handles are independent.
 *
 * Selections (start, end of SFileOpen): 0 = none; a value >= 0 is a time in
 * milliseconds; -n is video frame n (1-based): the start falls at the
 * beginning of frame n, the end at its end, timed by the file's video rate
 * (milliseconds n for sources without video).
 *
 * Messages go to the callback with kind 2: "No sound found in the Pleven
 * file.", "No sound found in the specified Pleven track.", "No sound found
 * in the Zurn file.", "Error reading AVI file.", "Error opening the audio
 * input file." (no reader takes the file), "No files in the list file.".
 * Progress: "Processing sound data (n%)..." (kind 1 before the first read,
 * then kind 0; the answer is not looked at).
 *
 * Adaptations and choices:
 * - WAVE files: plain PCM (format tag 1) and the extensible form with the
 *   PCM sub-format are taken, with 8 or 16 bits, one or two channels and a
 *   rate from 1 to 1000000; anything else is not taken (and ends in the
 *   refusal above). A data chunk that runs past the end of the file is cut
 *   to the file.
 * - Every source must be 8 or 16 bits, mono or stereo; others are refused.
 * - A headerless PCM description without a rate (1 to 7) is read at 11025
 *   samples per second, the rate SFileCommandLine assumes without /D.
 * - Frame-number selections are cut at the exact sample frame of the
 *   frame's start or end (the video rate is used as a fraction, not a
 *   frame time rounded to milliseconds).
 * - SFileReset also restarts the rate conversion, so a second pass delivers
 *   the same samples as the first; outCount and srcCount keep counting.
 * - The sound of a Zurn or Pleven track ends where the file's frames end,
 *   even when the length the header promises is longer.
 * - SFileCommandLine reads only the switches whose results are asked for
 *   (non-null pointers), so a tool keeps the letters it does not want read
 *   as sound switches.
 * - Pleven track words: bit 28 marks 16-bit samples, bit 29 stereo (the
 *   Pleven file layout). An uncompressed track's length is its time, like
 *   a compressed one's: frames x frame time x bytes per second.
 * - typeName is also filled for Zurn sources ("Zurn") and named Pleven
 *   tracks ("Pleven"). */
#ifndef TOL_SFILE_H
#define TOL_SFILE_H

#include "tol/api.h"
#include "tol/mediacallback.h"

/* SFile kinds. */
#define SFILE_KIND_WAVE 1 /* WAVE or headerless PCM */
#define SFILE_KIND_PLEVEN 2
#define SFILE_KIND_AVI 3
#define SFILE_KIND_LIST 4
#define SFILE_KIND_QUICKTIME 5
#define SFILE_KIND_ZURN 6

/* Headerless PCM description: bit 0 stereo, bit 1 16-bit, bits 3 and up the
 * sample rate. */
#define SFILE_RAW_STEREO 1u
#define SFILE_RAW_16BIT 2u
#define SFILE_RAW_RATE_SHIFT 3

/* The leading fields of a sound input handle; callers may read them and must
 * not write them. The library owns the rest of the record. */
typedef struct SFile {
  char name[128];          /* resolved file name */
  char typeName[128];      /* "Wave", "Pleven", "Zurn", "AVI", "QuickTime" or "List" */
  int32_t atEnd;           /* 1 when no more sound can be delivered */
  int32_t outRate;         /* delivered samples per second */
  int32_t outBits;         /* delivered bits per sample: 8 or 16 */
  int32_t outChannels;     /* delivered channels: 1 or 2 */
  int32_t outBlock;        /* delivered bytes per sample frame */
  uint32_t outCount;       /* sample frames delivered so far */
  int32_t srcRate;         /* the source's format */
  int32_t srcBits;
  int32_t srcChannels;
  int32_t srcBlock;        /* source bytes per sample frame */
  uint32_t srcCount;       /* source sample frames taken so far */
  uint8_t* buffer;         /* source buffer (null until the first read) */
  uint8_t* bufferEnd;      /* end of the bytes in it */
  uint8_t* cursor;         /* next byte to take */
  uint32_t bufferSize;     /* bytes a refill asks for */
  uint32_t trackMask;      /* Pleven: 0x2000 << track */
  int32_t kind;            /* SFILE_KIND_* */
  int32_t nextLeft;        /* next source sample (rate conversion) */
  int32_t nextRight;
  int32_t rampLeft;        /* ramp values and steps, 10-bit fixed point */
  int32_t rampRight;
  int32_t stepLeft;
  int32_t stepRight;
  TOLMediaCallback callback;
  uint32_t remaining;      /* bytes still to take from the source (list: delivered bytes) */
  uint32_t length;         /* bytes of the selection, same unit */
} SFile;

/* rate, bits (8 or 16), channels (1 or 2): 0 or another value = the
 * source's. track: Pleven 1 to 7 = tracks 0 to 6 (0 = the first with sound);
 * Zurn: track index; AVI: audio stream number; QuickTime: handed on.
 * rawDescription (not 0): headerless PCM from byte rawOffset. */
TOLAPI(SFile*) SFileOpen(const char* name, int32_t rate, int32_t bits, int32_t channels, int32_t start, int32_t end,
                         int32_t track, uint32_t rawDescription, uint32_t rawOffset, TOLMediaCallback callback);
/* Fills buffer with whole sample frames (bytes rounded down to a multiple of
 * outBlock); returns the bytes written, 0 at the end. */
TOLAPI(uint32_t) SFileGet(SFile* handle, void* buffer, uint32_t bytes);
TOLAPI(void) SFileReset(SFile* handle);
TOLAPI(void) SFileClose(SFile* handle);
/* Cuts /R /C /B /S /E /T /Y /D /K out of commandLine (see the tools'
 * documentation); null pointers are skipped. Returns the last value read. */
TOLAPI(int32_t) SFileCommandLine(char* commandLine, int32_t* rate, int32_t* bits, int32_t* channels, int32_t* start,
                                 int32_t* end, int32_t* track, uint32_t* rawDescription, uint32_t* rawOffset);

#endif
