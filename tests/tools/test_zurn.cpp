// The compressor program, run as the launcher runs it, on a small clip made
// by zurnsample; every result is checked with the decoder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "common/zurn_facts.h"
#include "run_program.h"
#include "testutil.h"
#include "tol/pleven.h"
#include "tol/plevenwriter.h"
#include "tol/zurndecoder.h"
#include "tol/zurnsound.h"

namespace {

constexpr int kFrames = 16, kWidth = 64, kHeight = 48;

struct DecoderCloser {
  void operator()(ZurnDecoder* d) const { ZurnDecoderClose(d); }
};
using Decoder = std::unique_ptr<ZurnDecoder, DecoderCloser>;

// Every frame must decode.
void expectDecodes(ZurnDecoder& d) {
  for (int f = 1; f <= d.frames; ++f) {
    EXPECT_EQ(ZurnDecoderDecodeFrame(&d), 1) << "frame " << f;
    ZurnDecoderNextFrame(&d);
  }
}

class ZurnTool : public ::testing::Test {
 protected:
  // One sample clip for all tests: frame0000.png to frame0015.png,
  // sound.wav, 16/15 seconds of 11025 Hz mono, and the same as clip.plv.
  static void SetUpTestSuite() {
    sample_ = std::make_unique<testutil::TempDir>();
    const Outcome r = runIn(sample_->path().string(), {TOL_ZURNSAMPLE, "clip", "/N" + std::to_string(kFrames),
                                                   "/W" + std::to_string(kWidth), "/H" + std::to_string(kHeight),
                                                   "/R11025", "/P"});
    ASSERT_EQ(r.code, 0) << r.err;
  }
  static void TearDownTestSuite() { sample_.reset(); }

  static std::string clip(const std::string& name) { return sample_->file("clip/" + name); }

  Outcome zurn(std::vector<std::string> args) {
    args.insert(args.begin(), TOL_ZURN);
    return runIn(dir.path().string(), std::move(args));
  }

  Decoder decode(const std::string& name) {
    Decoder d(ZurnDecoderOpen(dir.file(name).c_str(), 0));
    EXPECT_NE(d, nullptr) << ZurnDecoderGetError();
    return d;
  }

