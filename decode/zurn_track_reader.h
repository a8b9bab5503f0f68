// Track reader: decodes one sound track of an open Zurn decoder, frame by
// frame, from the packets at the start of the decoder's current frame.
#pragma once

#include <cstdint>

#include "decode/zurn_decoder.h"
#include "platform/libns.h"
#include "tol/zurnsound_record.h"

TOL_NS_BEGIN

ZurnTrackReader* ZurnTrackReaderOpen(ZurnDecoder* decoder, int32_t track);
uint32_t ZurnTrackReaderGet(ZurnTrackReader* reader, void* destination);
void ZurnTrackReaderClose(ZurnTrackReader* reader);

// Finds the packet of `track` among the packets at the start of a frame of
// `size` bytes. Returns the bytes behind its size field and stores how many
// of them there are (cut to the frame), or null when the frame ends before
// the track's size field or the packet is empty.
const uint8_t* zurnFindPacket(const uint8_t* frame, uint32_t size, uint32_t track, uint32_t* packetSize);

TOL_NS_END
