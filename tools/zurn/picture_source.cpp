#include "zurn/picture_source.h"

#include <algorithm>

namespace zurntool {

PictureSource::~PictureSource() {
  if (file_) GFileClose(file_);
}

bool PictureSource::open(const CompressOptions& o, std::string& error) {
  tolapp::lastLibraryMessage().clear();
  file_ = GFileOpen(o.input.c_str(), GFILE_TRUE_COLOR, o.inputRate.num, o.inputRate.den, o.outputRate.num,
                    o.outputRate.den, o.cropX, o.cropY, o.cropWidth, o.cropHeight, o.firstFrame, o.lastFrame, 0, 0,
                    0, 0, 0, 0, 0, nullptr, nullptr, keepLibraryMessage);
  if (!file_) {
    error = openFailure(o.input, "not a picture input this program reads");
    return false;
  }
  name_ = file_->name;
  if (file_->width <= 0 || file_->height <= 0 || file_->outFrameCount <= 0 || file_->outRateNum <= 0 ||
      file_->outRateDen <= 0) {
    error = o.input + ": no frames to compress";
    return false;
  }
  // The range's first source frame, 0-based, held to the source like the
  // graphics input holds it.
  const int32_t total = file_->totalFrames > 0 ? file_->totalFrames : 1;
  firstIndex_ = uint32_t(o.firstFrame > 0 ? std::min(o.firstFrame, total) - 1 : 0);
  pixels_.assign(size_t(width()) * size_t(height()) * 4, 0);
  return true;
}

const uint8_t* PictureSource::next(std::string& error) {
  tolapp::lastLibraryMessage().clear();
  if (!GFileGet(file_)) {
    error = name_ + ": " +
            (tolapp::lastLibraryMessage().empty() ? "a frame could not be read" : tolapp::lastLibraryMessage());
    return nullptr;
  }
  // 0x00RRGGBB words to red, green, blue bytes.
  const size_t w = size_t(width());
  for (int y = 0; y < height(); ++y) {
    const uint8_t* in = file_->frameBuffer + size_t(y) * size_t(file_->pitch);
    uint8_t* out = &pixels_[size_t(y) * w * 4];
    for (size_t x = 0; x < w; ++x) {
      out[4 * x] = in[4 * x + 2];
      out[4 * x + 1] = in[4 * x + 1];
      out[4 * x + 2] = in[4 * x];
      out[4 * x + 3] = 0;
    }
  }
  return pixels_.data();
}

}  // namespace zurntool
