// zurnplay: plays Zurn files with sound on SDL2. The timing decisions,
// statistics and switches live in plain code beside this file; this is the
// thin layer over the window, the renderer and the sound device.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/pacing.h"
#include "common/play_statistics.h"
#include "common/zurn_facts.h"
#include "player/player_keys.h"
#include "player/player_start.h"
#include "player/sound_output.h"
#include "tol/yuv.h"
#include "tol/zurndecoder.h"
#include "tol/zurnsound.h"
#include "zurnplay/options.h"

namespace zurnplay {
namespace {

using tolapp::FrameAction;
using tolapp::FrameTiming;
using tolapp::KeyAction;
using tolapp::PlayStatistics;

// Unplayable: the file could not be opened; NoDisplay: no window or
// texture for it, which ends the program.
enum class Outcome { Finished, NextFile, Cancelled, Unplayable, NoDisplay };

double now() { return tolapp::playerNow(); }

// The picture as the renderer takes it: our own copy of the frame, kept
// between frames so that the decoder converts only the areas that changed.
struct Picture {
  uint32_t sdlFormat = 0;
  uint32_t surfaceType = 0;  // the blitters' type
  uint32_t copyFlags = 0;
  int32_t width = 0, height = 0, pitch = 0;  // of the texture
  std::vector<uint8_t> pixels;
  SDL_Texture* texture = nullptr;
  bool needFull = true;
};

bool offers(const SDL_RendererInfo& info, uint32_t format) {
  for (uint32_t i = 0; i < info.num_texture_formats; ++i)
    if (info.texture_formats[i] == format) return true;
  return false;
}

// Chooses the texture kind: the /B choice where the renderer offers it,
// else a planar YUV one, else packed YUV, else 32-bit RGB. Planar and
// packed YUV need even sizes; interlaced height needs RGB.
void chooseFormat(SDL_Renderer* renderer, const PlayOptions& o, int32_t w, int32_t h, bool interlaced,
                  Picture& p) {
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(renderer, &info);
  const bool evenSize = w % 2 == 0 && h % 2 == 0 && !interlaced;
  struct Choice {
    Blit blit;
    uint32_t format, type;
  };
  const Choice choices[] = {{Blit::Yv12, SDL_PIXELFORMAT_IYUV, 10},
                            {Blit::Yv12, SDL_PIXELFORMAT_YV12, 10},
                            {Blit::Yuy2, SDL_PIXELFORMAT_YUY2, 8},
                            {Blit::Uyvy, SDL_PIXELFORMAT_UYVY, 9}};
  p.sdlFormat = SDL_PIXELFORMAT_XBGR8888;  // bytes red, green, blue, unused
  p.surfaceType = 2;
  const bool rgb = o.blit == Blit::Rgb || o.blit == Blit::RgbSoftware;
  if (evenSize && !rgb) {
    for (const Choice& c : choices) {
      if ((o.blit == Blit::Automatic || o.blit == c.blit) && offers(info, c.format)) {
        p.sdlFormat = c.format;
        p.surfaceType = c.type;
        break;
      }
    }
  }
  p.width = w;
  p.height = interlaced ? 2 * h : h;
  p.copyFlags = p.surfaceType | (interlaced ? ZURNDEC_COPY_LINE_DOUBLING : 0);
  p.pitch = p.surfaceType == 10 ? w : p.surfaceType == 2 ? 4 * w : 2 * w;
  const size_t size = p.surfaceType == 10 ? size_t(w) * h * 3 / 2 : size_t(p.pitch) * p.height;
  p.pixels.assign(size, 0);
  if (p.surfaceType == 10) std::memset(p.pixels.data() + size_t(w) * h, 128, size_t(w) * h / 2);
}

class Player {
 public:
  explicit Player(const PlayOptions& o) : o_(o) {}
  ~Player() { closeWindow(); }

  bool init(std::string& error) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
      error = std::string("cannot open a window: ") + SDL_GetError();
      return false;
    }
    haveAudio_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    playStart_ = now();
    if (o_.hideCursor) SDL_ShowCursor(SDL_DISABLE);
    return true;
  }

