// Graphics input speed: GFileGet frames per second on the corpus sequences
// and AVI files and on sequences and AVI files made from them at start-up
// (BMP and JPEG sequences, a 640 x 480 uncompressed AVI, a 320 x 240
// Motion-JPEG AVI), true colour and 8-bit with palette analysis; beside them
// the bare decode of the same PNG and JPEG files with libpng and
// libjpeg-turbo. Opening is not timed; every frame of the source is.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "media/avi_file.h"
#include "media/gfile.h"
#include "media/still_image.h"

namespace {

namespace fs = std::filesystem;

std::string corpus(const std::string& rel) { return std::string(TOL_CORPUS_DIR) + "/" + rel; }

struct Source {
  std::string name;      // what GFileOpen takes
  std::string framesAt;  // printf pattern of the files a bare decoder reads ("" for none)
  int32_t frames;
};

// A scratch folder for the files made at start-up, removed at exit.
std::string scratch() {
  static const struct Folder {
    std::string path = (fs::temp_directory_path() / ("tol_gfile_bench_" + std::to_string(::getpid()))).string();
    Folder() { fs::create_directories(path); }
    ~Folder() {
      std::error_code ec;
      fs::remove_all(path, ec);
    }
  } folder;
  return folder.path;
}

std::string frameName(const std::string& pattern, int32_t k) {
  char name[512];
  std::snprintf(name, sizeof name, pattern.c_str(), k);
  return name;
}

// A corpus PNG as a bottom-up 24-bit still image buffer.
std::vector<uint8_t> loadBottomUp(const std::string& png, int32_t w, int32_t h) {
  std::vector<uint8_t> px(size_t(w) * 3 * h);
  tol::StillImage img{};
  img.width = w, img.height = h, img.bits = 24, img.pitch = w * 3, img.pixels = px.data();
  tol::stillImageLoad(tol::StillFormat::Png, png.c_str(), img);
  return px;
}

// Writes the PNG sequence again in another still format.
void convertSequence(const std::string& pngPattern, const std::string& outPattern, tol::StillFormat format, int32_t w,
                     int32_t h, int32_t quality) {
  for (int32_t k = 0; k < 30; ++k) {
    std::vector<uint8_t> px = loadBottomUp(frameName(pngPattern, k), w, h);
    tol::StillImage img{};
    img.width = w, img.height = h, img.bits = 24, img.pitch = w * 3, img.pixels = px.data();
    tol::stillImageSave(format, frameName(outPattern, k).c_str(), img, quality);
  }
}

// Writes the PNG sequence as an AVI, uncompressed or Motion-JPEG.
void writeAvi(const std::string& pngPattern, const std::string& name, int32_t w, int32_t h, bool mjpeg) {
  tol::AVIFile* file = tol::AVIFileCreate(name.c_str());
  tol::AVIStreamInfo info{};
  info.fccType = tol::kStreamTypeVideo;
  info.scale = 1, info.rate = 15;
  info.frame = {0, 0, w, h};
  tol::AVIStream* raw = tol::AVIFileCreateStream(file, &info);
  tol::AVIStream* stream = raw;
  if (mjpeg) {
    tol::AVICompressOptions options{tol::kStreamTypeVideo, tol::kFourCCMJPG, 8500};
    stream = tol::AVIMakeCompressedStream(raw, &options);
  }
  tol::BitmapInfoHeader bih{40, w, h, 1, 24, 0, uint32_t(w * 3 * h), 0, 0, 0, 0};
  tol::AVIStreamSetFormat(stream, 0, &bih, sizeof bih);
  for (int32_t k = 0; k < 30; ++k) {
    std::vector<uint8_t> px = loadBottomUp(frameName(pngPattern, k), w, h);
    tol::AVIStreamWrite(stream, k, 1, px.data(), int32_t(px.size()), tol::kAVIKeyFrame, nullptr, nullptr);
  }
  if (stream != raw) tol::AVIStreamRelease(stream);
  tol::AVIStreamRelease(raw);
  tol::AVIFileRelease(file);
}

const std::vector<Source>& sources() {
  static const std::vector<Source> all = [] {
    const std::string d = scratch();
    const std::string pan = corpus("seq/path_pan_320x240/pathpan%04d.png");
    const std::string zoom = corpus("seq/leaf_zoom_640x480/leafzoom%04d.png");
    convertSequence(pan, d + "/pan%04d.bmp", tol::StillFormat::Bmp, 320, 240, 0);
    convertSequence(zoom, d + "/zoom%04d.bmp", tol::StillFormat::Bmp, 640, 480, 0);
    convertSequence(zoom, d + "/zoom%04d.jpg", tol::StillFormat::Jpeg, 640, 480, 85);
    writeAvi(zoom, d + "/zoom_raw.avi", 640, 480, false);
    writeAvi(pan, d + "/pan_mjpeg.avi", 320, 240, true);
    return std::vector<Source>{
        {corpus("seq/path_pan_320x240/pathpan????.png*0-29"), pan, 30},
        {corpus("seq/leaf_zoom_640x480/leafzoom????.png*0-29"), zoom, 30},
        {d + "/pan????.bmp*0-29", "", 30},
        {d + "/zoom????.bmp*0-29", "", 30},
        {corpus("seq/boats_pan_jpeg_320x240/boatsjpg????.jpg*0-9"), corpus("seq/boats_pan_jpeg_320x240/boatsjpg%04d.jpg"), 10},
        {d + "/zoom????.jpg*0-29", d + "/zoom%04d.jpg", 30},
        {corpus("avi/raw_bgr24_320x240_15fps_pcm16_22050_stereo.avi"), "", 30},
        {d + "/zoom_raw.avi", "", 30},
        {d + "/pan_mjpeg.avi", "", 30},
        {corpus("avi/mjpeg_640x480_25fps_pcm16_44100_mono.avi"), "", 30},
    };
  }();
  return all;
}

const char* const kLabels[] = {"PNG sequence 320x240", "PNG sequence 640x480", "BMP sequence 320x240",
                               "BMP sequence 640x480", "JPEG sequence 320x240", "JPEG sequence 640x480",
                               "raw AVI 320x240",      "raw AVI 640x480",      "Motion-JPEG AVI 320x240",
                               "Motion-JPEG AVI 640x480"};

// GFileGet over every frame; range(1) 1: true colour, 0: 8 bits with the
// palette computed from the frames.
void BM_GFileGet(benchmark::State& state) {
  const Source& s = sources()[size_t(state.range(0))];
  const uint32_t flags = uint32_t(state.range(1));
  int64_t frames = 0;
  for (auto _ : state) {
    state.PauseTiming();
    tol::GFileState* g = tol::GFileOpen(s.name.c_str(), flags, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, flags ? 0 : 1, 0, 0,
                                        256, 0, 0, 0, nullptr, nullptr, nullptr);
    if (!g) {
      state.SkipWithError("cannot open");
      return;
    }
    state.ResumeTiming();
    for (int32_t k = 0; k < g->outFrameCount; ++k) benchmark::DoNotOptimize(tol::GFileGet(*g));
    frames += g->outFrameCount;
    state.PauseTiming();
    tol::GFileClose(g);
    state.ResumeTiming();
  }
  state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
  state.SetLabel(std::string(kLabels[state.range(0)]) + (flags ? ", true colour" : ", 8 bits with palette"));
}

bool decodePng(const std::string& name, std::vector<uint8_t>& rgb) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, name.c_str())) return false;
  image.format = PNG_FORMAT_BGR;
  rgb.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
}

