// Writing AVI files. Chunks go out in the order they are written (so the
// caller's order is the interleaving) after a header area of fixed size that
// is filled in when the file is finished. The first RIFF part gets an 'idx1'
// index; when a part would pass the segment limit it is closed and the file
// goes on in 'RIFF AVIX' parts, and every part then gets 'ix##' standard
// indexes that the streams' 'indx' super indexes point to.
#include <algorithm>
#include <cstring>
#include <new>

#include "fileio/tolfile.h"
#include "media/avi_internal.h"
#include "media/mjpeg_encoder.h"

TOL_NS_BEGIN
namespace avi {
namespace {

constexpr uint32_t kRIFF = makeFourCC('R', 'I', 'F', 'F');
constexpr uint32_t kLIST = makeFourCC('L', 'I', 'S', 'T');
constexpr uint32_t kJUNK = makeFourCC('J', 'U', 'N', 'K');

constexpr uint32_t kSuperIndexBytes = 24 + 16 * kAVIMaxSegments;
constexpr uint32_t kDmlhBytes = 248;
// Room for the largest header: the header list with 'avih', every stream's
// list with the largest format and a super index, and the OpenDML list.
constexpr uint32_t kHeaderMax = 12 + 12 + 8 + 56 +
                                kAVIMaxWriteStreams * (12 + 8 + 56 + 8 + kAVIMaxFormatBytes + 8 + kSuperIndexBytes) +
                                12 + 8 + kDmlhBytes + 8;
constexpr uint32_t kMoviAt = (kHeaderMax + 2047) / 2048 * 2048;  // first part's 'movi' list
constexpr uint32_t kFileBuffer = 256 * 1024;
constexpr uint32_t kIndexNotKey = 0x80000000;
constexpr uint32_t kIdx1NoTime = 0x100;  // a palette change: takes no time

// Little-endian bytes into a growing block.
struct Bytes {
  std::vector<uint8_t> b;
  void u16(uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }
  void u32(uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); }
  void u64(uint64_t v) { u32(uint32_t(v)), u32(uint32_t(v >> 32)); }
  void raw(const void* p, size_t n) { b.insert(b.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n); }
  void zeros(size_t n) { b.insert(b.end(), n, 0); }
  size_t open(uint32_t id, uint32_t listType = 0) {  // a chunk whose size comes later
    u32(id);
    size_t at = b.size();
    u32(0);
    if (listType) u32(listType);
    return at;
  }
  void close(size_t at) {
    uint32_t n = static_cast<uint32_t>(b.size() - at - 4);
    std::memcpy(b.data() + at, &n, 4);
    if (n & 1) b.push_back(0);
  }
};

uint32_t chunkId(uint32_t number, char a, char b) {
  return makeFourCC(char('0' + number / 10), char('0' + number % 10), a, b);
}

}  // namespace

struct SuperEntry {
  uint64_t offset;
  uint32_t size, duration;
};

struct StreamState {
  uint32_t id = 0;           // chunk id of the data chunks, once known
  size_t partFirst = 0;      // the stream's first index entry of the current part
  uint64_t partSamples = 0;  // samples in the current part
  uint32_t largest = 0;
  std::vector<SuperEntry> super;
  std::vector<uint8_t> palette;  // 8-bit video: the colour table in force
  bool paletteDue = false;       // a palette change goes out before the next frame
};

struct Idx1Entry {
  uint32_t id, flags, offset, size;
};

struct Writer {
  TOLFile* out = nullptr;
  uint32_t limit = kAVIDefaultSegmentLimit;
  uint32_t partStart = 0;  // the current part's RIFF header
  uint32_t moviStart = 0;  // its 'movi' LIST header
  uint32_t pos = 0;        // where the next chunk goes
  uint32_t firstPartSize = 0;
  uint32_t parts = 0;
  uint32_t firstPartFrames = 0;
  bool failed = false;
  std::vector<Idx1Entry> idx1;
  std::vector<StreamState> states;

  bool put(const void* p, uint32_t n) {
    if (!failed && (TOLFilePut(out, p, n) != n || out->writeError)) failed = true;
    return !failed;
  }
  bool putAt(uint32_t at, const void* p, uint32_t n) {
    TOLFileSetPos(out, at);
    return put(p, n);
  }
  void put32At(uint32_t at, uint32_t v) { putAt(at, &v, 4); }
  void startMovi(bool first);
  uint64_t standardIndexBytes(const AVIFile& f) const;
  bool closePart(AVIFile& f, bool openDML);
  bool writeChunk(AVIFile& f, AVIStream& s, uint32_t id, const void* data, uint32_t size, bool key);
  void finish(AVIFile& f);
  void writeHeader(AVIFile& f, bool openDML);
};

