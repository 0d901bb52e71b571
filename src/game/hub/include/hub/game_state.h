#pragma once
// The game's whole state: everything the handlers pass to each other apart
// from the windows' own controls. Fresh (0, false, empty) per process.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "hub/records.h"

namespace game {

struct GameState {
    // Version and record file.
    std::string VerNo;
    std::filesystem::path IniPath;
    bool IniMissing = false;

    // Saved records.
    int32_t KousanCount = 0;  // surrenders since the last finished game
    int32_t TyutaiCount = 0;  // quits at the opening question since then
    float BestTime = 0.0f;    // best time-attack time in seconds

    // Title screen.
    int16_t KeyStep = 0;
    bool TimeAttack = false;

    // Per-run counters, reset when the main window loads.
    int32_t ExitClickCount = 0;
    int32_t HintCount = 0;
    int32_t CloseCount = 0;
    int32_t SpaceCount = 0;

    // Progress of the puzzle.
    int16_t Stage = 0;
    bool AnswerOpen = false;
    bool Mozomozo = false;
    bool ButtonHit = false;
    bool ButtonDown = false;
    bool Congratulated = false;
    bool ResultShown = false;
    bool Surrendered = false;

    // Time-attack clock readings, seconds since midnight.
    float StartTime = 0.0f;
    float EndTime = 0.0f;

    // How the records of a won game were saved: at the finishing click, so
    // that nothing that ends the program during the results loses them.
    // The results tell the player where they used to save.
    std::optional<SaveOutcome> FinishedGameSave;
};

// The stored counts stop at the largest 32-bit value instead of wrapping.
inline int32_t Incremented(int32_t count) {
    return count == INT32_MAX ? count : count + 1;
}

}  // namespace game
