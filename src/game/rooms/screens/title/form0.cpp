#include "screens/title/form0.h"

#include "screens/fonts.h"
#include "screens/main/form1.h"
#include "screens/title/title_design.h"
#include "screens/place_form.h"
#include "hub/game.h"

namespace game {

int16_t NextKeyStep(int16_t keyStep, int16_t keyCode) {
    const auto complete = static_cast<int16_t>(kTimeAttackKeys.size());
    if (keyStep >= complete) return complete;
    if (keyStep < 0) return 0;
    return keyCode == kTimeAttackKeys[static_cast<std::size_t>(keyStep)] ? static_cast<int16_t>(keyStep + 1) : 0;
}

Form0::Form0(Game& game)
    : Form(game.runtime(), "Form0"),
      Frame1(*this, "Frame1"),
      Timer1(*this, "Timer1"),
      Label6(*this, "Label6", &Frame1),
      Label5(*this, "Label5", &Frame1),
      Label4(*this, "Label4", &Frame1),
      Label3(*this, "Label3", &Frame1),
      Label2(*this, "Label2", &Frame1),
      Label1(*this, "Label1", &Frame1),
      game_(game) {
    setCaption("もちたまの世界へようこそ");
    designBorder(platform::BorderStyle::None);
    designClientSize(3855, 1680);
    setBackColor(kTitleBackColor);

    Frame1.setBackColor(kTitleBackColor);
    Frame1.setGeometry({120, 50, 3615, 1500});
    DesignCreditLabel(Label6, {kPGothic, 11.25f, false});
    DesignVersionLabel(Label5, {2400, 600, 1095, 255});
    DesignNameLetters(Label1, Label2, Label3, Label4,
                      {.mo = {240, 240, 375, 375}, .chi = {720, 480, 375, 375}, .ta = {1200, 360, 375, 375},
                       .ma = {1680, 600, 375, 375}});
    Timer1.onTick = [this] { Timer1_Timer(); };
    endDesign();
}

void Form0::Form_Load() {
    PlaceForm(*this, 1680, 3855);
    Label5.setCaption("Ver " + game_.state.VerNo);
}

void Form0::Timer1_Timer() {
    Unload();
    game_.form1().Show();
}

void Form0::Form_KeyDown(int16_t KeyCode, int16_t Shift) {
    (void)Shift;
    GameState& s = game_.state;
    s.KeyStep = NextKeyStep(s.KeyStep, KeyCode);
    s.TimeAttack = s.KeyStep == static_cast<int16_t>(kTimeAttackKeys.size());
}

}  // namespace game
