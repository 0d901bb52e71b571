// The one hint per run, and its refusal.
#include "screens/main/form1.h"
#include "hub/game.h"

namespace game {

using platform::MsgIcon;

namespace {
// A blue flash of one line, cleared 0.7 s later by the flash timer.
void FlashHint(Form1& f, float points, const char* text) {
    f.setBackColor(bgr::kBlue);
    f.Label1.setBackColor(bgr::kBlue);
    f.Label1.setFontSize(points);
    f.Label1.setCaption(text);
    f.Label1.setVisible(true);
    f.Timer2.setEnabled(true);
    f.Timer2.setInterval(700);
}
}  // namespace

void Form1::Hint_Click() {
    GameState& s = game_.state;
    const int32_t used = s.HintCount;
    s.HintCount = Incremented(s.HintCount);
    if (used == 0) {
        game_.MsgBox("ヒントは１回だけ。いくよ", "仕方ないなぁ", MsgIcon::Exclamation);
        FlashHint(*this, 28, "とにかくクリック！");
    } else if (used == 1) {
        game_.MsgBox("ヒントは１回だけって約束だから。もう何もでないよ", "品切れです", MsgIcon::Critical);
        Hint.setEnabled(false);
        FlashHint(*this, 24, "降参すればヒントが！");
    }
}

}  // namespace game
