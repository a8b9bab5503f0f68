// zurnconv: the converter. Turns any picture input with its sound into an
// AVI file, a FLIC animation or a numbered series of still pictures, or the
// sound of any input into a WAVE file, as the output name's extension says.
// --help for usage.
//
// Exit codes: 0 done; 1 failed; 2 bad command line; 130 stopped. Nothing is
// left under the output's names after a failure or a stop.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/library_messages.h"
#include "common/wave.h"
#include "tol/gfile.h"
#include "tol/ogfile.h"
#include "tol/sfile.h"
#include "tol/status.h"
#include "tol/tolutil.h"
#include "zurnconv/options.h"
#include "zurnconv/staged_output.h"

namespace zurnconv {
namespace {

constexpr size_t kMaxName = 127;   // the libraries' file records
constexpr size_t kNumberField = 5; // digits a series may add
constexpr int kStopped = 130;

volatile std::sig_atomic_t g_stop = 0;

void TOL_CC onCancel() { g_stop = 1; }

// The pictures' or the WAVE conversion's progress lines go to the status
// window, and its Cancel answers them.
int32_t TOL_CC showLibraryProgress(const char* text, int32_t kind) {
  if (kind == TOL_MESSAGE_ERROR) return tolapp::keepLibraryMessage(text, kind);
  if (text && (kind == TOL_MESSAGE_PROGRESS || kind == TOL_MESSAGE_FIRST_PROGRESS)) StatusSet(text);
  StatusCheck();
  return g_stop ? 1 : 0;
}

struct GFileCloser {
  void operator()(GFile* g) const { GFileClose(g); }
};
struct SFileCloser {
  void operator()(SFile* s) const { SFileClose(s); }
};
using Pictures = std::unique_ptr<GFile, GFileCloser>;
using Sound = std::unique_ptr<SFile, SFileCloser>;

// Why the run failed: the status window's last line, and printed once it is
// closed.
std::string g_failure;

// The status window for the whole run; closed before the summary is printed.
class StatusWindow {
 public:
  StatusWindow(intptr_t owner, const std::string& title) {
    StatusInit(nullptr, owner, 1);
    open_ = StatusOpen(title.c_str(), nullptr, onCancel) != 0;
  }
  ~StatusWindow() { close(g_failure.empty() ? "" : "Error: " + g_failure); }
  // Leaves `line` as the last status line, the one the launcher gets.
  void close(const std::string& line) {
    if (open_) {
      if (!line.empty()) StatusSet(line.c_str());
      StatusClose(0);
    }
    open_ = false;
  }

