// plevplw: plays Pleven files with their sound on SDL2. The switches, the
// picture's colours, line mode and placement live in plain code beside this
// file, the timing, sound ring and statistics in tools/common, the sound
// device and the keys in tools/player; this is the thin layer over the
// window and the renderer.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/pacing.h"
#include "common/play_statistics.h"
#include "player/player_keys.h"
#include "player/player_start.h"
#include "player/sound_output.h"
#include "plevplw/options.h"
#include "plevplw/picture.h"
#include "plevplw/sound_feed.h"
#include "tol/pleven.h"

namespace plevplw {
namespace {

using tolapp::FrameAction;
using tolapp::FrameTiming;
using tolapp::KeyAction;
using tolapp::PlayStatistics;
using tolapp::playerNow;
using tolapp::SoundOutput;

// Seconds of sound queued ahead of the picture: several device buffers.
constexpr double kSoundLead = 0.5;

enum class Outcome { Finished, NextFile, Cancelled, Unreadable, NoDisplay };

// The screen side of one file: the texture and where it goes.
struct Screen {
  SDL_Texture* texture = nullptr;
  DrawingArea area;
  Placement placed;
  TextureRows rows;
  int32_t textureWidth = 0;
  std::vector<uint32_t> texturePixels;
  uint8_t palette[768] = {};  // the palette the colour table was built from
  uint32_t colours[256] = {};
  bool coloursValid = false;
};

class Player {
 public:
  explicit Player(const PlayOptions& o) : o_(o) {}
  ~Player() { closeWindow(); }

  bool init(std::string& error) {
    const uint32_t systems = SDL_INIT_EVENTS | SDL_INIT_TIMER | (o_.soundOnly ? 0 : SDL_INIT_VIDEO);
    if (SDL_Init(systems) != 0) {
      error = std::string("cannot open a window: ") + SDL_GetError();
      return false;
    }
    haveAudio_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    playStart_ = playerNow();
    if (o_.soundOnly && !haveAudio_) {
      error = std::string("no sound device: ") + SDL_GetError();
      return false;
    }
    return true;
  }

