// Writes the seed corpora of the Zurn fuzz targets from files our own
// encoder makes, so that fuzzing starts from inputs that reach deep into the
// parsers instead of from random bytes that no header check lets through:
//   decoder_seeds/       whole Zurn files: several sizes, line modes, with and
//                        without sound tracks of each layout
//   frame_seeds/         one frame's video data behind the frame fuzzer's
//                        size byte (keyframes and predicted frames)
//   sound_packet_seeds/  one track's packet behind the sound fuzzer's layout
//                        and piece-count bytes
//   wave_seeds/          small WAVE files of the shapes users bring
// Usage: make_seeds FUZZ_FOLDER (the seed folders are written inside it).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "decode/zurn_decoder.h"
#include "decode/zurn_track_reader.h"
#include "tol/zurnmake.h"

namespace fs = std::filesystem;

namespace {

void writeBytes(const fs::path& name, const std::vector<uint8_t>& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "make_seeds: cannot write %s\n", name.c_str());
    std::exit(1);
  }
}

struct SoundLayout {
  uint32_t rate, channels, bits;
};

// A rising tone: enough change that the sound coder spends real bits.
int32_t TOL_CC readTone(void*, void* userData, void* buffer, int32_t byteCount) {
  auto* phase = static_cast<uint32_t*>(userData);
  auto* out = static_cast<int16_t*>(buffer);
  for (int32_t i = 0; i < byteCount / 2; ++i, ++*phase)
    out[i] = static_cast<int16_t>(9000 * std::sin(*phase * (0.05 + *phase * 1e-5)));
  return byteCount & ~1;
}

// A ball moving over a gradient, so frames have motion, flat areas and edges.
std::vector<uint8_t> picture(uint32_t w, uint32_t h, uint32_t frame) {
  std::vector<uint8_t> px(size_t(w) * h * 4);
  const double cx = (0.2 + 0.15 * frame) * w, cy = 0.5 * h, r = 0.25 * (w < h ? w : h) + 1;
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* p = &px[(size_t(y) * w + x) * 4];
      const bool ball = (x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r;
      p[0] = ball ? 250 : static_cast<uint8_t>(x * 255 / (w ? w : 1));
      p[1] = ball ? 240 : static_cast<uint8_t>(y * 255 / (h ? h : 1));
      p[2] = ball ? 30 : static_cast<uint8_t>((x + y + frame * 9) & 0xFF);
    }
  return px;
}

bool makeZurn(const std::string& name, uint32_t w, uint32_t h, uint32_t frames, uint32_t lineMode,
              const std::vector<SoundLayout>& sound) {
  std::vector<uint32_t> phases(sound.size());
  std::vector<ZurnMakeSoundTrack> tracks;
  for (size_t i = 0; i < sound.size(); ++i)
    tracks.push_back({uint32_t(i + 1), sound[i].rate, sound[i].bits, sound[i].channels, 4, &phases[i], readTone});
  const uint32_t rows = lineMode ? h * 2 : h;
  ZurnMakeState* job = ZurnMake(name.c_str(), w * 4, w, rows, frames, 0, lineMode, 15, 1,
                                static_cast<uint32_t>(tracks.size()), tracks.data(), 2, nullptr);
  if (!job) return false;
  const uint32_t budget = 40 + w * h / 6;
  for (uint32_t f = 0; f < frames; ++f) {
    const std::vector<uint8_t> px = picture(w, rows, f);
    ZurnMakePutVideo(job, budget, budget * 2, f == 0, px.data());
  }
  return ZurnMakeClose(job, 0) != 0;
}

// Every frame's bytes of a Zurn file, through the decoder.
std::vector<std::vector<uint8_t>> frameBytes(const std::string& name, uint32_t* trackCount) {
  std::vector<std::vector<uint8_t>> frames;
  tol::ZurnDecoder* d = tol::ZurnDecoderOpen(name.c_str(), 0);
  if (!d) return frames;
  *trackCount = d->soundTrackCount;
  for (uint32_t f = 1; f <= d->frames; ++f) {
    tol::zurnFetchFrame(d, f);
    uint32_t size = 0;
    const uint8_t* bytes = tol::zurnCurrentFrame(d, &size);
    frames.emplace_back(bytes, bytes + size);
  }
  tol::ZurnDecoderClose(d);
  return frames;
}

void makeDecoderAndFrameSeeds(const fs::path& out) {
  const fs::path decoder = out / "decoder_seeds", frame = out / "frame_seeds";
  fs::create_directories(decoder);
  fs::create_directories(frame);
  struct Clip {
    const char* name;
    uint32_t w, h, frames, lineMode;
    std::vector<SoundLayout> sound;
  };
  const std::vector<Clip> clips = {
      {"plain_16x16.zrn", 16, 16, 3, 0, {}},
      {"odd_33x17.zrn", 33, 17, 3, 0, {}},
      {"lines_24x12_mode1.zrn", 24, 12, 2, 1, {}},
      {"lines_20x8_mode2.zrn", 20, 8, 2, 2, {}},
      {"sound16mono_24x16.zrn", 24, 16, 3, 0, {{22050, 1, 16}}},
      {"sound8stereo_16x16.zrn", 16, 16, 2, 0, {{11025, 2, 8}}},
      {"two_tracks_16x8.zrn", 16, 8, 2, 0, {{8000, 1, 16}, {11025, 2, 16}}},
  };
  for (const Clip& c : clips) {
    const std::string name = (decoder / c.name).string();
    if (!makeZurn(name, c.w, c.h, c.frames, c.lineMode, c.sound)) {
      std::fprintf(stderr, "make_seeds: cannot write %s\n", name.c_str());
      std::exit(1);
    }
  }
  // The frame fuzzer's first byte picks one of its sizes (index below) and
  // its top bit says keyframe.
  const uint32_t sizes[][2] = {{8, 8}, {20, 8}, {100, 60}, {33, 17}, {64, 48}, {1, 1}, {16, 40}, {176, 24}};
  const fs::path scratch = out / "frame_seeds.zrn";
  for (uint8_t index : {0, 1, 3, 5, 6}) {
    if (!makeZurn(scratch.string(), sizes[index][0], sizes[index][1], 2, 0, {})) std::exit(1);
    uint32_t tracks = 0;
    const auto frames = frameBytes(scratch.string(), &tracks);
    for (size_t f = 0; f < frames.size(); ++f) {
      std::vector<uint8_t> seed{static_cast<uint8_t>(index | (f == 0 ? 0x80 : 0))};
      seed.insert(seed.end(), frames[f].begin(), frames[f].end());
      writeBytes(frame / ("size" + std::to_string(index) + "_frame" + std::to_string(f)), seed);
    }
  }
  fs::remove(scratch);
}

