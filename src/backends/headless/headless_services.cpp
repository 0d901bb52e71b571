#include "headless/headless_services.h"

#include <algorithm>
#include <cmath>

#include "headless/headless_form_peer.h"
#include "platform/runtime.h"
#include "platform/send_keys.h"

namespace headless {

using platform::Control;
using platform::Form;
using platform::Menu;

HeadlessServices::HeadlessServices(std::filesystem::path programDirectory)
    : userDataDirectory(programDirectory / "user-data"), programDirectory_(std::move(programDirectory)) {}

HeadlessServices::~HeadlessServices() = default;

void HeadlessServices::setStartOfDay(double secondsSinceMidnight) { startOfDaySeconds_ = secondsSinceMidnight; }

// ---------------------------------------------------------------- script

void HeadlessServices::expectBox(ExpectedBox box) { expected_.push_back(std::move(box)); }

void HeadlessServices::requireRunning(const char* what) const {
    if (ended_) throw ScriptError(std::string("the program has ended; cannot ") + what);
}

void HeadlessServices::guarded(const std::function<void()>& action) {
    try {
        action();
        // What fell due while the handler ran (during a Sleep, say) comes now.
        clock_.runUntil(clock_.nowMs());
    } catch (const ProgramEnded&) {
        ended_ = true;
        clock_.stop();
    }
}

void HeadlessServices::playerActs(std::string what) {
    record({.kind = Event::Kind::PlayerActed, .value = std::move(what)});
}

std::vector<std::string> HeadlessServices::eventLines(std::size_t from) const {
    std::vector<std::string> lines;
    for (std::size_t i = from; i < log_.events.size(); ++i) lines.push_back(log_.events[i].text());
    return lines;
}

void HeadlessServices::click(Control& control) {
    requireRunning("click");
    if (!control.clickable())
        throw ScriptError(control.form().name() + "." + control.name() + " cannot be clicked now");
    playerActs("clicks " + control.form().name() + "." + control.name());
    guarded([&] { control.click(); });
}

void HeadlessServices::choose(Menu& menu) {
    requireRunning("choose a menu item");
    if (!menu.clickable())
        throw ScriptError(menu.form().name() + "." + menu.name() + " cannot be chosen now");
    playerActs("chooses " + menu.form().name() + "." + menu.name());
    guarded([&] { menu.click(); });
}

void HeadlessServices::close(Form& form) {
    requireRunning("close a window");
    if (!form.visible()) throw ScriptError(form.name() + " is not on the screen");
    playerActs("closes " + form.name());
    guarded([&] { form.userClose(); });
}

void HeadlessServices::pressKey(Form& form, int16_t keyCode, int16_t shift) {
    requireRunning("press a key");
    playerActs("presses key " + std::to_string(keyCode) + " on " + form.name());
    guarded([&] { form.keyDown(keyCode, shift); });
}

void HeadlessServices::activateFocused(Form& form) {
    platform::CommandButton* button = form.firstFocusable();
    if (button == nullptr) throw ScriptError(form.name() + " has no focused button");
    click(*button);
}

void HeadlessServices::mouseDown(Form& form) {
    requireRunning("press the mouse");
    playerActs("presses the mouse on " + form.name());
    guarded([&] { form.mouseDown(); });
}

void HeadlessServices::run(platform::Runtime& runtime, const std::function<void()>& routine) {
    requireRunning("run");
    guarded([&] { runtime.dispatch(routine); });
}

void HeadlessServices::advance(int64_t milliseconds) {
    requireRunning("wait");
    guarded([&] { clock_.runUntil(clock_.nowMs() + milliseconds); });
}

// ---------------------------------------------------------------- services

std::unique_ptr<platform::FormPeer> HeadlessServices::createPeer(Form& form) {
    return std::make_unique<HeadlessFormPeer>(SharedByPeers{log_, clock_, shownForms_, smallestOuterSize}, form);
}

platform::MsgResult HeadlessServices::MsgBox(const platform::MsgBoxRequest& request) {
    record({.kind = Event::Kind::BoxShown, .value = describeBox(request)});
    if (expected_.empty()) throw ScriptError("unexpected message box " + describeBox(request));
    ExpectedBox box = std::move(expected_.front());
    expected_.pop_front();
    const bool promptMatches = box.promptIsPrefix ? request.prompt.rfind(box.prompt, 0) == 0
                                                  : request.prompt == box.prompt;
    const bool matches = box.title == request.title && promptMatches &&
                         (!box.icon || *box.icon == request.icon) &&
                         (!box.buttons || *box.buttons == request.buttons);
    if (!matches)
        throw ScriptError("expected box [" + box.title + "] \"" + box.prompt + "\" but got " + describeBox(request));
    if (request.buttons == platform::MsgButtons::Ok && box.answer != platform::MsgResult::Ok)
        throw ScriptError("an OK box cannot be answered Yes or No: " + describeBox(request));
    if (request.buttons == platform::MsgButtons::YesNo && box.answer == platform::MsgResult::Ok)
        throw ScriptError("a Yes/No box must be answered Yes or No: " + describeBox(request));
    boxes.push_back({request, box.answer, clock_.nowMs()});
    if (box.whileOpen) box.whileOpen();
    // Timers keep ticking while a box is open.
    if (box.openForMs > 0) clock_.runUntil(clock_.nowMs() + box.openForMs);
    return box.answer;
}

void HeadlessServices::Sleep(uint32_t milliseconds) {
    record({.kind = Event::Kind::Slept, .milliseconds = milliseconds});
    clock_.pass(milliseconds);
}

void HeadlessServices::DoEvents() {
    record({.kind = Event::Kind::DidEvents});
    clock_.runUntil(clock_.nowMs());
}

float HeadlessServices::TimeOfDay() {
    const double seconds = std::fmod(startOfDaySeconds_ + static_cast<double>(clock_.nowMs()) / 1000.0, 86400.0);
    return static_cast<float>(seconds);
}

void HeadlessServices::Randomize() {
    ++randomizeCalls;
    generator_.seed(static_cast<uint64_t>(clock_.nowMs()) * 1000003u + static_cast<uint64_t>(randomizeCalls));
}

float HeadlessServices::Rnd() {
    if (!scriptedRandom.empty()) {
        const float value = scriptedRandom.front();
        scriptedRandom.pop_front();
        return value;
    }
    return static_cast<float>(generator_() >> 40) * 0x1p-24f;
}

void HeadlessServices::SendKeys(const std::string& keys) {
    record({.kind = Event::Kind::SentKeys, .value = keys});
    sentKeys.push_back(keys);
    const std::optional<int16_t> key = platform::sentKey(keys);
    if (!key) return;
    clock_.post([this, code = *key] {
        if (Form* form = shownForms_.top()) form->keyDown(code, 0);
    });
}

void HeadlessServices::End(platform::ExitStatus status) {
    exitStatus = status;
    record({.kind = Event::Kind::Ended});
    throw ProgramEnded{};
}

void HeadlessServices::SetCurrentDirectory(const std::filesystem::path& directory) {
    (void)directory;  // the tests' program directory is absolute; nothing to change
}

}  // namespace headless
