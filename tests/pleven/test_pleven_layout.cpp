// The Pleven file layout's edge cases: frame rates, palette commands, the
// choice of whole-file reading, the palette-changed flag, damaged and
// hostile files, and a file that shrinks while it is read.
#include <filesystem>
#include <memory>

#include "decode/pleven_decoder.h"
#include "decode/pleven_format.h"
#include "decode/pleven_palette.h"
#include "fileio/tolfile.h"
#include "pleven_clip.h"
#include "util/huffman.h"

namespace {

using plevtest::Clip;
using plevtest::ClipSpec;

using plevtest::Decoder;

std::string writeSmallClip(const testutil::TempDir& dir, ClipSpec spec, Clip* out = nullptr) {
  const std::string name = dir.file("small.plv");
  Clip clip;
  if (!plevtest::writeClip(name, spec, clip)) return {};
  if (out) *out = std::move(clip);
  return name;
}

TEST(PlevLayout, FrameRateFieldGivesFrameTimeAndRate) {
  const struct { int32_t rate, frameTime, fps; } cases[] = {
      {50, 5000, 20}, {-4000, 4000, 25}, {0, 0, 100000}, {-3337, 3337, 29}, {200000, 20000000, 1}};
  testutil::TempDir dir;
  for (auto c : cases) {
    ClipSpec spec;
    spec.frames = 2;
    spec.rate = c.rate;
    const std::string name = writeSmallClip(dir, spec);
    ASSERT_FALSE(name.empty());
    Decoder d(tol::PlevOpen(name.c_str(), 0, -1));
    ASSERT_TRUE(d) << c.rate;
    EXPECT_EQ(d->rate, c.rate);
    EXPECT_EQ(d->frameTime, c.frameTime) << c.rate;
    EXPECT_EQ(d->framesPerSecond, c.fps) << c.rate;
  }
}

TEST(PlevLayout, PaletteCommands) {
  uint8_t palette[768];
  for (int i = 0; i < 768; ++i) palette[i] = static_cast<uint8_t>(i * 5);
  uint8_t before[768];
  std::memcpy(before, palette, sizeof before);
  const uint8_t keepAll[] = {0xFF, 0xFF};  // 128 + 128 entries
  tol::pleven::applyPaletteCommands(keepAll, sizeof keepAll, palette);
  EXPECT_EQ(std::memcmp(palette, before, 768), 0);

  // One new entry (63, 32, 0), then 3 entries copied from entry 200 on.
  const uint8_t commands[] = {63, 32, 0, 0x42, 200};
  tol::pleven::applyPaletteCommands(commands, sizeof commands, palette);
  EXPECT_EQ(palette[0], 255);
  EXPECT_EQ(palette[1], 130);
  EXPECT_EQ(palette[2], 0);
  EXPECT_EQ(std::memcmp(palette + 3, before + 600, 9), 0);
  EXPECT_EQ(std::memcmp(palette + 12, before + 12, 768 - 12), 0);  // cut short: the rest kept
}

TEST(PlevLayout, PaletteChunksUseKeepAndCopyCommands) {
  uint8_t previous[768], next[768], chunk[tol::pleven::kMaxPaletteChunk];
  for (int i = 0; i < 768; ++i) previous[i] = tol::pleven::widen6(static_cast<uint32_t>(i * 7) >> 2);
  // Entries 10 to 40 rotate by one; everything else stays.
  std::memcpy(next, previous, sizeof next);
  for (int e = 10; e < 40; ++e) std::memcpy(next + 3 * e, previous + 3 * (e + 1), 3);
  const size_t size = tol::pleven::buildPaletteChunk(previous, next, chunk);
  EXPECT_LE(size, 12u);
  EXPECT_EQ(size % 4, 0u);
  EXPECT_EQ(chunk[0] * 4u, size);
  uint8_t decoded[768];
  std::memcpy(decoded, previous, sizeof decoded);
  tol::pleven::applyPaletteCommands(chunk + 1, size - 1, decoded);
  EXPECT_EQ(std::memcmp(decoded, next, 768), 0);
  std::memcpy(next, decoded, sizeof next);
  EXPECT_EQ(tol::pleven::buildPaletteChunk(decoded, next, chunk), 0u);  // no change, no chunk
}

TEST(PlevLayout, SmallFileIsReadWholeAtOpen) {
  testutil::TempDir dir;
  ClipSpec spec;
  spec.frames = 3;
  const std::string name = writeSmallClip(dir, spec);
  ASSERT_FALSE(name.empty());
  Decoder d(tol::PlevOpen(name.c_str(), 0, -1));
  ASSERT_TRUE(d);
  EXPECT_NE(d->frameArea, nullptr);
  EXPECT_EQ(d->file, -1);  // closed after reading
  EXPECT_EQ(d->bytesRead, d->offsets[d->entries]);
  // Ring frame: F + 1 entries in both tables.
  EXPECT_EQ(d->entries, 4u);
  EXPECT_EQ(std::filesystem::file_size(name),
            tol::pleven::kHeaderSize + 4 * 5 + d->treeBlockSize + d->offsets[d->entries]);
}

TEST(PlevLayout, PaletteChangedOnlyUntilItsFrameIsDecoded) {
  testutil::TempDir dir;
  ClipSpec spec;
  spec.frames = 3;
  const std::string name = writeSmallClip(dir, spec);
  Decoder d(tol::PlevOpen(name.c_str(), 0, -1));
  ASSERT_TRUE(d);
  EXPECT_EQ(d->paletteChanged, 1);  // frame 0 brings the first palette
  tol::PlevDecodeFrame(d.get());    // no destination: only takes the palette
  EXPECT_EQ(d->paletteChanged, 0);
  tol::PlevGotoFrame(d.get(), 1);
  EXPECT_EQ(d->paletteChanged, 0);  // the same frame's palette again
  tol::PlevNextFrame(d.get());      // the palette rotates every frame
  EXPECT_EQ(d->paletteChanged, 1);
  EXPECT_EQ(tol::PlevTrackSound(d.get(), d->palette, PLEV_OPEN_TRACK(0)), 0);  // no sound
  EXPECT_EQ(tol::PlevTrackSound(d.get(), d->palette, 0), 0);
}

TEST(PlevLayout, DamagedFilesAreRefused) {
  testutil::TempDir dir;
  ClipSpec spec;
  spec.frames = 4;
  spec.tracks[0] = {8000, 8, 1, 1, 3};
  Clip clip;
  const std::string name = writeSmallClip(dir, spec, &clip);
  ASSERT_FALSE(name.empty());
  const std::vector<uint8_t> good = testutil::readFile(name);
  const auto openImage = [](const std::vector<uint8_t>& bytes) {
    return Decoder(tol::PlevOpen(bytes.data(), PLEV_OPEN_MEMORY, static_cast<int32_t>(bytes.size())));
  };
  ASSERT_TRUE(openImage(good));
  auto patched = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> b = good;
    tol::pleven::store32(&b[at], value);
    return b;
  };
  EXPECT_FALSE(openImage(patched(0, 0x31564C50)));        // magic
  EXPECT_FALSE(openImage(patched(4, 0)));                 // width
  EXPECT_FALSE(openImage(patched(12, 0x00FFFFFF)));       // frame count far beyond the file
  EXPECT_FALSE(openImage(patched(13 * 4, 0x7FFFFFF0)));   // tree block size
  EXPECT_FALSE(openImage(patched(14 * 4, 0x00080000)));   // tree table size beyond what the block can hold
  EXPECT_FALSE(openImage(patched(104, 0xFFFFFF00)));      // frame size
  for (size_t cut : {size_t{50}, size_t{110}, good.size() - 1}) {
    EXPECT_FALSE(openImage(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(cut)))) << cut;
  }
  EXPECT_FALSE(Decoder(tol::PlevOpen(dir.file("missing.plv").c_str(), 0, -1)));

  // Damage inside the frames: every byte flipped in turn; frames decode
  // without touching memory outside the picture.
  const size_t dataStart = good.size() - [&] {
    Decoder d = openImage(good);
    return static_cast<size_t>(d->offsets[d->entries]);
  }();
  std::vector<uint8_t> screen(static_cast<size_t>(spec.width * spec.height));
  std::vector<uint8_t> pcm(4096);
  for (size_t at = dataStart; at < good.size(); at += 7) {
    std::vector<uint8_t> b = good;
    b[at] ^= 0x5A;
    Decoder d = openImage(b);
    ASSERT_TRUE(d);
    ASSERT_EQ(tol::PlevSetDestination(d.get(), 0, 0, spec.width, spec.height, screen.data(), 0), 1);
    for (int32_t f = 0; f < spec.frames + 1; ++f) {
      tol::PlevDecodeFrame(d.get());
      ASSERT_LE(tol::PlevTrackSound(d.get(), pcm.data(), PLEV_OPEN_TRACK(0)), static_cast<int32_t>(d->maxSoundSize[0]));
      tol::PlevNextFrame(d.get());
    }
  }
}

