#pragma once
// The title window: the name in coloured letters for two seconds, listening
// for the key sequence that turns on time-attack mode.
#include <array>

#include "platform/form.h"

namespace game {

class Game;

// The arrow keys Left, Up, Right, Down, twice.
inline constexpr std::array<int16_t, 8> kTimeAttackKeys = {
    platform::vk::kLeft, platform::vk::kUp, platform::vk::kRight, platform::vk::kDown,
    platform::vk::kLeft, platform::vk::kUp, platform::vk::kRight, platform::vk::kDown};

// One key of the sequence recogniser: a wrong key starts over (and is not
// tried again as a first key); a complete sequence stays complete.
int16_t NextKeyStep(int16_t keyStep, int16_t keyCode);

class Form0 : public platform::Form {
public:
    explicit Form0(Game& game);

    platform::Frame Frame1;
    platform::Timer Timer1;
    platform::Label Label6;
    platform::Label Label5;
    platform::Label Label4;
    platform::Label Label3;
    platform::Label Label2;
    platform::Label Label1;

protected:
    void Form_Load() override;
    void Form_KeyDown(int16_t KeyCode, int16_t Shift) override;

private:
    void Timer1_Timer();
    Game& game_;
};

}  // namespace game
