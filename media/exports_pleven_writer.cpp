// tolutil's exported Pleven writer: thin wrappers over media/pleven_writer.h.
#include "media/pleven_writer.h"
#include "tol/plevenwriter.h"

TOLAPI(PlevWriter*) PlevWriterCreate(const char* name, const PlevWriterSettings* settings) {
  return tol::PlevWriterCreate(name, settings);
}
TOLAPI(int32_t) PlevWriterPutFrame(PlevWriter* writer, const uint8_t* pixels, int32_t pitch, const uint8_t* palette,
                                   const void* const* sound, const uint32_t* soundBytes) {
  return tol::PlevWriterPutFrame(writer, pixels, pitch, palette, sound, soundBytes);
}
TOLAPI(int32_t) PlevWriterClose(PlevWriter* writer) { return tol::PlevWriterClose(writer); }
