// zurn: the compressor. Turns any picture input with its sound, or a named
// sound file, into a Zurn file through the encoder library, shows its
// progress, and checks the result by decoding it. --help for usage.
//
// Exit codes: 0 done and verified; 1 failed; 2 bad command line; 130
// stopped with Ctrl-C (the file then holds the frames compressed so far).

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/command_line.h"
#include "tol/tolutil.h"
#include "tol/zurnmake.h"
#include "zurn/hints.h"
#include "zurn/options.h"
#include "zurn/picture_source.h"
#include "zurn/progress.h"
#include "zurn/sound_source.h"
#include "zurn/verify.h"

namespace zurntool {
namespace {

// The encoder's callback has no user data: the one job of the process keeps
// its state here.
struct JobState {
  ProgressLine* progress = nullptr;
  uint32_t framesRead = 0;
  int messages = 0;  // kind 2 messages: something went wrong
};
JobState g_job;
volatile std::sig_atomic_t g_stop = 0;

void TOL_CC onCancel() { g_stop = 1; }

int32_t TOL_CC onEncoder(int32_t kind, ZurnMakeState* job, const char* text) {
  if (kind == ZURNMAKE_MESSAGE) {
    if (g_job.progress) g_job.progress->finish(std::string("Error: ") + (text ? text : ""));
    std::fprintf(stderr, "zurn: error: %s\n", text ? text : "");
    ++g_job.messages;
    return 0;
  }
  if (job && job->progressFrame >= 0 && g_job.progress) g_job.progress->show(g_job.framesRead, uint32_t(job->progressFrame));
  return g_stop ? 1 : 0;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "zurn: %s\n", message.c_str());
  return 1;
}

std::string commas(uint64_t value) {
  char text[TOL_COMMANUM_SIZE];
  CommaNum(text, uint32_t(std::min<uint64_t>(value, UINT32_MAX)));
  return text;
}

std::string rateText(Rate r) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", double(r.num) / r.den);
  return text;
}

// Bytes per frame that the data rate gives, and the most a frame may take.
struct Budget {
  uint32_t target = 0, max = 0;
  uint64_t bytesPerSecond = 0;
};

Budget budgetFor(int32_t dataRate, Fraction maxRate, int width, int height, Rate fps) {
  Budget b;
  uint64_t target;
  if (dataRate <= 200) {  // percent of the raw 24-bit frame
    target = uint64_t(width) * uint64_t(height) * 3 * uint64_t(dataRate) / 100;
    b.bytesPerSecond = target * fps.num / fps.den;
  } else {
    b.bytesPerSecond = uint64_t(dataRate);
    target = b.bytesPerSecond * fps.den / fps.num;
  }
  target = std::clamp<uint64_t>(target, 1, UINT32_MAX);
  const uint64_t num = uint64_t(maxRate.num), den = uint64_t(maxRate.den);
  // Above 10 times, the value is a rate of its own in bytes per second.
  uint64_t max = num > 10 * den ? num * fps.den / (den * fps.num) : target * num / den;
  max = std::clamp<uint64_t>(max, target, UINT32_MAX);
  b.target = uint32_t(target);
  b.max = uint32_t(max);
  return b;
}

// The budget of output frame `frame` (1-based): the hints' rate and
// largest frame where they give one.
Budget frameBudget(const CompressOptions& o, const Hints& hints, uint32_t frame, int width, int height, Rate fps) {
  const Hints::Value* rate = Hints::valueAt(hints.rates, frame);
  const Hints::Value* max = Hints::valueAt(hints.maxima, frame);
  return budgetFor(rate ? rate->num : o.dataRate, max ? Fraction{max->num, max->den} : o.maxRate, width, height,
                   fps);
}

bool checkOutput(const CompressOptions& o, const PictureSource& pictures, std::string& error) {
  if (!tolapp::outputWritable(o.output, error)) return false;
  if (!CheckForDup(pictures.name().c_str(), o.output.c_str()) ||
      (!o.sound.empty() && !CheckForDup(o.sound.c_str(), o.output.c_str()))) {
    error = "not compressed";
    return false;
  }
  std::error_code ec;
  if (!o.overwrite && std::filesystem::exists(o.output, ec) && !overwrite(o.output.c_str(), 0)) {
    error = o.output + " exists and was not replaced (/O replaces it)";
    return false;
  }
  return true;
}

