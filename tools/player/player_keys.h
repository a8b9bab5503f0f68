// The players' keys on SDL: space pauses, period skips to the next file,
// Escape cancels, the right and left arrows seek forward and back. The
// first three can be disabled by the bits of the players' /U switch.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace tolapp {

enum PlayerKeyBits : uint32_t { kNoPauseKey = 1, kNoSkipKey = 2, kNoCancelKey = 4 };

enum class KeyAction { None, Pause, NextFile, Cancel, SeekForward, SeekBack };

inline KeyAction keyAction(SDL_Keycode key, uint32_t disabledKeys) {
  switch (key) {
    case SDLK_SPACE: return disabledKeys & kNoPauseKey ? KeyAction::None : KeyAction::Pause;
    case SDLK_PERIOD: return disabledKeys & kNoSkipKey ? KeyAction::None : KeyAction::NextFile;
    case SDLK_ESCAPE: return disabledKeys & kNoCancelKey ? KeyAction::None : KeyAction::Cancel;
    case SDLK_RIGHT: return KeyAction::SeekForward;
    case SDLK_LEFT: return KeyAction::SeekBack;
    default: return KeyAction::None;
  }
}

}  // namespace tolapp