struct Compressor {
  MjpegEncoder encoder;
  int quality = 75;
  std::vector<uint8_t> input;  // the incoming DIB format, colour table included
};

void Writer::startMovi(bool first) {
  Bytes b;
  if (!first) {
    b.u32(kRIFF), b.u32(0), b.u32(makeFourCC('A', 'V', 'I', 'X'));
  }
  b.u32(kLIST), b.u32(0), b.u32(makeFourCC('m', 'o', 'v', 'i'));
  partStart = first ? 0 : pos;
  moviStart = first ? kMoviAt : pos + 12;
  if (first) {
    std::vector<uint8_t> zeros(kMoviAt);  // the header area, filled at the end
    put(zeros.data(), kMoviAt);
  }
  TOLFileSetPos(out, moviStart - (first ? 0 : 12));
  put(b.b.data(), static_cast<uint32_t>(b.b.size()));
  pos = moviStart + 12;
  ++parts;
}

// Bytes that the standard indexes of the current part take.
uint64_t Writer::standardIndexBytes(const AVIFile& f) const {
  uint64_t n = 0;
  for (size_t i = 0; i < states.size(); ++i) {
    size_t entries = f.streams[i]->index.size() - states[i].partFirst;
    if (entries) n += 8 + 24 + 8 * uint64_t(entries);
  }
  return n;
}

// Ends the current part: its standard indexes (OpenDML), the 'movi' size,
// 'idx1' for the first part, the RIFF size.
bool Writer::closePart(AVIFile& f, bool openDML) {
  TOLFileSetPos(out, pos);
  if (openDML) {
    for (size_t i = 0; i < states.size(); ++i) {
      AVIStream& s = *f.streams[i];
      StreamState& st = states[i];
      size_t first = st.partFirst, count = s.index.size() - first;
      if (count == 0) continue;
      uint64_t base = moviStart;
      Bytes b;
      size_t at = b.open(makeFourCC('i', 'x', char('0' + s.number / 10), char('0' + s.number % 10)));
      b.u16(2), b.b.push_back(0), b.b.push_back(1);  // 2 longs an entry, index of chunks
      b.u32(static_cast<uint32_t>(count)), b.u32(st.id), b.u64(base), b.u32(0);
      for (size_t k = first; k < s.index.size(); ++k) {
        const IndexEntry& e = s.index[k];
        b.u32(static_cast<uint32_t>(e.offset - base));
        b.u32(e.size | (e.key ? 0 : kIndexNotKey));
      }
      b.close(at);
      st.super.push_back({pos, static_cast<uint32_t>(b.b.size()), static_cast<uint32_t>(st.partSamples)});
      put(b.b.data(), static_cast<uint32_t>(b.b.size()));
      pos += static_cast<uint32_t>(b.b.size());
      st.partFirst = s.index.size();
      st.partSamples = 0;
    }
  }
  put32At(moviStart + 4, pos - moviStart - 8);
  TOLFileSetPos(out, pos);
  if (parts == 1) {
    Bytes b;
    b.u32(makeFourCC('i', 'd', 'x', '1')), b.u32(static_cast<uint32_t>(16 * idx1.size()));
    for (const Idx1Entry& e : idx1) b.u32(e.id), b.u32(e.flags), b.u32(e.offset), b.u32(e.size);
    put(b.b.data(), static_cast<uint32_t>(b.b.size()));
    pos += static_cast<uint32_t>(b.b.size());
    firstPartSize = pos - 8;
  }
  put32At(partStart + 4, pos - partStart - 8);
  TOLFileSetPos(out, pos);
  return !failed;
}

