/* The Pleven decoder, exported by tolutil: opens a Pleven file (palettised
 * frames with a palette that may change from frame to frame and up to seven
 * sound tracks), walks its frames, decodes them into a caller's 8-bit
 * buffer and takes out their sound.
 *
 * Usage: PlevOpen leaves frame 0 (the first) current and fetched; set a
 * destination, then per frame PlevDecodeFrame and PlevNextFrame, or jump
 * with PlevGotoFrame. PlevTrackSound takes the current frame's sound of a
 * track. A frame is decoded against the picture the destination holds, so
 * decoding after a jump gives the exact picture when the target is a key
 * frame (the writer's first frame and its chosen key frames) or the frame
 * after the one the destination shows. One decoder is used by one thread at
 * a time; every function does nothing (or returns 0) for a null decoder.
 *
 * Sources: a file name; with PLEV_OPEN_HANDLE an open POSIX file
 * descriptor carried in the pointer, (const void*)(intptr_t)fd, read from
 * its current position and left open; with PLEV_OPEN_MEMORY the whole file
 * in memory, which must stay unchanged until close. With PLEV_OPEN_MEMORY
 * the bufferSize argument is the image's size in bytes, against which the
 * header and tables are checked; -1 trusts the image to hold what its
 * header says. Otherwise bufferSize is the read-ahead size, -1 automatic.
 *
 * Tracing: when the profile (platform profile, see platform/profile.h)
 * holds Debug=1 in section "Pleven", the decoder writes its trace lines
 * ("PlevOpen - file: ...", "Wasn't a Pleven file", ...) to standard error,
 * which stands in for the debugger output.
 *
 * Adaptations and choices:
 * - Damaged files: open refuses (null) a header, table or tree block that
 *   does not fit the file or sane limits (trace "Wasn't a Pleven file"). A
 *   frame whose chunks do not fit it is fetched but neither decoded nor
 *   gives sound; damaged video data is decoded up to the damage.
 * - The destination must hold the whole frame (x, y at least 0, x + width
 *   within the pitch, y + height within the height); otherwise, and for the
 *   16-bit output modes (mode 0x40000000 and above, which need a
 *   translation table this interface cannot take), PlevSetDestination
 *   returns 0 and removes the destination.
 * - No sound back end is installed, so the track options of PlevOpen start
 *   nothing and PlevDecodeFrame never asks to skip.
 * - PlevTrackSound writes at most maxSoundSize[track] bytes; a chunk that
 *   would need more, or is damaged, gives 0. */
#ifndef TOL_PLEVEN_H
#define TOL_PLEVEN_H

#include "tol/api.h"
#include "tol/pleven_record.h"

/* Opens a decoder (options: PLEV_OPEN_*); null on failure. */
TOLAPI(PlevDecoder*) PlevOpen(const void* source, uint32_t options, int32_t bufferSize);
/* Closes the file (unless passed in) and frees everything. */
TOLAPI(void) PlevClose(PlevDecoder* decoder);
/* Where PlevDecodeFrame writes: an 8-bit buffer of the given pitch and
 * height in rows, the frame placed at (x, y); mode PLEV_DEST_BOTTOM_UP for
 * a buffer whose first row is the bottom one. A null buffer removes the
 * destination. Returns 1 when the destination was taken. */
TOLAPI(int32_t) PlevSetDestination(PlevDecoder* decoder, int32_t x, int32_t y, int32_t pitch, int32_t height,
                                   void* buffer, uint32_t mode);
/* Takes the current frame's palette and decodes its picture into the
 * destination. Returns 0 (no sound timing asks to skip). */
TOLAPI(int32_t) PlevDecodeFrame(PlevDecoder* decoder);
/* Makes the next frame current and fetches it: after frame F - 1 the ring
 * frame when there is one, else frame 0; after the ring frame, frame 1. */
TOLAPI(void) PlevNextFrame(PlevDecoder* decoder);
/* Makes frame n (1-based; 0 is taken as 1, beyond F as F) current. */
TOLAPI(void) PlevGotoFrame(PlevDecoder* decoder, int32_t n);
/* Copies or decompresses the current frame's sound of the track chosen by
 * the lowest PLEV_OPEN_TRACK bit of trackOption into destination (which
 * holds maxSoundSize of that track); returns its length in bytes, 0 when
 * the frame has none. A compressed chunk whose length field is -1 returns
 * -1 without writing. */
TOLAPI(int32_t) PlevTrackSound(PlevDecoder* decoder, void* destination, uint32_t trackOption);

#endif
