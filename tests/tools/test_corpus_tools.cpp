// The compressor and both mixers, run as the launcher runs them, on every
// kind of input the suite reads: the media corpus (AVI, QuickTime, image
// sequences, stills, WAVE) and the kinds it lacks, made here through the
// suite's own writers (FLIC, Pleven, Zurn, raw frames, list files, RLE AVI).
// Every result is read back through the decoders. Long clips are cut with
// /S and /E to keep the run short.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "avi/riff_builder.h"
#include "common/zurn_facts.h"
#include "run_program.h"
#include "testutil.h"
#include "tol/gfile.h"
#include "tol/ogfile.h"
#include "tol/pleven.h"
#include "tol/plevenwriter.h"
#include "tol/sfile.h"
#include "tol/zurndecoder.h"
#include "tol/zurnsound.h"

namespace {

constexpr const char* kAvi = "avi/raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi";
constexpr const char* kMjpeg = "avi/mjpeg_640x480_25fps_pcm16_44100_mono.avi";
constexpr const char* kMov = "mov/raw_rgb24_100x60_10fps_sowt16_22050_stereo.mov";
constexpr const char* kSpeech = "audio/speech_16bit_mono_22050.wav";
constexpr const char* kChord = "audio/chord_8bit_mono_11025.wav";
constexpr const char* kLeafPan = "seq/leaf_pan_100x60/leafsmall0000.png";

std::string corpus(const std::string& rel) { return testutil::corpusFile(rel); }

void writeText(const std::string& name, const std::string& text) {
  testutil::writeFile(name, std::vector<uint8_t>(text.begin(), text.end()));
}

// The numbered pattern of a corpus sequence from its first file's name.
std::string pattern(const std::string& first) {
  std::string p = first;
  p.replace(p.rfind("0000"), 4, "????");
  return p;
}

// What a decoded sound track holds: its length and where it is loud.
struct TrackSound {
  int rate = 0, channels = 0;
  double seconds = 0;
  std::vector<int16_t> samples;
  // The time of the first sample louder than an eighth of full scale; -1
  // for none (the corpus's sine waves and speech are louder than that, its
  // ticks too, and the coders' noise far quieter).
  double firstLoud() const {
    for (size_t i = 0; i < samples.size(); ++i)
      if (std::abs(samples[i]) > 4096) return double(i / size_t(channels)) / rate;
    return -1;
  }
};

// The check of a track's sound: kLoud somewhere loud, else the time of the
// first loud moment (the QuickTime clip's first tick is at 0.9 seconds).
constexpr double kLoud = 0;
void expectLoudAt(const TrackSound& sound, double at) {
  if (at == kLoud) {
    EXPECT_GE(sound.firstLoud(), 0) << "silence";
  } else {
    EXPECT_NEAR(sound.firstLoud(), at, 0.02) << "the sound is out of step";
  }
}

struct DecoderCloser {
  void operator()(ZurnDecoder* d) const { ZurnDecoderClose(d); }
};

// Decodes every frame of a Zurn file with its track `track` (-1: none).
// frames: the number that decoded.
bool decodeZurn(const std::string& name, int track, int& frames, TrackSound& sound) {
  std::unique_ptr<ZurnDecoder, DecoderCloser> d(ZurnDecoderOpen(name.c_str(), 0));
  if (!d) return false;
  std::unique_ptr<ZurnTrackReader, void (*)(ZurnTrackReader*)> reader(
      track >= 0 ? ZurnTrackReaderOpen(d.get(), track) : nullptr, ZurnTrackReaderClose);
  if (track >= 0 && !reader) return false;
  std::vector<uint8_t> buffer(reader ? reader->bufferSize : 0);
  frames = 0;
  for (int f = 1; f <= d->frames; ++f) {
    if (!ZurnDecoderDecodeFrame(d.get())) return false;
    ++frames;
    if (reader) {
      const uint32_t n = ZurnTrackReaderGet(reader.get(), buffer.data());
      for (uint32_t i = 0; reader->bits == 8 && i < n; ++i) sound.samples.push_back(int16_t((buffer[i] - 128) * 256));
      for (uint32_t i = 0; reader->bits == 16 && i + 1 < n; i += 2)
        sound.samples.push_back(int16_t(buffer[i] | buffer[i + 1] << 8));
    }
    ZurnDecoderNextFrame(d.get());
  }
  if (reader) {
    sound.rate = reader->rate;
    sound.channels = reader->channels;
    sound.seconds = double(sound.samples.size()) / (reader->rate * reader->channels);
  }
  return true;
}

// 8-bit frames of a source with their palettes, through the graphics input.
struct PalettedFrames {
  int width = 0, height = 0;
  std::vector<std::vector<uint8_t>> pixels, palettes;
};

PalettedFrames readPaletted(const std::string& name, int frames) {
  PalettedFrames p;
  GFile* g = GFileOpen(name.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, frames, 0, 0, 0, 256, 0, 2, 0, nullptr, nullptr,
                       nullptr);
  if (!g) return p;
  p.width = g->width, p.height = g->height;
  for (int f = 0; f < g->outFrameCount && GFileGet(g); ++f) {
    std::vector<uint8_t> rows(size_t(p.width) * size_t(p.height));
    for (int y = 0; y < p.height; ++y)
      std::memcpy(&rows[size_t(y) * size_t(p.width)], g->frameBuffer + size_t(y) * size_t(g->pitch), size_t(p.width));
    p.pixels.push_back(std::move(rows));
    p.palettes.emplace_back(g->palette, g->palette + 768);
  }
  GFileClose(g);
  return p;
}

// All of a sound file as 16-bit samples of its own rate and channels.
std::vector<uint8_t> readSound(const std::string& name, int& rate, int& channels) {
  std::vector<uint8_t> all;
  SFile* s = SFileOpen(name.c_str(), 0, 16, 0, 0, 0, 0, 0, 0, nullptr);
  if (!s) return all;
  rate = s->outRate, channels = s->outChannels;
  uint8_t chunk[4096];
  for (uint32_t n; (n = SFileGet(s, chunk, sizeof chunk)) > 0;) all.insert(all.end(), chunk, chunk + n);
  SFileClose(s);
  return all;
}

// The inputs the corpus lacks, made once for the suite from its files.
class CorpusTools : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (corpus(kLeafPan).empty() || corpus(kSpeech).empty() || corpus(kMov).empty()) return;
    made_ = std::make_unique<testutil::TempDir>();
    const PalettedFrames leaf = readPaletted(pattern(corpus(kLeafPan)) + "*0-9", 10);
    ASSERT_EQ(leaf.pixels.size(), 10u);
    writeFlic(leaf);
    writePleven(leaf);
    writeRaw(leaf);
    writeRleAvi();
    writeText(made_->file("mixed.lst"), corpus(kMov) + " /S6 /E15\n# a comment\n" +
                                                      corpus("stills/leaf_100x60.gif") + " /L3\n" +
                                                      pattern(corpus(kLeafPan)) + "*0-4\n");
    const Outcome r = runIn(made_->path().string(), {TOL_ZURN, corpus(kMov), "clip.zrn", "/d30000"});
    ASSERT_EQ(r.code, 0) << r.err;
  }
  static void TearDownTestSuite() { made_.reset(); }

  static std::string made(const std::string& name) { return made_ ? made_->file(name) : std::string(); }

  static void writeFlic(const PalettedFrames& p) {
    OGFile* og = OGFileCreate(nullptr, made("leaf.flc").c_str(), 0, int32_t(p.pixels.size()), 10, 1, p.width,
                              p.height, p.width, nullptr, OGFILE_REPLACE);
    ASSERT_NE(og, nullptr);
    for (size_t f = 0; f < p.pixels.size(); ++f) OGFilePut(og, p.pixels[f].data(), p.palettes[f].data());
    ASSERT_NE(OGFileClose(og), 0u);
  }

  // Ten frames at 100 ms with the speech as track 0, 2205 samples a frame.
  static void writePleven(const PalettedFrames& p) {
    int rate = 0, channels = 0;
    const std::vector<uint8_t> speech = readSound(corpus(kSpeech), rate, channels);
    ASSERT_EQ(rate, 22050);
    PlevWriterSettings settings{};
    settings.width = p.width;
    settings.height = p.height;
    settings.rate = 100;
    settings.tracks[0] = {rate, 16, channels, 0, 0};
    PlevWriter* w = PlevWriterCreate(made("leaf.plv").c_str(), &settings);
    ASSERT_NE(w, nullptr);
    const uint32_t perFrame = 2205 * 2;
    for (size_t f = 0; f < p.pixels.size(); ++f) {
      const void* parts[PLEV_TRACKS] = {speech.data() + f * perFrame};
      uint32_t sizes[PLEV_TRACKS] = {perFrame};
      ASSERT_EQ(PlevWriterPutFrame(w, p.pixels[f].data(), p.width, p.palettes[f].data(), parts, sizes), 1);
    }
    ASSERT_EQ(PlevWriterClose(w), 1);
  }

  // "RAWB", frames, width, height, 10000 (1/100000 s a frame: 10 frames a
  // second); per frame a palette record and a pixel record.
  static void writeRaw(const PalettedFrames& p) {
    avitest::Bytes b;
    b.tag("RAWB"), b.u32(uint32_t(p.pixels.size())), b.u32(uint32_t(p.width)), b.u32(uint32_t(p.height)), b.u32(10000);
    for (size_t f = 0; f < p.pixels.size(); ++f) {
      b.u32(0), b.b.insert(b.b.end(), p.palettes[f].begin(), p.palettes[f].end());
      b.u32(1), b.b.insert(b.b.end(), p.pixels[f].begin(), p.pixels[f].end());
    }
    testutil::writeFile(made("leaf.raw"), b.b);
  }

  // Eight 64 x 48 frames of RLE8 bands that move down a row a frame.
  static void writeRleAvi() {
    std::vector<avitest::Chunk> chunks;
    for (int f = 0; f < 8; ++f) {
      std::vector<uint8_t> data;
      for (int y = 0; y < 48; ++y) {
        const uint8_t colour = uint8_t(((y + f) / 4) * 16);
        data.insert(data.end(), {32, colour, 32, uint8_t(255 - colour), 0, 0});
      }
      data.insert(data.end(), {0, 1});
      chunks.push_back({"00dc", data, 0x10});
    }
    testutil::writeFile(made("bands_rle.avi"),
                        avitest::makeAvi(avitest::bitmapFormat(64, 48, 8, 1, 256), chunks, avitest::Index::Idx1FromMovi));
  }

  Outcome run(std::vector<std::string> args) { return runIn(dir.path().string(), std::move(args)); }

  testutil::TempDir dir;
  static std::unique_ptr<testutil::TempDir> made_;
};