int run(const CompressOptions& o) {
  const auto start = std::chrono::steady_clock::now();
  std::string error;
  Hints hints;
  if (!o.hints.empty() && !readHintFile(o.hints, hints, error)) return fail(error);
  PictureSource pictures;
  if (!pictures.open(o, error)) return fail(error);
  const int width = pictures.width(), height = pictures.height();
  if (width > 32768 || height < (o.lineMode ? 2 : 1) || height > 32768)
    return fail("a picture of " + std::to_string(width) + " x " + std::to_string(height) + " cannot be compressed");
  if (!checkOutput(o, pictures, error)) return fail(error);

  // The sound: the named file, else the input's own.
  SoundSource sound;
  const std::string soundName = o.soundOption < 0 ? "" : !o.sound.empty() ? o.sound : pictures.hasSound() ? o.input : "";
  const bool withSound = !soundName.empty();
  const Rate inRate = pictures.inputRate();
  const int32_t soundStart = int32_t(std::min<uint64_t>(uint64_t(pictures.firstIndex()) * inRate.den * 1000 / inRate.num, INT32_MAX));
  if (withSound && !sound.open(soundName, soundStart, o, error)) return fail(error);
  const ZurnMakeSoundTrack track = withSound ? sound.track(uint32_t(o.soundOption)) : ZurnMakeSoundTrack{};

  const Rate fps = pictures.outputRate();
  const Budget budget = budgetFor(o.dataRate, o.maxRate, width, height, fps);
  const uint32_t frames = pictures.frameCount();
  std::printf("zurn: %s (%s) -> %s\n  %u frames of %d x %d at %s frames per second, %s bytes per second%s\n",
              o.input.c_str(), pictures.typeName(), o.output.c_str(), frames, width, height, rateText(fps).c_str(),
              commas(budget.bytesPerSecond).c_str(), withSound ? "" : ", no sound");
  if (withSound)
    std::printf("  sound: %s (%s), %d Hz, 16 bits, %s, compression %d\n", soundName.c_str(), sound.typeName(),
                sound.rate(), sound.channels() == 2 ? "stereo" : "mono", o.soundOption);
  std::fflush(stdout);

  ProgressLine progress(frames, o.owner, "Zurn Compressor - " + o.output, onCancel);
  g_job.progress = &progress;
  ZurnMakeState* job = ZurnMake(o.output.c_str(), uint32_t(width) * 4, uint32_t(width), uint32_t(height), frames,
                                uint32_t(o.keyInterval), uint32_t(o.lineMode), fps.num, fps.den, withSound ? 1 : 0,
                                withSound ? &track : nullptr, uint32_t(o.window), onEncoder);
  if (!job) return fail(g_job.messages ? "the output was not created" : "the encoder refused the job");


  for (uint32_t i = 0; i < frames && !g_stop; ++i) {
    const uint8_t* pixels = pictures.next(error);
    if (!pixels) {
      progress.finish("Error: " + error);
      ZurnMakeClose(job, 1);
      return fail(error);
    }
    g_job.framesRead = i + 1;
    progress.show(g_job.framesRead, job->framesWritten);
    const Budget b = frameBudget(o, hints, i + 1, width, height, fps);
    ZurnMakePutVideo(job, b.target, b.max, i == 0 || hints.keyAt(i + 1), pixels);
  }
  const bool stopped = job->stopRequest || g_stop;
  const bool failed = job->failed != 0;
  const uint32_t written = job->framesWritten;
  if (!stopped) progress.show(frames, written);
  const uint32_t size = ZurnMakeClose(job, stopped && written == 0);
  if (failed || g_job.messages || size == 0) {
    const std::string problem = stopped && written == 0 ? "stopped before a frame was compressed; nothing written"
                                                        : "compression failed; " + o.output + " was not written";
    progress.finish("Error: " + problem);
    return fail(problem);
  }
  progress.finish((stopped ? "Stopped: " : "Done: ") + std::to_string(written) + " frames, " + commas(size) + " bytes");

  char elapsed[TOL_ELAPSEDTIME_SIZE];
  GetElapsedTime(elapsed, uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - start)
                                       .count()));
  const double seconds = double(written) * fps.den / fps.num;
  std::printf("  frames: %u (%.2f seconds)\n  file: %s, %s bytes\n  data rate: %s bytes per second (target %s)\n"
              "  time: %s\n",
              written, seconds, o.output.c_str(), commas(size).c_str(),
              commas(uint64_t(double(size) / std::max(seconds, 1e-9) + 0.5)).c_str(),
              commas(budget.bytesPerSecond).c_str(), elapsed);

  // Both height modes code every other line. Interlaced (1) is recorded as
  // the flag with which the decoder doubles the height and puts each coded
  // row on every second display row; doubled (2) leaves the decoder's
  // height as coded and the doubling to the player.
  const int coded = o.lineMode == 0 ? height : height / 2;
  const Expected expected{width, o.lineMode == 1 ? coded * 2 : coded, written, withSound};
  Verified verified;
  if (!verifyZurnFile(o.output, expected, verified, error)) return fail("verification failed: " + error);
  std::printf("  verified: %u frames decode", verified.frames);
  if (withSound) std::printf(", %.2f seconds of sound", verified.soundSeconds);
  std::printf("\n");
  if (stopped) {
    std::fprintf(stderr, "zurn: stopped; %s holds the %u frames compressed so far\n", o.output.c_str(), written);
    return 130;
  }
  return 0;
}

}  // namespace
}  // namespace zurntool

int main(int argc, char** argv) {
  using namespace zurntool;
  const tolapp::CommandLine line = tolapp::splitArguments(argc, argv);
  if (line.help) {
    std::fputs(usageText(), stdout);
    return 0;
  }
  if (argc < 2) {
    std::fputs(usageText(), stderr);
    return 2;
  }
  CompressOptions options;
  std::string error;
  if (!parseCommandLine(line, options, error)) {
    std::fprintf(stderr, "zurn: %s\n(zurn --help lists the switches)\n", error.c_str());
    return 2;
  }
  return run(options);
}
