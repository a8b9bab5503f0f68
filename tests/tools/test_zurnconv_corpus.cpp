// The converter end to end: every kind of input of the corpus (and a FLIC
// and a Pleven file made from it) into an AVI in true colour and in 256
// colours, a FLIC, a PNG series and a WAVE file, each read back through the
// graphics and sound input, and the AVI and WAVE files through GStreamer
// where it is installed. A few frames of each clip keep it quick.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "run_program.h"
#include "testutil.h"
#include "tol/gfile.h"
#include "tol/plevenwriter.h"
#include "tol/sfile.h"

namespace {

struct Input {
  const char* name;      // corpus file, or a file the test makes
  const char* switches;  // blank-separated
  int frames, width, height;
  double fps;
  double soundSeconds;  // 0: no sound
};

struct Output {
  const char* name;
  const char* switches;
};

constexpr Output kOutputs[] = {{"out.avi", "/z"}, {"out8.avi", ""}, {"out.flc", ""}, {"out.png", "/z"}, {"out.wav", ""}};

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

bool haveProgram(const char* name) { return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0; }

struct GFileCloser {
  void operator()(GFile* g) const { GFileClose(g); }
};
struct SFileCloser {
  void operator()(SFile* s) const { SFileClose(s); }
};

double soundSeconds(const std::string& name) {
  std::unique_ptr<SFile, SFileCloser> s(SFileOpen(name.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr));
  return s ? double(s->length) / s->srcBlock / s->srcRate : -1;
}

// The name the graphics input reads a series by: out.png for one frame,
// else the numbered files.
std::string seriesName(const std::string& folder, int frames) {
  if (frames == 1) return folder + "/out.png";
  const std::string field(frames >= 10 ? 2 : 1, '?');
  return folder + "/out" + field + ".png*0-" + std::to_string(frames - 1);
}

void expectPictures(const std::string& name, const Input& in, bool checkRate) {
  std::unique_ptr<GFile, GFileCloser> g(
      GFileOpen(name.c_str(), GFILE_TRUE_COLOR, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr,
                nullptr));
  ASSERT_NE(g, nullptr) << name;
  EXPECT_EQ(g->frameCount, in.frames) << name;
  EXPECT_EQ(g->width, in.width) << name;
  EXPECT_EQ(g->height, in.height) << name;
  if (checkRate) {
    EXPECT_NEAR(double(g->fileRateNum) / g->fileRateDen, in.fps, in.fps * 0.002) << name;
  }
  for (int i = 0; i < in.frames; ++i) ASSERT_EQ(GFileGet(g.get()), 1) << name << " frame " << i;
}

// GStreamer's own demuxers and parsers, no decoders: the files hold raw
// pictures and PCM.
void expectGStreamerReads(const std::string& name, bool avi, bool sound) {
  std::string pipeline = "gst-launch-1.0 -q filesrc location=" + name;
  if (!avi)
    pipeline += " ! wavparse ! fakesink";
  else
    pipeline += " ! avidemux name=d d.video_0 ! queue ! fakesink" + std::string(sound ? " d.audio_0 ! queue ! fakesink" : "");
  EXPECT_EQ(std::system((pipeline + " >/dev/null 2>&1").c_str()), 0) << pipeline;
}

// A Pleven file of four frames of the leaf sequence in 256 colours, with
// 16-bit mono sound at 22050 Hz, 15 frames per second.
bool makePleven(const std::string& sequence, const std::string& name) {
  std::unique_ptr<GFile, GFileCloser> g(GFileOpen(sequence.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                  0, nullptr, nullptr, nullptr));
  if (!g) return false;
  PlevWriterSettings settings{};
  settings.width = g->width;
  settings.height = g->height;
  settings.rate = -6667;
  settings.tracks[0] = {22050, 16, 1, 0, 0};
  PlevWriter* w = PlevWriterCreate(name.c_str(), &settings);
  if (!w) return false;
  std::vector<int16_t> pcm(1470);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = int16_t(8000 * std::sin(double(i) * 0.05));
  const void* sound[PLEV_TRACKS] = {pcm.data()};
  const uint32_t bytes[PLEV_TRACKS] = {uint32_t(pcm.size() * 2)};
  bool ok = true;
  for (int f = 0; f < g->outFrameCount && ok; ++f)
    ok = GFileGet(g.get()) && PlevWriterPutFrame(w, g->frameBuffer, g->pitch, g->palette, sound, bytes);
  return PlevWriterClose(w) == 1 && ok;
}

TEST(ConverterCorpus, EveryInputKindIntoEveryOutputKindReadsBack) {
  TOL_REQUIRE_FILE(rawAvi, testutil::corpusFile("avi/raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi"));
  TOL_REQUIRE_FILE(leaf, testutil::corpusFile("seq/leaf_pan_100x60/leafsmall0000.png"));
  const std::string corpus = rawAvi.substr(0, rawAvi.size() - std::string("avi/raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi").size());
  const std::string leafSequence = corpus + "seq/leaf_pan_100x60/leafsmall????.png*0-3";
  testutil::TempDir made;
  const std::string flic = made.file("made.flc"), pleven = made.file("made.plv");
  const Outcome madeFlic = runIn(made.path().string(), {TOL_ZURNCONV, rawAvi, flic, "/e4"});
  ASSERT_EQ(madeFlic.code, 0) << madeFlic.err;
  ASSERT_TRUE(makePleven(leafSequence, pleven));

  const std::vector<std::pair<std::string, Input>> inputs = {
      {rawAvi, {"AVI", "/e4", 4, 320, 240, 15, 4.0 / 15}},
      {corpus + "avi/mjpeg_640x480_25fps_pcm16_44100_mono.avi", {"Motion-JPEG AVI", "/s2 /e4", 3, 640, 480, 25, 0.12}},
      {corpus + "mov/raw_rgb24_100x60_10fps_sowt16_22050_stereo.mov", {"QuickTime", "/e4", 4, 100, 60, 10, 0.4}},
      {leafSequence, {"PNG sequence", "", 4, 100, 60, 15, 0}},
      {corpus + "stills/leaf_100x60_24bit.bmp", {"BMP still", "", 1, 100, 60, 15, 0}},
      {corpus + "stills/leaf_100x60.gif", {"GIF still", "", 1, 100, 60, 15, 0}},
      {corpus + "audio/speech_16bit_mono_22050.wav", {"WAVE", "/e4 /k266", 4, 4, 4, 15, 0.266}},
      {flic, {"FLIC", "", 4, 320, 240, 100000.0 / 6666, 0}},
      {pleven, {"Pleven", "", 4, 100, 60, 100000.0 / 6667, 4.0 * 6667 / 100000}},
  };
  const bool gstreamer = haveProgram("gst-launch-1.0");
  if (!gstreamer) std::printf("gst-launch-1.0 is not installed: GStreamer's checks are skipped\n");

  for (const auto& [file, in] : inputs) {
    if (file.find('?') == std::string::npos && !std::filesystem::exists(file)) {
      std::printf("%s: not in the corpus, skipped\n", file.c_str());
      continue;
    }
    for (const Output& out : kOutputs) {
      const bool wave = std::string(out.name) == "out.wav";
      if (wave && in.soundSeconds == 0) continue;
      SCOPED_TRACE(std::string(in.name) + " -> " + out.name);
      testutil::TempDir dir;
      std::vector<std::string> args = {TOL_ZURNCONV, file, out.name};
      for (const std::string& w : words(std::string(in.switches) + " " + out.switches)) args.push_back(w);
      const Outcome r = runIn(dir.path().string(), args);
      ASSERT_EQ(r.code, 0) << r.err;
      const std::string written = dir.file(out.name);
      if (std::string(out.name) == "out.png") {
        expectPictures(seriesName(dir.path().string(), in.frames), in, false);
      } else if (!wave) {
        expectPictures(written, in, true);
      }
      const bool avi = std::string(out.name).find(".avi") != std::string::npos;
      if (wave || (avi && in.soundSeconds > 0)) {
        EXPECT_NEAR(soundSeconds(written), in.soundSeconds, 0.005);
      } else if (avi) {
        EXPECT_LT(soundSeconds(written), 0) << "a sound track without sound";
      }
      if (gstreamer && (wave || avi)) expectGStreamerReads(written, avi, in.soundSeconds > 0);
    }
  }
}

}  // namespace
