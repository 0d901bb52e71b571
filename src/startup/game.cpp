#include "startup/game.h"

#include "puzzles/form3.h"
#include "screens/main/form1.h"
#include "screens/title/form0.h"
#include "screens/title/form2.h"

namespace game {

Game::Game(platform::Services& services)
    : services_(services),
      runtime_(services),
      form0_(std::make_unique<Form0>(*this)),
      form1_(std::make_unique<Form1>(*this)),
      form2_(std::make_unique<Form2>(*this)),
      form3_(std::make_unique<Form3>(*this)) {}

// The windows go first, while every form's controls still exist.
Game::~Game() {
    for (platform::Form* form : {static_cast<platform::Form*>(form0_.get()), static_cast<platform::Form*>(form1_.get()),
                                 static_cast<platform::Form*>(form2_.get()), static_cast<platform::Form*>(form3_.get())})
        form->releasePeer();
}

void Game::MsgBox(const std::string& prompt, const std::string& title, platform::MsgIcon icon) {
    services_.MsgBox({prompt, title, platform::MsgButtons::Ok, icon, false});
}

bool Game::AskYesNo(const std::string& prompt, const std::string& title, platform::MsgIcon icon) {
    return services_.MsgBox({prompt, title, platform::MsgButtons::YesNo, icon, true}) == platform::MsgResult::Yes;
}

}  // namespace game
