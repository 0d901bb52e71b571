#pragma once
// The main window, where nearly the whole game is played. Declared once here;
// each part of the game defines the handlers it owns in its own folder.
#include "platform/form.h"

namespace game {

class Game;

// The main window's colours, as 0x00BBGGRR values.
namespace bgr {
inline constexpr platform::Color kDarkCyan = 0x00808000;  // the game's own colour
inline constexpr platform::Color kBlue = 0x00FF0000;
inline constexpr platform::Color kRed = 0x000000FF;
inline constexpr platform::Color kCyan = 0x00FFFF00;
inline constexpr platform::Color kWhite = 0x00FFFFFF;
inline constexpr platform::Color kBlack = 0x00000000;
inline constexpr platform::Color kGreen = 0x00039C38;
inline constexpr platform::Color kPurple = 0x00BC0C6F;
inline constexpr platform::Color kHitTeal = 0x0058700B;
inline constexpr platform::Color kNextStepPurple = 0x00994C9A;
inline constexpr platform::Color kLetterPink = 0x00FF80FF;
}  // namespace bgr

// Where the Exit button lives, and where the surrender button starts.
inline constexpr float kExitHomeLeft = 3840, kExitHomeTop = 2760;
inline constexpr float kSurrenderHomeLeft = 2520;

class Form1 : public platform::Form {
public:
    explicit Form1(Game& game);

    platform::CommandButton Command5;  // いいえ
    platform::CommandButton Command4;  // はい
    platform::CommandButton Command3;  // 家を探せ！
    platform::CommandButton Command2;  // 降参
    platform::CommandButton Command1;  // 終了, the Exit button
    platform::Label Label8;
    platform::Label Label7;
    platform::Label Label6;
    platform::Label Label5;
    platform::Label Label4;
    platform::Label Label3;
    platform::Label Label2;
    platform::Label Label1;
    platform::Timer Timer1;  // the Exit button's lock
    platform::Timer Timer2;  // the flash message
    platform::Timer Timer3;  // the final prompt
    platform::Timer Timer4;  // the wake-up

    platform::Menu File;
    platform::Menu Exit;
    platform::Menu Etc;
    platform::Menu Hint;
    platform::Menu Space;
    platform::Menu Kousan;
    platform::Menu HR;
    platform::Menu Version;
    platform::Menu Nazocom;
    platform::Menu Pray;
    platform::Menu Dance;
    platform::Menu Sleep;
    platform::Menu Space2;
    platform::Menu Next;

protected:
    void Form_Load() override;
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) override;

private:
    // The handlers, wired to their controls by the designer; each room
    // defines the ones it owns.
    // screens/main: opening question, close handling, mystery commands, blank item.
    void Command4_Click();
    void Command5_Click();
    void Timer3_Timer();
    void Pray_Click();
    void Dance_Click();
    void Sleep_Click();
    void Timer4_Timer();
    void Space_Click();
    // screens/title: the version dialog.
    void Version_Click();
    // endgame: the Exit-button chase and the next step.
    void Command1_Click();
    void Exit_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Next_Click();
    // puzzles: surrender, hint, cipher.
    void Command2_Click();
    void Kousan_Click();
    void Hint_Click();
    void Command3_Click();

    void designControls();
    void designMenus();
    Game& game_;
};

}  // namespace game
