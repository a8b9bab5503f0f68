/* The public sound headers compile as C, and every function they declare is
 * exported by its shared library (the test program would not link
 * otherwise). */
#include "tol/zurnmix.h"
#include "tol/zurnsound.h"

const void* const sound_api_functions[] = {
    (const void*)ZurnTrackReaderOpen,
    (const void*)ZurnTrackReaderGet,
    (const void*)ZurnTrackReaderClose,
    (const void*)ZurnMix,
};
