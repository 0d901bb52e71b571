#pragma once
// The game's four windows as every room reaches them. Which classes they are
// made of is known only above the rooms (startup/game_windows), which builds
// them; here they are only named.
#include "platform/form.h"

namespace game {

class Form0;
class Form1;
class Form2;
class Form3;

class Windows {
public:
    virtual ~Windows() = default;

    virtual Form0& form0() = 0;  // the title window
    virtual Form1& form1() = 0;  // the main window
    virtual Form2& form2() = 0;  // the version dialog
    virtual Form3& form3() = 0;  // the cipher window
    // The main window as a plain form: what the records close when their
    // file has gone.
    virtual platform::Form& mainWindow() = 0;
};

}  // namespace game
