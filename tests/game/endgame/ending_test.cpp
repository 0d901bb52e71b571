// The player's level, the measured time, and the results that end the game.
#include <algorithm>
#include <cstdio>
#include <ostream>

#include "endgame/ending.h"
#include "support/game_script.h"

namespace script {
namespace {

TEST(EndingLevel, PrefixByQuitsAndRankBySurrendersAtEveryBound) {
    struct Case {
        int32_t tyutai, kousan;
        const char* level;
    };
    const Case cases[] = {
        {0, 0, "神"}, {0, 3, "神"}, {0, 4, "ゲーマー"}, {0, 6, "ゲーマー"}, {0, 7, "一般人"}, {0, 11, "一般人"},
        {0, 12, "サル"}, {0, 20, "サル"}, {0, 21, "ミジンコ以下"}, {0, -1, "ミジンコ以下"},
        {0, INT32_MIN, "ミジンコ以下"}, {0, INT32_MAX, "ミジンコ以下"}, {1, 0, "臆病者な神"}, {2, 0, "根性なしの神"},
        {-1, 0, "根性なしの神"}, {INT32_MAX, 0, "根性なしの神"}, {1, 5, "臆病者なゲーマー"},
        {2, 15, "根性なしのサル"}, {0, 25, "ミジンコ以下"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(game::LevelText(c.tyutai, c.kousan), c.level) << c.tyutai << " quits, " << c.kousan << " surrenders";
}

TEST(EndingTimeText, SecondsUpToAnHourAndAPhraseBeyond) {
    struct Case {
        float seconds;
        const char* text;
    };
    for (const Case c : {Case{3600.0f, "3600 秒"}, Case{3600.01f, "１時間以上かかってます"}, Case{83.5f, "83.5 秒"},
                         Case{0.5f, "0.5 秒"}, Case{0.0f, "0 秒"}, Case{123.46f, "123.46 秒"},
                         Case{86399.0f, "１時間以上かかってます"}})
        EXPECT_EQ(game::TimeText(c.seconds), c.text) << c.seconds;
}

TEST(EndingRunTime, TheDistanceBetweenTheReadingsRoundedToHundredths) {
    struct Case {
        float start, end, expected;
    };
    // Across midnight (86399.5 to 0.5) the readings are 86399 s apart, as written.
    const Case cases[] = {{100.0f, 183.5f, 83.5f},    {183.5f, 100.0f, 83.5f}, {86399.5f, 0.5f, 86399.0f},
                          {0.5f, 86399.5f, 86399.0f}, {0.0f, 10.004f, 10.0f},  {0.0f, 10.006f, 10.01f},
                          {0.0f, 83.456f, 83.46f},    {42.0f, 42.0f, 0.0f}};
    for (const Case& c : cases) EXPECT_EQ(game::RunTime(c.start, c.end), c.expected) << c.start << " to " << c.end;
}

std::string Hex(platform::Color c) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(c));
    return text;
}

const std::string kCyan = "00FFFF00", kBlue = "00FF0000";

// What one results screen shows when its pause begins.
struct Screen {
    std::string caption, line1, line1Color, line2, line2Color;
    std::string background = "000000FF";  // red until the letters
    bool operator==(const Screen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Screen& s) {
    return out << "{" << s.caption << " | " << s.line1 << " (" << s.line1Color << ") | " << s.line2 << " ("
               << s.line2Color << ") on " << s.background << "}";
}

// The screens every finished game shows first.
std::vector<Screen> FirstFourScreens(const std::string& surrenders, const std::string& level) {
    return {
        {"んん？", "むひひ。これで終わると", kCyan, "思ってたのぉ～？くっくっく", kCyan},
        {"なんちて", "そんなにネタ盛り込むと", kCyan, "ネタ切れるからおしまいっ！", kCyan},
        {"結果発表", "ちなみに降参した回数は", kCyan, surrenders + " 回でした", kCyan},
        {"結果発表", "あなたのレベルは", kCyan, level, kBlue},
    };
}

class EndingResults : public GameScript {
protected:
    void toCongratulation(bool timeAttack) {
        startGame(timeAttack);
        playToTheDefeat();
        finishAndCongratulate();
    }
    void toFinalPrompt(bool timeAttack) {
        toCongratulation(timeAttack);
        awaitFinalPrompt();
    }
    // A run timed from `start` to `end` on the clock, to the final prompt.
    void toFinalPromptTimed(float start, float end) {
        startGame(true);
        playToTheDefeat();
        state().StartTime = start;
        // The finishing click reads the clock before anything else.
        host.setStartOfDay(86400.0 + end - static_cast<double>(host.nowMs()) / 1000.0);
        finishAndCongratulate();
        awaitFinalPrompt();
    }
    // The last click on the Exit button; the results run to the end.
    void showResults() {
        game::Form1& f = form1();
        shown_ = {f.caption(),      f.Label1.caption(),         Hex(f.Label1.foreColor()),
                  f.Label2.caption(), Hex(f.Label2.foreColor()), Hex(f.backColor())};
        boxesBefore_ = host.boxes.size();
        from_ = host.events().size();
        click(f.Command1);
    }
    // The screens as they stood at each 3000 ms pause, from the changes made.
    std::vector<Screen> screens() {
        using platform::Property;
        const game::Form1& f = form1();
        const std::pair<const platform::Object*, Property> fields[] = {
            {&f, Property::Caption},          {&f.Label1, Property::Caption}, {&f.Label1, Property::ForeColor},
            {&f.Label2, Property::Caption},   {&f.Label2, Property::ForeColor}, {&f, Property::BackColor}};
        std::vector<Screen> result;
        Screen now = shown_;
        std::string* slots[] = {&now.caption, &now.line1, &now.line1Color, &now.line2, &now.line2Color, &now.background};
        for (std::size_t i = from_; i < host.events().size(); ++i) {
            const headless::Event& e = host.events()[i];
            for (std::size_t k = 0; k < std::size(fields); ++k)
                if (e.changes(*fields[k].first, fields[k].second)) *slots[k] = headless::valueText(e.value);
            if (isScreenPause(e)) {
                EXPECT_EQ(host.events()[i - 1].kind, headless::Event::Kind::Refreshed)
                    << "screen " << result.size() + 1 << " not painted";
                result.push_back(now);
            }
        }
        return result;
    }
    // Everything after the last screen's pause.
    std::size_t afterTheScreens() const {
        std::size_t last = from_;
        for (std::size_t i = from_; i < host.events().size(); ++i)
            if (isScreenPause(host.events()[i])) last = i + 1;
        return last;
    }
    std::size_t indexOf(const Expected& event) const { return IndexOf(host.events(), from_, event); }
    static bool isScreenPause(const headless::Event& e) {
        return e.kind == headless::Event::Kind::Slept && e.milliseconds == 3000;
    }
    std::size_t boxesBefore_ = 0;

private:
    Screen shown_;
    std::size_t from_ = 0;
};

TEST_F(EndingResults, TheCongratulationTurnsTheWindowRedAndShutsTheOtherCommands) {
    toCongratulation(false);
    game::Form1& f = form1();
    EXPECT_TRUE(state().Congratulated);
    EXPECT_EQ(f.backColor(), 0x000000FFu);
    EXPECT_EQ(f.caption(), "こんぐらちゅれーしょんず！");
    for (auto [label, text] : {std::pair{&f.Label1, "おめでとうございますっ！"},
                               std::pair{&f.Label2, "というか、お疲れ様でした(？)"}}) {
        EXPECT_TRUE(label->visible());
        EXPECT_EQ(label->font().size, 16.0f);
        EXPECT_EQ(label->backColor(), 0x000000FFu);
        EXPECT_EQ(label->foreColor(), 0x00FF0000u);
        EXPECT_EQ(label->caption(), text);
    }
    for (platform::Menu* menu : {&f.Hint, &f.Kousan, &f.Space, &f.Space2, &f.Nazocom})
        EXPECT_FALSE(menu->enabled()) << menu->name();
    EXPECT_FALSE(f.Command2.enabled());
    EXPECT_FALSE(f.Command1.enabled());
}

TEST_F(EndingResults, NormalModeShowsFourScreensResetsTheCountsFlashesTheLettersAndEndsWithoutABox) {
    const std::string file = RecordText("3", "0", "9999");
    writeIni(file);
    toFinalPrompt(false);
    showResults();
    EXPECT_EQ(screens(), FirstFourScreens("3", "神"));
    // The Exit button is gone from the first screen on.
    game::Form1& f = form1();
    EXPECT_LT(indexOf(hidden(f.Command1)), indexOf(slept(3000)));
    // Each letter alone for 300 ms, then 300 ms of empty screen.
    std::vector<Expected> flash = {hidden(f.Command1),
                                   set(f, platform::Property::BackColor, headless::ColorValue{0x00808000}),
                                   didEvents(),
                                   hidden(f.Label1),
                                   hidden(f.Label2),
                                   refreshed(f),
                                   slept(300)};
    for (const platform::Label* letter : {&f.Label3, &f.Label4, &f.Label5})
        for (const bool visible : {true, false})
            flash.insert(flash.end(), {set(*letter, platform::Property::Visible, visible), refreshed(f), slept(300)});
    flash.insert(flash.end(), {refreshed(f), unloaded(f), ended()});
    EXPECT_TRUE(EventsAre(host.events(), afterTheScreens(), flash));
    EXPECT_EQ(readIni(), WithKeyLine(WithKeyLine(file, "Kousan", "Kaisu=0"), "Tyutai", "Kaisu=0"));
    EXPECT_TRUE(state().ResultShown);
    EXPECT_EQ(host.boxes.size(), boxesBefore_);
    EXPECT_TRUE(host.ended());
    EXPECT_FALSE(form1().loaded());
}

// The results take twelve seconds or more; whatever ends the program during
// them (a logout, a kill, the display going away) once lost the won game.
TEST_F(EndingResults, TheWonGameIsSavedAtTheFinishingClickBeforeAnyResultsScreen) {
    const std::string file = RecordText("3", "2", "9999");
    writeIni(file);
    toFinalPromptTimed(100.0f, 183.5f);
    EXPECT_EQ(readIni(),
              WithKeyLine(WithKeyLine(WithKeyLine(file, "Kousan", "Kaisu=0"), "Tyutai", "Kaisu=0"), "Time", "1st=83.5"));
    // The screens still show what the file held when the game was won.
    showResults();
    EXPECT_EQ(screens()[2].line2, "3 回でした");
    EXPECT_EQ(screens()[5].line2, "9999 秒 → 83.5 秒");
}

// Time-attack results against a stored best time.
struct TimeCase {
    const char* name;
    const char* best;        // in the record file
    float start, end;        // clock readings of the run
    const char* timeText;    // screen 5
    const char* recordText;  // screen 6, or nullptr: no new record
    const char* stored;      // the [Time] line afterwards, or nullptr: untouched
};

void PrintTo(const TimeCase& c, std::ostream* out) { *out << c.name; }

class EndingTimeAttack : public EndingResults, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(EndingTimeAttack, ShowsTheTimeAndOnlyAStrictlyFasterOneIsANewRecord) {
    const TimeCase& c = GetParam();
    const std::string file = RecordText("2", "1", c.best);
    writeIni(file);
    toFinalPromptTimed(c.start, c.end);
    showResults();

