#pragma once
// The record file MT.INI: the three saved values, read once, written one at a time.
#include <cstdint>
#include <string>
#include <variant>

#include "platform/failure.h"

namespace game {

class Game;

// A count, or the best time.
using RecordValue = std::variant<int32_t, float>;

inline constexpr int32_t kDefaultCount = 0;
inline constexpr float kNoBestTime = 9999.0f;

// Loads KousanCount, TyutaiCount and BestTime. Ends the program when the
// record file has gone.
void ReadRecords(Game& game);

// Why the record file could not be made or saved, for the player: in
// Japanese where we know the reason, else the system's own words.
std::string FailureText(const platform::Failure& failure);

// Stores one value. Ends the program when the record file has gone; tells
// the player (and goes on) when the file cannot be written.
void WriteRecord(Game& game, const std::string& section, const std::string& key, RecordValue value);

}  // namespace game
