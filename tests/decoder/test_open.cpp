// Opening a Zurn decoder: sources, checks and failure texts, the read-ahead
// or whole-file choice, line modes, tracks; walking frames with next and goto.
// These files carry filler instead of video, so video decoding stays off
// unless a test decodes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "decode/zurn_decoder.h"
#include "decode/zurn_decoder_header.h"
#include "testutil.h"
#include "zurn_test_file.h"

namespace {

using tol::ZurnDecoder;

struct Closer {
  void operator()(ZurnDecoder* d) const { tol::ZurnDecoderClose(d); }
};
using DecoderPtr = std::unique_ptr<ZurnDecoder, Closer>;

zurntest::Clip fillerClip(uint32_t frames, uint32_t frameBytes, uint32_t tracks = 0, uint32_t keyEvery = 5) {
  zurntest::Clip clip;
  for (uint32_t t = 0; t < tracks; t++) clip.tracks.push_back({400 * (t + 1), 0xC0000000u | (11025u << t), 10 + t});
  for (uint32_t k = 0; k < frames; k++)
    clip.frames.push_back({zurntest::filler(tracks, frameBytes, uint8_t(k)), k % keyEvery == 0});
  return clip;
}

class ZurnOpen : public ::testing::Test {
 protected:
  std::string save(const std::vector<uint8_t>& bytes, const char* leaf = "clip.zrn") {
    std::string name = dir.file(leaf);
    testutil::writeFile(name, bytes);
    return name;
  }
  DecoderPtr open(const std::string& name, uint32_t flags = 0) {
    return DecoderPtr(tol::ZurnDecoderOpen(name.c_str(), flags));
  }
  // Opens, expecting failure with this text.
  void expectFailure(const std::vector<uint8_t>& bytes, const char* text) {
    std::string name = save(bytes);
    EXPECT_EQ(open(name), nullptr);
    EXPECT_STREQ(tol::ZurnDecoderGetError(), text);
    // The same from memory, when the header can be had.
    if (bytes.size() >= 44) {
      auto image = bytes;
      zurntest::set32(image, zurntest::kFileSize, static_cast<uint32_t>(image.size() - 8));
      if (zurntest::get32(bytes, zurntest::kFileSize) == image.size() - 8) {
        EXPECT_EQ(tol::ZurnDecoderOpen(image.data(), ZURNDEC_MEMORY_IMAGE), nullptr);
        EXPECT_STREQ(tol::ZurnDecoderGetError(), text);
      }
    }
  }
  // The bytes of the current frame as the decoder holds them.
  std::vector<uint8_t> current(ZurnDecoder* d) {
    uint32_t size = 0;
    const uint8_t* data = tol::zurnCurrentFrame(d, &size);
    return std::vector<uint8_t>(data, data + size);
  }

