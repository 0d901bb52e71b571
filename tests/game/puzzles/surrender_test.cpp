// Surrendering: the stage hints, the count, the hit.
#include "puzzles/surrender.h"
#include "support/game_script.h"

namespace script {
namespace {

class Surrender : public GameScript {
protected:
    // The box that says goodbye with the new surrender count.
    void expectFarewell(const std::string& count) {
        host.expectBox({"仕方ないなぁ", "ただいまの降参回数は " + count + " 回です。\r\n次回は頑張ってね。じゃぁ。ぶちっ",
                        MsgIcon::Information, platform::MsgButtons::Ok, platform::MsgResult::Ok, 0, {}});
    }
};

struct StageCase {
    int16_t stage;
    const char* caption;
    const char* first;
    const char* second;
    bool hidesAllButtons;
};

// Names the case in failure messages (and keeps the padding bytes unread).
void PrintTo(const StageCase& c, std::ostream* out) { *out << "stage " << c.stage; }

class SurrenderAtStage : public GameScript, public ::testing::WithParamInterface<StageCase> {};

TEST_P(SurrenderAtStage, ShowsTheHintForThreeSecondsCountsSavesAndEnds) {
    const StageCase& c = GetParam();
    writeIni(RecordText("4", "1", "83.5"));
    startGame();
    closeMainWindow(3);
    game::Form1& f = form1();
    f.Command1.setVisible(true);
    f.Command3.setVisible(true);
    state().Stage = c.stage;
    const int64_t before = host.nowMs();
    confirmSurrender();
    boxThen("仕方ないなぁ", "ただいまの降参回数は 5 回です。\r\n次回は頑張ってね。じゃぁ。ぶちっ", MsgIcon::Information,
            [&] {
                EXPECT_EQ(host.nowMs(), before + 3000);
                EXPECT_EQ(f.caption(), c.caption);
                EXPECT_EQ(f.Label1.caption(), c.first);
                EXPECT_EQ(f.Label2.caption(), c.second);
                for (auto* label : {&f.Label1, &f.Label2}) {
                    EXPECT_TRUE(label->visible());
                    EXPECT_EQ(label->foreColor(), 0x00FFFF00u);
                    EXPECT_EQ(label->font().size, 16.0f);
                }
                EXPECT_FALSE(f.Command1.visible());
                EXPECT_EQ(f.Command2.visible(), !c.hidesAllButtons);
                EXPECT_EQ(f.Command3.visible(), !c.hidesAllButtons);
                EXPECT_FALSE(state().Surrendered);
            });
    click(f.Command2);
    EXPECT_TRUE(host.ended());
    EXPECT_TRUE(state().Surrendered);
    EXPECT_EQ(readIni(), WithKeyLine(RecordText("4", "1", "83.5"), "Kousan", "Kaisu=5"));
    // Painted before the pause, so the hint is what the player sees during it.
    const auto refreshed = std::find_if(host.events().begin(), host.events().end(), [&](const headless::Event& e) {
        return e.kind == headless::Event::Kind::Refreshed && e.form == &f;
    });
    ASSERT_NE(refreshed, host.events().end());
    ASSERT_NE(std::next(refreshed), host.events().end());
    EXPECT_EQ(std::next(refreshed)->kind, headless::Event::Kind::Slept);
    EXPECT_EQ(std::next(refreshed)->milliseconds, 3000);
}

INSTANTIATE_TEST_SUITE_P(
    Surrender, SurrenderAtStage,
    ::testing::Values(StageCase{10, "ｸﾘｱ度 0%", "とりあえずクリックできるところは", "クリックしてみるべし", false},
                      StageCase{11, "ｸﾘｱ度 20%", "どこかに秘密の扉への", "スイッチが・・・", false},
                      StageCase{12, "ｸﾘｱ度 30%", "なにも見えているものだけが", "クリックすべき場所ではない ", false},
                      StageCase{20, "ｸﾘｱ度 50%", "暗号はキーボード上の", "どれかのキーだ！", true},
                      StageCase{31, "ｸﾘｱ度 ??%", "ボタンを止めるにはもぞもぞ", "している時がチャンスだ！", false},
                      StageCase{32, "ｸﾘｱ度 ??%", "ダメージを与えた後は", "終了ボタンではなく・・・", false}),
    [](const auto& info) { return "stage" + std::to_string(info.param.stage); });

TEST_F(Surrender, NoAtTheConfirmationChangesNothing) {
    startGame();
    closeMainWindow(3);
    const auto before = readIni();
    confirmSurrender(false);
    choose(form1().Kousan);
    EXPECT_FALSE(host.ended());
    EXPECT_EQ(state().KousanCount, 0);
    EXPECT_EQ(readIni(), before);
    EXPECT_EQ(form1().caption(), "もちたま");
}

TEST_F(Surrender, AStageOutsideTheTableGivesNoHintNoPauseButStillCountsAndEnds) {
    startGame();
    closeMainWindow(3);
    state().Stage = 15;
    const int64_t before = host.nowMs();
    confirmSurrender();
    expectFarewell("1");
    choose(form1().Kousan);
    EXPECT_EQ(host.boxes.back().atMs, before);
    EXPECT_EQ(form1().caption(), "もちたま");
    EXPECT_TRUE(host.ended());
    EXPECT_EQ(readIni(), WithKeyLine(DefaultRecordText(), "Kousan", "Kaisu=1"));
}

TEST_F(Surrender, TheLargestCountStaysTheLargest) {
    writeIni(RecordText("2147483647", "0", "9999"));
    startGame();
    closeMainWindow(3);
    confirmSurrender();
    expectFarewell("2147483647");
    click(form1().Command2);
    EXPECT_EQ(readIni(), WithKeyLine(RecordText("2147483647", "0", "9999"), "Kousan", "Kaisu=2147483647"));
}

TEST_F(Surrender, ANegativeCountIsShownWithItsSign) {
    writeIni(RecordText("-3", "0", "9999"));
    startGame();
    closeMainWindow(3);
    confirmSurrender();
    expectFarewell("-2");
    click(form1().Command2);
}

TEST_F(Surrender, WhileTheExitButtonWrigglesItIsAHitAndTheNextSurrenderIsReal) {
    startGame();
    closeMainWindow(3);
    state().Mozomozo = true;
    confirmSurrender();
    box("HIT!", "ぐはぁっ", MsgIcon::Exclamation);
    choose(form1().Kousan);
    EXPECT_FALSE(host.ended());
    EXPECT_EQ(form1().backColor(), 0x0058700Bu);
    EXPECT_TRUE(state().ButtonHit);
    EXPECT_EQ(state().Stage, 32);
    EXPECT_EQ(state().KousanCount, 0);
    EXPECT_EQ(readIni(), DefaultRecordText());
    // Still wriggling, but already hit: an ordinary surrender with the stage-32 hint.
    confirmSurrender();
    expectFarewell("1");
    choose(form1().Kousan);
    EXPECT_TRUE(changedTo(form1().Label1, platform::Property::Caption, "ダメージを与えた後は"));
    EXPECT_TRUE(host.ended());
}

TEST_F(Surrender, AMissingRecordFileIsToldInsteadOfTheSave) {
    startGame();
    closeMainWindow(3);
    std::filesystem::remove(iniPath());
    confirmSurrender();
    expectFarewell("1");
    box(".INI Don't Exist", "INIファイルが無くなっています\r\n実行を中断します", MsgIcon::Critical);
    click(form1().Command2);
    EXPECT_TRUE(host.ended());
    EXPECT_TRUE(state().IniMissing);
    EXPECT_FALSE(std::filesystem::exists(iniPath()));
}

TEST_F(Surrender, AReadOnlyRecordFileIsToldAndLeftAlone) {
    startGame();
    closeMainWindow(3);
    std::filesystem::permissions(iniPath(), std::filesystem::perms::owner_read);
    confirmSurrender();
    expectFarewell("1");
    box(".INI Write Error", "記録を保存できませんでした\r\n" + iniPath().string() + "\r\nファイルが読み取り専用です",
        MsgIcon::Critical);
    click(form1().Command2);
    EXPECT_TRUE(host.ended());
    EXPECT_EQ(readIni(), DefaultRecordText());
}

TEST(StageHints, OnlyTheSixStagesHaveOne) {
    for (int16_t stage : {10, 11, 12, 20, 31, 32}) EXPECT_TRUE(game::HintForStage(stage).has_value()) << stage;
    for (int16_t stage : {0, 9, 13, 21, 30, 33, -1}) EXPECT_FALSE(game::HintForStage(stage).has_value()) << stage;
}

}  // namespace
}  // namespace script
