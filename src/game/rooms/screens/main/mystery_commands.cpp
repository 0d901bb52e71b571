// 祈る, 踊る and 寝る: praying brings out the blank menu with the next step.
#include "screens/main/form1.h"
#include "hub/game.h"

namespace game {

using platform::MsgIcon;

void Form1::Pray_Click() {
    game_.MsgBox("ちゃんと祈ってみよう", "Like A Prayer", MsgIcon::Information);
    Space2.setVisible(true);
    game_.state.Stage = 12;
}

void Form1::Dance_Click() {
    game_.MsgBox("あいやいや～♪", "いえー", MsgIcon::Information);
    Space2.setVisible(false);
}

void Form1::Sleep_Click() {
    game_.MsgBox("寝るとするか・・・。", "であ", MsgIcon::Information);
    game_.MsgBox("おやすみなさい～ m(_ _)m ぶちっ。", "であであ", MsgIcon::Information);
    // Hidden, not unloaded: the program keeps running with no window on screen.
    Hide();
    Timer4.setEnabled(true);
    Timer4.setInterval(3000);
}

void Form1::Timer4_Timer() {
    Timer4.setEnabled(false);
    Timer4.setInterval(0);
    game_.MsgBox("寝てる場合じゃないってば！", "っておい！");
    Show();
}

}  // namespace game
