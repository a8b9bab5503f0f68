#include "common/pacing.h"

namespace tolapp {

double FrameTiming::wait(uint32_t frame, double clock) const {
  const double left = due(frame) - clock;
  return left > 0 ? left : 0;
}

FrameAction FrameTiming::decide(uint32_t frame, uint32_t frames, double clock) const {
  if (noSkip || framesPerSecond <= 0 || frame + 1 >= frames) return FrameAction::Show;
  return clock - due(frame) > 1.0 / framesPerSecond ? FrameAction::Skip : FrameAction::Show;
}

}  // namespace tolapp
