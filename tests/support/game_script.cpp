#include "support/game_script.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "startup/game_windows.h"
#include "startup/main_routine.h"
#include "support/scratch.h"

namespace script {

namespace {
std::filesystem::path FreshDirectory() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "test";
    for (char& c : name)
        if (c == '/') c = '_';
    auto path = ScratchRoot() / ("mochitama-test-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}
}  // namespace

std::string DefaultRecordText() { return RecordText("0", "0", "9999"); }

std::string RecordText(const std::string& kousan, const std::string& tyutai, const std::string& best) {
    return ";\r\n; MT.INI                        Mochitama Workshop\r\n;\r\n[Kousan]\r\nKaisu = " + kousan +
           "\r\n\r\n[Tyutai]\r\nKaisu = " + tyutai + "\r\n\r\n[Time]\r\n1st = " + best + "\r\n";
}

std::string WithKeyLine(std::string text, const std::string& section, const std::string& keyLine) {
    const auto header = text.find("[" + section + "]\r\n");
    if (header == std::string::npos) return text;
    const auto start = text.find("\r\n", header) + 2;
    const auto end = text.find("\r\n", start);
    return text.replace(start, end - start, keyLine);
}

GameScript::GameScript() : dir(FreshDirectory()), host(dir), game(game::NewGame(host)) {}

GameScript::~GameScript() {
    game.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void GameScript::TearDown() { expectNoPendingBoxes(); }

void GameScript::expectNoPendingBoxes() {
    for (const auto& b : host.expectedBoxes())
        ADD_FAILURE() << "expected box never came: [" << b.title << "] \"" << b.prompt << "\"";
}

std::string GameScript::readIni() const {
    std::ifstream in(iniPath(), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void GameScript::writeIni(const std::string& text) const {
    std::ofstream out(iniPath(), std::ios::binary | std::ios::trunc);
    out << text;
}

void GameScript::box(const std::string& title, const std::string& prompt, MsgIcon icon) {
    host.expectBox({title, prompt, icon, platform::MsgButtons::Ok, MsgResult::Ok, 0, {}});
}

void GameScript::boxThen(const std::string& title, const std::string& prompt, MsgIcon icon,
                         std::function<void()> whileOpen) {
    host.expectBox({title, prompt, icon, platform::MsgButtons::Ok, MsgResult::Ok, 0, std::move(whileOpen)});
}

void GameScript::boxOpenFor(const std::string& title, const std::string& prompt, MsgIcon icon,
                            uint32_t milliseconds) {
    host.expectBox({title, prompt, icon, platform::MsgButtons::Ok, MsgResult::Ok, milliseconds, {}});
}

void GameScript::confirmSurrender(bool yes) {
    host.expectBox({"降参？", "本当に降参しちゃうの？", MsgIcon::Question, platform::MsgButtons::YesNo,
                    yes ? MsgResult::Yes : MsgResult::No, 0, {}});
}

void GameScript::expectWelcome() {
    box("Welcome to もちたま", "『もちたま』の世界へようこそ\r\n頑張ってこのソフト、終わらせてみてね");
}

void GameScript::start() {
    host.run(game->runtime(), [this] { game::Main(*game); });
}

void GameScript::typeTimeAttackKeys() {
    for (int16_t key : game::kTimeAttackKeys) host.pressKey(form0(), key);
}

void GameScript::toOpeningQuestion(bool timeAttack) {
    start();
    if (timeAttack) typeTimeAttackKeys();
    expectWelcome();
    wait(2000);
}

void GameScript::startGame(bool timeAttack) {
    toOpeningQuestion(timeAttack);
    if (timeAttack)
        box("もちたま TIME ATTACK", "これを押したらタイムアタック開始です");
    else
        box("Welcome to もちたま", "そうこなくっちゃね。お一人様ごあんな～い");
    click(form1().Command5);
}

void GameScript::closeMainWindow(int times) {
    for (int i = 0; i < times; ++i) {
        const int32_t attempt = state().CloseCount + 1;
        box("だめだめ", "[閉じる]？出来るかっちゅーの", MsgIcon::Exclamation);
        if (attempt == 7) {
            box("ををっ！", "頑張ってみるもんですねぇ", MsgIcon::Information);
            box("をををっ！", "なぜかメニューが増えましたぁっ！", MsgIcon::Information);
        }
        host.close(form1());
    }
}

void GameScript::revealNazocom() { closeMainWindow(7 - state().CloseCount); }

void GameScript::pray() {
    box("Like A Prayer", "ちゃんと祈ってみよう", MsgIcon::Information);
    choose(form1().Pray);
}

void GameScript::nextStep() {
    box("あっ！", "見つかってしまったか。じゃぁ次のステップじゃ～", MsgIcon::Exclamation);
    choose(form1().Next);
}

void GameScript::solveCipher() {
    box("発見！", "あなたは、なぜかこんな紙を見つけた", MsgIcon::Question);
    click(form1().Command3);
    box("問題", "どういう意味だろう？", MsgIcon::Question);
    box("解読結果", "独自の調査(笑)により、これは暗号らしいということが分かった。\r\n何の暗号なのだろうか？",
        MsgIcon::Information);
    box("解読結果", "どうやらあるキーが次へ進む鍵となるようだ", MsgIcon::Exclamation);
    box("謎解き", "解読せよ！", MsgIcon::Exclamation);
    wait(1000);
    box("あっ！", "ここまで来たか！もうすこし・・・かも？", MsgIcon::Exclamation);
    host.pressKey(form3(), game::kCipherAnswerKey);
}

void GameScript::chaseClick() {
    static const char* const remarks[][2] = {
        {"だめだめ", "基本だね、確かに。でもだめよ"}, {"でもねぇ", "いいところに気が付いた？"},
        {"うひひ", "２度ある事は３度ある？"},      {"はぁと", "んもう。しつこいんだからぁ"},
        {"退散なり～", "逃げるべし～"},
    };
    const int32_t n = state().ExitClickCount + 1;
    if (n <= 5) box(remarks[n - 1][0], remarks[n - 1][1], MsgIcon::Exclamation);
    else if (n % 3 == 0) box("敵は怯んでいる", "もぞもぞ");
    click(form1().Command1);
    wait(static_cast<int64_t>(n) * 100 - 1);
}

void GameScript::chaseUntilWriggle() {
    do chaseClick();
    while (!state().Mozomozo);
}

void GameScript::hitAndDefeat() {
    confirmSurrender();
    box("HIT!", "ぐはぁっ", MsgIcon::Exclamation);
    choose(form1().Kousan);
    box("倒したぞ！", "ぐああああああっ", MsgIcon::Exclamation);
    choose(form1().Exit);
}

void GameScript::playToTheDefeat() {
    revealNazocom();
    pray();
    nextStep();
    solveCipher();
    chaseUntilWriggle();
    hitAndDefeat();
}

void GameScript::finishAndCongratulate() {
    if (state().TimeAttack)
        box("もちたま TIME ATTACK", "タイムアタック終了", MsgIcon::Information);
    else
        box("おめでとう", "仕方ない。今回はこれで許してやるとしよう", MsgIcon::Information);
    click(form1().Command1);
}

void GameScript::awaitFinalPrompt() {
    box("最後だよ", "それじゃぁ。『終了』ボタンを押すべし！", MsgIcon::Information);
    wait(3000);
}

std::vector<std::string> GameScript::boxTitles() const {
    std::vector<std::string> titles;
    for (const auto& b : host.boxes) titles.push_back(b.request.title);
    return titles;
}

const headless::ShownBox& GameScript::lastBox() const { return host.boxes.back(); }

int GameScript::timesLoaded(const platform::Form& form) const {
    return static_cast<int>(std::count_if(host.events().begin(), host.events().end(), [&](const headless::Event& e) {
        return e.kind == headless::Event::Kind::Loaded && e.form == &form;
    }));
}

bool GameScript::changedTo(const platform::Object& object, platform::Property property,
                           const headless::Value& value) const {
    return std::any_of(host.events().begin(), host.events().end(),
                       [&](const headless::Event& e) { return e.changesTo(object, property, value); });
}

}  // namespace script
