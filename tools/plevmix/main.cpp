// plevmix: puts a sound track into a Pleven file by writing the file again
// through the Pleven writer: the pictures, palettes and the other tracks
// are carried over, track /T gets the new sound, raw or compressed at the
// level /L gives. --help for usage.
//
// Exit codes: 0 done; 1 failed; 2 bad command line; 130 stopped (nothing
// is written then).
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tol/pleven.h"
#include "tol/plevenwriter.h"
#include "tol/sfile.h"
#include "tol/status.h"
#include "tol/tolutil.h"
#include "zurnmix/options.h"

namespace {

using zurnmixtool::MixOptions;

constexpr const char* kUsage =
    "usage: plevmix VIDEO.plv SOUND OUTPUT.plv [switches]\n"
    "\n"
    "Writes the Pleven file again with the sound of SOUND (WAVE, headerless\n"
    "PCM, AVI, QuickTime, Pleven, Zurn or a list) as track /T, replacing a\n"
    "track of that number or adding one. OUTPUT may be VIDEO.\n"
    "\n"
    "  /O        replace OUTPUT without asking\n"
    "  /P        loop the sound to the end of the video\n"
    "  /Ln       compress the new track at level n, 0 lossless to 9 very lossy\n"
    "            (default: uncompressed)\n"
    "  /Tn       the track to mix into, 0 to 6 (default 0)\n"
    "  /Fr       new frame rate of the file (also times the new sound)\n"
    "  /Nn       start the sound at frame n; negative: -ms milliseconds in\n"
    "  /Rn       new track's rate; /B8 or /B16 bits; /C1 or /C2 channels\n"
    "  /Sn /En   start and end of the sound source in milliseconds\n"
    "  /In       track or stream of the sound source\n"
    "  /Dn /Yn /Kn  headerless sound: rate, format, bytes to skip\n"
    "  /#n       the launcher that started the tool\n";

volatile bool g_stop = false;
std::string g_message;

void TOL_CC onCancel() { g_stop = true; }

int32_t TOL_CC onSoundMessage(const char* text, int32_t kind) {
  if (kind == 2 && text) g_message = text;
  return 0;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "plevmix: %s\n", message.c_str());
  return 1;
}

struct DecoderCloser {
  void operator()(PlevDecoder* d) const { PlevClose(d); }
};
struct SoundCloser {
  void operator()(SFile* s) const { SFileClose(s); }
};

// Fills `bytes` of the new track: silence before the start, then the
// source (again from its start with /P), then silence.
void fillSound(SFile* s, bool loop, uint64_t& silenceLeft, uint8_t* out, uint32_t bytes) {
  const uint8_t quiet = s->outBits == 8 ? 0x80 : 0;
  uint32_t done = 0;
  while (done < bytes && silenceLeft > 0) {
    out[done++] = quiet;
    --silenceLeft;
  }
  bool restarted = false;
  while (done < bytes) {
    const uint32_t got = SFileGet(s, out + done, bytes - done);
    if (got == 0) {
      if (!loop || restarted || s->outCount == 0) break;
      SFileReset(s);
      restarted = true;
      continue;
    }
    restarted = false;
    done += got;
  }
  for (; done < bytes; ++done) out[done] = quiet;
}

