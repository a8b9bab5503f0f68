// A synthetic 8-bit clip with sound, written as a Pleven file through the
// library's writer, with the pictures, palettes and sound it should decode
// to; an owning decoder handle.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "decode/pleven_decoder.h"
#include "decode/pleven_palette.h"
#include "media/pleven_writer.h"
#include "testutil.h"

namespace plevtest {

struct DecoderCloser {
  void operator()(tol::PlevDecoder* d) const { tol::PlevClose(d); }
};
using Decoder = std::unique_ptr<tol::PlevDecoder, DecoderCloser>;

struct ClipSpec {
  int32_t width = 64;
  int32_t height = 48;
  int32_t frames = 10;
  int32_t rate = 66;  // ms per frame
  uint32_t flags = PLEV_FLAG_RING_FRAME;
  int32_t keyInterval = 4;
  std::array<PlevWriterTrack, PLEV_TRACKS> tracks{};
  bool noisy = false;  // frames full of noise (large frames)
};

struct Clip {
  std::vector<std::vector<uint8_t>> pictures;  // width x height each
  std::vector<std::vector<uint8_t>> palettes;  // as decoded (6-bit values widened)
  std::vector<std::array<std::vector<uint8_t>, PLEV_TRACKS>> sound;
};

inline uint32_t nextRandom(uint32_t& seed) {
  seed = seed * 1103515245u + 12345u;
  return seed >> 16;
}

inline std::vector<uint8_t> picture(const ClipSpec& s, int32_t f, uint32_t& seed) {
  std::vector<uint8_t> p(static_cast<size_t>(s.width) * static_cast<size_t>(s.height));
  for (int32_t y = 0; y < s.height; ++y) {
    for (int32_t x = 0; x < s.width; ++x) {
      uint8_t v;
      if (s.noisy) v = static_cast<uint8_t>(nextRandom(seed));
      else if (y < s.height / 4) v = static_cast<uint8_t>(((x + y) & 1) ? 17 : 200);           // dither
      else if (y < s.height / 2) v = static_cast<uint8_t>(((x + f * 3) / 4 + y) % 64 + 64);    // scrolls
      else v = static_cast<uint8_t>(x / 8 + 1);                                                  // bands
      p[static_cast<size_t>(y) * s.width + x] = v;
    }
  }
  if (!s.noisy) {
    for (int32_t y = s.height / 2 + f % 5; y < s.height / 2 + 6 + f % 5 && y < s.height; ++y) {
      for (int32_t x = f * 2 % s.width; x < s.width && x < f * 2 % s.width + 9; ++x) {
        p[static_cast<size_t>(y) * s.width + x] = static_cast<uint8_t>(nextRandom(seed));  // a noisy box moves
      }
    }
  }
  return p;
}

inline std::vector<uint8_t> palette(int32_t f) {
  std::vector<uint8_t> pal(768);
  for (int i = 0; i < 256; ++i) {
    const int j = i >= 64 && i < 128 ? 64 + (i - 64 + f) % 64 : i;  // a rotating run
    pal[3 * i] = static_cast<uint8_t>(j);
    pal[3 * i + 1] = static_cast<uint8_t>(255 - j);
    pal[3 * i + 2] = static_cast<uint8_t>((j * 7 + (f >= 6 && i == 5 ? 90 : 0)) & 255);
  }
  return pal;
}

inline std::vector<uint8_t> sound(const PlevWriterTrack& t, int32_t f, int32_t k) {
  if (t.rate == 0 || (k == 2 && f % 3 == 1)) return {};  // track 2 skips some frames
  const size_t frames = static_cast<size_t>(t.rate / 15 + f * 7);
  std::vector<uint8_t> pcm;
  for (size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < t.channels; ++c) {
      const double x = 0.7 * __builtin_sin((f * 1000 + i) * (0.02 + 0.01 * c + 0.003 * k));
      if (t.bits == 8) {
        pcm.push_back(static_cast<uint8_t>(128 + static_cast<int>(x * 120)));
      } else {
        const auto v = static_cast<uint16_t>(static_cast<int16_t>(x * 30000));
        pcm.push_back(static_cast<uint8_t>(v));
        pcm.push_back(static_cast<uint8_t>(v >> 8));
      }
    }
  }
  return pcm;
}

// Writes the clip; fails the test (and returns false) when the writer does.
inline bool writeClip(const std::string& name, const ClipSpec& s, Clip& clip) {
  PlevWriterSettings settings{};
  settings.width = s.width;
  settings.height = s.height;
  settings.rate = s.rate;
  settings.flags = s.flags;
  settings.keyInterval = s.keyInterval;
  for (int k = 0; k < PLEV_TRACKS; ++k) settings.tracks[k] = s.tracks[static_cast<size_t>(k)];
  PlevWriter* w = tol::PlevWriterCreate(name.c_str(), &settings);
  if (!w) {
    ADD_FAILURE() << "cannot create the writer";
    return false;
  }
  uint32_t seed = 99;
  for (int32_t f = 0; f < s.frames; ++f) {
    auto pic = picture(s, f, seed);
    auto pal = palette(f);
    std::array<std::vector<uint8_t>, PLEV_TRACKS> pcm;
    const void* ptrs[PLEV_TRACKS] = {};
    uint32_t sizes[PLEV_TRACKS] = {};
    for (int k = 0; k < PLEV_TRACKS; ++k) {
      pcm[static_cast<size_t>(k)] = sound(s.tracks[static_cast<size_t>(k)], f, k);
      ptrs[k] = pcm[static_cast<size_t>(k)].data();
      sizes[k] = static_cast<uint32_t>(pcm[static_cast<size_t>(k)].size());
    }
    if (!tol::PlevWriterPutFrame(w, pic.data(), s.width, pal.data(), ptrs, sizes)) {
      ADD_FAILURE() << "frame " << f << " refused";
      tol::PlevWriterClose(w);
      return false;
    }
    for (auto& v : pal) v = tol::pleven::widen6(v >> 2);
    clip.pictures.push_back(std::move(pic));
    clip.palettes.push_back(std::move(pal));
    clip.sound.push_back(std::move(pcm));
  }
  if (!tol::PlevWriterClose(w)) {
    ADD_FAILURE() << "the writer could not write " << name;
    return false;
  }
  return true;
}

}  // namespace plevtest
