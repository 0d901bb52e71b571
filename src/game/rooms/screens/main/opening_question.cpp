// The main window's load, and the question whether the player would rather quit.
#include "platform/number_text.h"
#include "screens/main/form1.h"
#include "screens/place_form.h"
#include "hub/game.h"
#include "hub/records.h"

namespace game {

namespace {
constexpr const char* kWelcomeTitle = "Welcome to もちたま";
}

void Form1::Form_Load() {
    GameState& s = game_.state;
    s.ExitClickCount = 0;
    s.HintCount = 0;
    s.CloseCount = 0;
    s.SpaceCount = 0;
    s.Stage = 10;
    s.AnswerOpen = false;

    PlaceForm(*this, 4000, 5200);
    for (platform::Menu* menu : {&File, &Etc, &Kousan, &Nazocom, &Space2}) menu->setVisible(false);
    for (platform::Label* label : {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7, &Label8})
        label->setVisible(false);
    for (platform::CommandButton* button : {&Command1, &Command2, &Command3, &Command4, &Command5})
        button->setVisible(false);
    setBackColor(bgr::kDarkCyan);

    game_.MsgBox("『もちたま』の世界へようこそ\r\n頑張ってこのソフト、終わらせてみてね", kWelcomeTitle);

    Label1.setVisible(true);
    Label1.setForeColor(bgr::kCyan);
    Label1.setCaption("やめるなら今のうちよ");
    Label2.setVisible(true);
    Label2.setForeColor(bgr::kCyan);
    Label2.setCaption("やめとく？");
    Command4.setVisible(true);
    Command5.setVisible(true);

    if (s.TimeAttack) {
        setCaption("もちたま TimeAttack MODE");
        Label6.setVisible(true);
        Label7.setVisible(true);
        Label8.setCaption(platform::SingleText(s.BestTime) + game_.inPlayersLanguage(" 秒"));
        Label8.setVisible(true);
    } else {
        setCaption("もちたま");
    }
}

void Form1::Command4_Click() {
    game_.MsgBox("あ・・・そう？根性なしねぇ。じゃぁね。", kWelcomeTitle);
    game_.state.TyutaiCount = Incremented(game_.state.TyutaiCount);
    WriteRecord(game_, "Tyutai", "Kaisu", game_.state.TyutaiCount);
    game_.End();
}

void Form1::Command5_Click() {
    if (game_.state.TimeAttack)
        game_.MsgBox("これを押したらタイムアタック開始です", "もちたま TIME ATTACK");
    else
        game_.MsgBox("そうこなくっちゃね。お一人様ごあんな～い", kWelcomeTitle);
    Command4.setVisible(false);
    Command5.setVisible(false);
    for (platform::Label* label : {&Label1, &Label2, &Label6, &Label7, &Label8}) label->setVisible(false);
    File.setVisible(true);
    Etc.setVisible(true);
    // The clock starts once the box is dismissed, in both modes.
    game_.state.StartTime = game_.services().TimeOfDay();
}

}  // namespace game
