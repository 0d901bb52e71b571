// The main window as designed: seventeen controls and fourteen menu entries.
#include "screens/fonts.h"
#include "screens/main/form1.h"
#include "hub/game.h"

namespace game {

namespace {

void DesignButton(platform::CommandButton& button, const char* caption, platform::Geometry place, int tabIndex) {
    button.setCaption(caption);
    button.setGeometry(place);
    button.setTabIndex(tabIndex);
    // An empty face: the desktop's own user-interface font.
    button.setFont({"", 9.0f, false});
}

void DesignLabel(platform::Label& label, const char* caption, platform::Geometry place, int tabIndex,
                 platform::Color color, platform::FontSpec font, platform::Alignment alignment) {
    label.setCaption(caption);
    label.setGeometry(place);
    label.setTabIndex(tabIndex);
    label.setForeColor(color);
    label.setFont(std::move(font));
    label.setAlignment(alignment);
    label.setTransparent(true);
}

}  // namespace

Form1::Form1(Game& game)
    : Form(game.runtime(), "Form1"),
      Command5(*this, "Command5"),
      Command4(*this, "Command4"),
      Command3(*this, "Command3"),
      Command2(*this, "Command2"),
      Command1(*this, "Command1"),
      Label8(*this, "Label8"),
      Label7(*this, "Label7"),
      Label6(*this, "Label6"),
      Label5(*this, "Label5"),
      Label4(*this, "Label4"),
      Label3(*this, "Label3"),
      Label2(*this, "Label2"),
      Label1(*this, "Label1"),
      Timer1(*this, "Timer1"),
      Timer2(*this, "Timer2"),
      Timer3(*this, "Timer3"),
      Timer4(*this, "Timer4"),
      File(*this, "File"),
      Exit(*this, "Exit", &File),
      Etc(*this, "Etc"),
      Hint(*this, "Hint", &Etc),
      Space(*this, "Space", &Etc),
      Kousan(*this, "Kousan", &Etc),
      HR(*this, "HR", &Etc),
      Version(*this, "Version", &Etc),
      Nazocom(*this, "Nazocom"),
      Pray(*this, "Pray", &Nazocom),
      Dance(*this, "Dance", &Nazocom),
      Sleep(*this, "Sleep", &Nazocom),
      Space2(*this, "Space2"),
      Next(*this, "Next", &Space2),
      game_(game) {
    setCaption("もちたま");
    designBorder(platform::BorderStyle::FixedSingle);
    designClientSize(5115, 3600);
    designIcon("mochitama");
    setBackColor(bgr::kDarkCyan);
    designControls();
    designMenus();
    endDesign();
}

void Form1::designControls() {
    using platform::Alignment;
    DesignButton(Command5, "いいえ", {3000, 2400, 975, 375}, 0);
    DesignButton(Command4, "はい", {1080, 2400, 975, 375}, 9);
    DesignButton(Command3, "家を探せ！", {480, 2760, 1215, 375}, 5);
    DesignButton(Command2, "降参", {kSurrenderHomeLeft, 2760, 975, 375}, 4);
    DesignButton(Command1, "終了", {kExitHomeLeft, kExitHomeTop, 975, 375}, 1);
    Command5.onClick = [this] { Command5_Click(); };
    Command4.onClick = [this] { Command4_Click(); };
    Command3.onClick = [this] { Command3_Click(); };
    Command2.onClick = [this] { Command2_Click(); };
    Command1.onClick = [this] { Command1_Click(); };

    const platform::FontSpec banner{kGothic, 12, true};
    const platform::FontSpec letter{kGothic, 48, false};
    const platform::FontSpec message{kPGothic, 15.75f, true};
    DesignLabel(Label8, "", {2640, 3240, 1455, 255}, 12, bgr::kWhite, banner, Alignment::Right);
    DesignLabel(Label7, "ただいまの記録", {720, 3240, 1815, 255}, 11, bgr::kWhite, banner, Alignment::Center);
    DesignLabel(Label6, "TIME ATTACK MODE", {120, 120, 4815, 255}, 10, bgr::kWhite, banner, Alignment::Center);
    DesignLabel(Label5, "り", {3720, 720, 975, 975}, 8, bgr::kLetterPink, letter, Alignment::Left);
    DesignLabel(Label4, "わ", {2160, 720, 975, 975}, 7, bgr::kLetterPink, letter, Alignment::Left);
    DesignLabel(Label3, "お", {480, 720, 975, 975}, 6, bgr::kLetterPink, letter, Alignment::Left);
    DesignLabel(Label2, "", {120, 1320, 4815, 495}, 3, bgr::kRed, message, Alignment::Center);
    DesignLabel(Label1, "", {120, 600, 4815, 615}, 2, bgr::kRed, message, Alignment::Center);

    Timer1.onTick = [this] { Timer1_Timer(); };
    Timer2.onTick = [this] { Timer2_Timer(); };
    Timer3.onTick = [this] { Timer3_Timer(); };
    Timer4.onTick = [this] { Timer4_Timer(); };
}

void Form1::designMenus() {
    File.setCaption("ﾌｧｲﾙ(&F)");
    Exit.setCaption("終了(&X)");
    Etc.setCaption("ﾍﾙﾌﾟ(&H)");
    Hint.setCaption("ﾋﾝﾄの表示(&O)");
    Space.setCaption("");
    Kousan.setCaption("降参(&C)");
    HR.setCaption("-");
    Version.setCaption("ﾊﾞｰｼﾞｮﾝ情報(&V)");
    Nazocom.setCaption("謎のｺﾏﾝﾄﾞ(&N)");
    Pray.setCaption("祈る(&P)");
    Dance.setCaption("踊る(&D)");
    Sleep.setCaption("寝る(&S)");
    Space2.setCaption("");
    Next.setCaption("Next Step(&N)");

    Exit.onClick = [this] { Exit_Click(); };
    Hint.onClick = [this] { Hint_Click(); };
    Space.onClick = [this] { Space_Click(); };
    Kousan.onClick = [this] { Kousan_Click(); };
    Version.onClick = [this] { Version_Click(); };
    Pray.onClick = [this] { Pray_Click(); };
    Dance.onClick = [this] { Dance_Click(); };
    Sleep.onClick = [this] { Sleep_Click(); };
    Next.onClick = [this] { Next_Click(); };
}

}  // namespace game
