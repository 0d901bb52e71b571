// The Exit-button chase: remarks, lock, escapes, wriggles, the hit, the
// defeat, the finishing click and the final prompt.
#include <algorithm>
#include <initializer_list>

#include "support/game_script.h"

namespace script {
namespace {

constexpr platform::Color kGreen = 0x00039C38, kPurple = 0x00BC0C6F, kBlack = 0x00000000, kRed = 0x000000FF;

// Rnd values whose whole part of ×10 is each digit; four digits per coordinate.
void ScriptDigits(headless::HeadlessServices& host, std::initializer_list<int> digits) {
    for (int d : digits) host.scriptedRandom.push_back((static_cast<float>(d) + 0.5f) / 10.0f);
}

class Chase : public GameScript {
protected:
    // A fresh game up to the enabled Exit button after the cipher.
    void toChase(bool timeAttack = false) {
        startGame(timeAttack);
        revealNazocom();
        pray();
        nextStep();
        solveCipher();
    }
    void toCongratulation() {
        toChase();
        chaseUntilWriggle();
        hitAndDefeat();
        finishAndCongratulate();
    }
    bool exitAt(float left, float top) { return form1().Command1.left() == left && form1().Command1.top() == top; }
    bool exitAtHome() { return exitAt(3840, 2760); }
    // The first change of the object's property at or after event `from`.
    std::size_t changeIndex(std::size_t from, const platform::Object& object, platform::Property property) const {
        for (std::size_t i = from; i < host.events().size(); ++i)
            if (host.events()[i].changes(object, property)) return i;
        return host.events().size();
    }
};

TEST_F(Chase, FirstFiveClicksRemarkLockForNTimes100Minus1MsAndOnlyTheFifthMoves) {
    struct Click {
        const char *title, *prompt;
        int32_t lock;
    };
    const Click clicks[] = {
        {"だめだめ", "基本だね、確かに。でもだめよ", 99}, {"でもねぇ", "いいところに気が付いた？", 199},
        {"うひひ", "２度ある事は３度ある？", 299},      {"はぁと", "んもう。しつこいんだからぁ", 399},
        {"退散なり～", "逃げるべし～", 499},
    };
    toChase();
    game::Form1& f = form1();
    int n = 0;
    for (const Click& c : clicks) {
        SCOPED_TRACE(++n);
        if (n == 5) ScriptDigits(host, {1, 0, 0, 0, 2, 0, 0, 0});
        // The box stays open a while: the lock counts from its dismissal.
        host.expectBox({c.title, c.prompt, MsgIcon::Exclamation, platform::MsgButtons::Ok, MsgResult::Ok, 250,
                        [this] { EXPECT_TRUE(exitAtHome()); }});
        click(f.Command1);
        EXPECT_EQ(state().ExitClickCount, n);
        EXPECT_FALSE(state().Mozomozo);
        if (n < 5) EXPECT_TRUE(exitAtHome());
        else EXPECT_TRUE(exitAt(2000, 1000));
        EXPECT_EQ(f.Timer1.interval(), c.lock);
        wait(c.lock - 1);
        EXPECT_FALSE(f.Command1.enabled());
        wait(1);
        EXPECT_TRUE(f.Command1.enabled());
        EXPECT_FALSE(f.Timer1.enabled());
        EXPECT_EQ(f.Timer1.interval(), 0);
    }
    EXPECT_EQ(host.randomizeCalls, 1);
}

TEST_F(Chase, TheLockHoldsAtTheLargestTimerIntervalFromThe656thClick) {
    struct Case {
        int32_t before, interval;
    };
    toChase();
    for (const Case c : {Case{654, 65499}, Case{655, 65535}, Case{999, 65535}}) {
        SCOPED_TRACE(c.before);
        state().ExitClickCount = c.before;
        // None of these click numbers is a multiple of 3, so no box.
        click(form1().Command1);
        EXPECT_EQ(state().ExitClickCount, c.before + 1);
        EXPECT_EQ(form1().Timer1.interval(), c.interval);
        wait(c.interval - 1);
        EXPECT_FALSE(form1().Command1.enabled());
        wait(1);
        EXPECT_TRUE(form1().Command1.enabled());
    }
}

TEST_F(Chase, FromTheSixthClickEveryThirdWrigglesAndTheOthersEscapeOnGreen) {
    struct Case {
        int n;
        bool wriggles;
        platform::Color background;
    };
    toChase();
    for (int i = 0; i < 5; ++i) chaseClick();
    for (const Case c : {Case{6, true, kPurple}, Case{7, false, kGreen}, Case{8, false, kGreen},
                         Case{9, true, kPurple}}) {
        SCOPED_TRACE(c.n);
        // A place of its own for each click: Top 1n00, Left 2n00.
        ScriptDigits(host, {1, c.n, 0, 0, 2, c.n, 0, 0});
        const auto top = static_cast<float>(1000 + c.n * 100), left = static_cast<float>(2000 + c.n * 100);
        if (c.wriggles)
            boxThen("敵は怯んでいる", "もぞもぞ", MsgIcon::None, [&] {
                EXPECT_EQ(form1().backColor(), kPurple);
                EXPECT_TRUE(exitAt(left, top));
                EXPECT_FALSE(state().Mozomozo);
            });
        const std::size_t from = host.events().size();
        click(form1().Command1);
        EXPECT_EQ(form1().backColor(), c.background);
        EXPECT_TRUE(exitAt(left, top));
        EXPECT_EQ(state().Mozomozo, c.wriggles);
        const std::size_t colour = changeIndex(from, form1(), platform::Property::BackColor);
        const std::size_t moved = changeIndex(from, form1().Command1, platform::Property::Geometry);
        // A wriggle moves first and colours after; an escape colours first.
        if (c.wriggles) EXPECT_LT(moved, colour);
        else EXPECT_LT(colour, moved);
        wait(c.n * 100 - 1);
    }
}

TEST_F(Chase, FileExitWithoutAHitIsACountedCloseAndAChaseClickUndoesAHit) {
    auto refusedClose = [this](int32_t count) {
        box("だめだめ", "[閉じる]？出来るかっちゅーの", MsgIcon::Exclamation);
        choose(form1().Exit);
        EXPECT_EQ(state().CloseCount, count);
        EXPECT_FALSE(state().ButtonDown);
        EXPECT_NE(form1().backColor(), kBlack);
    };
    toChase();
    refusedClose(8);
    chaseUntilWriggle();
    refusedClose(9);  // wriggling is not enough
    confirmSurrender();
    box("HIT!", "ぐはぁっ", MsgIcon::Exclamation);
    choose(form1().Kousan);
    EXPECT_TRUE(state().ButtonHit);
    EXPECT_EQ(state().Stage, 32);

    chaseClick();  // the 7th: no wriggle, and the hit is gone
    EXPECT_FALSE(state().ButtonHit);
    EXPECT_FALSE(state().Mozomozo);
    refusedClose(10);

    chaseUntilWriggle();  // the 9th
    EXPECT_EQ(state().ExitClickCount, 9);
    hitAndDefeat();
    EXPECT_TRUE(state().ButtonDown);
    EXPECT_EQ(readIni(), DefaultRecordText());  // no surrender was counted
}

TEST_F(Chase, FileExitAfterAHitDefeatsTheButtonWithoutTouchingItAndAgainRepeatsTheDefeat) {
    toChase();
    chaseUntilWriggle();
    confirmSurrender();
    box("HIT!", "ぐはぁっ", MsgIcon::Exclamation);
    choose(form1().Kousan);
    game::Form1& f = form1();
    const float left = f.Command1.left(), top = f.Command1.top();
    const bool enabled = f.Command1.enabled();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        boxThen("倒したぞ！", "ぐああああああっ", MsgIcon::Exclamation, [&] {
            EXPECT_EQ(f.backColor(), kBlack);
            EXPECT_EQ(state().ButtonDown, round == 2);
        });
        choose(f.Exit);
        EXPECT_TRUE(state().ButtonDown);
        EXPECT_TRUE(exitAt(left, top));
        EXPECT_EQ(f.Command1.enabled(), enabled);
        EXPECT_EQ(std::count_if(host.events().begin(), host.events().end(),
                                [&](const headless::Event& e) {
                                    return e.changesTo(f, platform::Property::BackColor, headless::ColorValue{kBlack});
                                }),
                  round);
    }
    EXPECT_EQ(state().CloseCount, 7);
}

// The same finishing click in both modes: only the pause and the box differ.
class ChaseFinish : public Chase, public ::testing::WithParamInterface<bool> {};

TEST_P(ChaseFinish, TheFinishingClickGoesHomeLocksAndStopsTheClockBeforeItsPause) {
    const bool timeAttack = GetParam();
    host.setStartOfDay(1000);
    toChase(timeAttack);
    // Clicks 5 and 6 send the button to 1000, 1000.
    ScriptDigits(host, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});
    chaseUntilWriggle();
    hitAndDefeat();
    ASSERT_TRUE(exitAt(1000, 1000));
    const int32_t clicks = state().ExitClickCount;
    const int64_t clickMs = host.nowMs();
    const float clickTime = host.TimeOfDay();
    const int64_t pause = timeAttack ? 2000 : 1000;
    auto whileOpen = [&] {  // the box comes after the pause
        EXPECT_EQ(host.nowMs(), clickMs + pause);
        EXPECT_TRUE(exitAtHome());
        EXPECT_FALSE(form1().Command1.enabled());
        EXPECT_FALSE(state().Congratulated);
    };
    if (timeAttack) boxThen("もちたま TIME ATTACK", "タイムアタック終了", MsgIcon::Information, whileOpen);
    else boxThen("おめでとう", "仕方ない。今回はこれで許してやるとしよう", MsgIcon::Information, whileOpen);
    click(form1().Command1);
    EXPECT_EQ(state().EndTime, clickTime);
    EXPECT_EQ(state().ExitClickCount, clicks);
    EXPECT_TRUE(state().Congratulated);
    EXPECT_EQ(form1().backColor(), kRed);
}

