#include "hub/game.h"

namespace game {

Game::Game(platform::Services& services) : services_(services), runtime_(services) {}

Game::~Game() = default;

void Game::MsgBox(const std::string& prompt, const std::string& title, platform::MsgIcon icon) {
    services_.MsgBox({inPlayersLanguage(prompt), inPlayersLanguage(title), platform::MsgButtons::Ok, icon, false});
}

bool Game::AskYesNo(const std::string& prompt, const std::string& title, platform::MsgIcon icon) {
    return services_.MsgBox({inPlayersLanguage(prompt), inPlayersLanguage(title), platform::MsgButtons::YesNo, icon,
                             true}) == platform::MsgResult::Yes;
}

}  // namespace game
