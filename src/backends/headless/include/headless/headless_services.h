#pragma once
// The test backend: no pixels. A virtual clock, one event queue, timers that
// fire in virtual time, Sleep that moves the clock without firing anything,
// and a scripted player whose message-box expectations fail loudly both ways.
// What the program does is kept as typed events.
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "headless/events.h"
#include "headless/shared_by_peers.h"
#include "headless/virtual_clock.h"
#include "platform/form.h"
#include "platform/services.h"

namespace headless {

// Thrown by End(): unwinds the handlers to the event loop, which records the
// end of the program. Deliberately not a std::exception.
struct ProgramEnded {};

// The script and the program disagree: an unexpected box, a wrong box, a
// click on something the player cannot click.
class ScriptError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// One box the script expects, and how the player answers it.
struct ExpectedBox {
    std::string title;
    std::string prompt;
    std::optional<platform::MsgIcon> icon;
    std::optional<platform::MsgButtons> buttons;
    platform::MsgResult answer = platform::MsgResult::Ok;
    uint32_t openForMs = 0;             // virtual time that passes while it is open
    std::function<void()> whileOpen;    // runs while the box is open (checks)
    bool promptIsPrefix = false;        // the prompt only has to start with `prompt`
};

struct ShownBox {
    platform::MsgBoxRequest request;
    platform::MsgResult answer;
    int64_t atMs;  // virtual time when it opened
};

class HeadlessServices : public platform::Services {
public:
    explicit HeadlessServices(std::filesystem::path programDirectory);
    ~HeadlessServices() override;

    // ---- the world around the program
    platform::InstanceCheck instanceCheck = platform::InstanceCheck::Alone;
    // The record file the instance check was asked about.
    std::filesystem::path instanceCheckedFor;
    float screenWidthTwips = 1024 * 15.0f;
    float screenHeightTwips = 768 * 15.0f;
    SmallestOuterSize smallestOuterSize;
    std::optional<std::filesystem::path> userDataDirectory;

    // ---- the virtual clock
    int64_t nowMs() const { return clock_.nowMs(); }
    VirtualClock& clock() { return clock_; }
    // Where the time-of-day clock stands at virtual time 0.
    void setStartOfDay(double secondsSinceMidnight);
    // Scripted random numbers, used before any generated ones.
    std::deque<float> scriptedRandom;
    int randomizeCalls = 0;

    // ---- the scripted player
    void expectBox(ExpectedBox box);
    std::size_t pendingBoxes() const { return expected_.size(); }
    const std::deque<ExpectedBox>& expectedBoxes() const { return expected_; }

    void click(platform::Control& control);
    void choose(platform::Menu& menu);
    void close(platform::Form& form);
    void pressKey(platform::Form& form, int16_t keyCode, int16_t shift = 0);
    // A key press that activates the focused button (Space, Enter).
    void activateFocused(platform::Form& form);
    void mouseDown(platform::Form& form);
    // Lets virtual time pass: due timers fire in order, queued events run.
    void advance(int64_t milliseconds);
    // Runs an entry routine (the program's Main) as an event handler.
    void run(platform::Runtime& runtime, const std::function<void()>& routine);

    bool ended() const { return ended_; }
    // The status the program ended with, once it has.
    std::optional<platform::ExitStatus> exitStatus;

    // ---- what happened
    std::vector<ShownBox> boxes;
    const std::vector<Event>& events() const { return log_.events; }
    std::vector<std::string> sentKeys;
    // The events from `from` on as lines, for messages and whole sequences.
    std::vector<std::string> eventLines(std::size_t from = 0) const;

    // ---- platform::Services
    std::unique_ptr<platform::FormPeer> createPeer(platform::Form& form) override;
    platform::MsgResult MsgBox(const platform::MsgBoxRequest& request) override;
    void Sleep(uint32_t milliseconds) override;
    void DoEvents() override;
    float TimeOfDay() override;
    void Randomize() override;
    float Rnd() override;
    void SendKeys(const std::string& keys) override;
    [[noreturn]] void End(platform::ExitStatus status) override;
    float ScreenWidthTwips() override { return screenWidthTwips; }
    float ScreenHeightTwips() override { return screenHeightTwips; }
    platform::InstanceCheck PreviousInstance(const std::filesystem::path& recordFile) override {
        instanceCheckedFor = recordFile;
        return instanceCheck;
    }
    std::filesystem::path ProgramDirectory() override { return programDirectory_; }
    std::optional<std::filesystem::path> UserDataDirectory() override { return userDataDirectory; }
    void SetCurrentDirectory(const std::filesystem::path& directory) override;

private:
    void record(Event event) { log_.record(std::move(event)); }
    void guarded(const std::function<void()>& action);
    void playerActs(std::string what);
    void requireRunning(const char* what) const;

    std::filesystem::path programDirectory_;
    VirtualClock clock_;
    EventLog log_{clock_};
    ShownForms shownForms_;
    double startOfDaySeconds_ = 12 * 3600.0;
    bool ended_ = false;
    std::deque<ExpectedBox> expected_;
    std::mt19937_64 generator_;
};

}  // namespace headless
