#pragma once
// The Exit button's escape to a random place.
#include <cstdint>

namespace platform {
class Services;
}

namespace game {

class Game;

// Random places of the Exit button, in twips.
inline constexpr int32_t kExitTopMin = 120, kExitTopMax = 2760;
inline constexpr int32_t kExitLeftMin = 240, kExitLeftMax = 3840;

// Four random decimal digits joined in the order drawn (leading zeros count),
// the whole draw repeated until the value lies within [low, high].
int32_t DrawFourDigitsWithin(platform::Services& services, int32_t low, int32_t high);

// Sends the Exit button to a random place: Top drawn first, then Left.
void MoveExitButton(Game& game);

}  // namespace game
