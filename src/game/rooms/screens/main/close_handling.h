#pragma once
// Who may close the main window, and what a refused close brings.
#include <cstdint>

#include "hub/game_state.h"

namespace game {

// What a request to close the main window gets.
enum class CloseDecision {
    Allow,          // the window closes without a word
    FarewellJoke,   // after the congratulation: the Exit button is the way out
    Scold,          // before it: refused, counted, maybe a reveal
};

// The checks in order, the first that matches decides.
CloseDecision DecideClose(const GameState& state, int16_t unloadMode);

}  // namespace game
