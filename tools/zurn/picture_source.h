// The pictures that go into the encoder: any input the graphics input
// takes, in true colour, with its frame range, rate conversion and
// placement rectangle, delivered as 32-bit pixels (byte 0 red, 1 green,
// 2 blue) of one size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/library_messages.h"
#include "tol/gfile.h"
#include "zurn/options.h"

namespace zurntool {

struct Rate {
  uint32_t num = 15, den = 1;
};

class PictureSource {
 public:
  PictureSource() = default;
  PictureSource(const PictureSource&) = delete;
  PictureSource& operator=(const PictureSource&) = delete;
  ~PictureSource();

  // Opens the input. false with a message (the library's, or the system's
  // when the file is not there).
  bool open(const CompressOptions& options, std::string& error);

  // The next output frame, width() * 4 bytes a row; null with a message.
  const uint8_t* next(std::string& error);

  int width() const { return file_->width; }
  int height() const { return file_->height; }
  uint32_t frameCount() const { return uint32_t(file_->outFrameCount); }
  uint32_t firstIndex() const { return firstIndex_; }  // 0-based source frame
  Rate inputRate() const { return {uint32_t(file_->inRateNum), uint32_t(file_->inRateDen)}; }
  Rate outputRate() const { return {uint32_t(file_->outRateNum), uint32_t(file_->outRateDen)}; }
  bool hasSound() const { return file_->hasSound != 0; }
  const char* typeName() const { return file_->typeName; }
  const std::string& name() const { return name_; }

 private:
  GFile* file_ = nullptr;
  std::string name_;
  uint32_t firstIndex_ = 0;
  std::vector<uint8_t> pixels_;
};

using tolapp::keepLibraryMessage;
using tolapp::openFailure;

}  // namespace zurntool
