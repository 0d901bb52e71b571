#include "backends/headless/headless_services.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "platform/runtime.h"

namespace headless {

using platform::Control;
using platform::Form;
using platform::Menu;
using platform::Object;
using platform::Property;
using platform::Timer;

namespace {

const char* propertyName(Property p) {
    switch (p) {
        case Property::Caption: return "Caption";
        case Property::Visible: return "Visible";
        case Property::Enabled: return "Enabled";
        case Property::ForeColor: return "ForeColor";
        case Property::BackColor: return "BackColor";
        case Property::Font: return "Font";
        case Property::Alignment: return "Alignment";
        case Property::Geometry: return "Geometry";
        case Property::TabIndex: return "TabIndex";
        case Property::Interval: return "Interval";
    }
    return "?";
}

std::string hex(platform::Color c) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(c));
    return text;
}

std::string describeValue(const Object& object, Property p) {
    std::ostringstream out;
    if (const auto* c = dynamic_cast<const Control*>(&object)) {
        switch (p) {
            case Property::Caption: out << c->caption(); break;
            case Property::Visible: out << c->visible(); break;
            case Property::Enabled: out << c->enabled(); break;
            case Property::ForeColor: out << hex(c->foreColor()); break;
            case Property::BackColor: out << hex(c->backColor()); break;
            case Property::Font: out << c->font().face << ' ' << c->font().size << (c->font().bold ? " bold" : ""); break;
            case Property::Geometry: out << c->left() << ',' << c->top(); break;
            default: break;
        }
    } else if (const auto* m = dynamic_cast<const Menu*>(&object)) {
        if (p == Property::Visible) out << m->visible();
        if (p == Property::Enabled) out << m->enabled();
        if (p == Property::Caption) out << m->caption();
    } else if (const auto* t = dynamic_cast<const Timer*>(&object)) {
        if (p == Property::Enabled) out << t->enabled();
        if (p == Property::Interval) out << t->interval();
    } else if (const auto* f = dynamic_cast<const Form*>(&object)) {
        switch (p) {
            case Property::Caption: out << f->caption(); break;
            case Property::Visible: out << f->visible(); break;
            case Property::Enabled: out << f->enabled(); break;
            case Property::BackColor: out << hex(f->backColor()); break;
            case Property::Geometry: {
                const auto& g = f->requestedGeometry();
                out << g.left << ',' << g.top << ',' << g.width << ',' << g.height;
                break;
            }
            default: break;
        }
    }
    return out.str();
}

// Shows nothing; records every change and runs the form's timers in virtual time.
class HeadlessFormPeer : public platform::FormPeer {
public:
    HeadlessFormPeer(HeadlessServices& services, Form& form) : services_(services), form_(form) {
        services_.record(form_.name() + " loaded");
    }
    ~HeadlessFormPeer() override {
        for (Timer* t : form_.timers()) services_.timerGone(*t);
        services_.formGone(form_);
        services_.record(form_.name() + " unloaded");
    }

    void changed(Object& object, Property property) override {
        std::string who = &object == &form_ ? form_.name() : form_.name() + "." + object.name();
        services_.record(who + "." + propertyName(property) + " = " + describeValue(object, property));
        if (auto* timer = dynamic_cast<Timer*>(&object)) services_.timerChanged(*timer);
        if (&object == &form_ && property == Property::Visible) {
            if (form_.visible()) services_.formShown(form_);
            else services_.formGone(form_);
        }
    }
    void refresh() override {
        ++services_.refreshCount;
        services_.record(form_.name() + " refreshed");
    }
    float outerLeft() const override { return form_.requestedGeometry().left; }
    float outerTop() const override { return form_.requestedGeometry().top; }
    float outerWidth() const override {
        return std::max(form_.requestedGeometry().width, services_.minimumOuterWidth);
    }
    float outerHeight() const override {
        return std::max(form_.requestedGeometry().height, services_.minimumOuterHeight);
    }

private:
    HeadlessServices& services_;
    Form& form_;
};

const char* iconName(platform::MsgIcon icon) {
    switch (icon) {
        case platform::MsgIcon::None: return "none";
        case platform::MsgIcon::Critical: return "critical";
        case platform::MsgIcon::Question: return "question";
        case platform::MsgIcon::Exclamation: return "exclamation";
        case platform::MsgIcon::Information: return "information";
    }
    return "?";
}

std::string describeBox(const platform::MsgBoxRequest& r) {
    return "[" + r.title + "] \"" + r.prompt + "\" (" + iconName(r.icon) +
           (r.buttons == platform::MsgButtons::YesNo ? ", Yes/No)" : ", OK)");
}

}  // namespace

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
        runDueTimers(nowMs_);
    } catch (const ProgramEnded&) {
        ended_ = true;
        queue_.clear();
        dueAt_.clear();
    }
}

void HeadlessServices::click(Control& control) {
    requireRunning("click");
    if (!control.clickable())
        throw ScriptError(control.form().name() + "." + control.name() + " cannot be clicked now");
    record("player clicks " + control.form().name() + "." + control.name());
    guarded([&] { control.click(); });
}