bool Writer::writeChunk(AVIFile& f, AVIStream& s, uint32_t id, const void* data, uint32_t size, bool key) {
  if (failed) return false;
  if (parts == 0) startMovi(true);
  const uint64_t chunk = 8 + uint64_t(size) + (size & 1);
  auto partBytes = [&] {  // the current part with this chunk and its indexes
    uint64_t n = pos - partStart + chunk + standardIndexBytes(f) + 8 * states.size() + 32;
    if (parts == 1) n += 8 + 16 * (idx1.size() + 1);
    return n;
  };
  // A chunk that does not fit is refused; the file stays whole up to it.
  const bool newPart = partBytes() > limit && pos > moviStart + 12;
  if (newPart && parts >= kAVIMaxSegments) return false;
  if (pos + chunk + standardIndexBytes(f) + 8 * uint64_t(states.size()) + 64 + 16 * idx1.size() + (newPart ? 24 : 0) >
      0xFFFFFFFFu)
    return false;  // the buffered file I/O counts in 32 bits
  if (newPart) {
    if (!closePart(f, true)) return false;
    startMovi(false);
  }
  uint32_t head[2] = {id, size};
  const uint8_t pad = 0;
  if (!put(head, 8) || !put(data, size) || ((size & 1) && !put(&pad, 1))) return false;
  if (chunkKind(id) != kKindPalette) s.index.push_back({pos + 8, size, key ? 1u : 0u});
  if (parts == 1) {
    uint32_t flags = chunkKind(id) == kKindPalette ? kIdx1NoTime : key ? kAVIKeyFrame : 0;
    idx1.push_back({id, flags, pos - (kMoviAt + 8), size});
  }
  pos += static_cast<uint32_t>(chunk);
  return true;
}

void Writer::writeHeader(AVIFile& f, bool openDML) {
  const AVIStream* video = nullptr;
  for (auto& s : f.streams)
    if (!video && s->info.fccType == kStreamTypeVideo) video = s.get();
  BitmapInfoHeader bi{};
  if (video && video->format.size() >= sizeof bi) std::memcpy(&bi, video->format.data(), sizeof bi);
  uint32_t largest = 0;
  for (auto& st : states) largest = std::max(largest, st.largest);
  double seconds = 0;
  for (auto& s : f.streams)
    if (s->info.rate) seconds = std::max(seconds, double(s->info.length) * s->info.scale / s->info.rate);

  Bytes b;
  b.u32(kRIFF), b.u32(firstPartSize), b.u32(makeFourCC('A', 'V', 'I', ' '));
  size_t hdrl = b.open(kLIST, makeFourCC('h', 'd', 'r', 'l'));
  b.u32(makeFourCC('a', 'v', 'i', 'h')), b.u32(56);
  b.u32(video && video->info.rate ? uint32_t(1e6 * video->info.scale / video->info.rate + 0.5) : 0);
  b.u32(seconds > 0 ? uint32_t(std::min(4e9, pos / seconds)) : 0);
  b.u32(0);                                                  // padding granularity
  b.u32(0x10 | (f.streams.size() > 1 ? 0x100 : 0));          // has index, interleaved
  b.u32(firstPartFrames), b.u32(0), b.u32(static_cast<uint32_t>(f.streams.size()));
  b.u32(largest + 8);
  b.u32(static_cast<uint32_t>(bi.width)), b.u32(static_cast<uint32_t>(bi.height < 0 ? -bi.height : bi.height));
  b.zeros(16);
  for (size_t i = 0; i < f.streams.size(); ++i) {
    const AVIStream& s = *f.streams[i];
    const AVIStreamInfo& si = s.info;
    size_t strl = b.open(kLIST, makeFourCC('s', 't', 'r', 'l'));
    b.u32(makeFourCC('s', 't', 'r', 'h')), b.u32(56);
    b.u32(si.fccType), b.u32(si.fccHandler), b.u32(si.flags), b.u16(si.priority), b.u16(si.language);
    b.u32(si.initialFrames), b.u32(si.scale), b.u32(si.rate), b.u32(si.start), b.u32(si.length);
    b.u32(states[i].largest), b.u32(si.quality), b.u32(si.sampleSize);
    b.u16(uint16_t(si.frame.left)), b.u16(uint16_t(si.frame.top));
    b.u16(uint16_t(si.frame.right)), b.u16(uint16_t(si.frame.bottom));
    size_t strf = b.open(makeFourCC('s', 't', 'r', 'f'));
    b.raw(s.format.data(), s.format.size());
    b.close(strf);
    if (openDML) {
      const StreamState& st = states[i];
      b.u32(makeFourCC('i', 'n', 'd', 'x')), b.u32(kSuperIndexBytes);
      b.u16(4), b.b.push_back(0), b.b.push_back(0);  // 4 longs an entry, index of indexes
      b.u32(static_cast<uint32_t>(st.super.size())), b.u32(st.id), b.zeros(12);
      for (const SuperEntry& e : st.super) b.u64(e.offset), b.u32(e.size), b.u32(e.duration);
      b.zeros(16 * (kAVIMaxSegments - st.super.size()));
    }
    b.close(strl);
  }
  if (openDML) {
    size_t odml = b.open(kLIST, makeFourCC('o', 'd', 'm', 'l'));
    b.u32(makeFourCC('d', 'm', 'l', 'h')), b.u32(kDmlhBytes);
    b.u32(video ? video->info.length : 0);
    b.zeros(kDmlhBytes - 4);
    b.close(odml);
  }
  b.close(hdrl);
  const uint32_t junk = static_cast<uint32_t>(kMoviAt - b.b.size() - 8);
  b.u32(kJUNK), b.u32(junk);
  b.b.resize(kMoviAt, 0);
  putAt(0, b.b.data(), kMoviAt);
}