    std::vector<Screen> expected = FirstFourScreens("2", "臆病者な神");
    expected.push_back({"結果発表", "クリア所要時間は", kCyan, c.timeText, kBlue});
    if (c.recordText != nullptr) expected.push_back({"結果発表", "記録更新！", kCyan, c.recordText, kBlue});
    EXPECT_EQ(screens(), expected);

    std::string after = WithKeyLine(WithKeyLine(file, "Kousan", "Kaisu=0"), "Tyutai", "Kaisu=0");
    if (c.stored != nullptr) after = WithKeyLine(after, "Time", std::string("1st=") + c.stored);
    EXPECT_EQ(readIni(), after);
    EXPECT_TRUE(host.ended());
}

INSTANTIATE_TEST_SUITE_P(
    Ending, EndingTimeAttack,
    ::testing::Values(
        TimeCase{"FasterThanANewFile", "9999", 100.0f, 183.5f, "83.5 秒", "9999 秒 → 83.5 秒", "83.5"},
        TimeCase{"EqualIsNoRecord", "83.5", 100.0f, 183.5f, "83.5 秒", nullptr, nullptr},
        TimeCase{"SlowerIsNoRecord", "83.49", 100.0f, 183.5f, "83.5 秒", nullptr, nullptr},
        TimeCase{"AHundredthFaster", "83.51", 100.0f, 183.5f, "83.5 秒", "83.51 秒 → 83.5 秒", "83.5"},
        TimeCase{"ExactlyAnHour", "9999", 0.0f, 3600.0f, "3600 秒", "9999 秒 → 3600 秒", "3600"},
        TimeCase{"JustOverAnHour", "9999", 0.0f, 3600.01f, "１時間以上かかってます",
                 "9999 秒 → １時間以上かかってます", "3600.01"},
        // 86399 s: the distance between the readings, slower than 9999.
        TimeCase{"AcrossMidnight", "9999", 86399.5f, 0.5f, "１時間以上かかってます", nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace script