void HeadlessServices::choose(Menu& menu) {
    requireRunning("choose a menu item");
    if (!menu.clickable())
        throw ScriptError(menu.form().name() + "." + menu.name() + " cannot be chosen now");
    record("player chooses " + menu.form().name() + "." + menu.name());
    guarded([&] { menu.click(); });
}

void HeadlessServices::close(Form& form) {
    requireRunning("close a window");
    if (!form.visible()) throw ScriptError(form.name() + " is not on the screen");
    record("player closes " + form.name());
    guarded([&] { form.userClose(); });
}

void HeadlessServices::pressKey(Form& form, int16_t keyCode, int16_t shift) {
    requireRunning("press a key");
    record("player presses key " + std::to_string(keyCode) + " on " + form.name());
    guarded([&] { form.keyDown(keyCode, shift); });
}

void HeadlessServices::activateFocused(Form& form) {
    platform::CommandButton* button = form.firstFocusable();
    if (button == nullptr) throw ScriptError(form.name() + " has no focused button");
    click(*button);
}

void HeadlessServices::mouseDown(Form& form) {
    requireRunning("press the mouse");
    record("player presses the mouse on " + form.name());
    guarded([&] { form.mouseDown(); });
}

void HeadlessServices::run(platform::Runtime& runtime, const std::function<void()>& routine) {
    requireRunning("run");
    guarded([&] { runtime.dispatch(routine); });
}

void HeadlessServices::advance(int64_t milliseconds) {
    requireRunning("wait");
    guarded([&] { runDueTimers(nowMs_ + milliseconds); });
}

// ---------------------------------------------------------------- event loop

void HeadlessServices::runQueued() {
    while (!queue_.empty()) {
        auto event = std::move(queue_.front());
        queue_.pop_front();
        event();
    }
}

void HeadlessServices::runDueTimers(int64_t until) {
    runQueued();
    for (;;) {
        auto next = std::min_element(dueAt_.begin(), dueAt_.end(),
                                     [](const auto& a, const auto& b) { return a.second < b.second; });
        if (next == dueAt_.end() || next->second > until) break;
        Timer* timer = next->first;
        nowMs_ = std::max(nowMs_, next->second);
        dueAt_.erase(next);
        timer->tick();
        // A timer that is still running and was not re-armed by its own
        // handler starts its next countdown now.
        if (timer->running() && dueAt_.find(timer) == dueAt_.end()) dueAt_[timer] = nowMs_ + timer->interval();
        runQueued();
    }
    nowMs_ = std::max(nowMs_, until);
}

void HeadlessServices::timerChanged(Timer& timer) {
    if (timer.running()) dueAt_[&timer] = nowMs_ + timer.interval();
    else dueAt_.erase(&timer);
}

void HeadlessServices::timerGone(Timer& timer) { dueAt_.erase(&timer); }

void HeadlessServices::formShown(Form& form) {
    formGone(form);
    shownOrder_.push_back(&form);
}

void HeadlessServices::formGone(Form& form) {
    shownOrder_.erase(std::remove(shownOrder_.begin(), shownOrder_.end(), &form), shownOrder_.end());
}

Form* HeadlessServices::focusedForm() const { return shownOrder_.empty() ? nullptr : shownOrder_.back(); }

// ---------------------------------------------------------------- services

std::unique_ptr<platform::FormPeer> HeadlessServices::createPeer(Form& form) {
    return std::make_unique<HeadlessFormPeer>(*this, form);
}

platform::MsgResult HeadlessServices::MsgBox(const platform::MsgBoxRequest& request) {
    record("box " + describeBox(request));
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
    boxes.push_back({request, box.answer, nowMs_});
    if (box.whileOpen) box.whileOpen();
    // Timers keep ticking while a box is open.
    if (box.openForMs > 0) runDueTimers(nowMs_ + box.openForMs);
    return box.answer;
}

void HeadlessServices::Sleep(uint32_t milliseconds) {
    record("sleep " + std::to_string(milliseconds));
    nowMs_ += milliseconds;
}

void HeadlessServices::DoEvents() {
    record("do events");
    runDueTimers(nowMs_);
}

float HeadlessServices::TimeOfDay() {
    const double seconds = std::fmod(startOfDaySeconds_ + static_cast<double>(nowMs_) / 1000.0, 86400.0);
    return static_cast<float>(seconds);
}

void HeadlessServices::Randomize() {
    ++randomizeCalls;
    generator_.seed(static_cast<uint64_t>(nowMs_) * 1000003u + static_cast<uint64_t>(randomizeCalls));
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
    record("send keys " + keys);
    sentKeys.push_back(keys);
    if (keys != "{Esc}") return;
    queue_.push_back([this] {
        if (Form* form = focusedForm()) form->keyDown(platform::vk::kEscape, 0);
    });
}

void HeadlessServices::End() {
    record("end");
    throw ProgramEnded{};
}

void HeadlessServices::SetCurrentDirectory(const std::filesystem::path& directory) {
    (void)directory;  // the tests' program directory is absolute; nothing to change
}

}  // namespace headless
