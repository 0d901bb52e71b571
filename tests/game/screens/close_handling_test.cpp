// The refused close command and its reveals.
#include "screens/main/close_handling.h"
#include "support/game_script.h"

namespace script {
namespace {

using CloseHandling = GameScript;
using game::CloseDecision;
using game::DecideClose;

TEST(CloseDecisionTable, ChecksInOrder) {
    game::GameState s;
    EXPECT_EQ(DecideClose(s, 0), CloseDecision::Scold);
    EXPECT_EQ(DecideClose(s, 1), CloseDecision::Scold);
    EXPECT_EQ(DecideClose(s, 2), CloseDecision::Allow);  // the session ending
    s.Congratulated = true;
    EXPECT_EQ(DecideClose(s, 0), CloseDecision::FarewellJoke);
    EXPECT_EQ(DecideClose(s, 3), CloseDecision::FarewellJoke);
    s.ResultShown = true;
    EXPECT_EQ(DecideClose(s, 0), CloseDecision::Allow);
    // The surrender unloads the main window itself after its farewell box.
    game::GameState surrendered;
    surrendered.Surrendered = true;
    surrendered.CloseCount = 3;
    EXPECT_EQ(DecideClose(surrendered, platform::unload_mode::kProgram), CloseDecision::Allow);
    game::GameState missing;
    missing.IniMissing = true;
    EXPECT_EQ(DecideClose(missing, 1), CloseDecision::Allow);
}

TEST_F(CloseHandling, FirstTwoAttemptsOnlyScold) {
    startGame();
    closeMainWindow(2);
    EXPECT_EQ(state().CloseCount, 2);
    EXPECT_TRUE(form1().visible());
    EXPECT_FALSE(form1().Command2.visible());
    EXPECT_FALSE(form1().Kousan.visible());
}

TEST_F(CloseHandling, ThirdAttemptBringsOutSurrenderWhereTheExitButtonBelongs) {
    toOpeningQuestion();  // even before the question is answered
    closeMainWindow(3);
    game::Form1& f = form1();
    EXPECT_TRUE(f.Command2.visible());
    EXPECT_EQ(f.Command2.left(), 3840.0f);
    EXPECT_EQ(f.Command2.top(), 2760.0f);
    EXPECT_TRUE(f.Kousan.visible());
    EXPECT_FALSE(f.Etc.visible());
}

TEST_F(CloseHandling, FourthToSixthOnlyScold) {
    startGame();
    closeMainWindow(6);
    EXPECT_FALSE(form1().Nazocom.visible());
    EXPECT_EQ(boxTitles().size(), 2u + 6u);
}

TEST_F(CloseHandling, SeventhFreezesTheWindowAndRevealsTheMysteryMenu) {
    startGame();
    closeMainWindow(6);
    form1().Timer2.setEnabled(true);  // a tick that falls due during the freeze waits for it
    form1().Timer2.setInterval(500);
    const int64_t before = host.nowMs();
    box("だめだめ", "[閉じる]？出来るかっちゅーの", MsgIcon::Exclamation);
    boxThen("ををっ！", "頑張ってみるもんですねぇ", MsgIcon::Information, [&] {
        EXPECT_FALSE(form1().enabled());
        EXPECT_EQ(host.nowMs(), before + 1000);
        EXPECT_FALSE(form1().Nazocom.visible());
        EXPECT_FALSE(changedTo(form1().Timer2, platform::Property::Enabled, false));  // no timer ran in the pause
    });
    boxThen("をををっ！", "なぜかメニューが増えましたぁっ！", MsgIcon::Information, [&] {
        EXPECT_EQ(host.nowMs(), before + 2000);
        EXPECT_TRUE(form1().Nazocom.visible());
        EXPECT_FALSE(form1().enabled());
    });
    host.close(form1());
    EXPECT_TRUE(form1().enabled());
    EXPECT_EQ(state().Stage, 11);
    EXPECT_EQ(state().CloseCount, 7);
    EXPECT_TRUE(changedTo(form1().Timer2, platform::Property::Enabled, false));  // the overdue tick came afterwards
}

// The close box of the frozen window is dead: no eighth scolding inside the freeze.
TEST_F(CloseHandling, TheFrozenWindowTakesNoClose) {
    startGame();
    closeMainWindow(6);
    box("だめだめ", "[閉じる]？出来るかっちゅーの", MsgIcon::Exclamation);
    boxThen("ををっ！", "頑張ってみるもんですねぇ", MsgIcon::Information, [&] { host.close(form1()); });
    box("をををっ！", "なぜかメニューが増えましたぁっ！", MsgIcon::Information);
    host.close(form1());
    EXPECT_EQ(state().CloseCount, 7);
    EXPECT_TRUE(form1().visible());
}

TEST_F(CloseHandling, SeventhBeforeTheAnswerMakesTheMysteryMenuTheOnlyOne) {
    toOpeningQuestion();
    revealNazocom();
    EXPECT_TRUE(form1().hasVisibleTopMenu());
    EXPECT_FALSE(form1().File.visible());
    EXPECT_TRUE(form1().Nazocom.visible());
}

TEST_F(CloseHandling, EighthAndLaterOnlyScoldAndKeepCounting) {
    startGame();
    revealNazocom();
    closeMainWindow(3);
    EXPECT_EQ(state().CloseCount, 10);
    EXPECT_EQ(state().Stage, 11);
}

TEST_F(CloseHandling, TheExitMenuItemIsACloseAttemptLikeTheCloseBox) {
    startGame();
    box("だめだめ", "[閉じる]？出来るかっちゅーの", MsgIcon::Exclamation);
    choose(form1().Exit);
    EXPECT_EQ(state().CloseCount, 1);
    EXPECT_TRUE(form1().visible());
}

TEST_F(CloseHandling, AfterTheCongratulationTheFarewellJokeRefusesWithoutCounting) {
    startGame();
    closeMainWindow(2);
    state().Congratulated = true;
    box("それでわん", "それじゃぁ、またね(^^)/~~~");
    box("をいをい(^^;", "ていうか、そこは終了ボタンじゃないでしょ！(汗)", MsgIcon::Exclamation);
    host.close(form1());
    EXPECT_EQ(state().CloseCount, 2);
    EXPECT_TRUE(form1().visible());
}

struct SilentClose {
    const char* name;
    bool game::GameState::*flag;
};

class ClosesSilently : public GameScript, public ::testing::WithParamInterface<SilentClose> {};

TEST_P(ClosesSilently, AndTheProgramEndsWithTheLastWindow) {
    startGame();
    const std::size_t shown = host.boxes.size();
    state().*(GetParam().flag) = true;
    if (GetParam().flag == &game::GameState::ResultShown) state().Congratulated = true;
    host.close(form1());
    EXPECT_EQ(host.boxes.size(), shown);
    EXPECT_FALSE(form1().loaded());
    EXPECT_TRUE(host.ended());
}

INSTANTIATE_TEST_SUITE_P(CloseHandling, ClosesSilently,
                         ::testing::Values(SilentClose{"afterSurrender", &game::GameState::Surrendered},
                                           SilentClose{"recordFileMissing", &game::GameState::IniMissing},
                                           SilentClose{"afterResults", &game::GameState::ResultShown}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CloseHandling, FinalPromptComesOnceAndFreesTheExitButton) {
    startGame();
    form1().Command1.setVisible(true);
    form1().Command1.setEnabled(false);
    form1().Timer3.setEnabled(true);
    form1().Timer3.setInterval(3000);
    wait(2999);
    EXPECT_FALSE(form1().Command1.enabled());
    awaitFinalPrompt();
    EXPECT_TRUE(form1().Command1.enabled());
    wait(10000);  // no second prompt
}

}  // namespace
}  // namespace script
