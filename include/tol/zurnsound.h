/* Reading the sound tracks of a Zurn file, exported by tolutil.
 *
 * A track reader decodes one track of an open Zurn decoder frame by frame:
 * ZurnTrackReaderGet decodes the packet that the decoder's current frame
 * holds for the track; the caller advances the decoder itself
 * (ZurnDecoderNextFrame). 16-bit tracks deliver signed 16-bit samples,
 * 8-bit tracks unsigned 8-bit samples (the decoded 16-bit sample shifted
 * right by 8, plus 128); stereo samples are interleaved.
 *
 * Each frame's packet holds the sound of the frame's time plus up to three
 * quarters of a second of lead, so the sound read so far runs ahead of the
 * current picture; consecutive packets continue each other without gaps.
 * The reader keeps its decoding state across frames: seeking the decoder
 * does not reset it, so the first block after a jump is cross-faded with the
 * sound before the jump.
 *
 * Damaged input: a packet is never read beyond its own bytes or its frame;
 * missing coded bits decode as silence, and no call writes more than
 * bufferSize bytes. */
#ifndef TOL_ZURNSOUND_H
#define TOL_ZURNSOUND_H

#include "tol/api.h"
#include "tol/zurnsound_record.h"

/* Opens a reader of track `track` (0-based) of the decoder; null when the
 * track does not exist, is not playable (bit 31 of its soundFlags clear) or
 * memory runs out. The decoder must outlive the reader. */
TOLAPI(ZurnTrackReader*) ZurnTrackReaderOpen(ZurnDecoder* decoder, int32_t track);

/* Decodes the current frame's packet of the track into destination, which
 * holds reader->bufferSize bytes; returns the number of bytes written
 * (0 when the track has nothing in this frame, or for a null reader). */
TOLAPI(uint32_t) ZurnTrackReaderGet(ZurnTrackReader* reader, void* destination);

/* Frees the reader (not the decoder). Does nothing for null. */
TOLAPI(void) ZurnTrackReaderClose(ZurnTrackReader* reader);

#endif