void Writer::finish(AVIFile& f) {
  if (parts == 0) startMovi(true);
  bool openDML = parts > 1;
  closePart(f, openDML);
  // 'avih' counts the frames of the first part (the whole count is in 'dmlh').
  for (auto& s : f.streams) {
    if (s->info.fccType != kStreamTypeVideo) continue;
    uint32_t id = states[s->number].id;
    firstPartFrames = static_cast<uint32_t>(
        std::count_if(idx1.begin(), idx1.end(), [id](const Idx1Entry& e) { return id && e.id == id; }));
    break;
  }
  writeHeader(f, openDML);
  TOLFileClose(out);
  out = nullptr;
}

}  // namespace avi

AVIStream::AVIStream(AVIFile* owner, AVIStream* into) : file(owner), target(into) {}
AVIStream::~AVIStream() = default;

AVIFile::AVIFile() = default;
AVIFile::~AVIFile() {
  if (writer && writer->out) {
    try {
      writer->finish(*this);
    } catch (const std::bad_alloc&) {
      TOLFileClose(writer->out);
    }
  }
}

namespace {

avi::Writer* writerOf(AVIStream* s) { return s && !s->target && s->file->writer ? s->file->writer.get() : nullptr; }

int32_t compressedSetFormat(AVIStream* s, const void* format, int32_t size) {
  if (size < static_cast<int32_t>(sizeof(BitmapInfoHeader))) return kAVIErrBadFormat;
  BitmapInfoHeader in;
  std::memcpy(&in, format, sizeof in);
  int64_t h = in.height < 0 ? -int64_t(in.height) : in.height;
  if (in.compression != 0 || (in.bitCount != 8 && in.bitCount != 24 && in.bitCount != 32) || in.width <= 0 ||
      in.width > 16384 || h <= 0 || h > 16384)
    return kAVIErrBadFormat;
  std::vector<uint8_t> block(static_cast<const uint8_t*>(format), static_cast<const uint8_t*>(format) + size);
  if (in.bitCount == 8) {
    block.resize(std::max<size_t>(block.size(), in.size + 256 * 4), 0);
    if (avi::colourTableEntries(block) == 0) return kAVIErrBadFormat;
  }
  BitmapInfoHeader out{};
  out.size = sizeof out;
  out.width = in.width;
  out.height = static_cast<int32_t>(h);
  out.planes = 1;
  out.bitCount = 24;
  out.compression = kFourCCMJPG;
  out.sizeImage = static_cast<uint32_t>(in.width * h * 3);
  int32_t r = AVIStreamSetFormat(s->target, 0, &out, sizeof out);
  if (r != kAVIErrOK) return r;
  s->compressor->input = std::move(block);
  return kAVIErrOK;
}

int32_t compressedWrite(AVIStream* s, int32_t pos, const void* buffer, int32_t bytes, int32_t* samples,
                        int32_t* written) {
  avi::Compressor& c = *s->compressor;
  if (c.input.empty()) return kAVIErrBadFormat;
  BitmapInfoHeader in;
  std::memcpy(&in, c.input.data(), sizeof in);
  uint32_t h = static_cast<uint32_t>(in.height < 0 ? -int64_t(in.height) : in.height);
  uint64_t stride = avi::dibStride(static_cast<uint32_t>(in.width), in.bitCount);
  if (!buffer || bytes < 0 || uint64_t(bytes) < stride * h) return kAVIErrBadParam;
  size_t size = 0;
  const uint8_t* jpeg = c.encoder.encode(static_cast<const uint8_t*>(buffer), stride, in.height < 0, in.bitCount,
                                         c.input.data() + in.size, static_cast<uint32_t>(in.width), h, c.quality,
                                         &size);
  if (!jpeg || size > 0x7FFFFFFF) return kAVIErrUnsupported;
  return AVIStreamWrite(s->target, pos, 1, jpeg, static_cast<int32_t>(size), kAVIKeyFrame, samples, written);
}

}  // namespace

