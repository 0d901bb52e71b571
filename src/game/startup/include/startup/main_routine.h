#pragma once
// The program's entry routine.

namespace game {

class Game;

inline constexpr const char* kVersion = "1.10";

// Runs once, before any window exists: refuses a second copy, makes sure the
// record file exists, loads the records, shows the title window and starts
// its two seconds. Returns; the program then lives in its event handlers.
void Main(Game& game);

}  // namespace game