  testutil::TempDir dir;
};

TEST_F(ZurnOpen, FailureTexts) {
  auto good = zurntest::build(fillerClip(3, 100));
  EXPECT_EQ(open(dir.file("missing.zrn")), nullptr);
  EXPECT_STREQ(tol::ZurnDecoderGetError(), tol::kZurnErrorOpening);
  EXPECT_EQ(tol::ZurnDecoderOpen(nullptr, 0), nullptr);
  EXPECT_STREQ(tol::ZurnDecoderGetError(), tol::kZurnErrorOpening);

  auto bad = good;
  bad[3] = 'g';
  expectFailure(bad, tol::kZurnErrorNotZurn);
  expectFailure(std::vector<uint8_t>(good.begin(), good.begin() + 20), tol::kZurnErrorNotZurn);
  auto empty = good;
  zurntest::set32(empty, zurntest::kFrames, 0);
  expectFailure(empty, tol::kZurnErrorNoFrames);

  // A successful open clears the text.
  EXPECT_NE(open(save(good)), nullptr);
  EXPECT_STREQ(tol::ZurnDecoderGetError(), "");
}

TEST_F(ZurnOpen, DamagedHeadersAndIndexes) {
  auto good = zurntest::build(fillerClip(4, 100, 2));
  const size_t index = zurntest::indexOffset(good);
  auto damaged = [&](size_t at, uint32_t value) {
    auto copy = good;
    zurntest::set32(copy, at, value);
    return copy;
  };
  expectFailure(damaged(zurntest::kFrames, 5), tol::kZurnErrorDamaged);          // more frames than the index has
  expectFailure(damaged(zurntest::kTracks, 1000), tol::kZurnErrorDamaged);       // tables past the end
  expectFailure(damaged(zurntest::kIndexFrames, 1 << 30), tol::kZurnErrorDamaged);
  expectFailure(damaged(zurntest::kWidth, 0), tol::kZurnErrorDamaged);
  expectFailure(damaged(index + 8, zurntest::get32(good, index + 4)), tol::kZurnErrorDamaged);  // not increasing
  expectFailure(damaged(index, 8), tol::kZurnErrorDamaged);                      // frame 0 inside the header
  expectFailure(damaged(index + 16, static_cast<uint32_t>(good.size()) + 4), tol::kZurnErrorDamaged);
  // The header's size says the file ends before its last frame.
  expectFailure(damaged(zurntest::kFileSize, static_cast<uint32_t>(good.size()) - 20), tol::kZurnErrorDamaged);
}

TEST_F(ZurnOpen, OverstatedSizesCostNoMemory) {
  auto clip = fillerClip(40, 1000);
  clip.fpsNumerator = 4;
  auto bytes = zurntest::build(clip);
  zurntest::set32(bytes, zurntest::kLargest, 0xFFFFFFF0u);
  zurntest::set32(bytes, zurntest::kFileSize, 0xFFFFFFF0u);  // the index still fits this
  DecoderPtr d = open(save(bytes));
  ASSERT_NE(d, nullptr) << tol::ZurnDecoderGetError();
  EXPECT_EQ(d->largestFrame, 1000u);
  EXPECT_LE(d->readAheadSize, bytes.size());
  // Every frame of the file is there.
  for (int32_t k = 1; k <= d->frames; k++) {
    tol::ZurnDecoderGoto(d.get(), k, ZURNDEC_GOTO_FETCH_ONLY);
    EXPECT_EQ(current(d.get()), clip.frames[k - 1].bytes);
  }
}

TEST_F(ZurnOpen, PublicFieldsAndTables) {
  auto clip = fillerClip(6, 100, 2);
  clip.width = 100;
  clip.height = 60;
  clip.fpsNumerator = 30000;
  clip.fpsDenominator = 1001;
  clip.extraIndexEntries = 10;
  DecoderPtr d = open(save(zurntest::build(clip)));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->width, 100);
  EXPECT_EQ(d->height, 60);
  EXPECT_EQ(d->frames, 6);
  EXPECT_EQ(d->currentFrame, 1);
  EXPECT_EQ(d->lastDecoded, 0);
  EXPECT_EQ(d->fpsNumerator, 30000);
  EXPECT_EQ(d->fpsDenominator, 1001);
  EXPECT_EQ(d->lumaPitch, 112u);
  EXPECT_EQ(d->lumaHeight, 64u);
  EXPECT_EQ(d->chromaWidth, 56u);
  EXPECT_EQ(d->chromaHeight, 32u);
  EXPECT_EQ(d->mapPitch, 7u);
  EXPECT_EQ(d->mapSize, 28u);
  EXPECT_EQ(d->changeMap[d->mapSize], 0);
  EXPECT_EQ(d->indexFrames, 16u);
  EXPECT_EQ(d->soundTrackCount, 2u);
  EXPECT_EQ(tol::ZurnDecoderTrackFlags(d.get(), 0), 0xC0002B11u);
  EXPECT_EQ(tol::ZurnDecoderTrackFlags(d.get(), 1), 0xC0005622u);
  EXPECT_EQ(tol::ZurnDecoderTrackId(d.get(), 1), 11u);
  EXPECT_EQ(d->soundMaxDecoded[1], 800u);
  EXPECT_EQ(tol::ZurnDecoderTrackFlags(d.get(), 2), 0u);
  EXPECT_EQ(tol::ZurnDecoderTrackId(d.get(), -1), 0u);
  EXPECT_EQ(tol::ZurnDecoderTrackFlags(nullptr, 0), 0u);
  EXPECT_EQ(current(d.get()), clip.frames[0].bytes);
  // Every fixed buffer lies inside the one block, 16-byte aligned.
  const uint8_t* buffers[] = {d->frameBuffers[0],  d->frameBuffers[1], d->changeMap,
                              d->streams.data[0], d->streams.data[8], reinterpret_cast<const uint8_t*>(d->index)};
  for (const uint8_t* p : buffers) {
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
    EXPECT_GT(p, reinterpret_cast<const uint8_t*>(d.get()));
  }
  // Both frame buffers start out black-and-zero.
  for (uint32_t i = 0; i < d->geometry.frameBytes; i++) ASSERT_EQ(d->frameBuffers[0][i] | d->frameBuffers[1][i], 0);
}

