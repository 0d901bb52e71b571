#pragma once
// The cipher window: 家を探せ! on black, waiting thirty seconds for one key.
#include "platform/form.h"

namespace game {

class Game;

inline constexpr int16_t kCipherAnswerKey = platform::vk::kHome;  // the 家 of the text

class Form3 : public platform::Form {
public:
    explicit Form3(Game& game);

    platform::Label Label1;
    platform::Label Label2;
    platform::Timer Timer1;  // the intro, one second after opening
    platform::Timer Timer2;  // the time limit

protected:
    void Form_Load() override;
    void Form_KeyDown(int16_t KeyCode, int16_t Shift) override;
    void Form_MouseDown() override;
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) override;

private:
    void Timer1_Timer();
    void Timer2_Timer();
    void Label1_Click();
    void Label2_Click();
    // Every way out but the right key: the window goes, the main window returns.
    void GiveUp();
    Game& game_;
};

// The cipher is answered: the Exit button comes back for the chase.
void CipherSolved(Game& game);

}  // namespace game
