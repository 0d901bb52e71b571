#pragma once

namespace game {

class Game;

// The second half begins: the menus of the first go, the Exit button (still
// locked) and the cipher button come.
void ShowNextStep(Game& game);

}  // namespace game
