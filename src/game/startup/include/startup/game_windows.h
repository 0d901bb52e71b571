#pragma once
// A game with its four windows: the one place below app/ that knows every
// room's window, so that the rooms need not know each other.
#include <memory>

#include "hub/game.h"

namespace game {

std::unique_ptr<Game> NewGame(platform::Services& services);

}  // namespace game
