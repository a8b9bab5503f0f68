// Opening AVI files for reading, references, and the stream calls that read:
// information, format blocks, samples and key frames.
#include <algorithm>
#include <cstring>
#include <new>

#include "media/avi_internal.h"
#include "media/mjpeg_decoder.h"

TOL_NS_BEGIN

namespace avi {

void applyPaletteChange(ByteSource& src, const PaletteChange& pc, uint8_t* table, uint32_t entries) {
  uint8_t buf[4 + 256 * 4];
  uint32_t n = std::min<uint32_t>(pc.size, sizeof buf);
  if (!src.readAt(pc.offset, buf, n)) return;
  // AVIPALCHANGE: first entry, entry count (0 = 256), flags, then red,
  // green, blue, flags per entry.
  for (uint32_t pos = 0; pos + 4 <= n;) {
    uint32_t first = buf[pos], count = buf[pos + 1] ? buf[pos + 1] : 256;
    pos += 4;
    for (uint32_t i = 0; i < count && pos + 4 <= n; ++i, pos += 4) {
      if (first + i >= entries) continue;
      uint8_t* e = table + 4 * (first + i);
      e[0] = buf[pos + 2];
      e[1] = buf[pos + 1];
      e[2] = buf[pos];
      e[3] = 0;
    }
  }
}

uint32_t colourTableEntries(const std::vector<uint8_t>& format) {
  if (format.size() < sizeof(BitmapInfoHeader)) return 0;
  uint32_t size = get32(format.data()), bits = get16(format.data() + 14), used = get32(format.data() + 32);
  if (bits > 8 || size < 40 || size > format.size()) return 0;
  uint32_t entries = used ? used : 1u << bits;
  return std::min<uint32_t>({entries, 256, static_cast<uint32_t>((format.size() - size) / 4)});
}

}  // namespace avi

namespace {

AVIFile* openWith(std::unique_ptr<avi::ByteSource> source) {
  if (!source) return nullptr;
  AVIFile* f = new (std::nothrow) AVIFile;
  if (!f) return nullptr;
  f->source = std::move(source);
  if (!avi::parseFile(*f)) {
    delete f;
    return nullptr;
  }
  return f;
}

bool readable(AVIStream* s) { return s && !s->target && s->file->source; }

// Index of the sample-sized chunk that holds sample n.
size_t chunkOfSample(const AVIStream& s, uint64_t n) {
  auto it = std::upper_bound(s.firstSample.begin(), s.firstSample.end(), n);
  return static_cast<size_t>(it - s.firstSample.begin()) - 1;
}

}  // namespace

void AVIInit() { MjpegDecoder::prepare(); }

AVIFile* AVIFileOpenRead(const char* name) { return openWith(avi::openFileSource(name)); }

AVIFile* AVIFileOpenMemory(const void* data, size_t size) { return openWith(avi::memorySource(data, size)); }

int32_t AVIFileGetInfo(AVIFile* file, AVIFileInfo* info) {
  if (!file || !info) return kAVIErrBadParam;
  *info = file->info;
  info->streams = static_cast<uint32_t>(file->streams.size());
  return kAVIErrOK;
}

AVIStream* AVIFileGetStream(AVIFile* file, uint32_t fccType, int32_t number) {
  if (!file || number < 0) return nullptr;
  for (auto& s : file->streams) {
    if (fccType && s->info.fccType != fccType) continue;
    if (number-- > 0) continue;
    AVIStreamAddRef(s.get());
    return s.get();
  }
  return nullptr;
}

uint32_t AVIFileAddRef(AVIFile* file) { return file ? ++file->refs : 0; }

uint32_t AVIFileRelease(AVIFile* file) {
  if (!file) return 0;
  if (--file->refs) return file->refs;
  delete file;
  return 0;
}

AVIStream* AVIStreamOpenFromFile(const char* name, uint32_t fccType, int32_t number) {
  AVIFile* f = AVIFileOpenRead(name);
  AVIStream* s = AVIFileGetStream(f, fccType, number);
  AVIFileRelease(f);  // the stream holds the file now
  return s;
}

uint32_t AVIStreamAddRef(AVIStream* s) {
  if (!s) return 0;
  AVIFileAddRef(s->file);
  return ++s->refs;
}

uint32_t AVIStreamRelease(AVIStream* s) {
  if (!s) return 0;
  uint32_t left = --s->refs;
  AVIFile* f = s->file;
  if (left == 0 && s->target) {  // compressing streams belong to their caller
    AVIStreamRelease(s->target);
    delete s;
  }
  AVIFileRelease(f);
  return left;
}

int32_t AVIStreamGetInfo(AVIStream* s, AVIStreamInfo* info) {
  if (!s || !info) return kAVIErrBadParam;
  *info = s->target ? s->target->info : s->info;
  return kAVIErrOK;
}

