#include "screens/title/form2.h"

#include "screens/fonts.h"
#include "screens/main/form1.h"
#include "screens/title/title_design.h"
#include "screens/place_form.h"
#include "hub/game.h"

namespace game {

Form2::Form2(Game& game)
    : Form(game.runtime(), "Form2"),
      Command1(*this, "Command1"),
      Label6(*this, "Label6"),
      Label5(*this, "Label5"),
      Label4(*this, "Label4"),
      Label3(*this, "Label3"),
      Label2(*this, "Label2"),
      Label1(*this, "Label1"),
      game_(game) {
    const platform::FontSpec windowFont{kPGothic, 11.25f, false};
    setCaption("ﾊﾞｰｼﾞｮﾝ情報");
    designBorder(platform::BorderStyle::FixedSingle);
    designClientSize(3675, 2070);
    designFont(windowFont);
    setBackColor(kTitleBackColor);

    Command1.setCaption("OK");
    Command1.setGeometry({1320, 1560, 1095, 375});
    Command1.setTabIndex(0);
    Command1.setFont({kPGothic, 9.0f, false});
    Command1.onClick = [this] { Command1_Click(); };
    DesignCreditLabel(Label6, windowFont);
    DesignVersionLabel(Label5, {2520, 480, 1095, 255});
    DesignNameLetters(Label1, Label2, Label3, Label4,
                      {.mo = {360, 120, 375, 375}, .chi = {840, 360, 375, 375}, .ta = {1320, 240, 375, 375},
                       .ma = {1800, 480, 375, 375}});
    endDesign();
}

void Form2::Form_Load() {
    Label5.setCaption("Ver " + game_.state.VerNo);
    // The dialog opens in the middle of the screen.
    CentreOnScreen(*this);
}

void Form2::Command1_Click() { Unload(); }

// The Help menu's version item: one dialog, brought to the front when open.
void Form1::Version_Click() { game_.form2().Show(); }

}  // namespace game
