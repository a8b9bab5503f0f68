/* Reading and writing 8-bit FLIC animations (FLI and FLC), exported by
 * tolutil. All file access goes through buffered file handles with
 * 64000-byte buffers.
 *
 * Reader. Frames are decoded one at a time into the caller's buffer of
 * pitch x bufferHeight bytes (rows pitch bytes apart); each frame is decoded
 * on top of the previous one, so the caller passes the same buffer every
 * time. Past the last frame the reader starts again at frame 1 (the ring
 * frame stored at the end is never decoded). The palette is kept in the
 * record.
 *
 * Writer. Frames are height rows of width bytes, packed; each is stored in
 * the smallest of the delta (byte-oriented for 320 x 200, word-oriented
 * otherwise), byte-run and uncompressed encodings, and a frame equal to the
 * previous one gets no pixel data. Close adds the ring frame (frame 1 coded
 * against the last frame, without a palette) and rewrites the header.
 *
 * Damaged files: the reader never reads or writes outside its data, the
 * file and the caller's buffer; what a chunk would draw outside the picture
 * is dropped. Files whose width or height is 0 are refused. A frame whose
 * header cannot be read whole leaves the buffer unchanged; TOLFlicGoto then
 * stops there and returns 0 instead of waiting for a frame that never
 * comes. */
#ifndef TOL_FLIC_H
#define TOL_FLIC_H

#include "tol/api.h"
#include "tol/flic_record.h"

/* Opens a FLIC file; a name without extension is tried with ".flc", then
 * ".fli". Null when no file opens or the header is not a FLIC header. */
TOLAPI(TOLFlic*) TOLFlicOpen(const char* name);
/* Decodes the next frame into buffer: 0 without a reader, file or buffer,
 * 2 when the frame changed the palette, else 1. */
TOLAPI(int32_t) TOLFlicGetNext(TOLFlic* flic, uint8_t* buffer);
/* Decodes up to frame `frame` (0 = before the first; lowered to the frame
 * count), starting over at frame 1 unless the frame lies ahead: 2 when a
 * decoded frame changed the palette, 1 otherwise, 0 on failure. */
TOLAPI(int32_t) TOLFlicGoto(TOLFlic* flic, int32_t frame, uint8_t* buffer);
/* The 768-byte palette (red, green, blue), null without a reader. */
TOLAPI(uint8_t*) TOLFlicGetPalette(TOLFlic* flic);
/* The open file's name, copied into out (TOLFILE_NAME_SIZE bytes) when out
 * is not null; null without a file. */
TOLAPI(const char*) TOLFlicGetName(TOLFlic* flic, char* out);
/* Closes the file and frees the reader. Does nothing for null. */
TOLAPI(void) TOLFlicClose(TOLFlic* flic);

/* Creates a FLC file; ".flc" is appended to a name without extension.
 * speed >= 0: milliseconds per frame; speed < 0: minus the frame time in
 * 1/100000 s. Null for an odd width, a width or height outside 1..65535, or
 * when the file cannot be created. */
TOLAPI(TOLOFlic*) TOLOFlicCreate(const char* name, int32_t width, int32_t height, int32_t speed);
/* Writes one frame (palette: 768 bytes, or null for no change): 1 when
 * written without a file error, else 0. */
TOLAPI(int32_t) TOLOFlicPutNext(TOLOFlic* writer, const uint8_t* pixels, const uint8_t* palette);
/* Writes the ring frame, rewrites the header, closes and frees the writer;
 * returns the file size in bytes (0 without a file). */
TOLAPI(uint32_t) TOLOFlicClose(TOLOFlic* writer);

#endif
