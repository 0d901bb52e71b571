#pragma once
// The hub every room uses. One game per process (one per test): the game
// state, the four windows and the way to the platform. Handlers and module
// routines reach everything through it; nothing is a mutable global.
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/language.h"
#include "platform/runtime.h"
#include "platform/services.h"
#include "hub/game_state.h"
#include "hub/windows.h"

namespace game {

class Game {
public:
    // A game without its windows yet; startup/NewGame gives it them.
    explicit Game(platform::Services& services);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    platform::Services& services() const { return services_; }
    platform::Runtime& runtime() { return runtime_; }

    GameState state;

    Form0& form0() { return windows_->form0(); }
    Form1& form1() { return windows_->form1(); }
    Form2& form2() { return windows_->form2(); }
    Form3& form3() { return windows_->form3(); }
    platform::Form& mainWindow() { return windows_->mainWindow(); }
    void attachWindows(std::unique_ptr<Windows> windows) { windows_ = std::move(windows); }

    // The player's language, and a text of the game's (Japanese) in it. A
    // caption or a box's whole text is put in it on its way to the screen;
    // a scene that builds a text from pieces puts each piece in it.
    platform::Language language() const { return services_.language(); }
    std::string inPlayersLanguage(std::string_view japanese) const {
        return platform::inLanguage(language(), japanese);
    }

    // Message boxes as the scenes use them, in the player's language.
    void MsgBox(const std::string& prompt, const std::string& title,
                platform::MsgIcon icon = platform::MsgIcon::None);
    bool AskYesNo(const std::string& prompt, const std::string& title, platform::MsgIcon icon);

    void Sleep(uint32_t milliseconds) { services_.Sleep(milliseconds); }
    // Every backend's End stops the program; abort guards a broken one.
    [[noreturn]] void End(platform::ExitStatus status = platform::ExitStatus::Played) {
        services_.End(status);
        std::abort();
    }

private:
    platform::Services& services_;
    platform::Runtime runtime_;
    // Destroyed first: the windows use the runtime.
    std::unique_ptr<Windows> windows_;
};

}  // namespace game
