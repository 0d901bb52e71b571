#include "endgame/move_exit_button.h"

#include <algorithm>

#include "platform/services.h"
#include "screens/main/form1.h"
#include "hub/game.h"

namespace game {

namespace {
int32_t RandomDigit(platform::Services& services) {
    const auto digit = static_cast<int32_t>(static_cast<double>(services.Rnd()) * 10.0);
    return std::clamp(digit, 0, 9);
}

int32_t DrawFourDigits(platform::Services& services) {
    int32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value * 10 + RandomDigit(services);
    return value;
}
}  // namespace

int32_t DrawFourDigitsWithin(platform::Services& services, int32_t low, int32_t high) {
    int32_t value = DrawFourDigits(services);
    while (value < low || value > high) value = DrawFourDigits(services);
    return value;
}

void MoveExitButton(Game& game) {
    platform::Services& services = game.services();
    services.Randomize();
    const int32_t top = DrawFourDigitsWithin(services, kExitTopMin, kExitTopMax);
    const int32_t left = DrawFourDigitsWithin(services, kExitLeftMin, kExitLeftMax);
    Form1& f = game.form1();
    f.Command1.setTop(static_cast<float>(top));
    f.Command1.setLeft(static_cast<float>(left));
    f.Refresh();
}

}  // namespace game
