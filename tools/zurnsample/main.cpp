// zurnsample: writes a small synthetic clip to try the compressor on: a
// numbered PNG sequence of a moving, textured picture (frame0000.png, ...)
// and a WAVE file with a rising tone (sound.wav) that lasts as long as the
// frames at 15 frames per second; with /P also the same clip as a Pleven
// file (clip.plv: the pictures in 256 colours, the tone as track 0), to try
// the Pleven mixer and player on.
//
//   zurnsample FOLDER [/Nframes] [/Wwidth] [/Hheight] [/Rrate] [/Cchannels] [/P]
//
// Defaults: 48 frames of 320 x 240, 22050 Hz mono.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/wave.h"
#include "tol/gfile.h"
#include "tol/plevenwriter.h"
#include "tol/tolutil.h"

namespace {

constexpr int kFramesPerSecond = 15;

void pngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Writes 8-bit RGB rows (width * 3 bytes each). Free of objects with
// destructors, since a libpng error longjmps out of it.
bool writeRgbPng(const char* path, int width, int height, const uint8_t* rgb) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, rgb + size_t(y) * size_t(width) * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

uint8_t clampByte(double v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v + 0.5); }

// A panning texture of soft stripes and fine ripples, with a shaded ball
// that circles over it.
void drawFrame(std::vector<uint8_t>& rgb, int width, int height, int frame, int frames) {
  const double phase = 2 * std::numbers::pi * frame / frames;
  const double ballX = width * (0.5 + 0.3 * std::cos(phase)), ballY = height * (0.5 + 0.3 * std::sin(phase));
  const double radius = std::max(3.0, height / 7.0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double u = x + 3.0 * frame, v = y + 1.5 * frame;
      double r = 110 + 60 * std::sin(u * 0.045) + 20 * std::sin((u + v) * 0.31);
      double g = 120 + 50 * std::sin(v * 0.06 + 1.0) + 15 * std::sin(u * 0.23 - v * 0.17);
      double b = 140 + 45 * std::sin((u - v) * 0.035 + 2.0);
      const double dx = (x - ballX) / radius, dy = (y - ballY) / radius, d2 = dx * dx + dy * dy;
      if (d2 < 1) {
        const double light = 0.55 + 0.45 * std::sqrt(1 - d2) - 0.25 * (dx + dy);
        r = 250 * light;
        g = 150 * light;
        b = 40 * light;
      }
      uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
      p[0] = clampByte(r);
      p[1] = clampByte(g);
      p[2] = clampByte(b);
    }
}

// A tone rising from 220 Hz to 880 Hz with its fifth beside it in the
// second channel, faded in and out.
tolapp::Sound makeTone(int rate, int channels, double seconds) {
  tolapp::Sound s;
  s.rate = rate;
  s.channels = channels;
  s.bits = 16;
  const size_t count = size_t(seconds * rate);
  s.samples.reserve(count * size_t(channels));
  double phase[2] = {0, 0};
  for (size_t i = 0; i < count; ++i) {
    const double t = double(i) / rate, f = 220 * std::pow(4.0, t / seconds);
    const double fade = std::min({1.0, t / 0.05, (seconds - t) / 0.05});
    for (int c = 0; c < channels; ++c) {
      phase[c] += 2 * std::numbers::pi * f * (c ? 1.5 : 1.0) / rate;
      s.samples.push_back(int16_t(std::lround(9000 * fade * std::sin(phase[c]))));
    }
  }
  return s;
}

// The written frames read back through the graphics input in 256 colours,
// with the tone as an uncompressed track 0, at 15 frames per second.
bool writePleven(const std::filesystem::path& dir, const tolapp::Sound& tone) {
  const std::string frames = (dir / "frame????.png").string();
  GFile* g = GFileOpen(frames.c_str(), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 256, 0, 2, 0, nullptr, nullptr, nullptr);
  if (!g) return false;
  PlevWriterSettings settings{};
  settings.width = g->width;
  settings.height = g->height;
  settings.rate = -100000 / kFramesPerSecond;
  settings.flags = PLEV_FLAG_RING_FRAME;
  settings.keyInterval = kFramesPerSecond;
  settings.tracks[0] = {tone.rate, 16, tone.channels, 0, 0};
  PlevWriter* w = PlevWriterCreate((dir / "clip.plv").c_str(), &settings);
  bool ok = w != nullptr;
  const size_t block = size_t(tone.channels);
  for (int f = 0; ok && f < g->outFrameCount; ++f) {
    const size_t from = size_t(f) * size_t(tone.rate) / kFramesPerSecond * block,
                 to = std::min(tone.samples.size(), size_t(f + 1) * size_t(tone.rate) / kFramesPerSecond * block);
    const void* sound[PLEV_TRACKS] = {tone.samples.data() + std::min(from, to)};
    const uint32_t bytes[PLEV_TRACKS] = {uint32_t((to - std::min(from, to)) * 2)};
    ok = GFileGet(g) && PlevWriterPutFrame(w, g->frameBuffer, g->pitch, g->palette, sound, bytes) == 1;
  }
  GFileClose(g);
  return w && PlevWriterClose(w) == 1 && ok;
}

int usage(const char* message) {
  std::fprintf(stderr,
               "zurnsample: %s\nusage: zurnsample FOLDER [/Nframes] [/Wwidth] [/Hheight] [/Rrate] [/Cchannels] [/P]\n",
               message);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string line = tolapp::joinArguments(argc, argv);
  char* text = line.data();
  const int frames = GetSwitchNum(text, 'N', 48), width = GetSwitchNum(text, 'W', 320),
            height = GetSwitchNum(text, 'H', 240), rate = GetSwitchNum(text, 'R', 22050),
            channels = GetSwitchNum(text, 'C', 1);
  const bool pleven = GetSwitch(text, 'P') != 0;
  std::vector<char> folder(line.size() + 1);
  GetAndRemoveFirstQuotedN(folder.data(), uint32_t(folder.size()), text);
  Trim(text);
  if (!folder[0] || *text) return usage("one folder and the switches /N /W /H /R /C /P");
  if (frames < 1 || frames > 10000 || width < 1 || width > 4096 || height < 1 || height > 4096 || rate < 1000 ||
      rate > 65535 || channels < 1 || channels > 2)
    return usage("1 to 10000 frames of at most 4096 x 4096, a rate of 1000 to 65535 Hz, 1 or 2 channels");

  const std::filesystem::path dir(folder.data());
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
  for (int i = 0; i < frames; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "frame%04d.png", i);
    drawFrame(rgb, width, height, i, frames);
    if (!writeRgbPng((dir / name).c_str(), width, height, rgb.data())) {
      std::fprintf(stderr, "zurnsample: cannot write %s\n", (dir / name).c_str());
      return 1;
    }
  }
  const std::string wave = (dir / "sound.wav").string();
  const tolapp::Sound tone = makeTone(rate, channels, double(frames) / kFramesPerSecond);
  if (!tolapp::writeWave(wave, tone)) {
    std::fprintf(stderr, "zurnsample: cannot write %s\n", wave.c_str());
    return 1;
  }
  if (pleven && !writePleven(dir, tone)) {
    std::fprintf(stderr, "zurnsample: cannot write %s\n", (dir / "clip.plv").c_str());
    return 1;
  }
  std::printf("zurnsample: %d frames of %d x %d in %s, sound in %s%s%s\n", frames, width, height,
              (dir / "frame0000.png").c_str(), wave.c_str(), pleven ? ", Pleven clip in " : "",
              pleven ? (dir / "clip.plv").c_str() : "");
  return 0;
}
