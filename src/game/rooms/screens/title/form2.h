#pragma once
// The version dialog: the name, the version and a credit; no part in the game.
#include "platform/form.h"

namespace game {

class Game;

class Form2 : public platform::Form {
public:
    explicit Form2(Game& game);

    platform::CommandButton Command1;
    platform::Label Label6;
    platform::Label Label5;
    platform::Label Label4;
    platform::Label Label3;
    platform::Label Label2;
    platform::Label Label1;

protected:
    void Form_Load() override;

private:
    void Command1_Click();
    Game& game_;
};

}  // namespace game
