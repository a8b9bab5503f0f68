// The results as files: Markdown tables, CSV, and a gnuplot PNG of PSNR
// against data rate.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sound_bench.h"
#include "video_bench.h"

namespace zurnbench {

// PSNR on a codec's rate curve (points of bytes per second and PSNR) at
// `rate`, interpolated linearly in the logarithm of the rate between the
// two nearest points; nothing when the rate lies outside the curve.
std::optional<double> psnrAtRate(std::vector<std::pair<double, double>> curve, double rate);

// <name>.md (full table, ratios to VP8, settings, notes), <name>.csv, and
// <name>-ratios.md (the ratio table alone).
bool writeVideoReport(const std::string& outDir, const Clip& clip, const std::vector<VideoResult>& results);

// <name>.png through gnuplot; false with a reason when gnuplot is missing
// or fails.
bool plotVideo(const std::string& outDir, const std::string& workDir, const Clip& clip,
               const std::vector<VideoResult>& results, std::string& error);

// <name>.md and <name>.csv for one sound file.
bool writeSoundReport(const std::string& outDir, const std::string& name, const std::string& source,
                      const std::vector<SoundResult>& results);

}  // namespace zurnbench
