/* The Pleven writer, exported by tolutil: makes Pleven files from 8-bit
 * frames with their palettes and up to seven sound tracks, for the Pleven
 * tools (converter, mixer) and tests.
 *
 * Frames are held in memory until PlevWriterClose, which builds the four
 * code trees of the video data from the whole clip's symbol statistics and
 * writes the file: header, frame tables, tree block, the frames (palette
 * chunks with keep and copy commands where they save bytes, sound chunks,
 * video data) and, when asked, the ring frame that leads from the last
 * frame back to the first. The file is written under the name with ".tmp"
 * appended and renamed over the name at the end.
 *
 * Key frames (the first, then every keyInterval-th) do not depend on the
 * previous picture and carry a full palette, so a decoder that jumps to
 * one shows it exactly. */
#ifndef TOL_PLEVENWRITER_H
#define TOL_PLEVENWRITER_H

#include "tol/api.h"
#include "tol/pleven_record.h"

typedef struct PlevWriterTrack {
  int32_t rate;       /* samples per second; 0: no track */
  int32_t bits;       /* 8 (unsigned samples) or 16 (signed) */
  int32_t channels;   /* 1 or 2, interleaved */
  int32_t compressed; /* non-zero: compressed chunks */
  int32_t level;      /* compression level 0 (lossless) to 9 */
} PlevWriterTrack;

typedef struct PlevWriterSettings {
  int32_t width;        /* stored frame size (half the shown height in the line modes) */
  int32_t height;
  int32_t rate;         /* header rate field: > 0 ms per frame, < 0 -(1/100000 s per frame) */
  uint32_t flags;       /* PLEV_FLAG_RING_FRAME, PLEV_FLAG_DOUBLED or PLEV_FLAG_INTERLACED */
  int32_t keyInterval;  /* 0: only the first frame is a key frame */
  PlevWriterTrack tracks[PLEV_TRACKS];
} PlevWriterSettings;

typedef struct PlevWriter PlevWriter;

/* Null for settings out of range (width or height not 1 to 16384, a track
 * of another sample format) or when memory runs out. */
TOLAPI(PlevWriter*) PlevWriterCreate(const char* name, const PlevWriterSettings* settings);
/* Adds a frame: width x height pixels, rows pitch bytes apart, its palette
 * (256 entries of red, green, blue, 8 bits each; kept to 6 bits in the
 * file), and for each track the sound that plays with it (sound and
 * soundBytes may be null for none). Returns 1, or 0 when memory runs out. */
TOLAPI(int32_t) PlevWriterPutFrame(PlevWriter* writer, const uint8_t* pixels, int32_t pitch, const uint8_t* palette,
                                   const void* const* sound, const uint32_t* soundBytes);
/* Writes the file and frees the writer. Returns 1 when the file was
 * written, 0 otherwise (nothing is left under the name then). */
TOLAPI(int32_t) PlevWriterClose(PlevWriter* writer);

#endif