void makeSoundPacketSeeds(const fs::path& out) {
  const fs::path dir = out / "sound_packet_seeds";
  fs::create_directories(dir);
  // The sound fuzzer's layouts, in its order.
  const SoundLayout layouts[] = {{22050, 1, 16}, {11025, 2, 8}, {44100, 2, 16}};
  const fs::path scratch = out / "sound_seeds.zrn";
  for (uint8_t l = 0; l < 3; ++l) {
    if (!makeZurn(scratch.string(), 8, 8, 3, 0, {layouts[l]})) std::exit(1);
    uint32_t tracks = 0;
    const auto frames = frameBytes(scratch.string(), &tracks);
    for (size_t f = 0; f < frames.size(); ++f) {
      uint32_t size = 0;
      const uint8_t* packet =
          tol::zurnFindPacket(frames[f].data(), static_cast<uint32_t>(frames[f].size()), 0, &size);
      if (!packet) continue;
      std::vector<uint8_t> seed{l, 0};
      seed.insert(seed.end(), packet, packet + size);
      writeBytes(dir / ("layout" + std::to_string(l) + "_packet" + std::to_string(f)), seed);
    }
  }
  fs::remove(scratch);
}

void put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void chunk(std::vector<uint8_t>& b, const char* id, const std::vector<uint8_t>& body) {
  b.insert(b.end(), id, id + 4);
  put32(b, static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() & 1) b.push_back(0);
}

std::vector<uint8_t> wave(uint16_t tag, uint32_t rate, uint16_t channels, uint16_t bits, uint32_t frames,
                          bool extensible, bool extraChunks) {
  std::vector<uint8_t> fmt;
  put16(fmt, extensible ? 0xFFFE : tag);
  put16(fmt, channels);
  put32(fmt, rate);
  put32(fmt, rate * channels * bits / 8);
  put16(fmt, channels * bits / 8);
  put16(fmt, bits);
  if (extensible) {
    put16(fmt, 22);
    put16(fmt, bits);
    put32(fmt, channels == 2 ? 3 : 4);
    put16(fmt, tag);  // the sub-format's leading two bytes, then its fixed tail
    const uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    fmt.insert(fmt.end(), tail, tail + 14);
  }
  std::vector<uint8_t> data;
  for (uint32_t i = 0; i < frames * channels; ++i) {
    const int v = static_cast<int>(3000 * std::sin(i * 0.3));
    if (bits == 8)
      data.push_back(static_cast<uint8_t>(128 + v / 256));
    else
      put16(data, static_cast<uint16_t>(v));
  }
  std::vector<uint8_t> body{'W', 'A', 'V', 'E'};
  if (extraChunks) chunk(body, "LIST", {'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 3, 0, 0, 0, 'x', 'y', 0, 0});
  chunk(body, "fmt ", fmt);
  if (extraChunks) chunk(body, "fact", {static_cast<uint8_t>(frames), 0, 0, 0});
  chunk(body, "data", data);
  if (extraChunks) chunk(body, "cue ", {0, 0, 0, 0});
  std::vector<uint8_t> file;
  chunk(file, "RIFF", body);
  return file;
}

void makeWaveSeeds(const fs::path& out) {
  const fs::path dir = out / "wave_seeds";
  fs::create_directories(dir);
  writeBytes(dir / "pcm8_mono.wav", wave(1, 11025, 1, 8, 61, false, false));
  writeBytes(dir / "pcm16_stereo.wav", wave(1, 22050, 2, 16, 40, false, false));
  writeBytes(dir / "pcm16_mono_chunks.wav", wave(1, 8000, 1, 16, 33, false, true));
  writeBytes(dir / "extensible_stereo.wav", wave(1, 44100, 2, 16, 20, true, false));
  writeBytes(dir / "float_refused.wav", wave(3, 44100, 1, 32, 8, false, false));
  // A data chunk whose size runs past the end of the file.
  std::vector<uint8_t> cut = wave(1, 22050, 1, 16, 40, false, false);
  cut.resize(cut.size() - 30);
  writeBytes(dir / "data_overruns_file.wav", cut);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds FUZZ_FOLDER\n");
    return 2;
  }
  const fs::path out = argv[1];
  makeDecoderAndFrameSeeds(out);
  makeSoundPacketSeeds(out);
  makeWaveSeeds(out);
  for (const char* d : {"decoder_seeds", "frame_seeds", "sound_packet_seeds", "wave_seeds"}) {
    uintmax_t total = 0, files = 0;
    for (const auto& e : fs::directory_iterator(out / d)) total += e.file_size(), ++files;
    std::printf("%s: %ju files, %ju bytes\n", d, files, total);
  }
  return 0;
}
