#include "puzzles/form3.h"

#include "screens/fonts.h"
#include "screens/main/form1.h"
#include "hub/game.h"

namespace game {

using platform::MsgIcon;

namespace {
constexpr uint32_t kIntroPause = 300;
constexpr uint32_t kAnswerPause = 1000;
}  // namespace

Form3::Form3(Game& game)
    : Form(game.runtime(), "Form3"),
      Label1(*this, "Label1"),
      Label2(*this, "Label2"),
      Timer1(*this, "Timer1"),
      Timer2(*this, "Timer2"),
      game_(game) {
    designBorder(platform::BorderStyle::None);
    designClientSize(3960, 1290);
    setBackColor(bgr::kBlack);
    for (auto [label, text, color, place, bold] :
         {std::tuple{&Label1, "家", platform::Color{0x00FF00FF}, platform::Geometry{240, 240, 735, 735}, true},
          std::tuple{&Label2, "を探せ!", bgr::kWhite, platform::Geometry{1080, 240, 2655, 735}, false}}) {
        label->setCaption(text);
        label->setForeColor(color);
        label->setBackColor(bgr::kBlack);
        label->setTransparent(false);
        label->setGeometry(place);
        label->setFont({kGothic, 36, bold});
        label->setAlignment(platform::Alignment::Left);
    }
    Label1.onClick = [this] { Label1_Click(); };
    Label2.onClick = [this] { Label2_Click(); };
    Timer1.onTick = [this] { Timer1_Timer(); };
    Timer2.onTick = [this] { Timer2_Timer(); };
    endDesign();
}

void Form3::Form_Load() {
    setTop(1000);
    setLeft(1000);
    Timer1.setEnabled(true);
    Timer1.setInterval(1000);
}

void Form3::Timer1_Timer() {
    Timer1.setEnabled(false);
    Timer1.setInterval(0);
    game_.MsgBox("どういう意味だろう？", "問題", MsgIcon::Question);
    game_.Sleep(kIntroPause);
    game_.MsgBox("独自の調査(笑)により、これは暗号らしいということが分かった。\r\n何の暗号なのだろうか？",
                 "解読結果", MsgIcon::Information);
    game_.Sleep(kIntroPause);
    game_.MsgBox("どうやらあるキーが次へ進む鍵となるようだ", "解読結果", MsgIcon::Exclamation);
    game_.Sleep(kIntroPause);
    game_.MsgBox("解読せよ！", "謎解き", MsgIcon::Exclamation);
    game_.state.AnswerOpen = true;
    // The thirty seconds start when the last box is closed.
    Timer2.setEnabled(true);
    Timer2.setInterval(30000);
}

void Form3::Form_KeyDown(int16_t KeyCode, int16_t Shift) {
    (void)Shift;
    if (!game_.state.AnswerOpen) return;
    if (KeyCode == kCipherAnswerKey) {
        game_.Sleep(kAnswerPause);
        Unload();
        game_.form1().Show();
        CipherSolved(game_);
        return;
    }
    game_.services().SendKeys("{Esc}");
    game_.Sleep(kAnswerPause);
    GiveUp();
}

void Form3::Form_MouseDown() { GiveUp(); }

// Closing the cipher window (Alt+F4) is a way back like a click: the main
// window is hidden meanwhile, and must not stay hidden with nothing on screen.
void Form3::Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) {
    if (UnloadMode != platform::unload_mode::kUserClose) return;
    Cancel = platform::kTrue;
    GiveUp();
}
void Form3::Label1_Click() { GiveUp(); }
void Form3::Label2_Click() { GiveUp(); }

void Form3::Timer2_Timer() {
    Timer2.setEnabled(false);
    Timer2.setInterval(0);
    game_.MsgBox("時間切れのようだ。\r\nもう一度考え直してから出直してくるように", "Time Is UP!");
    GiveUp();
}

void Form3::GiveUp() {
    Unload();
    game_.state.AnswerOpen = false;
    game_.form1().Show();
}

void CipherSolved(Game& game) {
    Form1& f = game.form1();
    game.state.Stage = 31;
    game.MsgBox("ここまで来たか！もうすこし・・・かも？", "あっ！", MsgIcon::Exclamation);
    f.setBackColor(bgr::kGreen);
    f.Command1.setVisible(true);
    f.Command1.setEnabled(true);
    f.Command2.setVisible(false);
    f.Command3.setVisible(false);
}

void Form1::Command3_Click() {
    game_.MsgBox("あなたは、なぜかこんな紙を見つけた", "発見！", MsgIcon::Question);
    Hide();
    game_.form3().Show();
}

}  // namespace game
