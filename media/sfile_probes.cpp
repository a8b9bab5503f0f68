// The probes of a single sound source, in order: WAVE (or headerless PCM
// when a description is given), Pleven, Zurn, AVI, QuickTime. The
// first probe that recognises the file takes it; one that recognises it but
// finds no sound ends the open with its message.
#include <algorithm>
#include <cstring>

#include "decode/pleven_decoder.h"
#include "decode/zurn_decoder.h"
#include "decode/zurn_track_reader.h"
#include "fileio/tolfile.h"
#include "media/avi_file.h"
#include "media/quicktime_sound.h"
#include "media/sfile.h"
#include "media/wave_header.h"
#include "util/paths.h"

TOL_NS_BEGIN

namespace {

enum class Probe { kTaken, kNotMine, kFailed };

constexpr uint32_t kMaxRate = 1000000;
// Rate of a headerless description that carries none.
constexpr uint32_t kDefaultRawRate = 11025;
// Zurn open flags: no read-ahead thread, and the track chosen by
// ZurnDecoderSelectTrack.
constexpr uint32_t kZurnSoundOpenFlags = ZURNDEC_NO_READ_AHEAD | ZURNDEC_SELECTED_TRACK;

bool setFormat(SFile* s, uint32_t rate, uint32_t bits, uint32_t channels) {
  if (rate == 0 || rate > kMaxRate || (bits != 8 && bits != 16) || (channels != 1 && channels != 2)) return false;
  s->srcRate = static_cast<int32_t>(rate);
  s->srcBits = static_cast<int32_t>(bits);
  s->srcChannels = static_cast<int32_t>(channels);
  s->srcBlock = s->srcBits * s->srcChannels / 8;
  return true;
}

void setType(SFile* s, int32_t kind, const char* typeName) {
  s->kind = kind;
  std::strcpy(s->typeName, typeName);
}

// The name a probe opens: the name as given, or with the probe's extension
// when it has none.
void probeName(char (&dest)[128], const char* name, const char* extension) {
  std::strcpy(dest, name);
  if (!HasExtension(name)) std::strcat(dest, extension);
}

// Bytes of `frames` video frames at frames/per frames a second, rounded down
// to a multiple of 4.
uint32_t trackLength(const SFile* s, int64_t frames, const VideoRate& video) {
  if (video.frames <= 0 || video.per <= 0 || frames <= 0) return 0;
  const unsigned __int128 bytes = static_cast<unsigned __int128>(static_cast<uint64_t>(s->srcRate) * s->srcBlock) *
                                  static_cast<uint64_t>(frames) * static_cast<uint64_t>(video.per) /
                                  static_cast<uint64_t>(video.frames);
  return static_cast<uint32_t>(bytes > 0xFFFFFFFCu ? 0xFFFFFFFCu : bytes) & ~3u;
}

Probe openWaveOrRaw(SFile* s, uint32_t rawDescription, uint32_t rawOffset) {
  TOLFile* f = TOLFileOpen(static_cast<int32_t>(kSoundFileBuffer), s->name, TOLFILE_READ_ONLY);
  if (!f) return Probe::kNotMine;
  bool ok;
  if (rawDescription) {
    const uint32_t size = TOLFileSize(f);
    const uint32_t offset = size == 0 ? 0 : rawOffset > size - 1 ? size - 1 : rawOffset;
    const uint32_t rate = rawDescription >> SFILE_RAW_RATE_SHIFT;
    ok = setFormat(s, rate ? rate : kDefaultRawRate, rawDescription & SFILE_RAW_16BIT ? 16 : 8,
                   rawDescription & SFILE_RAW_STEREO ? 2 : 1);
    s->dataOffset = offset;
    s->length = size - offset;
  } else {
    WaveHeader h;
    ok = readWaveHeader(f, h) && h.formatTag == kWaveFormatPcm && setFormat(s, h.rate, h.bits, h.channels);
    s->dataOffset = h.dataOffset;
    s->length = h.dataLength;
  }
  if (!ok) {
    TOLFileClose(f);
    return Probe::kNotMine;
  }
  TOLFileSetPos(f, s->dataOffset);
  s->file = f;
  s->bufferSize = kSoundFileBuffer;
  setType(s, SFILE_KIND_WAVE, "Wave");
  return Probe::kTaken;
}

// Pleven: the named track (1 to 7 for tracks 0 to 6, beyond 7 the last) or,
// for track 0, the first track with sound.
Probe openPleven(SFile* s, const char* name, int32_t track, VideoRate& video) {
  char plevenName[128];
  probeName(plevenName, name, ".plv");
  PlevDecoder* d = PlevOpen(plevenName, 0, -1);
  if (!d) return Probe::kNotMine;
  s->pleven = d;
  int32_t chosen = -1;
  if (track > 0) {
    const int32_t k = std::min(track, PLEV_TRACKS) - 1;
    if (d->trackWords[k]) chosen = k;
  } else {
    for (int32_t k = 0; k < PLEV_TRACKS && chosen < 0; ++k)
      if (d->trackWords[k]) chosen = k;
  }
  const uint32_t word = chosen >= 0 ? d->trackWords[chosen] : 0;
  if (chosen < 0 || !setFormat(s, word & PLEV_TRACK_RATE_MASK, word & PLEV_TRACK_16BIT ? 16 : 8,
                               word & PLEV_TRACK_STEREO ? 2 : 1)) {
    soundMessage(s, track > 0 ? "No sound found in the specified Pleven track." : "No sound found in the Pleven file.",
                 TOL_MESSAGE_ERROR);
    return Probe::kFailed;
  }
  setType(s, SFILE_KIND_PLEVEN, "Pleven");
  std::strcpy(s->name, plevenName);
  s->trackMask = PLEV_OPEN_TRACK(chosen);
  s->bufferSize = (d->maxSoundSize[chosen] + 15) & ~15u;
  if (d->frameTime > 0) video = VideoRate{100000, d->frameTime};
  s->length = trackLength(s, d->frames, video);
  return Probe::kTaken;
}

Probe openZurn(SFile* s, const char* name, int32_t track, VideoRate& video) {
  char zurnName[128];
  probeName(zurnName, name, ".zrn");
  ZurnDecoderSelectTrack(-1);
  ZurnDecoder* d = ZurnDecoderOpen(zurnName, kZurnSoundOpenFlags);
  if (!d) return Probe::kNotMine;
  s->zurn = d;
  ZurnDecoderSetVideo(d, 0);
  s->zurnTrack = ZurnTrackReaderOpen(d, track);
  if (!s->zurnTrack || !setFormat(s, s->zurnTrack->rate, s->zurnTrack->bits, s->zurnTrack->channels)) {
    soundMessage(s, "No sound found in the Zurn file.", TOL_MESSAGE_ERROR);
    return Probe::kFailed;
  }
  setType(s, SFILE_KIND_ZURN, "Zurn");
  std::strcpy(s->name, zurnName);
  s->bufferSize = s->zurnTrack->bufferSize;
  video = VideoRate{d->fpsNumerator, d->fpsDenominator};
  s->length = trackLength(s, d->frames, video);
  return Probe::kTaken;
}

// The file's video rate, from its first video stream.
VideoRate aviVideoRate(const char* name) {
  VideoRate video;
  if (AVIStream* v = AVIStreamOpenFromFile(name, kStreamTypeVideo, 0)) {
    AVIStreamInfo info{};
    if (AVIStreamGetInfo(v, &info) == kAVIErrOK && info.scale) video = VideoRate{info.rate, info.scale};
    AVIStreamRelease(v);
  }
  return video;
}

// A PCM audio stream of an AVI file: in a file with video, or one whose
// rate is the sample rate.
Probe openAvi(SFile* s, const char* name, int32_t track, VideoRate& video) {
  char aviName[128];
  probeName(aviName, name, ".avi");
  AVIInit();
  AVIStream* stream = AVIStreamOpenFromFile(aviName, kStreamTypeAudio, track);
  if (!stream) return Probe::kNotMine;
  s->avi = stream;
  WaveFormat format{};
  int32_t size = sizeof format;
  if (AVIStreamReadFormat(stream, AVIStreamStart(stream), &format, &size) != kAVIErrOK || size < 16) {
    soundMessage(s, "Error reading AVI file.", TOL_MESSAGE_ERROR);
    return Probe::kFailed;
  }
  bool taken = false;
  if (format.formatTag == kWaveFormatPcm && setFormat(s, format.samplesPerSec, format.bitsPerSample, format.channels) &&
      format.blockAlign == s->srcBlock) {
    if (AVIFile* file = AVIFileOpenRead(aviName)) {
      AVIFileInfo info{};
      taken = AVIFileGetInfo(file, &info) == kAVIErrOK &&
              (info.width || info.height || (info.scale && info.rate / info.scale == format.samplesPerSec));
      AVIFileRelease(file);
    }
  }
  if (!taken) {
    AVIStreamRelease(stream);
    s->avi = nullptr;
    return Probe::kNotMine;
  }
  setType(s, SFILE_KIND_AVI, "AVI");
  std::strcpy(s->name, aviName);
  s->bufferSize = kSoundFileBuffer;
  s->aviStart = AVIStreamStart(stream);
  const uint64_t length = uint64_t{static_cast<uint32_t>(std::max(AVIStreamLength(stream), 0))} * s->srcBlock;
  s->length = static_cast<uint32_t>(std::min<uint64_t>(length, 0xFFFFFFFFu / s->srcBlock * s->srcBlock));
  video = aviVideoRate(aviName);
  return Probe::kTaken;
}

// The last probe: a QuickTime sound track, or the refusal of the file.
Probe openQuickTime(SFile* s, const char* name, int32_t track, VideoRate& video) {
  char movieName[128];
  probeName(movieName, name, ".mov");
  s->quickTime = QTSFileOpen(movieName, track);
  const QTSFile* q = s->quickTime;
  if (!q || !setFormat(s, static_cast<uint32_t>(q->rate), static_cast<uint32_t>(q->bits),
                       static_cast<uint32_t>(q->channels))) {
    soundMessage(s, "Error opening the audio input file.", TOL_MESSAGE_ERROR);
    return Probe::kFailed;
  }
  setType(s, SFILE_KIND_QUICKTIME, "QuickTime");
  std::strcpy(s->name, movieName);
  s->bufferSize = kSoundFileBuffer;
  s->length = q->totalBytes / static_cast<uint32_t>(s->srcBlock) * static_cast<uint32_t>(s->srcBlock);
  video = VideoRate{q->videoRateNum, q->videoRateDen};
  return Probe::kTaken;
}

}  // namespace

bool openSingleSource(SFile* s, const char* name, int32_t track, uint32_t rawDescription, uint32_t rawOffset,
                      VideoRate& video) {
  Probe p = openWaveOrRaw(s, rawDescription, rawOffset);
  if (p == Probe::kNotMine) p = openPleven(s, name, track, video);
  if (p == Probe::kNotMine) p = openZurn(s, name, track, video);
  if (p == Probe::kNotMine) p = openAvi(s, name, track, video);
  if (p == Probe::kNotMine) p = openQuickTime(s, name, track, video);
  return p == Probe::kTaken;
}

TOL_NS_END
