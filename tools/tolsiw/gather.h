// Collects what matters to the suite on this machine: the processor and the
// vector extensions the pixel kernels dispatch on, memory, the display, the
// SDL drivers and devices (when built with SDL2), the suite's version and
// where its libraries were loaded from.
#pragma once

#include "tolsiw/report.h"

namespace tolsiw {

Report gatherSystemReport();

}  // namespace tolsiw