TEST_F(ZurnOpen, ReadAheadOrWholeFile) {
  // 40 frames of about 1 KB at 4 frames a second: the busiest second is
  // 4 KB, far less than the file, so the file is read through the ring.
  auto clip = fillerClip(40, 1000);
  clip.fpsNumerator = 4;
  clip.frames[17].bytes.resize(3000, 9);
  std::string name = save(zurntest::build(clip));
  {
    DecoderPtr d = open(name);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->image, nullptr);
    EXPECT_EQ(d->peakSecondBytes, 6000u);
    EXPECT_EQ(d->peakSecondFrame, 14u);
    EXPECT_EQ(d->readAheadSize, 8192u);
    EXPECT_EQ(d->source.buffered(), 8192u);  // filled at open
    EXPECT_TRUE(d->source.isOpen());
    EXPECT_TRUE(d->thread.joinable());
  }
  {
    DecoderPtr d = open(name, ZURNDEC_NO_READ_AHEAD);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->source.buffered(), 8192u);  // filled at open all the same
    EXPECT_FALSE(d->thread.joinable());      // nothing for a thread to do
  }
  {
    DecoderPtr d = open(name, ZURNDEC_NO_PREFILL);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->source.buffered(), 0u);
  }
  {
    DecoderPtr d = open(name, ZURNDEC_LOAD_ALL);
    ASSERT_NE(d, nullptr);
    EXPECT_NE(d->image, nullptr);
    EXPECT_FALSE(d->source.isOpen());  // closed before open returns
    EXPECT_FALSE(d->thread.joinable());
  }
  // A read-ahead size from the caller: rounded up to whole chunks, and
  // nine tenths of the file or more loads it whole. Frames read the same.
  struct Sized {
    uint32_t bytes, ring;
    bool whole;
  };
  const Sized sizes[] = {{1, 4096, false}, {12000, 12288, false}, {36000, 36864, false}, {40000, 0, true}};
  DecoderPtr plain = open(name);
  for (const Sized& s : sizes) {
    DecoderPtr d(tol::ZurnDecoderOpenWithReadAhead(name.c_str(), 0, s.bytes));
    ASSERT_NE(d, nullptr) << s.bytes;
    EXPECT_EQ(d->image != nullptr, s.whole) << s.bytes;
    if (!s.whole) EXPECT_EQ(d->readAheadSize, s.ring) << s.bytes;
    for (int32_t k = 1; k <= 40; k++) {
      tol::ZurnDecoderGoto(d.get(), k, ZURNDEC_GOTO_FETCH_ONLY);
      tol::ZurnDecoderGoto(plain.get(), k, ZURNDEC_GOTO_FETCH_ONLY);
      ASSERT_EQ(current(d.get()), current(plain.get())) << s.bytes << " frame " << k;
    }
  }
  // At 40 frames a second the busiest second is the whole file.
  clip.fpsNumerator = 40;
  DecoderPtr d = open(save(zurntest::build(clip), "fast.zrn"));
  ASSERT_NE(d, nullptr);
  EXPECT_NE(d->image, nullptr);
  EXPECT_FALSE(d->source.isOpen());
  // Fewer frames than a second's worth: the average frame size times the rate.
  auto few = fillerClip(10, 1000);
  DecoderPtr f = open(save(zurntest::build(few), "few.zrn"));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->peakSecondBytes, 1000u * 25);
}