int run(const MixOptions& o) {
  struct stat st;
  for (const std::string* name : {&o.video, &o.sound})
    if (::stat(name->c_str(), &st) != 0) return fail(tolapp::systemMessage(*name, errno));
  if (o.track >= PLEV_TRACKS) return fail("the track (/T) must be from 0 to 6");
  if (o.level > 9) return fail("the compression level (/L) must be from 0 to 9");
  std::string error;
  if (!tolapp::outputWritable(o.output, error)) return fail(error);
  if (o.output != o.video && ::stat(o.output.c_str(), &st) == 0 && !o.overwrite && !overwrite(o.output.c_str(), 0))
    return fail(o.output + " exists and was not replaced (/O replaces it)");

  // The header as stored (line modes included), then a decoder that leaves
  // the stored rows alone.
  uint32_t storedFlags;
  {
    std::unique_ptr<PlevDecoder, DecoderCloser> probe(PlevOpen(o.video.c_str(), 0, 0));
    if (!probe) return fail(o.video + ": not a Pleven file this program reads");
    storedFlags = probe->flags;
  }
  std::unique_ptr<PlevDecoder, DecoderCloser> in(PlevOpen(o.video.c_str(), PLEV_OPEN_SINGLE, 0));
  if (!in) return fail(o.video + ": not a Pleven file this program reads");
  std::unique_ptr<SFile, SoundCloser> sound(SFileOpen(o.sound.c_str(), o.rate, o.bits, o.channels, o.inputStart,
                                                      o.inputEnd, o.inputTrack, o.rawDescription, o.rawOffset,
                                                      onSoundMessage));
  if (!sound) return fail(o.sound + ": " + (g_message.empty() ? "no sound this program reads" : g_message));

  PlevWriterSettings settings{};
  settings.width = in->width;
  settings.height = in->height;
  // Frame time in 1/100000 s: the file's, or the one /F gives, stored as
  // such.
  const bool newRate = o.fpsNum > 0 && o.fpsDen > 0;
  const uint64_t frameTime =
      newRate ? std::clamp<uint64_t>(uint64_t(o.fpsDen) * 100000 / uint64_t(o.fpsNum), 1, INT32_MAX)
              : uint64_t(in->frameTime > 0 ? in->frameTime : 6667);
  settings.rate = newRate ? -int32_t(frameTime) : in->rate;
  settings.flags = storedFlags & (PLEV_FLAG_RING_FRAME | PLEV_FLAG_DOUBLED | PLEV_FLAG_INTERLACED);
  settings.keyInterval = 0;
  for (int t = 0; t < PLEV_TRACKS; ++t) {
    const uint32_t w = in->trackWords[t];
    if (!(w & PLEV_TRACK_HAS_SOUND) || t == o.track) continue;
    // Tracks carried over: compressed ones again losslessly.
    settings.tracks[t] = {int32_t(w & PLEV_TRACK_RATE_MASK), w & PLEV_TRACK_16BIT ? 16 : 8,
                          w & PLEV_TRACK_STEREO ? 2 : 1, (w & PLEV_TRACK_COMPRESSED) ? 1 : 0, 0};
  }
  settings.tracks[o.track] = {sound->outRate, sound->outBits, sound->outChannels, o.level >= 0 ? 1 : 0,
                              o.level >= 0 ? o.level : 0};

  // The writer cannot throw a file away once made: it writes under a
  // name of our own, renamed over the output only when all went well.
  const std::string temporaryName = o.output + ".mix";
  PlevWriter* writer = PlevWriterCreate(temporaryName.c_str(), &settings);
  if (!writer) return fail(o.output + ": the Pleven writer refused these settings");

  std::vector<uint8_t> picture(size_t(in->width) * size_t(in->height));
  PlevSetDestination(in.get(), 0, 0, in->width, in->height, picture.data(), 0);
  std::vector<std::vector<uint8_t>> chunks(PLEV_TRACKS);
  for (int t = 0; t < PLEV_TRACKS; ++t)
    if (settings.tracks[t].rate) chunks[t].resize(std::max<uint32_t>(in->maxSoundSize[t], 1) + 16);

  // The new sound's silence before its start.
  const uint64_t rate = uint64_t(sound->outRate), block = uint64_t(sound->outBlock);
  uint64_t silence = o.startFrame > 1 ? uint64_t(o.startFrame - 1) * frameTime * rate / 100000 * block
                     : o.startFrame < 0 ? uint64_t(-int64_t(o.startFrame)) * rate / 1000 * block
                                        : 0;
  std::vector<uint8_t> fresh;

  // Started by the launcher, the window keeps its last line until Done is
  // pressed, as the compressor's does.
  StatusInit(nullptr, o.owner, o.owner ? 0 : 1);
  StatusOpen(("Pleven Audio Mixer - " + o.output).c_str(), nullptr, onCancel);
  bool ok = true;
  for (int32_t f = 0; f < in->frames && ok && !g_stop; ++f) {
    if (f > 0) PlevNextFrame(in.get());
    PlevDecodeFrame(in.get());
    const void* parts[PLEV_TRACKS] = {};
    uint32_t sizes[PLEV_TRACKS] = {};
    for (int t = 0; t < PLEV_TRACKS; ++t) {
      if (!settings.tracks[t].rate) continue;
      if (t == o.track) {
        const uint64_t samples = (uint64_t(f) + 1) * frameTime * rate / 100000 - uint64_t(f) * frameTime * rate / 100000;
        fresh.resize(size_t(samples * block));
        fillSound(sound.get(), o.loop, silence, fresh.data(), uint32_t(fresh.size()));
        parts[t] = fresh.data();
        sizes[t] = uint32_t(fresh.size());
      } else {
        const int32_t n = PlevTrackSound(in.get(), chunks[t].data(), PLEV_OPEN_TRACK(t));
        parts[t] = chunks[t].data();
        sizes[t] = n > 0 ? uint32_t(n) : 0;
      }
    }
    ok = PlevWriterPutFrame(writer, picture.data(), in->width, in->palette, parts, sizes) == 1;
    char line[64];
    std::snprintf(line, sizeof line, "Mixing frame %d of %d", f + 1, in->frames);
    StatusSet(line);
    StatusCheck();
  }
  const int32_t frames = in->frames;
  in.reset();  // the output may be the input
  // The last status line (the launcher's copy) says how it ended.
  const auto finish = [](const std::string& outcome) {
    StatusSet(outcome.c_str());
    StatusClose(1);
  };
  const auto failWith = [&](const std::string& message) {
    finish("Error: " + message);
    return fail(message);
  };
  if (!ok || g_stop) {
    PlevWriterClose(writer);
    std::remove(temporaryName.c_str());
    if (g_stop) {
      finish("Stopped; nothing written");
      std::fprintf(stderr, "plevmix: stopped; nothing written\n");
      return 130;
    }
    return failWith("out of memory; nothing written");
  }
  if (!PlevWriterClose(writer)) return failWith(o.output + ": the Pleven file could not be written");
  if (std::rename(temporaryName.c_str(), o.output.c_str()) != 0) {
    const int e = errno;
    std::remove(temporaryName.c_str());
    return failWith(tolapp::systemMessage(o.output, e));
  }
  finish("Done: track " + std::to_string(o.track) + " in " + std::to_string(frames) + " frames");
  std::printf("plevmix: %s + %s -> %s\n  frames: %d\n  track %d: %d Hz, %d bits, %s, %s\n", o.video.c_str(),
              o.sound.c_str(), o.output.c_str(), frames, o.track, sound->outRate, sound->outBits,
              sound->outChannels == 2 ? "stereo" : "mono",
              o.level >= 0 ? ("compressed at level " + std::to_string(o.level)).c_str() : "uncompressed");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The writer's temporary name is the output's with ".mix.tmp" appended.
  return zurnmixtool::mixerMain(argc, argv, "plevmix", kUsage, -1, 119, run);
}
