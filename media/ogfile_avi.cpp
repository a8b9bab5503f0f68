// Output files: AVI through the AVI stream layer. Frames go out as bottom-up
// bitmaps (8 bits with a colour table, or 24 bits), optionally through the
// Motion-JPEG compressor; a PCM sound track is interleaved in the order of
// the caller's writes and kept three quarters of a second ahead.
#include <algorithm>
#include <cstring>
#include <new>

#include "fileio/tolfile.h"
#include "media/ogfile.h"
#include "util/filechecks.h"

TOL_NS_BEGIN
namespace ogfile {
namespace {

// Uncompressed frames name no codec; Motion-JPEG sets its own handler.
constexpr uint32_t kHandlerDIB = makeFourCC('D', 'I', 'B', ' ');
constexpr uint32_t kDefaultQuality = 99;  // the codec dialog's preset, 9999 of 10000

AVIStream* videoTarget(const OGFileWork& w) { return w.compressed ? w.compressed : w.video; }

void releaseAll(OGFileWork& w) {
  // Streams first: the file is finished when its last reference goes.
  for (AVIStream** s : {&w.compressed, &w.video, &w.sound}) {
    AVIStreamRelease(*s);
    *s = nullptr;
  }
  AVIFileRelease(w.avi);
  w.avi = nullptr;
}

// The 40-byte bitmap header, and for 8 bits room for 256 colours after it.
void fillHeaderBlock(const OGFile& og, OGFileWork& w) {
  BitmapInfoHeader h{};
  h.size = sizeof h;
  h.width = og.width;
  h.height = og.height;
  h.planes = 1;
  h.bitCount = static_cast<uint16_t>(og.bitsPerPixel);
  h.sizeImage = w.imageSize;
  h.clrUsed = og.bitsPerPixel == 8 ? 256 : 0;
  std::memcpy(w.frame.data(), &h, sizeof h);
}

int32_t streamLength(AVIFile* file, uint32_t type) {
  AVIStream* s = AVIFileGetStream(file, type, 0);
  const int32_t length = s ? AVIStreamLength(s) : -1;
  AVIStreamRelease(s);
  return length;
}

// True when the finished file reads back with every frame and sample frame
// written.
bool readsBack(const OGFile& og, const std::string& name) {
  AVIFile* file = AVIFileOpenRead(name.c_str());
  if (!file) return false;
  const OGFileWork& w = *og.work;
  const bool ok = streamLength(file, kStreamTypeVideo) == og.framesWritten &&
                  (!w.sound || streamLength(file, kStreamTypeAudio) == w.soundPosition);
  AVIFileRelease(file);
  return ok;
}

}  // namespace

bool aviCreate(OGFile& og, const char* name, uint32_t flags) {
  OGFileWork& w = *og.work;
  w.target = name;
  w.temp = temporaryName(w.target);
  if (w.temp.empty()) {
    message(og, kAviFailed);
    return false;
  }
  std::strcpy(og.namePattern, name);
  std::strcpy(og.summary, name);
  if (!mayReplace(og, name, flags)) return false;
  AVIInit();

  w.formatBytes = sizeof(BitmapInfoHeader) + (og.bitsPerPixel == 8 ? 256 * 4 : 0);
  w.rowBytes = (uint32_t(og.bitsPerPixel) * uint32_t(og.width) + 31) / 32 * 4;
  w.imageSize = w.rowBytes * uint32_t(og.height);
  try {
    w.frame.assign(size_t(w.formatBytes) + w.imageSize, 0);
  } catch (const std::bad_alloc&) {
    message(og, kAviFailed);
    return false;
  }
  fillHeaderBlock(og, w);

  w.avi = AVIFileCreate(w.temp.c_str());
  AVIStreamInfo info{};
  info.fccType = kStreamTypeVideo;
  info.fccHandler = kHandlerDIB;
  info.scale = uint32_t(og.rateDen);
  info.rate = uint32_t(og.rateNum);
  info.suggestedBufferSize = w.imageSize;
  info.frame = {0, 0, og.width, og.height};
  if (w.avi) w.video = AVIFileCreateStream(w.avi, &info);
  if (!w.video) {
    releaseAll(w);
    TOLFileErase(w.temp.c_str());
    message(og, kAviFailed);
    return false;
  }
  if (flags & OGFILE_MJPEG) {
    const uint32_t quality = (flags >> 8) & 127;
    AVICompressOptions options{kStreamTypeVideo, kFourCCMJPG,
                               100 * std::min<uint32_t>(quality ? quality : kDefaultQuality, 100)};
    // Without the compressor the frames go out uncompressed.
    w.compressed = AVIMakeCompressedStream(w.video, &options);
  }
  og.formatPending = 1;
  return true;
}

void aviPut(OGFile& og, const uint8_t* pixels, const uint8_t* palette) {
  OGFileWork& w = *og.work;
  uint8_t* dib = w.frame.data() + w.formatBytes;
  for (int32_t y = 0; y < og.height; ++y)
    rowToDib(og, inputRow(og, pixels, y), palette, og.bitsPerPixel, dib + size_t(w.rowBytes) * (og.height - 1 - y));
  if (og.bitsPerPixel == 8) paletteToColours(palette, w.frame.data() + sizeof(BitmapInfoHeader));

  AVIStream* stream = videoTarget(w);
  // A changed colour table becomes a palette change before this frame.
  if (AVIStreamSetFormat(stream, og.framesWritten, w.frame.data(), int32_t(w.formatBytes)) != kAVIErrOK) og.error = 1;
  og.formatPending = 0;
  int32_t bytes = 0;
  if (AVIStreamWrite(stream, og.framesWritten, 1, dib, int32_t(w.imageSize), kAVIKeyFrame, nullptr, &bytes) !=
      kAVIErrOK)
    og.error = 1;
  ++og.framesWritten;
  og.bytesWritten += uint32_t(bytes);
}

uint32_t aviSoundAmount(OGFile& og, int32_t rate, int32_t bits, int32_t channels) {
  OGFileWork& w = *og.work;
  if (!w.sound) {
    if (w.soundFailed) return 0;
    const bool valid = rate > 0 && rate <= 1000000 && (bits == 8 || bits == 16) && (channels == 1 || channels == 2);
    const uint32_t block = valid ? uint32_t(bits * channels / 8) : 0;
    AVIStreamInfo info{};
    info.fccType = kStreamTypeAudio;
    info.scale = block;
    info.rate = uint32_t(rate) * block;
    info.sampleSize = block;
    info.initialFrames = (uint32_t(rate) * 3 / 4 + 3) & ~3u;  // three quarters of a second
    if (valid) w.sound = AVIFileCreateStream(w.avi, &info);
    if (!w.sound) {
      w.soundFailed = true;
      message(og, kSoundFailed);
      return 0;
    }
    w.leadIn = info.initialFrames * block;
    w.wave = WaveFormat{1, uint16_t(channels), uint32_t(rate), info.rate, uint16_t(block), uint16_t(bits), 0};
    // The sound of the whole video.
    const uint64_t whole =
        og.frameCount > 0 ? uint64_t(info.rate) * uint64_t(og.frameCount) * uint64_t(og.rateDen) / uint64_t(og.rateNum)
                          : 0;
    w.soundAllowance = whole / block * block;
  }
  const uint64_t bytesPerSecond = w.wave.avgBytesPerSec;
  const int64_t due = int64_t(uint64_t(w.soundWrites) * bytesPerSecond * uint64_t(og.rateDen) / uint64_t(og.rateNum) +
                              w.leadIn) -
                      int64_t(w.soundBytes);
  const uint64_t amount = std::min<uint64_t>(w.soundAllowance, uint64_t(std::max<int64_t>(due, 0)));
  // Whole sample frames only.
  return uint32_t(std::min<uint64_t>(amount / w.wave.blockAlign * w.wave.blockAlign, 0x7FFFFFFF));
}

int32_t aviPutSound(OGFile& og, const void* samples, uint32_t bytes) {
  OGFileWork& w = *og.work;
  if (!w.sound) return w.soundPosition;
  const uint32_t frames = std::min<uint32_t>(bytes, 0x7FFFFFFF) / w.wave.blockAlign;
  bytes = frames * w.wave.blockAlign;
  if (frames == 0) return w.soundPosition;
  if (!samples ||
      AVIStreamSetFormat(w.sound, w.soundPosition, &w.wave, int32_t(sizeof w.wave)) != kAVIErrOK) {
    og.error = 1;
    return w.soundPosition;
  }
  int32_t written = 0;
  if (AVIStreamWrite(w.sound, w.soundPosition, int32_t(frames), samples, int32_t(bytes), 0, nullptr, &written) !=
      kAVIErrOK)
    og.error = 1;
  og.bytesWritten += uint32_t(written);
  w.soundPosition += int32_t(frames);
  w.soundBytes += bytes;
  w.soundAllowance -= std::min<uint64_t>(w.soundAllowance, bytes);
  ++w.soundWrites;
  return w.soundPosition;
}

uint32_t aviClose(OGFile& og) {
  OGFileWork& w = *og.work;
  // Streams without data still get their formats.
  if (og.formatPending &&
      AVIStreamSetFormat(videoTarget(w), 0, w.frame.data(), int32_t(w.formatBytes)) != kAVIErrOK)
    og.error = 1;
  if (w.sound && w.soundPosition == 0 &&
      AVIStreamSetFormat(w.sound, 0, &w.wave, int32_t(sizeof w.wave)) != kAVIErrOK)
    og.error = 1;
  const bool failed = og.error != 0;
  releaseAll(w);
  if (failed || !readsBack(og, w.temp) || !commitTemporary(w.temp, w.target)) {
    TOLFileErase(w.temp.c_str());
    return 0;
  }
  return tolfilesize(w.target.c_str());
}

}  // namespace ogfile
TOL_NS_END
