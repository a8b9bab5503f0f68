// Clips written by the Pleven writer read back through the decoder in every
// buffering mode: pictures, palettes and sound of every frame, the ring
// frame, jumps, destinations with offsets, bottom-up rows and line modes.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "decode/pleven_decoder.h"
#include "pleven_clip.h"
#include "util/sound_chunk.h"

namespace {

using plevtest::Clip;
using plevtest::ClipSpec;

using plevtest::Decoder;

enum class Mode { Streaming, WholeFile, Automatic, Memory, Handle };

struct Opened {
  Decoder decoder;
  std::vector<uint8_t> image;
  int fd = -1;
  ~Opened() {
    decoder.reset();
    if (fd >= 0) ::close(fd);
  }
};

void open(Opened& o, const std::string& name, Mode mode) {
  switch (mode) {
    case Mode::Streaming: o.decoder.reset(tol::PlevOpen(name.c_str(), 0, 8192)); break;
    case Mode::WholeFile: o.decoder.reset(tol::PlevOpen(name.c_str(), PLEV_OPEN_WHOLE_FILE, -1)); break;
    case Mode::Automatic: o.decoder.reset(tol::PlevOpen(name.c_str(), PLEV_OPEN_FILL, -1)); break;
    case Mode::Memory:
      o.image = testutil::readFile(name);
      o.decoder.reset(tol::PlevOpen(o.image.data(), PLEV_OPEN_MEMORY, static_cast<int32_t>(o.image.size())));
      break;
    case Mode::Handle:
      o.fd = ::open(name.c_str(), O_RDONLY);
      o.decoder.reset(tol::PlevOpen(reinterpret_cast<void*>(static_cast<intptr_t>(o.fd)), PLEV_OPEN_HANDLE, 8192));
      break;
  }
}

ClipSpec soundClip() {
  ClipSpec s;
  s.tracks[0] = {11025, 8, 1, 0, 0};   // raw
  s.tracks[1] = {22050, 16, 2, 1, 0};  // lossless
  s.tracks[2] = {8000, 8, 2, 1, 5};
  s.tracks[4] = {16000, 16, 1, 1, 9};
  return s;
}

int32_t sampleAt(const std::vector<uint8_t>& pcm, size_t i, int32_t bits) {
  return bits == 8 ? pcm[i] : static_cast<int16_t>(pcm[2 * i] | pcm[2 * i + 1] << 8);
}

void expectSound(tol::PlevDecoder* d, const ClipSpec& s, const Clip& clip, int32_t f) {
  for (int k = 0; k < PLEV_TRACKS; ++k) {
    const PlevWriterTrack& t = s.tracks[static_cast<size_t>(k)];
    const auto& want = clip.sound[static_cast<size_t>(f)][static_cast<size_t>(k)];
    std::vector<uint8_t> got(d->maxSoundSize[k] + 1);
    const int32_t n = tol::PlevTrackSound(d, got.data(), PLEV_OPEN_TRACK(k));
    ASSERT_EQ(n, static_cast<int32_t>(want.size())) << "frame " << f << " track " << k;
    got.resize(static_cast<size_t>(n));
    if (t.rate == 0) continue;
    const uint32_t threshold = t.compressed ? tol::soundchunk::levelQuantiser(t.level, t.bits).threshold : 0;
    for (size_t i = 0; i < want.size() / (t.bits / 8); ++i) {
      ASSERT_LE(static_cast<uint32_t>(std::abs(sampleAt(got, i, t.bits) - sampleAt(want, i, t.bits))), threshold)
          << "frame " << f << " track " << k << " sample " << i;
    }
  }
}

class PlevRoundTrip : public testing::TestWithParam<Mode> {};

TEST_P(PlevRoundTrip, FramesPalettesAndSoundComeBack) {
  testutil::TempDir dir;
  const std::string name = dir.file("clip.plv");
  const ClipSpec spec = soundClip();
  Clip clip;
  ASSERT_TRUE(plevtest::writeClip(name, spec, clip));
  Opened o;
  open(o, name, GetParam());
  tol::PlevDecoder* d = o.decoder.get();
  ASSERT_NE(d, nullptr);
  if (GetParam() != Mode::Automatic) {
    const bool streams = GetParam() == Mode::Streaming || GetParam() == Mode::Handle;
    EXPECT_EQ(d->frameArea == nullptr, streams);
  }
  EXPECT_EQ(d->frames, spec.frames);
  EXPECT_EQ(d->width, spec.width);
  EXPECT_EQ(d->height, spec.height);
  EXPECT_EQ(d->trackWords[1], PLEV_TRACK_COMPRESSED | PLEV_TRACK_HAS_SOUND | PLEV_TRACK_STEREO | PLEV_TRACK_16BIT | 22050u);
  EXPECT_EQ(d->trackWords[3], 0u);
  std::vector<uint8_t> screen(static_cast<size_t>(spec.width * spec.height));
  ASSERT_EQ(tol::PlevSetDestination(d, 0, 0, spec.width, spec.height, screen.data(), 0), 1);
  // Two passes: the second runs through the ring frame, which must show
  // frame 0 again, and on from frame 1.
  for (int32_t step = 0; step < 2 * spec.frames + 1; ++step) {
    const int32_t f = step <= spec.frames ? step % (spec.frames + 1) : step - spec.frames;
    const int32_t shown = f == spec.frames ? 0 : f;
    ASSERT_EQ(d->currentFrame, f) << step;
    tol::PlevDecodeFrame(d);
    ASSERT_EQ(screen, clip.pictures[static_cast<size_t>(shown)]) << "step " << step;
    ASSERT_EQ(std::vector<uint8_t>(d->palette, d->palette + 768), clip.palettes[static_cast<size_t>(shown)]);
    expectSound(d, spec, clip, shown);
    tol::PlevNextFrame(d);
  }
  EXPECT_EQ(d->readError, 0);
  // Jumps to key frames (frame 1 and every fourth) show them exactly.
  for (int32_t n : {9, 5, 1, 9}) {
    tol::PlevGotoFrame(d, n);
    tol::PlevDecodeFrame(d);
    EXPECT_EQ(screen, clip.pictures[static_cast<size_t>(n - 1)]) << n;
    EXPECT_EQ(std::vector<uint8_t>(d->palette, d->palette + 768), clip.palettes[static_cast<size_t>(n - 1)]);
    tol::PlevNextFrame(d);
    tol::PlevDecodeFrame(d);
    EXPECT_EQ(screen, clip.pictures[static_cast<size_t>(n)]) << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Buffering, PlevRoundTrip,
                         testing::Values(Mode::Streaming, Mode::WholeFile, Mode::Automatic, Mode::Memory, Mode::Handle));

// Frames larger than the read-ahead buffer go round it in direct reads.
TEST(PlevStreaming, LargeFramesDecodeThroughASmallReadAhead) {
  testutil::TempDir dir;
  const std::string name = dir.file("noise.plv");
  ClipSpec spec;
  spec.width = 200;
  spec.height = 150;
  spec.frames = 5;
  spec.noisy = true;
  spec.flags = 0;
  Clip clip;
  ASSERT_TRUE(plevtest::writeClip(name, spec, clip));
  Decoder d(tol::PlevOpen(name.c_str(), 0, 8192));
  ASSERT_TRUE(d);
  EXPECT_GT(d->largestFrame, 16384u + 8192u);
  std::vector<uint8_t> screen(200 * 150);
  ASSERT_EQ(tol::PlevSetDestination(d.get(), 0, 0, 200, 150, screen.data(), 0), 1);
  for (int32_t step = 0; step < 7; ++step) {
    tol::PlevDecodeFrame(d.get());
    ASSERT_EQ(screen, clip.pictures[static_cast<size_t>(step % 5)]) << step;
    tol::PlevNextFrame(d.get());  // no ring frame: back to frame 0
  }
  EXPECT_LT(d->memoryTotal, d->offsets[d->entries]);  // streamed, not held whole
}

// Placement: offsets, bottom-up rows and the two line modes; rows and
// columns outside the frame stay as they were.
struct Placement {
  const char* name;
  uint32_t lineOption;
  uint32_t mode;
  bool doubled, interlaced;
};

class PlevPlacement : public testing::TestWithParam<Placement> {};

TEST_P(PlevPlacement, FrameLandsWhereAsked) {
  const Placement& p = GetParam();
  testutil::TempDir dir;
  const std::string name = dir.file("clip.plv");
  ClipSpec spec;
  spec.frames = 4;
  Clip clip;
  ASSERT_TRUE(plevtest::writeClip(name, spec, clip));
  Decoder d(tol::PlevOpen(name.c_str(), p.lineOption, -1));
  ASSERT_TRUE(d);
  const bool lineMode = p.doubled || p.interlaced;
  ASSERT_EQ(d->height, spec.height * (lineMode ? 2 : 1));
  const int32_t pitch = spec.width + 10, rows = d->height + 5, x0 = 3, y0 = 2;
  std::vector<uint8_t> screen(static_cast<size_t>(pitch * rows), 0xEE);
  ASSERT_EQ(tol::PlevSetDestination(d.get(), x0, y0, pitch, rows, screen.data(), p.mode), 1);
  for (int32_t f = 0; f < spec.frames; ++f) {
    tol::PlevDecodeFrame(d.get());
    const auto& pic = clip.pictures[static_cast<size_t>(f)];
    for (int32_t r = 0; r < rows; ++r) {
      const int32_t bufferRow = (p.mode & PLEV_DEST_BOTTOM_UP) ? rows - 1 - r : r;
      for (int32_t x = 0; x < pitch; ++x) {
        const int32_t fr = r - y0, fx = x - x0;
        int expected = 0xEE;
        if (fr >= 0 && fr < d->height && fx >= 0 && fx < spec.width) {
          const int32_t stored = lineMode ? fr / 2 : fr;
          if (!p.interlaced || fr % 2 == 0) expected = pic[static_cast<size_t>(stored * spec.width + fx)];
        }
        ASSERT_EQ(screen[static_cast<size_t>(bufferRow * pitch + x)], expected) << f << " " << r << " " << x;
      }
    }
    tol::PlevNextFrame(d.get());
  }
  // A destination too small for the frame is refused.
  EXPECT_EQ(tol::PlevSetDestination(d.get(), x0, y0, spec.width, rows, screen.data(), p.mode), 0);
  EXPECT_EQ(tol::PlevSetDestination(d.get(), 0, 0, pitch, rows, screen.data(), 0x40000000), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Destinations, PlevPlacement,
    testing::Values(Placement{"top_down", 0, 0, false, false}, Placement{"bottom_up", 0, 1, false, false},
                    Placement{"doubled", PLEV_OPEN_DOUBLED, 0, true, false},
                    Placement{"interlaced_bottom_up", PLEV_OPEN_INTERLACED, 1, false, true}),
    [](const testing::TestParamInfo<Placement>& info) { return std::string(info.param.name); });

}  // namespace