  // Plays the file `passes` times in a row (0: endlessly), through its ring
  // frame when it has one.
  Outcome playFile(const std::string& name, int32_t passes) {
    const uint32_t openFlags = lineModeOption(o_.heightScale) | PLEV_OPEN_NO_SOUND_WAIT |
                               (o_.preload ? PLEV_OPEN_WHOLE_FILE : 0) | (o_.fillAtOpen ? PLEV_OPEN_FILL : 0);
    const int32_t readAhead = o_.readAheadKilobytes ? o_.readAheadKilobytes * 1024 : -1;
    std::unique_ptr<PlevDecoder, void (*)(PlevDecoder*)> decoder(PlevOpen(name.c_str(), openFlags, readAhead),
                                                                 PlevClose);
    PlevDecoder* d = decoder.get();
    if (!d || d->frames < 1 || d->width < 1 || d->height < 1) {
      std::fprintf(stderr, "plevplw: %s: not a Pleven file, or it cannot be read\n", name.c_str());
      return Outcome::Unreadable;
    }
    const uint32_t frames = uint32_t(d->frames);
    const uint32_t steps = passes ? uint32_t(std::min<uint64_t>(uint64_t(passes) * frames, UINT32_MAX)) : UINT32_MAX;
    std::vector<uint8_t> pixels(size_t(d->width) * size_t(d->height), 0);
    PlevSetDestination(d, 0, 0, d->width, d->height, pixels.data(), 0);
    if (!o_.soundOnly && !openScreen(name, d)) return Outcome::NoDisplay;

    const double fileRate = d->frameTime > 0 ? 100000.0 / d->frameTime : double(d->framesPerSecond);
    const double rate = o_.fast ? 0 : o_.rateDen ? double(o_.rateNum) / o_.rateDen : fileRate;
    FrameTiming timing{rate, o_.noSkip || o_.fast};
    // Sound plays only at the file's own pace.
    const bool ownPace =
        !o_.fast && (!o_.rateDen || int64_t(o_.rateNum) * d->frameTime == int64_t(o_.rateDen) * 100000);
    SoundFeed feed;
    const bool sound = ownPace && haveAudio_ && o_.trackMask != 0 &&
                       feed.open(name, openFlags & ~uint32_t(PLEV_OPEN_FILL), readAhead, o_.trackMask) &&
                       sound_.open(feed.rate(), AUDIO_S16SYS, feed.channels());
    if (o_.soundOnly && !sound) {
      std::fprintf(stderr, "plevplw: %s: no sound to play\n", name.c_str());
      return Outcome::Unreadable;
    }
    // The sound is fed this many frames ahead of the picture.
    const uint32_t lead = uint32_t(std::clamp(std::ceil(kSoundLead * fileRate), 1.0, 256.0));
    std::vector<int16_t> mixed;
    auto feedSound = [&](uint32_t step) {
      mixed.clear();
      feed.feed(uint32_t(std::min<uint64_t>(uint64_t(step) + lead, steps)), steps, mixed);
      sound_.ring().push(mixed.data(), uint32_t(mixed.size() * 2));
    };

    if (window_) SDL_SetWindowTitle(window_, name.c_str());
    double soundBase = 0;  // file time where the ring's sound begins
    const double start = playerNow();
    double pausedTotal = 0;
    auto wallClock = [&] { return playerNow() - start - pausedTotal; };
    // Without sound the clock starts when the first picture after the start
    // or a seek is shown, so that getting it ready does not make the next
    // ones late.
    double timeBase = 0;  // the wall clock's reading for step 0
    bool anchored = false;
    double firstPresent = -1;  // playing time counts from the first picture
    bool soundStarted = false;  // the sound starts with the first picture
    Outcome outcome = Outcome::Finished;
    for (uint32_t s = 0;;) {
      // Events: keys, focus, quit.
      int64_t seekTo = -1;
      bool paused = false;
      auto handle = [&](const SDL_Event& e) -> bool {
        if (e.type == SDL_QUIT) {
          outcome = Outcome::Cancelled;
          return false;
        }
        if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_EXPOSED && firstPresent >= 0) redraw();
        if (e.type == SDL_WINDOWEVENT && !o_.playWithoutFocus) {
          if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) paused = true;
          if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) paused = false;
        }
        if (e.type != SDL_KEYDOWN) return true;
        const int64_t second = std::max<int64_t>(1, int64_t(fileRate + 0.5));
        switch (tolapp::keyAction(e.key.keysym.sym, o_.disabledKeys)) {
          case KeyAction::Pause: paused = !paused; break;
          case KeyAction::NextFile: outcome = Outcome::NextFile; return false;
          case KeyAction::Cancel: outcome = Outcome::Cancelled; return false;
          case KeyAction::SeekForward: seekTo = std::min<int64_t>(int64_t(s) + second, int64_t(steps) - 1); break;
          case KeyAction::SeekBack: seekTo = std::max<int64_t>(int64_t(s) - second, 0); break;
          case KeyAction::None: break;
        }
        return true;
      };
      bool running = true;
      SDL_Event e;
      while (running && SDL_PollEvent(&e)) running = handle(e);
      while (running && paused) {
        const double pauseStart = playerNow();
        if (sound) sound_.play(false);
        if (SDL_WaitEventTimeout(&e, 100)) running = handle(e);
        pausedTotal += playerNow() - pauseStart;
        if (!paused && sound && soundStarted) sound_.play(true);
      }
      if (!running) break;
      if (seekTo >= 0 && uint32_t(seekTo) != s) {
        const uint32_t target = uint32_t(seekTo);
        walkTo(d, target % frames);
        if (sound) {
          feed.seek(target);
          sound_.ring().clear();
          soundBase = timing.due(target);
        }
        anchored = false;
        s = target;
        continue;
      }

      if (sound) feedSound(s);
      stats_.frameRead(d->frameSizes[d->currentFrame], playerNow() - playStart_);
      throttleReads(start);
      if (!o_.soundOnly) PlevDecodeFrame(d);