std::unique_ptr<testutil::TempDir> CorpusTools::made_;

TEST_F(CorpusTools, CompressorTakesEveryKindOfInput) {
  TOL_REQUIRE_FILE(leaf, corpus(kLeafPan));
  TOL_REQUIRE_FILE(avi, corpus(kAvi));
  TOL_REQUIRE_FILE(speech, corpus(kSpeech));
  constexpr double kNone = -1;
  struct Case {
    std::string input;
    std::vector<std::string> switches;  // the sound file, if any, first
    int frames, width, height;
    uint32_t fpsNum, fpsDen;
    double sound;  // kNone, kLoud or where the first tick is heard
  };
  const Case cases[] = {
      {avi, {"/s3", "/e8"}, 6, 320, 240, 15, 1, kLoud},
      {avi, {"/s1", "/e4", "/z1"}, 4, 320, 120, 15, 1, kLoud},  // every other line
      {corpus(kMjpeg), {"/s20", "/e23"}, 4, 640, 480, 25, 1, kLoud},
      {corpus(kMov), {"/s6", "/e25"}, 20, 100, 60, 10, 1, 0.4},  // from 0.5 s: ticks at 0.9 and 1.9 s
      {pattern(leaf), {}, 30, 100, 60, 15, 1, kNone},
      {pattern(corpus("seq/boats_pan_jpeg_320x240/boatsjpg0000.jpg")), {"/e4"}, 4, 320, 240, 15, 1, kNone},
      {pattern(corpus("synth/ball_320x240/ball0000.png")) + "*10-19", {speech, "/f10"}, 10, 320, 240, 10, 1, kLoud},
      {corpus("stills/leaf_100x60_24bit.bmp"), {}, 1, 100, 60, 15, 1, kNone},
      {corpus("stills/leaf_100x60.gif"), {}, 1, 100, 60, 15, 1, kNone},
      {corpus("stills/leaf_100x60.tga"), {}, 1, 100, 60, 15, 1, kNone},
      {corpus("stills/leaf_100x60.tif"), {}, 1, 100, 60, 15, 1, kNone},
      {corpus("stills/leaf_100x60_24bit.pcx"), {}, 1, 100, 60, 15, 1, kNone},
      {speech, {}, 87, 4, 4, 15, 1, kLoud},  // sound only: a frame per 1/15 s and one more
      {corpus(kChord), {"/l0"}, 61, 4, 4, 15, 1, kLoud},
      {made("leaf.flc"), {}, 10, 100, 60, 10, 1, kNone},
      {made("leaf.plv"), {"/s2"}, 9, 100, 60, 10, 1, kLoud},
      {made("leaf.raw"), {}, 10, 100, 60, 10, 1, kNone},
      {made("bands_rle.avi"), {"/a30"}, 16, 64, 48, 30, 1, kNone},
      {made("mixed.lst"), {}, 18, 100, 60, 10, 1, 0.4},  // the QuickTime clip from 0.5 s, a still thrice, a sequence
      {made("clip.zrn"), {"/s11", "/e20"}, 10, 100, 60, 10, 1, 0.9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    ASSERT_FALSE(c.input.empty()) << "corpus file missing";
    std::vector<std::string> args{TOL_ZURN, c.input, "out.zrn", "/o", "/d60000"};
    args.insert(args.begin() + 3, c.switches.begin(), c.switches.end());  // a sound file first, after the output
    const Outcome r = run(args);
    ASSERT_EQ(r.code, 0) << r.out << r.err;

    tolapp::ZurnFacts facts;
    std::string error;
    ASSERT_TRUE(tolapp::readZurnFacts(dir.file("out.zrn"), facts, error)) << error;
    EXPECT_EQ(facts.frames, uint32_t(c.frames));
    EXPECT_EQ(facts.width, uint32_t(c.width));
    EXPECT_EQ(facts.height, uint32_t(c.height));
    EXPECT_EQ(facts.fpsNumerator, c.fpsNum);
    EXPECT_EQ(facts.fpsDenominator, c.fpsDen);
    ASSERT_EQ(facts.tracks.size(), c.sound == kNone ? 0u : 1u);

    int frames = 0;
    TrackSound sound;
    ASSERT_TRUE(decodeZurn(dir.file("out.zrn"), c.sound == kNone ? -1 : 0, frames, sound));
    EXPECT_EQ(frames, c.frames);
    if (c.sound == kNone) continue;
    // The sound lasts as long as the pictures and is in step with them.
    EXPECT_NEAR(sound.seconds, facts.seconds(), 0.02);
    expectLoudAt(sound, c.sound);
  }
}

TEST_F(CorpusTools, ZurnMixerReplacesAndAddsTracksFromEveryKindOfSound) {
  TOL_REQUIRE_FILE(avi, corpus(kAvi));
  ASSERT_FALSE(made("leaf.plv").empty());
  ASSERT_EQ(run({TOL_ZURN, avi, "v.zrn", "/d40000"}).code, 0);  // two seconds, 22050 Hz stereo
  struct Case {
    std::vector<std::string> args;  // sound, then switches
    int track;                      // the track the sound lands in
    uint32_t tracks, rate, bits, channels;
    double sound;                   // kLoud, or where it first is
  };
  const Case cases[] = {
      {{corpus(kSpeech)}, 0, 1, 22050, 16, 1, kLoud},
      {{corpus(kChord), "/t1", "/p"}, 1, 2, 11025, 8, 1, kLoud},  // the source's format
      {{corpus(kMjpeg), "/t2", "/n6", "/l0", "/b16"}, 2, 3, 44100, 16, 1, 5.0 / 15},
      {{made("leaf.plv"), "/t1", "/c2", "/r11025"}, 1, 3, 11025, 16, 2, kLoud},
      {{made("clip.zrn"), "/t0", "/n-200"}, 0, 3, 22050, 16, 2, 1.1},
      {{corpus(kMov), "/t3", "/s500", "/e1500", "/b8"}, 3, 4, 22050, 8, 2, 0.4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " into track " + std::to_string(c.track));
    ASSERT_FALSE(c.args[0].empty()) << "input missing";
    std::vector<std::string> args{TOL_ZURNMIX, "v.zrn", c.args[0], "v.zrn"};
    args.insert(args.end(), c.args.begin() + 1, c.args.end());
    const Outcome r = run(args);
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_NE(r.err.find("Done: track " + std::to_string(c.track)), std::string::npos) << "last status line: " << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("v.zrn.tmp")));

    tolapp::ZurnFacts facts;
    std::string error;
    ASSERT_TRUE(tolapp::readZurnFacts(dir.file("v.zrn"), facts, error)) << error;
    EXPECT_EQ(facts.frames, 30u);
    ASSERT_EQ(facts.tracks.size(), c.tracks);
    const tolapp::ZurnTrackFacts& t = facts.tracks[size_t(c.track)];
    EXPECT_EQ(t.id, uint32_t(c.track));
    EXPECT_EQ(t.rate, c.rate);
    EXPECT_EQ(t.bits, c.bits);
    EXPECT_EQ(t.channels, c.channels);

    int frames = 0;
    TrackSound sound;
    ASSERT_TRUE(decodeZurn(dir.file("v.zrn"), c.track, frames, sound));
    EXPECT_EQ(frames, 30);
    EXPECT_NEAR(sound.seconds, 2.0, 0.02);
    expectLoudAt(sound, c.sound);
  }
}