TEST_F(ZurnOpen, SourcesGiveTheSameFrames) {
  auto clip = fillerClip(30, 700, 1);
  clip.fpsNumerator = 2;
  auto bytes = zurntest::build(clip);
  std::string name = save(bytes);
  // A handle positioned behind 37 bytes of something else.
  std::vector<uint8_t> prefixed(37 + bytes.size(), 0xEE);
  std::copy(bytes.begin(), bytes.end(), prefixed.begin() + 37);
  int fd = ::open(save(prefixed, "prefixed.bin").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::lseek(fd, 37, SEEK_SET), 37);
  std::vector<uint8_t> image(bytes.begin(), bytes.end());

  DecoderPtr fromName = open(name);
  DecoderPtr fromHandle(tol::ZurnDecoderOpen(reinterpret_cast<const void*>(intptr_t{fd}), ZURNDEC_FILE_HANDLE));
  DecoderPtr fromMemory(tol::ZurnDecoderOpen(image.data(), ZURNDEC_MEMORY_IMAGE));
  DecoderPtr loaded = open(name, ZURNDEC_LOAD_ALL);
  for (ZurnDecoder* d : {fromName.get(), fromHandle.get(), fromMemory.get(), loaded.get()}) {
    ASSERT_NE(d, nullptr);
    tol::ZurnDecoderSetVideo(d, 0);
  }
  EXPECT_EQ(fromMemory->index, reinterpret_cast<const uint32_t*>(image.data() + zurntest::indexOffset(bytes)));
  // Forward, with a wrap to frame 1, and jumps both ways.
  for (int32_t target : {1, 2, 3, 30, 1, 2, 17, 5, 29, 30, 12}) {
    for (ZurnDecoder* d : {fromName.get(), fromHandle.get(), fromMemory.get(), loaded.get()}) {
      if (target == d->currentFrame % 30 + 1)
        tol::ZurnDecoderNextFrame(d);
      else
        tol::ZurnDecoderGoto(d, target, ZURNDEC_GOTO_FETCH_ONLY);
      ASSERT_EQ(d->currentFrame, target);
      ASSERT_EQ(current(d), clip.frames[target - 1].bytes) << "frame " << target;
      EXPECT_EQ(tol::ZurnDecoderDecodeFrame(d), 1);
    }
  }
  fromHandle.reset();
  EXPECT_EQ(::lseek(fd, 0, SEEK_SET), 0);  // still open: the caller's handle
  ::close(fd);
}

TEST_F(ZurnOpen, TruncatedFileGivesFrameErrors) {
  auto clip = fillerClip(30, 700);
  clip.fpsNumerator = 2;
  auto bytes = zurntest::build(clip);
  bytes.erase(bytes.end() - 1000, bytes.end());  // frame 29 ends early, frame 30 is gone
  for (uint32_t flags : {0u, uint32_t{ZURNDEC_LOAD_ALL}}) {
    DecoderPtr d = open(save(bytes), flags);
    ASSERT_NE(d, nullptr);
    tol::ZurnDecoderSetVideo(d.get(), 0);
    tol::ZurnDecoderGoto(d.get(), 28, ZURNDEC_GOTO_FETCH_ONLY);
    EXPECT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 1);
    tol::ZurnDecoderNextFrame(d.get());
    EXPECT_EQ(d->frameSize, 400u);
    EXPECT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 0);
    tol::ZurnDecoderNextFrame(d.get());
    EXPECT_EQ(d->frameSize, 0u);
    EXPECT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 0);
    tol::ZurnDecoderNextFrame(d.get());
    EXPECT_EQ(d->currentFrame, 1);
    EXPECT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 1);
  }
}