      auto clock = [&] {
        return sound ? soundBase + sound_.ring().clock(playerNow()) : anchored ? wallClock() - timeBase : timing.due(s);
      };
      if (!o_.soundOnly && timing.decide(s, steps, clock()) == FrameAction::Skip) {
        stats_.frameSkipped();
      } else {
        for (double w = timing.wait(s, clock()); w > 0; w = timing.wait(s, clock())) {
          SDL_Delay(uint32_t(std::clamp(w * 1000, 1.0, 5.0)));
          SDL_PumpEvents();  // keys and quit end the wait
          if (SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) break;
        }
        if (!o_.soundOnly) {
          present(d, pixels.data());
          stats_.frameShown();
          if (sound) stats_.syncSample(timing.due(s), clock());
        }
        if (!anchored) {
          timeBase = wallClock() - timing.due(s);
          anchored = true;
        }
        if (firstPresent < 0) firstPresent = playerNow();
        if (sound && !soundStarted) {
          sound_.play(true);
          soundStarted = true;
        }
      }
      if (o_.frameNumbers && window_) {
        const std::string title = name + " - " + stats_.caption(s % frames + 1, frames);
        SDL_SetWindowTitle(window_, title.c_str());
      }
      if (s + 1 >= steps) break;
      PlevNextFrame(d);
      ++s;
      if (d->readError) {
        std::fprintf(stderr, "plevplw: %s: the file cannot be read past frame %u\n", name.c_str(), s % frames);
        outcome = Outcome::Unreadable;
        break;
      }
    }
    // Let the sound that runs ahead of the last frame finish.
    if (sound && outcome == Outcome::Finished) {
      feedSound(steps);
      if (!soundStarted) sound_.play(true);
      const double end = playerNow() + double(sound_.ring().queued()) / sound_.bytesPerSecond() + 1;
      while (sound_.ring().queued() > 0 && playerNow() < end) SDL_Delay(5);
    }
    if (sound) sound_.play(false);
    if (firstPresent >= 0) stats_.playedFor(playerNow() - firstPresent);
    return outcome;
  }

  const PlayStatistics& statistics() const { return stats_; }

 private:
  // Makes frame `target` (0-based) current by decoding the frames before it
  // from the current one, or from the first frame when it lies behind, so
  // that its picture is exact.
  static void walkTo(PlevDecoder* d, uint32_t target) {
    auto current = [&] { return d->currentFrame >= d->frames ? 0u : uint32_t(d->currentFrame); };
    if (target < current()) PlevGotoFrame(d, 1);
    while (current() != target && !d->readError) {
      PlevDecodeFrame(d);
      PlevNextFrame(d);
    }
  }

  // /M: holds reading back to the simulated speed.
  void throttleReads(double start) {
    if (o_.readBytesPerSecond <= 0) return;
    const double due = double(stats_.bytes()) / o_.readBytesPerSecond;
    const double ahead = due - (playerNow() - start);
    if (ahead > 0) SDL_Delay(uint32_t(ahead * 1000));
  }

  bool openScreen(const std::string& name, const PlevDecoder* d) {
    Screen& sc = screen_;
    sc.area = drawingArea(o_, d->width, d->height);
    sc.placed = placePicture(sc.area, d->width, d->height);
    sc.rows = textureRows(o_, d->flags, sc.placed, d->height);
    if (!openWindow(name)) return false;
    SDL_RenderSetLogicalSize(renderer_, sc.area.width, sc.area.height);
    if (sc.texture) SDL_DestroyTexture(sc.texture);
    sc.textureWidth = d->width;
    const int32_t rows = sc.rows.rows(d->height);
    sc.texture = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, d->width, rows);
    if (!sc.texture) {
      std::fprintf(stderr, "plevplw: %s\n", SDL_GetError());
      return false;
    }
    SDL_SetTextureScaleMode(sc.texture, o_.zoom == Zoom::Smoothed ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    sc.texturePixels.assign(size_t(d->width) * size_t(rows), 0);
    sc.coloursValid = false;
    return true;
  }

  bool openWindow(const std::string& name) {
    const DrawingArea& area = screen_.area;
    if (window_) {
      if (!area.fullScreen && !o_.width && !o_.height) SDL_SetWindowSize(window_, area.width, area.height);
      return true;
    }
    uint32_t flags = 0;
    if (o_.windowStyle == 0 || o_.windowStyle == 3) flags |= SDL_WINDOW_RESIZABLE;
    if (o_.windowStyle != 0) flags |= SDL_WINDOW_BORDERLESS;
    if (area.fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    const int x = o_.x >= 0 ? o_.x : int(SDL_WINDOWPOS_CENTERED), y = o_.y >= 0 ? o_.y : int(SDL_WINDOWPOS_CENTERED);
    window_ = SDL_CreateWindow(name.c_str(), x, y, area.width, area.height, flags);
    if (!window_) {
      std::fprintf(stderr, "plevplw: cannot open a window: %s\n", SDL_GetError());
      return false;
    }
    const bool software = o_.blit == BlitStyle::Software || o_.noAcceleration;
    const uint32_t rendererFlags = software                              ? SDL_RENDERER_SOFTWARE
                                   : o_.blit == BlitStyle::Accelerated ? SDL_RENDERER_ACCELERATED
                                                                       : 0;
    renderer_ = SDL_CreateRenderer(window_, -1, rendererFlags);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
      std::fprintf(stderr, "plevplw: no renderer: %s\n", SDL_GetError());
      return false;
    }
    return true;
  }

  void present(const PlevDecoder* d, const uint8_t* pixels) {
    Screen& sc = screen_;
    if (!sc.coloursValid || std::memcmp(sc.palette, d->palette, sizeof sc.palette) != 0) {
      std::memcpy(sc.palette, d->palette, sizeof sc.palette);
      buildColourTable(sc.palette, o_.palette, sc.colours);
      sc.coloursValid = true;
    }
    expandPicture(pixels, d->width, d->width, d->height, sc.colours, sc.rows, sc.texturePixels.data(),
                  sc.textureWidth);
    SDL_UpdateTexture(sc.texture, nullptr, sc.texturePixels.data(), sc.textureWidth * 4);
    redraw();
  }

  // Shows the texture again (the window was uncovered).
  void redraw() {
    const Screen& sc = screen_;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    const SDL_Rect where{sc.placed.x, sc.placed.y, sc.placed.width, sc.placed.height};
    SDL_RenderCopy(renderer_, sc.texture, nullptr, &where);
    SDL_RenderPresent(renderer_);
  }

  void closeWindow() {
    sound_.close();
    if (screen_.texture) SDL_DestroyTexture(screen_.texture);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
  }

  const PlayOptions& o_;
  bool haveAudio_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SoundOutput sound_;
  Screen screen_;
  double playStart_ = 0;  // the statistics' time runs on across files and loops
  PlayStatistics stats_;
};

}  // namespace
}  // namespace plevplw

