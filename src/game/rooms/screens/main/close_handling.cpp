// The refused close command: remarks, the reveals on the third and seventh
// attempts, and the final prompt after the congratulation.
#include "screens/main/close_handling.h"

#include "platform/types.h"
#include "screens/main/form1.h"
#include "hub/game.h"

namespace game {

using platform::MsgIcon;

CloseDecision DecideClose(const GameState& s, int16_t unloadMode) {
    if (s.Surrendered || s.IniMissing) return CloseDecision::Allow;
    if (s.Congratulated) return s.ResultShown ? CloseDecision::Allow : CloseDecision::FarewellJoke;
    if (unloadMode == platform::unload_mode::kUserClose || unloadMode == platform::unload_mode::kProgram)
        return CloseDecision::Scold;
    return CloseDecision::Allow;
}

void Form1::Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) {
    switch (DecideClose(game_.state, UnloadMode)) {
        case CloseDecision::Allow:
            return;
        case CloseDecision::FarewellJoke:
            game_.MsgBox("それじゃぁ、またね(^^)/~~~", "それでわん");
            game_.MsgBox("ていうか、そこは終了ボタンじゃないでしょ！(汗)", "をいをい(^^;", MsgIcon::Exclamation);
            Cancel = platform::kTrue;
            return;
        case CloseDecision::Scold:
            break;
    }

    game_.MsgBox("[閉じる]？出来るかっちゅーの", "だめだめ", MsgIcon::Exclamation);
    GameState& s = game_.state;
    s.CloseCount = Incremented(s.CloseCount);
    if (s.CloseCount == 3) {
        Kousan.setVisible(true);
        Command2.setTop(kExitHomeTop);
        Command2.setLeft(kExitHomeLeft);
        Command2.setVisible(true);
    }
    if (s.CloseCount == 7) {
        // The window freezes, painted, while the new menu is revealed.
        setEnabled(false);
        game_.Sleep(1000);
        game_.MsgBox("頑張ってみるもんですねぇ", "ををっ！", MsgIcon::Information);
        game_.Sleep(1000);
        Nazocom.setVisible(true);
        game_.MsgBox("なぜかメニューが増えましたぁっ！", "をををっ！", MsgIcon::Information);
        s.Stage = 11;
        setEnabled(true);
    }
    Cancel = platform::kTrue;
}

void Form1::Timer3_Timer() {
    Timer3.setEnabled(false);
    Timer3.setInterval(0);
    game_.MsgBox("それじゃぁ。『終了』ボタンを押すべし！", "最後だよ", MsgIcon::Information);
    Command1.setEnabled(true);
}

}  // namespace game