TEST_F(ZurnOpen, PacketsRunningPastTheFrameAreAFrameError) {
  auto clip = fillerClip(3, 100, 2);
  zurntest::set32(clip.frames[1].bytes, 4, 101);  // second packet: 101 bytes of 100 left
  DecoderPtr d = open(save(zurntest::build(clip)));
  ASSERT_NE(d, nullptr);
  tol::ZurnDecoderSetVideo(d.get(), 0);
  EXPECT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 1);
  tol::ZurnDecoderNextFrame(d.get());
  EXPECT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 0);
  EXPECT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 0);  // already decoded: the same answer
  tol::ZurnDecoderNextFrame(d.get());
  EXPECT_EQ(tol::ZurnDecoderDecodeFrame(d.get()), 1);
}

TEST_F(ZurnOpen, LineModes) {
  auto clip = fillerClip(2, 100);
  clip.height = 30;
  struct Case {
    uint32_t videoFlags, openFlags, expectFlags;
    int32_t height;
  } cases[] = {
      {0, 0, 0, 30},
      {ZURNDEC_LINE_DOUBLING, 0, ZURNDEC_LINE_DOUBLING, 60},
      {ZURNDEC_SECOND_LINE, 0, ZURNDEC_SECOND_LINE, 30},
      {0, ZURNDEC_LINE_DOUBLING, ZURNDEC_LINE_DOUBLING, 60},
      {ZURNDEC_SECOND_LINE, ZURNDEC_LINE_DOUBLING, ZURNDEC_LINE_DOUBLING, 60},
      {ZURNDEC_LINE_DOUBLING, ZURNDEC_SECOND_LINE, ZURNDEC_SECOND_LINE, 30},
      {ZURNDEC_LINE_DOUBLING, ZURNDEC_NO_LINE_MODE, 0, 30},
  };
  for (const Case& c : cases) {
    clip.videoFlags = c.videoFlags;
    DecoderPtr d = open(save(zurntest::build(clip)), c.openFlags);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->flags & ZURNDEC_NO_LINE_MODE, c.expectFlags) << c.videoFlags << " " << c.openFlags;
    EXPECT_EQ(d->height, c.height);
    EXPECT_EQ(d->decodedHeight, 30u);
    EXPECT_EQ(d->videoFlags, c.videoFlags);
  }
}

TEST_F(ZurnOpen, TrackChoiceConsumesTheSelectedId) {
  std::string name = save(zurntest::build(fillerClip(2, 100, 3)));  // ids 10, 11, 12
  EXPECT_EQ(open(name)->soundTrack, 0);
  tol::ZurnDecoderSelectTrack(12);
  EXPECT_EQ(open(name, ZURNDEC_SELECTED_TRACK)->soundTrack, 2);
  EXPECT_EQ(open(name, ZURNDEC_SELECTED_TRACK)->soundTrack, -1);  // reset to -1 by the open before
  tol::ZurnDecoderSelectTrack(13);
  EXPECT_EQ(open(name, ZURNDEC_SELECTED_TRACK)->soundTrack, -1);
  tol::ZurnDecoderSelectTrack(11);
  EXPECT_EQ(open(name)->soundTrack, 0);  // without the flag: track 0, and the id is consumed
  EXPECT_EQ(open(name, ZURNDEC_SELECTED_TRACK)->soundTrack, -1);
  EXPECT_EQ(open(save(zurntest::build(fillerClip(2, 100)), "silent.zrn"))->soundTrack, -1);
}

