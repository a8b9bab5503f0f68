/* The Zurn decoder, exported by tolutil: opens a Zurn file, walks its frames
 * and converts the decoded pictures into a caller's surface.
 *
 * Usage: ZurnDecoderOpen leaves frame 1 current and not decoded; then per
 * frame ZurnDecoderDecodeFrame, ZurnDecoderCopyToSurface, ZurnDecoderNextFrame
 * (after the last frame, frame 1 comes again), or ZurnDecoderGoto to jump.
 * Decoding and copying run on the caller's thread; a decoder that reads its
 * file through the read-ahead buffer has one background thread that fills
 * it (none when every frame is in memory or ZURNDEC_NO_READ_AHEAD is given).
 * One decoder is used by one thread at a time. Every function does nothing
 * (or returns 0 or null) for a null decoder.
 *
 * Sources (ZurnDecoderOpen): a file name; with ZURNDEC_FILE_HANDLE an open
 * POSIX file descriptor carried in the pointer, (const void*)(intptr_t)fd
 * (not descriptor 0, which reads as a null source), read from its current
 * position and left open at close; with ZURNDEC_MEMORY_IMAGE the whole file
 * in memory (at least fileSizeLess8 + 8 bytes as its header says), which
 * must stay unchanged until close.
 *
 * Open failures leave their text for ZurnDecoderGetError: "Error opening
 * file.", "Not a Zurn file.", "The file doesn't contain any compressed frames
 * yet.", "Out of memory.", and "The Zurn file is damaged." for a header,
 * table or index that does not fit the file. */
#ifndef TOL_ZURNDECODER_H
#define TOL_ZURNDECODER_H

#include "tol/api.h"
#include "tol/zurndecoder_record.h"

/* Opens a decoder (flags: ZURNDEC_* open flags); null on failure. */
TOLAPI(ZurnDecoder*) ZurnDecoderOpen(const void* source, uint32_t flags);

/* The same with a read-ahead buffer of readAheadBytes (rounded up to whole
 * 4096-byte chunks, at most the file) instead of the busiest second of the
 * file; 0 keeps that second. As with that second, a buffer of nine tenths
 * of the file or more loads every frame at open. Platform adaptation: the
 * players' read-ahead memory switch needs a way to size the buffer. */
TOLAPI(ZurnDecoder*) ZurnDecoderOpenWithReadAhead(const void* source, uint32_t flags, uint32_t readAheadBytes);

/* Track identifier for the next open with ZURNDEC_SELECTED_TRACK (-1: none);
 * every open consumes it. */
TOLAPI(void) ZurnDecoderSelectTrack(int32_t id);

/* Decodes the current frame unless that is done already. Returns 1 when the
 * picture is sound, 0 when the frame's data is damaged or incomplete (the
 * previous picture then stays current) or derives from such a frame. */
TOLAPI(int32_t) ZurnDecoderDecodeFrame(ZurnDecoder* decoder);

/* Makes the next frame current (after the last one, frame 1). */
TOLAPI(void) ZurnDecoderNextFrame(ZurnDecoder* decoder);

/* Makes frame (1 to frames, clamped) current. Without ZURNDEC_GOTO_FETCH_ONLY
 * the frames from the nearest keyframe up to the one before it are decoded,
 * so that decoding it gives the right picture. */
TOLAPI(void) ZurnDecoderGoto(ZurnDecoder* decoder, int32_t frame, uint32_t flags);

/* Converts the current picture into a surface (flags: surface type in the
 * low 4 bits, ZURNDEC_COPY_* bits, and the blitter flags). The decoded frame
 * (width x coded height) lands at (x, y); with line doubling it covers every
 * second row. Only the areas changed by the last decode are converted unless
 * ZURNDEC_COPY_FULL is given or every area changed. Returns 1, or 0 for a
 * null decoder or destination, an unknown surface type, or a planar (YV12)
 * surface asked to be bottom-up or line-doubled. */
TOLAPI(int32_t) ZurnDecoderCopyToSurface(ZurnDecoder* decoder, void* destination, int32_t pitch,
                                         int32_t destinationHeight, int32_t x, int32_t y, uint32_t flags);

/* Switches video decoding on or off (on after open). */
TOLAPI(void) ZurnDecoderSetVideo(ZurnDecoder* decoder, int32_t on);

/* Sets the paused flag and returns it. */
TOLAPI(int32_t) ZurnDecoderPause(ZurnDecoder* decoder, int32_t on);

/* soundFlags and soundTrackId of a track (0 when there is no such track). */
TOLAPI(uint32_t) ZurnDecoderTrackFlags(ZurnDecoder* decoder, int32_t track);
TOLAPI(uint32_t) ZurnDecoderTrackId(ZurnDecoder* decoder, int32_t track);

TOLAPI(void) ZurnDecoderClose(ZurnDecoder* decoder);

/* The text of the last open failure, "" after a successful open. */
TOLAPI(const char*) ZurnDecoderGetError(void);

#endif
