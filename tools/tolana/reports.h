// tolana's two reports on a clip: a CSV table, one row per frame, and an SVG
// chart (stacked bars per frame for video and each sound track, the sliding
// data rate as a line with the average dashed, key frames marked).
#pragma once

#include <string>

#include "tolana/clip_facts.h"
#include "tolana/data_rate.h"

namespace tolana {

// Header "frame,key,damaged,video,track1,...,total,rate_1s"; rates in bytes
// per second.
std::string csvReport(const ClipFacts& clip, const DataRate& rate);
std::string svgReport(const ClipFacts& clip, const DataRate& rate, const std::string& title);

}  // namespace tolana
