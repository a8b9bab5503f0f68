#include "zurn/picture_source.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <numeric>

namespace zurntool {
namespace {

// Which source columns (or rows) land where in the output.
struct Span {
  int source = 0, output = 0, count = 0;
};

// The output rectangle of size `size` starts at `offset` in a source of
// `sourceSize`; parts outside the source stay black.
Span placeSpan(int64_t offset, int64_t size, int64_t sourceSize) {
  if (offset < 0) {
    if (offset + size <= 0) return {};
    return {0, int(-offset), int(std::min(sourceSize, offset + size))};
  }
  if (offset >= sourceSize) return {};
  return {int(offset), 0, int(std::min(size, sourceSize - offset))};
}

Rate rateOf(const Fraction& f, Rate fallback) { return f.given() ? Rate{uint32_t(f.num), uint32_t(f.den)} : fallback; }

}  // namespace

bool PictureSource::open(const CompressOptions& o, std::string& error) {
  std::vector<std::string> all = tolapp::listSequence(o.input);
  if (all.empty()) {
    error = "no PNG frames found at " + o.input;
    return false;
  }
  // Frame range, counted from 1.
  const uint64_t count = all.size();
  const uint64_t first = std::min<uint64_t>(o.firstFrame ? uint64_t(o.firstFrame) : 1, count);
  const uint64_t last = std::min<uint64_t>(o.lastFrame ? uint64_t(o.lastFrame) : count, count);
  firstIndex_ = uint32_t(first - 1);
  files_.assign(all.begin() + ptrdiff_t(first - 1), all.begin() + ptrdiff_t(std::max(last, first)));
  for (const std::string& f : files_) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(f, ec)) {
      error = "missing frame: " + f;
      return false;
    }
  }
  if (!tolapp::readPng(files_.front(), first_, error)) return false;

  width_ = o.cropWidth ? o.cropWidth : first_.width;
  height_ = o.cropHeight ? o.cropHeight : first_.height;
  x_ = o.cropX;
  y_ = o.cropY;
  pixels_.assign(size_t(width_) * size_t(height_) * 4, 0);

  inputRate_ = rateOf(o.inputRate, Rate{});
  outputRate_ = rateOf(o.outputRate, inputRate_);
  // Source frames per output frame: (inNum * outDen) / (inDen * outNum).
  const uint64_t gNum = std::gcd(inputRate_.num, outputRate_.num), gDen = std::gcd(inputRate_.den, outputRate_.den);
  stepNum_ = uint64_t(inputRate_.num / gNum) * (outputRate_.den / gDen);
  stepDen_ = uint64_t(inputRate_.den / gDen) * (outputRate_.num / gNum);
  const uint64_t g = std::gcd(stepNum_, stepDen_);
  stepNum_ /= g;
  stepDen_ /= g;
  if (stepNum_ > UINT32_MAX || stepDen_ > UINT32_MAX) {
    error = "the input and output frame rates are too far apart";
    return false;
  }
  // At least one output frame, however slow the output rate.
  const uint64_t frames = std::max<uint64_t>(1, files_.size() * stepDen_ / stepNum_);
  if (frames > 10000000) {
    error = "too many output frames: " + std::to_string(frames);
    return false;
  }
  outputFrames_ = uint32_t(frames);
  return true;
}

void PictureSource::place(const tolapp::RgbFrame& source) {
  std::fill(pixels_.begin(), pixels_.end(), 0);
  const Span xs = placeSpan(x_, width_, source.width), ys = placeSpan(y_, height_, source.height);
  for (int row = 0; row < ys.count; ++row)
    std::memcpy(&pixels_[(size_t(ys.output + row) * size_t(width_) + size_t(xs.output)) * 4],
                &source.pixels[(size_t(ys.source + row) * size_t(source.width) + size_t(xs.source)) * 4],
                size_t(xs.count) * 4);
}

bool PictureSource::readSource(std::string& error) {
  if (framesRead_ == 0) {
    place(first_);
  } else {
    if (!tolapp::readPng(files_[framesRead_], frame_, error)) return false;
    place(frame_);
  }
  ++framesRead_;
  return true;
}

const uint8_t* PictureSource::next(std::string& error) {
  // Output frame n shows the last source frame whose number is at most
  // n * stepNum / stepDen.
  const uint64_t n = framesOut_;
  if (n == 0 && !readSource(error)) return nullptr;
  while (framesRead_ < files_.size() && n * stepNum_ / stepDen_ >= framesRead_)
    if (!readSource(error)) return nullptr;
  ++framesOut_;
  return pixels_.data();
}

}  // namespace zurntool