  testutil::TempDir dir;
  static std::unique_ptr<testutil::TempDir> sample_;
};

std::unique_ptr<testutil::TempDir> ZurnTool::sample_;

TEST_F(ZurnTool, CompressesPicturesAndSoundAndChecksTheFile) {
  const Outcome r = zurn({clip("frame????.png"), "out.zrn", clip("sound.wav"), "/d20000", "/#4321"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("verified: 16 frames decode"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("Done: 16 frames"), std::string::npos) << "last status line: " << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.zrn.tmp")));

  Decoder d = decode("out.zrn");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->frames, kFrames);
  EXPECT_EQ(d->width, kWidth);
  EXPECT_EQ(d->height, kHeight);
  EXPECT_EQ(d->fpsNumerator, 15);
  EXPECT_EQ(d->fpsDenominator, 1);
  std::unique_ptr<ZurnTrackReader, void (*)(ZurnTrackReader*)> sound(ZurnTrackReaderOpen(d.get(), 0),
                                                                     ZurnTrackReaderClose);
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(sound->rate, 11025);
  EXPECT_EQ(sound->channels, 1);
  std::vector<uint8_t> buffer(sound->bufferSize);
  uint64_t bytes = 0;
  for (int f = 1; f <= d->frames; ++f) {
    EXPECT_EQ(ZurnDecoderDecodeFrame(d.get()), 1);
    bytes += ZurnTrackReaderGet(sound.get(), buffer.data());
    ZurnDecoderNextFrame(d.get());
  }
  // The whole sound, as long as the pictures: 16/15 seconds.
  EXPECT_NEAR(double(bytes) / (2 * 11025), double(kFrames) / 15, 0.01);
  // The rate holds the file near 20000 bytes a second.
  const double rate = double(std::filesystem::file_size(dir.file("out.zrn"))) * 15 / kFrames;
  EXPECT_LT(rate, 20000 * 1.5);
}

TEST_F(ZurnTool, FrameRangeRatesHeightModesAndCropShapeTheFile) {
  struct Case {
    std::vector<std::string> args;
    int frames, width, height;
  };
  const std::string folder = clip("frame????.png");
  const Case cases[] = {
      {{folder, "a.zrn", "/s5", "/e12"}, 8, kWidth, kHeight},
      {{clip("frame????.png*3-6"), "b.zrn"}, 4, kWidth, kHeight},
      {{folder, "c.zrn", "/z1", "/k4"}, kFrames, kWidth, kHeight},  // interlaced: on every second line
      {{folder, "d.zrn", "/z2", "/p2"}, kFrames, kWidth, kHeight / 2},  // doubled by the player
      {{folder, "e.zrn", "/x8", "/y-4", "/w32", "/h16"}, kFrames, 32, 16},
      {{folder, "f.zrn", "/f30", "/a15"}, kFrames / 2, kWidth, kHeight},
      {{folder, "g.zrn", clip("sound.wav"), "/l-1", "/D50", "/M1.5"}, kFrames, kWidth, kHeight},
  };
  for (const Case& c : cases) {
    const Outcome r = zurn(c.args);
    ASSERT_EQ(r.code, 0) << c.args[1] << ": " << r.err;
    Decoder d = decode(c.args[1]);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->frames, c.frames) << c.args[1];
    EXPECT_EQ(d->width, c.width) << c.args[1];
    EXPECT_EQ(d->height, c.height) << c.args[1];
    EXPECT_EQ(ZurnDecoderTrackFlags(d.get(), 0), 0u) << c.args[1] << " has no sound track";
    expectDecodes(*d);
  }
  // The launcher's "Interlaced" writes /z1 and its "Doubled" /z2; the
  // player reads the file's mode back as the same choice.
  Decoder interlaced = decode("c.zrn");
  EXPECT_NE(interlaced->flags & ZURNDEC_LINE_DOUBLING, 0u);
  Decoder doubled = decode("d.zrn");
  EXPECT_EQ(doubled->flags & ZURNDEC_LINE_DOUBLING, 0u);
  for (const auto& [name, mode] : {std::pair{"c.zrn", 1}, std::pair{"d.zrn", 2}}) {
    tolapp::ZurnFacts facts;
    std::string error;
    ASSERT_TRUE(tolapp::readZurnFacts(dir.file(name), facts, error)) << error;
    EXPECT_EQ(facts.lineMode, mode) << name;
    EXPECT_EQ(facts.height, uint32_t(kHeight / 2)) << name;
  }
  Decoder halved = decode("f.zrn");
  EXPECT_EQ(halved->fpsNumerator, 15);
}

TEST_F(ZurnTool, HintsForceKeyFramesAndTheTemporaryHintFileGoes) {
  // Key frames at every frame cost more than the predicted frames they
  // replace; the starred hint file is gone afterwards.
  testutil::writeFile(dir.file("h.txt"), {'k', 'e', 'y', ' ', '1', '-', '\n'});
  Outcome r = zurn({clip("frame????.png"), "keys.zrn", "/@*" + dir.file("h.txt"), "/l-1", "/d200"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("h.txt")));
  r = zurn({clip("frame????.png"), "plain.zrn", "/l-1", "/d200"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_GT(std::filesystem::file_size(dir.file("keys.zrn")), std::filesystem::file_size(dir.file("plain.zrn")) * 5 / 4);
  Decoder d = decode("keys.zrn");
  ASSERT_NE(d, nullptr);
  expectDecodes(*d);

  r = zurn({clip("frame????.png"), "bad.zrn", "/@" + clip("frame0000.png")});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("hints, line 1"), std::string::npos) << r.err;
}

TEST_F(ZurnTool, MixerReplacesAndAddsTracks) {
  ASSERT_EQ(zurn({clip("frame????.png"), "v.zrn", clip("sound.wav")}).code, 0);
  // Track 1 is added from the clip's sound resampled; track 0 is replaced
  // in place by a stereo copy.
  Outcome r = runIn(dir.path().string(), {TOL_ZURNMIX, "v.zrn", clip("sound.wav"), "two.zrn", "/t1", "/r22050"});
  ASSERT_EQ(r.code, 0) << r.err;
  r = runIn(dir.path().string(), {TOL_ZURNMIX, "two.zrn", clip("sound.wav"), "two.zrn", "/c2", "/l0"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("two.zrn.tmp")));
  Decoder d = decode("two.zrn");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->frames, kFrames);
  struct Expect {
    int track, rate, channels;
  };
  for (const Expect& e : {Expect{0, 11025, 2}, Expect{1, 22050, 1}}) {
    std::unique_ptr<ZurnTrackReader, void (*)(ZurnTrackReader*)> t(ZurnTrackReaderOpen(d.get(), e.track),
                                                                   ZurnTrackReaderClose);
    ASSERT_NE(t, nullptr) << e.track;
    EXPECT_EQ(t->rate, e.rate) << e.track;
    EXPECT_EQ(t->channels, e.channels) << e.track;
  }
  expectDecodes(*d);

  r = runIn(dir.path().string(), {TOL_ZURNMIX, "v.zrn", "/no/such.wav", "x.zrn"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("/no/such.wav: No such file or directory"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.zrn")));
}

// Four frames of 16 x 8 at 100 ms, with an 8-bit track 0 of 800 bytes a
// frame; pixel i of frame f is i + f.
bool writeSmallPleven(const std::string& name) {
  PlevWriterSettings settings{};
  settings.width = 16;
  settings.height = 8;
  settings.rate = 100;
  settings.tracks[0] = {8000, 8, 1, 0, 0};
  PlevWriter* w = PlevWriterCreate(name.c_str(), &settings);
  if (!w) return false;
  std::vector<uint8_t> pixels(16 * 8), palette(768), sound(800, 0x90);
  bool ok = true;
  for (int f = 0; f < 4; ++f) {
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i + size_t(f));
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = uint8_t(i);
    const void* parts[PLEV_TRACKS] = {sound.data()};
    uint32_t sizes[PLEV_TRACKS] = {uint32_t(sound.size())};
    ok = PlevWriterPutFrame(w, pixels.data(), 16, palette.data(), parts, sizes) == 1 && ok;
  }
  return PlevWriterClose(w) == 1 && ok;
}

TEST_F(ZurnTool, PlevenMixerRewritesTheFileWithTheNewTrack) {
  ASSERT_TRUE(writeSmallPleven(dir.file("in.plv")));

  struct Case {
    std::vector<std::string> switches;
    int track;
    bool compressed, keepsTrack0;
  };
  for (const Case& c : {Case{{"/t1", "/l4"}, 1, true, true}, Case{{"/t0"}, 0, false, false}}) {
    std::vector<std::string> args{TOL_PLEVMIX, "in.plv", clip("sound.wav"), "out.plv", "/o"};
    args.insert(args.end(), c.switches.begin(), c.switches.end());
    const Outcome r = runIn(dir.path().string(), args);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.plv.mix")));
    std::unique_ptr<PlevDecoder, void (*)(PlevDecoder*)> d(PlevOpen(dir.file("out.plv").c_str(), 0, 0), PlevClose);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->frames, 4);
    const uint32_t word = d->trackWords[c.track];
    EXPECT_NE(word & PLEV_TRACK_HAS_SOUND, 0u);
    EXPECT_EQ((word & PLEV_TRACK_COMPRESSED) != 0, c.compressed);
    EXPECT_EQ(word & PLEV_TRACK_RATE_MASK, 11025u);
    std::vector<uint8_t> picture(16 * 8), chunk(d->maxSoundSize[c.track] + 16), old(d->maxSoundSize[0] + 16);
    PlevSetDestination(d.get(), 0, 0, 16, 8, picture.data(), 0);
    uint64_t bytes = 0;
    for (int f = 0; f < 4; ++f) {
      if (f) PlevNextFrame(d.get());
      PlevDecodeFrame(d.get());
      EXPECT_EQ(picture[5], uint8_t(5 + f));
      bytes += uint64_t(std::max(0, PlevTrackSound(d.get(), chunk.data(), PLEV_OPEN_TRACK(c.track))));
      if (c.keepsTrack0) {
        EXPECT_EQ(PlevTrackSound(d.get(), old.data(), PLEV_OPEN_TRACK(0)), 800) << f;
      }
    }
    EXPECT_EQ(bytes, 4410u * 2) << "0.4 seconds of 16-bit sound at 11025";
  }
}

TEST_F(ZurnTool, ReplacesAnExistingFileOnlyWithO) {
  testutil::writeFile(dir.file("out.zrn"), {'o', 'l', 'd'});
  Outcome r = zurn({clip("frame????.png"), "out.zrn", "/e2"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("exists and was not replaced"), std::string::npos) << r.err;
  EXPECT_EQ(testutil::readFile(dir.file("out.zrn")), (std::vector<uint8_t>{'o', 'l', 'd'}));

  r = zurn({clip("frame????.png"), "out.zrn", "/e2", "/o"});
  ASSERT_EQ(r.code, 0) << r.err;
  Decoder d = decode("out.zrn");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->frames, 2);
}

TEST_F(ZurnTool, ReportsFailuresWithAnExitCode) {
  Outcome r = zurn({});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("usage: zurn"), std::string::npos);

  r = zurn({clip("frame0000.png"), "out.zrn", "/q5"});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("unknown switch: /q5"), std::string::npos) << r.err;

