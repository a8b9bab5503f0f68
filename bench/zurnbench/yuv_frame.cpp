#include "yuv_frame.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "encoder/colour_convert.h"

namespace zurnbench {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void cropPlane(const uint8_t* src, int srcPitch, int w, int h, std::vector<uint8_t>& dst) {
  for (int r = 0; r < h; ++r) std::memcpy(dst.data() + size_t(r) * w, src + size_t(r) * srcPitch, size_t(w));
}

// Copies a w x h plane into a pitch x rows area, repeating the last column
// and row into the padding.
void padPlane(const std::vector<uint8_t>& src, int w, int h, uint8_t* dst, int pitch, int rows) {
  for (int r = 0; r < rows; ++r) {
    const uint8_t* s = src.data() + size_t(std::min(r, h - 1)) * w;
    uint8_t* d = dst + size_t(r) * pitch;
    std::memcpy(d, s, size_t(w));
    std::memset(d + w, s[w - 1], size_t(pitch - w));
  }
}

bool readPlanes(std::FILE* f, YuvFrame& fr) {
  return std::fread(fr.y.data(), 1, fr.y.size(), f) == fr.y.size() &&
         std::fread(fr.cb.data(), 1, fr.cb.size(), f) == fr.cb.size() &&
         std::fread(fr.cr.data(), 1, fr.cr.size(), f) == fr.cr.size();
}

}  // namespace

YuvFrame::YuvFrame(int w, int h)
    : width(w), height(h), y(size_t(w) * h), cb(size_t(chromaWidth()) * chromaHeight()), cr(cb.size()) {}

YuvFrame planesFromPixels(const uint8_t* pixels, int width, int height) {
  const tol::PlaneGeometry g = tol::planeGeometry(uint32_t(width), uint32_t(height));
  std::vector<uint8_t> y(size_t(g.lumaWidth) * g.lumaHeight), cr(size_t(g.chromaWidth) * g.chromaHeight),
      cb(cr.size());
  tol::convertFrame(pixels, width * 4, uint32_t(width), uint32_t(height), 0, g, y.data(), cr.data(), cb.data());
  YuvFrame f(width, height);
  cropPlane(y.data(), int(g.lumaWidth), width, height, f.y);
  cropPlane(cb.data(), int(g.chromaWidth), f.chromaWidth(), f.chromaHeight(), f.cb);
  cropPlane(cr.data(), int(g.chromaWidth), f.chromaWidth(), f.chromaHeight(), f.cr);
  return f;
}

bool writeY4m(const std::string& path, const std::vector<YuvFrame>& frames, int fpsNum, int fpsDen) {
  if (frames.empty()) return false;
  File f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  std::fprintf(f.get(), "YUV4MPEG2 W%d H%d F%d:%d Ip A1:1 C420jpeg\n", frames[0].width, frames[0].height, fpsNum,
               fpsDen);
  for (const YuvFrame& fr : frames) {
    std::fputs("FRAME\n", f.get());
    if (!writeI420(f.get(), fr)) return false;
  }
  return std::fflush(f.get()) == 0;
}

bool Y4mReader::readLine(std::string& line) {
  line.clear();
  for (int c; (c = std::fgetc(file_.get())) != EOF && c != '\n';) {
    if (line.size() > 4096) return false;
    line.push_back(char(c));
  }
  return !std::feof(file_.get()) || !line.empty();
}

bool Y4mReader::open(const std::string& path, std::string& error) {
  path_ = path;
  frames_ = 0;
  file_.reset(std::fopen(path.c_str(), "rb"));
  if (!file_) {
    error = "cannot open " + path;
    return false;
  }
  std::string line;
  if (!readLine(line) || line.rfind("YUV4MPEG2 ", 0) != 0) {
    error = path + " is not a Y4M file";
    return false;
  }
  std::string colour = "420";
  for (size_t pos = 0; (pos = line.find(' ', pos)) != std::string::npos;) {
    ++pos;
    const char tag = line[pos];
    const std::string value = line.substr(pos + 1, line.find(' ', pos) - pos - 1);
    if (tag == 'W') width_ = std::atoi(value.c_str());
    if (tag == 'H') height_ = std::atoi(value.c_str());
    if (tag == 'C') colour = value;
  }
  if (width_ <= 0 || height_ <= 0 || width_ > 16384 || height_ > 16384 || colour.rfind("420", 0) != 0) {
    error = path + ": not a 4:2:0 Y4M file (" + line + ")";
    return false;
  }
  return true;
}

bool Y4mReader::next(YuvFrame& frame, std::string& error) {
  std::string line;
  if (!file_ || !readLine(line)) return false;
  if (line.rfind("FRAME", 0) != 0) {
    error = path_ + ": bad frame header";
    return false;
  }
  if (frame.width != width_ || frame.height != height_) frame = YuvFrame(width_, height_);
  if (!readPlanes(file_.get(), frame)) {
    error = path_ + ": short frame " + std::to_string(frames_);
    return false;
  }
  ++frames_;
  return true;
}

bool readY4m(const std::string& path, std::vector<YuvFrame>& frames, std::string& error) {
  frames.clear();
  error.clear();
  Y4mReader reader;
  if (!reader.open(path, error)) return false;
  for (YuvFrame f; reader.next(f, error);) frames.push_back(f);
  return error.empty();
}

bool writeI420(std::FILE* f, const YuvFrame& fr) {
  return std::fwrite(fr.y.data(), 1, fr.y.size(), f) == fr.y.size() &&
         std::fwrite(fr.cb.data(), 1, fr.cb.size(), f) == fr.cb.size() &&
         std::fwrite(fr.cr.data(), 1, fr.cr.size(), f) == fr.cr.size();
}

bool readI420(const std::string& path, int width, int height, std::vector<YuvFrame>& frames, std::string& error) {
  frames.clear();
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    error = "cannot open " + path;
    return false;
  }
  for (;;) {
    YuvFrame fr(width, height);
    const size_t got = std::fread(fr.y.data(), 1, fr.y.size(), f.get());
    if (got == 0 && std::feof(f.get())) return true;
    if (got != fr.y.size() || std::fread(fr.cb.data(), 1, fr.cb.size(), f.get()) != fr.cb.size() ||
        std::fread(fr.cr.data(), 1, fr.cr.size(), f.get()) != fr.cr.size()) {
      error = path + ": short frame " + std::to_string(frames.size());
      return false;
    }
    frames.push_back(std::move(fr));
  }
}

std::vector<uint8_t> blitterLayout(const YuvFrame& f, int pitch, int rows) {
  const size_t lumaBytes = size_t(pitch) * rows, chromaBytes = size_t(pitch / 2) * (rows / 2);
  std::vector<uint8_t> buf(lumaBytes + 2 * chromaBytes);
  padPlane(f.y, f.width, f.height, buf.data(), pitch, rows);
  padPlane(f.cr, f.chromaWidth(), f.chromaHeight(), buf.data() + lumaBytes, pitch / 2, rows / 2);
  padPlane(f.cb, f.chromaWidth(), f.chromaHeight(), buf.data() + lumaBytes + chromaBytes, pitch / 2, rows / 2);
  return buf;
}

}  // namespace zurnbench
