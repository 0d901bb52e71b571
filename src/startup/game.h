#pragma once
// One game per process (one per test): the game state, the four windows and
// the way to the platform. Handlers and module routines reach everything
// through it; nothing is a mutable global.
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/runtime.h"
#include "platform/services.h"
#include "startup/game_state.h"

namespace game {

class Form0;
class Form1;
class Form2;
class Form3;

class Game {
public:
    explicit Game(platform::Services& services);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    platform::Services& services() const { return services_; }
    platform::Runtime& runtime() { return runtime_; }

    GameState state;

    Form0& form0() { return *form0_; }
    Form1& form1() { return *form1_; }
    Form2& form2() { return *form2_; }
    Form3& form3() { return *form3_; }

    // Message boxes as the scenes use them.
    void MsgBox(const std::string& prompt, const std::string& title,
                platform::MsgIcon icon = platform::MsgIcon::None);
    bool AskYesNo(const std::string& prompt, const std::string& title, platform::MsgIcon icon);

    void Sleep(uint32_t milliseconds) { services_.Sleep(milliseconds); }
    // Every backend's End stops the program; abort guards a broken one.
    [[noreturn]] void End() {
        services_.End();
        std::abort();
    }

private:
    platform::Services& services_;
    platform::Runtime runtime_;
    std::unique_ptr<Form0> form0_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<Form3> form3_;
};

}  // namespace game
