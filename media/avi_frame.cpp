// The frame getter: decodes the frames of a video stream into a bottom-up
// DIB (header, colour table, pixels in one block).
#include <algorithm>
#include <cstring>
#include <new>

#include "media/avi_internal.h"
#include "media/dib_pixels.h"
#include "media/mjpeg_decoder.h"

TOL_NS_BEGIN

namespace {

enum class Codec { Raw, RLE8, MotionJPEG };

constexpr uint32_t kMaxSide = 16384;
constexpr uint64_t kMaxPixels = 36u << 20;  // a little above 8K video
constexpr size_t kTableBytes = 256 * 4;
constexpr uint64_t kPixelsPerJpegByte = 2048;

// A DIB block: header, 256-entry colour table when 8 bits, pixels.
struct Picture {
  std::vector<uint8_t> block;
  size_t stride = 0;
  size_t tableAt = 0, pixelsAt = 0;

  void make(uint32_t width, uint32_t height, uint32_t bits) {
    stride = static_cast<size_t>(avi::dibStride(width, bits));
    tableAt = sizeof(BitmapInfoHeader);
    pixelsAt = tableAt + (bits == 8 ? kTableBytes : 0);
    block.assign(pixelsAt + stride * height, 0);
    BitmapInfoHeader h{};
    h.size = sizeof h;
    h.width = static_cast<int32_t>(width);
    h.height = static_cast<int32_t>(height);
    h.planes = 1;
    h.bitCount = static_cast<uint16_t>(bits);
    h.sizeImage = static_cast<uint32_t>(stride * height);
    h.clrUsed = bits == 8 ? 256 : 0;
    std::memcpy(block.data(), &h, sizeof h);
  }
  uint8_t* table() { return block.data() + tableAt; }
  uint8_t* pixels() { return block.data() + pixelsAt; }
  const BitmapInfoHeader* header() const { return reinterpret_cast<const BitmapInfoHeader*>(block.data()); }
};

}  // namespace

struct AVIGetFrame {
  AVIStream* stream = nullptr;
  Codec codec = Codec::Raw;
  uint32_t width = 0, height = 0, srcBits = 0, outBits = 0;
  bool topDown = false;
  Picture natural, wanted;
  std::vector<uint8_t> chunk;
  std::unique_ptr<MjpegDecoder> jpeg;
  int64_t decoded = -1;  // the frame the natural picture holds
  // Colour table: the format's, then the palette changes up to paletteFrame.
  std::vector<uint8_t> baseTable;
  uint32_t tableEntries = 0;
  int64_t paletteFrame = -1;
  size_t changesApplied = 0;

  bool selfContained(size_t i) const {
    const avi::IndexEntry& e = stream->index[i];
    return codec == Codec::RLE8 ? e.key != 0 : e.size > 0;
  }
  bool decodeOne(size_t i);
  bool decodeUpTo(size_t n);
  void updatePalette(int64_t n);
};

bool AVIGetFrame::decodeOne(size_t i) {
  const avi::IndexEntry& e = stream->index[i];
  if (e.size == 0) return true;  // a dropped frame: the picture stays
  avi::ByteSource& src = *stream->file->source;
  uint8_t* pixels = natural.pixels();
  if (codec == Codec::Raw) {
    size_t bytes = natural.stride * height;
    if (e.size < bytes || !src.readAt(e.offset, pixels, bytes)) return false;
    if (topDown) dib::flipRows(pixels, natural.stride, height);
    return true;
  }
  chunk.resize(e.size);
  if (!src.readAt(e.offset, chunk.data(), e.size)) return false;
  if (codec == Codec::RLE8) {
    if (e.key) std::memset(pixels, 0, natural.stride * height);
    dib::decodeRLE8(chunk.data(), chunk.size(), pixels, natural.stride, width, height);
    return true;  // a short frame keeps what it drew
  }
  return jpeg->decode(chunk.data(), chunk.size(), pixels, natural.stride, width, height);
}

// Decodes from the latest frame that stands alone (or from the frame already
// decoded, when nothing stands alone in between) up to frame n.
bool AVIGetFrame::decodeUpTo(size_t n) {
  size_t from = n;
  size_t floor = decoded >= 0 && static_cast<size_t>(decoded) <= n ? static_cast<size_t>(decoded) + 1 : 0;
  while (from > floor && !selfContained(from)) --from;
  if (from == floor && floor > 0 && !selfContained(from)) {
    // continue from the picture we have
  } else if (!selfContained(from)) {
    std::memset(natural.pixels(), 0, natural.stride * height);  // nothing before: start from black
  }
  decoded = -1;
  for (size_t i = from; i <= n; ++i)
    if (!decodeOne(i)) return false;
  decoded = static_cast<int64_t>(n);
  return true;
}

