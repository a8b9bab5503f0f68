/* QuickTime and MP4 movies, read by tolutil's own movie reader: a frame
 * reader for the first video track and a sound reader for a chosen sound
 * track.
 *
 * Accepted: movies with the movie box before or after the media data, 32- or
 * 64-bit box sizes, 32- or 64-bit chunk offsets, media in the same file.
 * Video: uncompressed 'raw ' (1, 2, 4 or 8 bits with the sample description's
 * colour table, 16 bits 5-5-5, 24 bits red-green-blue, 32 bits
 * alpha-red-green-blue), 'jpeg' and 'png ' samples. Sound: uncompressed
 * 'twos', 'sowt', 'raw ', 'NONE' and integer 'lpcm', mono or stereo.
 *
 * Adaptations: no platform movie library is loaded; the readers are always
 * there and TOLQTShutdown has nothing left to end (it exists for callers
 * that call it at exit). Frame n of QTFileGet is the sample shown at movie
 * time n * duration / frameCount (a sample starting within that unit of
 * movie time counts as shown). jpeg and png samples always give 24-bit
 * frames; 8-bit frames come from 'raw ' samples of 8 bits or fewer. A jpeg
 * picture smaller than the frame lands top left (one of half the frame's
 * height counts as one field of two and has its lines doubled); one larger
 * than the frame by more than block padding is a frame error. A description
 * without a colour table gives the standard 256-colour cube for 8 bits and
 * a white-to-black ramp for fewer bits.
 * Sound is delivered as 8-bit unsigned or 16-bit signed little-endian
 * samples; 24- and 32-bit sources are rounded to the nearest 16-bit value.
 *
 * Damaged input: every size, count, offset and table entry is checked
 * against the file before use; an unusable movie gives a null handle, an
 * unreadable sample a frame error (QTFileGet returns 1) or the end of the
 * sound. Frame sizes are limited to 16384 x 16384 and 64 million pixels. */
#ifndef TOL_QUICKTIME_H
#define TOL_QUICKTIME_H

#include "tol/api.h"
#include "tol/quicktime_record.h"

/* Opens the movie's first video track; null when the file is not a movie
 * this reader can play, has no video track, or memory runs out. The reader
 * is at frame 0. */
TOLAPI(QTFile*) QTFileOpen(const char* name);

/* Renders the next frame into the frame buffer (and, for 8 bits, the
 * palette), sets frameBytes and moves to the following frame. Returns 0; 1
 * when the frame's sample could not be read or decoded (the buffer keeps
 * what it held or what could be decoded) or for a null reader. Past the
 * last frame the last sample is delivered again. */
TOLAPI(int32_t) QTFileGet(QTFile* file);

/* The next QTFileGet delivers frame `frame` (0-based; negative counts as 0). */
TOLAPI(void) QTFileGoto(QTFile* file, int32_t frame);

/* Frees the reader and its frame buffer. Does nothing for null. */
TOLAPI(void) QTFileClose(QTFile* file);

/* Opens sound track `track` of the movie (0 and 1: the first sound track, n:
 * the n-th); null when there is no such track, its format is not one of the
 * above, or memory runs out. The reader is at time 0. */
TOLAPI(QTSFile*) QTSFileOpen(const char* name, int32_t track);

/* Delivers up to `bytes` bytes of sound into buffer and returns how many.
 * At the end of the track (or on a read error) a call that has delivered
 * nothing yet delivers 16 bytes of silence (0 for 16 bits, 0x80 for 8 bits;
 * fewer when fewer were asked for) and returns that count. */
TOLAPI(uint32_t) QTSFileGet(QTSFile* file, void* buffer, uint32_t bytes);

/* Moves to `milliseconds` from the start (negative counts as 0), rounded
 * down to the movie's time scale; buffered bytes are dropped. */
TOLAPI(void) QTSFileGoto(QTSFile* file, int32_t milliseconds);

/* Frees the reader. Does nothing for null. */
TOLAPI(void) QTSFileClose(QTSFile* file);

/* Kept for callers that end the movie library at exit: the readers hold no
 * process-wide state, so there is nothing to release. */
TOLAPI(void) TOLQTShutdown(void);

#endif
