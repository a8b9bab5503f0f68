// A picture as the Zurn encoder sees it: Y at full size, Cb and Cr at half
// size in both directions (rounded up), cropped to the frame (no padding),
// and the clip files the peers read and write (Y4M 4:2:0, raw I420).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace zurnbench {

struct YuvFrame {
  int width = 0, height = 0;
  std::vector<uint8_t> y, cb, cr;

  YuvFrame() = default;
  YuvFrame(int w, int h);
  int chromaWidth() const { return (width + 1) / 2; }
  int chromaHeight() const { return (height + 1) / 2; }
  size_t bytes() const { return y.size() + cb.size() + cr.size(); }
};

// The encoder's own colour conversion of a 32-bit frame (byte 0 red, 1
// green, 2 blue), cropped to width x height.
YuvFrame planesFromPixels(const uint8_t* pixels, int width, int height);

// Y4M 4:2:0 ("C420jpeg"), frame rate num/den.
bool writeY4m(const std::string& path, const std::vector<YuvFrame>& frames, int fpsNum, int fpsDen);
// Reads a 4:2:0 Y4M file frame by frame.
class Y4mReader {
 public:
  // False (with a reason) when the file is not a 4:2:0 Y4M file.
  bool open(const std::string& path, std::string& error);
  // The next frame; false at the end, or with a reason on a damaged frame.
  bool next(YuvFrame& frame, std::string& error);

 private:
  bool readLine(std::string& line);
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::string path_;
  int width_ = 0, height_ = 0, frames_ = 0;
};

// Reads every frame of a 4:2:0 Y4M file; false (with a reason) on anything
// else or a short file.
bool readY4m(const std::string& path, std::vector<YuvFrame>& frames, std::string& error);

// Raw I420: each frame Y, then Cb, then Cr, no headers.
bool writeI420(std::FILE* f, const YuvFrame& frame);
bool readI420(const std::string& path, int width, int height, std::vector<YuvFrame>& frames, std::string& error);

// The frame buffer layout of the Zurn decoder and the YUV blitters: Y with
// pitch `pitch` and `rows` rows, then Cr, then Cb (pitch / 2, rows / 2),
// edges repeated into the padding.
std::vector<uint8_t> blitterLayout(const YuvFrame& f, int pitch, int rows);

}  // namespace zurnbench
