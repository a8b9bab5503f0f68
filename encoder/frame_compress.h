// Compression of one frame of the window into its three coded planes.
#pragma once

#include <cstdint>

#include "platform/libns.h"

TOL_NS_BEGIN

struct EncoderJob;

struct CodedSizes {
  uint32_t y, cr, cb;
};

// Compresses window slot `slot` of the job within `budget` bytes into outY,
// outCr and outCb, builds the decoder's picture of the frame in the
// reconstruction set other than reconSelect and then flips reconSelect.
// False when the frame's work areas cannot be allocated.
bool compressFrame(EncoderJob& job, uint32_t slot, uint32_t budget, CodedSizes& sizes);

// Frees what compressFrame keeps from frame to frame.
void releaseFrameWorkspace(EncoderJob& job);

TOL_NS_END
