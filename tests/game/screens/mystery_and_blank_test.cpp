// 祈る, 踊る, 寝る, the blank Help item and the version dialog.
#include "support/game_script.h"

namespace script {
namespace {

using Mystery = GameScript;

TEST_F(Mystery, PrayingTwiceKeepsTheBlankMenuAndSetsStage12) {
    startGame();
    revealNazocom();
    pray();
    EXPECT_TRUE(form1().Space2.visible());
    EXPECT_TRUE(form1().Next.clickable());
    pray();
    EXPECT_TRUE(form1().Space2.visible());
    EXPECT_EQ(state().Stage, 12);
}

TEST_F(Mystery, DancingHidesTheBlankMenuButKeepsTheStage) {
    startGame();
    revealNazocom();
    box("いえー", "あいやいや～♪", MsgIcon::Information);
    choose(form1().Dance);
    EXPECT_FALSE(form1().Space2.visible());
    EXPECT_EQ(state().Stage, 11);
    pray();
    box("いえー", "あいやいや～♪", MsgIcon::Information);
    choose(form1().Dance);
    EXPECT_FALSE(form1().Space2.visible());
    EXPECT_EQ(state().Stage, 12);
}

TEST_F(Mystery, SleepingHidesEveryWindowForThreeSecondsAndComesBackUnchanged) {
    startGame();
    revealNazocom();
    const auto caption = form1().caption();
    const auto color = form1().backColor();
    box("であ", "寝るとするか・・・。", MsgIcon::Information);
    box("であであ", "おやすみなさい～ m(_ _)m ぶちっ。", MsgIcon::Information);
    choose(form1().Sleep);
    EXPECT_FALSE(form1().visible());
    EXPECT_TRUE(form1().loaded());  // the program keeps running
    wait(2999);
    EXPECT_FALSE(form1().visible());
    boxThen("っておい！", "寝てる場合じゃないってば！", MsgIcon::None, [&] { EXPECT_FALSE(form1().visible()); });
    wait(1);
    EXPECT_TRUE(form1().visible());
    EXPECT_FALSE(form1().Timer4.running());
    EXPECT_EQ(form1().caption(), caption);
    EXPECT_EQ(form1().backColor(), color);
    EXPECT_TRUE(form1().Nazocom.visible());
}

class BlankItem : public GameScript {
protected:
    // One click on the blank menu item, and the box it always shows.
    void clickBlank() {
        host.expectBox({"くふふ", "なんにも起きないぞょ", MsgIcon::Exclamation, platform::MsgButtons::Ok,
                        platform::MsgResult::Ok, 0, {}});
        choose(form1().Space);
    }
};

TEST_F(BlankItem, ThirdClickFlashesTheSecretForTwoSeconds) {
    startGame();
    clickBlank();
    clickBlank();
    EXPECT_FALSE(form1().Label1.visible());
    clickBlank();
    game::Form1& f = form1();
    EXPECT_EQ(f.backColor(), 0x00FF0000u);
    EXPECT_EQ(f.Label1.caption(), "TIME ATTACK MODE");
    EXPECT_EQ(f.Label1.font().size, 24.0f);
    EXPECT_EQ(f.Label1.foreColor(), 0x00FFFF00u);
    EXPECT_EQ(f.Label2.caption(), "←↑→↓←↑→↓");
    EXPECT_EQ(f.Label2.foreColor(), 0x000000FFu);
    EXPECT_TRUE(f.Label2.visible());
    wait(1999);
    EXPECT_TRUE(f.Label1.visible());
    wait(1);
    EXPECT_FALSE(f.Label1.visible());
    EXPECT_FALSE(f.Label2.visible());
    EXPECT_EQ(f.backColor(), 0x00808000u);
    EXPECT_FALSE(f.Timer2.running());
    clickBlank();  // the fourth: the box only
    EXPECT_FALSE(f.Label1.visible());
}

TEST_F(BlankItem, ThirdClickAfterTheNextStepOnlyShowsTheBox) {
    startGame();
    state().Stage = 20;
    for (int i = 0; i < 3; ++i) clickBlank();
    EXPECT_EQ(form1().backColor(), 0x00808000u);
    EXPECT_FALSE(form1().Label1.visible());
}

TEST_F(BlankItem, ReArmingTheFlashTimerRestartsItsCountdown) {
    startGame();
    for (int i = 0; i < 3; ++i) clickBlank();
    wait(1500);
    box("仕方ないなぁ", "ヒントは１回だけ。いくよ", MsgIcon::Exclamation);
    choose(form1().Hint);
    wait(699);
    EXPECT_TRUE(form1().Label1.visible());
    wait(1);
    EXPECT_FALSE(form1().Label1.visible());
    EXPECT_FALSE(form1().Label2.visible());
}

// Clicks the blank item too, to show the main window still answers.
using VersionDialog = BlankItem;

TEST_F(VersionDialog, OpensOnceShowsTheVersionAndClosesWithOkOrTheCloseBox) {
    startGame();
    choose(form1().Version);
    choose(form1().Version);
    EXPECT_TRUE(form2().visible());
    EXPECT_EQ(form2().Label5.caption(), "Ver 1.10");
    EXPECT_EQ(timesLoaded(form2()), 1);
    click(form2().Command1);
    EXPECT_FALSE(form2().loaded());
    choose(form1().Version);
    host.close(form2());
    EXPECT_FALSE(form2().loaded());
    EXPECT_FALSE(host.ended());
    EXPECT_EQ(timesLoaded(form2()), 2);
}

TEST_F(VersionDialog, TheMainWindowKeepsWorkingWhileItIsOpen) {
    startGame();
    choose(form1().Version);
    for (int i = 0; i < 3; ++i) clickBlank();
    wait(2000);
    EXPECT_FALSE(form1().Label1.visible());  // the flash timer ticked
    closeMainWindow(1);
    EXPECT_TRUE(form2().visible());
}

}  // namespace
}  // namespace script