  // An absolute name that does not exist is a missing input, not a switch.
  r = zurn({"/no/such/file.png", "out.zrn"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("/no/such/file.png: No such file or directory"), std::string::npos) << r.err;

  r = zurn({clip("frame0000.png"), "out.zrn", clip("frame0001.png")});  // not a sound file
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("Error opening the audio input file."), std::string::npos) << r.err;

  r = zurn({clip("frame0000.png"), "no/such/folder/out.zrn"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("no/such/folder: No such file or directory"), std::string::npos) << r.err;

  r = zurn({"--help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("key 200-400/25"), std::string::npos);

  r = zurn({clip("frame0000.png"), clip("frame0000.png"), "/o"});  // would overwrite its own input
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("Output filename must be different than the input filename."), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.zrn")));
}

// The rules every tool shares: /? and --help list the switches; a missing
// output folder is the system's message and leaves nothing; a long absolute
// name is taken relative to the current folder when that fits, and refused
// with a message when it does not.
TEST_F(ZurnTool, EveryToolKeepsTheSharedCommandLineRules) {
  ASSERT_EQ(zurn({clip("frame????.png"), "v.zrn", clip("sound.wav"), "/e4"}).code, 0);
  const std::string deep = dir.file(std::string(100, 'd')), deeper = deep + "/" + std::string(100, 'e');
  std::filesystem::create_directories(deeper);
  struct Tool {
    const char* program;
    std::vector<std::string> inputs;  // absolute
    const char* extension;
  };
  const Tool tools[] = {
      {TOL_ZURN, {dir.file("v.zrn")}, ".zrn"},
      {TOL_ZURNMIX, {dir.file("v.zrn"), clip("sound.wav")}, ".zrn"},
      {TOL_PLEVMIX, {clip("clip.plv"), clip("sound.wav")}, ".plv"},
  };
  for (const Tool& t : tools) {
    SCOPED_TRACE(t.program);
    const auto withOutput = [&](const std::string& output) {
      std::vector<std::string> args{t.program};
      args.insert(args.end(), t.inputs.begin(), t.inputs.end());
      args.push_back(output);
      return args;
    };
    for (const char* help : {"/?", "--help"}) {
      const Outcome r = runIn(dir.path().string(), {t.program, help});
      EXPECT_EQ(r.code, 0) << help;
      EXPECT_NE(r.out.find("usage: "), std::string::npos) << help;
      EXPECT_NE(r.out.find("  /O "), std::string::npos) << help;
    }

    Outcome r = runIn(dir.path().string(), withOutput("no/such/out" + std::string(t.extension)));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("no/such: No such file or directory"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("no")));

    // A folder is no output, even with /O.
    std::vector<std::string> args = withOutput(dir.file("folder"));
    args.push_back("/o");
    std::filesystem::create_directory(dir.file("folder"));
    r = runIn(dir.path().string(), args);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("folder: Is a directory"), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("folder")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("folder.tmp")));

    // Over 127 bytes from the root; a few from the current folder.
    const std::string output = deeper + "/" + std::filesystem::path(t.program).filename().string() + t.extension;
    ASSERT_GT(output.size(), 200u);
    r = runIn(deeper, withOutput(output));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(output));
    r = runIn(dir.path().string(), withOutput(deeper + "/two" + t.extension));
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("the name is longer than"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(deeper + "/two" + t.extension));
  }
}

