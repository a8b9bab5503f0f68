// Reading an AVI file's structure: the RIFF walk (first part 'AVI ', further
// 'AVIX' parts), the header list and one index per stream, taken from the
// OpenDML indexes, else 'idx1', else by scanning the 'movi' lists.
#include <algorithm>
#include <cstring>

#include "media/avi_internal.h"

TOL_NS_BEGIN
namespace avi {
namespace {

constexpr uint32_t kRIFF = makeFourCC('R', 'I', 'F', 'F');
constexpr uint32_t kLIST = makeFourCC('L', 'I', 'S', 'T');
constexpr uint32_t kAVI = makeFourCC('A', 'V', 'I', ' ');
constexpr uint32_t kAVIX = makeFourCC('A', 'V', 'I', 'X');
constexpr uint32_t kHdrl = makeFourCC('h', 'd', 'r', 'l');
constexpr uint32_t kMovi = makeFourCC('m', 'o', 'v', 'i');
constexpr uint32_t kIdx1 = makeFourCC('i', 'd', 'x', '1');
constexpr uint32_t kAvih = makeFourCC('a', 'v', 'i', 'h');
constexpr uint32_t kStrl = makeFourCC('s', 't', 'r', 'l');
constexpr uint32_t kStrh = makeFourCC('s', 't', 'r', 'h');
constexpr uint32_t kStrf = makeFourCC('s', 't', 'r', 'f');
constexpr uint32_t kStrn = makeFourCC('s', 't', 'r', 'n');
constexpr uint32_t kIndx = makeFourCC('i', 'n', 'd', 'x');

constexpr uint32_t kMaxHeaderList = 16u << 20;  // a header list is a few KB
constexpr uint32_t kMaxFormat = 1u << 20;
constexpr uint32_t kMaxStreams = 100;  // two-digit stream numbers

// Chunks inside a byte range of memory: each call gives the next chunk that
// fits the range whole, or false.
struct MemChunks {
  const uint8_t* p;
  size_t size;
  size_t pos = 0;
  bool next(uint32_t& id, const uint8_t*& data, uint32_t& len) {
    if (size - pos < 8) return false;
    id = get32(p + pos);
    len = get32(p + pos + 4);
    if (len > size - pos - 8) return false;
    data = p + pos + 8;
    pos += 8 + static_cast<size_t>(len);
    if (pos < size && (len & 1)) ++pos;
    return true;
  }
};

struct Range {
  uint64_t begin, end;
};

class Parser {
 public:
  // Every chunk takes at least its 8-byte header, so a file holds at most
  // size / 8 of them, however often its indexes name them.
  Parser(AVIFile& f)
      : file_(f), src_(*f.source), fileSize_(src_.size()),
        maxEntries_(static_cast<size_t>(std::min<uint64_t>(kMaxIndexEntries, fileSize_ / 8 + 1))) {}
  bool run();

 private:
  bool walkPart(uint64_t pos, uint64_t end, bool first);
  bool parseHeaderList(uint64_t pos, uint64_t end);
  void parseStreamList(const uint8_t* p, size_t n);
  bool readOpenDML();
  bool readStandardIndex(AVIStream& s, uint64_t pos, uint64_t size);
  void addStandardEntries(AVIStream& s, const uint8_t* p, size_t n);
  bool readIdx1();
  void scan();
  void addChunk(uint32_t id, uint64_t data, uint32_t size, uint32_t key);
  void finishStream(AVIStream& s, bool scanned);
  void finishVideo(AVIStream& s, bool scanned);
  bool fits(uint64_t pos, uint64_t size) const { return pos <= fileSize_ && size <= fileSize_ - pos; }

