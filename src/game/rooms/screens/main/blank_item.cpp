// The blank item of the Help menu: nothing happens, except once.
#include "screens/main/form1.h"
#include "hub/game.h"

namespace game {

void Form1::Space_Click() {
    game_.MsgBox("なんにも起きないぞょ", "くふふ", platform::MsgIcon::Exclamation);
    GameState& s = game_.state;
    s.SpaceCount = Incremented(s.SpaceCount);
    if (s.SpaceCount != 3 || s.Stage >= 20) return;

    // The secret of the title window, for two seconds.
    setBackColor(bgr::kBlue);
    Label1.setFontSize(24);
    Label1.setCaption("TIME ATTACK MODE");
    Label1.setVisible(true);
    Label2.setFontSize(24);
    Label2.setForeColor(bgr::kRed);
    Label2.setCaption("←↑→↓←↑→↓");
    Label2.setVisible(true);
    Timer2.setEnabled(true);
    Timer2.setInterval(2000);
}

}  // namespace game