// Ctrl-C stops the compressor with a valid file of the frames compressed
// so far and exit code 130.
TEST_F(ZurnTool, CtrlCLeavesAValidShorterFile) {
  // The sample's 16 frames, each repeated 150 times: 2400 frames.
  std::vector<std::string> args{TOL_ZURN, clip("frame????.png"), "long.zrn", clip("sound.wav"), "/f1", "/a150"};
  const std::string errPath = dir.file("stderr.txt");
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int in = open("/dev/null", O_RDONLY), out = open("/dev/null", O_WRONLY),
              err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || chdir(dir.path().c_str()) != 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
        dup2(err, 2) < 0)
      _exit(127);
    execv(argv[0], argv.data());
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  // Wait for the second progress line (a second in), then interrupt.
  const auto progressLines = [&] {
    const std::string text = readText(errPath);
    int n = 0;
    for (size_t at = 0; (at = text.find("Compressing: frame", at)) != std::string::npos; ++at) ++n;
    return n;
  };
  for (int i = 0; i < 3000 && progressLines() < 2; ++i) usleep(10000);
  kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << readText(errPath);
  EXPECT_EQ(WEXITSTATUS(status), 130) << readText(errPath);
  EXPECT_NE(readText(errPath).find("long.zrn holds the"), std::string::npos) << readText(errPath);
  EXPECT_NE(readText(errPath).find("Stopped: "), std::string::npos) << "last status line: " << readText(errPath);
  EXPECT_FALSE(std::filesystem::exists(dir.file("long.zrn.tmp")));
  Decoder d = decode("long.zrn");
  ASSERT_NE(d, nullptr);
  EXPECT_GT(d->frames, 0);
  EXPECT_LT(d->frames, 2400);
  expectDecodes(*d);
}

}  // namespace
