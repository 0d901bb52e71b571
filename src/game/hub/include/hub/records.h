#pragma once
// The record file MT.INI: the three saved values, read once, written one at a time.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <variant>

#include "platform/failure.h"
#include "platform/language.h"

namespace game {

class Game;

// A count, or the best time.
using RecordValue = std::variant<int32_t, float>;

inline constexpr int32_t kDefaultCount = 0;
inline constexpr float kNoBestTime = 9999.0f;

// Loads KousanCount, TyutaiCount and BestTime. Ends the program when the
// record file has gone.
void ReadRecords(Game& game);

// Why the record file could not be made or saved, for the player: in the
// game's words where we know the reason, else the system's own.
std::string FailureText(const platform::Failure& failure,
                        platform::Language language = platform::Language::Japanese);

struct Record {
    const char* section;
    const char* key;
    RecordValue value;
};

// What became of a save, for the player to be told later.
struct SaveOutcome {
    bool fileMissing = false;                // the record file had gone: nothing was written
    std::optional<platform::Failure> failure;  // the file is there but refused the save
};

// Stores the values in one go, all or none, and tells nobody.
SaveOutcome SaveRecords(Game& game, std::initializer_list<Record> records);

// Tells the player what became of a save, as a save tells it: the missing
// file ends the program; a refused save is told and the game goes on.
void ReportSave(Game& game, const SaveOutcome& outcome);

// Stores one value, then reports the save.
void WriteRecord(Game& game, const std::string& section, const std::string& key, RecordValue value);

}  // namespace game
