// tolutil's exported sound track reader functions.
#include "decode/zurn_track_reader.h"
#include "tol/zurnsound.h"

TOLAPI(ZurnTrackReader*) ZurnTrackReaderOpen(ZurnDecoder* decoder, int32_t track) {
  return tol::ZurnTrackReaderOpen(static_cast<tol::ZurnDecoder*>(decoder), track);
}
TOLAPI(uint32_t) ZurnTrackReaderGet(ZurnTrackReader* reader, void* destination) {
  return tol::ZurnTrackReaderGet(reader, destination);
}
TOLAPI(void) ZurnTrackReaderClose(ZurnTrackReader* reader) { tol::ZurnTrackReaderClose(reader); }
