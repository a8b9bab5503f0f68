#include "decode_bridge.h"

#include <cstring>
#include <fstream>

#include "decode/core/element_streams.h"
#include "decode/zurn_frame.h"

namespace enctest {
namespace {

uint32_t get32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  if (at + 4 <= b.size()) std::memcpy(&v, b.data() + at, 4);
  return v;
}

void copyArea(const uint8_t* plane, uint32_t pitch, uint32_t w, uint32_t h, std::vector<uint8_t>& out) {
  out.resize(size_t{w} * h);
  for (uint32_t r = 0; r < h; ++r) std::memcpy(out.data() + size_t{r} * w, plane + size_t{r} * pitch, w);
}

}  // namespace

bool readZurnFile(const std::string& name, ZurnFile& f) {
  std::ifstream in(name, std::ios::binary);
  f.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (f.bytes.size() < 44 || get32(f.bytes, 0) != 0x664E525Au) return false;
  uint32_t* fields[] = {&f.fileSizeLess8, &f.frames,         &f.largestFrame, &f.indexFrames,
                        &f.width,         &f.height,         &f.fpsNumerator, &f.fpsDenominator,
                        &f.videoFlags,    &f.trackCount};
  for (size_t i = 0; i < 10; ++i) *fields[i] = get32(f.bytes, 4 + 4 * i);
  size_t at = 44;
  for (auto* table : {&f.maxDecoded, &f.soundFlags, &f.trackIds}) {
    table->clear();
    for (uint32_t t = 0; t < f.trackCount; ++t, at += 4) table->push_back(get32(f.bytes, at));
  }
  f.index.clear();
  for (uint32_t k = 0; k <= f.indexFrames; ++k, at += 4) f.index.push_back(get32(f.bytes, at));
  return at <= f.bytes.size();
}

bool decodeFrames(const ZurnFile& f, std::vector<Picture>& pictures, std::string& why) {
  pictures.clear();
  const tol::FrameGeometry g = tol::frameGeometry(f.width, f.height);
  std::vector<uint8_t> buffers[2] = {std::vector<uint8_t>(g.frameBytes, 0), std::vector<uint8_t>(g.frameBytes, 0)};
  std::vector<uint8_t> map(g.mapBytes, 0);
  std::vector<uint8_t> streamBlock(tol::elementBuffersBytes(g.lumaPitch) + 16);
  tol::ElementBuffers streams;
  tol::bindElementBuffers(streams, streamBlock.data(), g.lumaPitch);
  int cur = 0;
  for (uint32_t k = 0; k < f.frames; ++k) {
    const size_t start = f.index[k] & ~1u, end = f.index[k + 1] & ~1u;
    if (end > f.bytes.size() || start > end) {
      why = "frame " + std::to_string(k) + " outside the file";
      return false;
    }
    size_t video = start;
    for (uint32_t t = 0; t < f.trackCount; ++t) video += 4 + get32(f.bytes, video);
    tol::FrameJob job{};
    job.dst = buffers[cur].data();
    job.ref = buffers[1 - cur].data();
    job.map = map.data();
    job.geometry = g;
    job.data = f.bytes.data() + video;
    job.end = f.bytes.data() + end;
    job.streams = &streams;
    job.keyFrame = f.index[k] & 1;
    const tol::PlaneResult r = tol::decodeVideoFrame(job);
    if (r.fault != tol::DecodeFault::none) {
      why = "frame " + std::to_string(k) + ": " + tol::decodeFaultText(r.fault);
      return false;
    }
    if (r.next != job.end) {
      why = "frame " + std::to_string(k) + " leaves " + std::to_string(job.end - r.next) + " bytes unread";
      return false;
    }
    Picture p;
    p.lumaWidth = g.lumaWidth;
    p.lumaHeight = g.lumaHeight;
    p.chromaWidth = g.chromaWidth;
    p.chromaHeight = g.chromaHeight;
    const uint8_t* base = buffers[cur].data();
    copyArea(base, g.lumaPitch, g.lumaWidth, g.lumaHeight, p.y);
    const uint8_t* crPlane = base + size_t{g.lumaPitch} * g.lumaBufferHeight;
    copyArea(crPlane, g.chromaWidth, g.chromaWidth, g.chromaHeight, p.cr);
    copyArea(crPlane + size_t{g.chromaWidth} * g.chromaHeight, g.chromaWidth, g.chromaWidth, g.chromaHeight, p.cb);
    pictures.push_back(std::move(p));
    cur = 1 - cur;
  }
  return true;
}

}  // namespace enctest
