// Helpers of the encoder tests: test clips made in memory, encoding through
// the job with the encoder's own reconstruction of every frame captured.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "decode_bridge.h"

namespace enctest {

// Frames of 4-byte pixels (byte 0 red, 1 green, 2 blue), rows 4 x width
// bytes apart (rows x height; in line mode the host's rows are twice as many).
struct Clip {
  uint32_t width = 0, height = 0;
  std::vector<std::vector<uint8_t>> frames;
};

// A textured, noisy picture moving slowly across the frame.
Clip naturalClip(uint32_t width, uint32_t height, uint32_t frames, uint32_t seed = 1, int dx = 1, int dy = 0);
// Hard-edged shapes: stripes, a checkerboard, a moving disc on flat ground.
Clip patternClip(uint32_t width, uint32_t height, uint32_t frames);
// One picture repeated.
Clip stillClip(uint32_t width, uint32_t height, uint32_t frames);
// A natural clip that switches to another scene half way.
Clip cutClip(uint32_t width, uint32_t height, uint32_t frames);

// Frames first .. first + count - 1 of a corpus PNG sequence (files in name
// order); an empty clip when the folder or a file cannot be read.
Clip corpusClip(const std::string& folder, uint32_t first, uint32_t count);

struct EncodeOptions {
  uint32_t targetSize = 4000;
  uint32_t maxSize = 1000000;
  uint32_t window = 4;
  uint32_t keyInterval = 0;
  uint32_t lineMode = 0;
  uint32_t threads = 1;
  std::vector<uint32_t> targets;  // per frame, overrides targetSize when given
};

struct Encoded {
  bool opened = false;
  uint32_t closeResult = 0;
  std::vector<Picture> recon;  // the encoder's picture of each frame
  std::vector<uint32_t> budgets;
};

// Encodes the clip to `name` with the internal job functions.
Encoded encodeClip(const Clip& clip, const std::string& name, const EncodeOptions& options);

// Mean PSNR of the luma of decoded pictures against the clip's own luma.
double lumaPsnr(const Clip& clip, const std::vector<Picture>& pictures);

}  // namespace enctest
