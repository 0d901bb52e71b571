// The Exit button that runs away, wriggles, is hit, defeated, and finally
// leads into the ending; and the two short timers that undo a click's effects.
#include <array>

#include "endgame/exit_chase.h"
#include "endgame/ending.h"
#include "endgame/move_exit_button.h"
#include "screens/main/form1.h"
#include "hub/game.h"

namespace game {

using platform::MsgIcon;

namespace {

struct Remark {
    const char* prompt;
    const char* title;
};

// What the first five clicks are told.
constexpr std::array<Remark, 5> kChaseRemarks = {{
    {"基本だね、確かに。でもだめよ", "だめだめ"},
    {"いいところに気が付いた？", "でもねぇ"},
    {"２度ある事は３度ある？", "うひひ"},
    {"んもう。しつこいんだからぁ", "はぁと"},
    {"逃げるべし～", "退散なり～"},
}};

// The finishing click: the button stops where it started and the clock stops.
void FinishingClick(Game& game) {
    Form1& f = game.form1();
    f.Command1.setEnabled(false);
    f.Command1.setTop(kExitHomeTop);
    f.Command1.setLeft(kExitHomeLeft);
    game.state.EndTime = game.services().TimeOfDay();
    SaveFinishedGame(game);
    game.Sleep(1000);
    if (game.state.TimeAttack) {
        game.Sleep(1000);
        game.MsgBox("タイムアタック終了", "もちたま TIME ATTACK", MsgIcon::Information);
    } else {
        game.MsgBox("仕方ない。今回はこれで許してやるとしよう", "おめでとう", MsgIcon::Information);
    }
    ShowCongratulations(game);
}

void ChaseClick(Game& game, int32_t n) {
    Form1& f = game.form1();
    GameState& s = game.state;
    if (n <= 5) {
        const Remark& remark = kChaseRemarks[static_cast<std::size_t>(n - 1)];
        game.MsgBox(remark.prompt, remark.title, MsgIcon::Exclamation);
        if (n == 5) MoveExitButton(game);
    } else if (n % 3 != 0) {
        f.setBackColor(bgr::kGreen);
        MoveExitButton(game);
        s.Mozomozo = false;
    } else {
        MoveExitButton(game);
        f.setBackColor(bgr::kPurple);
        game.MsgBox("もぞもぞ", "敵は怯んでいる");
        s.Mozomozo = true;
    }
}

}  // namespace

int64_t ExitLockInterval(int32_t clicks) { return static_cast<int64_t>(clicks) * 100 - 1; }

void Form1::Command1_Click() {
    GameState& s = game_.state;
    if (s.Congratulated) ShowResults(game_);
    if (s.ButtonDown) {
        FinishingClick(game_);
        return;
    }
    s.ButtonHit = false;
    s.ExitClickCount = Incremented(s.ExitClickCount);
    ChaseClick(game_, s.ExitClickCount);
    // Locked for longer after every click; the timer holds at its largest interval.
    Command1.setEnabled(false);
    Timer1.setEnabled(true);
    Timer1.setInterval(ExitLockInterval(s.ExitClickCount));
}

void Form1::Timer1_Timer() {
    Command1.setEnabled(true);
    Timer1.setEnabled(false);
    Timer1.setInterval(0);
}

void Form1::Exit_Click() {
    GameState& s = game_.state;
    if (s.ButtonHit && !s.Congratulated) {
        setBackColor(bgr::kBlack);
        game_.MsgBox("ぐああああああっ", "倒したぞ！", MsgIcon::Exclamation);
        s.ButtonDown = true;
        return;
    }
    // Otherwise the menu item is just another way to close the window.
    Unload(platform::unload_mode::kProgram);
}

void Form1::Timer2_Timer() {
    Label1.setVisible(false);
    Label2.setVisible(false);
    setBackColor(bgr::kDarkCyan);
    Timer2.setEnabled(false);
    Timer2.setInterval(0);
}

}  // namespace game
