// When to show a frame: the players' timing decisions, apart from any
// window or sound device so that they can be tested.
//
// The clock is the sound's (how far the sound device has played) when a
// track plays, else the wall clock since the start, both in seconds and
// stopped while paused. Frame n (0-based) is due at n / rate. A frame that
// is ready before it is due waits; one that is late by more than one frame
// time is skipped (decoded, not shown) unless skipping is off; the last
// frame of a file is always shown.
#pragma once

#include <cstdint>

namespace tolapp {

enum class FrameAction { Show, Skip };

struct FrameTiming {
  double framesPerSecond = 0;  // 0: as fast as possible
  bool noSkip = false;

  double due(uint32_t frame) const { return framesPerSecond > 0 ? frame / framesPerSecond : 0; }
  // Seconds still to wait before showing frame (0 when due or late).
  double wait(uint32_t frame, double clock) const;
  FrameAction decide(uint32_t frame, uint32_t frames, double clock) const;
};

}  // namespace tolapp
