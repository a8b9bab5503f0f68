// What lies behind the AVI handles of media/avi_file.h: the byte source of a
// file being read, its streams and their indexes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "media/avi_file.h"

TOL_NS_BEGIN
namespace avi {

// Random access to the bytes of a file being read (a file, or memory).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  uint64_t size() const { return size_; }
  // Exactly n bytes at pos, or false (nothing outside [0, size) is touched).
  bool readAt(uint64_t pos, void* dest, size_t n) {
    return pos <= size_ && n <= size_ - pos && (n == 0 || read(pos, dest, n));
  }

 protected:
  virtual bool read(uint64_t pos, void* dest, size_t n) = 0;
  uint64_t size_ = 0;
};

std::unique_ptr<ByteSource> openFileSource(const char* name);
std::unique_ptr<ByteSource> memorySource(const void* data, size_t size);

// One chunk of a stream: where its data lies and how long it is.
struct IndexEntry {
  uint64_t offset;  // first data byte
  uint32_t size;
  uint32_t key;  // 1 for a key frame
};

// A palette change chunk ('##pc') that takes effect at frame `frame`.
struct PaletteChange {
  uint32_t frame;
  uint64_t offset;
  uint32_t size;
};

struct Writer;
struct Compressor;

}  // namespace avi

struct AVIStream {
  AVIFile* file;
  AVIStream* target;  // a compressing stream: the stream it writes into
  std::unique_ptr<avi::Compressor> compressor;
  uint32_t refs = 1;
  uint32_t number = 0;  // stream number in chunk ids
  AVIStreamInfo info{};
  std::vector<uint8_t> format;
  // Reading.
  std::vector<avi::IndexEntry> index;
  std::vector<uint64_t> firstSample;  // sample-sized streams: first sample of each chunk
  std::vector<avi::PaletteChange> paletteChanges;
  std::vector<uint32_t> keyFrames;  // chunk numbers of key frames, ascending
  uint32_t sampleSize = 0;  // bytes per sample; 0: one chunk per sample
  // The 'indx' super index found in the header (OpenDML), raw.
  std::vector<uint8_t> superIndex;

  explicit AVIStream(AVIFile* owner, AVIStream* into = nullptr);
  ~AVIStream();
};

struct AVIFile {
  uint32_t refs = 1;
  std::unique_ptr<avi::ByteSource> source;  // reading
  std::unique_ptr<avi::Writer> writer;      // writing
  AVIFileInfo info{};
  std::vector<std::unique_ptr<AVIStream>> streams;

  AVIFile();
  ~AVIFile();
};

namespace avi {

// Reads headers and indexes; false when the file is not a usable AVI file.
bool parseFile(AVIFile& file);

// Applies one palette change to a colour table of `entries` blue, green,
// red, 0 entries.
void applyPaletteChange(ByteSource& src, const PaletteChange& pc, uint8_t* table, uint32_t entries);
// Entries of the colour table in a video format block (0 above 8 bits).
uint32_t colourTableEntries(const std::vector<uint8_t>& format);

// Standard index limits: at most this many chunks in all streams together.
constexpr size_t kMaxIndexEntries = size_t(1) << 24;

inline uint32_t get16(const uint8_t* p) { return p[0] | p[1] << 8; }
inline uint32_t get32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t get64(const uint8_t* p) { return get32(p) | static_cast<uint64_t>(get32(p + 4)) << 32; }

// Bytes per row of a DIB.
inline uint64_t dibStride(uint64_t width, uint32_t bits) { return (width * bits + 31) / 32 * 4; }

// The stream number of a chunk id "nnxx", or -1.
inline int chunkStream(uint32_t id) {
  int a = static_cast<int>(id & 0xFF) - '0', b = static_cast<int>(id >> 8 & 0xFF) - '0';
  return a >= 0 && a <= 9 && b >= 0 && b <= 9 ? a * 10 + b : -1;
}
inline uint32_t chunkKind(uint32_t id) { return id >> 16; }  // the two letters
inline bool isMotionJPEG(uint32_t compression) {
  return compression == kFourCCMJPG || compression == makeFourCC('m', 'j', 'p', 'g') ||
         compression == makeFourCC('A', 'V', 'R', 'n');
}

constexpr uint32_t kKindPalette = 'p' | 'c' << 8;

}  // namespace avi
TOL_NS_END