AVIFile* AVIFileCreate(const char* name, uint32_t segmentLimit) {
  if (!name) return nullptr;
  TOLFileErase(name);
  try {
    auto f = std::make_unique<AVIFile>();
    f->writer = std::make_unique<avi::Writer>();
    f->writer->limit = segmentLimit == 0 ? kAVIDefaultSegmentLimit : std::max(segmentLimit, kAVIMinSegmentLimit);
    f->writer->out = TOLFileCreate(static_cast<int32_t>(avi::kFileBuffer), name);
    if (!f->writer->out) return nullptr;
    std::strcpy(f->info.fileType, "AVI");
    return f.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

AVIStream* AVIFileCreateStream(AVIFile* file, const AVIStreamInfo* info) {
  if (!file || !file->writer || !info || file->streams.size() >= kAVIMaxWriteStreams) return nullptr;
  try {
    auto s = std::make_unique<AVIStream>(file);
    s->number = static_cast<uint32_t>(file->streams.size());
    s->info = *info;
    s->info.start = 0;
    s->info.length = 0;
    if (s->info.fccType == kStreamTypeVideo) s->info.sampleSize = 0;
    if (s->info.scale == 0 || s->info.rate == 0) return nullptr;
    file->writer->states.emplace_back();
    file->streams.push_back(std::move(s));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  AVIStream* s = file->streams.back().get();
  AVIStreamAddRef(s);
  return s;
}

int32_t AVIStreamSetFormat(AVIStream* s, int32_t pos, const void* format, int32_t size) {
  if (!s || !format || size <= 0) return kAVIErrBadParam;
  if (s->compressor) return compressedSetFormat(s, format, size);
  avi::Writer* w = writerOf(s);
  if (!w) return kAVIErrReadOnly;
  if (static_cast<uint32_t>(size) > kAVIMaxFormatBytes) return kAVIErrBadFormat;
  const auto* p = static_cast<const uint8_t*>(format);
  avi::StreamState& st = w->states[s->number];
  try {
    if (s->format.empty() || s->index.empty()) {
      bool video = s->info.fccType == kStreamTypeVideo, audio = s->info.fccType == kStreamTypeAudio;
      if ((video && static_cast<size_t>(size) < sizeof(BitmapInfoHeader)) || (audio && size < 14))
        return kAVIErrBadFormat;
      s->format.assign(p, p + size);
      if (video) {
        BitmapInfoHeader bi;
        std::memcpy(&bi, p, sizeof bi);
        if (s->info.frame.right <= s->info.frame.left || s->info.frame.bottom <= s->info.frame.top)
          s->info.frame = {0, 0, bi.width, bi.height < 0 ? -bi.height : bi.height};
        uint32_t entries = avi::colourTableEntries(s->format);
        if (entries) st.palette.assign(p + bi.size, p + bi.size + entries * 4);
        st.paletteDue = false;
      }
      if (audio && s->info.sampleSize == 0) s->info.sampleSize = avi::get16(p + 12);
      return kAVIErrOK;
    }
    // Later calls: the same block, or (8-bit video) a new colour table.
    if (s->format.size() != static_cast<size_t>(size)) return kAVIErrUnsupported;
    uint32_t entries = s->info.fccType == kStreamTypeVideo ? avi::colourTableEntries(s->format) : 0;
    if (entries == 0) return std::memcmp(s->format.data(), p, size) == 0 ? kAVIErrOK : kAVIErrUnsupported;
    if (std::memcmp(s->format.data(), p, sizeof(BitmapInfoHeader)) != 0) return kAVIErrUnsupported;
    const uint8_t* table = p + avi::get32(p);
    if (std::memcmp(st.palette.data(), table, st.palette.size()) != 0) {
      st.palette.assign(table, table + st.palette.size());
      st.paletteDue = true;
    }
    return kAVIErrOK;
  } catch (const std::bad_alloc&) {
    return kAVIErrMemory;
  }
}

int32_t AVIStreamWrite(AVIStream* s, int32_t pos, int32_t count, const void* buffer, int32_t bytes, uint32_t flags,
                       int32_t* samplesWritten, int32_t* bytesWritten) {
  int32_t dummy;
  if (!samplesWritten) samplesWritten = &dummy;
  if (!bytesWritten) bytesWritten = &dummy;
  *samplesWritten = *bytesWritten = 0;
  if (s && s->compressor) return compressedWrite(s, pos, buffer, bytes, samplesWritten, bytesWritten);
  avi::Writer* w = writerOf(s);
  if (!w) return kAVIErrReadOnly;
  if (bytes < 0 || (bytes > 0 && !buffer)) return kAVIErrBadParam;
  if (s->format.empty()) return kAVIErrBadFormat;
  avi::StreamState& st = w->states[s->number];
  AVIStreamInfo& si = s->info;
  const bool video = si.fccType == kStreamTypeVideo;
  if (!st.id) {
    bool compressed = video && avi::get32(s->format.data() + 16) != 0;
    st.id = avi::chunkId(s->number, video ? 'd' : si.fccType == kStreamTypeAudio ? 'w' : 'x',
                         video ? (compressed ? 'c' : 'b') : 'b');
  }
  if (pos < 0) pos = static_cast<int32_t>(si.length);
  if (static_cast<uint32_t>(pos) < si.length || (!video && static_cast<uint32_t>(pos) != si.length))
    return kAVIErrBadParam;
  try {
    AVIFile& f = *s->file;
    // Frames skipped over become empty chunks (dropped frames).
    while (si.length < static_cast<uint32_t>(pos)) {
      if (!w->writeChunk(f, *s, st.id, nullptr, 0, false)) return kAVIErrFileWrite;
      ++si.length, ++st.partSamples;
    }
    if (video && st.paletteDue) {
      avi::Bytes pc;
      uint32_t entries = static_cast<uint32_t>(st.palette.size() / 4);
      pc.b.push_back(0), pc.b.push_back(static_cast<uint8_t>(entries & 0xFF)), pc.u16(0);
      for (uint32_t i = 0; i < entries; ++i) {  // red, green, blue, flags
        const uint8_t* e = st.palette.data() + 4 * i;
        pc.b.push_back(e[2]), pc.b.push_back(e[1]), pc.b.push_back(e[0]), pc.b.push_back(0);
      }
      uint32_t id = avi::chunkId(s->number, 'p', 'c');
      if (!w->writeChunk(f, *s, id, pc.b.data(), static_cast<uint32_t>(pc.b.size()), false)) return kAVIErrFileWrite;
      st.paletteDue = false;
    }
    uint32_t samples = video || si.sampleSize == 0 ? 1 : static_cast<uint32_t>(bytes) / si.sampleSize;
    if (!w->writeChunk(f, *s, st.id, buffer, static_cast<uint32_t>(bytes), (flags & kAVIKeyFrame) != 0))
      return kAVIErrFileWrite;
    si.length += samples;
    st.partSamples += samples;
    st.largest = std::max(st.largest, static_cast<uint32_t>(bytes));
    *samplesWritten = static_cast<int32_t>(samples);
    *bytesWritten = bytes;
    return kAVIErrOK;
  } catch (const std::bad_alloc&) {
    return kAVIErrMemory;
  }
}

AVIStream* AVIMakeCompressedStream(AVIStream* source, const AVICompressOptions* options) {
  if (!writerOf(source) || !options || source->info.fccType != kStreamTypeVideo || !source->index.empty())
    return nullptr;
  if (options->fccHandler != kFourCCMJPG && options->fccHandler != makeFourCC('m', 'j', 'p', 'g')) return nullptr;
  try {
    auto s = std::make_unique<AVIStream>(source->file, source);
    s->compressor = std::make_unique<avi::Compressor>();
    s->compressor->quality = static_cast<int>(std::clamp<uint32_t>(options->quality / 100, 1, 100));
    source->info.fccHandler = kFourCCMJPG;
    AVIFileAddRef(source->file);
    AVIStreamAddRef(source);
    return s.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

TOL_NS_END