TEST_F(CorpusTools, PlevenMixerWritesRawAndCompressedTracks) {
  TOL_REQUIRE_FILE(chord, corpus(kChord));
  ASSERT_FALSE(made("leaf.plv").empty());
  struct Case {
    std::vector<std::string> args;  // sound, then switches
    int track;
    bool compressed;
    uint32_t rate, bits, channels;
    double sound;  // kLoud, or where it first is
    double seconds = 1;  // of the ten frames
  };
  const Case cases[] = {
      {{chord}, 0, false, 11025, 8, 1, kLoud},
      {{chord, "/t1", "/l4", "/b16"}, 1, true, 11025, 16, 1, kLoud},
      {{corpus(kAvi), "/t2", "/l0"}, 2, true, 22050, 16, 2, kLoud},
      {{made("clip.zrn"), "/t3", "/n3", "/s500", "/c1"}, 3, false, 22050, 16, 1, 0.2 + 0.4},
      {{made("clip.zrn"), "/t3", "/s500", "/l9"}, 3, true, 22050, 16, 2, 0.4},
      {{made("clip.zrn"), "/t1", "/f20", "/s600", "/n3"}, 1, false, 22050, 16, 2, 0.1 + 0.3, 0.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " into track " + std::to_string(c.track));
    std::vector<std::string> args{TOL_PLEVMIX, made("leaf.plv"), c.args[0], "out.plv", "/o"};
    args.insert(args.end(), c.args.begin() + 1, c.args.end());
    const Outcome r = run(args);
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_NE(r.err.find("Done: track " + std::to_string(c.track) + " in 10 frames"), std::string::npos) << r.err;

    std::unique_ptr<PlevDecoder, void (*)(PlevDecoder*)> d(PlevOpen(dir.file("out.plv").c_str(), 0, 0), PlevClose);
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->frames, 10);
    EXPECT_EQ(d->frameTime, int32_t(c.seconds * 10000));
    const uint32_t word = d->trackWords[c.track];
    EXPECT_NE(word & PLEV_TRACK_HAS_SOUND, 0u);
    EXPECT_EQ((word & PLEV_TRACK_COMPRESSED) != 0, c.compressed);
    EXPECT_EQ(word & PLEV_TRACK_RATE_MASK, c.rate);
    EXPECT_EQ((word & PLEV_TRACK_16BIT) ? 16u : 8u, c.bits);
    EXPECT_EQ((word & PLEV_TRACK_STEREO) ? 2u : 1u, c.channels);
    std::vector<uint8_t> picture(100 * 60), chunk(*std::max_element(d->maxSoundSize, d->maxSoundSize + PLEV_TRACKS) + 16);
    PlevSetDestination(d.get(), 0, 0, 100, 60, picture.data(), 0);
    TrackSound sound;
    sound.rate = int(c.rate), sound.channels = int(c.channels);
    for (int f = 0; f < d->frames; ++f) {
      if (f) PlevNextFrame(d.get());
      PlevDecodeFrame(d.get());
      const int32_t n = PlevTrackSound(d.get(), chunk.data(), PLEV_OPEN_TRACK(c.track));
      ASSERT_GE(n, 0);
      for (int32_t i = 0; i + 1 < n && c.bits == 16; i += 2) sound.samples.push_back(int16_t(chunk[i] | chunk[i + 1] << 8));
      for (int32_t i = 0; i < n && c.bits == 8; ++i) sound.samples.push_back(int16_t((chunk[i] - 128) * 256));
      // The speech of track 0 is carried over whatever the new track is.
      if (c.track != 0 && c.seconds == 1) {
        EXPECT_EQ(PlevTrackSound(d.get(), chunk.data(), PLEV_OPEN_TRACK(0)), 2205 * 2) << f;
      }
    }
    EXPECT_EQ(sound.samples.size(), size_t(c.seconds * c.rate) * c.channels);
    expectLoudAt(sound, c.sound);
  }
}

}  // namespace
