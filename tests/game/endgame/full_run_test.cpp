// Complete games from Main to the end of the program, every box in order.
#include "support/game_script.h"

namespace script {
namespace {

class FullRun : public GameScript {
protected:
    // Everything after the opening question, up to the final prompt; the
    // finishing click at `finishAtMs` of the virtual clock when given.
    void playToTheFinalPrompt(int64_t finishAtMs = -1) {
        playToTheDefeat();
        if (finishAtMs >= 0) wait(finishAtMs - host.nowMs());
        finishAndCongratulate();
        awaitFinalPrompt();
    }
    void lastClick() {
        const std::size_t boxes = host.boxes.size();
        click(form1().Command1);
        EXPECT_TRUE(host.ended());
        EXPECT_FALSE(form1().loaded());
        EXPECT_EQ(host.boxes.size(), boxes);  // the results end without a box
    }
    // Every box of a run, in order.
    static std::vector<std::string> AllBoxes(const std::string& startTitle, const std::string& finishTitle) {
        return {"Welcome to もちたま", startTitle, "だめだめ", "だめだめ", "だめだめ", "だめだめ", "だめだめ", "だめだめ",
                "だめだめ", "ををっ！", "をををっ！", "Like A Prayer", "あっ！", "発見！", "問題", "解読結果", "解読結果",
                "謎解き", "あっ！", "だめだめ", "でもねぇ", "うひひ", "はぁと", "退散なり～", "敵は怯んでいる", "降参？",
                "HIT!", "倒したぞ！", finishTitle, "最後だよ"};
    }
    static std::string Cleared(const std::string& file) {
        return WithKeyLine(WithKeyLine(file, "Kousan", "Kaisu=0"), "Tyutai", "Kaisu=0");
    }
};

TEST_F(FullRun, NormalModeFromMainToTheEnd) {
    startGame();
    playToTheFinalPrompt();
    lastClick();
    EXPECT_EQ(boxTitles(), AllBoxes("Welcome to もちたま", "おめでとう"));
    EXPECT_TRUE(changedTo(form1().Label2, platform::Property::Caption, "0 回でした"));
    EXPECT_TRUE(changedTo(form1().Label2, platform::Property::Caption, "神"));
    EXPECT_FALSE(changedTo(form1().Label1, platform::Property::Caption, "クリア所要時間は"));
    EXPECT_EQ(readIni(), Cleared(DefaultRecordText()));
}

TEST_F(FullRun, TimeAttackFromMainToTheEndSetsANewRecord) {
    host.setStartOfDay(10 * 3600);
    startGame(true);
    const int64_t started = host.nowMs();
    EXPECT_EQ(state().StartTime, host.TimeOfDay());
    // The finishing click 83.5 s after the start; its pauses do not count.
    playToTheFinalPrompt(started + 83500);
    lastClick();
    EXPECT_EQ(boxTitles(), AllBoxes("もちたま TIME ATTACK", "もちたま TIME ATTACK"));
    EXPECT_TRUE(changedTo(form1().Label2, platform::Property::Caption, "83.5 秒"));
    EXPECT_TRUE(changedTo(form1().Label2, platform::Property::Caption, "9999 秒 → 83.5 秒"));
    EXPECT_EQ(readIni(), WithKeyLine(Cleared(DefaultRecordText()), "Time", "1st=83.5"));
}

TEST_F(FullRun, CountsOfEarlierRunsRateThePlayerAndAreClearedAtTheEnd) {
    const std::string file = RecordText("5", "1", "9999");
    writeIni(file);
    startGame();
    playToTheFinalPrompt();
    lastClick();
    EXPECT_EQ(boxTitles(), AllBoxes("Welcome to もちたま", "おめでとう"));
    EXPECT_TRUE(changedTo(form1().Label2, platform::Property::Caption, "5 回でした"));
    EXPECT_TRUE(changedTo(form1().Label2, platform::Property::Caption, "臆病者なゲーマー"));
    EXPECT_EQ(readIni(), Cleared(file));
}

}  // namespace
}  // namespace script
