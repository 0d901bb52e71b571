// Surrendering: the stage hint, the count, the end; or the hit on the Exit button.
#include "puzzles/surrender.h"

#include <array>

#include "platform/number_text.h"
#include "screens/main/form1.h"
#include "hub/game.h"
#include "hub/records.h"

namespace game {

using platform::MsgIcon;

namespace {

constexpr int16_t kStageNextStep = 20;
constexpr int16_t kStageHit = 32;

constexpr std::array<StageHint, 6> kStageHints = {{
    {10, "ｸﾘｱ度 0%", "とりあえずクリックできるところは", "クリックしてみるべし"},
    {11, "ｸﾘｱ度 20%", "どこかに秘密の扉への", "スイッチが・・・"},
    {12, "ｸﾘｱ度 30%", "なにも見えているものだけが", "クリックすべき場所ではない "},
    {20, "ｸﾘｱ度 50%", "暗号はキーボード上の", "どれかのキーだ！"},
    {31, "ｸﾘｱ度 ??%", "ボタンを止めるにはもぞもぞ", "している時がチャンスだ！"},
    {32, "ｸﾘｱ度 ??%", "ダメージを与えた後は", "終了ボタンではなく・・・"},
}};

void HitTheExitButton(Game& game) {
    game.form1().setBackColor(bgr::kHitTeal);
    game.MsgBox("ぐはぁっ", "HIT!", MsgIcon::Exclamation);
    game.state.ButtonHit = true;
    game.state.Stage = kStageHit;
}

void ShowHint(Game& game, const StageHint& hint) {
    Form1& f = game.form1();
    f.Command1.setVisible(false);
    if (hint.stage == kStageNextStep) {
        f.Command2.setVisible(false);
        f.Command3.setVisible(false);
    }
    f.setCaption(hint.caption);
    for (auto [label, text] : {std::pair{&f.Label1, hint.firstLine}, std::pair{&f.Label2, hint.secondLine}}) {
        label->setFontSize(16);
        label->setForeColor(bgr::kCyan);
        label->setVisible(true);
        label->setCaption(text);
    }
    // Painted now: the pause below would otherwise show the old screen.
    f.Refresh();
    game.Sleep(3000);
}

}  // namespace

std::optional<StageHint> HintForStage(int16_t stage) {
    for (const StageHint& hint : kStageHints)
        if (hint.stage == stage) return hint;
    return std::nullopt;
}

void SurrenderScene(Game& game) {
    if (!game.AskYesNo("本当に降参しちゃうの？", "降参？", MsgIcon::Question)) return;
    GameState& s = game.state;
    if (s.Mozomozo && !s.ButtonHit) {
        HitTheExitButton(game);
        return;
    }
    s.KousanCount = Incremented(s.KousanCount);
    if (const auto hint = HintForStage(s.Stage)) ShowHint(game, *hint);
    game.MsgBox(game.inPlayersLanguage("ただいまの降参回数は ") + platform::CountText(s.KousanCount) +
                    game.inPlayersLanguage(" 回です。\r\n次回は頑張ってね。じゃぁ。ぶちっ"),
                "仕方ないなぁ", MsgIcon::Information);
    s.Surrendered = true;
    WriteRecord(game, "Kousan", "Kaisu", s.KousanCount);
    game.form1().Unload();
    game.End();
}

void Form1::Command2_Click() { SurrenderScene(game_); }
void Form1::Kousan_Click() { SurrenderScene(game_); }

}  // namespace game
