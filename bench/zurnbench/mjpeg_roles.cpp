// The motion-JPEG side of the child roles.
#include <chrono>
#include <cstdio>
#include <memory>

#include "child_roles.h"
#include "jpeg_planes.h"

namespace zurnbench {

int mjpegEncodeRole(const Args& a) {
  Y4mReader in;
  std::string error;
  const int quality = int(a.num("quality", 0));
  if (quality < 1 || quality > 100 || !in.open(a.str("in"), error)) {
    std::fprintf(stderr, "mjpeg-encode: %s\n", error.empty() ? "bad quality" : error.c_str());
    return 2;
  }
  // Frame by frame, as a capture or a converter would.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(a.str("out").c_str(), "wb"), std::fclose);
  if (!out) return 1;
  for (YuvFrame frame; in.next(frame, error);)
    if (!writeJpegFrame(out.get(), encodeJpeg(frame, quality))) return 1;
  if (!error.empty()) std::fprintf(stderr, "mjpeg-encode: %s\n", error.c_str());
  return error.empty() && std::fflush(out.get()) == 0 ? 0 : 1;
}

int mjpegDecodeRole(const Args& a) {
  const std::string mode = a.str("mode", "decode");
  std::vector<std::vector<uint8_t>> jpegs;
  if ((mode != "decode" && mode != "planes") || !readJpegClip(a.str("in"), jpegs)) {
    std::fprintf(stderr, "mjpeg-decode: bad mode or unreadable %s\n", a.str("in").c_str());
    return 2;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, std::fclose);
  if (mode == "planes" && !(file.reset(std::fopen(a.str("out").c_str(), "wb")), file)) return 1;
  YuvFrame frame;
  double seconds = 0;
  for (const auto& j : jpegs) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = decodeJpeg(j.data(), j.size(), frame);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) {
      std::fprintf(stderr, "mjpeg-decode: damaged frame\n");
      return 1;
    }
    if (file && !writeI420(file.get(), frame)) return 1;
  }
  std::printf("frames=%zu\nseconds=%.6f\n", jpegs.size(), seconds);
  return 0;
}

}  // namespace zurnbench
