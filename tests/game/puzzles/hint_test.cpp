// The one hint per run.
#include "support/game_script.h"

namespace script {
namespace {

using HintMenu = GameScript;

TEST_F(HintMenu, FirstUseFlashesTheHintSecondRefusesThirdDoesNothing) {
    startGame();
    game::Form1& f = form1();
    box("仕方ないなぁ", "ヒントは１回だけ。いくよ", MsgIcon::Exclamation);
    choose(f.Hint);
    EXPECT_EQ(f.backColor(), 0x00FF0000u);
    EXPECT_EQ(f.Label1.caption(), "とにかくクリック！");
    EXPECT_EQ(f.Label1.font().size, 28.0f);
    EXPECT_EQ(f.Label1.foreColor(), 0x00FFFF00u);
    EXPECT_TRUE(f.Label1.visible());
    EXPECT_TRUE(f.Hint.enabled());
    wait(700);
    EXPECT_FALSE(f.Label1.visible());
    EXPECT_EQ(f.backColor(), 0x00808000u);

    box("品切れです", "ヒントは１回だけって約束だから。もう何もでないよ", MsgIcon::Critical);
    choose(f.Hint);
    EXPECT_FALSE(f.Hint.enabled());
    EXPECT_TRUE(f.Hint.visible());
    EXPECT_EQ(f.Label1.caption(), "降参すればヒントが！");
    EXPECT_EQ(f.Label1.font().size, 24.0f);
    wait(700);
    EXPECT_FALSE(f.Label1.visible());
    EXPECT_THROW(choose(f.Hint), headless::ScriptError);  // greyed out
    EXPECT_EQ(state().HintCount, 2);
}

TEST_F(HintMenu, GreyedOutAfterTheNextStep) {
    startGame();
    revealNazocom();
    pray();
    nextStep();
    EXPECT_FALSE(form1().Hint.enabled());
    EXPECT_FALSE(form1().Hint.clickable());
}

}  // namespace
}  // namespace script
