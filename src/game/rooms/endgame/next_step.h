#pragma once
// The next step: from the menus of the first half to the buttons of the second.

namespace game {

class Game;

// The second half begins: the menus of the first go, the Exit button (still
// locked) and the cipher button come.
void ShowNextStep(Game& game);

}  // namespace game