  AVIFile& file_;
  ByteSource& src_;
  uint64_t fileSize_;
  size_t maxEntries_;
  uint64_t indexBytes_ = 0;
  bool haveHeader_ = false;
  uint8_t avih_[56] = {};
  std::vector<Range> movi_;
  uint64_t moviFourCC_ = 0;
  uint64_t idx1Pos_ = 0, idx1Size_ = 0;
  bool extraParts_ = false;
  size_t entries_ = 0;
};

bool Parser::run() {
  uint8_t h[12];
  if (!src_.readAt(0, h, 12) || get32(h) != kRIFF || get32(h + 8) != kAVI) return false;
  uint64_t size = get32(h + 4);
  uint64_t end = std::min<uint64_t>(8 + size, fileSize_);
  if (size == 0) end = fileSize_;  // a writer that never came back to fill it in
  if (!walkPart(12, end, true) || !haveHeader_) return false;
  // Further parts follow the first one directly.
  for (uint64_t pos = end + (end & 1); pos + 12 <= fileSize_;) {
    if (!src_.readAt(pos, h, 12) || get32(h) != kRIFF || get32(h + 8) != kAVIX) break;
    uint64_t partEnd = std::min<uint64_t>(pos + 8 + get32(h + 4), fileSize_);
    extraParts_ = true;
    walkPart(pos + 12, partEnd, false);
    pos = partEnd + (partEnd & 1);
  }

  bool scanned = false;
  if (!readOpenDML()) {
    for (auto& s : file_.streams) s->index.clear(), s->paletteChanges.clear();
    entries_ = 0;
    if (extraParts_ || !readIdx1()) {
      for (auto& s : file_.streams) s->index.clear(), s->paletteChanges.clear();
      entries_ = 0;
      scan();
      scanned = true;
    }
  }
  for (auto& s : file_.streams) finishStream(*s, scanned);

  AVIFileInfo& fi = file_.info;
  fi.maxBytesPerSec = get32(avih_ + 4);
  fi.flags = get32(avih_ + 12);
  fi.streams = static_cast<uint32_t>(file_.streams.size());
  fi.suggestedBufferSize = get32(avih_ + 28);
  fi.width = get32(avih_ + 32);
  fi.height = get32(avih_ + 36);
  fi.scale = get32(avih_);
  fi.rate = 1000000;
  for (auto& s : file_.streams) {
    if (s->info.fccType != kStreamTypeVideo) continue;
    fi.length = s->info.length;
    if (fi.scale == 0) fi.scale = s->info.scale, fi.rate = s->info.rate;
    break;
  }
  std::strcpy(fi.fileType, "AVI");
  return true;
}

// The chunks of one RIFF part; false when its header list is unusable.
bool Parser::walkPart(uint64_t pos, uint64_t end, bool first) {
  uint8_t h[12];
  while (pos + 8 <= end && src_.readAt(pos, h, 8)) {
    uint32_t id = get32(h);
    uint64_t size = get32(h + 4);
    uint64_t dataEnd = pos + 8 + size;
    bool truncated = dataEnd > end;
    if (truncated) dataEnd = end;
    if (id == kLIST && dataEnd - pos >= 12 && src_.readAt(pos + 8, h + 8, 4)) {
      uint32_t type = get32(h + 8);
      if (type == kHdrl && first && !haveHeader_) {
        if (truncated || !parseHeaderList(pos + 12, dataEnd)) return false;
      } else if (type == kMovi) {
        if (first && moviFourCC_ == 0) moviFourCC_ = pos + 8;
        movi_.push_back({pos + 12, dataEnd});
      }
    } else if (id == kIdx1 && first) {
      idx1Pos_ = pos + 8;
      idx1Size_ = dataEnd - idx1Pos_;
    }
    if (truncated) break;
    pos = dataEnd + (size & 1);
  }
  return true;
}

bool Parser::parseHeaderList(uint64_t pos, uint64_t end) {
  uint64_t n = end - pos;
  if (n > kMaxHeaderList) return false;
  std::vector<uint8_t> buf(static_cast<size_t>(n));
  if (!src_.readAt(pos, buf.data(), buf.size())) return false;
  MemChunks chunks{buf.data(), buf.size()};
  uint32_t id, len;
  const uint8_t* data;
  while (chunks.next(id, data, len)) {
    if (id == kAvih) {
      std::memcpy(avih_, data, std::min<size_t>(len, sizeof avih_));
    } else if (id == kLIST && len >= 4 && get32(data) == kStrl) {
      if (file_.streams.size() >= kMaxStreams) continue;
      parseStreamList(data + 4, len - 4);
    }
  }
  haveHeader_ = true;  // a list without 'avih' still describes the streams
  return true;
}

void Parser::parseStreamList(const uint8_t* p, size_t n) {
  auto s = std::make_unique<AVIStream>(&file_);
  s->number = static_cast<uint32_t>(file_.streams.size());
  AVIStreamInfo& si = s->info;
  MemChunks chunks{p, n};
  uint32_t id, len;
  const uint8_t* d;
  while (chunks.next(id, d, len)) {
    if (id == kStrh && len >= 48) {
      si.fccType = get32(d);
      si.fccHandler = get32(d + 4);
      si.flags = get32(d + 8);
      si.priority = static_cast<uint16_t>(get16(d + 12));
      si.language = static_cast<uint16_t>(get16(d + 14));
      si.initialFrames = get32(d + 16);
      si.scale = get32(d + 20);
      si.rate = get32(d + 24);
      si.start = get32(d + 28);
      si.length = get32(d + 32);
      si.suggestedBufferSize = get32(d + 36);
      si.quality = get32(d + 40);
      si.sampleSize = get32(d + 44);
      if (len >= 56) {
        si.frame.left = static_cast<int16_t>(get16(d + 48));
        si.frame.top = static_cast<int16_t>(get16(d + 50));
        si.frame.right = static_cast<int16_t>(get16(d + 52));
        si.frame.bottom = static_cast<int16_t>(get16(d + 54));
      }
    } else if (id == kStrf && len <= kMaxFormat) {
      s->format.assign(d, d + len);
    } else if (id == kStrn) {
      size_t k = std::min<size_t>(len, sizeof si.name - 1);
      std::memcpy(si.name, d, k);
      si.name[k] = 0;
    } else if (id == kIndx && len >= 24) {
      s->superIndex.assign(d, d + len);
    }
  }
  file_.streams.push_back(std::move(s));
}

// Every stream's OpenDML index; false when any stream lacks a usable one.
bool Parser::readOpenDML() {
  if (file_.streams.empty()) return false;
  for (auto& sp : file_.streams) {
    AVIStream& s = *sp;
    const std::vector<uint8_t>& x = s.superIndex;
    if (x.size() < 24) return false;
    uint32_t longs = get16(x.data()), type = x[3], inUse = get32(x.data() + 4);
    if (type == 1) {  // the chunks themselves, straight in the header
      addStandardEntries(s, x.data(), x.size());
      continue;
    }
    if (type != 0 || longs != 4) return false;
    size_t n = std::min<size_t>(inUse, (x.size() - 24) / 16);
    for (size_t i = 0; i < n; ++i) {
      const uint8_t* e = x.data() + 24 + 16 * i;
      if (!readStandardIndex(s, get64(e), get32(e + 8))) return false;
    }
  }
  return true;
}

bool Parser::readStandardIndex(AVIStream& s, uint64_t pos, uint64_t size) {
  // The standard indexes of a file lie in it side by side: reading more than
  // the file's size means super index entries name the same ones again.
  indexBytes_ += size;
  if (size < 32 || !fits(pos, size) || indexBytes_ > fileSize_) return false;
  std::vector<uint8_t> buf(static_cast<size_t>(size));
  if (!src_.readAt(pos, buf.data(), buf.size())) return false;
  uint64_t len = std::min<uint64_t>(get32(buf.data() + 4), size - 8);
  if (len < 24) return false;
  addStandardEntries(s, buf.data() + 8, static_cast<size_t>(len));
  return true;
}

// The entries of a standard index (its body, from wLongsPerEntry on).
void Parser::addStandardEntries(AVIStream& s, const uint8_t* p, size_t n) {
  uint32_t longs = get16(p), type = p[3];
  if (type != 1 || longs < 2 || n < 24) return;
  size_t stride = 4 * static_cast<size_t>(longs);
  size_t count = std::min<size_t>(get32(p + 4), (n - 24) / stride);
  uint64_t base = get64(p + 12);
  for (size_t i = 0; i < count && entries_ < maxEntries_; ++i) {
    const uint8_t* e = p + 24 + stride * i;
    uint64_t off = base + get32(e);
    uint32_t word = get32(e + 4), size = word & 0x7FFFFFFF;
    if (off < base || !fits(off, size)) continue;
    s.index.push_back({off, size, word >> 31 ? 0u : 1u});
    ++entries_;
  }
}

bool Parser::readIdx1() {
  if (idx1Size_ < 16 || moviFourCC_ == 0) return false;
  size_t count = static_cast<size_t>(std::min<uint64_t>(idx1Size_ / 16, maxEntries_));
  constexpr size_t kBlock = 4096;
  std::vector<uint8_t> buf(kBlock * 16);
  uint64_t base = moviFourCC_;
  bool baseKnown = false;
  for (size_t done = 0; done < count;) {
    size_t k = std::min(kBlock, count - done);
    if (!src_.readAt(idx1Pos_ + 16 * done, buf.data(), 16 * k)) return false;
    for (size_t i = 0; i < k; ++i) {
      const uint8_t* e = buf.data() + 16 * i;
      uint32_t id = get32(e), flags = get32(e + 4), off = get32(e + 8), size = get32(e + 12);
      if (chunkStream(id) < 0) continue;
      if (!baseKnown) {
        // Offsets count from the 'movi' fourcc, or (some writers) from the
        // file's start: the first entry whose chunk id is found decides.
        uint8_t h[4];
        for (uint64_t b : {moviFourCC_, uint64_t(0)})
          if (src_.readAt(b + off, h, 4) && get32(h) == id) {
            base = b;
            baseKnown = true;
            break;
          }
      }
      uint64_t data = base + off + 8;
      if (!fits(data, size)) continue;
      addChunk(id, data, size, flags & kAVIKeyFrame ? 1 : 0);
    }
    done += k;
  }
  return entries_ > 0;
}

void Parser::scan() {
  uint8_t h[8];
  for (const Range& r : movi_) {
    uint64_t pos = r.begin;
    while (pos + 8 <= r.end && entries_ < maxEntries_ && src_.readAt(pos, h, 8)) {
      uint32_t id = get32(h), size = get32(h + 4);
      if (id == kLIST) {  // 'rec ' groups: walk into them
        pos += 12;
        continue;
      }
      uint64_t data = pos + 8;
      if (size > r.end - data) break;
      addChunk(id, data, size, 1);
      pos = data + size + (size & 1);
    }
  }
}

void Parser::addChunk(uint32_t id, uint64_t data, uint32_t size, uint32_t key) {
  int n = chunkStream(id);
  if (n < 0 || static_cast<size_t>(n) >= file_.streams.size()) return;
  AVIStream& s = *file_.streams[n];
  if (chunkKind(id) == kKindPalette) {
    if (s.info.fccType == kStreamTypeVideo)
      s.paletteChanges.push_back({static_cast<uint32_t>(s.index.size()), data, size});
    return;
  }
  s.index.push_back({data, size, key});
  ++entries_;
}

void Parser::finishStream(AVIStream& s, bool scanned) {
  AVIStreamInfo& si = s.info;
  constexpr uint64_t kMaxLength = 0x7FFFFFFF;
  if (si.fccType == kStreamTypeAudio && s.format.size() >= 14) {
    uint32_t tag = get16(s.format.data()), align = get16(s.format.data() + 12);
    if (tag == 1 && align > 0) si.sampleSize = align;  // PCM: always whole blocks
    if (si.scale == 0 || si.rate == 0) si.scale = 1, si.rate = get32(s.format.data() + 4);
  }
  if (si.fccType == kStreamTypeVideo) si.sampleSize = 0;
  s.sampleSize = si.sampleSize;
  uint64_t length = 0;
  uint32_t largest = 0;
  if (s.sampleSize) {
    s.firstSample.resize(s.index.size());
    for (size_t i = 0; i < s.index.size(); ++i) {
      s.firstSample[i] = length;
      length += s.index[i].size / s.sampleSize;
    }
  } else {
    length = s.index.size();
  }
  for (const IndexEntry& e : s.index) largest = std::max(largest, e.size);
  si.length = static_cast<uint32_t>(std::min(length, kMaxLength));
  if (si.start > kMaxLength - si.length) si.start = 0;
  if (si.suggestedBufferSize == 0) si.suggestedBufferSize = largest;
  si.formatChangeCount = static_cast<uint32_t>(s.paletteChanges.size());
  if (si.fccType == kStreamTypeVideo) finishVideo(s, scanned);
  if (!s.index.empty()) s.index[0].key = 1;
  for (size_t i = 0; i < s.index.size(); ++i)
    if (s.index[i].key) s.keyFrames.push_back(static_cast<uint32_t>(i));
}

void Parser::finishVideo(AVIStream& s, bool scanned) {
  AVIStreamInfo& si = s.info;
  if (si.scale == 0 || si.rate == 0) {
    uint32_t usec = get32(avih_);
    si.scale = usec ? usec : 1;
    si.rate = usec ? 1000000 : 15;
  }
  if (s.format.size() < sizeof(BitmapInfoHeader)) return;
  BitmapInfoHeader bi;
  std::memcpy(&bi, s.format.data(), sizeof bi);
  if (si.frame.right <= si.frame.left || si.frame.bottom <= si.frame.top) {
    int64_t h = bi.height < 0 ? -int64_t(bi.height) : bi.height;
    si.frame = {0, 0, bi.width > 0 ? bi.width : 0, static_cast<int32_t>(std::min<int64_t>(h, 0x7FFFFFFF))};
  }
  // Frames that stand alone whatever the index says; RLE8 frames found by
  // scanning have no key flags, so only the first counts as one.
  bool whole = (bi.compression == 0 || isMotionJPEG(bi.compression));
  for (size_t i = 0; i < s.index.size(); ++i) {
    if (whole) s.index[i].key = 1;
    else if (scanned) s.index[i].key = i == 0;
  }
}

}  // namespace

bool parseFile(AVIFile& file) {
  try {
    return Parser(file).run();
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace avi
TOL_NS_END
