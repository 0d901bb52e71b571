// The record file taken away or made read-only at each of the five moments
// the game saves: the player is told, nothing stray is left, and a refused
// save leaves the file as it was.
#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "reliability/rename_hook.h"
#include "support/game_script.h"

namespace script {
namespace {

namespace fs = std::filesystem;

enum class Moment { QuitAtTheQuestion, Surrender, NewBestTime, FirstReset, SecondReset };
enum class Fault { Deleted, ReadOnly };

const char* Name(Moment m) {
    switch (m) {
        case Moment::QuitAtTheQuestion: return "QuitAtTheQuestion";
        case Moment::Surrender: return "Surrender";
        case Moment::NewBestTime: return "NewBestTime";
        case Moment::FirstReset: return "FirstReset";
        case Moment::SecondReset: return "SecondReset";
    }
    return "?";
}

const char* Name(Fault f) { return f == Fault::Deleted ? "Deleted" : "ReadOnly"; }

// Test names and failures say which moment and fault, not their bytes.
void PrintTo(Moment m, std::ostream* out) { *out << Name(m); }
void PrintTo(Fault f, std::ostream* out) { *out << Name(f); }

// Five surrenders and one quit so far, no best time: every save changes the file.
const std::string kFound = RecordText("5", "1", "9999");

struct Counts {
    int32_t kousan, tyutai;
};

class RecordFault : public GameScript, public ::testing::WithParamInterface<std::tuple<Moment, Fault>> {
protected:
    Moment moment() const { return std::get<0>(GetParam()); }
    Fault fault() const { return std::get<1>(GetParam()); }

    void TearDown() override {
        reliability::ClearRenameHook();
        std::error_code ignored;
        fs::permissions(iniPath(), fs::perms::owner_write, fs::perm_options::add, ignored);
        GameScript::TearDown();
    }

    void playToTheSave() {
        switch (moment()) {
            case Moment::QuitAtTheQuestion:
                toOpeningQuestion();
                break;
            case Moment::Surrender:
                startGame();
                closeMainWindow(3);
                break;
            case Moment::NewBestTime:
            case Moment::FirstReset:
            case Moment::SecondReset:
                startGame(moment() == Moment::NewBestTime);
                playToTheDefeat();
                finishAndCongratulate();
                awaitFinalPrompt();
                break;
        }
    }

    // The boxes of the step itself, before it saves.
    void expectTheStepsOwnBoxes() {
        if (moment() == Moment::QuitAtTheQuestion) box("Welcome to もちたま", "あ・・・そう？根性なしねぇ。じゃぁね。");
        if (moment() == Moment::Surrender) {
            confirmSurrender();
            box("仕方ないなぁ", "ただいまの降参回数は 6 回です。\r\n次回は頑張ってね。じゃぁ。ぶちっ", MsgIcon::Information);
        }
    }

    void save() {
        switch (moment()) {
            case Moment::QuitAtTheQuestion: click(form1().Command4); break;
            case Moment::Surrender: click(form1().Command2); break;
            default: click(form1().Command1); break;
        }
    }

    // Saves of the same step that come before the one under test.
    int savesBefore() const { return moment() == Moment::SecondReset ? 1 : 0; }

    void injectFault() {
        if (fault() == Fault::Deleted)
            fs::remove(iniPath());
        else
            fs::permissions(iniPath(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }

    // The counts in memory when the program stops after the save under test.
    Counts countsAtTheFailedSave() const {
        switch (moment()) {
            case Moment::QuitAtTheQuestion: return {5, 2};
            case Moment::Surrender: return {6, 1};
            case Moment::NewBestTime: return {5, 1};
            case Moment::FirstReset: return {0, 1};
            case Moment::SecondReset: return {0, 0};
        }
        return {-1, -1};
    }

    // Saves refused by a read-only file, from the one under test to the end.
    int refusedSaves() const { return moment() == Moment::NewBestTime ? 3 : moment() == Moment::FirstReset ? 2 : 1; }

    std::vector<std::string> filesInDir() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
        return names;
    }

    std::string writeErrorPrompt() const {
        return "記録を保存できませんでした\r\n" + iniPath().string() + "\r\nファイルが読み取り専用です";
    }
};

TEST_P(RecordFault, IsToldAndLeavesNothingStray) {
    writeIni(kFound);
    playToTheSave();
    ASSERT_FALSE(host.ended());
    const std::size_t boxesBefore = host.boxes.size();

    if (savesBefore() == 0)
        injectFault();
    else
        reliability::AfterRename(savesBefore(), [this] { injectFault(); });
    expectTheStepsOwnBoxes();
    if (fault() == Fault::Deleted) {
        box(".INI Don't Exist", "INIファイルが無くなっています\r\n実行を中断します", MsgIcon::Critical);
    } else {
        for (int i = 0; i < refusedSaves(); ++i) box(".INI Write Error", writeErrorPrompt(), MsgIcon::Critical);
    }
    save();
    EXPECT_FALSE(reliability::ClearRenameHook()) << "the fault was never injected";

    EXPECT_TRUE(host.ended());
    if (fault() == Fault::Deleted) {
        EXPECT_TRUE(state().IniMissing);
        EXPECT_FALSE(form1().loaded());
        EXPECT_EQ(state().KousanCount, countsAtTheFailedSave().kousan);
        EXPECT_EQ(state().TyutaiCount, countsAtTheFailedSave().tyutai);
        if (moment() == Moment::NewBestTime) {
            EXPECT_LT(state().BestTime, 9999.0f);
        }
        // Not recreated, and no temporary file or fallback directory either.
        EXPECT_EQ(filesInDir(), std::vector<std::string>{});
    } else {
        EXPECT_FALSE(state().IniMissing);
        const std::string expected =
            moment() == Moment::SecondReset ? WithKeyLine(kFound, "Kousan", "Kaisu=0") : kFound;
        EXPECT_EQ(readIni(), expected);
        EXPECT_EQ(filesInDir(), std::vector<std::string>{"MT.INI"});
        EXPECT_EQ(fs::status(iniPath()).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        if (moment() != Moment::QuitAtTheQuestion && moment() != Moment::Surrender) {
            // The results went on after the boxes: the last letter flashed.
            const auto& events = host.events;
            const auto lastBox = std::find_if(events.rbegin(), events.rend(), [](const headless::Event& e) {
                return e.kind == headless::Event::Kind::BoxShown && e.value.rfind("[.INI Write Error]", 0) == 0;
            });
            ASSERT_NE(lastBox, events.rend());
            EXPECT_NE(std::find_if(events.rbegin(), lastBox,
                                   [&](const headless::Event& e) {
                                       return e.changes(form1().Label5, platform::Property::Visible) && e.value == "1";
                                   }),
                      lastBox);
        }
    }
    // Every box after the step began came from the step itself or the fault.
    EXPECT_EQ(host.boxes.size() - boxesBefore,
              (moment() == Moment::Surrender ? 2u : moment() == Moment::QuitAtTheQuestion ? 1u : 0u) +
                  (fault() == Fault::Deleted ? 1u : static_cast<std::size_t>(refusedSaves())));
}

INSTANTIATE_TEST_SUITE_P(FiveSaves, RecordFault,
                         ::testing::Combine(::testing::Values(Moment::QuitAtTheQuestion, Moment::Surrender,
                                                              Moment::NewBestTime, Moment::FirstReset,
                                                              Moment::SecondReset),
                                            ::testing::Values(Fault::Deleted, Fault::ReadOnly)),
                         [](const auto& info) {
                             return std::string(Name(std::get<0>(info.param))) + "_" + Name(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace script
