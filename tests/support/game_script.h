#pragma once
// The vocabulary of the game's tests: a fresh program directory, the headless
// backend, one Game, and short steps a player would take.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "expected_events.h"
#include "headless/headless_services.h"
#include "platform/types.h"
#include "puzzles/form3.h"
#include "screens/main/form1.h"
#include "screens/title/form0.h"
#include "screens/title/form2.h"
#include "hub/game.h"

namespace script {

using platform::MsgIcon;
using platform::MsgResult;

// The record file a first start writes.
std::string DefaultRecordText();
// The record file with other counts and best time, laid out like the default.
std::string RecordText(const std::string& kousan, const std::string& tyutai, const std::string& best);

// `text` with the first key line after the section's header replaced by `keyLine`.
std::string WithKeyLine(std::string text, const std::string& section, const std::string& keyLine);

class GameScript : public ::testing::Test {
protected:
    GameScript();
    ~GameScript() override;
    void TearDown() override;

    // ---- the world
    std::filesystem::path dir;
    headless::HeadlessServices host;
    std::unique_ptr<game::Game> game;
    game::GameState& state() { return game->state; }
    game::Form0& form0() { return game->form0(); }
    game::Form1& form1() { return game->form1(); }
    game::Form2& form2() { return game->form2(); }
    game::Form3& form3() { return game->form3(); }
    std::filesystem::path iniPath() const { return dir / "MT.INI"; }
    std::string readIni() const;
    void writeIni(const std::string& text) const;

    // ---- boxes the player expects next, in order
    void box(const std::string& title, const std::string& prompt, MsgIcon icon = MsgIcon::None);
    void boxThen(const std::string& title, const std::string& prompt, MsgIcon icon, std::function<void()> whileOpen);
    void boxOpenFor(const std::string& title, const std::string& prompt, MsgIcon icon, uint32_t milliseconds);
    void confirmSurrender(bool yes = true);
    void expectWelcome();
    // Every box so far has come; nothing is still expected.
    void expectNoPendingBoxes();

    // ---- steps
    void start();                                  // Main
    void typeTimeAttackKeys();                     // on the title window
    void toOpeningQuestion(bool timeAttack = false);  // start, title, welcome box
    void startGame(bool timeAttack = false);       // ...and answer いいえ
    void closeMainWindow(int times);               // refused closes, with their boxes
    void revealNazocom();                          // seven refused closes from a fresh game
    void pray();
    void nextStep();
    void solveCipher();                            // open the cipher window and press Home
    void chaseClick();                             // a click on the Exit button, lock waited out
    void chaseUntilWriggle();                      // to the next wriggle
    void hitAndDefeat();                           // surrender while wriggling, then File > 終了
    void playToTheDefeat();                        // from the running game to the defeated Exit button
    void finishAndCongratulate();                  // the finishing click
    void awaitFinalPrompt();                       // Timer3's box

    void click(platform::Control& c) { host.click(c); }
    void choose(platform::Menu& m) { host.choose(m); }
    void wait(int64_t ms) { host.advance(ms); }

    // ---- what the player sees
    std::vector<std::string> boxTitles() const;
    const headless::ShownBox& lastBox() const;
    // How often the form was loaded so far.
    int timesLoaded(const platform::Form& form) const;
    // Some change set the object's property to this value.
    bool changedTo(const platform::Object& object, platform::Property property, const headless::Value& value) const;
    bool becameVisible(const platform::Object& object) const {
        return changedTo(object, platform::Property::Visible, true);
    }
};

}  // namespace script
