// Arbitrary bytes as a FLIC file: open, decode past the last frame (so the
// pass starts over), jump back and forth; every call stays inside a buffer
// of exactly pitch x bufferHeight bytes and leaves the margins outside the
// picture at 0. Decoded frames of an even width are then written with the
// writer and must read back unchanged.
//
// Pictures larger than 320 x 200 are skipped: they only cost time here.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/flic_reader.h"
#include "media/flic_writer.h"

namespace {

constexpr uint32_t kMaxArea = 320 * 200;
constexpr int32_t kMaxFrames = 24;

const std::string& scratchName(const char* extension) {
  static std::string names[2];
  std::string& n = names[extension[1] == 'f' ? 0 : 1];
  if (n.empty()) {
    // A memory-backed folder where there is one: the writer commits its file
    // to disk at every close.
    const char* dir = std::getenv("TMPDIR");
    const std::string folder = dir && *dir ? dir : access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    n = folder + "/flicfuzz" + std::to_string(getpid()) + extension;
  }
  return n;
}

bool marginsClear(const TOLFlic* f, const std::vector<uint8_t>& buffer) {
  for (int32_t y = 0; y < f->bufferHeight; y++)
    for (int32_t x = y < f->height ? f->width : 0; x < f->pitch; x++)
      if (buffer[size_t(y) * f->pitch + x] != 0) return false;
  return true;
}

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 128 || uint32_t(le16(data + 8)) * le16(data + 10) > kMaxArea) return 0;
  const std::string& name = scratchName(".flc");
  FILE* out = std::fopen(name.c_str(), "wb");
  if (!out) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);

  TOLFlic* f = tol::TOLFlicOpen(name.c_str());
  if (!f) return 0;
  if (f->width <= 0 || f->height <= 0 || f->frameTime >= 0 || f->pitch % 4 || f->bufferHeight % 4) std::abort();
  std::vector<uint8_t> buffer(size_t(f->pitch) * f->bufferHeight);
  std::vector<std::vector<uint8_t>> frames;
  std::vector<std::vector<uint8_t>> palettes;
  const int32_t passLength = std::min(f->frameCount, kMaxFrames) + 2;
  for (int32_t k = 0; k < passLength; k++) {
    const int32_t r = tol::TOLFlicGetNext(f, buffer.data());
    if (r != 1 && r != 2) std::abort();
    if (f->framesDecoded > std::max(f->frameCount, 1) || !marginsClear(f, buffer)) std::abort();
    if (f->width % 2 == 0 && k < f->frameCount) {
      std::vector<uint8_t> packed;
      for (int32_t y = 0; y < f->height; y++)
        packed.insert(packed.end(), buffer.begin() + size_t(y) * f->pitch,
                      buffer.begin() + size_t(y) * f->pitch + f->width);
      frames.push_back(packed);
      palettes.emplace_back(f->palette, f->palette + TOLFLIC_PALETTE_SIZE);
    }
  }
  const int32_t target = int32_t(data[size - 1]) % (f->frameCount + 1);
  const int32_t r = tol::TOLFlicGoto(f, target, buffer.data());
  if (r < 0 || r > 2 || (r > 0 && f->framesDecoded != target) || !marginsClear(f, buffer)) std::abort();
  tol::TOLFlicGoto(f, 0, buffer.data());
  const int32_t width = f->width, height = f->height;
  tol::TOLFlicClose(f);
  if (frames.empty()) return 0;

  // The frames written again read back the same.
  const std::string& copy = scratchName(".out");
  TOLOFlic* w = tol::TOLOFlicCreate(copy.c_str(), width, height, 40);
  if (!w) std::abort();
  for (size_t k = 0; k < frames.size(); k++)
    if (tol::TOLOFlicPutNext(w, frames[k].data(), palettes[k].data()) != 1) std::abort();
  tol::TOLOFlicClose(w);
  TOLFlic* back = tol::TOLFlicOpen(copy.c_str());
  if (!back || back->frameCount != int32_t(frames.size())) std::abort();
  for (size_t k = 0; k < frames.size(); k++) {
    tol::TOLFlicGetNext(back, buffer.data());
    for (int32_t y = 0; y < height; y++)
      if (std::memcmp(&buffer[size_t(y) * back->pitch], &frames[k][size_t(y) * width], size_t(width)) != 0)
        std::abort();
    if (std::memcmp(back->palette, palettes[k].data(), TOLFLIC_PALETTE_SIZE) != 0) std::abort();
  }
  tol::TOLFlicClose(back);
  return 0;
}
