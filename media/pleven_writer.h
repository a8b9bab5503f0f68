// The Pleven writer (interface and behaviour in include/tol/plevenwriter.h).
#pragma once

#include "platform/libns.h"
#include "tol/plevenwriter.h"

TOL_NS_BEGIN

PlevWriter* PlevWriterCreate(const char* name, const PlevWriterSettings* settings);
int32_t PlevWriterPutFrame(PlevWriter* writer, const uint8_t* pixels, int32_t pitch, const uint8_t* palette,
                           const void* const* sound, const uint32_t* soundBytes);
int32_t PlevWriterClose(PlevWriter* writer);

TOL_NS_END