void AVIGetFrame::updatePalette(int64_t n) {
  if (!tableEntries) return;
  const auto& changes = stream->paletteChanges;
  if (n < paletteFrame || paletteFrame < 0) {
    std::memcpy(natural.table(), baseTable.data(), kTableBytes);
    changesApplied = 0;
  }
  while (changesApplied < changes.size() && changes[changesApplied].frame <= n)
    avi::applyPaletteChange(*stream->file->source, changes[changesApplied++], natural.table(), 256);
  paletteFrame = n;
}

AVIGetFrame* AVIStreamGetFrameOpen(AVIStream* s, const BitmapInfoHeader* wanted) {
  if (!s || s->target || !s->file->source || s->info.fccType != kStreamTypeVideo ||
      s->format.size() < sizeof(BitmapInfoHeader) || s->index.empty())
    return nullptr;
  BitmapInfoHeader bi;
  std::memcpy(&bi, s->format.data(), sizeof bi);
  int64_t h = bi.height < 0 ? -int64_t(bi.height) : bi.height;
  if (bi.width <= 0 || h <= 0 || uint64_t(bi.width) > kMaxSide || uint64_t(h) > kMaxSide ||
      uint64_t(bi.width) * uint64_t(h) > kMaxPixels)
    return nullptr;
  try {
    auto g = std::make_unique<AVIGetFrame>();
    g->stream = s;
    g->width = static_cast<uint32_t>(bi.width);
    g->height = static_cast<uint32_t>(h);
    g->srcBits = bi.bitCount;
    g->topDown = bi.height < 0;
    if (bi.compression == 0 && (bi.bitCount == 8 || bi.bitCount == 16 || bi.bitCount == 24 || bi.bitCount == 32)) {
      g->codec = Codec::Raw;
      g->outBits = bi.bitCount;
      // Frames too short for the picture would all fail: refuse the stream
      // before allocating a picture that the file cannot fill.
      uint64_t frameBytes = avi::dibStride(g->width, g->outBits) * g->height;
      bool anyFits = false;
      for (const avi::IndexEntry& e : s->index) anyFits = anyFits || e.size >= frameBytes;
      if (!anyFits) return nullptr;
    } else if (bi.compression == 1 && bi.bitCount == 8 && !g->topDown) {
      g->codec = Codec::RLE8;
      g->outBits = 8;
    } else if (avi::isMotionJPEG(bi.compression)) {
      // Even a flat picture takes a byte per hundred pixels or so: a stream
      // whose frames are all far smaller cannot fill the size it claims.
      uint64_t largest = 0;
      for (const avi::IndexEntry& e : s->index) largest = std::max<uint64_t>(largest, e.size);
      if (largest * kPixelsPerJpegByte < uint64_t(g->width) * g->height) return nullptr;
      g->codec = Codec::MotionJPEG;
      g->outBits = 24;
      g->topDown = false;
      g->jpeg = std::make_unique<MjpegDecoder>();
    } else {
      return nullptr;
    }
    uint32_t want = wanted ? wanted->bitCount : 0;
    if (want == g->outBits) want = 0;
    if (want && want != 24 && want != 32) return nullptr;
    g->natural.make(g->width, g->height, g->outBits);
    if (want) g->wanted.make(g->width, g->height, want);
    if (g->outBits == 8) {
      g->tableEntries = avi::colourTableEntries(s->format);
      g->baseTable.assign(kTableBytes, 0);
      if (g->tableEntries)
        std::memcpy(g->baseTable.data(), s->format.data() + avi::get32(s->format.data()), g->tableEntries * 4);
      g->tableEntries = 256;  // palette changes may reach any entry
      g->updatePalette(0);
    }
    AVIStreamAddRef(s);
    return g.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

const BitmapInfoHeader* AVIStreamGetFrame(AVIGetFrame* g, int32_t pos) {
  if (!g) return nullptr;
  int64_t n = int64_t(pos) - g->stream->info.start;
  if (n < 0 || n >= static_cast<int64_t>(g->stream->index.size())) return nullptr;
  try {
    if (n != g->decoded && !g->decodeUpTo(static_cast<size_t>(n))) return nullptr;
  } catch (const std::bad_alloc&) {
    g->decoded = -1;
    return nullptr;
  }
  g->updatePalette(n);
  if (g->wanted.block.empty()) return g->natural.header();
  const uint32_t bits = g->wanted.header()->bitCount;
  for (uint32_t y = 0; y < g->height; ++y)
    dib::convertRow(g->natural.pixels() + y * g->natural.stride, g->outBits, g->natural.table(),
                    g->wanted.pixels() + y * g->wanted.stride, bits, g->width);
  return g->wanted.header();
}

void AVIStreamGetFrameClose(AVIGetFrame* g) {
  if (!g) return;
  AVIStreamRelease(g->stream);
  delete g;
}

TOL_NS_END
