// The PNG sequence and WAVE readers, shared with the tools (tools/common),
// under the harness's own names.
#pragma once

#include "common/png_sequence.h"
#include "common/wave.h"

namespace zurnbench {

using tolapp::listSequence;
using tolapp::parseWave;
using tolapp::readPng;
using tolapp::readWave;
using tolapp::RgbFrame;
using tolapp::Sound;
using tolapp::writeWave;

}  // namespace zurnbench
