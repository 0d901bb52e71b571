#pragma once
// The end of a won game: the congratulation, the results and the rules they use.
#include <cstdint>
#include <string>

#include "platform/language.h"

namespace game {

class Game;

// The player's level: a prefix by the quits, a rank by the surrenders.
std::string LevelText(int32_t tyutaiCount, int32_t kousanCount,
                      platform::Language language = platform::Language::Japanese);

// The run's time: the distance between the two clock readings, rounded to
// hundredths as the results show it.
float RunTime(float startTime, float endTime);

// The time as the results show it; over an hour is not counted in seconds.
std::string TimeText(float seconds, platform::Language language = platform::Language::Japanese);

// Saves the records of the game just won: the counts reset, and a new best
// time in time attack. Tells nobody; the results do.
void SaveFinishedGame(Game& game);

// The red congratulation screen; three seconds later the final prompt.
void ShowCongratulations(Game& game);

// The results, the records reset, the closing letters, and the end.
[[noreturn]] void ShowResults(Game& game);

}  // namespace game
