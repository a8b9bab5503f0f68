// The FLIC writer: internal functions behind the exported TOLOFlic calls
// (include/tol/flic.h describes them).
#pragma once

#include <cstdint>

#include "platform/libns.h"
#include "tol/flic_record.h"

TOL_NS_BEGIN

TOLOFlic* TOLOFlicCreate(const char* name, int32_t width, int32_t height, int32_t speed);
int32_t TOLOFlicPutNext(TOLOFlic* writer, const uint8_t* pixels, const uint8_t* palette);
uint32_t TOLOFlicClose(TOLOFlic* writer);

TOL_NS_END
