// The Pleven writer: frames are encoded as they come (video symbols,
// palette chunk, sound kept as PCM); close builds the trees and writes the
// file in one pass, then rewrites the header and the frame tables.
#include "media/pleven_writer.h"

#include <algorithm>
#include <array>
#include <new>
#include <span>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "decode/pleven_format.h"
#include "decode/pleven_palette.h"
#include "fileio/tolfile.h"
#include "media/pleven_video_encode.h"
#include "util/huffman.h"
#include "util/sound_chunk.h"

struct PlevWriter {
  struct Frame {
    std::vector<uint32_t> symbols;
    std::vector<uint8_t> paletteChunk;
    std::array<std::vector<uint8_t>, PLEV_TRACKS> sound;
  };

  std::string name;
  PlevWriterSettings settings{};
  std::vector<Frame> frames;
  std::vector<uint8_t> canvas;        // the picture as the decoder will hold it
  std::vector<uint8_t> firstPicture;  // for the ring frame
  uint8_t palette[768] = {};          // the palette as the decoder will hold it
  uint8_t firstPalette[768] = {};
};

TOL_NS_BEGIN

namespace {

using namespace pleven;

struct TreeCloser {
  void operator()(HuffTree* t) const { HuffClose(t); }
};
using Tree = std::unique_ptr<HuffTree, TreeCloser>;

bool trackIsValid(const PlevWriterTrack& t) {
  if (t.rate == 0) return true;
  return t.rate > 0 && t.rate <= 0xFFFFFF && (t.bits == 8 || t.bits == 16) && (t.channels == 1 || t.channels == 2) &&
         t.level >= 0 && t.level <= 9;
}

soundchunk::Format formatOf(const PlevWriterTrack& t) {
  soundchunk::Format f;
  f.bits = static_cast<uint32_t>(t.bits);
  f.channels = static_cast<uint32_t>(t.channels);
  return f;
}

uint32_t trackWord(const PlevWriterTrack& t) {
  if (t.rate == 0) return 0;
  return PLEV_TRACK_HAS_SOUND | (t.compressed ? PLEV_TRACK_COMPRESSED : 0) | (t.channels == 2 ? PLEV_TRACK_STEREO : 0) |
         (t.bits == 16 ? PLEV_TRACK_16BIT : 0) | static_cast<uint32_t>(t.rate);
}

bool isKeyFrame(const PlevWriter* w, size_t index) {
  return index == 0 || (w->settings.keyInterval > 0 && index % static_cast<size_t>(w->settings.keyInterval) == 0);
}

// The palette chunk of a frame: against the previous palette, or in full
// (all entries new) for a key frame.
std::vector<uint8_t> paletteChunk(uint8_t* current, const uint8_t* wanted, bool full) {
  uint8_t next[768];
  std::memcpy(next, wanted, sizeof next);
  std::vector<uint8_t> chunk(kMaxPaletteChunk);
  size_t size;
  if (full) {
    size = 1;
    for (size_t i = 0; i < 768; ++i) {
      next[i] = widen6(next[i] >> 2);
      chunk[size++] = static_cast<uint8_t>(next[i] >> 2);
    }
    while (size % 4) chunk[size++] = 0;
    chunk[0] = static_cast<uint8_t>(size / 4);
  } else {
    size = buildPaletteChunk(current, next, chunk.data());
  }
  chunk.resize(size);
  std::memcpy(current, next, sizeof next);
  return chunk;
}

// Builds the four trees from the symbols of every frame and writes the tree
// block. Returns its size in bytes, or 0 on failure.
uint32_t writeTreeBlock(TOLFile* f, const std::vector<PlevWriter::Frame>& frames, Tree* trees,
                        uint32_t* tableSizes) {
  for (uint32_t t = 0; t < kTreeCount; ++t) {
    trees[t].reset(HuffOpen(0));
    if (!trees[t]) return 0;
    HuffSetOutput(trees[t].get(), f);
  }
  for (const auto& frame : frames) {
    for (auto& t : std::span(trees, kTreeCount)) HuffInitLasts(t.get());
    for (uint32_t s : frame.symbols) HuffAddStat(trees[symbolTree(s)].get(), symbolValue(s));
  }
  const uint32_t start = TOLFileGetPos(f);
  for (uint32_t t = 0; t < kTreeCount; ++t) {
    huffman::limitCountsForDepth(trees[t].get());
    if (HuffStartEncode(trees[t].get()) < 0) return 0;
    uint32_t leaves = 0;
    for (uint32_t v = 0; v < 65536; ++v) leaves += trees[t]->lengths[v] != huffman::kNoCode;
    tableSizes[t] = leaves * kTreeTableUnit;
  }
  TOLFileByteAlign(f);
  while ((TOLFileGetPos(f) - start) % 4) TOLFilePut8(f, 0);
  return TOLFileGetPos(f) - start;
}

struct FrameEntry {
  uint32_t size = 0;
  uint8_t type = 0;
};

bool writeFrames(TOLFile* f, PlevWriter* w, Tree* trees, std::vector<FrameEntry>& entries, uint32_t* maxSound) {
  HuffTree* soundTrees[4] = {};
  bool ok = true;
  for (auto& t : soundTrees) ok = ok && (t = HuffOpen(1)) != nullptr;
  for (size_t i = 0; ok && i < w->frames.size(); ++i) {
    const PlevWriter::Frame& frame = w->frames[i];
    FrameEntry& e = entries[i];
    const uint32_t start = TOLFileGetPos(f);
    if (!frame.paletteChunk.empty()) {
      e.type |= PLEV_TYPE_PALETTE;
      TOLFilePut(f, frame.paletteChunk.data(), static_cast<uint32_t>(frame.paletteChunk.size()));
    }
    for (int k = 0; k < PLEV_TRACKS; ++k) {
      const PlevWriterTrack& track = w->settings.tracks[k];
      const auto& pcm = frame.sound[k];
      if (track.rate == 0 || pcm.empty()) continue;
      const soundchunk::Format format = formatOf(track);
      const uint32_t bytes = static_cast<uint32_t>(pcm.size()) / format.frameBytes() * format.frameBytes();
      if (soundchunk::writeChunk(f, pcm.data(), bytes, format, soundchunk::levelQuantiser(track.level, format.bits),
                                 soundTrees, !track.compressed) == 0) {
        continue;
      }
      e.type |= PLEV_TYPE_SOUND(k);
      maxSound[k] = std::max(maxSound[k], bytes);
    }
    for (uint32_t t = 0; t < kTreeCount; ++t) HuffInitLasts(trees[t].get());
    for (uint32_t s : frame.symbols) HuffEncode(trees[symbolTree(s)].get(), symbolValue(s));
    TOLFileByteAlign(f);
    e.size = TOLFileGetPos(f) - start;
  }
  for (auto* t : soundTrees) HuffClose(t);
  return ok && !f->writeError;
}

void addRingFrame(PlevWriter* w) {
  PlevWriter::Frame ring;
  encodeVideo(w->firstPicture.data(), w->canvas.data(), w->settings.width, w->settings.height, false, ring.symbols);
  ring.paletteChunk = paletteChunk(w->palette, w->firstPalette, false);
  ring.sound = w->frames.front().sound;
  w->frames.push_back(std::move(ring));
}

bool writeFile(PlevWriter* w, const std::string& tempName) {
  TOLFile* f = TOLFileCreate(65536, tempName.c_str());
  if (!f) return false;
  const bool ring = w->settings.flags & PLEV_FLAG_RING_FRAME;
  const uint32_t frameCount = static_cast<uint32_t>(w->frames.size()) - (ring ? 1 : 0);
  const uint32_t entryCount = static_cast<uint32_t>(w->frames.size());
  ::PlevDecoder header{};
  header.magic = kMagic;
  header.width = w->settings.width;
  header.height = w->settings.height;
  header.frames = static_cast<int32_t>(frameCount);
  header.rate = w->settings.rate;
  header.flags = w->settings.flags & (PLEV_FLAG_RING_FRAME | PLEV_FLAG_DOUBLED | PLEV_FLAG_INTERLACED);
  for (int k = 0; k < PLEV_TRACKS; ++k) header.trackWords[k] = trackWord(w->settings.tracks[k]);

  std::vector<uint8_t> zeros(kHeaderSize + size_t{entryCount} * 5);
  TOLFilePut(f, zeros.data(), static_cast<uint32_t>(zeros.size()));
  Tree trees[kTreeCount];
  std::vector<FrameEntry> entries(entryCount);
  header.treeBlockSize = writeTreeBlock(f, w->frames, trees, header.treeTableSize);
  bool ok = header.treeBlockSize != 0 && writeFrames(f, w, trees, entries, header.maxSoundSize);
  if (ok) {
    std::vector<uint8_t> tables(zeros.size());
    for (uint32_t i = 0; i < kHeaderFields; ++i) store32(&tables[4 * i], headerWords(&header)[i]);
    for (uint32_t i = 0; i < entryCount; ++i) {
      store32(&tables[kHeaderSize + 4 * i], entries[i].size);
      tables[kHeaderSize + 4 * entryCount + i] = entries[i].type;
    }
    TOLFileSetPos(f, 0);
    TOLFilePut(f, tables.data(), static_cast<uint32_t>(tables.size()));
    TOLFileFlush(f);
    ok = !f->writeError;
  }
  TOLFileClose(f);
  return ok;
}

}  // namespace

