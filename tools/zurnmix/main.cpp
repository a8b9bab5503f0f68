// zurnmix: puts a sound track into a Zurn file (replacing the track of the
// same number or adding it) without touching the video. --help for usage.
//
// Exit codes: 0 done; 1 failed; 2 bad command line; 130 stopped (nothing
// is written then).
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "common/zurn_facts.h"
#include "tol/sfile.h"
#include "tol/status.h"
#include "tol/tolutil.h"
#include "tol/zurnmix.h"
#include "zurnmix/options.h"

namespace {

using zurnmixtool::MixOptions;

constexpr const char* kUsage =
    "usage: zurnmix VIDEO.zrn SOUND OUTPUT.zrn [switches]\n"
    "\n"
    "Puts the sound of SOUND (WAVE, headerless PCM, AVI, QuickTime, Pleven,\n"
    "Zurn or a list) into a Zurn file as track /T, replacing a track of that\n"
    "number or adding one. The video is copied unchanged. OUTPUT may be VIDEO.\n"
    "\n"
    "  /O        replace OUTPUT without asking\n"
    "  /P        loop the sound to the end of the video\n"
    "  /Ln       sound compression: 0 lossless, 4 perceptibly lossless\n"
    "            (default), 20 very lossy\n"
    "  /Tn       the track to mix into (default 0)\n"
    "  /Fr       new frame rate of the file (also times the sound)\n"
    "  /Nn       start the sound at frame n; negative: -ms milliseconds in\n"
    "  /Rn       new track's rate; /B8 or /B16 bits; /C1 or /C2 channels\n"
    "  /Sn /En   start and end of the sound source in milliseconds\n"
    "  /In       track or stream of the sound source\n"
    "  /Dn /Yn /Kn  headerless sound: rate, format (1 8-bit mono, 2 8-bit\n"
    "            stereo, 3 16-bit mono, 4 16-bit stereo), bytes to skip\n"
    "  /#n       the launcher that started the tool\n";

volatile bool g_stop = false;
std::string g_message;

void TOL_CC onCancel() { g_stop = true; }

int32_t TOL_CC onSoundMessage(const char* text, int32_t kind) {
  if (kind == 2 && text) g_message = text;
  return 0;
}

struct Sound {
  SFile* file = nullptr;
  bool loop = false;
  uint64_t delivered = 0;
};

int32_t TOL_CC readSound(void*, void* userData, void* buffer, int32_t byteCount) {
  auto& s = *static_cast<Sound*>(userData);
  if (byteCount <= 0) return 0;
  uint32_t got = SFileGet(s.file, buffer, uint32_t(byteCount));
  if (got == 0 && s.loop && s.delivered > 0) {
    SFileReset(s.file);
    got = SFileGet(s.file, buffer, uint32_t(byteCount));
  }
  s.delivered += got;
  return int32_t(got);
}

uint32_t g_frames = 0, g_totalFrames = 0;

int32_t TOL_CC onMix(int32_t kind, ZurnMakeState* handle, const char* text) {
  if (kind == 2) {
    if (text) g_message = text;
    return 0;
  }
  const auto* p = reinterpret_cast<const ZurnMixProgress*>(handle);
  if (p) {
    char line[96];
    std::snprintf(line, sizeof line, "Mixing frame %u of %u", p->frame + 1, g_totalFrames);
    StatusSet(line);
  }
  if (p) g_frames = p->frame + 1;
  StatusCheck();
  return g_stop ? 1 : 0;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "zurnmix: %s\n", message.c_str());
  return 1;
}

bool reachable(const std::string& name, std::string& error) {
  struct stat st;
  if (::stat(name.c_str(), &st) == 0) return true;
  error = tolapp::systemMessage(name, errno);
  return false;
}

int run(const MixOptions& o) {
  std::string error;
  if (!reachable(o.video, error) || !reachable(o.sound, error)) return fail(error);
  if (!tolapp::outputWritable(o.output, error)) return fail(error);
  struct stat st;
  if (o.output != o.video && ::stat(o.output.c_str(), &st) == 0 && !o.overwrite && !overwrite(o.output.c_str(), 0))
    return fail(o.output + " exists and was not replaced (/O replaces it)");

  Sound sound;
  sound.loop = o.loop;
  sound.file = SFileOpen(o.sound.c_str(), o.rate, 16, o.channels, o.inputStart, o.inputEnd, o.inputTrack,
                         o.rawDescription, o.rawOffset, onSoundMessage);
  if (!sound.file) return fail(o.sound + ": " + (g_message.empty() ? "no sound this program reads" : g_message));
  if (sound.file->outRate <= 0 || sound.file->outRate >= 65536) {
    SFileClose(sound.file);
    return fail(o.sound + ": sample rates of 65536 Hz and above cannot be stored (/R sets a lower one)");
  }
  // The encoder takes 16-bit samples and stores the track at the width /B
  // names, else at the source's.
  const int32_t bits = o.bits ? o.bits : sound.file->srcBits;
  ZurnMakeSoundTrack track{uint32_t(o.track), uint32_t(sound.file->outRate), uint32_t(bits == 8 ? 8 : 16),
                           uint32_t(sound.file->outChannels), uint32_t(o.level), &sound, readSound};
  std::printf("zurnmix: %s + %s (%s, %d Hz, %s) -> %s, track %d\n", o.video.c_str(), o.sound.c_str(),
              sound.file->typeName, sound.file->outRate, sound.file->outChannels == 2 ? "stereo" : "mono",
              o.output.c_str(), o.track);
  std::fflush(stdout);

  tolapp::ZurnFacts facts;
  if (tolapp::readZurnFacts(o.video, facts, error, false)) g_totalFrames = facts.frames;
  // Started by the launcher, the window keeps its last line until Done is
  // pressed, as the compressor's does.
  StatusInit(nullptr, o.owner, o.owner ? 0 : 1);
  StatusOpen(("Zurn Audio Mixer - " + o.output).c_str(), nullptr, onCancel);
  const uint32_t size = ZurnMix(o.video.c_str(), o.output.c_str(), uint32_t(o.fpsNum), uint32_t(o.fpsDen),
                                o.startFrame, 1, &track, onMix);
  const double seconds = double(sound.delivered) / sound.file->outBlock / sound.file->outRate;
  SFileClose(sound.file);
  // The last status line (the launcher's copy) says how it ended.
  const std::string outcome = g_stop      ? "Stopped; nothing written"
                              : size == 0 ? "Error: " + (g_message.empty() ? "the mix failed; nothing written" : g_message)
                                          : "Done: track " + std::to_string(o.track) + (track.rate == 0 ? " replaced" : " added") +
                                                " in " + std::to_string(g_frames) + " frames";
  StatusSet(outcome.c_str());
  StatusClose(1);
  if (g_stop) {
    std::fprintf(stderr, "zurnmix: stopped; nothing written\n");
    return 130;
  }
  if (size == 0) return fail(g_message.empty() ? "the mix failed; nothing written" : g_message);
  char bytes[TOL_COMMANUM_SIZE];
  CommaNum(bytes, size);
  std::printf("  frames: %u\n  sound: %.2f seconds %s as track %d\n  file: %s, %s bytes\n", g_frames, seconds,
              track.rate == 0 ? "replaced" : "added", o.track, o.output.c_str(), bytes);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return zurnmixtool::mixerMain(argc, argv, "zurnmix", kUsage, 4, 123, run);
}
