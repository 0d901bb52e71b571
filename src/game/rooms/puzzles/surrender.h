#pragma once
// The surrender scene and its stage hints.
#include <cstdint>
#include <optional>

namespace game {

class Game;

// The clear rate and the two-line hint a surrender shows at a stage.
struct StageHint {
    int16_t stage;
    const char* caption;
    const char* firstLine;
    const char* secondLine;
};

// The hint of exactly this stage; none for a value outside the table.
std::optional<StageHint> HintForStage(int16_t stage);

// Asks for confirmation; a surrender while the Exit button wriggles is a hit
// instead; otherwise shows the stage's hint, counts, saves and ends.
void SurrenderScene(Game& game);

}  // namespace game
