#include "endgame/next_step.h"

#include "screens/main/form1.h"
#include "hub/game.h"

namespace game {

void ShowNextStep(Game& game) {
    Form1& f = game.form1();
    game.state.Stage = 20;
    game.MsgBox("見つかってしまったか。じゃぁ次のステップじゃ～", "あっ！", platform::MsgIcon::Exclamation);
    f.Space2.setVisible(false);
    f.Nazocom.setVisible(false);
    f.Hint.setEnabled(false);
    f.Command2.setTop(kExitHomeTop);
    f.Command2.setLeft(kSurrenderHomeLeft);
    f.setBackColor(bgr::kNextStepPurple);
    f.Command1.setVisible(true);
    f.Command1.setEnabled(false);
    f.Command3.setVisible(true);
}

void Form1::Next_Click() { ShowNextStep(game_); }

}  // namespace game