TEST_F(ZurnOpen, PauseAndVideoSwitch) {
  DecoderPtr d = open(save(zurntest::build(fillerClip(2, 100))));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->videoOn, 1);
  EXPECT_EQ(tol::ZurnDecoderPause(d.get(), 1), 1);
  EXPECT_EQ(d->paused, 1);
  EXPECT_EQ(tol::ZurnDecoderPause(d.get(), 0), 0);
  tol::ZurnDecoderSetVideo(d.get(), 0);
  EXPECT_EQ(d->videoOn, 0);
  EXPECT_EQ(tol::ZurnDecoderPause(nullptr, 1), 0);
  tol::ZurnDecoderSetVideo(nullptr, 1);
  tol::ZurnDecoderNextFrame(nullptr);
  tol::ZurnDecoderGoto(nullptr, 3, 0);
  tol::ZurnDecoderClose(nullptr);
  EXPECT_EQ(tol::ZurnDecoderDecodeFrame(nullptr), 0);
}

class ZurnGoto : public ZurnOpen {
 protected:
  void SetUp() override {
    auto clip = fillerClip(20, 100, 0, 100);
    for (int key : {1, 8, 15}) clip.frames[key - 1].key = true;
    d = open(save(zurntest::build(clip)));
    ASSERT_NE(d, nullptr);
    tol::ZurnDecoderSetVideo(d.get(), 0);
  }
  // Goes to a frame and reports how many frames that decoded.
  uint32_t go(int32_t frame, uint32_t flags = 0) {
    uint32_t before = d->decodeCount;
    tol::ZurnDecoderGoto(d.get(), frame, flags);
    return d->decodeCount - before;
  }
  DecoderPtr d;
};

TEST_F(ZurnGoto, ForwardFromBeforeAKeyframeStartsThere) {
  go(3, ZURNDEC_GOTO_FETCH_ONLY);
  EXPECT_EQ(go(10), 2u);  // fetches 8, decodes 8 and 9, fetches 10
  EXPECT_EQ(d->currentFrame, 10);
  EXPECT_EQ(d->lastDecoded, 9);
}

TEST_F(ZurnGoto, ForwardPastNoKeyframeDecodesOnward) {
  go(9, ZURNDEC_GOTO_FETCH_ONLY);
  EXPECT_EQ(go(12), 3u);  // decodes 9, 10, 11
  EXPECT_EQ(d->currentFrame, 12);
  tol::ZurnDecoderDecodeFrame(d.get());
  EXPECT_EQ(go(14), 1u);  // 12 is decoded already: decodes 13
}

TEST_F(ZurnGoto, BackwardRestartsAtTheKeyframe) {
  go(12, ZURNDEC_GOTO_FETCH_ONLY);
  EXPECT_EQ(go(10), 2u);  // 8 and 9
  EXPECT_EQ(go(4), 3u);   // 1, 2, 3
  EXPECT_EQ(go(8), 0u);   // a keyframe: fetched only
  EXPECT_EQ(d->currentFrame, 8);
}

TEST_F(ZurnGoto, SameFrameFetchOnlyAndClamping) {
  go(6, ZURNDEC_GOTO_FETCH_ONLY);
  EXPECT_EQ(go(6), 0u);
  EXPECT_EQ(go(18, ZURNDEC_GOTO_FETCH_ONLY), 0u);
  EXPECT_EQ(d->currentFrame, 18);
  EXPECT_EQ(go(99), 2u);  // clamped to 20: decodes 18 and 19
  EXPECT_EQ(d->currentFrame, 20);
  EXPECT_EQ(go(0, ZURNDEC_GOTO_FETCH_ONLY), 0u);
  EXPECT_EQ(d->currentFrame, 1);
  tol::ZurnDecoderGoto(d.get(), 20, ZURNDEC_GOTO_FETCH_ONLY);
  tol::ZurnDecoderNextFrame(d.get());
  EXPECT_EQ(d->currentFrame, 1);  // after the last frame comes the first
}

TEST_F(ZurnGoto, PauseIsRestored) {
  tol::ZurnDecoderPause(d.get(), 1);
  go(5);
  EXPECT_EQ(d->paused, 1);
  tol::ZurnDecoderPause(d.get(), 0);
  go(2);
  EXPECT_EQ(d->paused, 0);
}

}  // namespace