int main(int argc, char** argv) {
  using namespace plevplw;
  PlayOptions options;
  const int start = tolapp::readPlayerCommandLine(argc, argv, "plevplw", "PlevQuickPlay", playUsageText(),
                                                  parsePlayCommandLine, applyQuickPlay, options);
  if (start >= 0) return start;
  std::string error;
  Player player(options);
  if (!player.init(error)) {
    std::fprintf(stderr, "plevplw: %s\n", error.c_str());
    return 1;
  }
  // A single file plays its passes through its ring frame, a list is
  // played again; a list none of whose files plays is not.
  const bool single = options.files.size() == 1;
  bool cancelled = false, failed = false;
  for (int32_t pass = 0; !cancelled && (options.loops == 0 || pass < std::max(1, options.loops)); ++pass) {
    bool played = false;
    for (const std::string& file : options.files) {
      const Outcome outcome = player.playFile(file, single ? options.loops : 1);
      failed |= outcome == Outcome::Unreadable || outcome == Outcome::NoDisplay;
      played |= outcome != Outcome::Unreadable;
      cancelled |= outcome == Outcome::Cancelled || outcome == Outcome::NoDisplay;
      if (cancelled) break;
    }
    if (!played || single) break;
  }
  if (options.summary) std::fputs(player.statistics().summary().c_str(), stdout);
  return failed ? 1 : 0;
}