INSTANTIATE_TEST_SUITE_P(Chase, ChaseFinish, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "TimeAttack" : "Normal"; });

TEST_F(Chase, AfterTheCongratulationFileExitIsAJokeAndThreeSecondsLaterTheFinalPromptComesOnce) {
    toCongratulation();
    const int64_t congratulated = host.nowMs();
    const int32_t closes = state().CloseCount;
    auto farewell = [this, closes] {
        box("それでわん", "それじゃぁ、またね(^^)/~~~", MsgIcon::None);
        box("をいをい(^^;", "ていうか、そこは終了ボタンじゃないでしょ！(汗)", MsgIcon::Exclamation);
        choose(form1().Exit);
        EXPECT_EQ(state().CloseCount, closes);
        EXPECT_TRUE(form1().visible());
        EXPECT_EQ(form1().backColor(), kRed);  // not a second defeat
    };
    farewell();
    wait(2999);
    EXPECT_FALSE(form1().Command1.enabled());
    boxThen("最後だよ", "それじゃぁ。『終了』ボタンを押すべし！", MsgIcon::Information, [&] {
        EXPECT_EQ(host.nowMs(), congratulated + 3000);
        EXPECT_FALSE(form1().Command1.enabled());
    });
    wait(1);
    EXPECT_TRUE(form1().Command1.enabled());
    const std::size_t boxes = host.boxes.size();
    wait(60000);
    EXPECT_EQ(host.boxes.size(), boxes);  // once only
    farewell();
}

}  // namespace
}  // namespace script