PlevWriter* PlevWriterCreate(const char* name, const PlevWriterSettings* settings) {
  if (!name || !settings) return nullptr;
  const PlevWriterSettings& s = *settings;
  if (s.width < 1 || s.width > kMaxDimension || s.height < 1 || s.height > kMaxDimension ||
      uint64_t(s.width) * uint64_t(s.height) > kMaxPixels) {
    return nullptr;
  }
  for (const auto& t : s.tracks) {
    if (!trackIsValid(t)) return nullptr;
  }
  try {
    auto* w = new PlevWriter;
    w->name = name;
    w->settings = s;
    w->canvas.assign(static_cast<size_t>(s.width) * static_cast<size_t>(s.height), 0);
    return w;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

int32_t PlevWriterPutFrame(PlevWriter* w, const uint8_t* pixels, int32_t pitch, const uint8_t* palette,
                           const void* const* sound, const uint32_t* soundBytes) {
  if (!w || !pixels || !palette || pitch < w->settings.width) return 0;
  try {
    const size_t width = static_cast<size_t>(w->settings.width);
    std::vector<uint8_t> picture(w->canvas.size());
    for (int32_t y = 0; y < w->settings.height; ++y) {
      std::memcpy(&picture[width * static_cast<size_t>(y)], pixels + static_cast<size_t>(pitch) * y, width);
    }
    const size_t index = w->frames.size();
    const bool key = isKeyFrame(w, index);
    PlevWriter::Frame frame;
    encodeVideo(picture.data(), w->canvas.data(), w->settings.width, w->settings.height, key, frame.symbols);
    frame.paletteChunk = paletteChunk(w->palette, palette, key && index > 0);
    for (int k = 0; k < PLEV_TRACKS && sound && soundBytes; ++k) {
      if (sound[k] && soundBytes[k]) {
        const auto* bytes = static_cast<const uint8_t*>(sound[k]);
        frame.sound[k].assign(bytes, bytes + soundBytes[k]);
      }
    }
    if (index == 0) {
      w->firstPicture = picture;
      std::memcpy(w->firstPalette, w->palette, sizeof w->firstPalette);
    }
    w->frames.push_back(std::move(frame));
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int32_t PlevWriterClose(PlevWriter* w) {
  if (!w) return 0;
  bool ok = !w->frames.empty();
  const std::string tempName = w->name + ".tmp";
  try {
    if (ok && (w->settings.flags & PLEV_FLAG_RING_FRAME)) addRingFrame(w);
    ok = ok && writeFile(w, tempName);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (ok) {
    TOLFileErase(w->name.c_str());
    ok = TOLFileRename(w->name.c_str(), tempName.c_str()) == 0;
  }
  if (!ok) TOLFileErase(tempName.c_str());
  delete w;
  return ok ? 1 : 0;
}

TOL_NS_END
