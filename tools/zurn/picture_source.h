// The pictures that go into the encoder: a numbered PNG sequence with a
// frame range, a frame-rate conversion and a placement rectangle, delivered
// as 32-bit pixels of one size (byte 0 red, 1 green, 2 blue).
//
// The rules are the graphics input's: /S and /E select source frames
// (1-based; 0 the first and the last; each lowered to the frame count; a
// last frame below the first gives one frame); the output rate repeats or
// drops source frames; /X /Y /W /H place the output rectangle in each
// source frame, and what falls outside the source stays black.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/png_sequence.h"
#include "zurn/options.h"

namespace zurntool {

struct Rate {
  uint32_t num = 15, den = 1;  // still images play at 15 frames per second
};

class PictureSource {
 public:
  // Lists the sequence, checks that every selected file is there and reads
  // the first selected frame for the sizes. false with a message.
  bool open(const CompressOptions& options, std::string& error);

  // The next output frame, width() * 4 bytes a row; null with a message when
  // a file cannot be read. After the last frame it delivers that again.
  const uint8_t* next(std::string& error);

  int width() const { return width_; }
  int height() const { return height_; }
  int inputWidth() const { return first_.width; }
  int inputHeight() const { return first_.height; }
  uint32_t frameCount() const { return outputFrames_; }
  uint32_t sourceFrames() const { return uint32_t(files_.size()); }
  uint32_t firstIndex() const { return firstIndex_; }  // 0-based, in the whole sequence
  Rate inputRate() const { return inputRate_; }
  Rate outputRate() const { return outputRate_; }
  const std::string& firstFile() const { return files_.front(); }

 private:
  bool readSource(std::string& error);
  void place(const tolapp::RgbFrame& source);

  std::vector<std::string> files_;  // the selected frames only
  uint32_t firstIndex_ = 0;
  tolapp::RgbFrame first_, frame_;
  int width_ = 0, height_ = 0;
  int32_t x_ = 0, y_ = 0;
  Rate inputRate_, outputRate_;
  uint64_t stepNum_ = 1, stepDen_ = 1;  // source frames per output frame, reduced
  uint32_t outputFrames_ = 0;
  uint32_t framesRead_ = 0, framesOut_ = 0;
  std::vector<uint8_t> pixels_;
};

}  // namespace zurntool