  Outcome playFile(const std::string& name) {
    std::string error;
    tolapp::ZurnFacts facts;
    if (!tolapp::readZurnFacts(name, facts, error, false)) {
      std::fprintf(stderr, "zurnplay: %s: %s\n", name.c_str(), error.c_str());
      return Outcome::Unplayable;
    }
    uint32_t flags = 0;
    if (o_.noReadAhead) flags |= ZURNDEC_NO_READ_AHEAD;
    if (o_.preload) flags |= ZURNDEC_LOAD_ALL;
    if (o_.noPrefill) flags |= ZURNDEC_NO_PREFILL;
    // /E: kilobytes of read-ahead instead of the busiest second of the file.
    const uint32_t readAhead = uint32_t(std::min<uint64_t>(uint64_t(o_.readAheadKilobytes) * 1024, 0xFFFFF000u));
    std::unique_ptr<ZurnDecoder, void (*)(ZurnDecoder*)> decoder(
        ZurnDecoderOpenWithReadAhead(name.c_str(), flags, readAhead), ZurnDecoderClose);
    if (!decoder) {
      std::fprintf(stderr, "zurnplay: %s: %s\n", name.c_str(), ZurnDecoderGetError());
      return Outcome::Unplayable;
    }
    ZurnDecoder* d = decoder.get();
    const int32_t codedHeight = int32_t(facts.height);
    const int32_t mode = o_.scaling == 0 ? facts.lineMode : o_.scaling == 3 ? 0 : o_.scaling;
    const bool interlaced = mode == 1;
    const int32_t shownHeight = mode == 0 ? codedHeight : 2 * codedHeight;
    if (!openWindow(name, d->width, shownHeight)) return Outcome::NoDisplay;
    Picture& p = picture_;
    if (p.texture) SDL_DestroyTexture(p.texture);
    chooseFormat(renderer_, o_, d->width, codedHeight, interlaced, p);
    p.texture = SDL_CreateTexture(renderer_, p.sdlFormat, SDL_TEXTUREACCESS_STREAMING, p.width, p.height);
    if (!p.texture) {
      std::fprintf(stderr, "zurnplay: %s\n", SDL_GetError());
      return Outcome::NoDisplay;
    }
    p.needFull = true;
    SDL_RenderSetLogicalSize(renderer_, d->width, shownHeight);

    const double fileRate = double(d->fpsNumerator) / std::max(1, d->fpsDenominator);
    const double rate = o_.fast ? 0 : o_.rateDen ? double(o_.rateNum) / o_.rateDen : fileRate;
    FrameTiming timing{rate, o_.noSkip || o_.fast};
    // Sound plays only at the file's own pace.
    const bool ownPace = !o_.fast && (!o_.rateDen || int64_t(o_.rateNum) * d->fpsDenominator ==
                                                         int64_t(o_.rateDen) * d->fpsNumerator);
    std::unique_ptr<ZurnTrackReader, void (*)(ZurnTrackReader*)> reader(
        ownPace ? openTrack(d) : nullptr, ZurnTrackReaderClose);
    std::vector<uint8_t> soundBuffer(reader ? reader->bufferSize : 0);
    if (reader && !openSound(reader.get())) reader.reset();

    std::string title = name;
    SDL_SetWindowTitle(window_, title.c_str());
    double soundBase = 0;       // file time where the ring's sound begins
    uint64_t pushedBytes = 0;   // sound pushed since soundBase
    const double start = now();
    double pausedTotal = 0;
    auto wallClock = [&] { return now() - start - pausedTotal; };
    auto clock = [&] {
      if (reader) return soundBase + sound_.ring().clock(now());
      return wallClock();
    };
    double firstPresent = -1;  // playing time counts from the first picture
    bool soundStarted = false;  // the sound starts with the first picture
    Outcome outcome = Outcome::Finished;
    // Without sound the clock starts when the first picture after the start
    // or a seek is shown, so that the time taken to get it ready (the key
    // frame, a new texture, the window) does not make the next ones late.
    double timeBase = 0;  // the wall clock's reading for frame 0
    bool anchored = false;
    for (;;) {
      const uint32_t t = uint32_t(d->currentFrame - 1);
      // Events: keys, focus, quit.
      int32_t seekTo = 0;
      bool paused = false;
      auto handle = [&](const SDL_Event& e) -> bool {
        if (e.type == SDL_QUIT) {
          outcome = Outcome::Cancelled;
          return false;
        }
        if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_LOST && !o_.playWithoutFocus)
          paused = true;
        if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED && !o_.playWithoutFocus)
          paused = false;
        if (e.type != SDL_KEYDOWN) return true;
        switch (tolapp::keyAction(e.key.keysym.sym, o_.disabledKeys)) {
          case KeyAction::Pause: paused = !paused; break;
          case KeyAction::NextFile: outcome = Outcome::NextFile; return false;
          case KeyAction::Cancel: outcome = Outcome::Cancelled; return false;
          case KeyAction::SeekForward: seekTo = int32_t(facts.keyAfter(t)) + 1; break;
          case KeyAction::SeekBack: seekTo = int32_t(facts.keyAtOrBefore(t > 0 ? t - 1 : 0)) + 1; break;
          case KeyAction::None: break;
        }
        return true;
      };
      bool running = true;
      SDL_Event e;
      while (running && SDL_PollEvent(&e)) running = handle(e);
      while (running && paused) {
        const double pauseStart = now();
        if (reader) sound_.play(false);
        if (SDL_WaitEventTimeout(&e, 100)) running = handle(e);
        pausedTotal += now() - pauseStart;
        if (!paused && reader && soundStarted) sound_.play(true);
      }
      if (!running) break;
      if (seekTo > 0 && seekTo <= d->frames) {
        ZurnDecoderGoto(d, seekTo, 0);
        p.needFull = true;
        const uint32_t k = uint32_t(seekTo - 1);
        if (reader) {
          // The packets run ahead of their frames by the lead seen so far.
          const double lead = soundBase + double(pushedBytes) / sound_.bytesPerSecond() - timing.due(t);
          sound_.ring().clear();
          soundBase = timing.due(k) + std::max(0.0, lead);
          pushedBytes = 0;
        }
        anchored = false;
        continue;
      }

