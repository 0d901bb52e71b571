// The main window's load and the opening question.
#include "support/game_script.h"

namespace script {
namespace {

using OpeningQuestion = GameScript;

std::vector<std::string> Shown(game::Form1& f) {
    std::vector<std::string> names;
    for (platform::Control* c : f.controls())
        if (c->visible()) names.push_back(c->name());
    return names;
}

TEST_F(OpeningQuestion, NormalModeShowsTwoButtonsTwoCyanLinesAndNoMenuBar) {
    toOpeningQuestion();
    game::Form1& f = form1();
    EXPECT_EQ(Shown(f), (std::vector<std::string>{"Command5", "Command4", "Label2", "Label1"}));
    EXPECT_EQ(f.Label1.caption(), "やめるなら今のうちよ");
    EXPECT_EQ(f.Label2.caption(), "やめとく？");
    EXPECT_EQ(f.Label1.foreColor(), 0x00FFFF00u);
    EXPECT_EQ(f.Label2.foreColor(), 0x00FFFF00u);
    EXPECT_FALSE(f.hasVisibleTopMenu());
    EXPECT_EQ(f.backColor(), 0x00808000u);
    EXPECT_EQ(f.caption(), "もちたま");
    EXPECT_EQ(f.firstFocusable(), &f.Command5);
    EXPECT_EQ(state().Stage, 10);
    EXPECT_EQ(f.Width(), 5200.0f);
    EXPECT_EQ(f.Height(), 4000.0f);
}

TEST_F(OpeningQuestion, TheWelcomeBoxWaitsWhileTheMainWindowIsNotYetOnScreen) {
    start();
    boxThen("Welcome to もちたま", "『もちたま』の世界へようこそ\r\n頑張ってこのソフト、終わらせてみてね", MsgIcon::None,
            [this] {
                EXPECT_FALSE(form1().visible());
                EXPECT_FALSE(form0().loaded());
            });
    wait(2000);
}

TEST_F(OpeningQuestion, TimeAttackModeShowsTheBannerAndTheBestTime) {
    toOpeningQuestion(true);
    game::Form1& f = form1();
    EXPECT_EQ(f.caption(), "もちたま TimeAttack MODE");
    EXPECT_TRUE(f.Label6.visible());
    EXPECT_TRUE(f.Label7.visible());
    EXPECT_TRUE(f.Label8.visible());
    EXPECT_EQ(f.Label8.caption(), "9999 秒");
}

TEST_F(OpeningQuestion, YesCountsTheQuitChangesOneLineAndEnds) {
    toOpeningQuestion();
    box("Welcome to もちたま", "あ・・・そう？根性なしねぇ。じゃぁね。");
    click(form1().Command4);
    EXPECT_TRUE(host.ended());
    EXPECT_EQ(readIni(), WithKeyLine(DefaultRecordText(), "Tyutai", "Kaisu=1"));
    // No close remark on the way out.
    EXPECT_EQ(boxTitles(), (std::vector<std::string>{"Welcome to もちたま", "Welcome to もちたま"}));
}

TEST_F(OpeningQuestion, AQuitAtTheLargestCountStaysThere) {
    writeIni(RecordText("0", "2147483647", "9999"));
    toOpeningQuestion();
    box("Welcome to もちたま", "あ・・・そう？根性なしねぇ。じゃぁね。");
    click(form1().Command4);
    EXPECT_NE(readIni().find("Kaisu=2147483647"), std::string::npos);
}

TEST_F(OpeningQuestion, NoClearsTheQuestionAndBringsOutTwoMenus) {
    startGame();
    game::Form1& f = form1();
    EXPECT_TRUE(Shown(f).empty());
    EXPECT_TRUE(f.File.visible());
    EXPECT_TRUE(f.Etc.visible());
    EXPECT_FALSE(f.Kousan.visible());
    EXPECT_FALSE(f.Nazocom.visible());
    EXPECT_FALSE(f.Space2.visible());
}

TEST_F(OpeningQuestion, TheClockStartsWhenTheTimeAttackBoxIsDismissed) {
    host.setStartOfDay(10 * 3600);
    toOpeningQuestion(true);
    const int64_t pressed = host.nowMs();
    boxOpenFor("もちたま TIME ATTACK", "これを押したらタイムアタック開始です", MsgIcon::None, 5000);
    click(form1().Command5);
    EXPECT_FLOAT_EQ(state().StartTime, 10 * 3600 + static_cast<float>(pressed + 5000) / 1000.0f);
    EXPECT_FALSE(form1().Label8.visible());
}

TEST_F(OpeningQuestion, ThreeClosesBeforeAnsweringLeaveTheSurrenderButtonAfterNo) {
    toOpeningQuestion();
    closeMainWindow(3);
    EXPECT_TRUE(form1().Command2.visible());
    EXPECT_TRUE(form1().Command4.visible());
    box("Welcome to もちたま", "そうこなくっちゃね。お一人様ごあんな～い");
    click(form1().Command5);
    EXPECT_TRUE(form1().Command2.visible());
    EXPECT_FALSE(form1().Command4.visible());
}

}  // namespace
}  // namespace script