 private:
  bool open_ = false;
};

int fail(const std::string& message) {
  g_failure = message;
  return 1;
}

int stopped() {
  g_failure = "stopped; nothing written";
  return kStopped;
}

std::string libraryFailure(const std::string& what) {
  const std::string& message = tolapp::lastLibraryMessage();
  return message.empty() ? what : what + ": " + message;
}

std::string commas(uint64_t value) {
  char text[TOL_COMMANUM_SIZE];
  CommaNum(text, uint32_t(std::min<uint64_t>(value, UINT32_MAX)));
  return text;
}

std::string soundText(const SFile& s) {
  return std::to_string(s.outRate) + " Hz, " + std::to_string(s.outBits) + " bits, " +
         (s.outChannels == 2 ? "stereo" : "mono");
}

// True when `name` may be written: it does not exist, /O was given, or the
// user agrees through the status window (No without a terminal).
bool mayReplace(const ConvertOptions& o, const std::string& name, std::string& error) {
  std::error_code ec;
  if (o.overwrite || !std::filesystem::exists(name, ec)) return true;
  if (StatusAsk(("File " + name + " exists, overwrite?").c_str(), 1)) return true;
  error = name + " exists and was not replaced (/O replaces it)";
  return false;
}

// The checks before anything is read: names that fit, a folder that takes
// the output, an output that is not the input.
bool checkNames(const ConvertOptions& o, std::string& error) {
  const size_t room = kMaxName - StagedOutput::extraLength() - 4 - (o.kind == OutputKind::Series ? kNumberField : 0);
  if (o.output.size() > room) {
    error = o.output + ": the output name is longer than " + std::to_string(room) +
            " bytes, even relative to the current folder";
    return false;
  }
  const size_t slash = o.output.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : o.output.substr(0, slash);
  if (::access(folder.c_str(), W_OK) != 0) {
    error = tolapp::systemMessage(folder, errno);
    return false;
  }
  if (!CheckForDup(o.input.c_str(), o.output.c_str())) {
    error = "not converted";
    return false;
  }
  return true;
}

// start, end: as SFileOpen takes them.
Sound openSound(const ConvertOptions& o, int32_t start, int32_t end, TOLMediaCallback callback, std::string& error) {
  tolapp::lastLibraryMessage().clear();
  Sound s(SFileOpen(o.input.c_str(), o.soundRate, o.soundBits, o.soundChannels, start, end, o.soundTrack,
                    o.rawDescription, o.rawOffset, callback));
  if (!s) {
    const std::string& message = tolapp::lastLibraryMessage();
    error = message.empty() ? tolapp::openFailure(o.input, "no sound this program reads")
                            : o.input + ": no sound this program reads (" + message + ")";
  }
  return s;
}

// Milliseconds from the first source frame to the start of `frame` (0-based).
int32_t frameTime(const GFile& g, int32_t frame) {
  return int32_t(std::min<int64_t>(int64_t(frame) * 1000 * g.inRateDen / g.inRateNum, INT32_MAX));
}

// Fills `buffer` with up to `bytes` bytes of sound; the bytes delivered.
uint32_t readSound(SFile& s, std::vector<uint8_t>& buffer, uint32_t bytes) {
  buffer.resize(std::max<size_t>(buffer.size(), bytes));
  uint32_t got = 0;
  while (got < bytes) {
    const uint32_t n = SFileGet(&s, buffer.data() + got, bytes - got);
    if (n == 0) break;
    got += n;
  }
  return got;
}

// The sound alone into a WAVE file.
int convertSound(const ConvertOptions& o, StagedOutput& staged, StatusWindow& status) {
  std::string error;
  Sound s = openSound(o, o.soundStart, o.soundEnd, showLibraryProgress, error);
  if (!s) return fail(error);
  if (!mayReplace(o, o.output, error)) return fail(error);
  std::printf("zurnconv: %s (%s) -> %s (WAVE, %s)\n", o.input.c_str(), s->typeName, o.output.c_str(),
              soundText(*s).c_str());
  std::fflush(stdout);

  std::FILE* f = std::fopen(staged.name().c_str(), "wb");
  if (!f) return fail(tolapp::systemMessage(staged.name(), errno));
  std::vector<uint8_t> header = tolapp::waveHeader(s->outRate, s->outChannels, s->outBits, 0);
  bool written = std::fwrite(header.data(), 1, header.size(), f) == header.size();
  uint64_t bytes = 0;
  std::vector<uint8_t> buffer(65536 / s->outBlock * s->outBlock);
  while (written && !g_stop) {
    const uint32_t n = SFileGet(s.get(), buffer.data(), uint32_t(buffer.size()));
    if (n == 0) break;
    written = std::fwrite(buffer.data(), 1, n, f) == n;
    bytes += n;
    if (bytes > UINT32_MAX - 36) {
      std::fclose(f);
      return fail(o.output + ": more than 4 GB of sound does not fit a WAVE file (/J and /K choose a part)");
    }
  }
  header = tolapp::waveHeader(s->outRate, s->outChannels, s->outBits, uint32_t(bytes));
  written = written && std::fseek(f, 0, SEEK_SET) == 0 && std::fwrite(header.data(), 1, header.size(), f) == header.size();
  const int writeError = errno;
  if (std::fclose(f) != 0 || !written) return fail(tolapp::systemMessage(staged.name(), writeError));
  if (g_stop) return stopped();
  if (!staged.commit(1, error)) return fail(error);
  status.close("Converted the sound to " + o.output + ", " + commas(bytes + header.size()) + " bytes.");
  std::printf("  sound: %.2f seconds\n  file: %s, %s bytes\n", double(bytes) / s->outBlock / s->outRate,
              o.output.c_str(), commas(bytes + header.size()).c_str());
  return 0;
}

const char* kindText(const ConvertOptions& o) {
  switch (o.kind) {
    case OutputKind::Avi: return "AVI";
    case OutputKind::Flic: return "FLIC";
    default: return "pictures";
  }
}

// The pictures, and into an AVI their sound, through the output writer.
int convertVideo(const ConvertOptions& o, StagedOutput& staged, StatusWindow& status) {
  tolapp::lastLibraryMessage().clear();
  Pictures g(GFileOpen(o.input.c_str(), o.trueColour ? GFILE_TRUE_COLOR : 0, o.inRateNum, o.inRateDen, o.outRateNum,
                       o.outRateDen, o.cropX, o.cropY, o.cropWidth, o.cropHeight, o.firstFrame, o.lastFrame,
                       o.paletteMode, o.paletteInterval, o.paletteFirst, o.paletteCount, o.paletteOverlap,
                       o.systemColours, o.mode24, o.paletteFile.empty() ? nullptr : o.paletteFile.c_str(),
                       "Converting", showLibraryProgress));
  if (!g) return fail(tolapp::openFailure(o.input, "not a picture input this program reads"));
  const int32_t frames = g->outFrameCount, width = g->width, height = g->height;
  if (frames <= 0 || width <= 0 || height <= 0) return fail(o.input + ": no frames to convert");

  std::string error;
  Sound s;
  if (o.kind == OutputKind::Avi && o.sound && g->hasSound) {
    // The sound of the frames converted, timed as the pictures are (also a
    // sound file's, shown at 15 frames per second), unless /J or /K say.
    const int32_t first = std::clamp(o.firstFrame, 1, std::max(g->totalFrames, 1)) - 1;
    const int32_t start = o.soundStartGiven ? o.soundStart : frameTime(*g, first);
    const int32_t end = o.soundEndGiven ? o.soundEnd : o.lastFrame > 0 ? frameTime(*g, first + g->frameCount) : 0;
    s = openSound(o, start, end, tolapp::keepLibraryMessage, error);
    if (!s) return fail(error + " (/N-1 converts without sound)");
  }

  // Rows of the graphics input's frame buffer: the width rounded up to 4 pixels.
  const int32_t inputPitch = (width + 3) & ~3, bytesPerPixel = o.trueColour ? 4 : 1;
  tolapp::lastLibraryMessage().clear();
  OGFile* og = OGFileCreate(nullptr, staged.name().c_str(), o.trueColour, frames, g->outRateNum, g->outRateDen, width,
                            height, inputPitch, tolapp::keepLibraryMessage, OGFILE_REPLACE);
  if (!og) return fail(libraryFailure(o.output + ": the output cannot be written"));
  if (o.kind == OutputKind::Series) staged.setSeriesPattern(og->namePattern);
  if (!mayReplace(o, staged.finalName(0), error)) {
    OGFileClose(og);
    return fail(error);
  }
  const bool soundLeftOut = !s && g->hasSound && o.sound && o.kind != OutputKind::Avi;
  const std::string soundLine = s              ? "sound " + soundText(*s)
                                : soundLeftOut ? "sound left out (only AVI and WAVE files hold sound)"
                                               : "no sound";
  std::printf("zurnconv: %s (%s) -> %s (%s, %s)\n  %d frames of %d x %d at %g frames per second, %s\n", o.input.c_str(),
              g->typeName, o.output.c_str(), kindText(o), o.trueColour ? "true colour" : "256 colours", frames, width,
              height, double(g->outRateNum) / g->outRateDen, soundLine.c_str());
  std::fflush(stdout);

  std::vector<uint8_t> soundBuffer;
  uint64_t soundBytes = 0;
  bool readFailed = false;
  for (int32_t i = 0; i < frames && !g_stop && !og->error; ++i) {
    tolapp::lastLibraryMessage().clear();
    if (!GFileGet(g.get()) || g->pitch != inputPitch * bytesPerPixel) {
      readFailed = !g_stop;
      break;
    }
    if (s) {
      const uint32_t wanted = OGFilePutSoundAmount(og, s->outRate, s->outBits, s->outChannels);
      if (!tolapp::lastLibraryMessage().empty()) break;
      const uint32_t got = readSound(*s, soundBuffer, wanted);
      if (got > 0) OGFilePutSound(og, soundBuffer.data(), got);
      soundBytes += got;
    }
    OGFilePut(og, g->frameBuffer, g->palette);
    StatusCheck();
  }
  const bool writeFailed = og->error != 0 || !tolapp::lastLibraryMessage().empty();
  const int32_t written = og->framesWritten;
  const uint32_t size = OGFileClose(og);
  if (g_stop) return stopped();
  if (readFailed) return fail(libraryFailure(std::string(g->name) + ": frame " + std::to_string(written + 1) +
                                             " could not be read"));
  if (writeFailed || size == 0 || written != frames)
    return fail(libraryFailure(o.output + ": writing failed") + "; nothing written");
  if (!staged.commit(o.kind == OutputKind::Series ? written : 1, error)) return fail(error);
  const std::string files = o.kind != OutputKind::Series || written == 1
                                ? staged.finalName(0)
                                : staged.finalName(0) + " to " + staged.finalName(written - 1);
  status.close("Converted " + std::to_string(written) + " frames to " + files + ", " + commas(size) + " bytes.");
  std::printf("  frames: %d\n", written);
  if (s) std::printf("  sound: %.2f seconds\n", double(soundBytes) / s->outBlock / s->outRate);
  std::printf("  %s: %s, %s bytes\n", o.kind == OutputKind::Series && written > 1 ? "files" : "file", files.c_str(),
              commas(size).c_str());
  return 0;
}

int run(const ConvertOptions& o) {
  int code = 1;
  if (checkNames(o, g_failure)) {
    StagedOutput staged(o.output);
    StatusWindow status(o.owner, "Zurn Converter - " + o.output);
    code = o.kind == OutputKind::Wave ? convertSound(o, staged, status) : convertVideo(o, staged, status);
  }  // the status window is closed and the staged files are gone before the failure is told
  if (code != 0) std::fprintf(stderr, "zurnconv: %s\n", g_failure.c_str());
  return code;
}

}  // namespace
}  // namespace zurnconv

int main(int argc, char** argv) {
  using namespace zurnconv;
  const tolapp::CommandLine line = tolapp::splitArguments(argc, argv);
  if (line.help || argc < 2) {
    std::fputs(usageText(), line.help ? stdout : stderr);
    return line.help ? 0 : 2;
  }
  ConvertOptions options;
  std::string error;
  if (!parseConvertCommandLine(line, options, error)) {
    std::fprintf(stderr, "zurnconv: %s\n(zurnconv --help lists the switches)\n", error.c_str());
    return 2;
  }
  return run(options);
}