bool decodeJpeg(const std::string& name, std::vector<uint8_t>& rgb) {
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return false;
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&cinfo);
  const size_t stride = size_t(cinfo.output_width) * 3;
  rgb.resize(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = rgb.data() + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(f);
  return true;
}

// The bare library decode of the same files, frame by frame.
void BM_BareDecode(benchmark::State& state) {
  const Source& s = sources()[size_t(state.range(0))];
  const bool png = s.framesAt.find(".png") != std::string::npos;
  std::vector<uint8_t> rgb;
  int64_t frames = 0;
  for (auto _ : state) {
    for (int32_t k = 0; k < s.frames; ++k) {
      const std::string name = frameName(s.framesAt, k);
      if (!(png ? decodePng(name, rgb) : decodeJpeg(name, rgb))) {
        state.SkipWithError("cannot decode");
        return;
      }
      benchmark::DoNotOptimize(rgb.data());
    }
    frames += s.frames;
  }
  state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
  state.SetLabel(std::string(kLabels[state.range(0)]) + (png ? ", libpng" : ", libjpeg-turbo"));
}

void gfileArgs(benchmark::internal::Benchmark* b) {
  for (int64_t i = 0; i < 10; ++i)
    for (int64_t flags : {1, 0}) b->Args({i, flags});
}

BENCHMARK(BM_BareDecode)->DenseRange(0, 1)->DenseRange(4, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GFileGet)->Apply(gfileArgs)->Unit(benchmark::kMillisecond);

}  // namespace
