#include "startup/game_windows.h"

#include "puzzles/form3.h"
#include "screens/main/form1.h"
#include "screens/title/form0.h"
#include "screens/title/form2.h"

namespace game {

namespace {

class GameWindows : public Windows {
public:
    explicit GameWindows(Game& game) : form0_(game), form1_(game), form2_(game), form3_(game) {}
    // The windows go first, while every form's controls still exist.
    ~GameWindows() override {
        for (platform::Form* form : {static_cast<platform::Form*>(&form0_), static_cast<platform::Form*>(&form1_),
                                     static_cast<platform::Form*>(&form2_), static_cast<platform::Form*>(&form3_)})
            form->releasePeer();
    }

    Form0& form0() override { return form0_; }
    Form1& form1() override { return form1_; }
    Form2& form2() override { return form2_; }
    Form3& form3() override { return form3_; }
    platform::Form& mainWindow() override { return form1_; }

private:
    Form0 form0_;
    Form1 form1_;
    Form2 form2_;
    Form3 form3_;
};

}  // namespace

std::unique_ptr<Game> NewGame(platform::Services& services) {
    auto game = std::make_unique<Game>(services);
    game->attachWindows(std::make_unique<GameWindows>(*game));
    return game;
}

}  // namespace game
