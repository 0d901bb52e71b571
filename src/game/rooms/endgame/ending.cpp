// The congratulation and the results of a finished game.
#include "endgame/ending.h"

#include <cmath>

#include "platform/number_text.h"
#include "screens/main/form1.h"
#include "hub/game.h"
#include "hub/records.h"

namespace game {

namespace {

constexpr uint32_t kScreenPause = 3000;
constexpr uint32_t kLetterPause = 300;
constexpr float kOneHour = 3600.0f;

const char* LevelPrefix(int32_t tyutaiCount) {
    if (tyutaiCount == 0) return "";
    if (tyutaiCount == 1) return "臆病者な";
    return "根性なしの";
}

const char* LevelRank(int32_t kousanCount) {
    if (kousanCount >= 0 && kousanCount <= 3) return "神";
    if (kousanCount >= 4 && kousanCount <= 6) return "ゲーマー";
    if (kousanCount >= 7 && kousanCount <= 11) return "一般人";
    if (kousanCount >= 12 && kousanCount <= 20) return "サル";
    return "ミジンコ以下";
}

void SetMessageLine(platform::Label& label, platform::Color color, const std::string& text) {
    label.setForeColor(color);
    label.setCaption(text);
}

// One screen of the results: both lines, painted, then a pause.
void ResultScreen(Game& game, const char* caption, const std::string& first, const std::string& second,
                  platform::Color secondColor, bool showLines) {
    Form1& f = game.form1();
    if (caption != nullptr) f.setCaption(caption);
    if (showLines) f.Label1.setVisible(true);
    SetMessageLine(f.Label1, bgr::kCyan, first);
    if (showLines) f.Label2.setVisible(true);
    SetMessageLine(f.Label2, secondColor, second);
    f.Refresh();
    game.Sleep(kScreenPause);
}

void FlashLetter(Game& game, platform::Label& letter) {
    Form1& f = game.form1();
    letter.setVisible(true);
    f.Refresh();
    game.Sleep(kLetterPause);
    letter.setVisible(false);
    f.Refresh();
    game.Sleep(kLetterPause);
}

bool IsNewBestTime(const GameState& s) { return s.TimeAttack && RunTime(s.StartTime, s.EndTime) < s.BestTime; }

const SaveOutcome& FinishedGameSave(Game& game) {
    if (!game.state.FinishedGameSave) SaveFinishedGame(game);
    return *game.state.FinishedGameSave;
}

void ShowTimeAttackResult(Game& game, const SaveOutcome& saved) {
    GameState& s = game.state;
    const float t = RunTime(s.StartTime, s.EndTime);
    const std::string timeText = TimeText(t, game.language());
    ResultScreen(game, nullptr, "クリア所要時間は", timeText, bgr::kBlue, false);
    if (t < s.BestTime) {
        ResultScreen(game, nullptr, "記録更新！",
                     platform::SingleText(s.BestTime) + game.inPlayersLanguage(" 秒 → ") + timeText,
                     bgr::kBlue, false);
        s.BestTime = t;
        ReportSave(game, saved);
    }
}

}  // namespace

std::string LevelText(int32_t tyutaiCount, int32_t kousanCount, platform::Language language) {
    return platform::inLanguage(language, LevelPrefix(tyutaiCount)) + platform::inLanguage(language, LevelRank(kousanCount));
}

float RunTime(float startTime, float endTime) { return platform::RoundToHundredths(std::fabs(endTime - startTime)); }

std::string TimeText(float seconds, platform::Language language) {
    if (seconds > kOneHour) return platform::inLanguage(language, "１時間以上かかってます");
    return platform::SingleText(seconds) + platform::inLanguage(language, " 秒");
}

void SaveFinishedGame(Game& game) {
    GameState& s = game.state;
    if (IsNewBestTime(s))
        s.FinishedGameSave = SaveRecords(game, {{"Time", "1st", RunTime(s.StartTime, s.EndTime)},
                                                {"Kousan", "Kaisu", kDefaultCount},
                                                {"Tyutai", "Kaisu", kDefaultCount}});
    else
        s.FinishedGameSave = SaveRecords(game, {{"Kousan", "Kaisu", kDefaultCount}, {"Tyutai", "Kaisu", kDefaultCount}});
}

void ShowCongratulations(Game& game) {
    Form1& f = game.form1();
    game.state.Congratulated = true;
    f.setBackColor(bgr::kRed);
    f.setCaption("こんぐらちゅれーしょんず！");
    for (auto [label, text] : {std::pair{&f.Label1, "おめでとうございますっ！"},
                               std::pair{&f.Label2, "というか、お疲れ様でした(？)"}}) {
        label->setVisible(true);
        label->setFontSize(16);
        label->setBackColor(bgr::kRed);
        label->setForeColor(bgr::kBlue);
        label->setCaption(text);
    }
    for (platform::Menu* menu : {&f.Hint, &f.Kousan, &f.Space, &f.Space2, &f.Nazocom}) menu->setEnabled(false);
    f.Command2.setEnabled(false);
    f.Timer3.setEnabled(true);
    f.Timer3.setInterval(3000);
}

void ShowResults(Game& game) {
    Form1& f = game.form1();
    GameState& s = game.state;
    const SaveOutcome& saved = FinishedGameSave(game);

    f.Command1.setVisible(false);
    ResultScreen(game, "んん？", "むひひ。これで終わると", "思ってたのぉ～？くっくっく", bgr::kCyan, true);
    ResultScreen(game, "なんちて", "そんなにネタ盛り込むと", "ネタ切れるからおしまいっ！", bgr::kCyan, true);
    ResultScreen(game, "結果発表", "ちなみに降参した回数は",
                 platform::CountText(s.KousanCount) + game.inPlayersLanguage(" 回でした"),
                 bgr::kCyan, true);
    ResultScreen(game, nullptr, "あなたのレベルは", LevelText(s.TyutaiCount, s.KousanCount, game.language()), bgr::kBlue,
                 false);
    if (s.TimeAttack) ShowTimeAttackResult(game, saved);

    // The records were saved when the game was won; each reset is told here.
    s.ResultShown = true;
    s.KousanCount = 0;
    ReportSave(game, saved);
    s.TyutaiCount = 0;
    ReportSave(game, saved);

    f.Command1.setVisible(false);
    f.setBackColor(bgr::kDarkCyan);
    game.services().DoEvents();
    f.Label1.setVisible(false);
    f.Label2.setVisible(false);
    f.Refresh();
    game.Sleep(kLetterPause);

    for (platform::Label* letter : {&f.Label3, &f.Label4, &f.Label5}) FlashLetter(game, *letter);

    f.Refresh();
    f.Unload();
    game.End();
}

}  // namespace game