int32_t AVIStreamStart(AVIStream* s) {
  if (s && s->target) s = s->target;
  return s ? static_cast<int32_t>(s->info.start) : -1;
}

int32_t AVIStreamLength(AVIStream* s) {
  if (s && s->target) s = s->target;
  return s ? static_cast<int32_t>(s->info.length) : -1;
}

int32_t AVIStreamReadFormat(AVIStream* s, int32_t pos, void* format, int32_t* size) {
  if (!s || !size) return kAVIErrBadParam;
  if (s->target) s = s->target;
  int32_t need = static_cast<int32_t>(s->format.size());
  if (!format) {
    *size = need;
    return kAVIErrOK;
  }
  int32_t n = std::clamp(*size, 0, need);
  std::vector<uint8_t> block(s->format);
  uint32_t entries = avi::colourTableEntries(block);
  if (entries && readable(s)) {
    uint32_t tableAt = avi::get32(block.data());
    int64_t frame = int64_t(pos) - s->info.start;
    for (const avi::PaletteChange& pc : s->paletteChanges)
      if (pc.frame <= frame) avi::applyPaletteChange(*s->file->source, pc, block.data() + tableAt, entries);
  }
  if (n) std::memcpy(format, block.data(), static_cast<size_t>(n));
  *size = n;
  return kAVIErrOK;
}

int32_t AVIStreamRead(AVIStream* s, int32_t start, int32_t count, void* buffer, int32_t bufferSize,
                      int32_t* bytesRead, int32_t* samplesRead) {
  int32_t dummyBytes, dummySamples;
  if (!bytesRead) bytesRead = &dummyBytes;
  if (!samplesRead) samplesRead = &dummySamples;
  *bytesRead = *samplesRead = 0;
  if (!readable(s)) return kAVIErrBadParam;
  int64_t n = int64_t(start) - s->info.start;
  if (n < 0 || n >= s->info.length || bufferSize < 0) return kAVIErrBadParam;
  avi::ByteSource& src = *s->file->source;

  if (s->sampleSize == 0) {  // one chunk
    const avi::IndexEntry& e = s->index[static_cast<size_t>(n)];
    *bytesRead = static_cast<int32_t>(std::min<uint32_t>(e.size, 0x7FFFFFFF));
    *samplesRead = 1;
    if (!buffer) return kAVIErrOK;
    if (static_cast<uint32_t>(bufferSize) < e.size) return kAVIErrBufferTooSmall;
    return src.readAt(e.offset, buffer, e.size) ? kAVIErrOK : kAVIErrFileRead;
  }

  const uint32_t ss = s->sampleSize;
  size_t c = chunkOfSample(*s, static_cast<uint64_t>(n));
  int64_t left = s->info.length - n;
  if (count < 0) left = std::min<int64_t>(left, s->index[c].size / ss - (n - s->firstSample[c]));
  else left = std::min<int64_t>(left, count);
  if (!buffer) {
    *samplesRead = static_cast<int32_t>(std::min<int64_t>(left, 0x7FFFFFFF / ss));
    *bytesRead = *samplesRead * static_cast<int32_t>(ss);
    return kAVIErrOK;
  }
  if (static_cast<uint32_t>(bufferSize) < ss) {
    *bytesRead = static_cast<int32_t>(ss);
    return kAVIErrBufferTooSmall;
  }
  left = std::min<int64_t>(left, bufferSize / ss);
  auto* out = static_cast<uint8_t*>(buffer);
  uint64_t within = static_cast<uint64_t>(n) - s->firstSample[c];
  while (left > 0 && c < s->index.size()) {
    const avi::IndexEntry& e = s->index[c];
    uint64_t avail = e.size / ss - within;
    uint64_t take = std::min<uint64_t>(avail, static_cast<uint64_t>(left));
    if (take && !src.readAt(e.offset + within * ss, out, take * ss)) return kAVIErrFileRead;
    out += take * ss;
    left -= static_cast<int64_t>(take);
    *samplesRead += static_cast<int32_t>(take);
    ++c;
    within = 0;
  }
  *bytesRead = static_cast<int32_t>(out - static_cast<uint8_t*>(buffer));
  return kAVIErrOK;
}

int32_t AVIStreamNearestKeyFrame(AVIStream* s, int32_t pos) {
  if (!readable(s)) return -1;
  int64_t n = int64_t(pos) - s->info.start;
  if (n < 0 || n >= s->info.length) return -1;
  if (s->sampleSize) return pos;  // every sample of a sample-sized stream
  auto it = std::upper_bound(s->keyFrames.begin(), s->keyFrames.end(), static_cast<uint32_t>(n));
  if (it == s->keyFrames.begin()) return -1;
  return static_cast<int32_t>(it[-1] + s->info.start);
}

int32_t AVIStreamIsKeyFrame(AVIStream* s, int32_t pos) {
  return AVIStreamNearestKeyFrame(s, pos) == pos && pos >= 0 ? 1 : 0;
}

TOL_NS_END