      if (reader) {
        const uint32_t got = ZurnTrackReaderGet(reader.get(), soundBuffer.data());
        pushedBytes += sound_.ring().push(soundBuffer.data(), got);
      }
      stats_.frameRead(t < facts.frameBytes.size() ? facts.frameBytes[t] : 0, now() - playStart_);
      throttleReads(start);
      ZurnDecoderDecodeFrame(d);
      ZurnDecoderCopyToSurface(d, p.pixels.data(), p.pitch, p.height, 0, 0,
                               p.copyFlags | (p.needFull ? ZURNDEC_COPY_FULL : 0));
      p.needFull = false;
      if (o_.monochrome && p.surfaceType == 10)
        std::memset(p.pixels.data() + size_t(p.width) * p.height, 128, size_t(p.width) * p.height / 2);

      auto frameClock = [&] { return reader ? clock() : anchored ? wallClock() - timeBase : timing.due(t); };
      if (timing.decide(t, uint32_t(d->frames), frameClock()) == FrameAction::Skip) {
        stats_.frameSkipped();
      } else {
        for (double w = timing.wait(t, frameClock()); w > 0; w = timing.wait(t, frameClock())) {
          SDL_Delay(uint32_t(std::clamp(w * 1000, 1.0, 5.0)));
          SDL_PumpEvents();  // so that a quit (a signal, the window closed) ends the wait
          if (SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) break;
        }
        present();
        if (!anchored) {
          timeBase = wallClock() - timing.due(t);
          anchored = true;
        }
        if (firstPresent < 0) firstPresent = now();
        if (reader && !soundStarted) {
          sound_.play(true);
          soundStarted = true;
        }
        stats_.frameShown();
        if (reader) stats_.syncSample(timing.due(t), clock());
      }
      if (o_.liveStatistics) {
        title = name + " - " + stats_.caption(uint32_t(d->currentFrame), uint32_t(d->frames));
        SDL_SetWindowTitle(window_, title.c_str());
      }
      if (d->currentFrame >= d->frames) break;
      ZurnDecoderNextFrame(d);
    }
    // Let the sound that runs ahead of the last frame finish.
    if (reader && outcome == Outcome::Finished) {
      const double end = facts.frames / std::max(rate, 1e-9);
      while (sound_.ring().queued() > 0 && clock() < end) SDL_Delay(5);
    }
    if (reader) sound_.play(false);
    if (firstPresent >= 0) stats_.playedFor(now() - firstPresent);
    return outcome;
  }

  const PlayStatistics& statistics() const { return stats_; }

 private:
  ZurnTrackReader* openTrack(ZurnDecoder* d) {
    if (!haveAudio_ || o_.soundTrack == -1) return nullptr;
    for (int32_t track = 0; ZurnDecoderTrackFlags(d, track) != 0; ++track) {
      if (o_.soundTrack >= 0 && ZurnDecoderTrackId(d, track) != uint32_t(o_.soundTrack)) continue;
      if (ZurnTrackReader* r = ZurnTrackReaderOpen(d, track)) return r;
    }
    return nullptr;
  }

  bool openSound(const ZurnTrackReader* r) {
    return sound_.open(r->rate, r->bits == 16 ? AUDIO_S16SYS : AUDIO_U8, r->channels);
  }

  // /M: holds reading back to the simulated speed.
  void throttleReads(double start) {
    if (o_.readBytesPerSecond <= 0) return;
    const double due = double(stats_.bytes()) / o_.readBytesPerSecond;
    const double ahead = due - (now() - start);
    if (ahead > 0) SDL_Delay(uint32_t(ahead * 1000));
  }

  bool openWindow(const std::string& name, int32_t w, int32_t h) {
    if (window_) {
      if (!o_.width && !o_.height && !o_.fullScreen) SDL_SetWindowSize(window_, w, h);
      return true;
    }
    uint32_t flags = SDL_WINDOW_RESIZABLE;
    if (o_.windowStyle == 2) flags |= SDL_WINDOW_BORDERLESS;
    int32_t ww = o_.width ? o_.width : w, wh = o_.height ? o_.height : h;
    if (o_.fullScreen) {
      ww = kFullScreenModes[o_.fullScreen].width;
      wh = kFullScreenModes[o_.fullScreen].height;
      flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    const int x = o_.x >= 0 ? o_.x : int(SDL_WINDOWPOS_CENTERED), y = o_.y >= 0 ? o_.y : int(SDL_WINDOWPOS_CENTERED);
    window_ = SDL_CreateWindow(name.c_str(), x, y, ww, wh, flags);
    if (!window_) {
      std::fprintf(stderr, "zurnplay: cannot open a window: %s\n", SDL_GetError());
      return false;
    }
    const uint32_t rendererFlags = o_.blit == Blit::RgbSoftware ? SDL_RENDERER_SOFTWARE : 0;
    renderer_ = SDL_CreateRenderer(window_, -1, rendererFlags);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
      std::fprintf(stderr, "zurnplay: no renderer: %s\n", SDL_GetError());
      return false;
    }
    return true;
  }

  void present() {
    Picture& p = picture_;
    if (p.surfaceType == 10) {
      const uint8_t* y = p.pixels.data();
      const uint8_t* cb = y + size_t(p.width) * p.height;
      const uint8_t* cr = cb + size_t(p.width) * p.height / 4;
      SDL_UpdateYUVTexture(p.texture, nullptr, y, p.width, cb, p.width / 2, cr, p.width / 2);
    } else {
      SDL_UpdateTexture(p.texture, nullptr, p.pixels.data(), p.pitch);
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, p.texture, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

  void closeWindow() {
    sound_.close();
    if (picture_.texture) SDL_DestroyTexture(picture_.texture);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
  }

  const PlayOptions& o_;
  bool haveAudio_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  tolapp::SoundOutput sound_;
  double playStart_ = 0;  // the statistics' time runs on across files and loops
  Picture picture_;
  PlayStatistics stats_;
};

}  // namespace
}  // namespace zurnplay

int main(int argc, char** argv) {
  using namespace zurnplay;
  PlayOptions options;
  const int start = tolapp::readPlayerCommandLine(argc, argv, "zurnplay", "ZurnQuickPlay", playUsageText(),
                                                  parsePlayCommandLine, applyQuickPlay, options);
  if (start >= 0) return start;
  std::string error;
  Player player(options);
  if (!player.init(error)) {
    std::fprintf(stderr, "zurnplay: %s\n", error.c_str());
    return 1;
  }
  bool cancelled = false, failed = false;
  for (int32_t pass = 0; !cancelled && (options.loops == 0 || pass < std::max(1, options.loops)); ++pass) {
    bool played = false;
    for (const std::string& file : options.files) {
      const Outcome outcome = player.playFile(file);
      failed |= outcome == Outcome::Unplayable || outcome == Outcome::NoDisplay;
      played |= outcome != Outcome::Unplayable;
      if (outcome == Outcome::Cancelled || outcome == Outcome::NoDisplay) {
        cancelled = true;
        break;
      }
    }
    if (!played) break;  // nothing on the list plays: another pass would only repeat the errors
  }
  if (options.summary) std::fputs(player.statistics().summary().c_str(), stdout);
  return failed ? 1 : 0;
}