TEST(PlevLayout, ShortReadStopsTheFrameOperations) {
  testutil::TempDir dir;
  ClipSpec spec;
  spec.width = 160;
  spec.height = 120;
  spec.frames = 6;
  spec.noisy = true;
  spec.flags = 0;
  const std::string name = writeSmallClip(dir, spec);
  ASSERT_FALSE(name.empty());
  Decoder d(tol::PlevOpen(name.c_str(), 0, 8192));
  ASSERT_TRUE(d);
  ASSERT_EQ(d->frameArea, nullptr);
  std::filesystem::resize_file(name, d->frameOffset + d->frameSizes[0] + 100);
  std::vector<uint8_t> screen(160 * 120);
  ASSERT_EQ(tol::PlevSetDestination(d.get(), 0, 0, 160, 120, screen.data(), 0), 1);
  tol::PlevNextFrame(d.get());
  EXPECT_EQ(d->readError, 1);
  EXPECT_EQ(tol::PlevDecodeFrame(d.get()), 0);
  tol::PlevNextFrame(d.get());
  EXPECT_EQ(d->currentFrame, 2);  // only counts
  tol::PlevGotoFrame(d.get(), 1);
  EXPECT_EQ(d->currentFrame, 2);  // does nothing
}

}  // namespace

namespace {

// A file put together by hand from the layout and the video syntax, with
// the Huffman encoder for the trees: a 4 x 2 key frame coded as a fill of 4
// pixels of colour 7, a copy of 3 pixels from the row above, and 1 literal
// pixel of colour 9.
TEST(PlevLayout, HandMadeFileDecodesAsTheSyntaxSays) {
  using namespace tol::pleven;
  const uint32_t symbols[][2] = {{kCommandTree, commandSymbol(kFill, 4)},  {kColourTree, 7},
                                 {kCommandTree, commandSymbol(kCopy, 3)},  {kOffsetTree, offsetSymbol(0, -1)},
                                 {kCommandTree, commandSymbol(kLiteral, 1)}, {kColourTree, 9}};
  testutil::TempDir dir;
  const std::string name = dir.file("hand.plv");
  TOLFile* f = tol::TOLFileCreate(4096, name.c_str());
  ASSERT_NE(f, nullptr);
  const std::vector<uint8_t> zeros(kHeaderSize + 5);
  tol::TOLFilePut(f, zeros.data(), static_cast<uint32_t>(zeros.size()));
  HuffTree* trees[4];
  uint32_t leaves[4] = {};
  for (auto& t : trees) {
    t = tol::HuffOpen(0);
    tol::HuffSetOutput(t, f);
  }
  for (auto& s : symbols) tol::HuffAddStat(trees[s[0]], s[1]);
  for (int t = 0; t < 4; ++t) {
    ASSERT_GE(tol::HuffStartEncode(trees[t]), 0);
    for (uint32_t v = 0; v < 65536; ++v) leaves[t] += trees[t]->lengths[v] != 255;
  }
  tol::TOLFileByteAlign(f);
  while (tol::TOLFileGetPos(f) % 4 != (kHeaderSize + 5) % 4) tol::TOLFilePut8(f, 0);
  const uint32_t treeBlock = tol::TOLFileGetPos(f) - (kHeaderSize + 5);
  for (auto& s : symbols) tol::HuffEncode(trees[s[0]], s[1]);
  tol::TOLFileByteAlign(f);
  const uint32_t frameSize = tol::TOLFileGetPos(f) - (kHeaderSize + 5) - treeBlock;
  for (auto* t : trees) tol::HuffClose(t);
  tol::TOLFileClose(f);

  std::vector<uint8_t> file = testutil::readFile(name);
  const uint32_t header[kHeaderFields] = {kMagic, 4, 2, 1, 100, 0, 0, 0, 0, 0, 0, 0, 0, treeBlock,
                                          leaves[0] * 8, leaves[1] * 8, leaves[2] * 8, leaves[3] * 8};
  for (uint32_t i = 0; i < kHeaderFields; ++i) store32(&file[4 * i], header[i]);
  store32(&file[kHeaderSize], frameSize);
  Decoder d(tol::PlevOpen(file.data(), PLEV_OPEN_MEMORY, static_cast<int32_t>(file.size())));
  ASSERT_TRUE(d);
  std::vector<uint8_t> screen(8, 0xEE);
  ASSERT_EQ(tol::PlevSetDestination(d.get(), 0, 0, 4, 2, screen.data(), 0), 1);
  tol::PlevDecodeFrame(d.get());
  EXPECT_EQ(screen, (std::vector<uint8_t>{7, 7, 7, 7, 7, 7, 7, 9}));
}

}  // namespace
