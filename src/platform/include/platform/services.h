#pragma once
// What the game needs of the desktop, in one interface. The Qt backend
// implements it for real; the headless backend for tests.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/language.h"
#include "platform/types.h"

namespace platform {

class Form;
class FormPeer;

class Services {
public:
    virtual ~Services() = default;

    // The player's language. The program's texts are shown in it (captions
    // through the forms, boxes through the game), and the platform's own
    // (a box's buttons) too. Chosen once, before the game is built.
    Language language() const { return language_; }
    void setLanguage(Language language) { language_ = language; }

    // The window-system side of a form being loaded; destroyed at unload.
    virtual std::unique_ptr<FormPeer> createPeer(Form& form) = 0;

    // Modal: input to the program's other windows waits; timers may tick.
    virtual MsgResult MsgBox(const MsgBoxRequest& request) = 0;

    // Blocks everything: no input, no painting, no timer tick until it returns.
    virtual void Sleep(uint32_t milliseconds) = 0;

    // One pass over the pending window events.
    virtual void DoEvents() = 0;

    // Local time of day in seconds since midnight, with fractions.
    virtual float TimeOfDay() = 0;

    // A fresh seed from the clock, then uniform numbers in [0, 1).
    virtual void Randomize() = 0;
    virtual float Rnd() = 0;

    // Queues a keystroke ("{Esc}") for whatever has the focus; does not wait.
    virtual void SendKeys(const std::string& keys) = 0;

    // Stops the program at once: no close handler, timer or later statement
    // runs. The status tells whoever started the program how it went.
    [[noreturn]] virtual void End(ExitStatus status) = 0;

    virtual float ScreenWidthTwips() = 0;
    virtual float ScreenHeightTwips() = 0;

    // Whether another copy of the program runs with the same record file.
    // Takes this copy's guard when none does; the guard lasts until the end.
    virtual InstanceCheck PreviousInstance(const std::filesystem::path& recordFile) = 0;

    // Where the program's own file lives.
    virtual std::filesystem::path ProgramDirectory() = 0;
    // Where the records go when the program's directory cannot hold them;
    // nothing when the user has no usable home.
    virtual std::optional<std::filesystem::path> UserDataDirectory() = 0;
    virtual void SetCurrentDirectory(const std::filesystem::path& directory) = 0;

private:
    Language language_ = Language::Japanese;
};

}  // namespace platform
