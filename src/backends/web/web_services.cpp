#include "web/web_services.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

#include "platform/random.h"
#include "platform/send_keys.h"
#include "web/web_form_peer.h"
#include "web/window_layout.h"

namespace web {

namespace {

page::BoxIcon boxIconOf(platform::MsgIcon icon) {
    switch (icon) {
        case platform::MsgIcon::Critical: return page::BoxIcon::Critical;
        case platform::MsgIcon::Question: return page::BoxIcon::Question;
        case platform::MsgIcon::Exclamation: return page::BoxIcon::Exclamation;
        case platform::MsgIcon::Information: return page::BoxIcon::Information;
        case platform::MsgIcon::None: break;
    }
    return page::BoxIcon::None;
}

std::optional<platform::MsgResult> answerOf(int32_t code) {
    switch (static_cast<page::BoxAnswer>(code)) {
        case page::BoxAnswer::Ok: return platform::MsgResult::Ok;
        case page::BoxAnswer::Yes: return platform::MsgResult::Yes;
        case page::BoxAnswer::No: return platform::MsgResult::No;
    }
    return std::nullopt;
}

}  // namespace

void WebServices::openRecordStore() {
    // emscripten starts with umask 0777: files would be made with no permissions.
    ::umask(022);
    page::openStorage(kProgramDirectory);
}

void WebServices::run() {
    for (;;) {
        page::paintAll();
        page::waitForEvent();
        handlePending();
    }
}

void WebServices::handlePending() {
    page::Event event;
    while (page::takeEvent(event)) handle(event);
}

void WebServices::handle(const page::Event& event) {
    if (event.kind == page::EventKind::Answer) {
        if (const auto answer = answerOf(event.a)) answers_.emplace(event.target, *answer);
        return;
    }
    const Targets::Target* found = targets_.find(event.target);
    if (found == nullptr) return;  // its window has gone since
    const Targets::Target target = *found;
    if (event.kind == page::EventKind::Tick) {
        if (auto* const* timer = std::get_if<platform::Timer*>(&target)) (*timer)->tick();
        return;
    }
    // A modal box is up: the other windows take no input, as on the desktop.
    if (openBoxes_ > 0) return;
    deliverInput(event, target);
}

void WebServices::deliverInput(const page::Event& event, const Targets::Target& target) {
    using Kind = page::EventKind;
    if (auto* const* control = std::get_if<platform::Control*>(&target)) {
        if (event.kind == Kind::Click) (*control)->click();
    } else if (auto* const* menu = std::get_if<platform::Menu*>(&target)) {
        if (event.kind == Kind::Choose) (*menu)->click();
    } else if (auto* const* form = std::get_if<platform::Form*>(&target)) {
        platform::Form& f = **form;
        switch (event.kind) {
            case Kind::Close: f.userClose(); break;
            case Kind::KeyDown: f.keyDown(static_cast<int16_t>(event.a), static_cast<int16_t>(event.b)); break;
            case Kind::MouseDown: f.mouseDown(); break;
            default: break;
        }
    }
}

std::unique_ptr<platform::FormPeer> WebServices::createPeer(platform::Form& form) {
    return std::make_unique<WebFormPeer>(form, targets_);
}

platform::MsgResult WebServices::MsgBox(const platform::MsgBoxRequest& request) {
    const page::Id box = ++lastBox_;
    page::paintAll();
    page::openBox(box, request.title, request.prompt, boxIconOf(request.icon),
                  request.buttons == platform::MsgButtons::YesNo, request.defaultIsNo);
    ++openBoxes_;
    // Timers tick while the box is up; the box's own loop runs them.
    while (!answers_.contains(box)) {
        page::paintAll();
        page::waitForEvent();
        page::Event event;
        while (!answers_.contains(box) && page::takeEvent(event)) handle(event);
    }
    --openBoxes_;
    page::closeBox(box);
    const platform::MsgResult answer = answers_.at(box);
    answers_.erase(box);
    return answer;
}

void WebServices::Sleep(uint32_t milliseconds) {
    // Nothing is handled and nothing repainted meanwhile; what the player
    // does stays queued for afterwards.
    page::sleep(milliseconds);
}

void WebServices::DoEvents() {
    page::paintAll();
    page::yieldOnce();
    handlePending();
}

float WebServices::TimeOfDay() { return static_cast<float>(page::secondsSinceMidnight()); }

void WebServices::Randomize() {
    random_.seed(static_cast<std::mt19937::result_type>(std::fmod(page::entropy(), 4294967296.0)));
}

float WebServices::Rnd() { return platform::unitFloat(static_cast<uint32_t>(random_())); }

void WebServices::SendKeys(const std::string& keys) {
    // Esc is the one key the game sends.
    if (platform::sentKey(keys) == platform::vk::kEscape) page::queueEscape();
}

void WebServices::End(platform::ExitStatus status) {
    // Every save was made durable when it was written (fsync waits for
    // IndexedDB); the windows go and the stack stays parked for good, so no
    // close handler, timer or later statement runs.
    page::showEnded(static_cast<int>(status));
    for (;;) page::park();
}

float WebServices::ScreenWidthTwips() { return toTwips(page::screenWidth()); }
float WebServices::ScreenHeightTwips() { return toTwips(page::screenHeight()); }

platform::InstanceCheck WebServices::PreviousInstance(const std::filesystem::path& recordFile) {
    switch (page::takeGuard(page::kGuardPrefix + recordFile.string())) {
        case page::Guard::Held: return platform::InstanceCheck::Alone;
        case page::Guard::HeldElsewhere: return platform::InstanceCheck::AnotherRuns;
        case page::Guard::Unavailable: break;
    }
    return platform::InstanceCheck::CannotTell;
}

std::filesystem::path WebServices::ProgramDirectory() { return kProgramDirectory; }

// The page's one store is the player's own: there is nowhere else to move to.
std::optional<std::filesystem::path> WebServices::UserDataDirectory() { return kProgramDirectory; }

void WebServices::SetCurrentDirectory(const std::filesystem::path& directory) {
    [[maybe_unused]] const int ignored = ::chdir(directory.c_str());
}

}  // namespace web
